#pragma once

#include "platform/printer.h"
#include "raster/raster_image.h"

namespace lenzora::output {

// Stretches the whole image into `target` on the printer's page (device pixels; what lies
// outside the printable area is cut off) by the stretch rule with the printer as the device,
// a band of rows at a time so a large page never needs one large image.
void printStretched(platform::Printer& printer, const raster::RasterImage& image,
                    const raster::Rect& target, std::size_t bandBytes = std::size_t{32} << 20);

}  // namespace lenzora::output
