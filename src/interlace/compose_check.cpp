#include "interlace/compose_check.h"

#include "platform/translation.h"

namespace lenzora::interlace {

std::optional<std::string> missingFrameMessage(const frames::FrameSlots& slots, int frameCount) {
    for (int k = 1; k <= core::kMaxFrames; ++k) {
        if (k > 2 && k > frameCount) continue;
        if (!slots[k].empty()) continue;
        // Slots 8 and up have always said it twice.
        const char* text = k >= 8
                               ? QT_TRANSLATE_NOOP("lenzora::interlace", "Photo%1 not select！！")
                               : QT_TRANSLATE_NOOP("lenzora::interlace", "Photo%1 not select！");
        return platform::fillIn(platform::translate("lenzora::interlace", text),
                                {std::to_string(k)});
    }
    return std::nullopt;
}

}  // namespace lenzora::interlace
