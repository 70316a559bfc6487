#pragma once
// The picture dialogs' filters, built from the format table in the interface language.

#include <vector>

#include "platform/dialogs.h"
#include "raster/picture_formats.h"

namespace lenzora::windows {

// "All" the formats with a reader, then each of them with every extension it has.
std::vector<platform::FileFilter> openPictureFilters();

// BMP first, as every name without another format's extension is saved as BMP, then each other
// format that writes `picture`, with its default extension.
std::vector<platform::FileFilter> savePictureFilters(raster::SavedPicture picture);

}  // namespace lenzora::windows
