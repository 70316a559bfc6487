#pragma once

#include <cstdint>

#include "raster/raster_image.h"

namespace lenzora::interlace {

// Ticked: widens the composite to W + 4p (rows mode: heightens it to H + 4p) and draws four
// black bars of floor(p / 2) pixels at the end of each lens-period cell of the band.
// Unticked: crops or pads the composite back to W x H.
void applyCalibrationBand(raster::RasterImage& composite, bool ticked, int frameCount,
                          int stripWidth, std::int32_t W, std::int32_t H, int mode);

}  // namespace lenzora::interlace
