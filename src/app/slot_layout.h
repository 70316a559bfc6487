#pragma once
// Where the 16 slot buttons and thumbnails stand. Positions are relative to the group
// "合成图像来源", except the buttons of slots 13 to 16, which stand on the window itself.

#include "core/output_settings.h"

namespace lenzora::app {

// In slot order; the controls are named "slotButtonN" and "thumbnailN".
struct SlotPlace {
    int buttonX, buttonY;
    bool buttonOnWindow;
    int thumbX, thumbY;
};

inline constexpr SlotPlace kSlotPlaces[core::kMaxFrames] = {
    {16, 32, false, 8, 59},      {89, 32, false, 80, 59},     {160, 32, false, 152, 59},
    {233, 32, false, 224, 59},   {16, 131, false, 8, 165},    {89, 131, false, 80, 165},
    {160, 131, false, 152, 165}, {233, 131, false, 224, 165}, {16, 230, false, 8, 264},
    {89, 230, false, 80, 264},   {160, 230, false, 152, 264}, {233, 230, false, 224, 264},
    {16, 502, true, 8, 367},     {89, 502, true, 80, 367},    {160, 502, true, 152, 367},
    {233, 502, true, 224, 367},
};

inline constexpr int kSlotButtonWidth = 50;
inline constexpr int kSlotButtonHeight = 25;

}  // namespace lenzora::app
