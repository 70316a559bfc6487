#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/error.h"
#include "raster/decode_file.h"
#include "raster/exif_orientation.h"
#include "raster/file_row_reader.h"
#include "raster/png_codec.h"
#include "raster/png_guard.h"
#include "raster/sample_rows.h"
#include "raster/size_limit.h"

namespace lenzora::raster {
namespace {

using detail::pngGuarded;

// Deflate packs at most 1032 bytes into one; a picture needing more data than that from the
// file cannot be complete, and is refused before its pixels are allocated.
constexpr std::uint64_t kMaxInflation = 1032;

class PngReader {
  public:
    explicit PngReader(std::span<const std::uint8_t> file) : file_(file) {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &errors_, detail::onPngError,
                                      detail::onPngWarning);
        if (png_ == nullptr) throw platform::Error("PNG error: out of memory");
        pngGuarded(png_, errors_, [&] {
            info_ = png_create_info_struct(png_);
            if (info_ == nullptr) png_error(png_, "out of memory");
            png_set_read_fn(png_, this, onRead);
        });
    }
    ~PngReader() { png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, nullptr); }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    template <class Calls>
    void guarded(Calls&& calls) {
        pngGuarded(png_, errors_, std::forward<Calls>(calls));
    }

    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

  private:
    static void onRead(png_structp png, png_bytep out, png_size_t length) {
        auto* self = static_cast<PngReader*>(png_get_io_ptr(png));
        if (self->file_.size() - self->offset_ < length) {
            png_error(png, "the file ends before the picture does");
        }
        std::memcpy(out, self->file_.data() + self->offset_, length);
        self->offset_ += length;
    }

    std::span<const std::uint8_t> file_;
    std::size_t offset_ = 0;
    detail::PngErrorState errors_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

// What the library itself holds per row: the filtered row and the one before it.
constexpr std::uint64_t kLibraryRows = 2;

// No colour profile may take more once inflated; a larger one is left out.
constexpr png_alloc_size_t kMaxChunkBytes = png_alloc_size_t{8} << 20;

// The chunks besides the pixels that the reader uses: the profile, and the colour-space
// chunks whose presence decides whether the library keeps it. Every other one (text, Exif,
// suggested palettes ...) is skipped unread, whatever length it claims: the library would
// otherwise allocate and clear that length before finding the file too short.
constexpr png_byte kChunksRead[] = "iCCP\0sRGB\0gAMA\0cHRM";
// Read as well when the orientation is asked for.
constexpr png_byte kExifChunk[] = "eXIf";

// The pixels of an interlaced picture arrive pass by pass, each a small picture of every
// so-many pixels; a pass's row goes to every `step`th pixel of its image row.
struct Pass {
    std::uint32_t rows, columns;  // 0: the pass carries nothing
    std::uint32_t firstRow, rowStep, firstColumn, columnStep;
};

Pass passOf(int pass, std::uint32_t width, std::uint32_t height) {
    const auto startRow = static_cast<std::uint32_t>(PNG_PASS_START_ROW(pass));
    const auto startColumn = static_cast<std::uint32_t>(PNG_PASS_START_COL(pass));
    return {PNG_PASS_ROWS(height, pass),
            PNG_PASS_COLS(width, pass),
            startRow,
            1u << PNG_PASS_ROW_SHIFT(pass),
            startColumn,
            1u << PNG_PASS_COL_SHIFT(pass)};
}

// One file's decoding: the header, colour profile and orientation read when it is made, the
// rows handed out in the format the whole picture takes, as the library gives them.
class PngDecoding {
  public:
    PngDecoding(std::span<const std::uint8_t> file, platform::Bytes* iccProfile,
                Orientation* orientation);

    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }
    PixelFormat format() const { return format_; }
    bool interlaced() const { return interlace_ != PNG_INTERLACE_NONE; }
    // The library puts the rows straight into the picture, and the passes of an interlaced
    // picture together there.
    bool direct() const { return direct_; }

    // Checks the size, the picture's pixels counted at `heldBitsPerPixel` (0: never held
    // together), and sets the library up to hand out rows.
    void start(int heldBitsPerPixel);
    // The next row the library hands out (of the picture, or of an interlaced pass when not
    // direct(): `count` pixels) into `out`, in format().
    void readRow(std::uint8_t* out, std::uint32_t count);

