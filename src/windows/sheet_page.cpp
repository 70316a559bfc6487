#include "windows/sheet_page.h"

#include <algorithm>
#include <cmath>

#include "platform/text_raster.h"

namespace lenzora::windows {
namespace {

std::int32_t pixels(double points, double pixelsPerPoint) {
    return static_cast<std::int32_t>(std::lround(points * pixelsPerPoint));
}

}  // namespace

raster::RasterImage drawSheetPage(const output::SheetPlan& plan,
                                  const raster::RasterImage& composite, double pixelsPerPoint,
                                  const std::string& label) {
    raster::RasterImage page;
    page.create(raster::PixelFormat::Bgr24, std::max(1, pixels(plan.width, pixelsPerPoint)),
                std::max(1, pixels(plan.height, pixelsPerPoint)));
    if (!plan.copies.empty() && !composite.empty()) {
        // Every copy has the same size: one reduced picture, drawn at each place.
        const output::SheetRect& first = plan.copies.front();
        raster::RasterImage reduced;
        reduced.create(raster::PixelFormat::Bgr24, std::max(1, pixels(first.width, pixelsPerPoint)),
                       std::max(1, pixels(first.height, pixelsPerPoint)));
        reduced.stretchImage({0, 0, reduced.width(), reduced.height()}, composite);
        for (const output::SheetRect& copy : plan.copies) {
            page.drawImageAt(pixels(copy.left, pixelsPerPoint), pixels(copy.top, pixelsPerPoint),
                             reduced);
        }
    }
    page.setLineColour(raster::kBlack);
    for (const output::SheetLine& mark : plan.cropMarks) {
        page.drawPolyline({{pixels(mark.x1, pixelsPerPoint), pixels(mark.y1, pixelsPerPoint)},
                           {pixels(mark.x2, pixelsPerPoint), pixels(mark.y2, pixelsPerPoint)}});
    }
    if (plan.label && !label.empty()) {
        // The text's points at this scale, as the font engine counts them.
        page.setFontSize(output::kLabelSize * pixelsPerPoint * output::kPointsPerInch /
                         platform::kTextDotsPerInch);
        page.drawText(pixels(plan.label->left, pixelsPerPoint),
                      pixels(plan.label->top, pixelsPerPoint), label);
    }
    return page;
}

}  // namespace lenzora::windows
