#include "cli/proof_command.h"

#include <QJsonArray>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "cli/cli_options.h"
#include "cli/common_options.h"
#include "cli/format_help.h"
#include "cli/json_writer.h"
#include "core/numbers.h"
#include "core/output_settings.h"
#include "output/proof.h"
#include "platform/error.h"
#include "platform/translation.h"
#include "raster/size_limit.h"

namespace lenzora::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kNoResolution =
    QT_TRANSLATE_NOOP("lenzora::cli", "“%1”没有记录分辨率，请用 --strip 或 --dpi 给出。");

const CommandDescription kProof = {
    "usage: lenzora-cli proof --frames N [--strip S | --dpi D] [--mode columns|rows] [--pitch "
    "LPI]\n"
    "                         [--sheet-pitch LPI] [--views K] [--delay MS] [--json] -o OUT\n"
    "                         COMPOSITE",
    "Shows what a lens sheet laid on the composite shows from one viewing position after\n"
    "another: an animated GIF that swings through the views, or a folder of full-size views.",
    {
        {"--frames", "N", "Frames the composite was made of, 2 to 16."},
        {"--strip", "S", "Strip width in pixels (from the composite's resolution and the pitch)."},
        {"--dpi", "D", "Resolution of the print in dots per inch, instead of --strip."},
        {"--mode", "columns|rows", "Strips side by side or one above the other (columns)."},
        {"--pitch", "LPI", "Pitch the print was made for, in lines per inch (42.275)."},
        {"--sheet-pitch", "LPI", "True pitch of the sheet laid on it (the print's pitch)."},
        {"--views", "K", "Views from one edge of the lenses to the other (one per frame)."},
        {"--delay", "MS", "Milliseconds each view of a GIF is shown (200)."},
        {"--json", nullptr, "Prints one JSON object on one line."},
        {"-o", "OUT",
         "An animated GIF for a .gif name, else a folder of view-01.png, view-02.png ..."},
    },
    "COMPOSITE",
    "The composite, read in the format its name says (below).",
};

core::FixedCount pitchValue(const std::string& name, const std::string& text) {
    const core::FixedCount pitch = core::parseFixedText(text);
    if (pitch <= 0) throw UsageError(name + " must be above 0");
    return pitch;
}

// The strip width nearest to what `dpi` gives frames x pitch, at least 1.
std::int32_t nearestStrip(long double dpi, int frames, core::FixedCount pitch) {
    const long double strip = core::nearest(dpi / (frames * core::fromFixed(pitch)));
    return static_cast<std::int32_t>(std::clamp<long double>(strip, 1, 1'000'000));
}

// A stated resolution within this of a lens resolution is that resolution: JFIF rounds it to
// whole dots per inch, or per centimetre (half of 2.54 dpi).
constexpr long double kStatedLensRounding = 1.27L;
// Pixels per metre (PNG, BMP) round a whole printer resolution by less than this.
constexpr long double kStatedGridRounding = 0.02L;

// The print's resolution from the one the composite's file states: the lens resolution of the
// nearest strip width when the file's rounding explains the difference, else the printer's own
// grid the composite was interlaced on, as stated (a whole number when it is that close).
core::FixedCount statedResolution(double stated, std::int32_t stripWidth, int frames,
                                  core::FixedCount pitch) {
    const core::FixedCount lens = core::resolutionFor(frames, pitch, stripWidth).resolution;
    if (std::abs(stated - core::fromFixed(lens)) <= kStatedLensRounding) return lens;
    const long double whole = core::nearest(stated);
    return core::toFixed(std::abs(stated - whole) <= kStatedGridRounding ? whole : stated);
}

}  // namespace