  private:
    PngReader reader_;
    std::uint64_t fileSize_;
    png_uint_32 width_ = 0;
    png_uint_32 height_ = 0;
    int bitDepth_ = 0;
    int colourType_ = 0;
    int interlace_ = 0;
    bool transparency_ = false;
    PixelFormat format_ = PixelFormat::Bgr24;
    std::uint64_t rowBytes_ = 0;
    bool direct_ = false;
    detail::SampleLayout layout_;
    std::vector<std::uint8_t> samples_;
};

PngDecoding::PngDecoding(std::span<const std::uint8_t> file, platform::Bytes* iccProfile,
                         Orientation* orientation)
    : reader_(file), fileSize_(file.size()) {
    png_structp png = reader_.png();
    png_infop info = reader_.info();
    reader_.guarded([&] {
        png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
        png_set_chunk_malloc_max(png, kMaxChunkBytes);
        png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
        png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_AS_DEFAULT, kChunksRead, 4);
        if (orientation != nullptr) {
            png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_AS_DEFAULT, kExifChunk, 1);
        }
        png_read_info(png, info);
        png_get_IHDR(png, info, &width_, &height_, &bitDepth_, &colourType_, &interlace_, nullptr,
                     nullptr);
    });

    if (iccProfile != nullptr) {
        iccProfile->clear();
        png_charp name = nullptr;
        int compression = 0;
        png_bytep profile = nullptr;
        png_uint_32 length = 0;
        if (png_get_iCCP(png, info, &name, &compression, &profile, &length) != 0) {
            iccProfile->assign(profile, profile + length);
        }
    }

    if (orientation != nullptr) {
        *orientation = Orientation::AsStored;
        png_uint_32 length = 0;
        png_bytep exif = nullptr;
        if (png_get_eXIf_1(png, info, &length, &exif) != 0 && exif != nullptr) {
            *orientation = exifOrientation(std::span<const std::uint8_t>(exif, length));
        }
    }

    // A 1-bit grey picture stays 1-bit (0 black, 1 white), as a 1-bit BMP does.
    transparency_ = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    const bool oneBit = colourType_ == PNG_COLOR_TYPE_GRAY && bitDepth_ == 1 && !transparency_;
    format_ = oneBit ? PixelFormat::Indexed1 : PixelFormat::Bgr24;
    // The samples the library hands out, as set up by start(): 8 or 16 bits, a palette as
    // colours, a transparent colour as alpha.
    const std::uint64_t channels =
        (colourType_ == PNG_COLOR_TYPE_PALETTE ? 3 : png_get_channels(png, info)) +
        (transparency_ ? 1 : 0);
    const std::uint64_t sampleBytes = bitDepth_ == 16 ? 2 : 1;
    rowBytes_ =
        oneBit ? (std::uint64_t{width_} + 7) / 8 : std::uint64_t{width_} * channels * sampleBytes;
    direct_ = oneBit || (sampleBytes == 1 && channels == 3);
    layout_.colours = channels >= 3 ? 3 : 1;
    layout_.alpha = channels == 2 || channels == 4;
    layout_.bgrOrder = true;
    layout_.bits = bitDepth_ == 16 ? 16 : 8;
}

