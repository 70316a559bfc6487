#include "raster/exact_dpi.h"

#include <algorithm>
#include <numeric>

namespace lenzora::raster {

long double dotsPerInch(const ExactDpi& dpi) {
    return static_cast<long double>(dpi.numerator) / static_cast<long double>(dpi.denominator);
}

std::pair<std::uint32_t, std::uint32_t> rational32(const ExactDpi& dpi) {
    std::int64_t numerator = std::max<std::int64_t>(dpi.numerator, 0);
    std::int64_t denominator = std::max<std::int64_t>(dpi.denominator, 1);
    const std::int64_t divisor = std::gcd(numerator, denominator);
    if (divisor > 1) {
        numerator /= divisor;
        denominator /= divisor;
    }
    while (numerator > 0xFFFFFFFFLL) {  // beyond 32 bits: give up digits
        numerator /= 10;
        denominator = std::max<std::int64_t>(1, denominator / 10);
    }
    return {static_cast<std::uint32_t>(numerator), static_cast<std::uint32_t>(denominator)};
}

}  // namespace lenzora::raster
