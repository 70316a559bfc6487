#include <gtest/gtest.h>

#include "raster/fit.h"

// Designated initializers leave the fields they do not name at their defaults, on purpose.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace lenzora::raster {
namespace {

struct FitCase {
    std::int32_t w, h, cw, ch;
    DisplayFlags flags;
    Rect expected;
};

TEST(fitToArea, FollowsStretchProportionalAndCentre) {
    const DisplayFlags none{};
    const DisplayFlags stretch{.stretch = true};
    const DisplayFlags thumb{.stretch = true, .proportional = true};
    const DisplayFlags preview{.stretch = true, .proportional = true, .centre = true};
    const DisplayFlags propCentre{.proportional = true, .centre = true};
    const DisplayFlags centre{.centre = true};
    const FitCase cases[] = {
        {100, 50, 65, 57, none, {0, 0, 100, 50}},    // own size, even when larger
        {100, 50, 65, 57, stretch, {0, 0, 65, 57}},  // fills the area whatever the shape
        {100, 50, 65, 57, thumb, {0, 0, 65, 32}},    // wide: w = cw, h = trunc(65 / 2)
        {50, 100, 65, 57, thumb, {0, 0, 28, 57}},    // tall: h = ch, w = trunc(57 × 0.5)
        {60, 50, 65, 57, thumb, {0, 0, 65, 54}},     // wide, h = trunc(65 / 1.2) = 54
        {80, 50, 40, 20, thumb, {0, 0, 32, 20}},  // wide but too tall: h = ch, w = trunc(20 × 1.6)
        {50, 80, 20, 40, thumb, {0, 0, 20, 32}},  // tall but too wide: w = cw, h = trunc(20 /
                                                  // 0.625)
        {100, 100, 65, 57, thumb, {0, 0, 57, 57}},       // square counts as tall
        {100, 50, 65, 57, preview, {0, 12, 65, 44}},     // (57 − 32) / 2 = 12.5 → 12
        {30, 20, 65, 57, propCentre, {17, 18, 47, 38}},  // smaller, not stretched: own size,
                                                         // centred
        {300, 20, 65, 57, propCentre, {0, 26, 65, 30}},  // larger: shrinks, h = trunc(65 / 15) = 4
        {80, 70, 65, 57, centre, {-7, -6, 73, 64}},  // larger than the area: (−15) / 2 → −7
        {0, 0, 65, 57, thumb, {0, 0, 65, 57}},       // no proportions to keep
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " in " << c.cw << "x" << c.ch);
        EXPECT_EQ(fitToArea(c.w, c.h, c.cw, c.ch, c.flags), c.expected);
    }
}

}  // namespace
}  // namespace lenzora::raster
