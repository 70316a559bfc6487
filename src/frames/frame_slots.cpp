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
    if (extension == ".jpg" || extension == ".JPG") return FrameKind::Jpeg;
    if (extension == ".bmp") return FrameKind::Bmp;
    return FrameKind::Unaccepted;
}

}  // namespace lenzora::frames
