#include "cli/format_help.h"

#include <functional>
#include <vector>

#include "raster/picture_formats.h"

namespace lenzora::cli {
namespace {

using Uses = std::function<std::vector<std::string>(const raster::PictureFormat&)>;

// "  .jpg .jpeg    JPEG, quality 90: frames, composite; resolution, colour profile": the
// extensions in a column of their own, what the command does with the format, what it carries.
std::string formatLine(const raster::PictureFormat& format, const std::vector<std::string>& uses) {
    constexpr std::size_t kColumn = 13;
    std::string extensions;
    for (const std::string& extension : format.extensions)
        extensions += (extensions.empty() ? "" : " ") + extension;
    std::string line = "  " + extensions + ' ';
    if (extensions.size() < kColumn) line.append(kColumn - extensions.size(), ' ');
    line += std::string(format.help) + ":";
    for (std::size_t i = 0; i < uses.size(); ++i) line += (i > 0 ? ", " : " ") + uses[i];
    std::vector<std::string> carried;
    if (format.carriesResolution) carried.emplace_back("resolution");
    if (format.carriesColourProfile) carried.emplace_back("colour profile");
    for (std::size_t i = 0; i < carried.size(); ++i) line += (i > 0 ? ", " : "; ") + carried[i];
    return line + '\n';
}

std::string formatsHelp(const Uses& usesOf, const char* otherNames) {
    std::string text =
        "\nPicture formats, by the name's extension in any case (use; what the file carries):\n";
    for (const raster::PictureFormat& format : raster::pictureFormats()) {
        const std::vector<std::string> uses = usesOf(format);
        if (!uses.empty()) text += formatLine(format, uses);
    }
    return text + otherNames + '\n';
}

}  // namespace

std::string composeFormatsHelp() {
    return formatsHelp(
        [](const raster::PictureFormat& format) {
            std::vector<std::string> uses;
            if (format.read != nullptr) uses.emplace_back("frames");
            if (format.writeComposite != nullptr) uses.emplace_back("composite");
            return uses;
        },
        "A frame of any other name is refused; a composite of any other name is a BMP.");
}

std::string proofFormatsHelp() {
    return formatsHelp(
        [](const raster::PictureFormat& format) {
            return format.read != nullptr ? std::vector<std::string>{"composite"}
                                          : std::vector<std::string>{};
        },
        "A composite of any other name is read as a BMP.");
}

std::string chartFormatsHelp() {
    return formatsHelp(
        [](const raster::PictureFormat& format) {
            return format.writeChart != nullptr ? std::vector<std::string>{"chart"}
                                                : std::vector<std::string>{};
        },
        "A chart of any other name is a BMP.");
}

}  // namespace lenzora::cli
