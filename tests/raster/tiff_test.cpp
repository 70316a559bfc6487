#include <gtest/gtest.h>

#include <tiffio.h>

#include <string>

#include "platform/error.h"
#include "platform/save_file.h"
#include "raster/tiff_codec.h"
#include "support/encoded_pictures.h"
#include "support/temp_dir.h"

// Designated initializers leave the fields they do not name at their defaults, on purpose.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace lenzora::raster {
namespace {

using testing::TiffRecipe;

Colour rgb(int r, int g, int b) {
    return Colour::rgb(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                       static_cast<std::uint8_t>(b));
}

std::string describe(const RasterImage& image) {
    std::string text;
    for (std::int32_t y = 0; y < image.height(); ++y) {
        for (std::int32_t x = 0; x < image.width(); ++x) {
            const Colour c = image.pixel(x, y);
            text += "(" + std::to_string(c.red) + "," + std::to_string(c.green) + "," +
                    std::to_string(c.blue) + ") ";
        }
    }
    return text;
}

std::string describe(const std::vector<Colour>& colours) {
    RasterImage image;
    image.create(PixelFormat::Bgr24, static_cast<std::int32_t>(colours.size()), 1);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        image.setFillColour(colours[i]);
        image.setLineColour(colours[i]);
        const auto x = static_cast<std::int32_t>(i);
        image.drawRectangle(x, 0, x + 1, 1);
    }
    return describe(image);
}

std::vector<std::uint16_t> greyRampMap() {
    std::vector<std::uint16_t> map(3 * 256);
    for (std::size_t i = 0; i < 256; ++i) {
        map[i] = static_cast<std::uint16_t>(i * 257);                // red
        map[256 + i] = static_cast<std::uint16_t>((255 - i) * 257);  // green
        map[512 + i] = 129;                                          // blue: rounds to 1
    }
    return map;
}

