// lenzora-cli proof and compose --proof, run as processes: the views against the library's
// rule, the GIF read back by giflib, and the refusals.

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <QJsonArray>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "core/output_settings.h"
#include "interlace/lens_view.h"
#include "output/proof.h"
#include "raster/png_codec.h"
#include "support/json_line.h"
#include "support/pictures.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace lenzora {
namespace {

namespace fs = std::filesystem;

testing::ProcessResult cli(const std::vector<std::string>& args) {
    return testing::runProcess(LENZORA_CLI, args);
}

std::vector<std::string> patternFrames(const testing::TempDir& dir, int n, std::int32_t w,
                                       std::int32_t h) {
    std::vector<std::string> frames;
    for (int q = 1; q <= n; ++q) {
        frames.push_back((dir / ("f" + std::to_string(q) + ".bmp")).string());
        testing::writeBmp(frames.back(), testing::patternImage(w, h, q));
    }
    return frames;
}

// Composes the frames at w x h pixels with the calibration band into dir/card.bmp; `extra`
// goes before -o.
testing::ProcessResult compose(const testing::TempDir& dir, const std::vector<std::string>& frames,
                               std::int32_t w, std::int32_t h, std::vector<std::string> extra) {
    std::vector<std::string> args = {"compose",         "--unit",          "px",
                                     "--width",         std::to_string(w), "--height",
                                     std::to_string(h), "--calibration"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), {"-o", (dir / "card.bmp").string()});
    args.insert(args.end(), frames.begin(), frames.end());
    return cli(args);
}

// Where two pictures differ first, or nothing when they are equal.
std::string firstDifference(const raster::RasterImage& a, const raster::RasterImage& b) {
    if (a.width() != b.width() || a.height() != b.height()) return "the sizes differ";
    for (std::int32_t y = 0; y < a.height(); ++y)
        for (std::int32_t x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return std::to_string(x) + ", " + std::to_string(y);
    return "";
}

// Each view in the folder is the rule's view of the composite, the strip width coming from
// the resolution the composite's file states; a sheet of another pitch shifts the lenses.
TEST(CliProof, FolderViewsFollowTheRule) {
    struct Case {
        const char* mode;
        const char* sheetPitch;
        double sheetPeriod;  // 3 frames x 42.275 lpi x strip 2 = 253.65 dpi over the sheet's pitch
    } cases[] = {{"columns", "42.275", 6}, {"rows", "42.275", 6}, {"columns", "42", 253.65 / 42}};
    for (const Case& c : cases) {
        testing::TempDir dir;
        ASSERT_EQ(
            compose(dir, patternFrames(dir, 3, 130, 90), 130, 90, {"--mode", c.mode}).exitCode, 0);
        const std::string views = (dir / "views").string();
        const testing::ProcessResult r =
            cli({"proof", "--frames", "3", "--mode", c.mode, "--sheet-pitch", c.sheetPitch,
                 "--json", "-o", views, (dir / "card.bmp").string()});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const QJsonObject expected = {
            {"files", QJsonArray{QString::fromStdString(views + "/view-01.png"),
                                 QString::fromStdString(views + "/view-02.png"),
                                 QString::fromStdString(views + "/view-03.png")}},
            {"theta", QJsonArray{1 / 6.0, 0.5, 5 / 6.0}},
            {"views", 3},
            {"frames", 3},
            {"strip_width", 2},
            {"print_period", 6},
            {"sheet_period", c.sheetPeriod},
            {"resolution", "253.65"}};
        EXPECT_EQ(testing::jsonLine(r.out), expected) << c.mode << " " << c.sheetPitch;
        raster::RasterImage composite;
        composite.loadBmpFile(dir / "card.bmp");
        const int mode = std::strcmp(c.mode, "rows") == 0 ? core::kModeRows : core::kModeColumns;
        for (int k = 1; k <= 3; ++k) {
            const raster::RasterImage view =
                raster::loadPngFile(dir / "views" / ("view-0" + std::to_string(k) + ".png"));
            const raster::RasterImage rule = interlace::renderView(composite, {c.sheetPeriod, mode},
                                                                   interlace::viewPosition(k, 3));
            EXPECT_EQ(firstDifference(view, rule), "")
                << c.mode << " " << c.sheetPitch << " view " << k;
        }
    }
}

double meanError(const GifFileType* gif, const SavedImage& frame, const raster::RasterImage& view) {
    const ColorMapObject* map =
        frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
    double sum = 0;
    for (std::int32_t y = 0; y < view.height(); ++y) {
        for (std::int32_t x = 0; x < view.width(); ++x) {
            const GifColorType shown = map->Colors[frame.RasterBits[y * view.width() + x]];
            const raster::Colour want = view.pixel(x, y);
            sum += std::abs(shown.Red - want.red) + std::abs(shown.Green - want.green) +
                   std::abs(shown.Blue - want.blue);
        }
    }
    return sum / (3.0 * view.width() * view.height());
}

// The GIF swings 1 ... K ... 2 through the views reduced to 800 pixels, and loops forever.
TEST(CliProof, ComposedGifSwingsThroughTheViewsAndLoops) {
    testing::TempDir dir;
    const std::string gifPath = (dir / "proof.GIF").string();
    std::vector<std::string> scene;
    for (int q = 1; q <= 4; ++q)
        scene.push_back(LENZORA_SAMPLES "/scene-" + std::to_string(q) + ".jpg");
    const testing::ProcessResult r = compose(dir, scene, 1000, 300, {"--proof", gifPath});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(gifPath.c_str(), &error);
    ASSERT_NE(gif, nullptr) << GifErrorString(error);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK) << GifErrorString(gif->Error);
    raster::RasterImage composite;
    composite.loadBmpFile(dir / "card.bmp");
    const interlace::ViewPreview preview(
        composite, core::kModeColumns, 800,
        static_cast<std::int32_t>(std::lround(composite.height() * 800.0 / composite.width())));
    EXPECT_EQ(gif->SWidth, preview.width());
    EXPECT_EQ(gif->SHeight, preview.height());
    const int order[] = {1, 2, 3, 4, 3, 2};
    ASSERT_EQ(gif->ImageCount, 6);
    for (int i = 0; i < 6; ++i) {
        // Close to its own view, and closer to it than to any other.
        double errors[5] = {};
        for (int k = 1; k <= 4; ++k)
            errors[k] =
                meanError(gif, gif->SavedImages[i], preview.view(4, interlace::viewPosition(k, 4)));
        EXPECT_LE(errors[order[i]], 6.0) << "picture " << i;
        EXPECT_EQ(std::min_element(errors + 1, errors + 5) - errors, order[i]) << "picture " << i;
        GraphicsControlBlock control{};
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, i, &control), GIF_OK);
        EXPECT_EQ(control.DelayTime, 20);
    }
    // NETSCAPE2.0, then its sub-block: 1, loop count 0 (forever).
    const SavedImage& first = gif->SavedImages[0];
    bool loops = false;
    for (int b = 0; b + 1 < first.ExtensionBlockCount; ++b) {
        const ExtensionBlock& block = first.ExtensionBlocks[b];
        const ExtensionBlock& next = first.ExtensionBlocks[b + 1];
        loops |= block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                 std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 && next.ByteCount == 3 &&
                 next.Bytes[0] == 1 && next.Bytes[1] == 0 && next.Bytes[2] == 0;
    }
    EXPECT_TRUE(loops);
    DGifCloseFile(gif, &error);
}

