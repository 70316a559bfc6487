#pragma once
// The orientation a camera records beside the pixels (Exif tag 0x0112, the TIFF Orientation
// tag of the same number), and turning a picture stored otherwise so that it stands upright.

#include <cstdint>

#include "raster/raster_image.h"

namespace lenzora::raster {

// Where the stored picture's first row and first column belong in the upright picture,
// numbered as the tag numbers them.
enum class Orientation : std::uint8_t {
    AsStored = 1,          // first row at the top, first column at the left
    Mirrored = 2,          // top, right
    HalfTurn = 3,          // bottom, right
    Flipped = 4,           // bottom, left
    Transposed = 5,        // left, top
    QuarterTurnRight = 6,  // right, top: stands upright turned 90 degrees clockwise
    Transversed = 7,       // right, bottom
    QuarterTurnLeft = 8,   // left, bottom: stands upright turned 90 degrees counter-clockwise
};

// The orientation a tag's value names; AsStored for a value outside 1 ... 8, which no
// camera writes and which is taken as no orientation at all.
Orientation orientationFromTag(std::uint32_t value);

// Whether the upright picture's width is the stored picture's height.
bool swapsSides(Orientation orientation);

// Turns `image` upright. The mirror, flip and half turn work in the image's own rows; the
// others need a second image of the turned size, counted as a decoded picture
// (checkDecodedSize: reserved in the frame's memory) while the first still lives, and may throw
// ImageTooLarge. Format and palette stay.
void turnUpright(RasterImage& image, Orientation orientation);

}  // namespace lenzora::raster
