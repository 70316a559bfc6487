#pragma once
// Writing the chart as a 1-bit file carrying its resolution.

#include <filesystem>

#include "raster/raster_image.h"

namespace lenzora::testchart {

// Writes the same bytes saveBmpFile gives, streamed a block of rows at a time so a chart of
// hundreds of megabytes never exists twice in memory, with `dpi` in both resolution fields
// of the header. Any extension gives BMP data. The file is written through
// platform::SaveFile, so a failure leaves whatever was there before.
void saveChartBmp(const raster::RasterImage& chart, const std::filesystem::path& path, int dpi);

// In the format its name says among those that write a chart (raster::saveFormatFor): a 1-bit
// TIFF in CCITT Group 4 for ".tif" or ".tiff" (any case), a 1-bit grey PNG for ".png", both at
// `dpi`; every other name the BMP of saveChartBmp.
void saveChart(const raster::RasterImage& chart, const std::filesystem::path& path, int dpi);

}  // namespace lenzora::testchart