int runProof(const std::vector<std::string>& args) {
    const CommandLine options(kProof, args);
    if (options.helpAsked()) {
        std::fputs((options.helpText() + proofFormatsHelp()).c_str(), stdout);
        return 0;
    }
    if (options.positional().size() != 1) throw UsageError("proof takes one composite");
    const auto out = options.value("-o");
    if (!out || out->empty()) throw UsageError("proof needs -o OUT");
    const auto framesText = options.value("--frames");
    if (!framesText) throw UsageError("proof needs --frames N");
    const int frames = boundedInteger("--frames", *framesText, core::kMinFrames, core::kMaxFrames);
    if (options.has("--strip") && options.has("--dpi"))
        throw UsageError("proof takes --strip or --dpi, not both");
    const core::FixedCount pitch =
        storedSettingsFrom(options.value("--pitch"), std::nullopt, std::nullopt, std::nullopt)
            .pitch;
    const auto sheetPitchText = options.value("--sheet-pitch");
    const core::FixedCount sheetPitch =
        sheetPitchText ? pitchValue("--sheet-pitch", *sheetPitchText) : pitch;
    const auto stripText = options.value("--strip");
    const std::int32_t strip = stripText ? boundedInteger("--strip", *stripText, 1, 100000) : 0;
    const auto dpiText = options.value("--dpi");
    const core::FixedCount dpi = dpiText ? pitchValue("--dpi", *dpiText) : 0;
    output::ProofOptions proof;
    if (auto mode = options.value("--mode")) proof.sheet.mode = modeIndex(*mode);
    const auto viewsText = options.value("--views");
    proof.views = viewsText ? boundedInteger("--views", *viewsText, 1, 10000) : frames;
    if (auto delay = options.value("--delay"))
        proof.delayMilliseconds = boundedInteger("--delay", *delay, 10, 655350);
    try {
        raster::checkMaxPixelsVariable();
    } catch (const platform::Error& e) {
        throw UsageError(e.what());
    }

    // Checked before the composite is read: a proof that could never be saved is not started.
    const fs::path target = fs::absolute(*out);
    output::checkProofTarget(target, proof.views);
    const std::string& composite = options.positional().front();
    output::SavedComposite saved = output::loadComposite(fs::absolute(composite));
    proof.colourProfile = std::move(saved.colourProfile);

    // The print's resolution: as given, or from the strip width given, or from the one the
    // file states.
    std::int32_t stripWidth = strip;
    if (dpiText) {
        proof.resolution = dpi;
        stripWidth = nearestStrip(core::fromFixed(dpi), frames, pitch);
    } else if (stripText) {
        proof.resolution = core::resolutionFor(frames, pitch, stripWidth).resolution;
    } else {
        if (!saved.dotsPerInch)
            throw platform::Error(
                platform::fillIn(platform::translate("lenzora::cli", kNoResolution), {composite}));
        stripWidth = nearestStrip(*saved.dotsPerInch, frames, pitch);
        proof.resolution = statedResolution(*saved.dotsPerInch, stripWidth, frames, pitch);
    }
    const long double resolution = core::fromFixed(proof.resolution);
    const double printPeriod = static_cast<double>(resolution / core::fromFixed(pitch));
    proof.sheet.period = static_cast<double>(resolution / core::fromFixed(sheetPitch));
    if (!(printPeriod >= 1 && proof.sheet.period >= 1))
        throw platform::Error(
            platform::translate("lenzora::interlace", interlace::kSheetPeriodTooSmall));

    output::saveProof(saved.image, proof, target);
    if (options.has("--json")) {
        QJsonArray written;
        for (const fs::path& file : output::proofFiles(*out, proof.views))
            written.append(jsonFileName(file.string()));
        QJsonArray positions;
        for (int k = 1; k <= proof.views; ++k)
            positions.append(interlace::viewPosition(k, proof.views));
        printJson({
            {"files", written},
            {"theta", positions},
            {"views", proof.views},
            {"frames", frames},
            {"strip_width", stripWidth},
            {"print_period", printPeriod},
            {"sheet_period", proof.sheet.period},
            {"resolution", QString::fromStdString(core::formatFixed(proof.resolution))},
        });
    } else {
        std::printf("%s: %d views, print period %g pixels, sheet period %g pixels\n", out->c_str(),
                    proof.views, printPeriod, proof.sheet.period);
    }
    return 0;
}

const char* proofSynopsis() { return kProof.synopsis; }

}  // namespace lenzora::cli
