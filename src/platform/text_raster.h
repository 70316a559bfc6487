#pragma once
// Turns a line of text into a coverage mask, through the toolkit's font engine. The raster
// library draws text only through this, so it never sees the toolkit.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lenzora::platform {

struct TextMask {
    std::int32_t width = 0;
    std::int32_t height = 0;             // the font's line height
    std::vector<std::uint8_t> coverage;  // row by row; 0 untouched, 255 fully covered
};

// Renders UTF-8 text in `family` (empty: the toolkit's default face) at `points` points,
// converted to pixels at the display's logical resolution. Without antialiasing every
// coverage value is 0 or 255. The mask is the text's advance wide and one line high, with
// the text's top-left corner at (0, 0).
TextMask rasteriseText(std::string_view text, const std::string& family, double points,
                       bool antialiased);

// Pixels per inch the display uses to turn points into pixels (96 without a display).
double logicalDotsPerInch();

}  // namespace lenzora::platform
