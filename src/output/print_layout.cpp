#include "output/print_layout.h"

#include <cmath>

namespace lenzora::output {
namespace {

std::int32_t nearestInt(long double x) { return core::toPixelCount(x, core::Rounding::Nearest); }
std::int32_t truncInt(long double x) { return core::toPixelCount(x, core::Rounding::Truncate); }

// Inches of `pixels` at a resolution held in ten-thousandths.
long double inches(std::int32_t pixels, core::FixedCount resolution) {
    return static_cast<long double>(pixels) / static_cast<long double>(resolution) *
           core::kFixedScale;
}

}  // namespace

PrintPreviewLayout printPreviewLayout(const PrinterPage& page, std::int32_t imageWidth,
                                      std::int32_t imageHeight, core::FixedCount resolution) {
    PrintPreviewLayout layout;
    const long double pageInchesX = static_cast<long double>(page.width) / page.dpiX;
    const long double pageInchesY = static_cast<long double>(page.height) / page.dpiY;
    layout.pageWidth = nearestInt(pageInchesX * kPreviewPixelsPerInch);
    layout.pageHeight = nearestInt(pageInchesY * kPreviewPixelsPerInch);
    layout.pageLeft = truncInt((kPreviewWindowWidth - layout.pageWidth) / 2.0L);
    layout.pageTop = truncInt((kPreviewWindowHeight - layout.pageHeight) / 2.0L);

    const long double w = truncInt(inches(imageWidth, resolution) * kPreviewPixelsPerInch);
    const long double h = truncInt(inches(imageHeight, resolution) * kPreviewPixelsPerInch);
    const long double cx = layout.pageWidth / 2.0L;
    const long double cy = layout.pageHeight / 2.0L;
    const std::int32_t left = nearestInt(cx - w / 2);
    const std::int32_t top = nearestInt(cy - h / 2);
    const std::int32_t right = nearestInt(cx + w / 2);
    const std::int32_t bottom = nearestInt(cy + h / 2);
    layout.box = {left, top, right, bottom};
    layout.diagonals = {raster::Point{left, top}, raster::Point{right, bottom},
                        raster::Point{left, bottom}, raster::Point{right, top}};

    // Strict: exactly one inch over is no warning.
    layout.sizeOver = inches(imageWidth, resolution) - 1 > pageInchesX ||
                      inches(imageHeight, resolution) - 1 > pageInchesY;
    return layout;
}

raster::Rect printRectangle(const PrinterPage& page, std::int32_t imageWidth,
                            std::int32_t imageHeight, core::FixedCount resolution) {
    const long double sw = inches(imageWidth, resolution) * page.dpiX;
    const long double sh = inches(imageHeight, resolution) * page.dpiY;
    return {nearestInt((page.width - sw) / 2), nearestInt((page.height - sh) / 2),
            nearestInt((sw + page.width) / 2), nearestInt((sh + page.height) / 2)};
}

}  // namespace lenzora::output
