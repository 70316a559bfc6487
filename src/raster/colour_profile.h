#pragma once
// Colour profiles of frames, through LittleCMS 2 (the only place the library is used).

#include "platform/file_io.h"
#include "raster/raster_image.h"

namespace lenzora::raster {

// Whether `profile` is an ICC profile of RGB colours that can convert pixels. A grey or CMYK
// profile does not describe the 24-bit pixels a frame is decoded into, and counts as none.
bool isRgbProfile(const platform::Bytes& profile);

// The sRGB profile, as frames without a profile of their own are taken to be.
platform::Bytes srgbProfile();

// Converts the image's colours from profile `from` to profile `to` with perceptual intent:
// the pixels of a colour image, the palette of an indexed one. Throws Error("Colour profile
// error") when a profile cannot convert.
void convertColours(RasterImage& image, const platform::Bytes& from, const platform::Bytes& to);

}  // namespace lenzora::raster
