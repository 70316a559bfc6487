#pragma once
// A 24-bit picture written a band of rows at a time, top to bottom, into its file, so that a
// composite larger than memory is never held whole: each band is written and dropped.

#include <cstdint>
#include <filesystem>
#include <memory>

#include "platform/file_io.h"
#include "raster/exact_dpi.h"
#include "raster/raster_image.h"

namespace lenzora::raster {

class BandWriter {
  public:
    // Without commit() the file being written is removed and an earlier file stays as it was.
    virtual ~BandWriter() = default;
    // The next `count` rows of the picture, top to bottom: rows 0 ... count - 1 of `band`
    // (24-bit, the picture's width).
    virtual void write(const RasterImage& band, std::int32_t count) = 0;
    // After the last row: the file takes the place of the target.
    virtual void commit() = 0;
};

// Opens a writer of a width x height 24-bit picture at `dpi` with `iccProfile` (where the
// format carries one) under `path`, through platform::SaveFile. Gives the same file as the
// format's whole-picture writer given the same picture. A size the format cannot hold throws
// before anything is written.
using BandWriterOpener = std::unique_ptr<BandWriter> (*)(const std::filesystem::path& path,
                                                         std::int32_t width, std::int32_t height,
                                                         const ExactDpi& dpi,
                                                         const platform::Bytes& iccProfile);

}  // namespace lenzora::raster
