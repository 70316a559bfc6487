#pragma once
// Saving a sheet of copies by the name the user gives it.

#include <filesystem>
#include <string>
#include <string_view>

#include "core/numbers.h"
#include "output/sheet_layout.h"
#include "platform/file_io.h"
#include "raster/raster_image.h"

namespace lenzora::output {

// Saves the sheet `plan` of copies of `composite` (at `resolution`, carrying `iccProfile`)
// under `path`: a PDF of one page for a name of the PDF format (writeSheetPdf), else the sheet as
// one picture (sheetPicture) in the format the name says (saveComposite). `label` is the label
// line's text, drawn when the plan has a place for it. Whether a sheet saved under `path` is a PDF
// page rather than one picture.
bool savesSheetAsPdf(std::string_view path);

void saveSheet(const SheetPlan& plan, const raster::RasterImage& composite,
               core::FixedCount resolution, const platform::Bytes& iccProfile,
               std::string_view label, const std::filesystem::path& path);

}  // namespace lenzora::output
