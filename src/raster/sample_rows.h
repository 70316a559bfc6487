#pragma once
// Turning the sample rows of a decoder (grey or colour, with or without alpha, 8 or 16 bits,
// CMYK) into rows of blue, green, red. One call per row; the loops stay inside.

#include <cstddef>
#include <cstdint>

namespace lenzora::raster::detail {

// 16-bit samples to 8 bits: round(v * 255 / 65535). No value lies halfway.
inline std::uint8_t eightBits(std::uint16_t v) {
    return static_cast<std::uint8_t>((std::uint32_t{v} * 255 + 32767) / 65535);
}

// A colour sample with straight alpha laid over white: round((a * c + (255 - a) * 255) / 255).
// No value lies halfway, 255 being odd.
inline std::uint8_t overWhite(std::uint32_t colour, std::uint32_t alpha) {
    return static_cast<std::uint8_t>((alpha * colour + (255 - alpha) * 255 + 127) / 255);
}

struct SampleLayout {
    int colours = 3;             // 1 (grey) or 3
    bool alpha = false;          // one more sample after the colours
    bool premultiplied = false;  // the colours are already multiplied by alpha
    bool bgrOrder = false;       // three colours come blue first
    bool invertedGrey = false;   // 0 is white (TIFF "min is white")
    int bits = 8;                // 8, or 16 in native byte order
    int samplesPerPixel = 0;     // 0: the colours and alpha; more: the rest are skipped
};

// `count` pixels of `samples` to blue-green-red triplets. 16-bit samples are rounded to 8 bits
// first; alpha is then laid over white.
void samplesToBgr(const std::uint8_t* samples, const SampleLayout& layout, std::uint8_t* bgr,
                  std::size_t count);

// CMYK pixels to blue, green, red: each ink's complement times black's complement, rounded.
// `inverted`: the samples already hold the complements (Adobe's CMYK JPEGs).
void cmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, std::size_t count, bool inverted);

}  // namespace lenzora::raster::detail
