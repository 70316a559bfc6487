#pragma once

#include <cstdint>

namespace lenzora::raster {

// Pixels per metre for a resolution in dots per inch: dpi * 100 / 2.5406, rounded half to
// even (1200 dpi gives 47233), saturated to 32 bits. Both resolution fields of a saved
// composite or chart hold it; the divisor 2.5406, not 2.54, keeps the figure that the files
// saved so far carry.
std::int32_t pixelsPerMetre(long double dotsPerInch);

}  // namespace lenzora::raster
