#include "cli/compose_command.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/output_settings.h"
#include "app/settings_file.h"
#include "cli/cli_options.h"
#include "cli/common_options.h"
#include "cli/json_writer.h"
#include "cli/terminal_progress.h"
#include "frames/load_frame.h"
#include "interlace/calibration_band.h"
#include "interlace/compose_check.h"
#include "interlace/interlace_frames.h"
#include "interlace/output_size.h"
#include "output/save_composite.h"
#include "platform/drive_paths.h"
#include "platform/error.h"

namespace lenzora::cli {
namespace {

namespace fs = std::filesystem;

// The work folder: the one asked for, or a fresh temporary one removed at the end.
class WorkFolder {
public:
    explicit WorkFolder(const std::optional<std::string>& asked) {
        if (asked) {
            path_ = fs::absolute(*asked);
            std::error_code ignored;
            fs::create_directories(path_, ignored);
        } else {
            std::string pattern = (fs::temp_directory_path() / "lenzora-XXXXXX").string();
            if (::mkdtemp(pattern.data()) == nullptr) throw Error("Cannot create a work folder");
            path_ = pattern;
            temporary_ = true;
        }
        platform::setFolderMapping(kWorkingFolder, path_);
    }
    ~WorkFolder() {
        platform::setFolderMapping(kWorkingFolder, {});
        if (temporary_) {
            std::error_code ignored;
            fs::remove_all(path_, ignored);
        }
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

private:
    fs::path path_;
    bool temporary_ = false;
};

int modeIndex(const std::string& text) {
    if (text == "columns") return kModeColumns;
    if (text == "rows") return kModeRows;
    throw UsageError("--mode takes columns or rows");
}

}  // namespace

int runCompose(const std::vector<std::string>& args) {
    AcceptedOptions accepted{{"--pitch", "--width", "--height", "--unit", "--mode", "--work-dir", "-o"},
                    {"--calibration", "--json"}};
    ParsedOptions options(args, accepted);
    const std::vector<std::string>& frames = options.positional();
    if (!options.value("-o")) throw UsageError("compose needs -o OUT");
    if (frames.size() < 2 || frames.size() > static_cast<std::size_t>(kMaxFrames)) {
        throw UsageError("compose takes 2 to 16 frames");
    }
    StoredSettings stored = storedSettingsFrom(options.value("--pitch"), options.value("--width"),
                                               options.value("--height"), options.value("--unit"));
    if (auto mode = options.value("--mode")) stored.mode = modeIndex(*mode);
    const std::string output = *options.value("-o");

    WorkFolder work(options.value("--work-dir"));

    // Start-up with these settings: the boxes show the stored sizes.
    OutputSettings settings;
    applyStoredSettings(stored, settings);
    recomputeAtStartUp(settings);
    const std::string widthText = formatFixed(settings.workingWidth);
    const std::string heightText = formatFixed(settings.workingHeight);

    // The frames into slots 1 ... n; slots from 3 on raise the frame count.
    FrameSlots slots;
    for (int slot = 1; slot <= static_cast<int>(frames.size()); ++slot) {
        raster::RasterImage thumbnail;
        const std::string chosen = fs::absolute(frames[static_cast<std::size_t>(slot - 1)]);
        if (loadFrameFile(slots[slot], chosen, slot, thumbnail) == FrameLoadResult::FormatError) {
            throw Error("File format error!");
        }
        if (slot >= 3) {
            raiseFrameCount(settings, slot);
            recalcResolution(settings);
        }
    }
    if (auto missing = missingFrameMessage(slots, settings.frameCount)) throw Error(*missing);

    composeOutputSize(settings.pixelWidth, settings.pixelHeight, settings.sizeUnit, widthText,
                      heightText, settings.resolution);
    ComposeState state;
    state.W = settings.pixelWidth;
    state.H = settings.pixelHeight;
    if (auto problem =
            outputSizeProblem(state.W, state.H, settings.frameCount, settings.stripWidth)) {
        throw Error(*problem);
    }

    raster::RasterImage composite;
    {
        TerminalProgress progress;
        interlaceFrames(slots, settings.frameCount, settings.stripWidth, settings.mode, state,
                        progress, composite);
    }
    if (options.has("--calibration")) {
        applyCalibrationBand(composite, true, settings.frameCount, settings.stripWidth, state.W,
                             state.H, settings.mode);
    }
    saveComposite(composite, fs::absolute(output), settings.resolution);

    if (options.has("--json")) {
        JsonObject json;
        addOutputSettings(json, settings);
        json.add("lens_period", std::int64_t{settings.lensPeriod()});
        json.add("image_width", std::int64_t{composite.width()});
        json.add("image_height", std::int64_t{composite.height()});
        json.add("output", output);
        json.add("format", isJpegName(output) ? "jpeg" : "bmp");
        std::printf("%s\n", json.str().c_str());
    } else {
        std::printf("%s: %d x %d pixels at %s dpi, %d frames, lens period %d pixels\n",
                    output.c_str(), composite.width(), composite.height(),
                    formatFixed(settings.resolution).c_str(), settings.frameCount,
                    settings.lensPeriod());
    }
    return 0;
}

}  // namespace lenzora::cli
