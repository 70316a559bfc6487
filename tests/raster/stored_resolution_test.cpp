// The resolution a picture file states, read back from files the program's writers make.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "raster/bmp_codec.h"
#include "raster/jpeg_codec.h"
#include "raster/png_codec.h"
#include "raster/stored_resolution.h"
#include "raster/tiff_codec.h"

// Designated initializers leave the fields they do not name at their defaults, on purpose.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace lenzora::raster {
namespace {

TEST(StoredResolution, EachFormatsHeader) {
    RasterImage image;
    image.create(PixelFormat::Bgr24, 6, 4);
    const std::string text = "no picture at all";
    struct Case {
        const char* name;
        platform::Bytes file;
        std::optional<double> dpi;
    } cases[] = {
        {"bmp", encodeBmp(image, 9984), 9984 * 0.025406},  // 253.65 dpi as the program saves it
        {"bmp without", encodeBmp(image), std::nullopt},
        {"png", encodePng(image, {.pixelsPerMetre = 10000}), 254.0},
        {"png without", encodePng(image), std::nullopt},
        {"jpeg", encodeJpeg(image, {.dotsPerInch = 300}), 300.0},
        {"jpeg without", encodeJpeg(image), std::nullopt},  // density 1:1, no unit
        {"tiff", encodeTiff(image, {.resolutionNumerator = 50730, .resolutionDenominator = 200}),
         253.65},
        {"tiff without", encodeTiff(image), std::nullopt},
        {"text", platform::Bytes(text.begin(), text.end()), std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<double> dpi = storedDotsPerInch(c.file);
        ASSERT_EQ(dpi.has_value(), c.dpi.has_value()) << c.name;
        if (dpi) {
            EXPECT_NEAR(*dpi, *c.dpi, 1e-4) << c.name;
        }
    }
}

}  // namespace
}  // namespace lenzora::raster
