#pragma once
// The orientation recorded in an Exif block, read with libexif (the only place it is used).

#include <cstdint>
#include <span>

#include "raster/orientation.h"

namespace lenzora::raster {

// The Orientation tag of the block's first directory. `exif` is the body of a JPEG's APP1
// segment ("Exif\0\0" and a TIFF structure) or a bare TIFF structure (a PNG's eXIf chunk).
// A block that cannot be read, or whose tag is missing, of the wrong type or out of range,
// gives AsStored: a damaged block never keeps a picture from loading.
Orientation exifOrientation(std::span<const std::uint8_t> exif);

}  // namespace lenzora::raster
