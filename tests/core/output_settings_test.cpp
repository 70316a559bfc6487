#include "core/output_settings.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace lenzora::core {
namespace {

OutputSettings startedWith(FixedCount pitch, FixedCount width, FixedCount height,
                           std::int32_t unit = kUnitMillimetres) {
    OutputSettings s;
    s.pitch = pitch;
    s.savedWidth = s.workingWidth = width;
    s.savedHeight = s.workingHeight = height;
    s.sizeUnit = unit;
    recomputeAtStartUp(s);
    return s;
}

TEST(ResolutionRule, StripWidthNearestTo250DotsPerInch) {
    struct Case {
        std::int32_t frames;
        FixedCount pitch;
        std::int32_t strip;
        FixedCount resolution;
    } cases[] = {
        {2, 212500, 6, 2550000},                             // 21.25 -> 255
        {2, 751500, 2, 3006000},                             // 75.15 -> 300.6
        {2, 615300, 2, 2461200},                             // 61.53 -> 246.12
        {2, 422750, 3, 2536500},                             // 42.275 -> 253.65
        {3, 422750, 2, 2536500},   {4, 422750, 1, 1691000},  // 169.1
        {10, 422750, 1, 4227500},                            // s would be 0.59 -> 1
        {16, 751500, 1, 12024000},                           // s would be 0 -> 1
    };
    for (const Case& c : cases) {
        Resolution r = resolutionRule(c.frames, c.pitch);
        EXPECT_EQ(r.stripWidth, c.strip) << c.frames << " frames, pitch " << c.pitch;
        EXPECT_EQ(r.resolution, c.resolution) << c.frames << " frames, pitch " << c.pitch;
    }
}

TEST(ResolutionRule, NeverDividesByZeroAndNeverOverflows) {
    EXPECT_EQ(resolutionRule(2, 0).stripWidth, 1);
    EXPECT_EQ(resolutionRule(2, -5).stripWidth, 1);
    EXPECT_EQ(resolutionRule(2, 1).stripWidth, 1250000);  // pitch 0.0001
    EXPECT_THROW(resolutionRule(16, 900000000000000000), platform::Error);
}

TEST(PixelSize, EachUnitAndBothConversions) {
    struct Case {
        FixedCount size;
        FixedCount resolution;
        std::int32_t unit;
        Rounding rounding;
        std::int32_t expected;
    } cases[] = {
        {2870000, 2536500, kUnitMillimetres, Rounding::Truncate, 2866},
        {2000000, 2536500, kUnitMillimetres, Rounding::Truncate, 1997},
        {1000000, 2550000, kUnitMillimetres, Rounding::Truncate, 1003},
        {1000000, 2550000, kUnitMillimetres, Rounding::Nearest, 1004},
        {112990, 2536500, kUnitInches, Rounding::Truncate, 2865},
        {100000, 2550000, kUnitInches, Rounding::Nearest, 2550},
        {12345, 2550000, kUnitPixels, Rounding::Truncate, 1},
        {15000, 2550000, kUnitPixels, Rounding::Nearest, 2},
        {25000, 2550000, kUnitPixels, Rounding::Nearest, 2},
        {-25000, 2550000, kUnitMillimetres, Rounding::Truncate, -25},
        {2870000, 2536500, -1, Rounding::Truncate, 77},  // no unit keeps the value
        {2870000, 2536500, 7, Rounding::Nearest, 77},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pixelDimension(c.size, c.resolution, c.unit, 77, c.rounding), c.expected)
            << c.size << " in unit " << c.unit;
    }
}

TEST(StartUp, DefaultsGive2866By1997At253_65) {
    OutputSettings s = startedWith(422750, 2870000, 2000000);
    EXPECT_EQ(s.stripWidth, 3);
    EXPECT_EQ(s.resolution, 2536500);
    EXPECT_EQ(s.pixelWidth, 2866);
    EXPECT_EQ(s.pixelHeight, 1997);
    EXPECT_EQ(s.lensPeriod(), 6);
}

TEST(WidthCap, HalvesTheStripWidthWhileTheCappedSideExceeds6000) {
    struct Case {
        FixedCount width;
        std::int32_t strip;
        FixedCount resolution;
        std::int32_t pixelWidth;
    } cases[] = {
        {7000000, 3, 1275000, 3513},  // 700 mm: 7027 pixels at s = 6
        {20000000, 1, 425000, 3346},  // 2000 mm: s goes 6 -> 3 -> 2 -> 1
        {15000000, 2, 850000, 5019},  // 1500 mm: 3 halves to 1.5, which rounds to 2, not 1
        {5976471, 6, 2550000, 6000},  // exactly 6000 is not reduced
        {5977470, 3, 1275000, 3000},  // 6001 is
    };
    for (const Case& c : cases) {
        OutputSettings s = startedWith(212500, c.width, 2000000);
        EXPECT_EQ(s.stripWidth, c.strip) << c.width;
        EXPECT_EQ(s.resolution, c.resolution) << c.width;
        EXPECT_EQ(s.pixelWidth, c.pixelWidth) << c.width;
    }
}

