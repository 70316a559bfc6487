#include <gtest/gtest.h>

#include <tiffio.h>

#include <string>
#include <utility>
#include <vector>

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
        // A 1-bit grey picture stays 1-bit, to be stretched as a 1-bit BMP is.
        const bool oneBit = c.recipe.bits == 1 && c.recipe.samplesPerPixel == 1;
        EXPECT_EQ(image.format(), oneBit ? PixelFormat::Indexed1 : PixelFormat::Bgr24) << c.name;
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

// A little-endian file of one directory and no pixel data: each tag's values as LONGs,
// stored after the directory when they take more than four bytes.
platform::Bytes headerOnly(
    const std::vector<std::pair<std::uint16_t, std::vector<std::uint32_t>>>& tags) {
    platform::Bytes file = {'I', 'I', 42, 0, 8, 0, 0, 0};
    auto put = [&](std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) file.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    };
    put(tags.size(), 2);
    std::size_t external = 8 + 2 + 12 * tags.size() + 4;
    for (const auto& [tag, values] : tags) {
        put(tag, 2);
        put(4, 2);  // LONG
        put(values.size(), 4);
        put(values.size() == 1 ? values[0] : external, 4);
        if (values.size() > 1) external += 4 * values.size();
    }
    put(0, 4);
    for (const auto& [tag, values] : tags)
        if (values.size() > 1)
            for (std::uint32_t v : values) put(v, 4);
    return file;
}

// A width x height picture of `samples` samples of `bits` (8 or 16) each, in tiles of
// `tileSide` (0: one strip) and Deflate compression, with one byte of data.
platform::Bytes claiming(std::uint32_t width, std::uint32_t height, std::uint32_t samples,
                         std::uint32_t bits, std::uint32_t tileSide) {
    std::vector<std::pair<std::uint16_t, std::vector<std::uint32_t>>> tags = {
        {TIFFTAG_IMAGEWIDTH, {width}},
        {TIFFTAG_IMAGELENGTH, {height}},
        {TIFFTAG_BITSPERSAMPLE, std::vector<std::uint32_t>(samples, bits)},
        {TIFFTAG_COMPRESSION, {COMPRESSION_ADOBE_DEFLATE}},
        {TIFFTAG_PHOTOMETRIC, {PHOTOMETRIC_RGB}},
        {TIFFTAG_SAMPLESPERPIXEL, {samples}},
    };
    if (samples > 3)
        tags.push_back({TIFFTAG_EXTRASAMPLES, std::vector<std::uint32_t>(samples - 3, 0)});
    if (tileSide == 0) {
        tags.insert(tags.begin() + 4, {TIFFTAG_STRIPOFFSETS, {8}});
        tags.insert(tags.begin() + 6, {TIFFTAG_ROWSPERSTRIP, {height}});
        tags.insert(tags.begin() + 7, {TIFFTAG_STRIPBYTECOUNTS, {1}});
    } else {
        tags.push_back({TIFFTAG_TILEWIDTH, {tileSide}});
        tags.push_back({TIFFTAG_TILELENGTH, {tileSide}});
        tags.push_back({TIFFTAG_TILEOFFSETS, {8}});
        tags.push_back({TIFFTAG_TILEBYTECOUNTS, {1}});
    }
    return headerOnly(tags);
}

// Whatever the picture's own size, a file whose reading would hold more than 64 MB besides it
// (a tile, a row of samples) is refused before any of it is allocated.
TEST(Tiff, AReadingThatWouldHoldMoreThan64MegabytesBesidesThePictureIsRefused) {
    struct Case {
        std::uint32_t width, height, samples, bits, tileSide;
        const char* says;
    } cases[] = {
        {1, 1, 8, 16, 16384, "图片太大! 1 x 1 像素"},               // a 4 GB tile
        {1, 1, 8, 16, 2064, "图片太大! 1 x 1 像素"},                // a 68 MB tile
        {4'200'000, 1, 8, 16, 0, "图片太大! 4200000 x 1 像素"},     // a 67 MB row
        {400'000'000, 1, 3, 8, 0, "图片太大! 400000000 x 1 像素"},  // a 1.2 GB row
        {1, 1, 8, 16, 1024, "TIFF error: "},  // a 16 MB tile is read (its data is damaged)
    };
    for (const Case& c : cases) {
        try {
            decodeTiff(claiming(c.width, c.height, c.samples, c.bits, c.tileSide));
            ADD_FAILURE() << c.says << " accepted";
        } catch (const platform::Error& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.says, 0), 0u) << e.what();
        }
    }
}

// Samples stored plane by plane, and 1-bit tiles of a width the format does not allow, are not
// read; the refusal says why.
TEST(Tiff, LayoutsNotReadAreRefusedWithTheirReason) {
    using Tags = std::vector<std::pair<std::uint16_t, std::vector<std::uint32_t>>>;
    const struct {
        Tags tags;
        const char* says;
    } cases[] = {
        {{{TIFFTAG_IMAGEWIDTH, {2}},
          {TIFFTAG_IMAGELENGTH, {1}},
          {TIFFTAG_BITSPERSAMPLE, {8, 8, 8}},
          {TIFFTAG_PHOTOMETRIC, {PHOTOMETRIC_RGB}},
          {TIFFTAG_STRIPOFFSETS, {8, 8, 8}},
          {TIFFTAG_SAMPLESPERPIXEL, {3}},
          {TIFFTAG_STRIPBYTECOUNTS, {2, 2, 2}},
          {TIFFTAG_PLANARCONFIG, {PLANARCONFIG_SEPARATE}}},
         "TIFF error: this sample layout is not supported"},
        {{{TIFFTAG_IMAGEWIDTH, {24}},
          {TIFFTAG_IMAGELENGTH, {12}},
          {TIFFTAG_BITSPERSAMPLE, {1}},
          {TIFFTAG_PHOTOMETRIC, {PHOTOMETRIC_MINISBLACK}},
          {TIFFTAG_TILEWIDTH, {12}},
          {TIFFTAG_TILELENGTH, {12}},
          {TIFFTAG_TILEOFFSETS, {8, 8}},
          {TIFFTAG_TILEBYTECOUNTS, {1, 1}}},
         "TIFF error: this tile width is not supported"},
    };
    for (const auto& c : cases) {
        try {
            decodeTiff(headerOnly(c.tags));
            ADD_FAILURE() << c.says << ": accepted";
        } catch (const platform::Error& e) {
            EXPECT_STREQ(e.what(), c.says);
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
