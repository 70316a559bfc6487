#include <gtest/gtest.h>

#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/save_file.h"
#include "raster/picture_formats.h"
#include "support/encoded_pictures.h"
#include "support/temp_dir.h"

// Designated initializers leave the fields they do not name at their defaults, on purpose.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace lenzora::raster {
namespace {

using testing::PngRecipe;
using testing::TiffRecipe;

// Samples that differ from pixel to pixel and row to row, `channels` to a pixel.
std::vector<std::uint16_t> pattern(std::uint32_t w, std::uint32_t h, int channels, int top) {
    std::vector<std::uint16_t> samples;
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x)
            for (int c = 0; c < channels; ++c)
                samples.push_back(static_cast<std::uint16_t>((x * 13 + y * 7 + c * 50) % top));
    return samples;
}

std::vector<std::uint8_t> paletteOf(int entries) {
    std::vector<std::uint8_t> palette;
    for (int i = 0; i < entries; ++i)
        for (int c : {i * 3, 255 - i, i * 7 % 256}) palette.push_back(static_cast<std::uint8_t>(c));
    return palette;
}

std::vector<std::uint16_t> tiffMap() {
    std::vector<std::uint16_t> map;
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i)
            map.push_back(static_cast<std::uint16_t>((i * (c + 3)) % 256 * 257));
    return map;
}

platform::Bytes dataFile(const char* name) {
    return platform::readWholeFile(std::filesystem::path(LENZORA_TEST_DATA) / name);
}

struct FileCase {
    const char* name;  // with the extension that picks the format
    platform::Bytes bytes;
};

std::filesystem::path written(const testing::TempDir& dir, const FileCase& c) {
    const std::filesystem::path path = dir / c.name;
    platform::saveWholeFile(path, std::span<const std::uint8_t>(c.bytes));
    return path;
}

// The picture as the whole reader gives it, every pixel as blue, green, red.
std::vector<std::uint8_t> wholeBgr(const RasterImage& image) {
    std::vector<std::uint8_t> bgr;
    for (std::int32_t y = 0; y < image.height(); ++y) {
        for (std::int32_t x = 0; x < image.width(); ++x) {
            const Colour c = image.pixel(x, y);
            bgr.insert(bgr.end(), {c.blue, c.green, c.red});
        }
    }
    return bgr;
}

TEST(RowReader, RowsReadInChunksAreTheWholeReadersPixels) {
    const std::uint32_t w = 19;
    const std::uint32_t h = 23;
    const FileCase cases[] = {
        {"colour.jpg", dataFile("progressive-red-blue.jpg")},
        {"grey.jpeg", dataFile("grey-ramp.jpg")},
        {"cmyk.jpg", dataFile("cmyk-adobe-red-blue.jpg")},
        {"rgb.png", testing::makePng({.width = w,
                                      .height = h,
                                      .samples = pattern(w, h, 3, 256),
                                      .iccProfile = testing::wideGamutProfile(),
                                      .exif = testing::orientationExif(6)})},
        {"grey16-alpha.png", testing::makePng({.width = w,
                                               .height = h,
                                               .colourType = PNG_COLOR_TYPE_GRAY_ALPHA,
                                               .bitDepth = 16,
                                               .samples = pattern(w, h, 2, 65536)})},
        {"palette4.png", testing::makePng({.width = w,
                                           .height = h,
                                           .colourType = PNG_COLOR_TYPE_PALETTE,
                                           .bitDepth = 4,
                                           .samples = pattern(w, h, 1, 16),
                                           .palette = paletteOf(16),
                                           .paletteAlpha = {0, 128, 255}})},
        {"strips.tif", testing::makeTiff({.width = w,
                                          .height = h,
                                          .samples = pattern(w, h, 3, 256),
                                          .compression = COMPRESSION_ADOBE_DEFLATE,
                                          .rowsPerStrip = 5,
                                          .iccProfile = testing::wideGamutProfile(),
                                          .orientation = 8})},
        {"palette.tiff", testing::makeTiff({.width = w,
                                            .height = h,
                                            .photometric = PHOTOMETRIC_PALETTE,
                                            .samplesPerPixel = 1,
                                            .samples = pattern(w, h, 1, 256),
                                            .rowsPerStrip = h,
                                            .colourMap = tiffMap()})},
    };
    const testing::TempDir dir;
    for (const FileCase& c : cases) {
        const std::filesystem::path path = written(dir, c);
        const PictureFormat& format = *frameFormatOf(c.name);
        platform::Bytes profile;
        Orientation orientation = Orientation::AsStored;
        const RasterImage whole = format.read(path, &profile, &orientation);
        const std::unique_ptr<RowReader> reader = format.openRows(path);
        ASSERT_NE(reader, nullptr) << c.name;
        ASSERT_EQ(reader->width(), whole.width()) << c.name;
        ASSERT_EQ(reader->height(), whole.height()) << c.name;
        EXPECT_EQ(reader->colourProfile(), profile) << c.name;
        EXPECT_EQ(reader->orientation(), orientation) << c.name;

        const std::size_t rowBytes = 3 * static_cast<std::size_t>(whole.width());
        std::vector<std::uint8_t> pulled(rowBytes * static_cast<std::size_t>(whole.height()));
        const auto rowAt = [&](std::int32_t y) { return pulled.data() + rowBytes * y; };
        for (std::int32_t end : {1, 8, whole.height()}) {
            reader->readTo(end, rowAt);
            EXPECT_EQ(reader->rowsRead(), std::min(end, whole.height())) << c.name;
        }
        EXPECT_EQ(pulled, wholeBgr(whole)) << c.name;
    }
}

