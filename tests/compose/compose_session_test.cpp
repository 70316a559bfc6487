#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "compose/compose_session.h"
#include "core/output_settings.h"
#include "interlace/interlace_frames.h"
#include "platform/drive_paths.h"
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
    session.setCalibrationBand(true);
    EXPECT_EQ(session.composite().width(), settings_.pixelWidth + 4 * settings_.lensPeriod());
    session.setCalibrationBand(false);
    EXPECT_EQ(session.composite().width(), settings_.pixelWidth);
}

}  // namespace
}  // namespace lenzora::compose
