#pragma once

#include "core/numbers.h"
#include "raster/raster_image.h"

namespace lenzora::output {

// Prints the composite on one page of the current printer at its physical size at
// `resolution`, centred on the printable area, with the printer resolution of the last
// set-up (dpiX for widths, dpiY for heights).
void printComposite(const raster::RasterImage& composite, core::FixedCount resolution, int dpiX,
                    int dpiY);

}  // namespace lenzora::output
