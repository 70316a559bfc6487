#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <utility>
#include <vector>

#include "core/output_settings.h"
#include "core/working_files.h"
#include "interlace/compose_check.h"
#include "interlace/interlace_frames.h"
#include "interlace/output_size.h"
#include "interlace/prepare_frame.h"
#include "platform/drive_paths.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/work_pool.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

namespace lenzora::interlace {
namespace {

TEST(SlotCheck, FirstEmptySlotUpToTheFrameCount) {
    auto filled = [](std::initializer_list<int> slots) {
        frames::FrameSlots s;
        for (int k : slots) s[k] = "frame.bmp";
        return s;
    };
    struct Case {
        frames::FrameSlots slots;
        int n;
        std::optional<std::string> message;
    } cases[] = {
        {filled({}), 2, "Photo1 not select！"},
        {filled({2}), 2, "Photo1 not select！"},
        {filled({1}), 2, "Photo2 not select！"},
        {filled({1, 2}), 2, std::nullopt},
        {filled({1, 2, 5}), 5, "Photo3 not select！"},
        {filled({1, 2, 3, 4, 5}), 5, std::nullopt},
        {filled({1, 2, 3, 4, 5, 6}), 7, "Photo7 not select！"},
        {filled({1, 2, 3, 4, 5, 6, 7}), 8, "Photo8 not select！！"},
        {filled({1, 2, 3, 4, 5, 6, 7, 8}), 9, "Photo9 not select！！"},
        {filled({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}), 16, "Photo16 not select！！"},
        {filled({1, 2}), 2, std::nullopt},  // slots above n are not looked at
    };
    for (const Case& c : cases) EXPECT_EQ(missingFrameMessage(c.slots, c.n), c.message);
}

TEST(OutputSize, FromTheBoxTextsTruncated) {
    struct Case {
        int unit;
        const char* width;
        const char* height;
        core::FixedCount resolution;
        std::int32_t W, H;
    } cases[] = {
        {core::kUnitMillimetres, "287", "200", 2550000, 2881, 2007},
        {core::kUnitInches, "11.299", "7.8739", 2536500, 2865, 1997},
        {core::kUnitPixels, "1000.9", "20.5", 2536500, 1000, 20},
        {-1, "287", "200", 2536500, 11, 22},  // no unit: the sizes stay
    };
    for (const Case& c : cases) {
        ComposeState state;
        state.outputWidth = 11;
        state.outputHeight = 22;
        composeOutputSize(state.outputWidth, state.outputHeight, c.unit, c.width, c.height,
                          c.resolution);
        EXPECT_EQ(state.outputWidth, c.W) << c.width;
        EXPECT_EQ(state.outputHeight, c.H) << c.height;
    }
}

TEST(OutputSize, ABadHeightKeepsTheNewWidthAndTheOldHeight) {
    ComposeState state{11, 22};
    EXPECT_THROW(composeOutputSize(state.outputWidth, state.outputHeight, core::kUnitPixels, "100",
                                   "x", 2550000),
                 platform::Error);
    EXPECT_EQ(state.outputWidth, 100);
    EXPECT_EQ(state.outputHeight, 22);
    EXPECT_THROW(composeOutputSize(state.outputWidth, state.outputHeight, core::kUnitPixels, "",
                                   "50", 2550000),
                 platform::Error);
    EXPECT_EQ(state.outputWidth, 100);
    EXPECT_EQ(state.outputHeight, 22);
}

// Only the side the mode divides among the frames needs a pixel per frame; the other side
// needs one pixel, and both sides together must fit a BMP file.
TEST(OutputSize, RefusedWhenBelowAPixelPerStripOrTooLargeForABmpFile) {
    const std::optional<std::string> tooSmall(kOutputTooSmall), tooLarge(kOutputTooLarge);
    const int columns = core::kModeColumns, rows = core::kModeRows;
    struct Case {
        std::int32_t W, H;
        int frameCount, stripWidth, mode;
        std::optional<std::string> problem;
    } cases[] = {
        {0, 100, 2, 1, columns, tooSmall},            // no width
        {100, -5, 2, 1, columns, tooSmall},           // a negative height
        {100, 0, 10, 1, columns, tooSmall},           // no height
        {15, 100, 16, 1, columns, tooSmall},          // under a pixel per frame
        {100, 9, 10, 1, columns, std::nullopt},       // the height is not divided
        {100, 1, 10, 1, columns, std::nullopt},       // one row
        {9, 100, 10, 1, columns, tooSmall},           // the width is divided
        {9, 100, 10, 1, rows, std::nullopt},          // the width is not divided
        {1, 100, 10, 1, rows, std::nullopt},          // one column
        {100, 9, 10, 1, rows, tooSmall},              // the height is divided
        {0, 100, 10, 1, rows, tooSmall},              // no width
        {-3, 100, 10, 1, rows, tooSmall},             // a negative width
        {40000, 40000, 2, 3, columns, tooLarge},      // beyond a BMP file
        {40000, 40000, 2, 3, rows, tooLarge},         // beyond a BMP file
        {16, 16, 16, 1, columns, std::nullopt},       // a pixel per frame
        {13586, 9467, 16, 1, columns, std::nullopt},  // the largest worked example
        {13586, 9467, 16, 1, rows, std::nullopt},     // the same in rows mode
    };
    for (const Case& c : cases) {
        EXPECT_EQ(outputSizeProblem(c.W, c.H, c.frameCount, c.stripWidth, c.mode), c.problem)
            << c.W << " x " << c.H << " for " << c.frameCount << " frames, mode " << c.mode;
    }
}

TEST(FrameScale, FitsTheRelativelyWiderSide) {
    EXPECT_EQ(frameScale(2881, 2007, 1600, 1200), 18006);  // fitted to the width
    EXPECT_EQ(frameScale(2000, 1500, 1600, 1200), 12500);  // equal aspect: the height
    EXPECT_EQ(frameScale(1000, 2000, 1600, 1200), 16667);  // fitted to the height
}

class InterlaceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::setDriveRoot(root_.path());
        std::filesystem::create_directories(root_ / "c" / "lz3d");
    }
    void TearDown() override { platform::setDriveRoot({}); }

