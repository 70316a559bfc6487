#include "output/save_sheet.h"

#include "output/save_composite.h"
#include "output/sheet_pdf.h"
#include "output/sheet_picture.h"
#include "raster/picture_formats.h"
#include "raster/saved_picture.h"

namespace lenzora::output {

bool savesSheetAsPdf(std::string_view path) {
    return raster::saveFormatFor(path, raster::SavedPicture::Composite).name == "pdf";
}

void saveSheet(const SheetPlan& plan, const raster::RasterImage& composite,
               core::FixedCount resolution, const platform::Bytes& iccProfile,
               std::string_view label, const std::filesystem::path& path) {
    if (savesSheetAsPdf(path.string())) {
        raster::saveStreamed(path, [&](const raster::ByteSink& sink) {
            writeSheetPdf(plan, composite, iccProfile, label, sink);
        });
        return;
    }
    const raster::RasterImage sheet =
        sheetPicture(plan, composite, core::fromFixed(resolution), label);
    saveComposite(sheet, path, resolution, iccProfile);
}

}  // namespace lenzora::output
