#pragma once
// A BMP working file written a band of rows at a time, top to bottom as a decoder delivers
// them, while the file holds its rows bottom to top: each band goes to its own place, and once
// every row is in, the file has the bytes RasterImage::saveBmpFile gives for the whole picture.

#include <cstdint>
#include <filesystem>

#include "platform/scratch_file.h"
#include "raster/raster_image.h"

namespace lenzora::raster {

class BmpBandFile {
  public:
    // A picture of a format without a palette. Errors read "Cannot create file "<path>". ...",
    // as a working file's.
    BmpBandFile(const std::filesystem::path& path, PixelFormat format, std::int32_t width,
                std::int32_t height);

    // Rows [top, top + count) of the picture: rows 0 ... count - 1 of `band`, an image of the
    // picture's format and width whose row ends are zero (as allocate() leaves them).
    void write(std::int32_t top, const RasterImage& band, std::int32_t count);
    // Puts the file in place once every row is written; without it nothing is left.
    void commit();

  private:
    std::filesystem::path path_;
    std::int32_t height_ = 0;
    std::uint64_t stride_ = 0;
    std::uint64_t dataOffset_ = 0;
    platform::ScratchFile file_;
};

}  // namespace lenzora::raster