    frames::FrameSlots writeFrames(int n, std::int32_t w, std::int32_t h) {
        frames::FrameSlots slots;
        for (int q = 1; q <= n; ++q) {
            const auto path = root_ / ("frame" + std::to_string(q) + ".bmp");
            testing::writeBmp(path, testing::patternImage(w + q, h + 2 * q, q));
            slots[q] = path.string();
        }
        return slots;
    }
    std::vector<raster::RasterImage> readStrips(int n) {
        std::vector<raster::RasterImage> strips(static_cast<std::size_t>(n));
        for (int q = 1; q <= n; ++q) {
            strips[static_cast<std::size_t>(q - 1)].loadBmpFile(
                platform::hostPath(core::stripFilePath(q)));
        }
        return strips;
    }
    testing::TempDir root_;
};

// Records every report; the compose may stop itself through `cancelAt`.
class RecordingProgress : public ComposeProgress {
  public:
    void reached(std::int64_t done, std::int64_t total) override {
        if (!reports.empty() && (done < reports.back().first || total != reports.back().second))
            steady = false;
        reports.emplace_back(done, total);
        if (cancelAt >= 0 && done >= cancelAt) cancel.request();
    }
    // Reported from 0, never back, to the whole.
    bool ranToTheEnd() const {
        return steady && reports.size() > 2 && reports.front().first == 0 &&
               reports.back().first == reports.back().second;
    }
    std::vector<std::pair<std::int64_t, std::int64_t>> reports;
    bool steady = true;
    std::int64_t cancelAt = -1;
    platform::Cancellation cancel;
};

