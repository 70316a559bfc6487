#pragma once
// The band writers of the picture format table (BandWriterOpener): each gives the bytes of the
// format's whole-picture writer in picture_writers.h, which writes through them.

#include <QtGlobal>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "platform/file_io.h"
#include "raster/band_writer.h"
#include "raster/exact_dpi.h"
#include "raster/raster_image.h"

namespace lenzora::raster {

// A picture larger than its format can hold (a BMP's 32-bit file size, a JPEG's 65500 pixels a
// side), refused before anything is written.
inline constexpr const char* kPictureTooLarge =
    QT_TRANSLATE_NOOP("lenzora::raster", "Output size too large!");

// Pixel data of this many bytes or more make a BigTIFF.
inline constexpr std::uint64_t kBigTiffPixelBytes = std::uint64_t{4} << 30;

std::unique_ptr<BandWriter> openBmpBandWriter(const std::filesystem::path& path, std::int32_t width,
                                              std::int32_t height, const ExactDpi& dpi,
                                              const platform::Bytes& iccProfile);
std::unique_ptr<BandWriter> openJpegBandWriter(const std::filesystem::path& path,
                                               std::int32_t width, std::int32_t height,
                                               const ExactDpi& dpi,
                                               const platform::Bytes& iccProfile);
std::unique_ptr<BandWriter> openPngBandWriter(const std::filesystem::path& path, std::int32_t width,
                                              std::int32_t height, const ExactDpi& dpi,
                                              const platform::Bytes& iccProfile);
// Pixel data of `bigTiffFrom` bytes or more go into a BigTIFF, uncompressed.
std::unique_ptr<BandWriter> openTiffBandWriter(const std::filesystem::path& path,
                                               std::int32_t width, std::int32_t height,
                                               const ExactDpi& dpi,
                                               const platform::Bytes& iccProfile,
                                               std::uint64_t bigTiffFrom);
std::unique_ptr<BandWriter> openTiffBandWriter(const std::filesystem::path& path,
                                               std::int32_t width, std::int32_t height,
                                               const ExactDpi& dpi,
                                               const platform::Bytes& iccProfile);

// The rows a band writer has taken: 24-bit bands of the picture's width, never past its last row,
// and all of them before the commit (a mistake of the caller otherwise: std::logic_error).
class BandRows {
  public:
    BandRows(std::int32_t width, std::int32_t height) : width_(width), height_(height) {}
    // The index of the band's first row in the picture.
    std::int32_t take(const RasterImage& band, std::int32_t count);
    void checkAllTaken() const;

  private:
    std::int32_t width_;
    std::int32_t height_;
    std::int32_t taken_ = 0;
};

// Writes `image` (24-bit) as one band through `open` and commits it.
void writeAsOneBand(BandWriterOpener open, const RasterImage& image, const ExactDpi& dpi,
                    const platform::Bytes& iccProfile, const std::filesystem::path& path);

}  // namespace lenzora::raster
