#pragma once
// The 16 frame slots: each is empty or names a BMP file (the user's own, or the working
// copy of a JPEG, PNG or TIFF frame).

#include <array>
#include <string>
#include <string_view>

#include "core/output_settings.h"

namespace lenzora::frames {

struct FrameSlots {
    std::array<std::string, core::kMaxFrames> paths;  // index 0 is slot 1

    std::string& operator[](int slot) { return paths[static_cast<std::size_t>(slot - 1)]; }
    const std::string& operator[](int slot) const {
        return paths[static_cast<std::size_t>(slot - 1)];
    }
};

// From the last "." to the end, unless a "\", "/" or ":" follows it; otherwise empty.
std::string fileExtension(std::string_view path);

enum class FrameKind { Jpeg, Bmp, Png, Tiff, Unaccepted };

// By extension in any case: ".jpg" and ".jpeg" are JPEG, ".bmp" BMP, ".png" PNG, ".tif" and
// ".tiff" TIFF; nothing else is taken.
FrameKind frameKindOf(std::string_view path);

}  // namespace lenzora::frames