TEST_F(InterlaceTest, WorkedExampleOfTwoFrames) {
    frames::FrameSlots slots;
    slots[1] = (root_ / "a.bmp").string();
    slots[2] = (root_ / "b.bmp").string();
    testing::writeBmp(slots[1], testing::patternImage(1600, 1200, 1));
    testing::writeBmp(slots[2], testing::patternImage(1600, 1200, 2));
    ComposeState state{2881, 2007};
    RecordingProgress progress;
    raster::RasterImage composite;
    interlaceFrames(slots, 2, 6, core::kModeColumns, state, progress, composite);

    EXPECT_EQ(state.scaledWidth, 2880);
    EXPECT_EQ(state.scaledHeight, 2160);
    EXPECT_EQ(state.stripImageWidth, 1440);
    EXPECT_EQ(state.stripImageHeight, 2007);
    EXPECT_TRUE(progress.ranToTheEnd());
    ASSERT_EQ(composite.width(), 2881);
    ASSERT_EQ(composite.height(), 2007);
    auto frameOf = [&](std::int32_t x) { return composite.pixel(x, 1000).green & 0x0F; };
    for (std::int32_t x : {0, 5, 12, 17, 2868}) EXPECT_EQ(frameOf(x), 1) << x;
    for (std::int32_t x : {6, 11, 18, 23, 2879}) EXPECT_EQ(frameOf(x), 2) << x;
    for (std::int32_t y : {0, 1000, 2006}) EXPECT_EQ(composite.pixel(2880, y), raster::kWhite);
    EXPECT_EQ(testing::interlaceMismatch(composite, readStrips(2), 6, core::kModeColumns, state),
              "");

    raster::RasterImage preview = makePreview(composite, 3.5L);
    EXPECT_EQ(preview.width(), 823);
    EXPECT_EQ(preview.height(), 573);
}

TEST_F(InterlaceTest, EveryPixelComesFromItsFrameForEveryFrameCountAndMode) {
    for (int mode : {core::kModeColumns, core::kModeRows}) {
        for (int n = 2; n <= 16; ++n) {
            const int s = 1 + n % 3;
            frames::FrameSlots slots = writeFrames(n, 50 + 3 * n, 40);
            ComposeState state{97 + n, 61 + 2 * n};
            RecordingProgress progress;
            raster::RasterImage composite;
            interlaceFrames(slots, n, s, mode, state, progress, composite);
            EXPECT_EQ(testing::interlaceMismatch(composite, readStrips(n), s, mode, state), "")
                << n << " frames, mode " << mode;
            EXPECT_TRUE(progress.ranToTheEnd()) << n << " frames, mode " << mode;
        }
    }
}

TEST_F(InterlaceTest, ThreeFramesOfOnePixelAlternate) {
    frames::FrameSlots slots = writeFrames(3, 60, 60);
    ComposeState state{30, 20};
    NoProgress progress;
    raster::RasterImage composite;
    interlaceFrames(slots, 3, 1, core::kModeColumns, state, progress, composite);
    for (std::int32_t x = 0; x < 30; ++x) {
        EXPECT_EQ(composite.pixel(x, 5).green & 0x0F, x % 3 + 1) << x;
    }
}

// A 1000 x 1000 frame fills the whole output; a 7 x 5 frame after it scales to one pixel
// short of the output along its long side. The first frame's strips still reach the last row
// (columns mode) or column (rows mode).
TEST_F(InterlaceTest, EachFrameIsCopiedWithItsOwnStripSize) {
    struct Case {
        int mode;
        std::int32_t W, H, smallW, smallH;
    } cases[] = {
        {core::kModeColumns, 50, 100, 5, 7},
        {core::kModeRows, 100, 50, 7, 5},
    };
    for (const Case& c : cases) {
        frames::FrameSlots slots;
        slots[1] = (root_ / "large.bmp").string();
        slots[2] = (root_ / "small.bmp").string();
        testing::writeBmp(slots[1], testing::patternImage(1000, 1000, 1));
        testing::writeBmp(slots[2], testing::patternImage(c.smallW, c.smallH, 2));
        ComposeState state{c.W, c.H};
        NoProgress progress;
        raster::RasterImage composite;
        interlaceFrames(slots, 2, 1, c.mode, state, progress, composite);
        const bool columns = c.mode == core::kModeColumns;
        ASSERT_EQ(columns ? state.scaledHeight : state.scaledWidth, 99) << c.mode;
        for (std::int32_t along = 0; along < 50; along += 2) {
            const raster::Colour last =
                columns ? composite.pixel(along, 99) : composite.pixel(99, along);
            EXPECT_NE(last, raster::kWhite) << "mode " << c.mode << " at " << along;
            EXPECT_EQ(last.green & 0x0F, 1) << "mode " << c.mode << " at " << along;
        }
        EXPECT_EQ(testing::interlaceMismatch(composite, readStrips(2), 1, c.mode, state), "")
            << c.mode;
    }
}

