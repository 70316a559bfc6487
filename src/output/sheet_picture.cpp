#include "output/sheet_picture.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/numbers.h"
#include "platform/text_raster.h"
#include "raster/size_limit.h"

namespace lenzora::output {

std::int32_t sheetPixels(double points, long double dotsPerInch) {
    return core::toPixelCount(points * dotsPerInch / kPointsPerInch, core::Rounding::Nearest);
}

raster::Point checkSheetPicture(const SheetPlan& plan, long double dotsPerInch) {
    const std::int32_t width = sheetPixels(plan.width, dotsPerInch);
    const std::int32_t height = sheetPixels(plan.height, dotsPerInch);
    if (width >= std::numeric_limits<std::int32_t>::max() ||
        height >= std::numeric_limits<std::int32_t>::max()) {
        throw raster::ImageTooLarge(static_cast<std::uint64_t>(width),
                                    static_cast<std::uint64_t>(height));
    }
    // Our own picture: held to the memory available, not to the frames' pixel ceiling.
    const raster::OwnFilesOnly own;
    raster::checkDecodedSize(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height),
                             raster::bitsPerPixel(raster::PixelFormat::Bgr24));
    return {width, height};
}

raster::RasterImage sheetPicture(const SheetPlan& plan, const raster::RasterImage& composite,
                                 long double dotsPerInch, std::string_view label) {
    const raster::Point size = checkSheetPicture(plan, dotsPerInch);
    raster::RasterImage sheet;
    sheet.create(raster::PixelFormat::Bgr24, size.x, size.y);
    auto at = [dotsPerInch](double points) { return sheetPixels(points, dotsPerInch); };
    for (const SheetRect& copy : plan.copies)
        sheet.drawImageAt(at(copy.left), at(copy.top), composite);
    // A mark runs along its line on the pixels that start there; its ends round as the copies'
    // edges do, so a mark kept a point short of a neighbour stays off it.
    sheet.setLineColour(raster::kBlack);
    for (const SheetLine& mark : plan.cropMarks) {
        const std::int32_t x1 = at(std::min(mark.x1, mark.x2));
        const std::int32_t x2 = at(std::max(mark.x1, mark.x2));
        const std::int32_t y1 = at(std::min(mark.y1, mark.y2));
        const std::int32_t y2 = at(std::max(mark.y1, mark.y2));
        sheet.drawRectangle(x1, y1, std::max(x2, x1 + 1), std::max(y2, y1 + 1));
    }
    if (plan.label && !label.empty()) {
        // The text engine turns points into pixels at 96 dpi; the label must come out at
        // kLabelSize points at the sheet's resolution.
        sheet.setFontSize(
            static_cast<double>(kLabelSize * dotsPerInch / platform::kTextDotsPerInch));
        sheet.setFontColour(raster::kBlack);
        sheet.setFillColour(raster::kWhite);
        sheet.drawText(at(plan.label->left), at(plan.label->top), label);
    }
    return sheet;
}

}  // namespace lenzora::output
