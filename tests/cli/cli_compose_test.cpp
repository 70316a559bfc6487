// lenzora-cli compose, run as a process on frames the test writes.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <fstream>

#include "core/numbers.h"
#include "core/output_settings.h"
#include "core/settings_file.h"
#include "interlace/compose_state.h"
#include "output/save_composite.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/save_file.h"
#include "raster/jpeg_codec.h"
#include "raster/png_codec.h"
#include "raster/tiff_codec.h"
#include "support/encoded_pictures.h"
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

class CliCompose : public ::testing::Test {
  protected:
    std::vector<std::string> frames(int n, std::int32_t w, std::int32_t h) {
        std::vector<std::string> paths;
        for (int q = 1; q <= n; ++q) {
            fs::path path = dir_ / ("f" + std::to_string(q) + ".bmp");
            testing::writeBmp(path, testing::patternImage(w + q, h, q));
            paths.push_back(path.string());
        }
        return paths;
    }
    testing::TempDir dir_;
};

TEST_F(CliCompose, WorkedExampleAsJson) {
    std::vector<std::string> args = {"compose", "--pitch", "21.25",
                                     "--json",  "-o",      (dir_ / "out.bmp").string()};
    for (const char* name : {"a.bmp", "b.bmp"}) {
        testing::writeBmp(dir_ / name, testing::patternImage(1600, 1200, name[0] == 'a' ? 1 : 2));
        args.push_back((dir_ / name).string());
    }
    testing::ProcessResult r = cli(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject expected = {{"frames", 2},
                                  {"strip_width", 6},
                                  {"resolution", "255"},
                                  {"width_px", 2881},
                                  {"height_px", 2007},
                                  {"lens_period", 12},
                                  {"image_width", 2881},
                                  {"image_height", 2007},
                                  {"output", QString::fromStdString((dir_ / "out.bmp").string())},
                                  {"format", "bmp"}};
    EXPECT_EQ(testing::jsonLine(r.out), expected);
    raster::RasterImage out;
    out.loadBmpFile(dir_ / "out.bmp");
    EXPECT_EQ(out.pixel(0, 500).green & 0x0F, 1);
    EXPECT_EQ(out.pixel(6, 500).green & 0x0F, 2);
    EXPECT_EQ(out.pixel(2880, 500), raster::kWhite);
    platform::Bytes bytes = platform::readWholeFile(dir_ / "out.bmp");
    EXPECT_EQ(bytes[38] | bytes[39] << 8, 10037);  // 255 dpi in pixels per metre
}

TEST_F(CliCompose, EveryPixelFromItsFrameInBothModes) {
    for (const char* mode : {"columns", "rows"}) {
        for (int n = 2; n <= 16; ++n) {
            fs::path work = dir_ / ("work-" + std::string(mode) + std::to_string(n));
            std::vector<std::string> args = {"compose",
                                             "--unit",
                                             "px",
                                             "--width",
                                             "101",
                                             "--height",
                                             "67",
                                             "--mode",
                                             mode,
                                             "--work-dir",
                                             work.string(),
                                             "-o",
                                             (dir_ / "out.bmp").string()};
            for (const std::string& f : frames(n, 40, 30)) args.push_back(f);
            testing::ProcessResult r = cli(args);
            ASSERT_EQ(r.exitCode, 0) << r.err;

            core::OutputSettings settings;
            settings.frameCount = n;
            core::Resolution resolution = core::resolutionRule(n, settings.pitch);
            std::vector<raster::RasterImage> strips(static_cast<std::size_t>(n));
            for (int q = 1; q <= n; ++q) {
                char name[16];
                std::snprintf(name, sizeof name, "x%02d.bmp", q);
                strips[static_cast<std::size_t>(q - 1)].loadBmpFile(work / name);
            }
            const bool columns = std::string(mode) == "columns";
            interlace::ComposeState state;
            state.outputWidth = 101;
            state.outputHeight = 67;
            state.stripImageWidth = strips[0].width();
            state.stripImageHeight = strips[0].height();
            raster::RasterImage out;
            out.loadBmpFile(dir_ / "out.bmp");
            EXPECT_EQ(
                testing::interlaceMismatch(out, strips, resolution.stripWidth,
                                           columns ? core::kModeColumns : core::kModeRows, state),
                "")
                << n << " frames, " << mode;

            // Without working files, straight from the frames: the same bytes, nothing else.
            args.erase(args.begin() + 9, args.begin() + 11);
            args[10] = (dir_ / "straight" / "out.bmp").string();
            fs::create_directories(dir_ / "straight");
            r = cli(args);
            ASSERT_EQ(r.exitCode, 0) << r.err;
            EXPECT_EQ(platform::readWholeFile(dir_ / "straight" / "out.bmp"),
                      platform::readWholeFile(dir_ / "out.bmp"))
                << n << " frames, " << mode;
            EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "straight"), {}), 1);
        }
    }
}

