#include "output/exact_rational.h"

#include <numeric>

namespace lenzora::output {

raster::ExactDpi exactRational(core::FixedCount count) {
    constexpr std::int64_t kScale = 10000;
    const std::int64_t divisor = std::gcd(count, kScale);
    return {count / divisor, kScale / divisor};
}

}  // namespace lenzora::output