TEST(Tiff, EveryKindDecodesToTheColoursItsSamplesSay) {
    struct Case {
        const char* name;
        TiffRecipe recipe;
        std::vector<Colour> expected;
    } cases[] = {
        {"rgb 8",
         {.width = 2, .height = 1, .samples = {10, 20, 30, 200, 100, 50}},
         {rgb(10, 20, 30), rgb(200, 100, 50)}},
        {"rgb 16 rounds",
         {.width = 2, .height = 1, .bits = 16, .samples = {128, 129, 65406, 65535, 32896, 0}},
         {rgb(0, 1, 254), rgb(255, 128, 0)}},
        {"min is black",
         {.width = 2,
          .height = 1,
          .photometric = PHOTOMETRIC_MINISBLACK,
          .samplesPerPixel = 1,
          .samples = {0, 77}},
         {rgb(0, 0, 0), rgb(77, 77, 77)}},
        {"min is white",
         {.width = 2,
          .height = 1,
          .photometric = PHOTOMETRIC_MINISWHITE,
          .samplesPerPixel = 1,
          .samples = {0, 77}},
         {rgb(255, 255, 255), rgb(178, 178, 178)}},
        {"grey 16",
         {.width = 2,
          .height = 1,
          .photometric = PHOTOMETRIC_MINISBLACK,
          .bits = 16,
          .samplesPerPixel = 1,
          .samples = {129, 65406}},
         {rgb(1, 1, 1), rgb(254, 254, 254)}},
        {"bilevel",
         {.width = 3,
          .height = 1,
          .photometric = PHOTOMETRIC_MINISWHITE,
          .bits = 1,
          .samplesPerPixel = 1,
          .samples = {1, 0, 1}},
         {rgb(0, 0, 0), rgb(255, 255, 255), rgb(0, 0, 0)}},
        {"palette",
         {.width = 2,
          .height = 1,
          .photometric = PHOTOMETRIC_PALETTE,
          .samplesPerPixel = 1,
          .samples = {0, 200},
          .colourMap = greyRampMap()},
         {rgb(0, 255, 1), rgb(200, 55, 1)}},
        // The CMYK JPEG formula: each ink's complement times black's, rounded.
        {"cmyk",
         {.width = 3,
          .height = 1,
          .photometric = PHOTOMETRIC_SEPARATED,
          .samplesPerPixel = 4,
          .samples = {0, 0, 0, 0, 255, 0, 0, 0, 100, 50, 0, 30}},
         {rgb(255, 255, 255), rgb(0, 255, 255), rgb(137, 181, 225)}},
        {"cmyk 16",
         {.width = 1,
          .height = 1,
          .photometric = PHOTOMETRIC_SEPARATED,
          .bits = 16,
          .samplesPerPixel = 4,
          .samples = {100 * 257, 50 * 257, 0, 30 * 257}},
         {rgb(137, 181, 225)}},
        {"rgba straight",
         {.width = 2,
          .height = 1,
          .samplesPerPixel = 4,
          .samples = {200, 100, 50, 51, 1, 2, 3, 0},
          .extraSample = EXTRASAMPLE_UNASSALPHA},
         {rgb(244, 224, 214), rgb(255, 255, 255)}},
        {"rgba premultiplied",
         {.width = 1,
          .height = 1,
          .samplesPerPixel = 4,
          .samples = {100, 0, 50, 128},
          .extraSample = EXTRASAMPLE_ASSOCALPHA},
         {rgb(227, 127, 177)}},
        {"rgb and an unspecified sample",
         {.width = 1,
          .height = 1,
          .samplesPerPixel = 4,
          .samples = {1, 2, 3, 0},
          .extraSample = EXTRASAMPLE_UNSPECIFIED},
         {rgb(1, 2, 3)}},
        {"grey alpha",
         {.width = 1,
          .height = 1,
          .photometric = PHOTOMETRIC_MINISBLACK,
          .samplesPerPixel = 2,
          .samples = {0, 128},
          .extraSample = EXTRASAMPLE_UNASSALPHA},
         {rgb(127, 127, 127)}},
    };
    for (const Case& c : cases) {
        RasterImage image;
        ASSERT_NO_THROW(image = decodeTiff(testing::makeTiff(c.recipe))) << c.name;
        EXPECT_EQ(image.format(), PixelFormat::Bgr24) << c.name;
        EXPECT_EQ(describe(image), describe(c.expected)) << c.name;
    }
}

// An RGB pattern whose tiles and strips end inside the picture.
TiffRecipe patternRecipe(int compression, std::uint32_t tileSide) {
    TiffRecipe recipe{.width = 37,
                      .height = 21,
                      .compression = compression,
                      .rowsPerStrip = 4,
                      .tileSide = tileSide};
    for (std::uint32_t y = 0; y < recipe.height; ++y)
        for (std::uint32_t x = 0; x < recipe.width; ++x)
            for (std::uint32_t c = 0; c < 3; ++c)
                recipe.samples.push_back(
                    static_cast<std::uint16_t>((x * 13 + y * 7 + c * 50) % 256));
    return recipe;
}

TEST(Tiff, EveryCompressionInStripsAndTilesGivesThePattern) {
    const std::string expected =
        describe(decodeTiff(testing::makeTiff(patternRecipe(COMPRESSION_NONE, 0))));
    EXPECT_NE(expected.find("(13,63,113) "), std::string::npos);  // pixel (1, 0)
    for (int compression :
         {COMPRESSION_NONE, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE, COMPRESSION_PACKBITS}) {
        for (std::uint32_t tile : {0u, 16u}) {
            EXPECT_EQ(describe(decodeTiff(testing::makeTiff(patternRecipe(compression, tile)))),
                      expected)
                << compression << " tile " << tile;
        }
    }
}

TEST(Tiff, JpegCompressedYcbcrGivesItsColours) {
    TiffRecipe recipe{.width = 32,
                      .height = 16,
                      .photometric = PHOTOMETRIC_YCBCR,
                      .compression = COMPRESSION_JPEG,
                      .rowsPerStrip = 16};
    for (int i = 0; i < 32 * 16; ++i) recipe.samples.insert(recipe.samples.end(), {200, 40, 90});
    const RasterImage image = decodeTiff(testing::makeTiff(recipe));
    ASSERT_EQ(image.width(), 32);
    const Colour c = image.pixel(20, 9);
    EXPECT_NEAR(c.red, 200, 4);
    EXPECT_NEAR(c.green, 40, 4);
    EXPECT_NEAR(c.blue, 90, 4);
}

