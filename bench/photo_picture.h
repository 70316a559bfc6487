#pragma once
// The picture the benchmarks work on: smooth gradients with a little noise, like a photograph,
// so that compressed file sizes are realistic. The same for every run.

#include <cstdint>
#include <random>

#include "raster/raster_image.h"

namespace lenzora::bench {

inline raster::RasterImage photoPicture(std::int32_t w, std::int32_t h) {
    raster::RasterImage image;
    image.create(raster::PixelFormat::Bgr24, w, h);
    std::mt19937 random(7);
    for (std::int32_t y = 0; y < h; ++y) {
        std::uint8_t* row = image.row(y);
        for (std::int32_t x = 0; x < w; ++x) {
            const unsigned noise = random() & 15;
            row[3 * x] = static_cast<std::uint8_t>((x * 255 / w + noise) & 255);
            row[3 * x + 1] = static_cast<std::uint8_t>((y * 255 / h + noise) & 255);
            row[3 * x + 2] =
                static_cast<std::uint8_t>(((x + y) * 127 / (w + h) + 64 + noise) & 255);
        }
    }
    return image;
}

}  // namespace lenzora::bench
