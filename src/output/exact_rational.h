#pragma once
// A resolution as the fraction TIFF structures (Exif, TIFF files) store it.

#include <cstdint>
#include <utility>

#include "core/numbers.h"

namespace lenzora::output {

// A rational that holds `count` ten-thousandths exactly, reduced, in 32-bit terms (beyond
// 429 million the last digits are given up).
std::pair<std::uint32_t, std::uint32_t> exactRational(core::FixedCount count);

}  // namespace lenzora::output
