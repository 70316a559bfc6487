#pragma once
// The options of compose that lay copies of the composite out on a sheet.

#include <QJsonObject>
#include <optional>

#include "cli/cli_options.h"
#include "core/output_settings.h"
#include "output/sheet_layout.h"

namespace lenzora::cli {

// The sheet --sheet asks for, with the other sheet options (margin 10 mm, no gap, as many
// copies as fit, no marks, no label by default); none without --sheet. A sheet option without
// --sheet and a value that is no paper, count or length is bad usage.
std::optional<output::SheetSettings> sheetFrom(const CommandLine& options);

// --bleed in millimetres (0 without it); a sheet's bleed, or a single picture's.
long double bleedFrom(const CommandLine& options);

// The sheet of copies of a composite of `width` × `height` pixels at the settings'
// resolution, `bleedPixels` of them beyond the trim on every side. Refusals throw the
// layout's message.
output::SheetPlan planCopies(output::SheetSettings sheet, const core::OutputSettings& settings,
                             std::int32_t width, std::int32_t height, std::int32_t bleedPixels);

// The label line: frames, pitch, resolution, the trim size and today's date.
std::string sheetLabelFor(const core::OutputSettings& settings);

// "sheet" for --json: the paper as given, the copies, columns and rows.
void addSheetJson(QJsonObject& json, const std::string& paper, const output::SheetPlan& plan);

}  // namespace lenzora::cli
