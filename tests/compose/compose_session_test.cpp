#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "compose/compose_session.h"
#include "core/output_settings.h"
#include "core/working_files.h"
#include "interlace/interlace_frames.h"
#include "platform/drive_paths.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/save_file.h"
#include "raster/colour_profile.h"
#include "raster/jpeg_codec.h"
#include "raster/png_codec.h"
#include "support/encoded_pictures.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

namespace lenzora::compose {
namespace {

class ComposeSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::setDriveRoot(root_.path());
        std::filesystem::create_directories(root_ / "c" / "lz3d");
        core::recomputeAtStartUp(settings_);
    }
    void TearDown() override { platform::setDriveRoot({}); }

    std::string frameFile(int tag) {
        const auto path = root_ / ("frame" + std::to_string(tag) + ".bmp");
        lenzora::testing::writeBmp(path, lenzora::testing::patternImage(60 + tag, 40, tag));
        return path.string();
    }

    lenzora::testing::TempDir root_;
    core::OutputSettings settings_;
};

// The frame-count rule: only a slot from 3 up that holds a frame counts, loaded or not just now.
TEST_F(ComposeSessionTest, OnlyFilledSlotsFromThreeUpRaiseTheCount) {
    ComposeSession session(settings_);
    struct Step {
        int slot;
        bool load;
        bool recounted;
        int frameCount;
    };
    const Step steps[] = {
        {1, true, false, 2},  // slots 1 and 2 never count
        {2, true, false, 2},
        {5, false, false, 2},  // an empty slot (cancelled dialog) does not count
        {4, true, true, 4},
        {3, true, true, 4},   // the count only rises
        {4, false, true, 4},  // a cancelled dialog over a filled slot counts again
        {9, true, true, 9},
    };
    for (const Step& step : steps) {
        if (step.load) session.loadFrame(step.slot, frameFile(step.slot));
        EXPECT_EQ(session.countFrame(step.slot), step.recounted) << step.slot;
        EXPECT_EQ(settings_.frameCount, step.frameCount) << step.slot;
    }
    EXPECT_EQ(session.missingFrame(), std::optional<std::string>("Photo5 not select！"));
}

// The session's compose is the interlacer's, with the band following the boxes' pixel size.
TEST_F(ComposeSessionTest, ComposeAndBandAsTheInterlacerMakesThem) {
    ComposeSession session(settings_);
    frames::FrameSlots slots;
    for (int slot = 1; slot <= 3; ++slot) {
        session.loadFrame(slot, frameFile(slot));
        session.countFrame(slot);
        slots[slot] = frameFile(slot);
    }
    EXPECT_EQ(session.setOutputSize("0.2", "0.2"),
              std::optional<std::string>("Output size too small!"));
    ASSERT_EQ(session.setOutputSize("30", "20"), std::nullopt);
    interlace::NoProgress none;
    session.compose(none);

    interlace::ComposeState state{settings_.pixelWidth, settings_.pixelHeight};
    raster::RasterImage expected;
    interlace::interlaceFrames(slots, 3, settings_.stripWidth, settings_.mode, state, none,
                               expected);
    ASSERT_EQ(session.composite().width(), expected.width());
    ASSERT_EQ(session.composite().height(), expected.height());
    for (std::int32_t y = 0; y < expected.height(); ++y) {
        ASSERT_EQ(std::memcmp(session.composite().row(y), expected.row(y),
                              static_cast<std::size_t>(expected.width()) * 3),
                  0)
            << y;
    }
    // A window's snapshot keeps what it showed; the band comes as a new composite.
    const std::shared_ptr<const raster::RasterImage> shown = session.compositeSnapshot();
    session.setCalibrationBand(true);
    EXPECT_EQ(session.composite().width(), settings_.pixelWidth + 4 * settings_.lensPeriod());
    ASSERT_EQ(shown->width(), expected.width());
    EXPECT_EQ(std::memcmp(shown->row(0), expected.row(0), expected.stride()), 0);
    session.setCalibrationBand(false);
    EXPECT_EQ(session.composite().width(), settings_.pixelWidth);
}

