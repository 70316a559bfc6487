#pragma once

#include "app/numbers.h"
#include "raster/raster_image.h"

namespace lenzora {

// Prints the composite on one page of the current printer at its physical size at
// `resolution`, centred on the printable area, with the printer resolution of the last
// set-up (dpiX for widths, dpiY for heights).
void PrintComposite(const raster::RasterImage& composite, FixedCount resolution, int dpiX,
                    int dpiY);

}  // namespace lenzora
