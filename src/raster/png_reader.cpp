#include <cstring>
#include <vector>

#include "platform/error.h"
#include "raster/decode_file.h"
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

}  // namespace

RasterImage decodePng(std::span<const std::uint8_t> file, platform::Bytes* iccProfile) {
    PngReader reader(file);
    png_structp png = reader.png();
    png_infop info = reader.info();
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0;
    reader.guarded([&] {
        png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
        png_read_info(png, info);
        png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, &interlace, nullptr,
                     nullptr);
    });
    checkDecodedSize(width, height, 24);
    const std::uint64_t rawBytes = std::uint64_t{height} * (png_get_rowbytes(png, info) + 1);
    if (rawBytes > kMaxInflation * file.size()) {
        throw platform::Error("PNG error: the file is too short for its picture");
    }

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

    int passes = 1;
    std::size_t rowBytes = 0;
    int channels = 0;
    reader.guarded([&] {
        if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
        if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
        if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) png_set_tRNS_to_alpha(png);
        if (bitDepth == 16) png_set_swap(png);  // native order for the 16-bit samples
        png_set_bgr(png);
        passes = png_set_interlace_handling(png);
        png_read_update_info(png, info);
        rowBytes = png_get_rowbytes(png, info);
        channels = png_get_channels(png, info);
        bitDepth = png_get_bit_depth(png, info);
    });

    detail::SampleLayout layout;
    layout.colours = channels >= 3 ? 3 : 1;
    layout.alpha = channels == 2 || channels == 4;
    layout.bgrOrder = true;
    layout.bits = bitDepth;
    // 8-bit colour without alpha is what the image holds: the library writes straight into it.
    const bool direct = bitDepth == 8 && channels == 3;

    RasterImage image;
    image.allocate(PixelFormat::Bgr24, static_cast<std::int32_t>(width),
                   static_cast<std::int32_t>(height));
    const auto h = static_cast<std::int32_t>(height);
    if (direct) {
        std::vector<png_bytep> rows(height);
        for (std::int32_t y = 0; y < h; ++y) rows[static_cast<std::size_t>(y)] = image.row(y);
        for (int pass = 0; pass < passes; ++pass) {
            reader.guarded([&] { png_read_rows(png, rows.data(), nullptr, height); });
        }
    } else if (passes == 1) {
        std::vector<std::uint8_t> samples(rowBytes);
        for (std::int32_t y = 0; y < h; ++y) {
            reader.guarded([&] { png_read_row(png, samples.data(), nullptr); });
            detail::samplesToBgr(samples.data(), layout, image.row(y), width);
        }
    } else {
        // Interlaced passes fill every row several times: the samples are kept whole.
        std::vector<std::uint8_t> samples(rowBytes * height);
        std::vector<png_bytep> rows(height);
        for (std::size_t y = 0; y < height; ++y) rows[y] = samples.data() + y * rowBytes;
        for (int pass = 0; pass < passes; ++pass) {
            reader.guarded([&] { png_read_rows(png, rows.data(), nullptr, height); });
        }
        for (std::int32_t y = 0; y < h; ++y) {
            detail::samplesToBgr(rows[static_cast<std::size_t>(y)], layout, image.row(y), width);
        }
    }
    return image;
}

RasterImage loadPngFile(const std::filesystem::path& path, platform::Bytes* iccProfile) {
    return decodeFile(
        path, [&](std::span<const std::uint8_t> bytes) { return decodePng(bytes, iccProfile); },
        true);
}

}  // namespace lenzora::raster