TEST(WidthCap, StopsAtStripWidthOne) {
    OutputSettings s;
    s.frameCount = 16;
    s.pitch = 751500;
    recomputeAtStartUp(s);
    EXPECT_EQ(s.stripWidth, 1);
    EXPECT_EQ(s.resolution, 12024000);
    EXPECT_EQ(s.pixelWidth, 13586);
}

TEST(WidthCap, NeverInThePixelsUnit) {
    OutputSettings s = startedWith(212500, 90000000, 2000000, kUnitPixels);
    EXPECT_EQ(s.stripWidth, 6);
    EXPECT_EQ(s.pixelWidth, 9000);
    EXPECT_EQ(s.pixelHeight, 200);
}

TEST(Triggers, PitchBoxTruncatesWidthBoxRounds) {
    OutputSettings s = startedWith(422750, 1000000, 2000000);
    ASSERT_TRUE(changePitch(s, 212500));
    EXPECT_EQ(s.resolution, 2550000);
    EXPECT_EQ(s.pixelWidth, 1003);

    typeWidth(s, 1000000);
    EXPECT_EQ(s.pixelWidth, 1004);
    EXPECT_EQ(s.savedWidth, 1000000);
    EXPECT_EQ(s.workingWidth, 1000000);
}

TEST(Triggers, PitchOfZeroOrBelowIsIgnored) {
    OutputSettings s = startedWith(422750, 2870000, 2000000);
    const OutputSettings before = s;
    EXPECT_FALSE(changePitch(s, 0));
    EXPECT_FALSE(changePitch(s, -212500));
    EXPECT_EQ(s.resolution, before.resolution);
    EXPECT_EQ(s.pitch, before.pitch);
    EXPECT_EQ(s.stripWidth, before.stripWidth);
}

TEST(Triggers, HeightBoxCapsOnTheHeight) {
    OutputSettings s = startedWith(212500, 1000000, 2000000);
    ASSERT_EQ(s.stripWidth, 6);
    typeHeight(s, 7000000);  // 7028 rows at 255 dpi
    EXPECT_EQ(s.stripWidth, 3);
    EXPECT_EQ(s.resolution, 1275000);
    EXPECT_EQ(s.pixelHeight, 3514);
    EXPECT_EQ(s.pixelWidth, 502);
}

TEST(Triggers, WidthBoxDoesNotCapOnATallHeight) {
    OutputSettings s = startedWith(212500, 1000000, 2000000);
    typeHeight(s, 2000000);
    s.workingHeight = s.savedHeight = 7000000;  // as if typed in another unit earlier
    typeWidth(s, 1000000);
    EXPECT_EQ(s.stripWidth, 6);
    EXPECT_EQ(s.pixelHeight, 7028);
}

TEST(Triggers, PixelsUnitRewritesTheOtherBox) {
    OutputSettings s = startedWith(422750, 30000000, 20000000, kUnitPixels);
    EXPECT_EQ(typeWidth(s, 25005000), std::optional<std::int32_t>(2000));
    EXPECT_EQ(s.pixelWidth, 2500);        // 2500.5 rounds to even
    EXPECT_EQ(s.workingWidth, 25005000);  // the working size keeps its fraction
    EXPECT_EQ(typeHeight(s, 15015000), std::optional<std::int32_t>(2500));
    EXPECT_EQ(s.pixelHeight, 1502);

    OutputSettings mm = startedWith(422750, 2870000, 2000000);
    EXPECT_EQ(typeWidth(mm, 2000000), std::nullopt);
    EXPECT_EQ(typeHeight(mm, 2000000), std::nullopt);
}

TEST(UnitChange, InchesAndBackMoveByTheTruncation) {
    OutputSettings s = startedWith(422750, 2870000, 2000000);
    changeUnit(s, kUnitInches);
    EXPECT_EQ(s.sizeUnit, kUnitInches);
    EXPECT_EQ(s.workingWidth, 112990);  // 11.299
    EXPECT_EQ(s.workingHeight, 78731);  // 7.8731
    EXPECT_EQ(s.savedWidth, 112990);
    EXPECT_EQ(s.savedHeight, 78739);  // 7.8739: scaled by the width's factor
    EXPECT_EQ(s.pixelWidth, 2866);    // nothing recomputed
    changeUnit(s, kUnitMillimetres);
    EXPECT_EQ(s.workingWidth, 2869955);   // 286.9955
    EXPECT_EQ(s.workingHeight, 1999756);  // 199.9756
}

