#pragma once
// The print preview's picture of a sheet: white paper, each copy a reduced picture of the
// composite at its place, the crop marks and the label's line, at a given scale.

#include <string>

#include "output/sheet_layout.h"
#include "raster/raster_image.h"

namespace lenzora::windows {

// The sheet `plan` at `pixelsPerPoint`, the composite reduced once and drawn at every copy.
raster::RasterImage drawSheetPage(const output::SheetPlan& plan,
                                  const raster::RasterImage& composite, double pixelsPerPoint,
                                  const std::string& label);

}  // namespace lenzora::windows
