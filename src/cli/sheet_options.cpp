#include "cli/sheet_options.h"

#include <charconv>
#include <cmath>

#include "cli/common_options.h"
#include "cli/json_writer.h"
#include "platform/error.h"

namespace lenzora::cli {
namespace {

// Millimetres, 0 or more, as a plain decimal number.
double millimetres(const char* name, const std::string& text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !(value >= 0) ||
        !std::isfinite(value)) {
        throw UsageError(std::string(name) + " takes millimetres, 0 or more");
    }
    return value;
}

// The largest count --copies takes: far beyond what any paper holds.
constexpr int kMaxCopies = 100000;

}  // namespace

std::optional<output::SheetSettings> sheetFrom(const CommandLine& options) {
    const std::optional<std::string> paper = options.value("--sheet");
    if (!paper) {
        for (const char* option :
             {"--landscape", "--copies", "--gap", "--margin", "--crop-marks", "--label"}) {
            if (options.has(option)) throw UsageError(std::string(option) + " needs --sheet");
        }
        return std::nullopt;
    }
    output::SheetSettings sheet;
    try {
        sheet.paper = output::parsePaper(*paper);
    } catch (const platform::Error& e) {
        throw UsageError(e.what());
    }
    sheet.landscape = options.has("--landscape");
    if (auto copies = options.value("--copies"); copies && *copies != "fit")
        sheet.copies = boundedInteger("--copies", *copies, 1, kMaxCopies);
    if (auto gap = options.value("--gap"))
        sheet.gap = millimetres("--gap", *gap) * output::kPointsPerMm;
    if (auto margin = options.value("--margin"))
        sheet.margin = millimetres("--margin", *margin) * output::kPointsPerMm;
    sheet.cropMarks = options.has("--crop-marks");
    sheet.label = options.has("--label");
    return sheet;
}

long double bleedFrom(const CommandLine& options) {
    const std::optional<std::string> bleed = options.value("--bleed");
    return bleed ? millimetres("--bleed", *bleed) : 0;
}

output::SheetPlan planCopies(output::SheetSettings sheet, const core::OutputSettings& settings,
                             std::int32_t width, std::int32_t height, std::int32_t bleedPixels) {
    // Points per pixel: the copies are the composite at its physical size, and the bleed is
    // the composite's own whole pixels, so the trim lines fall on pixel edges.
    const double point =
        static_cast<double>(output::kPointsPerInch / core::fromFixed(settings.resolution));
    sheet.bleed = bleedPixels * point;
    return output::planSheet(sheet, width * point, height * point);
}

std::string sheetLabelFor(const core::OutputSettings& settings) {
    return output::sheetLabel({settings.frameCount, settings.pitch, settings.resolution,
                               settings.pixelWidth, settings.pixelHeight});
}

void addSheetJson(QJsonObject& json, const std::string& paper, const output::SheetPlan& plan) {
    QJsonObject object;
    object.insert(QStringLiteral("paper"), jsonFileName(paper));
    object.insert(QStringLiteral("copies"), static_cast<int>(plan.copies.size()));
    object.insert(QStringLiteral("columns"), plan.columns);
    object.insert(QStringLiteral("rows"), plan.rows);
    json.insert(QStringLiteral("sheet"), object);
}

}  // namespace lenzora::cli
