#pragma once
// The sheet as a PDF page of its exact size, the copies at their physical size.

#include <string_view>

#include "output/sheet_layout.h"
#include "platform/file_io.h"
#include "raster/raster_image.h"
#include "raster/saved_picture.h"

namespace lenzora::output {

// One page of the plan's size: `composite` added once (in `iccProfile`'s colour space when
// given) and placed at every copy, which the plan makes the composite's physical size; the
// crop marks as kCropMarkWidth lines; `label` (when the plan has a place for it and it is
// not empty) in Helvetica at kLabelSize points.
void writeSheetPdf(const SheetPlan& plan, const raster::RasterImage& composite,
                   const platform::Bytes& iccProfile, std::string_view label,
                   const raster::ByteSink& sink);

}  // namespace lenzora::output
