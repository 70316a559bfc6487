#pragma once
// A composite's resolution as the exact fraction the picture writers take.

#include "core/numbers.h"
#include "raster/exact_dpi.h"

namespace lenzora::output {

// `count` ten-thousandths of a dot per inch, reduced.
raster::ExactDpi exactRational(core::FixedCount count);

}  // namespace lenzora::output