// On the printer's grid a lens spans D / pitch pixels: in a compose's proof, and in the batch
// tool's from the resolution the file states as its format rounds it (2 frames at 42.275 lpi:
// no strip width is near); the compose's JSON names the printer's resolution.
TEST(CliProof, OnThePrinterGridTheLensPeriodIsTheResolutionOverThePitch) {
    core::OutputSettings settings;
    settings.printDpi = core::toFixed(1440);
    EXPECT_NEAR(output::proofFor(settings).sheet.period, 1440 / 42.275, 1e-12);
    for (const auto& [name, dpi] :
         {std::pair{"card.bmp", 1440.0}, {"card.png", 720.0}, {"card.tif", 1234.5}}) {
        testing::TempDir dir;
        const std::vector<std::string> f = patternFrames(dir, 2, 60, 40);
        const testing::ProcessResult made =
            cli({"compose", "--unit", "px", "--width", "200", "--height", "100", "--print-dpi",
                 core::formatGeneral(dpi), "--json", "-o", (dir / name).string(), f[0], f[1]});
        ASSERT_EQ(made.exitCode, 0) << made.err;
        const QJsonValue stated(QString::fromStdString(core::formatGeneral(dpi)));
        EXPECT_EQ(testing::jsonLine(made.out)["print_dpi"], stated) << name;
        const testing::ProcessResult r = cli({"proof", "--frames", "2", "--json", "-o",
                                              (dir / "p.gif").string(), (dir / name).string()});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(testing::jsonLine(r.out)["resolution"], stated) << name;
        EXPECT_NEAR(testing::jsonLine(r.out)["print_period"].toDouble(), dpi / 42.275, 1e-12);
    }
}

TEST(CliProof, Refusals) {
    testing::TempDir dir;
    testing::writeBmp(dir / "plain.bmp", testing::plainImage(40, 30, raster::kWhite));
    { std::ofstream(dir / "notes.bmp") << "no picture"; }
    const std::string plain = (dir / "plain.bmp").string();
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    } cases[] = {
        {{"--strip", "1", (dir / "notes.bmp").string()}, 1, "Bitmap image is not valid"},
        {{"--dpi", "50", "--pitch", "60", plain}, 1, "镜头周期不足一个像素！"},
        {{"--strip", "1", "--sheet-pitch", "100", plain}, 1, "镜头周期不足一个像素！"},
        {{plain}, 1, "没有记录分辨率"},
        {{"--strip", "1", "--dpi", "300", plain}, 2, "not both"},
        {{"--strip", "1", "--mode", "diagonal", plain}, 2, "--mode takes columns or rows"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"proof", "--frames", "2", "-o", (dir / "p.gif").string()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const testing::ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << ::testing::PrintToString(c.args);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir / "p.gif"));
    }
}

}  // namespace
}  // namespace lenzora
