#pragma once
// PNG and TIFF files of every kind the readers take, made with libpng and libtiff themselves
// from sample values the tests choose.

#include <cstdint>
#include <vector>

#include "platform/file_io.h"

namespace lenzora::testing {

struct PngRecipe {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int colourType = 2;  // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    std::vector<std::uint16_t> samples;  // row by row, pixel by pixel, channel by channel
    bool interlaced = false;
    std::vector<std::uint8_t> palette;       // red, green, blue per entry
    std::vector<std::uint8_t> paletteAlpha;  // tRNS of a palette
    std::vector<std::uint16_t> keyColour;    // tRNS of grey (1 value) or RGB (3 values)
    platform::Bytes iccProfile;
    std::int32_t pixelsPerMetre = 0;
    platform::Bytes exif;  // an eXIf chunk; empty: none
};
platform::Bytes makePng(const PngRecipe& recipe);

struct TiffRecipe {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int photometric = 2;  // PHOTOMETRIC_*
    int bits = 8;
    int samplesPerPixel = 3;
    std::vector<std::uint16_t> samples;  // as for PngRecipe
    int compression = 1;                 // COMPRESSION_*
    std::uint32_t rowsPerStrip = 2;
    std::uint32_t tileSide = 0;  // 0: strips
    int extraSample = -1;        // EXTRASAMPLE_* of the sample after the colours; -1: none
    std::vector<std::uint16_t> colourMap;  // 3 x 256 values: reds, greens, blues
    platform::Bytes iccProfile;
    int orientation = 0;  // 0: no Orientation tag
};
platform::Bytes makeTiff(const TiffRecipe& recipe);

// An Exif block whose first directory holds the one Orientation value `value` (a SHORT in the
// entry itself, at byte 24 of a block with header), "Exif\0\0" in front when `header`.
platform::Bytes orientationExif(std::uint32_t value, bool bigEndian = false, bool header = true);

// A small valid ICC profile (sRGB, or Adobe RGB (1998) coordinates, or grey with gamma 2.2)
// made by LittleCMS.
platform::Bytes srgbProfile();
platform::Bytes wideGamutProfile();
platform::Bytes greyProfile();

}  // namespace lenzora::testing
