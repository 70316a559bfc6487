#include "testchart/save_chart.h"

#include "output/set_bmp_resolution.h"
#include "raster/bmp_codec.h"

namespace lenzora::testchart {

void saveChartBmp(const raster::RasterImage& chart, const std::filesystem::path& path, int dpi) {
    raster::saveBmpFile(chart, path, [dpi](const std::filesystem::path& written) {
        output::setBmpResolution(written, dpi);
    });
}

}  // namespace lenzora::testchart
