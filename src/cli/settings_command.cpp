#include "cli/settings_command.h"

#include <cstdio>

#include "cli/cli_options.h"
#include "cli/common_options.h"
#include "cli/json_writer.h"
#include "core/output_settings.h"

namespace lenzora::cli {
namespace {

const CommandDescription kSettings = {
    "usage: lenzora-cli settings [--frames N] [--pitch LPI] [--width V] [--height V]\n"
    "                            [--unit mm|in|px] [--json]",
    "Prints the output settings after start-up with these settings and frames 1 ... N loaded.",
    {
        {"--frames", "N", "Frames loaded, 2 to 16 (2 when not given)."},
        {"--pitch", "LPI", "Pitch of the lens sheet in lines per inch (42.275)."},
        {"--width", "V", "Output width in the size unit (287)."},
        {"--height", "V", "Output height in the size unit (200)."},
        {"--unit", "mm|in|px", "Size unit: millimetres, inches or pixels (mm)."},
        {"--json", nullptr, "Prints one JSON object on one line."},
    },
};

}  // namespace

int runSettings(const std::vector<std::string>& args) {
    const CommandLine options(kSettings, args);
    if (options.helpAsked()) {
        std::fputs(options.helpText().c_str(), stdout);
        return 0;
    }
    if (!options.positional().empty()) {
        throw UsageError("settings takes no file names");
    }
    int frames = core::kMinFrames;
    if (auto text = options.value("--frames")) {
        frames = boundedInteger("--frames", *text, core::kMinFrames, core::kMaxFrames);
    }
    core::StoredSettings stored =
        storedSettingsFrom(options.value("--pitch"), options.value("--width"),
                           options.value("--height"), options.value("--unit"));

    core::OutputSettings settings;
    core::applyStoredSettings(stored, settings);
    core::recomputeAtStartUp(settings);
    // Frames loaded into slots 1 ... n, in order.
    for (int slot = 1; slot <= frames; ++slot) core::frameLoadedInSlot(settings, slot);

    if (options.has("--json")) {
        QJsonObject json;
        addOutputSettings(json, settings);
        printJson(json);
    } else {
        std::printf("frames:      %d\n", settings.frameCount);
        std::printf("strip width: %d\n", settings.stripWidth);
        std::printf("resolution:  %s dpi\n", core::formatFixed(settings.resolution).c_str());
        std::printf("pixel size:  %d x %d\n", settings.pixelWidth, settings.pixelHeight);
    }
    return 0;
}

const char* settingsSynopsis() { return kSettings.synopsis; }

}  // namespace lenzora::cli
