#include "output/picture_format.h"

#include <string>

namespace lenzora::output {

PictureFormat pictureFormatForName(std::string_view name) {
    const std::size_t slash = name.find_last_of("\\/");
    const std::string_view file = slash == std::string_view::npos ? name : name.substr(slash + 1);
    const std::size_t dot = file.rfind('.');
    if (dot == std::string_view::npos) return PictureFormat::Bmp;
    std::string extension(file.substr(dot));
    // ASCII only: a locale must not turn another letter into one of these.
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (extension == ".jpg" || extension == ".jpeg") return PictureFormat::Jpeg;
    if (extension == ".png") return PictureFormat::Png;
    if (extension == ".tif" || extension == ".tiff") return PictureFormat::Tiff;
    return PictureFormat::Bmp;
}

const char* pictureFormatName(PictureFormat format) {
    switch (format) {
        case PictureFormat::Jpeg:
            return "jpeg";
        case PictureFormat::Png:
            return "png";
        case PictureFormat::Tiff:
            return "tiff";
        case PictureFormat::Bmp:
            break;
    }
    return "bmp";
}

}  // namespace lenzora::output
