#pragma once
// The resolution of a saved JPEG in an Exif segment, so other programs open it at its
// print size: XResolution and YResolution as exact rationals, the unit inches.

#include "platform/file_io.h"
#include "raster/exact_dpi.h"

namespace lenzora::raster {

// The body of the APP1 segment the JPEG encoder writes after the JFIF header: "Exif\0\0" and
// a little-endian TIFF structure whose first IFD holds the three fields.
platform::Bytes exifResolution(const ExactDpi& resolution);

}  // namespace lenzora::raster
