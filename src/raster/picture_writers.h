#pragma once
// The writers of the picture format table: each saves a picture under a path through
// platform::SaveFile (a failed save leaves the earlier file intact) with its resolution, and
// its colour profile where the format carries one.

#include <filesystem>

#include "platform/file_io.h"
#include "raster/exact_dpi.h"
#include "raster/raster_image.h"

namespace lenzora::raster {

// The resolution in both header fields (pixelsPerMetre); no profile. Streamed from the image,
// so no second copy of a large picture is made.
void writeBmpPicture(const RasterImage& image, const ExactDpi& dpi, const platform::Bytes& profile,
                     const std::filesystem::path& path);

// Quality 90 (colour, baseline, full chroma), the nearest whole dpi in the JFIF header and the
// exact fraction in an Exif segment.
void writeJpegPicture(const RasterImage& image, const ExactDpi& dpi, const platform::Bytes& profile,
                      const std::filesystem::path& path);

// The resolution in pixels per metre (pHYs); a 1-bit picture as 1-bit grey.
void writePngPicture(const RasterImage& image, const ExactDpi& dpi, const platform::Bytes& profile,
                     const std::filesystem::path& path);

// The resolution as exact fractions in inches; 24-bit RGB in Deflate (pixel data of 4 GiB or
// more: a BigTIFF, uncompressed), 1-bit in CCITT Group 4.
void writeTiffPicture(const RasterImage& image, const ExactDpi& dpi, const platform::Bytes& profile,
                      const std::filesystem::path& path);

// One page exactly the picture's physical size at the resolution, the picture on it once at
// its own pixels (Flate, never smoothed), in the profile's colour space (ICC-based) when one
// is given, else plain RGB; a 1-bit picture as 1-bit grey.
void writePdfPicture(const RasterImage& image, const ExactDpi& dpi, const platform::Bytes& profile,
                     const std::filesystem::path& path);

}  // namespace lenzora::raster
