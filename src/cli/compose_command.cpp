#include "cli/compose_command.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "cli/cli_options.h"
#include "cli/common_options.h"
#include "cli/json_writer.h"
#include "cli/terminal_progress.h"
#include "compose/compose_session.h"
#include "core/output_settings.h"
#include "core/settings_file.h"
#include "frames/load_frame.h"
#include "output/picture_format.h"
#include "output/proof.h"
#include "output/save_composite.h"
#include "output/saved_picture.h"
#include "platform/drive_paths.h"
#include "platform/error.h"
#include "platform/interruption.h"
#include "platform/temporary_folder.h"
#include "platform/translation.h"
#include "raster/size_limit.h"

namespace lenzora::cli {
namespace {

namespace fs = std::filesystem;

// The work folder: the one asked for, or a fresh temporary one removed at the end. The
// temporary folders of earlier runs that were killed are removed first.
class WorkFolder {
  public:
    explicit WorkFolder(const std::optional<std::string>& asked) {
        platform::removeAbandonedFolders();
        if (asked) {
            path_ = fs::absolute(*asked);
            std::error_code ignored;
            fs::create_directories(path_, ignored);
        } else {
            temporary_.emplace();
            path_ = temporary_->path();
        }
        platform::setFolderMapping(core::kWorkingFolder, path_);
    }
    ~WorkFolder() { platform::setFolderMapping(core::kWorkingFolder, {}); }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

  private:
    fs::path path_;
    std::optional<platform::OwnedTemporaryFolder> temporary_;
};

// The compose's steps are where Ctrl-C and SIGTERM are looked for.
class InterruptibleProgress : public interlace::ComposeProgress {
  public:
    // Called from whichever thread finished a step: the pool carries the exception back.
    void reached(std::int64_t done, std::int64_t total) override {
        platform::throwIfInterrupted();
        bar_.reached(done, total);
    }

  private:
    TerminalProgress bar_;
};

const CommandDescription kCompose = {
    "usage: lenzora-cli compose [--pitch LPI] [--width V] [--height V] [--unit mm|in|px]\n"
    "                           [--mode columns|rows] [--calibration] [--work-dir DIR] [--jobs N]\n"
    "                           [--json] [--max-frame-pixels N] [--proof OUT]\n"
    "                           [--ignore-orientation] -o OUT FRAME1 FRAME2 [... FRAME16]",
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
        {"--jobs", "N", "Threads to compose on (every core); 1 composes frame after frame."},
        {"--json", nullptr, "Prints one JSON object on one line."},
        {"--max-frame-pixels", "N",
         "Refuses frames of more pixels (LENZORA_MAX_FRAME_PIXELS, else 500000000)."},
        {"--ignore-orientation", nullptr,
         "Takes photos as stored, not turned upright by their camera's orientation."},
        {"-o", "OUT",
         "The composite: a JPEG, PNG or TIFF for a .jpg, .png or .tif name, else a BMP."},
        {"--proof", "OUT", "Also what the sheet shows, frame by frame: a GIF or a folder."},
    },
    "FRAMES",
    "2 to 16 frames in their order, JPEG, PNG, TIFF or BMP files.",
};

std::uint64_t pixelCount(const std::string& text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    auto [stop, problem] = std::from_chars(text.data(), end, value);
    if (problem != std::errc() || stop != end || value == 0)
        throw UsageError("--max-frame-pixels takes a whole number above 0");
    return value;
}

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
    // A mistyped ceiling in the environment is refused as a mistyped option is, not ignored.
    try {
        raster::checkMaxPixelsVariable();
    } catch (const platform::Error& e) {
        throw UsageError(e.what());
    }
    if (auto maxPixels = options.value("--max-frame-pixels"))
        raster::setMaxImagePixels(pixelCount(*maxPixels));
    frames::setUprightPhotos(!options.has("--ignore-orientation"));
    const std::string& output = *out;
    interlace::ComposeRun run;
    run.threads = jobsFrom(options.value("--jobs"));
    // Like a folder, a target no save could write is refused before any frame is read.
    output::checkSaveTarget(fs::absolute(output));
    const auto proof = options.value("--proof");
    if (proof) output::checkProofTarget(fs::absolute(*proof), static_cast<int>(frames.size()));

    WorkFolder work(options.value("--work-dir"));

    // Start-up with these settings: the boxes show the stored sizes.
    core::OutputSettings settings;
    core::applyStoredSettings(stored, settings);
    core::recomputeAtStartUp(settings);
    const std::string widthText = core::formatFixed(settings.workingWidth);
    const std::string heightText = core::formatFixed(settings.workingHeight);

    // The frames into slots 1 ... n, each counted as the window counts a slot's choice.
    compose::ComposeSession session(settings);
    std::vector<std::string> chosen;
    chosen.reserve(frames.size());
    for (const std::string& frame : frames) chosen.push_back(fs::absolute(frame));
    {
        InterruptibleProgress progress;
        if (auto refusal = session.composeFiles(chosen, widthText, heightText, progress, run))
            throw platform::Error(*refusal);
    }
    if (options.has("--calibration")) session.setCalibrationBand(true);
    const raster::RasterImage& composite = session.composite();
    output::saveComposite(composite, fs::absolute(output), settings.resolution,
                          session.compositeProfile());
    if (proof) {
        output::ProofOptions views = output::proofFor(settings);
        views.colourProfile = session.compositeProfile();
        output::saveProof(composite, views, fs::absolute(*proof));
    }

    if (options.has("--json")) {
        QJsonObject json;
        addOutputSettings(json, settings);
        json.insert(QStringLiteral("lens_period"), settings.lensPeriod());
        json.insert(QStringLiteral("image_width"), composite.width());
        json.insert(QStringLiteral("image_height"), composite.height());
        json.insert(QStringLiteral("output"), jsonFileName(output));
        json.insert(QStringLiteral("format"),
                    output::pictureFormatName(output::pictureFormatForName(output)));
        if (proof) json.insert(QStringLiteral("proof"), jsonFileName(*proof));
        printJson(json);
    } else {
        std::printf("%s: %d x %d pixels at %s dpi, %d frames, lens period %d pixels\n",
                    output.c_str(), composite.width(), composite.height(),
                    core::formatFixed(settings.resolution).c_str(), settings.frameCount,
                    settings.lensPeriod());
    }
    return 0;
}

const char* composeSynopsis() { return kCompose.synopsis; }

}  // namespace lenzora::cli
