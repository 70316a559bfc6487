#include "raster/band_writers.h"

#include <cmath>
#include <limits>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "platform/translation.h"
#include "raster/bmp_codec.h"
#include "raster/bmp_resolution.h"
#include "raster/jpeg_codec.h"
#include "raster/jpeg_exif.h"
#include "raster/png_codec.h"
#include "raster/saved_picture.h"

namespace lenzora::raster {
namespace {

[[noreturn]] void tooLarge() {
    throw platform::Error(platform::translate("lenzora::raster", kPictureTooLarge));
}

// A BMP holds its rows bottom to top: each band goes to its own place in the file, the whole
// band in as few calls as the system takes.
class BmpBandWriter final : public BandWriter {
  public:
    BmpBandWriter(const std::filesystem::path& path, std::int32_t width, std::int32_t height,
                  const ExactDpi& dpi)
        : rows_(width, height),
          file_(path),
          height_(height),
          stride_(RasterImage::strideFor(PixelFormat::Bgr24, width)),
          used_(3 * static_cast<std::size_t>(std::max(width, 0))) {
        const platform::Bytes header =
            bmpHeader(PixelFormat::Bgr24, width, height, {}, pixelsPerMetre(dotsPerInch(dpi)));
        dataOffset_ = header.size();
        file_.write(header.data(), header.size());
    }

    void write(const RasterImage& band, std::int32_t count) override {
        const std::int32_t top = rows_.take(band, count);
        if (count <= 0) return;
        // A row whose padding is not zero goes through a copy with zero padding, as a whole
        // picture's does.
        const auto dirty = [&](std::int32_t y) {
            const std::uint8_t* row = band.row(y);
            for (std::size_t i = used_; i < stride_; ++i)
                if (row[i] != 0) return true;
            return false;
        };
        std::size_t copies = 0;
        for (std::int32_t y = 0; y < count; ++y) copies += dirty(y) ? 1 : 0;
        platform::Bytes copied(copies * stride_);
        std::vector<std::span<const std::uint8_t>> rows;
        rows.reserve(static_cast<std::size_t>(count));
        std::uint8_t* next = copied.data();
        for (std::int32_t y = count - 1; y >= 0; --y) {
            if (!dirty(y)) {
                rows.emplace_back(band.row(y), stride_);
                continue;
            }
            std::copy_n(band.row(y), used_, next);
            rows.emplace_back(next, stride_);
            next += stride_;
        }
        const auto lowest = static_cast<std::uint64_t>(height_ - (top + count));
        file_.writeAt(dataOffset_ + lowest * stride_, rows);
    }

    void commit() override {
        rows_.checkAllTaken();
        file_.commit();
    }

  private:
    BandRows rows_;
    PictureFile file_;
    std::int32_t height_;
    std::size_t stride_;
    std::size_t used_;
    std::uint64_t dataOffset_ = 0;
};

// A format whose encoder takes the rows top to bottom and hands its bytes on in order.
template <class Encoder>
class StreamedBandWriter final : public BandWriter {
  public:
    template <class... Settings>
    StreamedBandWriter(const std::filesystem::path& path, std::int32_t width, std::int32_t height,
                       Settings&&... settings)
        : rows_(width, height),
          file_(path),
          encoder_(
              width, height, std::forward<Settings>(settings)...,
              [this](const std::uint8_t* data, std::size_t size) { file_.write(data, size); }) {}

    void write(const RasterImage& band, std::int32_t count) override {
        rows_.take(band, count);
        encoder_.write(band, count);
    }

    void commit() override {
        rows_.checkAllTaken();
        encoder_.finish();
        file_.commit();
    }

  private:
    BandRows rows_;
    PictureFile file_;
    Encoder encoder_;
};

}  // namespace

std::int32_t BandRows::take(const RasterImage& band, std::int32_t count) {
    if (count < 0 || count > band.height() || band.width() != width_ ||
        band.format() != PixelFormat::Bgr24 || count > height_ - taken_)
        throw std::logic_error("a band that does not continue the picture");
    const std::int32_t top = taken_;
    taken_ += count;
    return top;
}

void BandRows::checkAllTaken() const {
    if (taken_ != height_) throw std::logic_error("a picture committed before its last row");
}

std::unique_ptr<BandWriter> openBmpBandWriter(const std::filesystem::path& path, std::int32_t width,
                                              std::int32_t height, const ExactDpi& dpi,
                                              const platform::Bytes& /*iccProfile*/) {
    const std::uint64_t fileSize = bmpHeader(PixelFormat::Bgr24, 0, 0, {}).size() +
                                   RasterImage::strideFor(PixelFormat::Bgr24, width) *
                                       static_cast<std::uint64_t>(std::max(height, 0));
    if (fileSize > std::numeric_limits<std::uint32_t>::max()) tooLarge();
    return std::make_unique<BmpBandWriter>(path, width, height, dpi);
}

std::unique_ptr<BandWriter> openJpegBandWriter(const std::filesystem::path& path,
                                               std::int32_t width, std::int32_t height,
                                               const ExactDpi& dpi,
                                               const platform::Bytes& iccProfile) {
    if (width > kMaxJpegSide || height > kMaxJpegSide) tooLarge();
    JpegOptions options;
    options.quality = 90;
    options.dotsPerInch = static_cast<int>(std::nearbyint(dotsPerInch(dpi)));
    options.exif = exifResolution(dpi);
    options.iccProfile = iccProfile;
    return std::make_unique<StreamedBandWriter<JpegEncoder>>(path, width, height, options);
}

std::unique_ptr<BandWriter> openPngBandWriter(const std::filesystem::path& path, std::int32_t width,
                                              std::int32_t height, const ExactDpi& dpi,
                                              const platform::Bytes& iccProfile) {
    PngOptions options;
    options.pixelsPerMetre = pngPixelsPerMetre(dotsPerInch(dpi));
    options.iccProfile = iccProfile;
    return std::make_unique<StreamedBandWriter<PngEncoder>>(path, width, height, false, options);
}

void writeAsOneBand(BandWriterOpener open, const RasterImage& image, const ExactDpi& dpi,
                    const platform::Bytes& iccProfile, const std::filesystem::path& path) {
    const std::unique_ptr<BandWriter> writer =
        open(path, image.width(), image.height(), dpi, iccProfile);
    writer->write(image, image.height());
    writer->commit();
}

}  // namespace lenzora::raster