TEST_F(InterlaceTest, OnlyTheFramesInUseAreWritten) {
    frames::FrameSlots slots = writeFrames(2, 30, 30);
    ComposeState state{40, 40};
    NoProgress progress;
    raster::RasterImage composite;
    interlaceFrames(slots, 2, 2, core::kModeColumns, state, progress, composite);
    EXPECT_TRUE(std::filesystem::exists(platform::hostPath(core::stripFilePath(2))));
    EXPECT_FALSE(std::filesystem::exists(platform::hostPath(core::stripFilePath(3))));
}

TEST_F(InterlaceTest, AnUnreadableFrameStopsThePreparation) {
    frames::FrameSlots slots = writeFrames(2, 30, 30);
    std::ofstream(root_ / "bad.bmp") << "BM not a bitmap at all";
    slots[2] = (root_ / "bad.bmp").string();
    ComposeState state{40, 40};
    NoProgress progress;
    raster::RasterImage composite = testing::plainImage(5, 5, raster::kBlack);
    try {
        interlaceFrames(slots, 2, 2, core::kModeColumns, state, progress, composite);
        FAIL() << "composed with a damaged frame";
    } catch (const platform::Error& e) {
        EXPECT_STREQ(e.what(), "Bitmap image is not valid");
    }
    EXPECT_EQ(composite.width(), 5) << "the previous composite stays";
}

// Frames of different sizes, several bands of rows, both modes: the composite, the strip
// files and the sizes kept are the same on one thread and on four, and whether the strips go
// straight into a new composite (7 and 16 frames in groups, over several bands) or, with a
// previous composite to keep until the frames are prepared, through their files one by one.
TEST_F(InterlaceTest, FourThreadsGiveTheBytesOfOne) {
    struct Case {
        int mode, n, s;
        std::int32_t W, H;
    } cases[] = {
        {core::kModeColumns, 2, 3, 301, 700},  {core::kModeColumns, 7, 1, 290, 611},
        {core::kModeColumns, 16, 2, 640, 520}, {core::kModeRows, 3, 2, 257, 1030},
        {core::kModeRows, 16, 1, 333, 1600},   {core::kModeRows, 7, 1, 150, 4000},
    };
    struct Way {
        int threads;
        bool previous;
    } ways[] = {{1, false}, {4, false}, {4, true}, {1, true}};
    for (const Case& c : cases) {
        frames::FrameSlots slots = writeFrames(c.n, 120, 90);
        const std::string what = std::to_string(c.n) + " frames, mode " + std::to_string(c.mode);
        std::vector<platform::Bytes> firstStrips;
        raster::RasterImage first;
        ComposeState firstState;
        for (const Way& way : ways) {
            ComposeState state{c.W, c.H};
            RecordingProgress progress;
            ComposeRun run;
            run.threads = way.threads;
            raster::RasterImage composite;
            if (way.previous) composite = testing::plainImage(5, 5, raster::kBlack);
            interlaceFrames(slots, c.n, c.s, c.mode, state, progress, composite, run);
            EXPECT_TRUE(progress.ranToTheEnd());
            std::vector<platform::Bytes> strips;
            for (int q = 1; q <= c.n; ++q)
                strips.push_back(
                    platform::readWholeFile(platform::hostPath(core::stripFilePath(q))));
            if (first.empty()) {
                first = std::move(composite);
                firstStrips = std::move(strips);
                firstState = state;
                continue;
            }
            const std::string how = what + ", " + std::to_string(way.threads) + " threads" +
                                    (way.previous ? ", through the files" : "");
            EXPECT_EQ(strips, firstStrips) << how;
            EXPECT_EQ(state.scaledWidth, firstState.scaledWidth) << how;
            EXPECT_EQ(state.scaledHeight, firstState.scaledHeight) << how;
            ASSERT_EQ(composite.height(), first.height()) << how;
            ASSERT_EQ(composite.stride(), first.stride()) << how;
            for (std::int32_t y = 0; y < first.height(); ++y) {
                ASSERT_EQ(std::memcmp(composite.row(y), first.row(y), first.stride()), 0)
                    << how << ", row " << y;
            }
        }
    }
}

