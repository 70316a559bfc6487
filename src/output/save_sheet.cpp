#include "output/save_sheet.h"

#include <algorithm>

#include "output/save_composite.h"
#include "output/sheet_picture.h"

namespace lenzora::output {

bool isPdfName(std::string_view name) {
    const std::string_view file = name.substr(name.find_last_of('/') + 1);
    if (file.size() <= 4) return false;
    std::string extension(file.substr(file.size() - 4));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return extension == ".pdf";
}

void saveSheet(const SheetPlan& plan, const raster::RasterImage& composite,
               core::FixedCount resolution, const platform::Bytes& iccProfile,
               std::string_view label, const std::filesystem::path& path) {
    const raster::RasterImage sheet =
        sheetPicture(plan, composite, core::fromFixed(resolution), label);
    saveComposite(sheet, path, resolution, iccProfile);
}

}  // namespace lenzora::output
