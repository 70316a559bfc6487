#pragma once
// The 16 frame slots: each is empty or names a BMP file (the user's own, or the working
// copy of a frame of another format).

#include <array>
#include <string>

#include "core/output_settings.h"

namespace lenzora::frames {

struct FrameSlots {
    std::array<std::string, core::kMaxFrames> paths;  // index 0 is slot 1

    std::string& operator[](int slot) { return paths[static_cast<std::size_t>(slot - 1)]; }
    const std::string& operator[](int slot) const {
        return paths[static_cast<std::size_t>(slot - 1)];
    }
};

}  // namespace lenzora::frames
