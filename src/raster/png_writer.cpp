#include <optional>
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

struct PngEncoder::State {
    Sink sink;
    WriteTarget target;
    std::optional<PngWriter> writer;
    bool oneBit = false;
    std::vector<std::uint8_t> bgr;  // a row of another format, as blue, green, red
};

PngEncoder::PngEncoder(std::int32_t width, std::int32_t height, bool oneBit,
                       const PngOptions& options, Sink sink)
    : state_(std::make_unique<State>()) {
    state_->sink = std::move(sink);
    state_->target.sink = &state_->sink;
    state_->oneBit = oneBit;
    PngWriter& writer = state_->writer.emplace(state_->target);
    png_structp png = writer.png();
    png_infop info = writer.info();
    writer.guarded([&] {
        png_set_IHDR(png, info, static_cast<png_uint_32>(std::max(width, 0)),
                     static_cast<png_uint_32>(std::max(height, 0)), oneBit ? 1 : 8,
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
}

PngEncoder::~PngEncoder() = default;

void PngEncoder::write(const RasterImage& band, std::int32_t count) {
    PngWriter& writer = *state_->writer;
    png_structp png = writer.png();
    const bool direct = state_->oneBit || band.format() == PixelFormat::Bgr24;
    std::vector<std::int32_t> columns;
    detail::PaletteTable table;
    if (!direct) {
        state_->bgr.resize(3 * static_cast<std::size_t>(std::max(band.width(), 0)));
        for (std::int32_t x = 0; x < band.width(); ++x) columns.push_back(x);
        table = detail::paletteTable(band.palette());
    }
    for (std::int32_t y = 0; y < count; ++y) {
        png_const_bytep row = band.row(y);
        if (!direct) {
            detail::gatherBgr(band.format(), table, band.row(y), columns.data(), band.width(),
                              state_->bgr.data());
            row = state_->bgr.data();
        }
        writer.guarded([&] { png_write_row(png, row); });
    }
}

void PngEncoder::finish() {
    PngWriter& writer = *state_->writer;
    writer.guarded([&] { png_write_end(writer.png(), nullptr); });
}

void writePng(const RasterImage& image, const PngOptions& options, const Sink& sink) {
    PngEncoder encoder(image.width(), image.height(), isBlackAndWhite(image), options, sink);
    encoder.write(image, image.height());
    encoder.finish();
}

platform::Bytes encodePng(const RasterImage& image, const PngOptions& options) {
    platform::Bytes out;
    writePng(image, options, [&out](const std::uint8_t* data, std::size_t size) {
        out.insert(out.end(), data, data + size);
    });
    return out;
}

}  // namespace lenzora::raster