TEST(Tiff, DamagedAndUnsupportedFilesAreRefusedWithAReason) {
    const platform::Bytes good = testing::makeTiff(patternRecipe(COMPRESSION_LZW, 0));
    struct Case {
        const char* name;
        platform::Bytes file;
    } cases[] = {
        {"empty", {}},
        {"not a TIFF", {'B', 'M', 1, 2, 3, 4, 5, 6}},
        {"cut before the directory", platform::Bytes(good.begin(), good.begin() + 16)},
        {"lab colours",
         testing::makeTiff(
             {.width = 1, .height = 1, .photometric = PHOTOMETRIC_CIELAB, .samples = {1, 2, 3}})},
    };
    for (const Case& c : cases) {
        try {
            decodeTiff(c.file);
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const platform::Error& e) {
            const std::string text = e.what();
            EXPECT_EQ(text.rfind("TIFF error: ", 0), 0u) << c.name << ": " << text;
            EXPECT_GT(text.size(), 14u) << c.name;
        }
    }
}

TEST(Tiff, LoadingNamesTheFileThatCannotBeRead) {
    testing::TempDir dir;
    const std::filesystem::path path = dir / "broken.tif";
    platform::saveWholeFile(path, std::string_view("II*\0\x08\0\0\0\xff\xff", 10));
    try {
        loadTiffFile(path);
        FAIL() << "accepted";
    } catch (const platform::Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind(
                      "Cannot read file \"" + path.string() + "\". TIFF error: ", 0),
                  0u)
            << e.what();
    }
}

// The value of a rational field of the first directory, as stored.
std::pair<std::uint32_t, std::uint32_t> rationalField(const platform::Bytes& file, int tag) {
    auto get = [&](std::size_t at, int n) {
        std::uint32_t v = 0;
        for (int i = n - 1; i >= 0; --i) v = v << 8 | file[at + static_cast<std::size_t>(i)];
        return v;
    };
    const std::size_t ifd = get(4, 4);
    for (std::size_t i = 0; i < get(ifd, 2); ++i) {
        const std::size_t entry = ifd + 2 + 12 * i;
        if (static_cast<int>(get(entry, 2)) == tag) {
            const std::size_t at = get(entry + 8, 4);
            return {get(at, 4), get(at + 4, 4)};
        }
    }
    return {0, 0};
}

TEST(Tiff, WrittenFilesReadBackWithExactResolutionAndProfile) {
    RasterImage colour;
    colour.create(PixelFormat::Bgr24, 300, 7);  // more than one strip
    colour.setFillColour(Colour::rgb(10, 200, 30));
    colour.setLineColour(Colour::rgb(250, 1, 2));
    colour.drawRectangle(1, 0, 170, 5);
    RasterImage chart;
    chart.create(PixelFormat::Indexed1, 45, 3);
    chart.setFillColour(kBlack);
    chart.setLineColour(kBlack);
    chart.drawRectangle(3, 0, 29, 2);
    const platform::Bytes profile = testing::wideGamutProfile();
    for (const RasterImage* image : {&colour, &chart}) {
        const platform::Bytes file = encodeTiff(
            *image,
            {.resolutionNumerator = 1691, .resolutionDenominator = 10, .iccProfile = profile});
        platform::Bytes readProfile;
        EXPECT_EQ(describe(decodeTiff(file, &readProfile)), describe(*image));
        EXPECT_EQ(readProfile, profile);
        EXPECT_EQ(rationalField(file, TIFFTAG_XRESOLUTION), std::make_pair(1691u, 10u));
        EXPECT_EQ(rationalField(file, TIFFTAG_YRESOLUTION), std::make_pair(1691u, 10u));
    }
}

}  // namespace
}  // namespace lenzora::raster
