#pragma once
// Where the program keeps its options beside the settings file, which keeps its nine numbers
// only: ~/.config/lenzora/lenzora.conf (the open dialog's size, recent jobs, upright photos,
// the sheet of copies, the printer resolution).

#include <QSettings>

namespace lenzora::platform {

// The sheet of copies the print preview lays out and the bleed the next compose adds: a
// named paper or "" for the custom size, lengths in millimetres, copies 0 for "as many as fit".
inline constexpr const char* kSheetPaperKey = "sheet/paper";
inline constexpr const char* kSheetCustomWidthKey = "sheet/customWidth";
inline constexpr const char* kSheetCustomHeightKey = "sheet/customHeight";
inline constexpr const char* kSheetLandscapeKey = "sheet/landscape";
inline constexpr const char* kSheetMarginKey = "sheet/margin";
inline constexpr const char* kSheetCopiesKey = "sheet/copies";
inline constexpr const char* kSheetGapKey = "sheet/gap";
inline constexpr const char* kSheetCropMarksKey = "sheet/cropMarks";
inline constexpr const char* kSheetBleedKey = "sheet/bleed";
inline constexpr const char* kSheetLabelKey = "sheet/label";

// The printer resolution the composite is interlaced at, in the settings' fixed-point text
// ("1440"), or "0" for the resolution that follows the lens.
inline constexpr const char* kPrintDpiKey = "output/printDpi";

inline QSettings programOptions() {
    return QSettings(QStringLiteral("lenzora"), QStringLiteral("lenzora"));
}

}  // namespace lenzora::platform
