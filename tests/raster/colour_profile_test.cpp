#include "raster/colour_profile.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace lenzora::raster
