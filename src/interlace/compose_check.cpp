#include "interlace/compose_check.h"

namespace lenzora::interlace {

std::optional<std::string> missingFrameMessage(const frames::FrameSlots& slots, int frameCount) {
    for (int k = 1; k <= core::kMaxFrames; ++k) {
        if (k > 2 && k > frameCount) continue;
        if (!slots[k].empty()) continue;
        // Slots 8 and up have always said it twice.
        return "Photo" + std::to_string(k) + " not select" + (k >= 8 ? "！！" : "！");
    }
    return std::nullopt;
}

}  // namespace lenzora::interlace