TEST(UnitChange, PixelsTakeThePixelSize) {
    OutputSettings s = startedWith(422750, 2870000, 2000000);
    changeUnit(s, kUnitPixels);
    EXPECT_EQ(s.workingWidth, 28660000);
    EXPECT_EQ(s.workingHeight, 19970000);
    EXPECT_EQ(s.savedWidth, 28660000);
    EXPECT_EQ(s.savedHeight, 19970000);  // 2866 * 200 / 287 = 1997.2, made whole
}

TEST(UnitChange, NoUnitOrNothingToScaleChangesNoSize) {
    OutputSettings s = startedWith(422750, 2870000, 2000000);
    const OutputSettings before = s;
    changeUnit(s, -1);
    EXPECT_EQ(s.sizeUnit, -1);
    EXPECT_EQ(s.workingWidth, before.workingWidth);
    EXPECT_EQ(s.savedHeight, before.savedHeight);

    OutputSettings noResolution = startedWith(422750, 2870000, 2000000);
    noResolution.resolution = 0;
    changeUnit(noResolution, kUnitInches);
    EXPECT_EQ(noResolution.sizeUnit, kUnitInches);
    EXPECT_EQ(noResolution.workingWidth, 2870000);
    EXPECT_EQ(noResolution.savedHeight, 2000000);
}

// Width 0 by 200 mm is 0 x 1997 pixels at 253.65 dpi: the height is converted like any other,
// and the saved sizes, which have no width to keep a ratio to, follow the working ones.
TEST(UnitChange, ZeroWidthStillConvertsTheHeight) {
    struct Case {
        std::int32_t unit;
        FixedCount height;
    } cases[] = {
        {kUnitInches, 78731},         // 1997 / 253.65 = 7.8731
        {kUnitMillimetres, 1999756},  // 1997 * 25.4 / 253.65 = 199.9756
        {kUnitPixels, 19970000},
    };
    for (const Case& c : cases) {
        OutputSettings s = startedWith(422750, 0, 2000000);
        ASSERT_EQ(s.pixelHeight, 1997);
        changeUnit(s, c.unit);
        EXPECT_EQ(s.sizeUnit, c.unit);
        EXPECT_EQ(s.workingWidth, 0) << c.unit;
        EXPECT_EQ(s.workingHeight, c.height) << c.unit;
        EXPECT_EQ(s.savedWidth, 0) << c.unit;
        EXPECT_EQ(s.savedHeight, c.height) << c.unit;
        EXPECT_EQ(s.pixelHeight, 1997) << "nothing recomputed";
    }
}

TEST(FrameLoading, RaisesTheCountAndRecomputesWithoutCap) {
    OutputSettings s = startedWith(422750, 2870000, 2000000);
    raiseFrameCount(s, 3);
    recalcResolution(s);
    EXPECT_EQ(s.frameCount, 3);
    EXPECT_EQ(s.stripWidth, 2);
    EXPECT_EQ(s.resolution, 2536500);
    raiseFrameCount(s, 4);
    recalcResolution(s);
    EXPECT_EQ(s.stripWidth, 1);
    EXPECT_EQ(s.resolution, 1691000);
    EXPECT_EQ(s.pixelWidth, 1910);
    raiseFrameCount(s, 3);  // the count only rises
    EXPECT_EQ(s.frameCount, 4);

    OutputSettings wide = startedWith(212500, 20000000, 2000000);
    raiseFrameCount(wide, 3);
    recalcResolution(wide);  // s = 4 gives 20078 pixels: no cap after a frame load
    EXPECT_EQ(wide.stripWidth, 4);
    EXPECT_GT(wide.pixelWidth, 6000);
}

// On the printer's grid the resolution is the printer's whatever the pitch or frame count, the
// pixel size the nearest whole number with no cap; 0 brings the lens's rule back.
TEST(PrinterGrid, ResolutionIsThePrintersAndSizesRoundUncapped) {
    struct Case {
        FixedCount dpi;
        FixedCount width, height;  // millimetres
        std::int32_t W, H;
        FixedCount resolution;
    } cases[] = {
        {14400000, 2870000, 2000000, 16271, 11339, 14400000},  // 11338.6 rounds up
        {7200000, 12000000, 18000000, 34016, 51024, 7200000},  // far beyond the width cap
        {0, 2870000, 2000000, 2866, 1997, 2536500},            // automatic: as at start-up
    };
    for (const Case& c : cases) {
        OutputSettings s;
        s.workingWidth = s.savedWidth = c.width;
        s.workingHeight = s.savedHeight = c.height;
        s.frameCount = 3;
        recomputeAtStartUp(s);
        changePrintDpi(s, c.dpi);
        EXPECT_EQ(s.resolution, c.resolution) << c.dpi;
        EXPECT_EQ(s.pixelWidth, c.W) << c.dpi;
        EXPECT_EQ(s.pixelHeight, c.H) << c.dpi;
        ASSERT_TRUE(changePitch(s, 612000));
        EXPECT_EQ(s.resolution == c.dpi, c.dpi > 0) << "a pitch change keeps the printer's";
    }
}

}  // namespace
}  // namespace lenzora::core