void PngDecoding::start(int heldBitsPerPixel) {
    png_structp png = reader_.png();
    png_infop info = reader_.info();
    const std::uint64_t rawBytes = std::uint64_t{height_} * (png_get_rowbytes(png, info) + 1);
    // Beside the picture: the library's rows, and ours of samples and colours.
    const std::uint64_t working =
        kLibraryRows * (rowBytes_ + 1) + (direct_ ? 0 : rowBytes_ + 3 * std::uint64_t{width_});
    checkDecodingMemory(width_, height_, heldBitsPerPixel, working);
    if (rawBytes > kMaxInflation * fileSize_) {
        throw platform::Error("PNG error: the file is too short for its picture");
    }
    reader_.guarded([&] {
        if (format_ != PixelFormat::Indexed1) {
            if (colourType_ == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
            if (colourType_ == PNG_COLOR_TYPE_GRAY && bitDepth_ < 8)
                png_set_expand_gray_1_2_4_to_8(png);
            if (transparency_) png_set_tRNS_to_alpha(png);
            if (bitDepth_ == 16) png_set_swap(png);  // native order for the 16-bit samples
            png_set_bgr(png);
        }
        if (direct_ && interlaced()) png_set_interlace_handling(png);
        png_read_update_info(png, info);
        if (png_get_rowbytes(png, info) != rowBytes_) png_error(png, "unexpected row size");
    });
    if (!direct_) samples_.resize(static_cast<std::size_t>(rowBytes_));
}

void PngDecoding::readRow(std::uint8_t* out, std::uint32_t count) {
    png_structp png = reader_.png();
    if (direct_) {
        reader_.guarded([&] { png_read_row(png, out, nullptr); });
        return;
    }
    reader_.guarded([&] { png_read_row(png, samples_.data(), nullptr); });
    detail::samplesToBgr(samples_.data(), layout_, out, count);
}

// The rows of a picture stored row after row (not interlaced) that the whole reader gives in
// 24-bit colour.
class PngRowReader final : public FileRowReader {
  public:
    explicit PngRowReader(const std::filesystem::path& path) : FileRowReader(path, true) {
        named([&] {
            decoding_ =
                std::make_unique<PngDecoding>(fileBytes(), profileFound(), orientationFound());
            if (inOrder()) decoding_->start(0);
        });
        setSize(static_cast<std::int32_t>(decoding_->width()),
                static_cast<std::int32_t>(decoding_->height()));
    }

    bool inOrder() const {
        return !decoding_->interlaced() && decoding_->format() == PixelFormat::Bgr24;
    }

  private:
    void readRow(std::uint8_t* bgr) override { decoding_->readRow(bgr, decoding_->width()); }

    std::unique_ptr<PngDecoding> decoding_;
};

}  // namespace

RasterImage decodePng(std::span<const std::uint8_t> file, platform::Bytes* iccProfile,
                      Orientation* orientation) {
    PngDecoding decoding(file, iccProfile, orientation);
    const PixelFormat format = decoding.format();
    decoding.start(bitsPerPixel(format));
    const std::uint32_t width = decoding.width();
    const std::uint32_t height = decoding.height();
    RasterImage image;
    image.allocate(format, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
    if (format == PixelFormat::Indexed1) image.setPalette({kBlack, kWhite});
    const auto h = static_cast<std::int32_t>(height);
    if (decoding.direct() || !decoding.interlaced()) {
        const int passes = decoding.interlaced() ? PNG_INTERLACE_ADAM7_PASSES : 1;
        for (int pass = 0; pass < passes; ++pass) {
            for (std::int32_t y = 0; y < h; ++y) decoding.readRow(image.row(y), width);
        }
        return image;
    }
    // Each pass's rows are turned into colours and spread over the image rows they belong
    // to, so no more than a row of samples is held.
    std::vector<std::uint8_t> colours(3 * std::size_t{width});
    for (int p = 0; p < PNG_INTERLACE_ADAM7_PASSES; ++p) {
        const Pass pass = passOf(p, width, height);
        if (pass.rows == 0 || pass.columns == 0) continue;
        for (std::uint32_t r = 0; r < pass.rows; ++r) {
            decoding.readRow(colours.data(), pass.columns);
            std::uint8_t* row =
                image.row(static_cast<std::int32_t>(pass.firstRow + r * pass.rowStep));
            for (std::size_t c = 0; c < pass.columns; ++c) {
                std::copy_n(colours.data() + 3 * c, 3,
                            row + 3 * (pass.firstColumn + c * pass.columnStep));
            }
        }
    }
    return image;
}

std::unique_ptr<RowReader> openPngRows(const std::filesystem::path& path) {
    auto reader = std::make_unique<PngRowReader>(path);
    if (!reader->inOrder()) return nullptr;
    return reader;
}

RasterImage loadPngFile(const std::filesystem::path& path, platform::Bytes* iccProfile,
                        Orientation* orientation) {
    return decodeFile(
        path,
        [&](std::span<const std::uint8_t> bytes) {
            return decodePng(bytes, iccProfile, orientation);
        },
        true);
}

}  // namespace lenzora::raster
