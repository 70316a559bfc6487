#include "cli/compose_command.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "cli/cli_options.h"
#include "cli/common_options.h"
#include "cli/json_writer.h"
#include "cli/terminal_progress.h"
#include "compose/compose_session.h"
#include "core/output_settings.h"
#include "core/settings_file.h"
#include "output/picture_format.h"
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
            if (::mkdtemp(pattern.data()) == nullptr)
                throw platform::Error("Cannot create a work folder");
            path_ = pattern;
            temporary_ = true;
        }
        platform::setFolderMapping(core::kWorkingFolder, path_);
    }
    ~WorkFolder() {
        platform::setFolderMapping(core::kWorkingFolder, {});
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
    if (text == "columns") return core::kModeColumns;
    if (text == "rows") return core::kModeRows;
    throw UsageError("--mode takes columns or rows");
}

const CommandDescription kCompose = {
    "usage: lenzora-cli compose [--pitch LPI] [--width V] [--height V] [--unit mm|in|px]\n"
    "                           [--mode columns|rows] [--calibration] [--work-dir DIR] [--json]\n"
    "                           -o OUT FRAME1 FRAME2 [... FRAME16]",
    "Composes the frames as the program does with these settings, adds the calibration band\n"
    "when asked, and saves the composite.",
    {
        {"--pitch", "LPI", "Pitch of the lens sheet in lines per inch (42.275)."},
        {"--width", "V", "Output width in the size unit (287)."},
        {"--height", "V", "Output height in the size unit (200)."},
        {"--unit", "mm|in|px", "Size unit: millimetres, inches or pixels (mm)."},
        {"--mode", "columns|rows", "Strips side by side or one above the other (columns)."},
        {"--calibration", nullptr, "Adds the calibration band."},
        {"--work-dir", "DIR", "Keeps the working files (t01.bmp, x01.bmp ...) in DIR."},
        {"--json", nullptr, "Prints one JSON object on one line."},
        {"-o", "OUT",
         "The composite: a JPEG, PNG or TIFF for a .jpg, .png or .tif name, else a BMP."},
    },
    "FRAMES",
    "2 to 16 frames in their order, JPEG, PNG, TIFF or BMP files.",
};

}  // namespace

int runCompose(const std::vector<std::string>& args) {
    const CommandLine options(kCompose, args);
    if (options.helpAsked()) {
        std::fputs(options.helpText().c_str(), stdout);
        return 0;
    }
    const std::vector<std::string>& frames = options.positional();
    const std::optional<std::string> out = options.value("-o");
    if (!out || out->empty()) throw UsageError("compose needs -o OUT");
    if (frames.size() < 2 || frames.size() > static_cast<std::size_t>(core::kMaxFrames)) {
        throw UsageError("compose takes 2 to 16 frames");
    }
    // Checked before the frames are read: a compose that could never be saved is not started.
    std::error_code ignored;
    if (fs::is_directory(*out, ignored)) throw UsageError("-o names a folder: " + *out);
    core::StoredSettings stored =
        storedSettingsFrom(options.value("--pitch"), options.value("--width"),
                           options.value("--height"), options.value("--unit"));
    if (auto mode = options.value("--mode")) stored.mode = modeIndex(*mode);
    const std::string& output = *out;

    WorkFolder work(options.value("--work-dir"));

    // Start-up with these settings: the boxes show the stored sizes.
    core::OutputSettings settings;
    core::applyStoredSettings(stored, settings);
    core::recomputeAtStartUp(settings);
    const std::string widthText = core::formatFixed(settings.workingWidth);
    const std::string heightText = core::formatFixed(settings.workingHeight);

    // The frames into slots 1 ... n, each counted as the window counts a slot's choice.
    compose::ComposeSession session(settings);
    for (int slot = 1; slot <= static_cast<int>(frames.size()); ++slot) {
        const std::string chosen = fs::absolute(frames[static_cast<std::size_t>(slot - 1)]);
        if (session.loadFrame(slot, chosen) == frames::FrameLoadResult::FormatError) {
            throw platform::Error("File format error!");
        }
        session.countFrame(slot);
    }
    if (auto missing = session.missingFrame()) throw platform::Error(*missing);
    if (auto refusal = session.setOutputSize(widthText, heightText)) {
        throw platform::Error(*refusal);
    }
    {
        TerminalProgress progress;
        session.compose(progress);
    }
    if (options.has("--calibration")) session.setCalibrationBand(true);
    const raster::RasterImage& composite = session.composite();
    output::saveComposite(composite, fs::absolute(output), settings.resolution,
                          session.compositeProfile());

    if (options.has("--json")) {
        QJsonObject json;
        addOutputSettings(json, settings);
        json.insert(QStringLiteral("lens_period"), settings.lensPeriod());
        json.insert(QStringLiteral("image_width"), composite.width());
        json.insert(QStringLiteral("image_height"), composite.height());
        json.insert(QStringLiteral("output"), jsonFileName(output));
        json.insert(QStringLiteral("format"),
                    output::pictureFormatName(output::pictureFormatForName(output)));
        printJson(json);
    } else {
        std::printf("%s: %d x %d pixels at %s dpi, %d frames, lens period %d pixels\n",
                    output.c_str(), composite.width(), composite.height(),
                    core::formatFixed(settings.resolution).c_str(), settings.frameCount,
                    settings.lensPeriod());
    }
    return 0;
}

}  // namespace lenzora::cli
