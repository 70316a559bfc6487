#include "cli/compose_command.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "cli/cli_options.h"
#include "cli/common_options.h"
#include "cli/format_help.h"
#include "cli/json_writer.h"
#include "cli/sheet_options.h"
#include "cli/terminal_progress.h"
#include "compose/compose_session.h"
#include "core/job_file.h"
#include "core/output_settings.h"
#include "core/settings_file.h"
#include "frames/load_frame.h"
#include "interlace/band_compose.h"
#include "interlace/compose_check.h"
#include "interlace/lens_map.h"
#include "output/composite_file_sink.h"
#include "output/proof.h"
#include "output/save_composite.h"
#include "output/save_sheet.h"
#include "output/sheet_picture.h"
#include "platform/drive_paths.h"
#include "platform/error.h"
#include "platform/interruption.h"
#include "platform/save_file.h"
#include "platform/temporary_folder.h"
#include "platform/translation.h"
#include "raster/picture_formats.h"
#include "raster/saved_picture.h"
#include "raster/size_limit.h"

namespace lenzora::cli {
namespace {

namespace fs = std::filesystem;

// The work folder asked for, where the compose keeps the working files the window makes.
class WorkFolder {
  public:
    explicit WorkFolder(const std::string& asked) {
        const fs::path path = fs::absolute(asked);
        std::error_code ignored;
        fs::create_directories(path, ignored);
        platform::setFolderMapping(core::kWorkingFolder, path);
    }
    ~WorkFolder() { platform::setFolderMapping(core::kWorkingFolder, {}); }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
};

core::FixedCount printDpiFrom(const std::optional<std::string>& text) {
    if (!text) return 0;
    const core::FixedCount dpi = core::parseFixedText(*text);
    if (dpi <= 0) throw UsageError("--print-dpi must be above 0");
    return dpi;
}

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
    "                           [--mode columns|rows] [--calibration] [--no-calibration]\n"
    "                           [--work-dir DIR] [--jobs N] [--json] [--max-frame-pixels N]\n"
    "                           [--job FILE] [--save-job FILE] [--proof OUT] "
    "[--ignore-orientation]\n"
    "                           [--sheet A4|A3|A5|Letter|Legal|WxH(mm|in)] [--landscape]\n"
    "                           [--copies N|fit] [--gap MM] [--margin MM] [--bleed MM]\n"
    "                           [--crop-marks] [--label] [--print-dpi D]\n"
    "                           -o OUT FRAME1 FRAME2 [... FRAME16]",
    "Composes the frames as the program does with these settings, adds the calibration band\n"
    "when asked, and saves the composite. With --job, the job file's settings, frames and\n"
    "output are used where no option or frame is given. With --sheet, -o is a sheet of copies\n"
    "of the composite, each at its physical size.",
    {
        {"--pitch", "LPI", "Pitch of the lens sheet in lines per inch (42.275)."},
        {"--width", "V", "Output width in the size unit (287)."},
        {"--height", "V", "Output height in the size unit (200)."},
        {"--unit", "mm|in|px", "Size unit: millimetres, inches or pixels (mm)."},
        {"--mode", "columns|rows", "Strips side by side or one above the other (columns)."},
        {"--calibration", nullptr, "Adds the calibration band."},
        {"--no-calibration", nullptr, "Adds no calibration band, whatever the job says."},
        {"--work-dir", "DIR",
         "Composes through working files (t01.bmp, x01.bmp ...) kept in DIR, as the window does; "
         "without it none are written and the composite goes straight into its file."},
        {"--jobs", "N", "Threads to compose on (every core); 1 composes frame after frame."},
        {"--json", nullptr, "Prints one JSON object on one line."},
        {"--max-frame-pixels", "N",
         "Refuses frames of more pixels (LENZORA_MAX_FRAME_PIXELS, else 500000000)."},
        {"--job", "FILE", "Composes the job saved in FILE (.lzjob); options override it."},
        {"--save-job", "FILE", "Writes this run's job to FILE once the composite is saved."},
        {"--ignore-orientation", nullptr,
         "Takes photos as stored, not turned upright by their camera's orientation."},
        {"-o", "OUT", "The composite, in the format its name says (below)."},
        {"--proof", "OUT", "Also what the sheet shows, frame by frame: a GIF or a folder."},
        {"--sheet", "PAPER",
         "Copies on a sheet: A3, A4, A5, Letter, Legal, or WxHmm / WxHin (100x150mm); -o a .pdf "
         "gives a PDF, any other name one picture at the composite's resolution."},
        {"--landscape", nullptr, "Turns the sheet on its side."},
        {"--copies", "N|fit", "How many copies (fit: as many as fit, the default)."},
        {"--gap", "MM", "Space between copies in millimetres (0)."},
        {"--margin", "MM", "Margin on every side of the sheet in millimetres (10)."},
        {"--bleed", "MM",
         "Composes the picture this much larger on every side; on a sheet the crop marks stand at "
         "the trim size."},
        {"--crop-marks", nullptr, "Draws crop marks at the corners of every copy."},
        {"--label", nullptr, "Prints a line naming the job under the copies."},
        {"--print-dpi", "D",
         "Interlaces straight onto the printer's grid of D dots per inch (720, 1440 ...): every "
         "pixel shows the frame under it, the lens period is D / pitch pixels."},
    },
    "FRAMES",
    "2 to 16 frames in their order, of the formats below (with --job, the job's).",
};

std::uint64_t pixelCount(const std::string& text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    auto [stop, problem] = std::from_chars(text.data(), end, value);
    if (problem != std::errc() || stop != end || value == 0)
        throw UsageError("--max-frame-pixels takes a whole number above 0");
    return value;
}

// The job's frames, refused as the window would compose them: missing files are named in one
// message, and then the first empty slot is.
std::vector<std::string> jobFrames(const core::Job& job) {
    std::vector<std::string> frames = job.frames.value_or(std::vector<std::string>());
    if (std::vector<int> missing = core::missingJobFrames(job); !missing.empty())
        throw platform::Error(core::missingFramesMessage(job, missing));
    frames::FrameSlots filled;
    for (std::size_t i = 0; i < frames.size(); ++i) filled.paths[i] = frames[i];
    const int count = static_cast<int>(frames.size());
    if (count < core::kMinFrames) return frames;  // too few: bad usage
    if (auto empty = interlace::missingFrameMessage(filled, count)) throw platform::Error(*empty);
    return frames;
}

// What this run did, as a job: the texts as given, or the defaults it used.
core::Job jobOfRun(const std::vector<std::string>& frames, const std::string& output,
                   const std::optional<std::string>& pitch, const std::optional<std::string>& width,
                   const std::optional<std::string>& height, const std::optional<std::string>& unit,
                   const std::optional<std::string>& mode, bool calibration) {
    const core::StoredSettings defaults;
    core::Job job;
    job.frames = frames;
    job.pitch = pitch.value_or(core::formatFixed(defaults.pitch));
    job.width = width.value_or(core::formatFixed(defaults.width));
    job.height = height.value_or(core::formatFixed(defaults.height));
    job.unit = unit.value_or(core::kJobUnitNames[defaults.sizeUnit]);
    job.mode = mode.value_or(core::kJobModeNames[defaults.mode]);
    job.calibration = calibration;
    job.output = fs::absolute(output).string();
    return job;
}

}  // namespace

