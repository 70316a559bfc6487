#pragma once

#include <filesystem>
#include <string_view>

#include "core/numbers.h"
#include "raster/raster_image.h"

namespace lenzora::output {

// The name's extension is exactly ".jpg" (final path component, case and all).
bool isJpegName(std::string_view name);

// Saves the composite under `path`: a ".jpg" name gives a JPEG at quality 90 (colour,
// baseline, full chroma) carrying the resolution in its JFIF header and an Exif segment; any
// other name a 24-bit BMP file with the resolution in its header. The file is written through
// platform::SaveFile, so a failed save leaves any earlier file of that name intact; a failure
// of the file is reported as "Cannot create file "<path>". <reason>".
void saveComposite(const raster::RasterImage& composite, const std::filesystem::path& path,
                   core::FixedCount resolution);

}  // namespace lenzora::output