// A bleed widens the composite by whole pixels on every side and leaves the settings' size.
TEST_F(ComposeSessionTest, BleedGrowsTheCompositeOnly) {
    ComposeSession session(settings_);
    for (int slot = 1; slot <= 3; ++slot) {
        session.loadFrame(slot, frameFile(slot));
        session.countFrame(slot);
    }
    ASSERT_EQ(session.setOutputSize("30", "20"), std::nullopt);
    const std::int32_t trimWidth = settings_.pixelWidth;
    session.setBleed(3);
    ASSERT_EQ(session.setOutputSize("30", "20"), std::nullopt);
    interlace::NoProgress none;
    session.compose(none);
    const double pixelsPerMm = static_cast<double>(core::fromFixed(settings_.resolution) / 25.4L);
    const std::int32_t bleed = session.bleedPixels();
    EXPECT_NEAR(bleed / pixelsPerMm, 3.0, 0.5 / pixelsPerMm);
    EXPECT_EQ(settings_.pixelWidth, trimWidth);
    EXPECT_EQ(session.composite().width(), trimWidth + 2 * bleed);
    EXPECT_EQ(session.composite().height(), settings_.pixelHeight + 2 * bleed);
}

// A compose that fails on a frame publishes nothing: the last composite stays, whether a window
// held it (the compose built beside it) or not (it went with the compose, whose new composite was
// to take its buffer).
TEST_F(ComposeSessionTest, AFailedComposeLeavesTheLastComposite) {
    for (bool held : {false, true}) {
        ComposeSession session(settings_);
        for (int slot = 1; slot <= 2; ++slot) session.loadFrame(slot, frameFile(slot));
        ASSERT_EQ(session.setOutputSize("30", "20"), std::nullopt);
        interlace::NoProgress none;
        session.compose(none);
        const raster::RasterImage first = session.composite();
        std::shared_ptr<const raster::RasterImage> shown;
        if (held) shown = session.compositeSnapshot();
        std::ofstream(frameFile(2), std::ios::trunc) << "BM not a bitmap at all";
        EXPECT_THROW(session.compose(none), platform::Error) << held;
        ASSERT_EQ(session.composite().width(), first.width()) << held;
        EXPECT_EQ(std::memcmp(session.composite().row(0), first.row(0), first.stride()), 0);
    }
}

platform::Bytes pixels(const raster::RasterImage& image) {
    return platform::Bytes(
        image.row(0), image.row(0) + image.stride() * static_cast<std::size_t>(image.height()));
}

// Without a sink's file: the composite of composeStraight, made in memory.
raster::RasterImage composeStraightInMemory(ComposeSession& session,
                                            const std::vector<std::string>& files, bool band,
                                            const interlace::ComposeRun& run,
                                            platform::Bytes* profile = nullptr) {
    raster::RasterImage composite;
    interlace::ImageSink sink(composite);
    interlace::NoProgress none;
    EXPECT_EQ(session.composeStraight(files, "30", "20", band, none, run, {},
                                      [&](const platform::Bytes& p) -> interlace::BandSink& {
                                          if (profile != nullptr) *profile = p;
                                          return sink;
                                      }),
              std::nullopt);
    return composite;
}