int runCompose(const std::vector<std::string>& args) {
    const CommandLine options(kCompose, args);
    if (options.helpAsked()) {
        std::fputs((options.helpText() + composeFormatsHelp()).c_str(), stdout);
        return 0;
    }
    // A job gives what the command line leaves out.
    std::optional<core::Job> job;
    if (auto jobFile = options.value("--job")) job = core::readJobFile(*jobFile);
    const auto given = [&](const char* option, std::optional<std::string> core::Job::*member) {
        std::optional<std::string> typed = options.value(option);
        return typed || !job ? typed : (*job).*member;
    };
    if (options.has("--calibration") && options.has("--no-calibration"))
        throw UsageError("--calibration and --no-calibration exclude each other");
    const bool calibration =
        options.has("--calibration") ||
        (!options.has("--no-calibration") && job && job->calibration.value_or(false));
    const std::optional<std::string> out = given("-o", &core::Job::output);
    const std::optional<std::string> pitch = given("--pitch", &core::Job::pitch);
    const std::optional<std::string> width = given("--width", &core::Job::width);
    const std::optional<std::string> height = given("--height", &core::Job::height);
    const std::optional<std::string> unit = given("--unit", &core::Job::unit);
    const std::optional<std::string> modeText = given("--mode", &core::Job::mode);

    if (!out || out->empty()) throw UsageError("compose needs -o OUT");
    const std::vector<std::string> frames =
        options.positional().empty() && job ? jobFrames(*job) : options.positional();
    if (frames.size() < 2 || frames.size() > static_cast<std::size_t>(core::kMaxFrames)) {
        throw UsageError("compose takes 2 to 16 frames");
    }
    const std::optional<std::string> saveJob = options.value("--save-job");
    // Checked before the frames are read: a compose that could never be saved is not started.
    std::error_code ignored;
    if (fs::is_directory(*out, ignored)) throw UsageError("-o names a folder: " + *out);
    core::StoredSettings stored = storedSettingsFrom(pitch, width, height, unit);
    if (modeText) stored.mode = modeIndex(*modeText);
    // A mistyped ceiling in the environment is refused as a mistyped option is, not ignored.
    try {
        raster::checkMaxPixelsVariable();
    } catch (const platform::Error& e) {
        throw UsageError(e.what());
    }
    if (auto maxPixels = options.value("--max-frame-pixels"))
        raster::setMaxImagePixels(pixelCount(*maxPixels));
    frames::setUprightPhotos(!options.has("--ignore-orientation"));
    const std::optional<output::SheetSettings> sheet = sheetFrom(options);
    const long double bleed = bleedFrom(options);
    // The band widens one side only: the trim would no longer stand a bleed inside each edge.
    if (sheet && bleed > 0 && calibration)
        throw UsageError("--bleed on a sheet excludes the calibration band");
    const std::string& output = *out;
    interlace::ComposeRun run;
    run.threads = jobsFrom(options.value("--jobs"));
    // Like a folder, a target no save could write is refused before any frame is read.
    raster::checkSaveTarget(fs::absolute(output));
    const auto proof = options.value("--proof");
    if (proof) output::checkProofTarget(fs::absolute(*proof), static_cast<int>(frames.size()));
    if (saveJob) platform::checkSaveTarget(fs::absolute(*saveJob));

    const core::FixedCount printDpi = printDpiFrom(options.value("--print-dpi"));
    // Temporary folders of earlier runs that were killed go, as each run's own would have.
    platform::removeAbandonedFolders();
    const std::optional<std::string> workDir = options.value("--work-dir");
    std::optional<WorkFolder> work;
    if (workDir) work.emplace(*workDir);

    // Start-up with these settings: the boxes show the stored sizes.
    core::OutputSettings settings;
    core::applyStoredSettings(stored, settings);
    settings.printDpi = printDpi;
    core::recomputeAtStartUp(settings);
    const std::string widthText = core::formatFixed(settings.workingWidth);
    const std::string heightText = core::formatFixed(settings.workingHeight);

    // The frames into slots 1 ... n, each counted as the window counts a slot's choice.
    compose::ComposeSession session(settings);
    session.setBleed(bleed);
    // The sheet is planned from the size the composite will have, before any frame is read:
    // a sheet without room for the copies is refused without composing.
    auto planFor = [&](std::int32_t pixelsWide, std::int32_t pixelsHigh) {
        return planCopies(*sheet, settings, pixelsWide, pixelsHigh, session.bleedPixels());
    };
    auto planBeforeReading = [&] {
        if (!sheet) return;
        const interlace::ComposeState& size = session.state();
        const auto band =
            calibration
                ? static_cast<std::int32_t>(
                      interlace::calibrationBars(
                          interlace::lensLayoutOf(settings, size.outputWidth, size.outputHeight))
                          .size())
                : 0;
        const bool columns = settings.mode == core::kModeColumns;
        const output::SheetPlan plan = planFor(size.outputWidth + (columns ? band : 0),
                                               size.outputHeight + (columns ? 0 : band));
        if (!output::savesSheetAsPdf(output))
            output::checkSheetPicture(plan, core::fromFixed(settings.resolution));
    };
    std::vector<std::string> chosen;
    chosen.reserve(frames.size());
    for (const std::string& frame : frames) chosen.push_back(fs::absolute(frame));
    // With working files, as the window composes; otherwise straight from the frames' files,
    // into the output file band by band unless the whole composite is wanted in memory.
    const bool inMemory = workDir || sheet || proof || !output::writesCompositeInBands(output);
    raster::RasterImage straightComposite;
    platform::Bytes compositeProfile;
    interlace::ImageSink imageSink(straightComposite);
    std::optional<output::CompositeFileSink> fileSink;
    {
        InterruptibleProgress progress;
        std::optional<std::string> refusal;
        if (workDir) {
            refusal = session.composeFiles(chosen, widthText, heightText, progress, run,
                                           planBeforeReading);
        } else {
            auto beforeReading = [&] {
                // Held whole, the composite must fit in memory as the window's must.
                if (inMemory) {
                    if (auto tooLarge = session.setOutputSize(widthText, heightText))
                        throw platform::Error(*tooLarge);
                }
                planBeforeReading();
            };
            auto openSink = [&](const platform::Bytes& profile) -> interlace::BandSink& {
                compositeProfile = profile;
                if (inMemory) return imageSink;
                return fileSink.emplace(fs::absolute(output), settings.resolution, profile);
            };
            refusal = session.composeStraight(chosen, widthText, heightText, calibration, progress,
                                              run, beforeReading, openSink);
        }
        if (refusal) throw platform::Error(*refusal);
    }
    if (workDir) {
        if (calibration) session.setCalibrationBand(true);
        compositeProfile = session.compositeProfile();
    }
    const raster::RasterImage& composite = workDir ? session.composite() : straightComposite;
    const std::int32_t imageWidth = fileSink ? fileSink->width() : composite.width();
    const std::int32_t imageHeight = fileSink ? fileSink->height() : composite.height();
    std::optional<output::SheetPlan> plan;
    if (sheet) {
        plan = planFor(composite.width(), composite.height());
        output::saveSheet(*plan, composite, settings.resolution, compositeProfile,
                          sheet->label ? sheetLabelFor(settings) : std::string(),
                          fs::absolute(output));
    } else if (inMemory) {
        output::saveComposite(composite, fs::absolute(output), settings.resolution,
                              compositeProfile);
    }
    if (proof) {
        output::ProofOptions views = output::proofFor(settings);
        views.colourProfile = compositeProfile;
        output::saveProof(composite, views, fs::absolute(*proof));
    }
    if (saveJob) {
        core::writeJobFile(fs::absolute(*saveJob), jobOfRun(chosen, output, pitch, width, height,
                                                            unit, modeText, calibration));
    }

    if (options.has("--json")) {
        QJsonObject json;
        addOutputSettings(json, settings);
        json.insert(QStringLiteral("lens_period"),
                    settings.onPrinterGrid()
                        ? QJsonValue(static_cast<double>(settings.printLensPeriod()))
                        : QJsonValue(settings.lensPeriod()));
        json.insert(QStringLiteral("image_width"), imageWidth);
        json.insert(QStringLiteral("image_height"), imageHeight);
        json.insert(QStringLiteral("output"), jsonFileName(output));
        json.insert(QStringLiteral("format"),
                    QString::fromStdString(
                        raster::saveFormatFor(output, raster::SavedPicture::Composite).name));
        if (plan) addSheetJson(json, *options.value("--sheet"), *plan);
        if (proof) json.insert(QStringLiteral("proof"), jsonFileName(*proof));
        printJson(json);
    } else {
        std::printf("%s: %d x %d pixels at %s dpi, %d frames, lens period %s pixels\n",
                    output.c_str(), imageWidth, imageHeight,
                    core::formatFixed(settings.resolution).c_str(), settings.frameCount,
                    core::formatGeneral(settings.printLensPeriod()).c_str());
        if (plan) {
            std::printf("sheet: %zu copies, %d x %d, on %s\n", plan->copies.size(), plan->columns,
                        plan->rows, options.value("--sheet")->c_str());
        }
    }
    return 0;
}

const char* composeSynopsis() { return kCompose.synopsis; }

}  // namespace lenzora::cli
