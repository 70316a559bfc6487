#include "output/bmp_resolution.h"

#include "core/numbers.h"

namespace lenzora::output {

std::int32_t pixelsPerMetre(long double dotsPerInch) {
    return core::toPixelCount(dotsPerInch * 100.0L / 2.5406L, core::Rounding::Nearest);
}

}  // namespace lenzora::output
