#pragma once
// Where the composite lands on the printed page and in the print preview. Heights use the
// printer's vertical resolution, widths its horizontal one (equal on most printers).

#include <array>
#include <cstdint>

#include "core/numbers.h"
#include "raster/raster_image.h"

namespace lenzora::output {

// The preview window's outer size; the page image is centred in it.
inline constexpr std::int32_t kPreviewWindowWidth = 485;
inline constexpr std::int32_t kPreviewWindowHeight = 492;
// Preview pixels per inch of paper.
inline constexpr long double kPreviewPixelsPerInch = 25.0L;

struct PrinterPage {
    std::int32_t width = 0;  // printable area in device pixels
    std::int32_t height = 0;
    int dpiX = 0;
    int dpiY = 0;
};

struct PrintPreviewLayout {
    std::int32_t pageWidth = 0;  // the page image
    std::int32_t pageHeight = 0;
    std::int32_t pageLeft = 0;  // its place in the window
    std::int32_t pageTop = 0;
    raster::Rect box;                        // the composite's place on the page image
    std::array<raster::Point, 4> diagonals;  // the polyline: both diagonals and the bottom edge
    bool sizeOver = false;  // more than an inch wider or taller than the printable area
};

PrintPreviewLayout printPreviewLayout(const PrinterPage& page, std::int32_t imageWidth,
                                      std::int32_t imageHeight, core::FixedCount resolution);

// The rectangle on the page, in device pixels, that the composite is stretched into: its
// physical size at `resolution`, centred on the printable area (it may extend beyond it).
raster::Rect printRectangle(const PrinterPage& page, std::int32_t imageWidth,
                            std::int32_t imageHeight, core::FixedCount resolution);

}  // namespace lenzora::output
