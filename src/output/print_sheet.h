#pragma once
// Prints a sheet of copies of one composite: the sheet's centre on the centre of the
// printable area (as a single composite is placed), each copy stretched into its exact
// physical size in device pixels, the crop marks one device pixel wide, the label's text.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/numbers.h"
#include "output/print_layout.h"
#include "output/sheet_layout.h"
#include "raster/raster_image.h"

namespace lenzora::output {

// The sheet's parts on the printer's page, in device pixels (widths at dpiX, heights at
// dpiY); parts may extend beyond the printable area, where the printer cuts them off.
struct SheetOnPage {
    std::vector<raster::Rect> copies;    // each exactly the composite's physical size
    std::vector<raster::Rect> marks;     // one device pixel across
    std::optional<raster::Point> label;  // the label text's top-left corner
};

// Where `plan`'s copies of a composite of `imageWidth` x `imageHeight` pixels at
// `resolution` land on `page`.
SheetOnPage placeSheet(const SheetPlan& plan, const PrinterPage& page, std::int32_t imageWidth,
                       std::int32_t imageHeight, core::FixedCount resolution);

// Prints the sheet on one page of the current printer; `label` is the label line's text
// (drawn only when the plan has a label box).
void printSheet(const raster::RasterImage& composite, core::FixedCount resolution,
                const SheetPlan& plan, const std::string& label, int dpiX, int dpiY);

}  // namespace lenzora::output
