#include "testchart/save_chart.h"

#include "output/bmp_resolution.h"
#include "raster/bmp_codec.h"

namespace lenzora::testchart {

void saveChartBmp(const raster::RasterImage& chart, const std::filesystem::path& path, int dpi) {
    raster::saveBmpFile(chart, path, output::pixelsPerMetre(dpi));
}

}  // namespace lenzora::testchart
