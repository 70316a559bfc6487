#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <sys/resource.h>

#include <algorithm>
#include <fstream>

#include <string>

#include "platform/available_memory.h"
#include "platform/error.h"
#include "platform/save_file.h"
#include "raster/memory_budget.h"
#include "raster/png_codec.h"
#include "support/encoded_pictures.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

// Designated initializers leave the fields they do not name at their defaults, on purpose.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace lenzora::raster {
namespace {

using testing::PngRecipe;

struct DecodeCase {
    const char* name;
    PngRecipe recipe;
    std::vector<Colour> expected;  // row by row
};

Colour rgb(int r, int g, int b) {
    return Colour::rgb(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                       static_cast<std::uint8_t>(b));
}

std::vector<Colour> pixelsOf(const RasterImage& image) {
    std::vector<Colour> out;
    for (std::int32_t y = 0; y < image.height(); ++y)
        for (std::int32_t x = 0; x < image.width(); ++x) out.push_back(image.pixel(x, y));
    return out;
}

std::string describe(const std::vector<Colour>& colours) {
    std::string text;
    for (Colour c : colours) {
        text += "(" + std::to_string(c.red) + "," + std::to_string(c.green) + "," +
                std::to_string(c.blue) + ") ";
    }
    return text;
}

TEST(Png, EveryKindDecodesToTheColoursItsSamplesSay) {
    const DecodeCase cases[] = {
        {"rgb 8",
         {.width = 2,
          .height = 1,
          .colourType = PNG_COLOR_TYPE_RGB,
          .bitDepth = 8,
          .samples = {10, 20, 30, 200, 100, 50}},
         {rgb(10, 20, 30), rgb(200, 100, 50)}},
        // round(v * 255 / 65535): 128 -> 0, 129 -> 1, 65406 -> 254 (taking the high byte
        // would give 0, 0 and 255).
        {"rgb 16 rounds",
         {.width = 2,
          .height = 1,
          .colourType = PNG_COLOR_TYPE_RGB,
          .bitDepth = 16,
          .samples = {128, 129, 65406, 65535, 32896, 0}},
         {rgb(0, 1, 254), rgb(255, 128, 0)}},
        {"grey 8",
         {.width = 2,
          .height = 1,
          .colourType = PNG_COLOR_TYPE_GRAY,
          .bitDepth = 8,
          .samples = {0, 77}},
         {rgb(0, 0, 0), rgb(77, 77, 77)}},
        {"grey 1",
         {.width = 3,
          .height = 1,
          .colourType = PNG_COLOR_TYPE_GRAY,
          .bitDepth = 1,
          .samples = {1, 0, 1}},
         {rgb(255, 255, 255), rgb(0, 0, 0), rgb(255, 255, 255)}},
        {"grey 4",
         {.width = 2,
          .height = 1,
          .colourType = PNG_COLOR_TYPE_GRAY,
          .bitDepth = 4,
          .samples = {15, 1}},
         {rgb(255, 255, 255), rgb(17, 17, 17)}},
        {"grey 16",
         {.width = 2,
          .height = 1,
          .colourType = PNG_COLOR_TYPE_GRAY,
          .bitDepth = 16,
          .samples = {129, 65406}},
         {rgb(1, 1, 1), rgb(254, 254, 254)}},
        // Alpha over white: round((a * c + (255 - a) * 255) / 255).
        {"rgba 8",
         {.width = 3,
          .height = 1,
          .colourType = PNG_COLOR_TYPE_RGBA,
          .bitDepth = 8,
          .samples = {200, 100, 50, 51, 1, 2, 3, 0, 1, 2, 3, 255}},
         {rgb(244, 224, 214), rgb(255, 255, 255), rgb(1, 2, 3)}},
        {"grey alpha 8",
         {.width = 1,
          .height = 1,
          .colourType = PNG_COLOR_TYPE_GRAY_ALPHA,
          .bitDepth = 8,
          .samples = {0, 128}},
         {rgb(127, 127, 127)}},
        // Rounded to 8 bits first (a 65535 -> 255, 128 * 257 -> 128), then laid over white.
        {"rgba 16",
         {.width = 1,
          .height = 1,
          .colourType = PNG_COLOR_TYPE_RGBA,
          .bitDepth = 16,
          .samples = {0, 65535, 129, 128 * 257}},
         {rgb(127, 255, 128)}},
        {"palette with alpha",
         {.width = 3,
          .height = 1,
          .colourType = PNG_COLOR_TYPE_PALETTE,
          .bitDepth = 2,
          .samples = {0, 1, 2},
          .palette = {255, 0, 0, 0, 0, 255, 9, 8, 7},
          .paletteAlpha = {255, 128}},
         {rgb(255, 0, 0), rgb(127, 127, 255), rgb(9, 8, 7)}},
        {"rgb key colour",
         {.width = 2,
          .height = 1,
          .colourType = PNG_COLOR_TYPE_RGB,
          .bitDepth = 8,
          .samples = {1, 2, 3, 4, 5, 6},
          .keyColour = {4, 5, 6}},
         {rgb(1, 2, 3), rgb(255, 255, 255)}},
    };
    for (const DecodeCase& c : cases) {
        RasterImage image;
        ASSERT_NO_THROW(image = decodePng(testing::makePng(c.recipe))) << c.name;
        // A 1-bit grey picture stays 1-bit, to be stretched as a 1-bit BMP is.
        const bool oneBit = c.recipe.colourType == PNG_COLOR_TYPE_GRAY && c.recipe.bitDepth == 1;
        EXPECT_EQ(image.format(), oneBit ? PixelFormat::Indexed1 : PixelFormat::Bgr24) << c.name;
        EXPECT_EQ(describe(pixelsOf(image)), describe(c.expected)) << c.name;
    }
}

// A pattern large enough that all seven interlace passes carry pixels.
PngRecipe patternRecipe(int colourType, int channels, bool interlaced, int bitDepth = 8) {
    PngRecipe recipe{.width = 19,
                     .height = 13,
                     .colourType = colourType,
                     .bitDepth = bitDepth,
                     .interlaced = interlaced};
    const std::uint32_t top = 1u << bitDepth;
    for (std::uint32_t y = 0; y < recipe.height; ++y)
        for (std::uint32_t x = 0; x < recipe.width; ++x)
            for (int c = 0; c < channels; ++c)
                recipe.samples.push_back(static_cast<std::uint16_t>(
                    (x * 13 + y * 7 + static_cast<std::uint32_t>(c) * 50) * (top / 256 + 1) % top));
    return recipe;
}

TEST(Png, InterlacedFilesGiveWhatPlainOnesGive) {
    struct Case {
        int type, channels, bitDepth;
    } cases[] = {{PNG_COLOR_TYPE_RGB, 3, 8},  {PNG_COLOR_TYPE_RGBA, 4, 8},
                 {PNG_COLOR_TYPE_GRAY, 1, 8}, {PNG_COLOR_TYPE_RGBA, 4, 16},
                 {PNG_COLOR_TYPE_GRAY, 1, 1}, {PNG_COLOR_TYPE_GRAY, 1, 2}};
    for (const Case& c : cases) {
        const RasterImage plain =
            decodePng(testing::makePng(patternRecipe(c.type, c.channels, false, c.bitDepth)));
        const RasterImage interlaced =
            decodePng(testing::makePng(patternRecipe(c.type, c.channels, true, c.bitDepth)));
        EXPECT_EQ(describe(pixelsOf(interlaced)), describe(pixelsOf(plain)))
            << c.type << " " << c.bitDepth;
    }
}

// An interlaced 16-bit picture with alpha costs its 24-bit size (9 MB here) and a few rows:
// its passes are turned into colours row by row, never held whole at 8 bytes a pixel (24 MB).
// Under an address-space limit 20 MB above what the process holds, it is read.
TEST(PngDeathTest, AnInterlacedSixteenBitPictureIsReadWithinItsColourSize) {
    if (testing::kAddressSanitizer) GTEST_SKIP() << "the sanitizer's own reservations";
    PngRecipe recipe{.width = 2000,
                     .height = 1500,
                     .colourType = PNG_COLOR_TYPE_RGBA,
                     .bitDepth = 16,
                     .interlaced = true};
    recipe.samples.assign(std::size_t{2000} * 1500 * 4, 65535);
    const platform::Bytes file = testing::makePng(recipe);
    recipe.samples = {};
    auto underLimit = [&] {
        std::ifstream statm("/proc/self/statm");
        std::uint64_t pages = 0;
        statm >> pages;
        const rlimit limit{pages * 4096 + (20ull << 20), RLIM_INFINITY};
        if (::setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(3);
        try {
            std::_Exit(decodePng(file).pixel(1999, 1499) == kWhite ? 0 : 1);
        } catch (...) {
            std::_Exit(2);
        }
    };
    EXPECT_EXIT(underLimit(), ::testing::ExitedWithCode(0), "");
}

// A palette without transparency gives its colours at every depth: the last entry a depth
// can hold, the first two, and the last again.
TEST(Png, PalettePicturesWithoutTransparencyGiveTheirColours) {
    const std::vector<std::uint8_t> colours = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30};
    for (int depth : {1, 2, 4, 8}) {
        const std::size_t entries = depth == 1 ? 2 : 4;
        const auto last = static_cast<std::uint16_t>(entries - 1);
        const RasterImage image = decodePng(testing::makePng(
            {.width = 4,
             .height = 1,
             .colourType = PNG_COLOR_TYPE_PALETTE,
             .bitDepth = depth,
             .samples = {last, 0, 1, last},
             .palette = std::vector<std::uint8_t>(colours.begin(),
                                                  colours.begin() + 3 * std::ptrdiff_t(entries))}));
        const Colour lastColour = depth == 1 ? rgb(0, 255, 0) : rgb(10, 20, 30);
        EXPECT_EQ(describe(pixelsOf(image)),
                  describe({lastColour, rgb(255, 0, 0), rgb(0, 255, 0), lastColour}))
            << depth;
    }
}

TEST(Png, DamagedFilesAreRefusedWithTheLibrarysReason) {
    const platform::Bytes good = testing::makePng(patternRecipe(PNG_COLOR_TYPE_RGB, 3, false));
    platform::Bytes badCrc = good;
    badCrc[40] ^= 0x55;  // inside the first data chunk
    struct Case {
        const char* name;
        platform::Bytes file;
        const char* says;
    } cases[] = {
        {"empty", {}, "PNG error: "},
        {"not a PNG", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0}, "PNG error: Not a PNG file"},
        {"cut in the header", platform::Bytes(good.begin(), good.begin() + 20), "PNG error: "},
        {"cut in the data", platform::Bytes(good.begin(), good.end() - 40), "PNG error: "},
        {"bad checksum", badCrc, "PNG error: "},
    };
    for (const Case& c : cases) {
        try {
            decodePng(c.file);
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const platform::Error& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.says, 0), 0u) << c.name << ": " << e.what();
            EXPECT_GT(std::string(e.what()).size(), std::string("PNG error: ").size()) << c.name;
        }
    }
}

