#include <vector>

#include "raster/pixel_rows.h"
#include "raster/png_codec.h"
#include "raster/png_guard.h"

namespace lenzora::raster {
namespace {

using Sink = std::function<void(const std::uint8_t*, std::size_t)>;

// Fast enough for composites of hundreds of megabytes, and still well below a BMP's size.
constexpr int kCompressionLevel = 3;

struct WriteTarget {
    detail::PngErrorState errors;
    const Sink* sink = nullptr;
};

void onWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* target = static_cast<WriteTarget*>(png_get_io_ptr(png));
    try {
        (*target->sink)(data, length);
    } catch (...) {
        target->errors.sinkFailure = std::current_exception();
    }
    if (target->errors.sinkFailure) png_error(png, "the file could not be written");
}

void onFlush(png_structp) {}

class PngWriter {
  public:
    explicit PngWriter(WriteTarget& target) : target_(target) {
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, &target.errors, detail::onPngError,
                                       detail::onPngWarning);
        if (png_ == nullptr) throw platform::Error("PNG error: out of memory");
        guarded([&] {
            info_ = png_create_info_struct(png_);
            if (info_ == nullptr) png_error(png_, "out of memory");
            png_set_write_fn(png_, &target, onWrite, onFlush);
        });
    }
    ~PngWriter() { png_destroy_write_struct(&png_, info_ != nullptr ? &info_ : nullptr); }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    template <class Calls>
    void guarded(Calls&& calls) {
        detail::pngGuarded(png_, target_.errors, std::forward<Calls>(calls));
    }
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

  private:
    WriteTarget& target_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

bool isBlackAndWhite(const RasterImage& image) {
    const std::vector<Colour>& palette = image.palette();
    return image.format() == PixelFormat::Indexed1 && palette.size() >= 2 && palette[0] == kBlack &&
           palette[1] == kWhite;
}

}  // namespace

void writePng(const RasterImage& image, const PngOptions& options, const Sink& sink) {
    WriteTarget target;
    target.sink = &sink;
    PngWriter writer(target);
    png_structp png = writer.png();
    png_infop info = writer.info();
    const bool oneBit = isBlackAndWhite(image);
    const bool direct = oneBit || image.format() == PixelFormat::Bgr24;
    const auto width = static_cast<png_uint_32>(std::max(image.width(), 0));
    const auto height = static_cast<png_uint_32>(std::max(image.height(), 0));
    writer.guarded([&] {
        png_set_IHDR(png, info, width, height, oneBit ? 1 : 8,
                     oneBit ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (options.pixelsPerMetre > 0) {
            const auto ppm = static_cast<png_uint_32>(options.pixelsPerMetre);
            png_set_pHYs(png, info, ppm, ppm, PNG_RESOLUTION_METER);
        }
        // A colour profile cannot describe a grey file; the 1-bit one goes without.
        if (!options.iccProfile.empty() && !oneBit) {
            png_set_iCCP(png, info, "ICC profile", PNG_COMPRESSION_TYPE_BASE,
                         options.iccProfile.data(),
                         static_cast<png_uint_32>(options.iccProfile.size()));
        }
        png_set_compression_level(png, kCompressionLevel);
        png_write_info(png, info);
        if (!oneBit) png_set_bgr(png);
    });

    std::vector<std::uint8_t> bgr;
    std::vector<std::int32_t> columns;
    const detail::PaletteTable table = detail::paletteTable(image.palette());
    if (!direct) {
        bgr.resize(3 * std::size_t{width});
        for (std::int32_t x = 0; x < image.width(); ++x) columns.push_back(x);
    }
    for (std::int32_t y = 0; y < image.height(); ++y) {
        png_const_bytep row = image.row(y);
        if (!direct) {
            detail::gatherBgr(image.format(), table, image.row(y), columns.data(), image.width(),
                              bgr.data());
            row = bgr.data();
        }
        writer.guarded([&] { png_write_row(png, row); });
    }
    writer.guarded([&] { png_write_end(png, nullptr); });
}

platform::Bytes encodePng(const RasterImage& image, const PngOptions& options) {
    platform::Bytes out;
    writePng(image, options, [&out](const std::uint8_t* data, std::size_t size) {
        out.insert(out.end(), data, data + size);
    });
    return out;
}

}  // namespace lenzora::raster