// On the printer's grid pixel i along the divided side shows frame
// floor(frac((i + 0.5) pitch / D) n) + 1 of the frame under it, so that the lens period is
// D / pitch on average; the calibration band has four such periods, each black in its second
// half. Frames of one colour each tell which frame a pixel shows.
TEST_F(CliCompose, OnThePrintersGridEveryPixelShowsTheFrameUnderIt) {
    struct Case {
        const char* mode;
        int n;
        double pitch, dpi;
        const char *width, *height;
        std::int32_t frameW, frameH;  // scaled to cover exactly, so no pixel stays white
    } cases[] = {
        {"columns", 4, 42.275, 1440, "1000000", "1", 40, 10},
        {"rows", 3, 61.53, 720, "2", "5000", 4, 10},
        {"columns", 16, 21.25, 2400, "1000", "3", 50, 5},
    };
    auto colourOf = [](int q) {
        return raster::Colour{static_cast<std::uint8_t>(15 * q), static_cast<std::uint8_t>(7 * q),
                              static_cast<std::uint8_t>(255 - 9 * q)};
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + c.width + " x " + c.height);
        const bool columns = std::string(c.mode) == "columns";
        std::vector<std::string> args = {"compose",
                                         "--unit",
                                         "px",
                                         "--width",
                                         c.width,
                                         "--height",
                                         c.height,
                                         "--mode",
                                         c.mode,
                                         "--pitch",
                                         core::formatGeneral(c.pitch),
                                         "--print-dpi",
                                         core::formatGeneral(c.dpi),
                                         "--calibration",
                                         "-o",
                                         (dir_ / "grid.bmp").string()};
        for (int q = 1; q <= c.n; ++q) {
            raster::RasterImage frame;
            frame.create(raster::PixelFormat::Bgr24, c.frameW, c.frameH);
            for (std::int32_t y = 0; y < c.frameH; ++y) {
                for (std::int32_t x = 0; x < c.frameW; ++x) {
                    const raster::Colour colour = colourOf(q);
                    std::uint8_t* pixel = frame.row(y) + 3 * x;
                    pixel[0] = colour.blue;
                    pixel[1] = colour.green;
                    pixel[2] = colour.red;
                }
            }
            const fs::path path = dir_ / ("solid" + std::to_string(q) + ".bmp");
            testing::writeBmp(path, frame);
            args.push_back(path.string());
        }
        const testing::ProcessResult r = cli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        raster::RasterImage out;
        out.loadBmpFile(dir_ / "grid.bmp");
        const std::int32_t extent = std::stoi(columns ? c.width : c.height);
        const double period = c.dpi / c.pitch;
        std::vector<std::int32_t> lensStarts;
        int previous = 0;
        for (std::int32_t i = 0; i < extent; ++i) {
            const raster::Colour seen = columns ? out.pixel(i, 0) : out.pixel(0, i);
            int shown = 0;
            for (int q = 1; q <= c.n; ++q) shown = seen == colourOf(q) ? q : shown;
            const double share = std::fmod((i + 0.5) / period, 1.0) * c.n;
            const bool onAnEdge = std::abs(share - std::round(share)) < 1e-9;
            if (!onAnEdge) {
                ASSERT_EQ(shown, static_cast<int>(share) + 1) << i;
            }
            if (shown == 1 && previous != 1) lensStarts.push_back(i);
            previous = shown;
        }
        const double span = lensStarts.back() - lensStarts.front();
        EXPECT_NEAR(span / static_cast<double>(lensStarts.size() - 1) / period, 1.0, 1.0 / span);
        if (extent == 1000000) {
            EXPECT_LT(1.0 / span, 1.01e-6);
        }

        std::int32_t band = 0;
        for (; (band + 0.5) < 4 * period; ++band) {
            const raster::Colour seen =
                columns ? out.pixel(extent + band, 0) : out.pixel(0, extent + band);
            const bool black = std::fmod(band + 0.5, period) >= period / 2;
            EXPECT_EQ(seen, black ? raster::kBlack : raster::kWhite) << "band " << band;
        }
        EXPECT_EQ(columns ? out.width() : out.height(), extent + band);
    }
}

