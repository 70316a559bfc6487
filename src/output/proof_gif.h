#pragma once
// Animated GIF files, through giflib (the only place the library is used): the proof a print
// shop sends its customer.

#include <cstdint>
#include <filesystem>
#include <functional>

#include "raster/raster_image.h"

namespace lenzora::output {

// Saves `frameCount` pictures of width x height, asked of `frame` (0 ... frameCount - 1) one at
// a time, as an animation that loops forever and shows each for `delayCentiseconds`. Each
// picture is reduced to 256 colours of its own. Written through platform::SaveFile, so a
// failed save leaves any earlier file of that name intact; a failure of the file is reported
// as "Cannot create file "<path>". <reason>", one of the library as "GIF error: <reason>".
void saveAnimatedGif(const std::filesystem::path& path, std::int32_t width, std::int32_t height,
                     int frameCount, int delayCentiseconds,
                     const std::function<raster::RasterImage(int)>& frame);

}  // namespace lenzora::output
