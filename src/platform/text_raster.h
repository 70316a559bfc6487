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

// Pixels per inch that turn a text's points into pixels: the usual desktop resolution, fixed
// so that an image's text never depends on the display the program runs on.
inline constexpr double kTextDotsPerInch = 96.0;

// Renders UTF-8 text in `family` (empty: the toolkit's default face) at `points` points,
// converted to pixels at kTextDotsPerInch, unhinted. Without antialiasing every coverage value
// is 0 or 255. The mask is the text's advance wide and one line high, with the text's top-left
// corner at (0, 0). The same arguments give the same mask every time.
TextMask rasteriseText(std::string_view text, const std::string& family, double points,
                       bool antialiased);

}  // namespace lenzora::platform