TEST_F(CliCompose, TheSampleFrames) {
    const fs::path samples = LENZORA_SAMPLES;
    testing::ProcessResult scene =
        cli({"compose", "--json", "--work-dir", (dir_ / "work").string(), "-o",
             (dir_ / "scene.bmp").string(), (samples / "scene-1.jpg").string(),
             (samples / "scene-2.jpg").string(), (samples / "scene-3.jpg").string(),
             (samples / "scene-4.jpg").string()});
    ASSERT_EQ(scene.exitCode, 0) << scene.err;
    const QJsonObject json = testing::jsonLine(scene.out);
    const std::pair<const char*, QJsonValue> expected[] = {
        {"frames", 4},      {"strip_width", 1},  {"resolution", "169.1"},
        {"width_px", 1910}, {"height_px", 1331}, {"lens_period", 4},
    };
    for (const auto& [key, value] : expected) EXPECT_EQ(json[key], value) << key;
    raster::RasterImage copy;
    copy.loadBmpFile(dir_ / "work" / "t03.bmp");
    EXPECT_EQ(copy.width(), 480);
    EXPECT_EQ(copy.height(), 360);
    EXPECT_TRUE(fs::exists(dir_ / "work" / "x04.bmp"));

    testing::ProcessResult flip =
        cli({"compose", "--mode", "rows", "--json", "-o", (dir_ / "flip.jpg").string(),
             (samples / "flip-1.jpg").string(), (samples / "flip-2.jpg").string()});
    ASSERT_EQ(flip.exitCode, 0) << flip.err;
    EXPECT_EQ(testing::jsonLine(flip.out)["format"], QJsonValue("jpeg"));
}

// PNG and TIFF frames give the composite their BMP twins give, saved in the format the
// output's name says.
TEST_F(CliCompose, PngAndTiffFramesAndOutputs) {
    std::vector<std::string> bmps, others;
    for (int q = 1; q <= 3; ++q) {
        const raster::RasterImage frame = testing::patternImage(200 + q, 150, q);
        const fs::path bmp = dir_ / ("f" + std::to_string(q) + ".bmp");
        const fs::path other = dir_ / ("f" + std::to_string(q) + (q == 2 ? ".TIFF" : ".Png"));
        testing::writeBmp(bmp, frame);
        platform::saveWholeFile(other,
                                q == 2 ? raster::encodeTiff(frame) : raster::encodePng(frame));
        bmps.push_back(bmp.string());
        others.push_back(other.string());
    }
    auto compose = [&](const std::vector<std::string>& frames, const std::string& out) {
        std::vector<std::string> args = {"compose", "--json", "-o", (dir_ / out).string()};
        args.insert(args.end(), frames.begin(), frames.end());
        const testing::ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return testing::jsonLine(r.out)["format"].toString().toStdString();
    };
    EXPECT_EQ(compose(bmps, "plain.bmp"), "bmp");
    EXPECT_EQ(compose(others, "card.TIF"), "tiff");
    EXPECT_EQ(compose(others, "card.png"), "png");
    EXPECT_EQ(compose(others, "card.JPEG"), "jpeg");
    EXPECT_EQ(compose(others, "card.Pdf"), "pdf");
    raster::RasterImage plain;
    plain.loadBmpFile(dir_ / "plain.bmp");
    const std::string expected = testing::describePixels(plain);
    EXPECT_EQ(testing::describePixels(raster::loadTiffFile(dir_ / "card.TIF")), expected);
    EXPECT_EQ(testing::describePixels(raster::loadPngFile(dir_ / "card.png")), expected);
    EXPECT_EQ(platform::readWholeFile(dir_ / "card.JPEG").at(0), 0xFF);
}

