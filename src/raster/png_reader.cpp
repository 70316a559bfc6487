#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/error.h"
#include "raster/decode_file.h"
#include "raster/exif_orientation.h"
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

}  // namespace

RasterImage decodePng(std::span<const std::uint8_t> file, platform::Bytes* iccProfile,
                      Orientation* orientation) {
    PngReader reader(file);
    png_structp png = reader.png();
    png_infop info = reader.info();
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0;
    reader.guarded([&] {
        png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
        png_set_chunk_malloc_max(png, kMaxChunkBytes);
        png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
        png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_AS_DEFAULT, kChunksRead, 4);
        if (orientation != nullptr) {
            png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_AS_DEFAULT, kExifChunk, 1);
        }
        png_read_info(png, info);
        png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, &interlace, nullptr,
                     nullptr);
    });
    const std::uint64_t rawBytes = std::uint64_t{height} * (png_get_rowbytes(png, info) + 1);

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
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    const bool oneBit = colourType == PNG_COLOR_TYPE_GRAY && bitDepth == 1 && !transparency;
    const PixelFormat format = oneBit ? PixelFormat::Indexed1 : PixelFormat::Bgr24;
    // The samples the library hands out, as set up below: 8 or 16 bits, a palette as colours,
    // a transparent colour as alpha.
    const std::uint64_t channels =
        (colourType == PNG_COLOR_TYPE_PALETTE ? 3 : png_get_channels(png, info)) +
        (transparency ? 1 : 0);
    const std::uint64_t sampleBytes = bitDepth == 16 ? 2 : 1;
    const std::uint64_t rowBytes =
        oneBit ? (std::uint64_t{width} + 7) / 8 : std::uint64_t{width} * channels * sampleBytes;
    // The library puts what the image holds straight into it, and the passes of an interlaced
    // picture together there; anything else comes a row of samples at a time.
    const bool direct = oneBit || (sampleBytes == 1 && channels == 3);
    // Beside the picture: the library's rows, and ours of samples and colours.
    const std::uint64_t working =
        kLibraryRows * (rowBytes + 1) + (direct ? 0 : rowBytes + 3 * std::uint64_t{width});
    checkDecodingMemory(width, height, bitsPerPixel(format), working);
    if (rawBytes > kMaxInflation * file.size()) {
        throw platform::Error("PNG error: the file is too short for its picture");
    }
    reader.guarded([&] {
        if (!oneBit) {
            if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
            if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
                png_set_expand_gray_1_2_4_to_8(png);
            if (transparency) png_set_tRNS_to_alpha(png);
            if (bitDepth == 16) png_set_swap(png);  // native order for the 16-bit samples
            png_set_bgr(png);
        }
        if (direct && interlace != PNG_INTERLACE_NONE) png_set_interlace_handling(png);
        png_read_update_info(png, info);
        if (png_get_rowbytes(png, info) != rowBytes) png_error(png, "unexpected row size");
    });

    detail::SampleLayout layout;
    layout.colours = channels >= 3 ? 3 : 1;
    layout.alpha = channels == 2 || channels == 4;
    layout.bgrOrder = true;
    layout.bits = bitDepth == 16 ? 16 : 8;

    RasterImage image;
    image.allocate(format, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
    if (oneBit) image.setPalette({kBlack, kWhite});
    const auto h = static_cast<std::int32_t>(height);
    const auto samplesPerRow = static_cast<std::size_t>(rowBytes);
    if (direct) {
        const int passes = interlace != PNG_INTERLACE_NONE ? PNG_INTERLACE_ADAM7_PASSES : 1;
        for (int pass = 0; pass < passes; ++pass) {
            for (std::int32_t y = 0; y < h; ++y) {
                reader.guarded([&] { png_read_row(png, image.row(y), nullptr); });
            }
        }
    } else if (interlace == PNG_INTERLACE_NONE) {
        std::vector<std::uint8_t> samples(samplesPerRow);
        for (std::int32_t y = 0; y < h; ++y) {
            reader.guarded([&] { png_read_row(png, samples.data(), nullptr); });
            detail::samplesToBgr(samples.data(), layout, image.row(y), width);
        }
    } else {
        // Each pass's rows are turned into colours and spread over the image rows they
        // belong to, so no more than a row of samples is held.
        std::vector<std::uint8_t> samples(samplesPerRow);
        std::vector<std::uint8_t> colours(3 * std::size_t{width});
        for (int p = 0; p < PNG_INTERLACE_ADAM7_PASSES; ++p) {
            const Pass pass = passOf(p, width, height);
            if (pass.rows == 0 || pass.columns == 0) continue;
            for (std::uint32_t r = 0; r < pass.rows; ++r) {
                reader.guarded([&] { png_read_row(png, samples.data(), nullptr); });
                detail::samplesToBgr(samples.data(), layout, colours.data(), pass.columns);
                std::uint8_t* row =
                    image.row(static_cast<std::int32_t>(pass.firstRow + r * pass.rowStep));
                for (std::size_t c = 0; c < pass.columns; ++c) {
                    std::copy_n(colours.data() + 3 * c, 3,
                                row + 3 * (pass.firstColumn + c * pass.columnStep));
                }
            }
        }
    }
    return image;
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
