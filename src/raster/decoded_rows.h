#pragma once
// Where a decoder puts the rows it decodes, top to bottom: into one whole image, or a band at a
// time to be used and forgotten, so that a large frame need never be held whole: fresh memory
// for a whole 12-megapixel frame costs about as much as decoding it, a band that stays in the
// cache next to nothing.

#include <cstdint>
#include <vector>

#include "raster/raster_image.h"

namespace lenzora::raster {

class DecodedRows {
  public:
    virtual ~DecodedRows() = default;
    // The picture's format and size, before any row; its size is checked already.
    virtual void begin(PixelFormat format, std::int32_t width, std::int32_t height) = 0;
    // Where row y is to be decoded: room for its pixels, which are all the decoder writes.
    // Asked for top to bottom, at most a few rows ahead of the last decodedTo().
    virtual std::uint8_t* row(std::int32_t y) = 0;
    // Rows [0, end) hold their final pixels.
    virtual void decodedTo(std::int32_t end) = 0;
    // The palette of an indexed picture, after its last row.
    virtual void setPalette(std::vector<Colour> palette) = 0;
};

// Into one whole image.
class WholeImageRows final : public DecodedRows {
  public:
    void begin(PixelFormat format, std::int32_t width, std::int32_t height) override {
        image.allocate(format, width, height);
    }
    std::uint8_t* row(std::int32_t y) override { return image.row(y); }
    void decodedTo(std::int32_t /*end*/) override {}
    void setPalette(std::vector<Colour> palette) override { image.setPalette(std::move(palette)); }

    RasterImage image;
};

}  // namespace lenzora::raster