// With several unreadable frames the first one's error is the one reported, however many
// threads raced for them, and the sizes kept are those of the frames before it.
TEST_F(InterlaceTest, TheFirstFailingFrameIsReportedOnAnyNumberOfThreads) {
    frames::FrameSlots slots = writeFrames(8, 40, 30);
    std::ofstream(root_ / "bad.bmp") << "BM not a bitmap at all";
    slots[4] = (root_ / "missing.bmp").string();
    slots[6] = (root_ / "bad.bmp").string();
    ComposeState alone{60, 40};
    NoProgress none;
    raster::RasterImage composite;
    prepareFrame(slots[3], core::stripFilePath(3), 8, core::kModeColumns, alone);
    for (int threads : {1, 2, 4, 8}) {
        ComposeState state{60, 40};
        ComposeRun run;
        run.threads = threads;
        try {
            interlaceFrames(slots, 8, 1, core::kModeColumns, state, none, composite, run);
            FAIL() << "composed without frame 4";
        } catch (const platform::Error& e) {
            EXPECT_NE(std::string(e.what()).find("missing.bmp"), std::string::npos)
                << threads << " threads: " << e.what();
        }
        EXPECT_EQ(state.scaledWidth, alone.scaledWidth) << threads << " threads";
        EXPECT_EQ(state.scaledHeight, alone.scaledHeight) << threads << " threads";
    }
}

// Stopped while preparing, the previous composite stays; stopped while copying strips, no
// composite is left. Every strip file there is whole.
TEST_F(InterlaceTest, ACancelledComposeLeavesWholeFilesAndNoNewComposite) {
    frames::FrameSlots slots = writeFrames(6, 200, 150);
    for (const bool whilePreparing : {true, false}) {
        for (int q = 1; q <= 6; ++q)
            platform::removeFileQuietly(platform::hostPath(core::stripFilePath(q)));
        ComposeState state{240, 700};
        RecordingProgress progress;
        // Preparing is 1000 units a frame, whitening 200, reading back and copying 550: stop
        // after two frames are read, or half-way through the copying.
        progress.cancelAt = whilePreparing ? 600 : 6 * (1000 + 200) + 3 * 550;
        ComposeRun run;
        run.threads = 2;
        run.cancel = &progress.cancel;
        raster::RasterImage composite = testing::plainImage(5, 5, raster::kBlack);
        EXPECT_THROW(
            interlaceFrames(slots, 6, 1, core::kModeColumns, state, progress, composite, run),
            platform::Cancelled);
        EXPECT_EQ(composite.width(), whilePreparing ? 5 : 0) << whilePreparing;
        EXPECT_LT(progress.reports.back().first, progress.reports.back().second);
        int written = 0;
        for (int q = 1; q <= 6; ++q) {
            const auto path = platform::hostPath(core::stripFilePath(q));
            if (!std::filesystem::exists(path)) continue;
            ++written;
            raster::RasterImage strip;
            strip.loadBmpFile(path);
            EXPECT_EQ(strip.width(), 40) << q;
        }
        EXPECT_EQ(written < 6, whilePreparing);
        for (const auto& entry : std::filesystem::directory_iterator(root_ / "c" / "lz3d"))
            EXPECT_EQ(entry.path().extension(), ".bmp") << entry.path();
    }
}

}  // namespace
}  // namespace lenzora::interlace

