#include "windows/picture_filters.h"

#include "platform/translation.h"

namespace lenzora::windows {
namespace {

constexpr const char* kContext = "lenzora::platform::FileDialogs";
// The first filter of the open dialog: %1 lists each format's default extension.
constexpr const char* kAll = QT_TRANSLATE_NOOP("lenzora::platform::FileDialogs", "All (%1)");

// The translated filter text without the patterns in its last brackets, which the dialog
// writes from the table's extensions: "JPEG Image File (*.jpg) (*.jpg *.jpeg)" is labelled
// "JPEG Image File (*.jpg)".
std::string labelOf(const char* filterText) {
    std::string text = platform::translate(kContext, filterText);
    const std::size_t patterns = text.rfind(" (");
    if (patterns != std::string::npos) text.erase(patterns);
    return text;
}

std::string patternOf(const std::string& extension) { return "*" + extension; }

platform::FileFilter saveFilter(const raster::PictureFormat& format) {
    const std::string& extension = format.extensions.front();
    return {labelOf(format.saveFilter), {patternOf(extension)}, extension.substr(1)};
}

}  // namespace

std::vector<platform::FileFilter> openPictureFilters() {
    platform::FileFilter all;
    std::string defaults;  // "*.jpg;*.png": each format's default extension
    std::vector<platform::FileFilter> each;
    for (const raster::PictureFormat& format : raster::pictureFormats()) {
        if (format.read == nullptr) continue;
        platform::FileFilter filter{
            labelOf(format.openFilter), {}, format.extensions.front().substr(1)};
        for (const std::string& extension : format.extensions) {
            filter.patterns.push_back(patternOf(extension));
            all.patterns.push_back(patternOf(extension));
        }
        defaults += (defaults.empty() ? "" : ";") + patternOf(format.extensions.front());
        if (all.defaultSuffix.empty()) all.defaultSuffix = filter.defaultSuffix;
        each.push_back(std::move(filter));
    }
    all.label = platform::fillIn(platform::translate(kContext, kAll), {defaults});
    each.insert(each.begin(), std::move(all));
    return each;
}

std::vector<platform::FileFilter> savePictureFilters(raster::SavedPicture picture) {
    const raster::PictureFormat& bitmap = raster::bitmapFormat();
    std::vector<platform::FileFilter> filters{saveFilter(bitmap)};
    for (const raster::PictureFormat& format : raster::pictureFormats()) {
        const raster::PictureWriter writer =
            picture == raster::SavedPicture::Chart ? format.writeChart : format.writeComposite;
        if (writer != nullptr && &format != &bitmap) filters.push_back(saveFilter(format));
    }
    return filters;
}

}  // namespace lenzora::windows
