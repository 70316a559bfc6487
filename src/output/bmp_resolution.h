#pragma once

#include <cstdint>

namespace lenzora::output {

// Pixels per metre for a resolution in dots per inch, as the BMP files of this program have
// always carried it: dpi * 100 / 2.5406, rounded half to even (1200 dpi gives 47233). Both
// resolution fields of a saved composite or chart hold it.
std::int32_t pixelsPerMetre(long double dotsPerInch);

}  // namespace lenzora::output
