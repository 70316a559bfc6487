#pragma once
// Writing the chart as a 1-bit BMP file with its resolution stamped.

#include <filesystem>

#include "raster/raster_image.h"

namespace lenzora::testchart {

// Writes the same bytes saveBmpFile gives, streamed a block of rows at a time so a chart of
// hundreds of megabytes never exists twice in memory, then stamps `dpi` into both
// resolution fields. Any extension gives BMP data. The file is written under a temporary
// name in its folder and renamed, so a failure leaves whatever was there before.
void saveChartBmp(const raster::RasterImage& chart, const std::filesystem::path& path, int dpi);

}  // namespace lenzora::testchart
