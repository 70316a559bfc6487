#pragma once
// The sheet of copies as the user last chose it in the print preview, kept in the program's
// options: the preview starts from it and the main window's next compose takes its bleed.

#include <string>

#include "output/sheet_layout.h"

namespace lenzora::windows {

struct SheetChoice {
    std::string paper = "A4";  // a named paper; empty for the custom size
    double customWidthMm = 210;
    double customHeightMm = 297;
    bool landscape = false;
    double marginMm = 10;
    int copies = 1;  // 0: as many as fit
    double gapMm = 0;
    bool cropMarks = false;
    double bleedMm = 0;  // for the next compose
    bool label = false;

    // One copy without marks, label or bleed: printed as a single composite always was.
    bool singleCopy(bool composedWithBleed) const {
        return copies == 1 && !cropMarks && !label && !composedWithBleed;
    }
    // The layout's settings, with the bleed the composite was composed with.
    output::SheetSettings settings(double bleedPoints) const;
};

SheetChoice loadSheetChoice();
void storeSheetChoice(const SheetChoice& choice);

}  // namespace lenzora::windows
