#pragma once

namespace lenzora::platform {

// The program's fonts carry Windows names ("MS Serif", "黑体" ...) that no Linux machine
// has; maps each to installed faces of the same kind, with a CJK face for the Chinese texts.
void registerFontSubstitutions();

}  // namespace lenzora::platform
