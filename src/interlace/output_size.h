#pragma once

#include <cstdint>
#include <string_view>

#include "core/numbers.h"

namespace lenzora::interlace {

// W and H from the texts of the width and height boxes, truncated toward zero (on the
// printer's grid, `printerGrid`: millimetres and inches rounded to nearest). W is set
// before the height text is read, so a bad height text leaves the new W and the old H.
// Any other unit keeps both. A text that is no number raises the conversion error.
void composeOutputSize(std::int32_t& W, std::int32_t& H, std::int32_t unit,
                       std::string_view widthText, std::string_view heightText,
                       core::FixedCount resolution, bool printerGrid = false);

}  // namespace lenzora::interlace
