#include "windows/sheet_choice.h"

#include <QSettings>
#include <QString>
#include <algorithm>

#include "platform/program_options.h"

namespace lenzora::windows {
namespace {

QString key(const char* name) { return QString::fromLatin1(name); }

// A kept length, or `fallback` when it is missing, no number or negative.
double length(const QSettings& options, const char* name, double fallback) {
    bool ok = false;
    const double value = options.value(key(name)).toDouble(&ok);
    return ok && value >= 0 ? value : fallback;
}

}  // namespace

output::SheetSettings SheetChoice::settings(double bleedPoints) const {
    output::SheetSettings sheet;
    sheet.paper = paper.empty() ? output::Paper{{},
                                                customWidthMm * output::kPointsPerMm,
                                                customHeightMm * output::kPointsPerMm}
                                : output::parsePaper(paper);
    sheet.landscape = landscape;
    sheet.margin = marginMm * output::kPointsPerMm;
    sheet.copies = copies;
    sheet.gap = gapMm * output::kPointsPerMm;
    sheet.cropMarks = cropMarks;
    sheet.bleed = bleedPoints;
    sheet.label = label;
    return sheet;
}

SheetChoice loadSheetChoice() {
    const QSettings options = platform::programOptions();
    SheetChoice choice;
    const std::string paper =
        options.value(key(platform::kSheetPaperKey), QString::fromStdString(choice.paper))
            .toString()
            .toStdString();
    const auto names = output::paperNames();
    if (paper.empty() || std::find(names.begin(), names.end(), paper) != names.end()) {
        choice.paper = paper;
    }
    choice.customWidthMm = length(options, platform::kSheetCustomWidthKey, choice.customWidthMm);
    choice.customHeightMm = length(options, platform::kSheetCustomHeightKey, choice.customHeightMm);
    choice.landscape = options.value(key(platform::kSheetLandscapeKey), false).toBool();
    choice.marginMm = length(options, platform::kSheetMarginKey, choice.marginMm);
    choice.copies = std::max(0, options.value(key(platform::kSheetCopiesKey), 1).toInt());
    choice.gapMm = length(options, platform::kSheetGapKey, choice.gapMm);
    choice.cropMarks = options.value(key(platform::kSheetCropMarksKey), false).toBool();
    choice.bleedMm = length(options, platform::kSheetBleedKey, choice.bleedMm);
    choice.label = options.value(key(platform::kSheetLabelKey), false).toBool();
    return choice;
}

void storeSheetChoice(const SheetChoice& choice) {
    QSettings options = platform::programOptions();
    options.setValue(key(platform::kSheetPaperKey), QString::fromStdString(choice.paper));
    options.setValue(key(platform::kSheetCustomWidthKey), choice.customWidthMm);
    options.setValue(key(platform::kSheetCustomHeightKey), choice.customHeightMm);
    options.setValue(key(platform::kSheetLandscapeKey), choice.landscape);
    options.setValue(key(platform::kSheetMarginKey), choice.marginMm);
    options.setValue(key(platform::kSheetCopiesKey), choice.copies);
    options.setValue(key(platform::kSheetGapKey), choice.gapMm);
    options.setValue(key(platform::kSheetCropMarksKey), choice.cropMarks);
    options.setValue(key(platform::kSheetBleedKey), choice.bleedMm);
    options.setValue(key(platform::kSheetLabelKey), choice.label);
}

}  // namespace lenzora::windows