// A one-pixel file whose header claims width x height, checksum mended.
platform::Bytes claimingSize(std::uint32_t width, std::uint32_t height) {
    platform::Bytes file = testing::makePng(
        {.width = 1, .height = 1, .colourType = PNG_COLOR_TYPE_GRAY, .samples = {0}});
    for (int i = 0; i < 4; ++i) {
        file[16 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
        file[20 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
    }
    const uLong crc = crc32(0, file.data() + 12, 17);
    for (int i = 0; i < 4; ++i)
        file[29 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    return file;
}

TEST(Png, AHugeHeaderIsRefusedBeforeAllocating) {
    struct Case {
        std::uint32_t width, height;
        const char* says;
    } cases[] = {
        {100000, 100000, "图片太大! 100000 x 100000 像素"},
        {10000, 10000, "PNG error: the file is too short for its picture"},
    };
    for (const Case& c : cases) {
        try {
            decodePng(claimingSize(c.width, c.height));
            ADD_FAILURE() << c.width << " accepted";
        } catch (const platform::Error& e) {
            EXPECT_STREQ(e.what(), c.says);
        }
    }
}

TEST(Png, LoadingNamesTheFileThatCannotBeRead) {
    testing::TempDir dir;
    const std::filesystem::path path = dir / "broken.png";
    platform::saveWholeFile(path, std::string_view("\x89PNG\r\n\x1a\n broken"));
    try {
        loadPngFile(path);
        FAIL() << "accepted";
    } catch (const platform::Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind(
                      "Cannot read file \"" + path.string() + "\". PNG error: ", 0),
                  0u)
            << e.what();
    }
}

TEST(Png, WrittenFilesReadBackWithResolutionAndProfile) {
    RasterImage colour;
    colour.create(PixelFormat::Bgr24, 5, 3);
    colour.setFillColour(Colour::rgb(10, 200, 30));
    colour.setLineColour(Colour::rgb(250, 1, 2));
    colour.drawRectangle(1, 0, 4, 3);
    RasterImage chart;
    chart.create(PixelFormat::Indexed1, 13, 2);
    chart.setFillColour(kBlack);
    chart.setLineColour(kBlack);
    chart.drawRectangle(3, 0, 9, 1);
    const platform::Bytes profile = testing::wideGamutProfile();
    for (const RasterImage* image : {&colour, &chart}) {
        const platform::Bytes file =
            encodePng(*image, {.pixelsPerMetre = 6657, .iccProfile = profile});
        platform::Bytes readProfile;
        const RasterImage back = decodePng(file, &readProfile);
        EXPECT_EQ(describe(pixelsOf(back)), describe(pixelsOf(*image)));
        EXPECT_EQ(readProfile, image == &colour ? profile : platform::Bytes{});

        png_image info{};
        info.version = PNG_IMAGE_VERSION;
        ASSERT_NE(png_image_begin_read_from_memory(&info, file.data(), file.size()), 0);
        EXPECT_EQ(info.format & PNG_FORMAT_FLAG_COLOR,
                  image == &colour ? PNG_FORMAT_FLAG_COLOR : 0u);
        png_image_free(&info);
        // pHYs: 6657 pixels per metre in both directions, unit metre.
        const std::uint8_t phys[] = {'p', 'H', 'Y', 's', 0, 0, 0x1A, 0x01, 0, 0, 0x1A, 0x01, 1};
        EXPECT_NE(std::search(file.begin(), file.end(), std::begin(phys), std::end(phys)),
                  file.end());
    }
}

}  // namespace
}  // namespace lenzora::raster