TEST_F(CliCompose, ProgressOnATerminalOnly) {
    const std::vector<std::string> f = frames(2, 60, 40);
    const std::string out = (dir_ / "out.bmp").string();
    testing::ProcessResult plain = cli({"compose", "-o", out, f[0], f[1]});
    ASSERT_EQ(plain.exitCode, 0);
    EXPECT_EQ(plain.err, "") << "no progress bar when standard error is no terminal";

    // `script` gives the tool a terminal and passes on what it shows.
    const std::string command =
        std::string(LENZORA_CLI) + " compose -o '" + out + "' '" + f[0] + "' '" + f[1] + "'";
    testing::ProcessResult shown =
        testing::runProcess("/usr/bin/script", {"-qec", command, "/dev/null"});
    ASSERT_EQ(shown.exitCode, 0) << shown.out;
    EXPECT_NE(shown.out.find("[##"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("100%"), std::string::npos) << shown.out;  // the work all done
}

TEST_F(CliCompose, CalibrationAndJpeg) {
    std::vector<std::string> args = {"compose", "--calibration", "--json", "-o",
                                     (dir_ / "card.jpg").string()};
    for (const std::string& f : frames(2, 300, 200)) args.push_back(f);
    testing::ProcessResult r = cli(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject json = testing::jsonLine(r.out);
    EXPECT_EQ(json["image_width"], QJsonValue(2890));
    EXPECT_EQ(json["image_height"], QJsonValue(1997));
    EXPECT_EQ(json["format"], QJsonValue("jpeg"));
    platform::Bytes bytes = platform::readWholeFile(dir_ / "card.jpg");
    ASSERT_GT(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
}

TEST_F(CliCompose, ErrorsLeaveNoOutput) {
    std::ofstream(dir_ / "bad.bmp") << "BM damaged";
    std::ofstream(dir_ / "bad.PNG") << "BM no PNG";
    std::vector<std::string> good = frames(2, 30, 20);
    struct Case {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{good[0], (dir_ / "bad.bmp").string()}, "lenzora-cli: Bitmap image is not valid\n"},
        {{good[0], (dir_ / "frame.gif").string()}, "lenzora-cli: File format error!\n"},
        {{good[0], (dir_ / "bad.PNG").string()},
         "lenzora-cli: Cannot read file \"" + (dir_ / "bad.PNG").string() +
             "\". PNG error: Not a PNG file\n"},
        {{"--width", "abc", good[0], good[1]},
         "lenzora-cli: 'abc' is not a valid floating point value\n"},
        {{"--unit", "px", "--width", "0", good[0], good[1]},
         "lenzora-cli: Output size too small!\n"},
        {{"--unit", "px", "--width", "40000", "--height", "40000", good[0], good[1]},
         "lenzora-cli: Output size too large!\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"compose", "-o", (dir_ / "out.bmp").string()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        testing::ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, 1) << c.message;
        EXPECT_EQ(r.err, c.message);
        EXPECT_FALSE(fs::exists(dir_ / "out.bmp")) << c.message;
    }
    testing::ProcessResult r =
        cli({"compose", "-o", (dir_ / "no-such-folder" / "out.bmp").string(), good[0], good[1]});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind("lenzora-cli: Cannot create file", 0), 0u) << r.err;
}

// A pipe under a frame's name would block the open until something wrote into it: it is
// refused as no regular file. The tool runs under a time limit, so a hang fails the test
// (status 124) instead of stopping the suite.
TEST_F(CliCompose, APipeAsAFrameIsRefusedWithoutWaiting) {
    const std::vector<std::string> good = frames(2, 30, 20);
    for (const char* name : {"x.bmp", "x.jpg"}) {
        const fs::path pipe = dir_ / name;
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0) << name;
        const testing::ProcessResult r = testing::runProcess(
            "timeout", {"-k", "5", "20", LENZORA_CLI, "compose", "-o", (dir_ / "out.bmp").string(),
                        good[0], pipe.string(), good[1]});
        EXPECT_EQ(r.exitCode, 1) << name << " (124: the tool hung)";
        EXPECT_EQ(r.err,
                  "lenzora-cli: Cannot open file \"" + pipe.string() + "\". Not a regular file\n");
        EXPECT_FALSE(fs::exists(dir_ / "out.bmp")) << name;
    }
}

// One rule for the target of every save: the window's picture and settings file, and the
// batch tool's -o, which is checked before any frame is read (a refused target's compose is
// given a frame that cannot be read). A link to nothing is written through, as editors do.
TEST_F(CliCompose, EverySaveFollowsOneRuleForItsTarget) {
    const std::vector<std::string> good = frames(2, 30, 20);
    const struct {
        const char* linkTo;   // what the link target.bmp leads to; nullptr: a pipe, no link
        std::string refusal;  // empty: saved
    } cases[] = {{"made.bmp", ""},
                 {"missing/made.bmp", "File not found"},
                 {"target.bmp", "File not found"},  // a link to itself
                 {nullptr, "Not a regular file"}};
    for (const auto& c : cases) {
        for (const std::string caller : {"picture", "settings", "compose -o"}) {
            SCOPED_TRACE(std::string(c.linkTo ? c.linkTo : "a pipe") + ", " + caller);
            const testing::TempDir dir;
            const fs::path target = dir / "target.bmp";
            if (c.linkTo)
                fs::create_symlink(c.linkTo, target);
            else
                ASSERT_EQ(::mkfifo(target.c_str(), 0600), 0);
            const std::string file = "Cannot create file \"" + target.string() + "\". ";
            std::string error, expected = c.refusal;
            if (caller == "compose -o") {
                error = cli({"compose", "-o", target.string(), good[0],
                             c.refusal.empty() ? good[1] : (dir / "unreadable.bmp").string()})
                            .err;
                if (!c.refusal.empty()) expected = "lenzora-cli: " + file + c.refusal + "\n";
            } else {
                try {
                    if (caller == "picture")
                        output::saveComposite(testing::patternImage(30, 20, 1), target, 2550000);
                    else
                        core::writeSettingsFile(target, core::StoredSettings{});
                } catch (const platform::Error& e) {
                    error = e.what();
                }
                if (!c.refusal.empty() && caller == "picture") expected = file + c.refusal;
            }
            EXPECT_EQ(error, expected);
            std::error_code loop;
            EXPECT_EQ(fs::is_symlink(target) && fs::is_regular_file(target, loop),
                      c.refusal.empty())
                << "written through the link";
        }
    }
}

// Ten frames need ten pixels only along the side the mode divides among them.
TEST_F(CliCompose, OnlyTheDividedSideNeedsAPixelPerFrame) {
    const std::vector<std::string> ten = frames(10, 30, 20);
    struct Case {
        const char *mode, *width, *height;
        int exitCode;
        std::string err;
    } cases[] = {
        {"columns", "100", "9", 0, ""},
        {"columns", "100", "1", 0, ""},
        {"rows", "9", "100", 0, ""},
        {"columns", "9", "100", 1, "lenzora-cli: Output size too small!\n"},
        {"rows", "100", "9", 1, "lenzora-cli: Output size too small!\n"},
        {"columns", "100", "0", 1, "lenzora-cli: Output size too small!\n"},
        {"rows", "0", "100", 1, "lenzora-cli: Output size too small!\n"},
    };
    for (const Case& c : cases) {
        fs::remove(dir_ / "out.bmp");
        std::vector<std::string> args = {"compose", "--unit", "px", "--mode", c.mode};
        args.insert(args.end(), {"--width", c.width, "--height", c.height});
        args.insert(args.end(), {"-o", (dir_ / "out.bmp").string()});
        args.insert(args.end(), ten.begin(), ten.end());
        testing::ProcessResult r = cli(args);
        const std::string label = std::string(c.mode) + " " + c.width + " x " + c.height;
        EXPECT_EQ(r.exitCode, c.exitCode) << label;
        EXPECT_EQ(r.err, c.err) << label;
        EXPECT_EQ(fs::exists(dir_ / "out.bmp"), c.exitCode == 0) << label;
    }
}

// A photo whose camera recorded a quarter turn composes turned, and with --ignore-orientation
// as its stored pixels do.
TEST_F(CliCompose, PhotosStandUprightUnlessOrientationIsIgnored) {
    const raster::RasterImage stored = testing::gridImage("BW/GK/RY", 8);
    raster::JpegOptions turned;
    turned.exif = testing::orientationExif(6);
    platform::saveWholeFile(dir_ / "turned.jpg", raster::encodeJpeg(stored, turned));
    platform::saveWholeFile(dir_ / "plain.jpg", raster::encodeJpeg(stored));
    const auto compose = [&](const char* frame, bool ignore) {
        const std::string out = (dir_ / (frame + std::to_string(ignore) + ".bmp")).string();
        const std::string photo = (dir_ / frame).string();
        std::vector<std::string> args = {"compose", "--unit", "px", "--width", "120", "--height"};
        args.insert(args.end(), {"80", "-o", out, photo, photo});
        if (ignore) args.insert(args.begin() + 1, "--ignore-orientation");
        EXPECT_EQ(cli(args).exitCode, 0);
        return out;
    };
    const platform::Bytes asStored = platform::readWholeFile(compose("plain.jpg", false));
    EXPECT_TRUE(platform::readWholeFile(compose("turned.jpg", true)) == asStored);
    EXPECT_FALSE(platform::readWholeFile(compose("turned.jpg", false)) == asStored);
}

TEST_F(CliCompose, BadUsage) {
    std::vector<std::string> good = frames(2, 30, 20);
    const std::vector<std::string> cases[] = {
        {"compose", good[0], good[1]},
        {"compose", "-o", "out.bmp", good[0]},
        {"compose", "--pitch", "-1", "-o", "out.bmp", good[0], good[1]},
        {"compose", "--mode", "diagonal", "-o", "out.bmp", good[0], good[1]},
    };
    for (const auto& args : cases) {
        testing::ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, 2) << ::testing::PrintToString(args);
    }
    std::vector<std::string> seventeen = {"compose", "-o", "out.bmp"};
    for (int i = 0; i < 17; ++i) seventeen.push_back(good[0]);
    EXPECT_EQ(cli(seventeen).exitCode, 2);
}

}  // namespace
}  // namespace lenzora
