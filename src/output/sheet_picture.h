#pragma once
// The whole sheet as one picture at the composite's resolution: each copy put pixel for pixel
// where the plan says, the crop marks one device pixel wide and the label line, on white.

#include <cstdint>
#include <string_view>

#include "output/sheet_layout.h"
#include "raster/raster_image.h"

namespace lenzora::output {

// A length of the plan in pixels at `dotsPerInch`: nearest(points × dpi / 72).
std::int32_t sheetPixels(double points, long double dotsPerInch);

// The picture's width and height; throws raster::ImageTooLarge when a picture of that size
// could not be held in the memory available now.
raster::Point checkSheetPicture(const SheetPlan& plan, long double dotsPerInch);

// Every copy of `composite` with its top-left corner at the pixel nearest to the plan's, the
// crop marks in black one pixel wide on the pixel row (column) starting at their line, and
// `label` (if not empty) in black at kLabelSize points where the plan puts it. The composite
// is never scaled: its pixels are the plan's copies at `dotsPerInch`.
raster::RasterImage sheetPicture(const SheetPlan& plan, const raster::RasterImage& composite,
                                 long double dotsPerInch, std::string_view label);

}  // namespace lenzora::output
