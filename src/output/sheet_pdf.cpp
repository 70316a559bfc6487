#include "output/sheet_pdf.h"

#include <string>

#include "raster/pdf_writer.h"

namespace lenzora::output {

// Helvetica's capitals stand 0.718 of the size above the baseline: the baseline goes so far
// below the label box's top that the text starts at it.
constexpr double kHelveticaCapHeight = 0.718;

void writeSheetPdf(const SheetPlan& plan, const raster::RasterImage& composite,
                   const platform::Bytes& iccProfile, std::string_view label,
                   const raster::ByteSink& sink) {
    raster::PdfWriter pdf(sink);
    pdf.page(plan.width, plan.height);
    const raster::PdfWriter::ImageHandle image = pdf.addImage(composite, iccProfile);
    for (const SheetRect& copy : plan.copies)
        pdf.place(image, copy.left, copy.top, copy.width, copy.height);
    for (const SheetLine& mark : plan.cropMarks)
        pdf.line(mark.x1, mark.y1, mark.x2, mark.y2, kCropMarkWidth);
    if (plan.label && !label.empty()) {
        pdf.text(plan.label->left, plan.label->top + kHelveticaCapHeight * kLabelSize, kLabelSize,
                 std::string(label));
    }
    pdf.finish();
}

}  // namespace lenzora::output
