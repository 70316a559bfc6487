#include "frames/frame_slots.h"

namespace lenzora::frames {

std::string fileExtension(std::string_view path) {
    std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return {};
    if (path.find_first_of("\\/:", dot) != std::string_view::npos) return {};
    return std::string(path.substr(dot));
}

FrameKind frameKindOf(std::string_view path) {
    std::string extension = fileExtension(path);
    // ASCII only: a locale must not turn another letter into one of these.
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (extension == ".jpg" || extension == ".jpeg") return FrameKind::Jpeg;
    if (extension == ".bmp") return FrameKind::Bmp;
    if (extension == ".png") return FrameKind::Png;
    if (extension == ".tif" || extension == ".tiff") return FrameKind::Tiff;
    return FrameKind::Unaccepted;
}

}  // namespace lenzora::frames
