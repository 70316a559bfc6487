#include "raster/colour_profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "platform/error.h"
#include "support/encoded_pictures.h"

namespace lenzora::raster {
namespace {

TEST(ColourProfile, OnlyRgbProfilesCount) {
    EXPECT_TRUE(isRgbProfile(srgbProfile()));
    EXPECT_TRUE(isRgbProfile(testing::wideGamutProfile()));
    EXPECT_FALSE(isRgbProfile(testing::greyProfile()));
    EXPECT_FALSE(isRgbProfile({}));
    EXPECT_FALSE(isRgbProfile({'a', 'c', 's', 'p', 1, 2, 3}));
}

TEST(ColourProfile, PixelsAndPalettesAreConvertedAlike) {
    const platform::Bytes wide = testing::wideGamutProfile();
    const platform::Bytes srgb = srgbProfile();
    const Colour green = Colour::rgb(30, 200, 40);
    for (PixelFormat format : {PixelFormat::Bgr24, PixelFormat::Bgrx32, PixelFormat::Indexed8}) {
        RasterImage image;
        image.create(format, 9, 3);
        if (format == PixelFormat::Indexed8) {
            image.setPalette({kWhite, green});
            image.setFillColour(green);
        } else {
            image.setFillColour(green);
        }
        image.setLineColour(green);
        image.drawRectangle(0, 0, 9, 3);
        convertColours(image, srgb, wide);
        const Colour converted = image.pixel(4, 1);
        // The same green described in a wider space takes less saturated numbers.
        EXPECT_GT(converted.red, green.red) << static_cast<int>(format);
        EXPECT_LT(converted.green, green.green) << static_cast<int>(format);
        // And back again, within rounding.
        convertColours(image, wide, srgb);
        const Colour back = image.pixel(4, 1);
        EXPECT_NEAR(back.red, green.red, 2);
        EXPECT_NEAR(back.green, green.green, 2);
        EXPECT_NEAR(back.blue, green.blue, 2);
    }
    RasterImage image;
    image.create(PixelFormat::Bgr24, 2, 2);
    EXPECT_THROW(convertColours(image, {'x'}, srgb), platform::Error);
}

TEST(ColourTransform, RowsFromSeveralThreadsMatchTheWholeImage) {
    RasterImage image;
    image.allocate(PixelFormat::Bgr24, 61, 40);
    RasterImage padded;
    padded.allocate(PixelFormat::Bgrx32, 61, 40);
    for (std::int32_t y = 0; y < image.height(); ++y) {
        for (std::int32_t x = 0; x < image.width(); ++x) {
            const std::uint8_t bgr[] = {static_cast<std::uint8_t>(255 - x * 4),
                                        static_cast<std::uint8_t>(y * 6),
                                        static_cast<std::uint8_t>(x * 4)};
            std::copy_n(bgr, 3, image.row(y) + 3 * x);
            std::copy_n(bgr, 3, padded.row(y) + 4 * x);
        }
    }
    const platform::Bytes wide = testing::wideGamutProfile();
    const platform::Bytes srgb = srgbProfile();
    // The 32-bit image goes its own way through the library.
    convertColours(padded, srgb, wide);

    const ColourTransform transform(srgb, wide);
    std::vector<std::thread> threads;
    for (std::int32_t first : {0, 1, 2})
        threads.emplace_back([&, first] {
            for (std::int32_t y = first; y < image.height(); y += 3)
                transform.apply(image.row(y), image.width());
        });
    for (std::thread& t : threads) t.join();
    for (std::int32_t y = 0; y < image.height(); ++y)
        for (std::int32_t x = 0; x < image.width(); ++x)
            ASSERT_TRUE(
                std::equal(image.row(y) + 3 * x, image.row(y) + 3 * x + 3, padded.row(y) + 4 * x))
                << x << ", " << y;
    EXPECT_THROW(ColourTransform({'x'}, srgb), platform::Error);
}

}  // namespace
}  // namespace lenzora::raster