// The batch tool's one-go compose, which prepares each frame from memory as it is loaded, gives
// every byte that loading the frames first and composing them from their files gives: the
// composite, the working copies, the strip files, the thumbnails and the sizes kept. With a
// JPEG frame 1, the colour frames are prepared from their rows as they are decoded. The
// compose straight from the files through the lens map (frames read row by row, a 1-bit
// frame through its strip image) gives the same composite, with or without the band, and
// writes no working file.
TEST_F(ComposeSessionTest, ComposingInOneGoGivesTheBytesOfLoadingFirst) {
    std::vector<std::string> files = {
        (root_ / "tall.jpg").string(),      (root_ / "colour.jpg").string(),
        LENZORA_TEST_DATA "/grey-ramp.jpg", frameFile(4),
        (root_ / "wide.jpg").string(),      (root_ / "one-bit.bmp").string()};
    lenzora::testing::writeJpeg(files[0], lenzora::testing::patternImage(61, 300, 1));
    lenzora::testing::writeJpeg(files[1], lenzora::testing::patternImage(90, 70, 2));
    lenzora::testing::writeJpeg(files[4], lenzora::testing::patternImage(150, 40, 5));
    raster::RasterImage oneBit;
    oneBit.create(raster::PixelFormat::Indexed1, 173, 41);
    oneBit.setFillColour(raster::kBlack);
    for (std::int32_t x = 0; x < 173; x += 5) oneBit.drawRectangle(x, x % 41, x + 2, 41);
    oneBit.saveBmpFile(files[5]);
    auto workingFiles = [&] {
        std::vector<platform::Bytes> all;
        for (int slot = 1; slot <= 6; ++slot) {
            for (const std::string& name :
                 {core::workingCopyPath(slot), core::stripFilePath(slot)}) {
                const auto path = platform::hostPath(name);
                all.push_back(std::filesystem::exists(path) ? platform::readWholeFile(path)
                                                            : platform::Bytes{});
                platform::removeFileQuietly(path);
            }
        }
        return all;
    };
    for (int mode : {core::kModeColumns, core::kModeRows}) {
        core::OutputSettings firstSettings = settings_;
        firstSettings.mode = mode;
        ComposeSession first(firstSettings);
        first.loadFrames(files, 1);
        ASSERT_EQ(first.setOutputSize("30", "20"), std::nullopt);
        interlace::NoProgress none;
        first.compose(none);
        const std::vector<platform::Bytes> expected = workingFiles();

        for (int threads : {1, 3}) {
            core::OutputSettings settings = settings_;
            settings.mode = mode;
            ComposeSession oneGo(settings);
            interlace::ComposeRun run;
            run.threads = threads;
            ASSERT_EQ(oneGo.composeFiles(files, "30", "20", none, run), std::nullopt);
            const std::string how =
                "mode " + std::to_string(mode) + ", " + std::to_string(threads) + " threads";
            EXPECT_EQ(pixels(oneGo.composite()), pixels(first.composite())) << how;
            EXPECT_EQ(workingFiles(), expected) << how;
            EXPECT_EQ(oneGo.frameSlots().paths, first.frameSlots().paths) << how;
            EXPECT_EQ(oneGo.state().scaledWidth, first.state().scaledWidth) << how;
            EXPECT_EQ(oneGo.state().scaledHeight, first.state().scaledHeight) << how;
            for (int slot = 1; slot <= 6; ++slot)
                EXPECT_EQ(pixels(oneGo.thumbnail(slot)), pixels(first.thumbnail(slot))) << how;

            for (bool band : {false, true}) {
                core::OutputSettings straightSettings = settings_;
                straightSettings.mode = mode;
                ComposeSession straight(straightSettings);
                const raster::RasterImage made =
                    composeStraightInMemory(straight, files, band, run);
                first.setCalibrationBand(band);
                EXPECT_EQ(pixels(made), pixels(first.composite())) << how << " band " << band;
                EXPECT_EQ(straight.state().scaledWidth, first.state().scaledWidth) << how;
                EXPECT_EQ(workingFiles(), std::vector<platform::Bytes>(12)) << how;
            }
            first.setCalibrationBand(false);
        }
    }
}

// On the printer's grid the window's compose (frames from their slots' working copies, whole in
// memory) gives the batch tool's straight compose byte for byte, the band at the exact period
// included, and writes no strip file.
TEST_F(ComposeSessionTest, OnThePrintersGridTheWindowsComposeIsTheBatchTools) {
    const std::vector<std::string> files = {(root_ / "tall.jpg").string(), frameFile(2),
                                            frameFile(3)};
    lenzora::testing::writeJpeg(files[0], lenzora::testing::patternImage(61, 300, 1));
    for (int mode : {core::kModeColumns, core::kModeRows}) {
        core::OutputSettings windowSettings = settings_;
        windowSettings.mode = mode;
        core::changePrintDpi(windowSettings, 7200000);
        ComposeSession window(windowSettings);
        window.loadFrames(files, 2);
        ASSERT_EQ(window.setOutputSize("30", "20"), std::nullopt);
        interlace::NoProgress none;
        window.compose(none);
        window.setCalibrationBand(true);
        EXPECT_FALSE(std::filesystem::exists(platform::hostPath(core::stripFilePath(1))));

        core::OutputSettings straightSettings = settings_;
        straightSettings.mode = mode;
        core::changePrintDpi(straightSettings, 7200000);
        ComposeSession straight(straightSettings);
        const raster::RasterImage made = composeStraightInMemory(straight, files, true, {});
        EXPECT_EQ(made.width(), window.composite().width()) << mode;
        EXPECT_EQ(pixels(made), pixels(window.composite())) << mode;
    }
}

