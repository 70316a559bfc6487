#include "testchart/save_chart.h"

#include "output/bmp_resolution.h"
#include "output/picture_format.h"
#include "output/save_pdf.h"
#include "output/saved_picture.h"
#include "raster/bmp_codec.h"
#include "raster/png_codec.h"
#include "raster/tiff_codec.h"

namespace lenzora::testchart {

void saveChartBmp(const raster::RasterImage& chart, const std::filesystem::path& path, int dpi) {
    raster::saveBmpFile(chart, path, output::pixelsPerMetre(dpi));
}

void saveChart(const raster::RasterImage& chart, const std::filesystem::path& path, int dpi) {
    if (output::namesPdf(path.string())) {
        output::savePdf(chart, path, static_cast<std::uint32_t>(std::max(dpi, 0)), 1);
        return;
    }
    switch (output::pictureFormatForName(path.string())) {
        case output::PictureFormat::Png: {
            raster::PngOptions options;
            options.pixelsPerMetre = output::pngPixelsPerMetre(dpi);
            output::saveStreamed(path, [&](const output::ByteSink& sink) {
                raster::writePng(chart, options, sink);
            });
            return;
        }
        case output::PictureFormat::Tiff: {
            raster::TiffOptions options;
            options.resolutionNumerator = static_cast<std::uint32_t>(std::max(dpi, 0));
            output::savePicture(path, raster::encodeTiff(chart, options));
            return;
        }
        case output::PictureFormat::Bmp:
        case output::PictureFormat::Jpeg:
            break;
    }
    saveChartBmp(chart, path, dpi);
}

}  // namespace lenzora::testchart
