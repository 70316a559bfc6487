#pragma once
// The resolution of a saved JPEG in an Exif segment, so other programs open it at its
// print size: XResolution and YResolution as exact rationals, the unit inches.

#include "core/numbers.h"
#include "platform/file_io.h"

namespace lenzora::output {

// The JPEG stream with an APP1 Exif segment inserted after its JFIF header (or after the
// start-of-image marker when there is none).
platform::Bytes withExifResolution(const platform::Bytes& jpeg, core::FixedCount resolution);

}  // namespace lenzora::output
