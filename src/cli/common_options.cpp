#include "cli/common_options.h"

#include <charconv>

#include "cli/cli_options.h"
#include "platform/work_pool.h"

namespace lenzora::cli {

void addOutputSettings(QJsonObject& json, const core::OutputSettings& settings) {
    json.insert(QStringLiteral("frames"), settings.frameCount);
    json.insert(QStringLiteral("strip_width"), settings.stripWidth);
    // As the label after "DPI:" shows it.
    json.insert(QStringLiteral("resolution"),
                QString::fromStdString(core::formatFixed(settings.resolution)));
    json.insert(QStringLiteral("width_px"), settings.pixelWidth);
    json.insert(QStringLiteral("height_px"), settings.pixelHeight);
    // Only on the printer's grid, so that the automatic mode's objects stay as they were.
    if (settings.onPrinterGrid()) {
        json.insert(QStringLiteral("print_dpi"),
                    QString::fromStdString(core::formatFixed(settings.printDpi)));
    }
}

int unitIndex(const std::string& text) {
    if (text == "mm") return core::kUnitMillimetres;
    if (text == "in") return core::kUnitInches;
    if (text == "px") return core::kUnitPixels;
    throw UsageError("--unit takes mm, in or px");
}

int modeIndex(const std::string& text) {
    if (text == "columns") return core::kModeColumns;
    if (text == "rows") return core::kModeRows;
    throw UsageError("--mode takes columns or rows");
}

int boundedInteger(const std::string& name, const std::string& text, int low, int high) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        throw UsageError(name + " takes a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high));
    }
    return value;
}

int jobsFrom(const std::optional<std::string>& text) {
    if (!text) return platform::coreCount();
    return boundedInteger("--jobs", *text, 1, 1024);
}

core::StoredSettings storedSettingsFrom(const std::optional<std::string>& pitch,
                                        const std::optional<std::string>& width,
                                        const std::optional<std::string>& height,
                                        const std::optional<std::string>& unit) {
    core::StoredSettings stored;
    if (pitch) {
        stored.pitch = core::parseFixedText(*pitch);
        if (stored.pitch <= 0) throw UsageError("--pitch must be above 0");
    }
    if (width) stored.width = core::parseFixedText(*width);
    if (height) stored.height = core::parseFixedText(*height);
    if (unit) stored.sizeUnit = unitIndex(*unit);
    return stored;
}

}  // namespace lenzora::cli
