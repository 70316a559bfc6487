#pragma once
// Where a picture control shows an image: the rectangle for its stretch, proportional and
// centre flags.

#include <cstdint>

#include "raster/raster_image.h"

namespace lenzora::raster {

struct DisplayFlags {
    bool stretch = false;
    bool proportional = false;
    bool centre = false;
};

// The rectangle, in area coordinates, that a w × h picture takes in a cw × ch area.
Rect fitToArea(std::int32_t w, std::int32_t h, std::int32_t cw, std::int32_t ch,
               DisplayFlags flags);

}  // namespace lenzora::raster
