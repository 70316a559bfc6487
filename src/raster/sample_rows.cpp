#include "raster/sample_rows.h"

#include <algorithm>
#include <cstring>

namespace lenzora::raster::detail {
namespace {

template <class Sample>
std::uint8_t to8(Sample s) {
    if constexpr (sizeof(Sample) == 1) {
        return s;
    } else {
        return eightBits(s);
    }
}

template <class Sample>
void convert(const Sample* in, const SampleLayout& layout, std::uint8_t* bgr, std::size_t count) {
    const std::size_t step =
        layout.samplesPerPixel > 0
            ? static_cast<std::size_t>(layout.samplesPerPixel)
            : static_cast<std::size_t>(layout.colours) + (layout.alpha ? 1 : 0);
    const std::uint8_t greyFlip = layout.invertedGrey ? 255 : 0;
    for (std::size_t i = 0; i < count; ++i, in += step, bgr += 3) {
        std::uint8_t b, g, r;
        if (layout.colours == 1) {
            b = g = r = static_cast<std::uint8_t>(to8(in[0]) ^ greyFlip);
        } else if (layout.bgrOrder) {
            b = to8(in[0]);
            g = to8(in[1]);
            r = to8(in[2]);
        } else {
            r = to8(in[0]);
            g = to8(in[1]);
            b = to8(in[2]);
        }
        if (layout.alpha) {
            const std::uint32_t a = to8(in[layout.colours]);
            if (layout.premultiplied) {
                // The colour already carries its share; white fills the rest.
                b = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, b + 255 - a));
                g = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, g + 255 - a));
                r = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, r + 255 - a));
            } else {
                b = overWhite(b, a);
                g = overWhite(g, a);
                r = overWhite(r, a);
            }
        }
        bgr[0] = b;
        bgr[1] = g;
        bgr[2] = r;
    }
}

}  // namespace

void samplesToBgr(const std::uint8_t* samples, const SampleLayout& layout, std::uint8_t* bgr,
                  std::size_t count) {
    const bool plainColour =
        layout.bits == 8 && layout.colours == 3 && !layout.alpha && layout.samplesPerPixel <= 3;
    if (plainColour && layout.bgrOrder) {
        std::memcpy(bgr, samples, 3 * count);
    } else if (plainColour) {
        // The common case of TIFF files, kept free of the general loop's choices.
        for (std::size_t i = 0; i < 3 * count; i += 3) {
            bgr[i] = samples[i + 2];
            bgr[i + 1] = samples[i + 1];
            bgr[i + 2] = samples[i];
        }
    } else if (layout.bits == 16) {
        convert(reinterpret_cast<const std::uint16_t*>(samples), layout, bgr, count);
    } else {
        convert(samples, layout, bgr, count);
    }
}

void cmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, std::size_t count, bool inverted) {
    for (std::size_t i = 0; i < count; ++i) {
        unsigned c = cmyk[4 * i], m = cmyk[4 * i + 1], y = cmyk[4 * i + 2], k = cmyk[4 * i + 3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        // Each value is now the share of light the ink lets through.
        bgr[3 * i] = static_cast<std::uint8_t>((y * k + 127) / 255);
        bgr[3 * i + 1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        bgr[3 * i + 2] = static_cast<std::uint8_t>((c * k + 127) / 255);
    }
}

}  // namespace lenzora::raster::detail
