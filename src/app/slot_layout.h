#pragma once
// Where the 16 slot buttons and thumbnails stand. Positions are relative to the group
// "合成图像来源", except the buttons of slots 13 to 16, which stand on the window itself.

namespace lenzora::app {

struct SlotPlace {
    const char* button;     // control name, also the handler's stem
    const char* thumbnail;  // control name of the 65 x 57 picture
    int buttonX, buttonY;
    bool buttonOnWindow;
    int thumbX, thumbY;
};

inline constexpr SlotPlace kSlotPlaces[16] = {
    {"Button1", "Image3", 16, 32, false, 8, 59},
    {"Button2", "Image4", 89, 32, false, 80, 59},
    {"Button3", "Image5", 160, 32, false, 152, 59},
    {"Button6", "Image6", 233, 32, false, 224, 59},
    {"Button7", "Image7", 16, 131, false, 8, 165},
    {"Button8", "Image8", 89, 131, false, 80, 165},
    {"Button10", "Image9", 160, 131, false, 152, 165},
    {"Button11", "Image10", 233, 131, false, 224, 165},
    {"Button18", "Image11", 16, 230, false, 8, 264},
    {"Button19", "Image12", 89, 230, false, 80, 264},
    {"Button20", "Image13", 160, 230, false, 152, 264},
    {"Button21", "Image14", 233, 230, false, 224, 264},
    {"Button13", "Image18", 16, 502, true, 8, 367},
    {"Button15", "Image17", 89, 502, true, 80, 367},
    {"Button16", "Image16", 160, 502, true, 152, 367},
    {"Button17", "Image15", 233, 502, true, 224, 367},
};

inline constexpr int kSlotButtonWidth = 50;
inline constexpr int kSlotButtonHeight = 25;

}  // namespace lenzora::app
