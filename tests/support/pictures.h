#pragma once
// Pictures made by the tests: every pixel of a pattern tells where it came from.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "interlace/compose_state.h"
#include "raster/raster_image.h"

namespace lenzora::testing {

// A 24-bit w x h image whose pixel (x, y) is unique within 4096 x 4096 and carries `tag` in
// the low bits of green, so frames can be told apart.
raster::RasterImage patternImage(std::int32_t w, std::int32_t h, int tag);

// One colour all over.
raster::RasterImage plainImage(std::int32_t w, std::int32_t h, raster::Colour colour);

// Squares of `block` pixels in plain colours as `grid` lays them out, rows split by '/': R red,
// G green, B blue, Y yellow, K black, W white. With `oneBit`, a 1-bit picture of K and W.
raster::RasterImage gridImage(const std::string& grid, std::int32_t block, bool oneBit = false);
// The grid a picture of such squares shows, each told by the colour at its centre.
std::string gridOf(const raster::RasterImage& image, std::int32_t block);

// Two frames of one-pixel strips: black in the even columns, `light` in the odd ones.
raster::RasterImage stripedImage(std::int32_t w, std::int32_t h, raster::Colour light);

// Every pixel's colour as text, row by row, for comparing whole pictures in one check.
std::string describePixels(const raster::RasterImage& image);

void writeBmp(const std::filesystem::path& path, const raster::RasterImage& image);
void writeJpeg(const std::filesystem::path& path, const raster::RasterImage& image);

// Compares a composite with the strip images it was made from, pixel by pixel: column x
// (rows mode: row y) lies in lens L = x / p at offset r = x % p, shows frame r / s + 1 and takes
// column L * s + r % s of that frame's strip; beyond that strip image it is white.
// Returns a description of the first pixel that differs, or an empty text.
std::string interlaceMismatch(const raster::RasterImage& composite,
                              const std::vector<raster::RasterImage>& strips, int s, int mode,
                              const interlace::ComposeState& state);

// The columns (rows mode: rows) of the image's first row (column) that are black, as a list.
std::vector<std::int32_t> blackColumns(const raster::RasterImage& image, std::int32_t row);

}  // namespace lenzora::testing
