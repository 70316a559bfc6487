#include "interlace/calibration_band.h"

#include <gtest/gtest.h>

#include "core/output_settings.h"
#include "interlace/interlace_frames.h"
#include "support/pictures.h"

namespace lenzora::interlace {
namespace {

std::vector<std::int32_t> range(std::int32_t first, std::int32_t last) {
    std::vector<std::int32_t> values;
    for (std::int32_t v = first; v <= last; ++v) values.push_back(v);
    return values;
}

std::vector<std::int32_t> concat(std::initializer_list<std::vector<std::int32_t>> parts) {
    std::vector<std::int32_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(CalibrationBand, FourBarsAtTheEndOfEachLensPeriod) {
    raster::RasterImage composite = testing::patternImage(2881, 2007, 1);
    const raster::RasterImage original = testing::patternImage(2881, 2007, 1);
    applyCalibrationBand(composite, true, 2, 6, 2881, 2007, core::kModeColumns);
    ASSERT_EQ(composite.width(), 2929);
    ASSERT_EQ(composite.height(), 2007);
    const auto bars =
        concat({range(2887, 2892), range(2899, 2904), range(2911, 2916), range(2923, 2928)});
    for (std::int32_t row : {0, 1000, 2006}) {
        std::vector<std::int32_t> black;
        for (std::int32_t x = 2881; x < 2929; ++x) {
            if (composite.pixel(x, row) == raster::kBlack)
                black.push_back(x);
            else
                EXPECT_EQ(composite.pixel(x, row), raster::kWhite) << x;
        }
        EXPECT_EQ(black, bars) << "row " << row;
    }
    raster::RasterImage preview = makePreview(composite, 4.0L);
    EXPECT_EQ(preview.width(), 732);
    EXPECT_EQ(preview.height(), 502);

    applyCalibrationBand(composite, false, 2, 6, 2881, 2007, core::kModeColumns);
    ASSERT_EQ(composite.width(), 2881);
    for (std::int32_t y : {0, 1003, 2006}) {
        for (std::int32_t x : {0, 1440, 2880})
            EXPECT_EQ(composite.pixel(x, y), original.pixel(x, y));
    }
    EXPECT_EQ(makePreview(composite, 4.0L).width(), 720);
}

TEST(CalibrationBand, CellsOfOddPeriods) {
    struct Case {
        int n, s;
        std::vector<std::int32_t> black;  // within the band
    } cases[] = {
        {3, 1, {2, 5, 8, 11}},                                                       // p 3, b 1
        {3, 3, concat({range(5, 8), range(14, 17), range(23, 26), range(32, 35)})},  // p 9, b 4
    };
    for (const Case& c : cases) {
        raster::RasterImage composite = testing::plainImage(20, 10, raster::Colour::rgb(9, 9, 9));
        applyCalibrationBand(composite, true, c.n, c.s, 20, 10, core::kModeColumns);
        std::vector<std::int32_t> black;
        for (std::int32_t x : testing::blackColumns(composite, 4)) black.push_back(x - 20);
        EXPECT_EQ(black, c.black) << c.n << " x " << c.s;
    }
}

TEST(CalibrationBand, RowsModeAddsTheBandBelow) {
    raster::RasterImage composite = testing::plainImage(30, 20, raster::Colour::rgb(9, 9, 9));
    applyCalibrationBand(composite, true, 2, 1, 30, 20, core::kModeRows);
    ASSERT_EQ(composite.width(), 30);
    ASSERT_EQ(composite.height(), 28);
    for (std::int32_t x : {0, 29}) {
        for (std::int32_t y = 20; y < 28; ++y) {
            EXPECT_EQ(composite.pixel(x, y), y % 2 == 1 ? raster::kBlack : raster::kWhite) << y;
        }
    }
    applyCalibrationBand(composite, false, 2, 1, 30, 20, core::kModeRows);
    EXPECT_EQ(composite.height(), 20);
}

TEST(CalibrationBand, UsesTheSettingsOfTheMoment) {
    raster::RasterImage composite = testing::plainImage(20, 10, raster::kBlack);
    applyCalibrationBand(composite, false, 2, 1, 24, 12, core::kModeColumns);  // padded white
    EXPECT_EQ(composite.width(), 24);
    EXPECT_EQ(composite.height(), 12);
    EXPECT_EQ(composite.pixel(23, 11), raster::kWhite);
    applyCalibrationBand(composite, true, 4, 1, 22, 12,
                         core::kModeColumns);  // from W, not the width
    EXPECT_EQ(composite.width(), 38);
}

TEST(Preview, SizesRoundHalfToEven) {
    struct Case {
        std::int32_t width;
        long double divisor;
        std::int32_t expected;
    } cases[] = {{2930, 4, 732},    {2934, 4, 734}, {2881, 3.5L, 823},
                 {2007, 3.5L, 573}, {2007, 4, 502}, {2, 4, 0}};
    for (const Case& c : cases) {
        raster::RasterImage image = testing::plainImage(c.width, 4, raster::kWhite);
        EXPECT_EQ(makePreview(image, c.divisor).width(), c.expected) << c.width;
    }
}

}  // namespace
}  // namespace lenzora::interlace
