#include "output/exact_rational.h"

#include <algorithm>
#include <numeric>

namespace lenzora::output {

std::pair<std::uint32_t, std::uint32_t> exactRational(core::FixedCount count) {
    std::int64_t numerator = count > 0 ? count : 0;
    std::int64_t denominator = 10000;
    const std::int64_t divisor = std::gcd(numerator, denominator);
    if (divisor > 1) {
        numerator /= divisor;
        denominator /= divisor;
    }
    while (numerator > 0xFFFFFFFFLL) {  // beyond 429 million dpi: give up digits
        numerator /= 10;
        denominator = std::max<std::int64_t>(1, denominator / 10);
    }
    return {static_cast<std::uint32_t>(numerator), static_cast<std::uint32_t>(denominator)};
}

}  // namespace lenzora::output
