#pragma once

#include <cstdint>

#include "interlace/lens_map.h"
#include "raster/raster_image.h"

namespace lenzora::interlace {

// Ticked: widens the composite to W + 4p (rows mode: heightens it to H + 4p) and draws four
// black bars of floor(p / 2) pixels at the end of each lens-period cell of the band.
// Unticked: crops or pads the composite back to W x H.
void applyCalibrationBand(raster::RasterImage& composite, bool ticked, int frameCount,
                          int stripWidth, std::int32_t W, std::int32_t H, int mode);

// The same for the layout's W x H, its lens and mode: on the printer's grid, the band of
// calibrationBars().
void applyCalibrationBand(raster::RasterImage& composite, bool ticked, const LensLayout& layout);

}  // namespace lenzora::interlace
