#include "interlace/lens_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/output_settings.h"
#include "core/working_files.h"
#include "interlace/calibration_band.h"
#include "interlace/interlace_frames.h"
#include "platform/drive_paths.h"
#include "platform/error.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

namespace lenzora::interlace {
namespace {

class LensViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::setDriveRoot(root_.path());
        std::filesystem::create_directories(root_ / "c" / "lz3d");
    }
    void TearDown() override { platform::setDriveRoot({}); }

    // Composes n pattern frames into a W x H composite and returns their strip images.
    std::vector<raster::RasterImage> compose(int n, int s, int mode, std::int32_t W, std::int32_t H,
                                             raster::RasterImage& composite) {
        frames::FrameSlots slots;
        for (int q = 1; q <= n; ++q) {
            const auto path = root_ / ("frame" + std::to_string(q) + ".bmp");
            testing::writeBmp(path, testing::patternImage(W + q, H + 2 * q, q));
            slots[q] = path.string();
        }
        ComposeState state{W, H};
        NoProgress progress;
        interlaceFrames(slots, n, s, mode, state, progress, composite);
        std::vector<raster::RasterImage> strips(static_cast<std::size_t>(n));
        for (int q = 1; q <= n; ++q)
            strips[static_cast<std::size_t>(q - 1)].loadBmpFile(
                platform::hostPath(core::stripFilePath(q)));
        return strips;
    }
    testing::TempDir root_;
};

// Through a sheet of the print's own pitch, view k shows frame k in every lens: the column (row)
// of frame k's strip image in the middle of its share, across the lens. The calibration band
// beyond the frames' area shows what its lenses' columns hold.
TEST_F(LensViewTest, TheSheetsOwnPitchShowsOneFrameInEveryLens) {
    struct Case {
        int n, s, mode;
        bool band;
    };
    for (const Case c :
         {Case{2, 1, core::kModeColumns, false}, Case{3, 1, core::kModeRows, false},
          Case{16, 1, core::kModeColumns, true}, Case{2, 3, core::kModeRows, true},
          Case{3, 2, core::kModeColumns, true}, Case{16, 1, core::kModeRows, false}}) {
        const int p = c.n * c.s;
        const bool rows = c.mode == core::kModeRows;
        const std::int32_t W = rows ? 37 : 5 * p, H = rows ? 5 * p : 29;
        raster::RasterImage composite;
        const auto strips = compose(c.n, c.s, c.mode, W, H, composite);
        if (c.band) applyCalibrationBand(composite, true, c.n, c.s, W, H, c.mode);
        for (int k = 1; k <= c.n; ++k) {
            const auto view = renderView(composite, {double(p), c.mode}, viewPosition(k, c.n));
            ASSERT_EQ(view.width(), composite.width());
            ASSERT_EQ(view.height(), composite.height());
            int wrong = 0;
            for (std::int32_t y = 0; y < view.height(); ++y) {
                for (std::int32_t x = 0; x < view.width(); ++x) {
                    const std::int32_t across = rows ? y : x, lens = across / p;
                    const std::int32_t stripAt = lens * c.s + c.s / 2;
                    const raster::Colour expected =
                        across >= (rows ? H : W)
                            ? (rows
                                   ? composite.pixel(x, std::min(lens * p + (k - 1) * c.s + c.s / 2,
                                                                 composite.height() - 1))
                                   : composite.pixel(std::min(lens * p + (k - 1) * c.s + c.s / 2,
                                                              composite.width() - 1),
                                                     y))
                        : rows ? strips[std::size_t(k - 1)].pixel(x, stripAt)
                               : strips[std::size_t(k - 1)].pixel(stripAt, y);
                    wrong += view.pixel(x, y) != expected;
                }
            }
            EXPECT_EQ(wrong, 0) << c.n << " frames, strip " << c.s << ", mode " << c.mode
                                << (c.band ? ", band" : "") << ", view " << k;
        }
    }
}

// A sheet of 3.5 pixels per lens over a print of 3: lens i shows column floor(3.5 i + 1.75),
// so the frame seen drifts from lens to lens; the last lens is clamped to the picture.
TEST(LensView, AMismatchedSheetDriftsAcrossTheFrames) {
    EXPECT_EQ(viewSources(12, 3.5, 0.5),
              (std::vector<std::int32_t>{1, 1, 1, 1, 5, 5, 5, 8, 8, 8, 8, 11}));
    EXPECT_EQ(frameAt(viewPosition(3, 3), 3), 3);
    EXPECT_THROW(viewSources(12, 0.9, 0.5), platform::Error);
}

// The reduced views are renderView's views averaged over boxes of the composite (within one
// level of rounding), in both modes and through a mismatched sheet.
TEST(LensView, ThePreviewIsTheFullViewReduced) {
    const raster::RasterImage composite = testing::patternImage(203, 151, 7);
    for (int mode : {core::kModeColumns, core::kModeRows}) {
        const ViewPreview preview(composite, mode, 61, 45);
        for (double period : {4.0, 4.4}) {
            const auto full = renderView(composite, {period, mode}, 0.3);
            const auto reduced = preview.view(period, 0.3);
            int worst = 0;
            for (std::int32_t Y = 0; Y < 45; ++Y) {
                for (std::int32_t X = 0; X < 61; ++X) {
                    int sum[3] = {0, 0, 0}, count = 0;
                    for (std::int32_t y = Y * 151 / 45; y < (Y + 1) * 151 / 45; ++y)
                        for (std::int32_t x = X * 203 / 61; x < (X + 1) * 203 / 61; ++x, ++count) {
                            const auto colour = full.pixel(x, y);
                            sum[0] += colour.blue, sum[1] += colour.green, sum[2] += colour.red;
                        }
                    const auto got = reduced.pixel(X, Y);
                    const int channels[3] = {got.blue, got.green, got.red};
                    for (int i = 0; i < 3; ++i)
                        worst = std::max(worst, std::abs(channels[i] * count - sum[i]) / count);
                }
            }
            EXPECT_LE(worst, 1) << "mode " << mode << ", period " << period;
        }
    }
}

}  // namespace
}  // namespace lenzora::interlace
