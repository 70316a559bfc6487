#pragma once

#include <filesystem>
#include <string_view>

#include "core/numbers.h"
#include "platform/file_io.h"
#include "raster/raster_image.h"

namespace lenzora::output {

// Saves the composite under `path` in the format its name says (raster::saveFormatFor, the
// writers in raster/picture_writers.h): JPEG, PNG or TIFF by the extension, any other name a
// 24-bit BMP, each with the resolution; the colour profile goes into the formats that carry it.
// The file is written through platform::SaveFile, so a failed save leaves any earlier file of
// that name intact; a failure of the file is reported as "Cannot create file "<path>".
// <reason>".
void saveComposite(const raster::RasterImage& composite, const std::filesystem::path& path,
                   core::FixedCount resolution, const platform::Bytes& iccProfile = {});

}  // namespace lenzora::output
