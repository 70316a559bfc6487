#include "output/print_sheet.h"

#include <algorithm>
#include <cmath>

#include "output/print_image.h"
#include "platform/services.h"
#include "platform/text_raster.h"

namespace lenzora::output {
namespace {

std::int32_t nearestInt(long double x) { return core::toPixelCount(x, core::Rounding::Nearest); }

// Points on the sheet to device pixels on the page, the sheet centred on the printable area.
struct DeviceScale {
    long double left;  // the sheet's top-left corner on the page
    long double top;
    long double perPointX;
    long double perPointY;

    long double x(double points) const { return left + points * perPointX; }
    long double y(double points) const { return top + points * perPointY; }
};

// The device pixel a line at `at` runs along: the one it starts (a billionth allowed, so a
// line exactly on a pixel boundary keeps that pixel).
std::int32_t lineCell(long double at) {
    return core::toPixelCount(std::floor(at + 1e-9L), core::Rounding::Truncate);
}

// Draws an all-black rectangle as one 1-bit band, cut to the printable area.
void drawBlack(platform::Printer& printer, const raster::Rect& rect) {
    const std::int32_t left = std::max(rect.left, 0);
    const std::int32_t top = std::max(rect.top, 0);
    const std::int32_t right = std::min(rect.right, printer.printableWidth());
    const std::int32_t bottom = std::min(rect.bottom, printer.printableHeight());
    if (right <= left || bottom <= top) return;
    raster::RasterImage band;
    band.create(raster::PixelFormat::Indexed1, right - left, bottom - top);
    band.setFillColour(raster::kBlack);
    band.drawRectangle(0, 0, band.width(), band.height());
    platform::PixelBand pixels{band.width(), band.height(), band.stride(), 1, band.row(0)};
    printer.drawBand(left, top, pixels);
}

// The label line in black, its text `points` high at the printer's vertical resolution.
void drawLabel(platform::Printer& printer, const std::string& text, raster::Point at, int dpiY) {
    const platform::TextMask mask =
        platform::rasteriseText(text, {}, kLabelSize * dpiY / platform::kTextDotsPerInch, false);
    if (mask.width <= 0 || mask.height <= 0) return;
    raster::RasterImage band;
    band.create(raster::PixelFormat::Indexed1, mask.width, mask.height);
    for (std::int32_t y = 0; y < mask.height; ++y) {
        std::uint8_t* row = band.row(y);
        for (std::int32_t x = 0; x < mask.width; ++x) {
            if (mask.coverage[static_cast<std::size_t>(y) * mask.width + x] != 0) {
                row[x / 8] = static_cast<std::uint8_t>(row[x / 8] & ~(0x80u >> (x % 8)));
            }
        }
    }
    platform::PixelBand pixels{band.width(), band.height(), band.stride(), 1, band.row(0)};
    printer.drawBand(at.x, at.y, pixels);
}

}  // namespace

SheetOnPage placeSheet(const SheetPlan& plan, const PrinterPage& page, std::int32_t imageWidth,
                       std::int32_t imageHeight, core::FixedCount resolution) {
    const long double perPointX = page.dpiX / static_cast<long double>(kPointsPerInch);
    const long double perPointY = page.dpiY / static_cast<long double>(kPointsPerInch);
    const DeviceScale scale{(page.width - plan.width * perPointX) / 2,
                            (page.height - plan.height * perPointY) / 2, perPointX, perPointY};
    // Every copy is the same number of dots: the composite's inches at the printer's dpi.
    const long double inchesWide = imageWidth * core::kFixedScale / resolution;
    const long double inchesHigh = imageHeight * core::kFixedScale / resolution;
    const std::int32_t dotsWide = nearestInt(inchesWide * page.dpiX);
    const std::int32_t dotsHigh = nearestInt(inchesHigh * page.dpiY);

    SheetOnPage placed;
    for (const SheetRect& copy : plan.copies) {
        const std::int32_t left = nearestInt(scale.x(copy.left));
        const std::int32_t top = nearestInt(scale.y(copy.top));
        placed.copies.push_back({left, top, left + dotsWide, top + dotsHigh});
    }
    for (const SheetLine& line : plan.cropMarks) {
        if (line.y1 == line.y2) {
            const std::int32_t row = lineCell(scale.y(line.y1));
            const std::int32_t from = nearestInt(scale.x(std::min(line.x1, line.x2)));
            const std::int32_t to = nearestInt(scale.x(std::max(line.x1, line.x2)));
            placed.marks.push_back({from, row, std::max(to, from + 1), row + 1});
        } else {
            const std::int32_t column = lineCell(scale.x(line.x1));
            const std::int32_t from = nearestInt(scale.y(std::min(line.y1, line.y2)));
            const std::int32_t to = nearestInt(scale.y(std::max(line.y1, line.y2)));
            placed.marks.push_back({column, from, column + 1, std::max(to, from + 1)});
        }
    }
    if (plan.label) {
        placed.label = raster::Point{nearestInt(scale.x(plan.label->left)),
                                     nearestInt(scale.y(plan.label->top))};
    }
    return placed;
}

void printSheet(const raster::RasterImage& composite, core::FixedCount resolution,
                const SheetPlan& plan, const std::string& label, int dpiX, int dpiY) {
    platform::Printer& printer = *platform::services().printer;
    const PrinterPage page{printer.printableWidth(), printer.printableHeight(), dpiX, dpiY};
    const SheetOnPage placed =
        placeSheet(plan, page, composite.width(), composite.height(), resolution);
    printer.startDocument();
    for (const raster::Rect& copy : placed.copies) printStretched(printer, composite, copy);
    for (const raster::Rect& mark : placed.marks) drawBlack(printer, mark);
    if (placed.label && !label.empty()) drawLabel(printer, label, *placed.label, dpiY);
    printer.endDocument();
}

}  // namespace lenzora::output