// Every frame waits for frame 1's colour profile before converting; a frame 1 that cannot be
// read must not leave them waiting, nor one cut short after its profile was known. Whichever
// frame fails, the error is the one a plain loop meets first, on any number of threads, no
// composite is kept and the broken frame leaves no working copy.
TEST_F(ComposeSessionTest, AnUnreadableFrameStopsTheOneGoComposeOnAnyThreads) {
    const auto notJpeg = root_ / "broken.jpg";
    platform::saveWholeFile(notJpeg, platform::Bytes{'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'g'});
    const auto cutShort = root_ / "cut.jpg";
    platform::Bytes whole = raster::encodeJpeg(lenzora::testing::patternImage(60, 200, 1));
    whole.resize(whole.size() / 2);
    platform::saveWholeFile(cutShort, whole);
    for (const auto& [brokenSlot, broken] : {std::pair{1, notJpeg}, std::pair{3, notJpeg},
                                             std::pair{1, cutShort}, std::pair{3, cutShort}}) {
        std::vector<std::string> files = {frameFile(1), frameFile(2), frameFile(3), frameFile(4)};
        files[static_cast<std::size_t>(brokenSlot - 1)] = broken.string();
        std::string firstError;
        for (int threads : {1, 4}) {
            ComposeSession session(settings_);
            interlace::ComposeRun run;
            run.threads = threads;
            interlace::NoProgress none;
            try {
                session.composeFiles(files, "30", "20", none, run);
                ADD_FAILURE() << "composed with a broken frame " << brokenSlot;
            } catch (const platform::Error& e) {
                if (threads == 1) firstError = e.what();
                EXPECT_EQ(e.what(), firstError) << brokenSlot << ", " << threads << " threads";
            }
            EXPECT_TRUE(session.composite().empty()) << brokenSlot << ", " << threads;
            EXPECT_FALSE(
                std::filesystem::exists(platform::hostPath(core::workingCopyPath(brokenSlot))))
                << brokenSlot << ", " << threads;
        }
        EXPECT_EQ(firstError.rfind("JPEG error #", 0), 0U) << firstError;
    }
}

// Frames of two colour profiles: each frame is brought to the first frame's profile (sRGB for
// a frame without one) before preparing, and the composite carries that profile.
class ColourProfiles : public ComposeSessionTest {
  protected:
    // A flat saturated frame saved as PNG, with `profile` embedded when not empty.
    std::string pngFrame(int tag, const platform::Bytes& profile) {
        const auto path = root_ / ("frame" + std::to_string(tag) + ".png");
        raster::PngOptions options;
        options.iccProfile = profile;
        platform::saveWholeFile(
            path,
            raster::encodePng(
                lenzora::testing::plainImage(60, 40, raster::Colour::rgb(30, 200, 40)), options));
        return path.string();
    }

    // The same frame as a JPEG, whose profile the one-go compose learns before its rows.
    std::string jpegFrame(int tag, const platform::Bytes& profile) {
        const auto path = root_ / ("frame" + std::to_string(tag) + ".jpg");
        raster::JpegOptions options;
        options.iccProfile = profile;
        platform::saveWholeFile(
            path, raster::encodeJpeg(lenzora::testing::patternImage(60, 90, tag), options));
        return path.string();
    }

    // Composes two PNG frames and returns the composite's profile and the colour of the
    // middle of each frame's strip image.
    struct Result {
        platform::Bytes profile;
        raster::Colour first, second;
        bool firstCopied = false, secondCopied = false;
    };
    Result composeTwo(const platform::Bytes& first, const platform::Bytes& second) {
        ComposeSession session(settings_);
        session.loadFrame(1, pngFrame(1, first));
        session.loadFrame(2, pngFrame(2, second));
        EXPECT_EQ(session.setOutputSize("30", "20"), std::nullopt);
        interlace::NoProgress none;
        session.compose(none);
        Result r;
        r.profile = session.compositeProfile();
        raster::RasterImage strip;
        strip.loadBmpFile(root_ / "c" / "lz3d" / "x01.bmp");
        r.first = strip.pixel(strip.width() / 2, strip.height() / 2);
        strip.loadBmpFile(root_ / "c" / "lz3d" / "x02.bmp");
        r.second = strip.pixel(strip.width() / 2, strip.height() / 2);
        r.firstCopied = std::filesystem::exists(root_ / "c" / "lz3d" / "c01.bmp");
        r.secondCopied = std::filesystem::exists(root_ / "c" / "lz3d" / "c02.bmp");
        for (const char* name : {"c01.bmp", "c02.bmp"})
            std::filesystem::remove(root_ / "c" / "lz3d" / name);
        return r;
    }
};

TEST_F(ColourProfiles, TheFirstFramesProfileWinsAndOthersAreConverted) {
    const platform::Bytes wide = lenzora::testing::wideGamutProfile();
    const platform::Bytes srgb = raster::srgbProfile();
    const raster::Colour original = raster::Colour::rgb(30, 200, 40);

    // None, or the same on both: pixels untouched, that profile (or none) kept.
    for (const platform::Bytes* both : {&wide, static_cast<const platform::Bytes*>(nullptr)}) {
        const platform::Bytes profile = both ? *both : platform::Bytes{};
        const Result r = composeTwo(profile, profile);
        EXPECT_EQ(r.profile, profile);
        EXPECT_EQ(r.first, original);
        EXPECT_EQ(r.second, original);
        EXPECT_FALSE(r.firstCopied || r.secondCopied);
    }

    // Wide first, none second: the second, taken as sRGB, moves into the wide space, where
    // the same green is less saturated.
    const Result toWide = composeTwo(wide, {});
    EXPECT_EQ(toWide.profile, wide);
    EXPECT_EQ(toWide.first, original);
    EXPECT_FALSE(toWide.firstCopied);
    EXPECT_TRUE(toWide.secondCopied);
    EXPECT_GT(toWide.second.red, original.red);
    EXPECT_LT(toWide.second.green, original.green);

    // None first, wide second: everything goes to sRGB, where the wide green is beyond
    // what the original numbers say.
    const Result toSrgb = composeTwo({}, wide);
    EXPECT_EQ(toSrgb.profile, srgb);
    EXPECT_EQ(toSrgb.first, original);
    EXPECT_TRUE(toSrgb.secondCopied);
    EXPECT_LT(toSrgb.second.red, original.red);
    EXPECT_GT(toSrgb.second.green, original.green);
}

// The batch tool's one-go compose matches colours as the window's compose does: the same
// profile for the composite and the same composite bytes, on one thread or several, for PNG
// frames and for JPEG frames (taken band by band when they need no converting).
TEST_F(ColourProfiles, ComposingInOneGoMatchesColoursAsTheWindowDoes) {
    const platform::Bytes wide = lenzora::testing::wideGamutProfile();
    const std::vector<std::pair<platform::Bytes, platform::Bytes>> pairs = {
        {wide, {}}, {{}, wide}, {wide, wide}, {{}, {}}};
    for (const auto& [firstProfile, secondProfile] : pairs) {
        for (bool jpeg : {false, true}) {
            const std::vector<std::string> files =
                jpeg ? std::vector{jpegFrame(1, firstProfile), jpegFrame(2, secondProfile)}
                     : std::vector{pngFrame(1, firstProfile), pngFrame(2, secondProfile)};
            core::OutputSettings windowSettings = settings_;
            ComposeSession window(windowSettings);
            window.loadFrames(files, 1);
            ASSERT_EQ(window.setOutputSize("30", "20"), std::nullopt);
            interlace::NoProgress none;
            window.compose(none);
            for (int threads : {1, 2}) {
                core::OutputSettings settings = settings_;
                ComposeSession oneGo(settings);
                interlace::ComposeRun run;
                run.threads = threads;
                ASSERT_EQ(oneGo.composeFiles(files, "30", "20", none, run), std::nullopt);
                EXPECT_EQ(oneGo.compositeProfile(), window.compositeProfile()) << threads << jpeg;
                EXPECT_EQ(pixels(oneGo.composite()), pixels(window.composite())) << threads << jpeg;
                core::OutputSettings straightSettings = settings_;
                ComposeSession straight(straightSettings);
                platform::Bytes profile;
                const raster::RasterImage made =
                    composeStraightInMemory(straight, files, false, run, &profile);
                EXPECT_EQ(profile, window.compositeProfile()) << threads << jpeg;
                EXPECT_EQ(pixels(made), pixels(window.composite())) << threads << jpeg;
            }
        }
    }
}

}  // namespace
}  // namespace lenzora::compose
