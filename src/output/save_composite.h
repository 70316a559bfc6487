#pragma once

#include <filesystem>
#include <string_view>

#include "core/numbers.h"
#include "platform/file_io.h"
#include "raster/raster_image.h"

namespace lenzora::output {

// Saves the composite under `path` in the format its name says (pictureFormatForName):
// JPEG at quality 90 (colour, baseline, full chroma) carrying the resolution in its JFIF
// header and an Exif segment; PNG with the resolution in pixels per metre (pHYs); TIFF in
// 8-bit RGB, Deflate, the resolution as exact fractions in inches; any other name a 24-bit BMP
// with the resolution in its header; ".pdf" (any case) a PDF page of the composite's physical
// size (savePdf). A colour profile is embedded in JPEG, PNG, TIFF and PDF files.
// The file is written through platform::SaveFile, so a failed save leaves any earlier file of
// that name intact; a failure of the file is reported as "Cannot create file "<path>".
// <reason>".
void saveComposite(const raster::RasterImage& composite, const std::filesystem::path& path,
                   core::FixedCount resolution, const platform::Bytes& iccProfile = {});

}  // namespace lenzora::output
