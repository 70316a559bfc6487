#pragma once
// Colour profiles of frames, through LittleCMS 2 (the only place the library is used).

#include <cstdint>
#include <memory>

#include "platform/file_io.h"
#include "raster/raster_image.h"

namespace lenzora::raster {

// Whether `profile` is an ICC profile of RGB colours that can convert pixels. A grey or CMYK
// profile does not describe the 24-bit pixels a frame is decoded into, and counts as none.
bool isRgbProfile(const platform::Bytes& profile);

// The sRGB profile, as frames without a profile of their own are taken to be.
platform::Bytes srgbProfile();

// A conversion of 24-bit colours from profile `from` to profile `to`, perceptual, made once
// and then applied to any number of rows, from any number of threads at once. Throws
// Error("Colour profile error") when a profile cannot convert.
class ColourTransform {
  public:
    ColourTransform(const platform::Bytes& from, const platform::Bytes& to);

    // Converts `width` pixels of blue, green, red in place.
    void apply(std::uint8_t* bgrRow, std::int32_t width) const;

  private:
    struct Deleter {
        void operator()(void* transform) const;
    };
    std::unique_ptr<void, Deleter> transform_;
};

// Converts the image's colours from profile `from` to profile `to` with perceptual intent:
// the pixels of a colour image, the palette of an indexed one, as ColourTransform does. Throws
// Error("Colour profile error") when a profile cannot convert.
void convertColours(RasterImage& image, const platform::Bytes& from, const platform::Bytes& to);

}  // namespace lenzora::raster
