#pragma once
// A picture saved as a PDF page of its physical size, for the composite and the chart.

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "platform/file_io.h"
#include "raster/raster_image.h"

namespace lenzora::output {

// A name whose final component ends in ".pdf", in any case.
bool namesPdf(std::string_view name);

// One page of exactly the picture's size at dpiNumerator / dpiDenominator dots per inch, the
// picture on it once at its own pixels, losslessly, in the profile's colour space when one is
// given (raster::writePdfPicture). Written through saveStreamed: a failed save leaves the old
// file.
void savePdf(const raster::RasterImage& picture, const std::filesystem::path& path,
             std::uint32_t dpiNumerator, std::uint32_t dpiDenominator,
             const platform::Bytes& iccProfile = {});

}  // namespace lenzora::output