namespace lenzora::interlace {
namespace {

// A frame of `format` whose every byte is noise and whose palette colours are all different,
// so a pixel taken from the wrong place, or merged the wrong way, shows.
raster::RasterImage noiseFrame(raster::PixelFormat format, std::int32_t w, std::int32_t h) {
    raster::RasterImage frame;
    frame.create(format, w, h);
    std::uint32_t state = 12345;
    for (std::int32_t y = 0; y < h; ++y) {
        std::uint8_t* row = frame.row(y);
        for (std::size_t i = 0; i < frame.stride(); ++i) {
            state = state * 1103515245u + 12345u;
            row[i] = static_cast<std::uint8_t>(state >> 16);
        }
    }
    if (format == raster::PixelFormat::Indexed1) {
        // The light entry first: black must still win where pixels merge.
        frame.setPalette({raster::Colour::rgb(250, 240, 230), raster::Colour::rgb(20, 10, 5)});
    } else if (raster::isIndexed(format)) {
        const int entries = 1 << raster::bitsPerPixel(format);
        std::vector<raster::Colour> palette;
        palette.reserve(static_cast<std::size_t>(entries));
        for (int i = 0; i < entries; ++i)
            palette.push_back(raster::Colour::rgb(static_cast<std::uint8_t>(i),
                                                  static_cast<std::uint8_t>(i * 37),
                                                  static_cast<std::uint8_t>(255 - i)));
        frame.setPalette(palette);
    }
    return frame;
}

// The direct preparation must give exactly the pixels of the three steps it replaces, for
// frames of every format and shape, thin ones included.
TEST_F(InterlaceTest, DirectPreparationEqualsTheThreeSteps) {
    struct Case {
        std::int32_t frameW, frameH, W, H;
        int n, mode;
    } cases[] = {
        {1600, 1200, 2881, 2007, 2, core::kModeColumns},  // fitted to the width, cropped rows
        {300, 900, 400, 300, 3, core::kModeColumns},      // fitted to the width, tall frame
        {900, 300, 200, 400, 4, core::kModeRows},         // fitted to the height
        {640, 480, 320, 240, 2, core::kModeRows},         // same aspect: shrunk whole
        {37, 23, 503, 311, 16, core::kModeColumns},       // enlarged many times
        {501, 333, 97, 61, 5, core::kModeRows},
        {64, 48, 63, 48, 7, core::kModeColumns},   // the rounded scale falls a pixel short
        {1, 60, 191, 133, 4, core::kModeColumns},  // a thin column: scaled far past the output
        {8, 400, 150, 90, 3, core::kModeRows},
        {500, 2, 120, 160, 2, core::kModeColumns},  // a thin row
    };
    const raster::PixelFormat formats[] = {
        raster::PixelFormat::Bgr24, raster::PixelFormat::Indexed8, raster::PixelFormat::Indexed4,
        raster::PixelFormat::Indexed1, raster::PixelFormat::Bgrx32};
    for (const Case& c : cases) {
        for (raster::PixelFormat format : formats) {
            // The big case once is enough: it is there for the 24-bit pass.
            if (c.frameW == 1600 && format != raster::PixelFormat::Bgr24) continue;
            SCOPED_TRACE(::testing::Message() << c.frameW << "x" << c.frameH << " -> " << c.W << "x"
                                              << c.H << ", format " << static_cast<int>(format));
            const auto source = root_ / "frame.bmp";
            testing::writeBmp(source, format == raster::PixelFormat::Bgr24
                                          ? testing::patternImage(c.frameW, c.frameH, 3)
                                          : noiseFrame(format, c.frameW, c.frameH));
            raster::RasterImage strips[2];
            ComposeState states[2];
            for (int i = 0; i < 2; ++i) {
                states[i] = ComposeState{c.W, c.H};
                prepareFrame(source.string(), core::stripFilePath(1), c.n, c.mode, states[i],
                             i == 0 ? PrepareMethod::Direct : PrepareMethod::Steps);
                strips[i].loadBmpFile(platform::hostPath(core::stripFilePath(1)));
            }
            ASSERT_EQ(strips[0].width(), strips[1].width());
            ASSERT_EQ(strips[0].height(), strips[1].height());
            EXPECT_EQ(states[0].scaledWidth, states[1].scaledWidth);
            std::int64_t differing = 0;
            for (std::int32_t y = 0; y < strips[0].height(); ++y) {
                differing += std::memcmp(strips[0].row(y), strips[1].row(y),
                                         static_cast<std::size_t>(strips[0].width()) * 3) != 0;
            }
            EXPECT_EQ(differing, 0);
        }
    }
}

// A frame scaled 3 pixels past the output is cut 2 before and 1 after (the offset -1.5 rounds
// half to even): its strip is the strip of the same frame with those pixels cut off first.
TEST_F(InterlaceTest, AnOverhangOfThreeLosesTwoPixelsBeforeAndOneAfter) {
    constexpr std::int32_t W = 12, H = 8;
    struct Case {
        std::int32_t extraWidth, extraHeight;
    } cases[] = {{3, 0}, {0, 3}};
    for (const Case& c : cases) {
        const raster::RasterImage frame =
            testing::patternImage(W + c.extraWidth, H + c.extraHeight, 1);
        raster::RasterImage cut;
        cut.create(raster::PixelFormat::Bgr24, W, H);
        const std::int32_t left = c.extraWidth > 0 ? 2 : 0, top = c.extraHeight > 0 ? 2 : 0;
        cut.copyArea({0, 0, W, H}, frame, {left, top, left + W, top + H});
        testing::writeBmp(root_ / "frame.bmp", frame);
        testing::writeBmp(root_ / "cut.bmp", cut);
        for (int mode : {core::kModeColumns, core::kModeRows}) {
            for (PrepareMethod method : {PrepareMethod::Direct, PrepareMethod::Steps}) {
                SCOPED_TRACE(::testing::Message()
                             << "extra " << c.extraWidth << "x" << c.extraHeight << ", mode "
                             << mode << ", method " << static_cast<int>(method));
                ComposeState state{W, H};
                prepareFrame((root_ / "frame.bmp").string(), core::stripFilePath(1), 2, mode, state,
                             method);
                ASSERT_EQ(state.scaledWidth, W + c.extraWidth);
                ASSERT_EQ(state.scaledHeight, H + c.extraHeight);
                ComposeState cutState{W, H};
                prepareFrame((root_ / "cut.bmp").string(), core::stripFilePath(2), 2, mode,
                             cutState, method);
                EXPECT_TRUE(platform::readWholeFile(platform::hostPath(core::stripFilePath(1))) ==
                            platform::readWholeFile(platform::hostPath(core::stripFilePath(2))));
            }
        }
    }
}

// Over an old composite the bar is a little over half-way once every frame is prepared, not
// near its end: whitening the new composite, reading the strips back and copying them count.
TEST_F(InterlaceTest, ProgressSpreadsOverPreparingAndInterlacing) {
    struct Recording : RecordingProgress {
        void reached(std::int64_t done, std::int64_t total) override {
            RecordingProgress::reached(done, total);
            bool all = true;
            for (int q = 1; q <= 4; ++q)
                all = all && std::filesystem::exists(platform::hostPath(core::stripFilePath(q)));
            if (all && preparedShare < 0)
                preparedShare = static_cast<double>(done) / static_cast<double>(total);
        }
        double preparedShare = -1;
    } progress;
    const frames::FrameSlots slots = writeFrames(4, 200, 150);
    ComposeState state{240, 700};
    raster::RasterImage composite = testing::plainImage(5, 5, raster::kBlack);
    interlaceFrames(slots, 4, 1, core::kModeColumns, state, progress, composite);
    EXPECT_TRUE(progress.ranToTheEnd());
    EXPECT_GT(progress.preparedShare, 0.45);
    EXPECT_LT(progress.preparedShare, 0.7);
}

// A stop asked once a frame is read is seen within the next band of rows, for a 24-bit frame
// (made directly) as for any other (row by row): the strip image is never finished, so the
// checkpoint after it is not reached and no strip file is written.
TEST_F(InterlaceTest, AStopAskedWhileAFrameIsPreparedIsSeenBeforeItsStripIsMade) {
    raster::RasterImage twoColours;
    twoColours.create(raster::PixelFormat::Indexed1, 300, 2000);
    for (const raster::RasterImage& frame : {testing::patternImage(300, 2000, 1), twoColours}) {
        testing::writeBmp(root_ / "frame.bmp", frame);
        platform::Cancellation cancel;
        int checkpoints = 0;
        ComposeState state{40, 2000};
        EXPECT_THROW(prepareFrame((root_ / "frame.bmp").string(), core::stripFilePath(1), 2,
                                  core::kModeColumns, state, PrepareMethod::Direct,
                                  [&] {
                                      ++checkpoints;
                                      cancel.request();
                                  },
                                  nullptr, &cancel),
                     platform::Cancelled);
        EXPECT_EQ(checkpoints, 1);
        EXPECT_FALSE(std::filesystem::exists(platform::hostPath(core::stripFilePath(1))));
    }
}

}  // namespace
}  // namespace lenzora::interlace
