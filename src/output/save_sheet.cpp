#include "output/save_sheet.h"

#include "output/save_composite.h"
#include "output/save_pdf.h"
#include "output/sheet_pdf.h"
#include "output/sheet_picture.h"

namespace lenzora::output {

void saveSheet(const SheetPlan& plan, const raster::RasterImage& composite,
               core::FixedCount resolution, const platform::Bytes& iccProfile,
               std::string_view label, const std::filesystem::path& path) {
    if (namesPdf(path.string())) {
        saveStreamed(path, [&](const ByteSink& sink) {
            writeSheetPdf(plan, composite, iccProfile, label, sink);
        });
        return;
    }
    const raster::RasterImage sheet =
        sheetPicture(plan, composite, core::fromFixed(resolution), label);
    saveComposite(sheet, path, resolution, iccProfile);
}

}  // namespace lenzora::output