TEST(RowReader, PicturesNotInRowOrderAreReadWhole) {
    const FileCase cases[] = {
        {"adam7.png",
         testing::makePng(
             {.width = 9, .height = 9, .samples = pattern(9, 9, 3, 256), .interlaced = true})},
        {"one-bit.png", testing::makePng({.width = 9,
                                          .height = 2,
                                          .colourType = PNG_COLOR_TYPE_GRAY,
                                          .bitDepth = 1,
                                          .samples = pattern(9, 2, 1, 2)})},
        {"tiles.tif",
         testing::makeTiff(
             {.width = 20, .height = 9, .samples = pattern(20, 9, 3, 256), .tileSide = 16})},
    };
    const testing::TempDir dir;
    for (const FileCase& c : cases)
        EXPECT_EQ(frameFormatOf(c.name)->openRows(written(dir, c)), nullptr) << c.name;
}

TEST(RowReader, AFileEndingEarlyFailsAsWithTheWholeReader) {
    const std::uint32_t side = 64;
    const platform::Bytes jpeg = dataFile("thin-grey-8x4000.jpg");
    const platform::Bytes png =
        testing::makePng({.width = side, .height = side, .samples = pattern(side, side, 3, 256)});
    const platform::Bytes tiff = testing::makeTiff({.width = side,
                                                    .height = side,
                                                    .samples = pattern(side, side, 3, 256),
                                                    .compression = COMPRESSION_ADOBE_DEFLATE});
    // The first three quarters of a file.
    const auto cut = [](const platform::Bytes& bytes) {
        return platform::Bytes(bytes.begin(), bytes.begin() + bytes.size() * 3 / 4);
    };
    // Every row is there, but the end marker gives way to a comment where the file ends.
    platform::Bytes noEnd(jpeg.begin(), jpeg.end() - 2);
    noEnd.insert(noEnd.end(), {0xFF, 0xFE, 0x00, 0x04, 'h', 'i'});
    const FileCase cases[] = {
        {"in-the-rows.jpg", cut(jpeg)},
        {"no-end-marker.jpg", noEnd},
        {"cut.png", cut(png)},
        {"cut.tif", cut(tiff)},
    };
    const testing::TempDir dir;
    for (const FileCase& c : cases) {
        const std::filesystem::path path = written(dir, c);
        const PictureFormat& format = *frameFormatOf(c.name);
        std::string wholeError;
        try {
            format.read(path, nullptr, nullptr);
        } catch (const platform::Error& e) {
            wholeError = e.what();
        }
        std::string rowsError;
        try {
            const std::unique_ptr<RowReader> reader = format.openRows(path);
            std::vector<std::uint8_t> row(3 * static_cast<std::size_t>(reader->width()));
            reader->readTo(reader->height(), [&](std::int32_t) { return row.data(); });
        } catch (const platform::Error& e) {
            rowsError = e.what();
        }
        EXPECT_NE(wholeError, "") << c.name;
        EXPECT_EQ(rowsError, wholeError) << c.name;
    }
}

}  // namespace
}  // namespace lenzora::raster
