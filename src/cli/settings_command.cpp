#include "cli/settings_command.h"

#include <cstdio>

#include "core/output_settings.h"
#include "cli/cli_options.h"
#include "cli/common_options.h"
#include "cli/json_writer.h"

namespace lenzora::cli {

int runSettings(const std::vector<std::string>& args) {
    AcceptedOptions accepted{{"--frames", "--pitch", "--width", "--height", "--unit"}, {"--json"}};
    ParsedOptions options(args, accepted);
    if (!options.positional().empty()) {
        throw UsageError("settings takes no file names");
    }
    int frames = core::kMinFrames;
    if (auto text = options.value("--frames")) {
        frames = boundedInteger("--frames", *text, core::kMinFrames, core::kMaxFrames);
    }
    core::StoredSettings stored = storedSettingsFrom(options.value("--pitch"), options.value("--width"),
                                               options.value("--height"), options.value("--unit"));

    core::OutputSettings settings;
    core::applyStoredSettings(stored, settings);
    core::recomputeAtStartUp(settings);
    // Frames loaded into slots 1 ... n, in order.
    for (int slot = 1; slot <= frames; ++slot) core::frameLoadedInSlot(settings, slot);

    if (options.has("--json")) {
        JsonObject json;
        addOutputSettings(json, settings);
        std::printf("%s\n", json.str().c_str());
    } else {
        std::printf("frames:      %d\n", settings.frameCount);
        std::printf("strip width: %d\n", settings.stripWidth);
        std::printf("resolution:  %s dpi\n", core::formatFixed(settings.resolution).c_str());
        std::printf("pixel size:  %d x %d\n", settings.pixelWidth, settings.pixelHeight);
    }
    return 0;
}

}  // namespace lenzora::cli
