#pragma once
// Row-level pixel work shared by the drawing, stretching and codec code. Everything here
// takes a row and a span of pixels; nothing is called once per pixel from outside.

#include <array>
#include <cstdint>
#include <vector>

#include "raster/raster_image.h"

namespace lenzora::raster::detail {

// The palette as a full 256-entry table; indices the palette lacks read as black.
using PaletteTable = std::array<Colour, 256>;
PaletteTable paletteTable(const std::vector<Colour>& palette);

int nearestPaletteIndex(const std::vector<Colour>& palette, Colour colour);

// The stored value that shows `colour` in an image of this format and palette.
std::uint32_t valueFor(PixelFormat format, const std::vector<Colour>& palette, Colour colour);

inline std::uint32_t packBgr(Colour c) {
    return std::uint32_t{c.blue} | std::uint32_t{c.green} << 8 | std::uint32_t{c.red} << 16;
}

// The stored value of pixel x of a row.
std::uint32_t readValue(const std::uint8_t* row, std::int32_t x, PixelFormat format);

// Sets pixels [x0, x1) of a row to `value`.
void fillRow(std::uint8_t* row, PixelFormat format, std::int32_t x0, std::int32_t x1,
             std::uint32_t value);

// Copies `count` pixels of one format from source pixel sx to destination pixel dx, bit-exact.
void copyPixels(std::uint8_t* dst, std::int32_t dx, const std::uint8_t* src, std::int32_t sx,
                std::int32_t count, PixelFormat format);

// Copies bit runs: `count` bits from bit offset srcBit to bit offset dstBit (MSB first).
void copyBits(std::uint8_t* dst, std::int64_t dstBit, const std::uint8_t* src, std::int64_t srcBit,
              std::int64_t count);

// Reads source pixels at the given columns into blue-green-red triplets.
void gatherBgr(PixelFormat format, const PaletteTable& table, const std::uint8_t* row,
               const std::int32_t* columns, std::int32_t count, std::uint8_t* bgr);

// Writes blue-green-red triplets into a row of any format; indexed formats take the nearest
// palette entry (remembered per colour, so a row of few colours costs few searches).
class BgrWriter {
  public:
    BgrWriter(PixelFormat format, const std::vector<Colour>& palette);
    void write(std::uint8_t* row, std::int32_t x, const std::uint8_t* bgr, std::int32_t count);

  private:
    std::uint32_t indexFor(std::uint32_t packed);

    PixelFormat format_;
    const std::vector<Colour>& palette_;
    std::vector<std::uint32_t> cacheKey_;
    std::vector<std::uint8_t> cacheIndex_;
};

}  // namespace lenzora::raster::detail
