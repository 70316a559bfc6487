#include "testchart/save_chart.h"

#include "raster/picture_formats.h"
#include "raster/picture_writers.h"

namespace lenzora::testchart {

void saveChartBmp(const raster::RasterImage& chart, const std::filesystem::path& path, int dpi) {
    raster::writeBmpPicture(chart, {dpi, 1}, {}, path);
}

void saveChart(const raster::RasterImage& chart, const std::filesystem::path& path, int dpi) {
    const raster::PictureFormat& format =
        raster::saveFormatFor(path.string(), raster::SavedPicture::Chart);
    format.writeChart(chart, {dpi, 1}, {}, path);
}

}  // namespace lenzora::testchart
