#pragma once

#include <optional>
#include <string>

#include "frames/frame_slots.h"

namespace lenzora::interlace {

// The message for the first slot up to the frame count that is empty: slots 1 and 2 always,
// slots 3 ... 16 while within the count ("Photo3 not select！", "Photo8 not select！！").
std::optional<std::string> missingFrameMessage(const frames::FrameSlots& slots, int frameCount);

}  // namespace lenzora::interlace
