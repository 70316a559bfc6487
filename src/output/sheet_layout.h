#pragma once
// A sheet of copies of one composite: the paper, a grid of copies each at its physical size,
// crop marks at the trim and a line that names the job. Saving the sheet as PDF, saving it as
// one picture and printing it all place copies by this plan. Lengths are in points (1/72
// inch), measured from the sheet's top-left corner with y running down.

#include <QtGlobal>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/numbers.h"

namespace lenzora::output {

inline constexpr double kPointsPerInch = 72.0;
inline constexpr double kPointsPerMm = 72.0 / 25.4;

// Crop marks start this far from the picture, run this long and are this thick.
inline constexpr double kCropMarkOffset = 3 * kPointsPerMm;
inline constexpr double kCropMarkLength = 5 * kPointsPerMm;
inline constexpr double kCropMarkWidth = 0.25;
// A mark stops this short of a neighbouring copy, so no device pixel of it lands inside one.
inline constexpr double kCropMarkClearance = 1.0;
// The label line: its text size, and its distance below the grid (and below the marks).
inline constexpr double kLabelSize = 8.0;
inline constexpr double kLabelDistance = 2 * kPointsPerMm;

struct Paper {
    std::string name;  // "A4", or empty for a size given by number
    double width = 0;  // points, as named or given (named papers are portrait)
    double height = 0;
};

// "A3", "A4", "A5", "Letter", "Legal" in any case, or "<W>x<H>mm" / "<W>x<H>in" (also with
// "×"); throws platform::Error naming the text for anything else or a size of zero.
Paper parsePaper(std::string_view text);
// The named papers in the order a list shows them.
std::span<const std::string_view> paperNames();

struct SheetSettings {
    Paper paper = parsePaper("A4");
    bool landscape = false;
    double margin = 10 * kPointsPerMm;  // on every side; marks and label stay inside it
    int copies = 0;                     // 0: as many as fit
    double gap = 0;                     // between neighbouring pictures
    bool cropMarks = false;
    double bleed = 0;  // how far each picture runs beyond its trim on every side
    bool label = false;
};

struct SheetRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

struct SheetLine {
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
};

struct SheetPlan {
    double width = 0;  // the sheet as it lies (landscape turns the paper)
    double height = 0;
    int columns = 0;
    int rows = 0;
    std::vector<SheetRect> copies;  // each copy's whole picture, bleed included, row by row
    std::vector<SheetRect> trims;   // where each copy is cut
    std::vector<SheetLine> cropMarks;
    std::optional<SheetRect> label;  // the label line's box: below the grid, left-aligned
};

// Places copies of a picture of `pictureWidth` × `pictureHeight` points (bleed included) on
// the sheet: a grid centred on the sheet, `settings.copies` copies (or as many as fit) row by
// row, the grid as square as the count allows. Crop marks stand on the trim lines at each
// copy's corners, outside every picture. Throws platform::Error (kNoCopyFits, kTooManyCopies)
// when the copies do not fit inside the margin together with their marks and label.
SheetPlan planSheet(const SheetSettings& settings, double pictureWidth, double pictureHeight);

// What the label line names: the job's frames, pitch and resolution, and its trim size in
// whole pixels at that resolution.
struct SheetJob {
    int frames = 0;
    core::FixedCount pitch = 0;
    core::FixedCount resolution = 0;
    std::int32_t trimWidth = 0;
    std::int32_t trimHeight = 0;
};
// "8 frames  60.5 LPI  600 dpi  100.0 x 150.0 mm  2026-12-09" with today's date: ASCII, so any
// printer font has its letters.
std::string sheetLabel(const SheetJob& job);

inline constexpr const char* kNoCopyFits = QT_TRANSLATE_NOOP(
    "lenzora::output", "纸上一份也放不下：图片 %1 × %2 毫米，可用 %3 × %4 毫米！");
inline constexpr const char* kTooManyCopies =
    QT_TRANSLATE_NOOP("lenzora::output", "纸上只放得下 %1 份！");
inline constexpr const char* kUnknownPaper =
    QT_TRANSLATE_NOOP("lenzora::output", "无法识别的纸张：%1");

}  // namespace lenzora::output
