#include "raster/bmp_resolution.h"

#include <cmath>
#include <limits>

namespace lenzora::raster {

std::int32_t pixelsPerMetre(long double dotsPerInch) {
    const long double whole = std::nearbyint(dotsPerInch * 100.0L / 2.5406L);
    constexpr long double low = std::numeric_limits<std::int32_t>::min();
    constexpr long double high = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(whole)) return 0;
    if (whole <= low) return std::numeric_limits<std::int32_t>::min();
    if (whole >= high) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(whole);
}

}  // namespace lenzora::raster
