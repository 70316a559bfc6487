#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <regex>

#include "platform/error.h"
#include "raster/jpeg_codec.h"

// Designated initializers leave the fields they do not name at their defaults, on purpose.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace lenzora::raster {
namespace {

platform::Bytes dataFile(const char* name) {
    return platform::readWholeFile(std::filesystem::path(LENZORA_TEST_DATA) / name);
}

bool near(Colour a, Colour b, int tolerance) {
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance;
}

RasterImage testCard() {
    RasterImage image;
    image.create(PixelFormat::Bgr24, 64, 32);
    const Colour colours[] = {Colour::rgb(200, 30, 30), Colour::rgb(30, 200, 30),
                              Colour::rgb(30, 30, 200), Colour::rgb(240, 240, 20)};
    for (int i = 0; i < 4; ++i) {
        image.setFillColour(colours[i]);
        image.setLineColour(colours[i]);
        image.drawRectangle(16 * i, 0, 16 * i + 16, 32);
    }
    return image;
}

// Finds a marker segment (0xFF, code) and returns the offset of its length field.
std::size_t findSegment(const platform::Bytes& b, std::uint8_t code) {
    for (std::size_t i = 2; i + 1 < b.size();) {
        if (b[i] != 0xFF) return 0;
        if (b[i + 1] == code) return i + 2;
        i += 2 + (b[i + 2] << 8 | b[i + 3]);
    }
    return 0;
}

TEST(Jpeg, ColourRoundTripKeepsColoursAndSize) {
    RasterImage image = testCard();
    RasterImage back = decodeJpeg(encodeJpeg(image));
    EXPECT_EQ(back.format(), PixelFormat::Bgr24);
    ASSERT_EQ(back.width(), 64);
    ASSERT_EQ(back.height(), 32);
    for (std::int32_t x = 4; x < 64; x += 16)
        EXPECT_TRUE(near(back.pixel(x + 4, 16), image.pixel(x + 4, 16), 6)) << x;
}

TEST(Jpeg, EncoderWritesBaselineQuality90WithFullChromaAndTheDensityAsked) {
    platform::Bytes b = encodeJpeg(testCard(), {.quality = 90, .dotsPerInch = 300});
    // Baseline frame: three components, each sampled 1 × 1.
    std::size_t sof = findSegment(b, 0xC0);
    ASSERT_NE(sof, 0u);
    EXPECT_EQ(b[sof + 7], 3);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(b[sof + 8 + 3 * c + 1], 0x11) << c;
    EXPECT_EQ(findSegment(b, 0xC2), 0u);  // not progressive
    // Quality 90 scales the standard luminance table by 0.2: its first entry 16 becomes 3.
    std::size_t dqt = findSegment(b, 0xDB);
    ASSERT_NE(dqt, 0u);
    EXPECT_EQ(b[dqt + 3], 3);
    // JFIF: units 1 (dots per inch), 300 × 300.
    std::size_t app0 = findSegment(b, 0xE0);
    ASSERT_NE(app0, 0u);
    EXPECT_EQ(b[app0 + 9], 1);
    EXPECT_EQ(b[app0 + 10] << 8 | b[app0 + 11], 300);
    EXPECT_EQ(b[app0 + 12] << 8 | b[app0 + 13], 300);
    // Without a density the fields stay the encoder's default (no units, 1:1).
    platform::Bytes plain = encodeJpeg(testCard());
    std::size_t plainApp0 = findSegment(plain, 0xE0);
    ASSERT_NE(plainApp0, 0u);
    EXPECT_EQ(plain[plainApp0 + 9], 0);
}

TEST(Jpeg, OneBitAndIndexedImagesEncodeAsColour) {
    RasterImage mono;
    mono.create(PixelFormat::Indexed1, 16, 8);
    mono.setFillColour(kBlack);
    mono.drawRectangle(0, 0, 8, 8);
    RasterImage back = decodeJpeg(encodeJpeg(mono));
    EXPECT_EQ(back.format(), PixelFormat::Bgr24);
    EXPECT_TRUE(near(back.pixel(2, 4), kBlack, 8));
    EXPECT_TRUE(near(back.pixel(13, 4), kWhite, 8));
}

TEST(Jpeg, GreyFilesGiveEightBitImagesOfAtMost236Greys) {
    RasterImage grey = decodeJpeg(dataFile("grey-ramp.jpg"));
    EXPECT_EQ(grey.format(), PixelFormat::Indexed8);
    EXPECT_EQ(grey.width(), 32);
    EXPECT_LE(grey.palette().size(), 236u);
    EXPECT_GT(grey.palette().size(), 200u);
    for (const Colour& c : grey.palette()) EXPECT_TRUE(c.red == c.green && c.green == c.blue);
    // The ramp rises 8 levels a column.
    for (std::int32_t x = 0; x < 32; x += 5)
        EXPECT_TRUE(near(grey.pixel(x, 4),
                         Colour{std::uint8_t(8 * x), std::uint8_t(8 * x), std::uint8_t(8 * x)}, 10))
            << x;
}

TEST(Jpeg, CmykFilesConvertToTheirColours) {
    // An Adobe CMYK file (inks stored inverted): red on the left, blue on the right.
    RasterImage image = decodeJpeg(dataFile("cmyk-adobe-red-blue.jpg"));
    EXPECT_EQ(image.format(), PixelFormat::Bgr24);
    EXPECT_TRUE(near(image.pixel(2, 4), Colour::rgb(255, 0, 0), 12));
    EXPECT_TRUE(near(image.pixel(13, 4), Colour::rgb(0, 0, 255), 12));
}

TEST(Jpeg, ProgressiveFilesDecodeInOnePass) {
    RasterImage image = decodeJpeg(dataFile("progressive-red-blue.jpg"));
    EXPECT_EQ(image.width(), 24);
    EXPECT_TRUE(near(image.pixel(3, 8), Colour::rgb(255, 0, 0), 12));
    EXPECT_TRUE(near(image.pixel(20, 8), Colour::rgb(0, 0, 255), 12));
}

TEST(Jpeg, ColourForAPalettedDisplayIsReducedTo236Colours) {
    RasterImage image = decodeJpeg(encodeJpeg(testCard()), 8);
    EXPECT_EQ(image.format(), PixelFormat::Indexed8);
    EXPECT_LE(image.palette().size(), 236u);
}

TEST(Jpeg, DamagedFilesAreRefusedWithTheDecodersMessageNumber) {
    platform::Bytes good = encodeJpeg(testCard());
    platform::Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));
    platform::Bytes headerOnly(good.begin(),
                               good.begin() + static_cast<std::ptrdiff_t>(findSegment(good, 0xDA)));
    platform::Bytes garbage = good;
    std::size_t sof = findSegment(good, 0xC0);
    garbage[sof + 7] = 7;  // seven components in a three-component frame
    platform::Bytes zeroSize = good;
    zeroSize[sof + 3] = 0;
    zeroSize[sof + 4] = 0;  // height 0
    platform::Bytes bigSize = good;
    bigSize[sof + 3] = bigSize[sof + 5] = 0xEA;
    bigSize[sof + 4] = bigSize[sof + 6] = 0x60;  // 60000 × 60000
    platform::Bytes hugeSize = good;
    hugeSize[sof + 3] = hugeSize[sof + 4] = hugeSize[sof + 5] = hugeSize[sof + 6] = 0xFF;
    const std::vector<std::pair<const char*, platform::Bytes>> cases = {
        {"empty", {}},
        {"not a JPEG", platform::Bytes{'B', 'M', 0, 0, 0, 0}},
        {"cut in half", cut},
        {"cut before the scan", headerOnly},
        {"bad component count", garbage},
        {"height 0", zeroSize},
        {"60000 × 60000 in a small file", bigSize},
        {"65535 × 65535, beyond the format", hugeSize},
    };
    const std::regex text("JPEG error #[0-9]+");
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        try {
            decodeJpeg(bytes);
            ADD_FAILURE() << "accepted";
        } catch (const platform::Error& e) {
            EXPECT_TRUE(std::regex_match(e.what(), text)) << e.what();
        }
    }
}

TEST(Jpeg, EncodingAnEmptyImageIsAJpegError) {
    RasterImage empty;
    try {
        encodeJpeg(empty);
        ADD_FAILURE() << "encoded";
    } catch (const platform::Error& e) {
        EXPECT_TRUE(std::regex_match(e.what(), std::regex("JPEG error #[0-9]+"))) << e.what();
    }
}

TEST(Jpeg, TheExifBodyIsAnApp1SegmentRightAfterTheJfifHeader) {
    const RasterImage card = testCard();
    const platform::Bytes plain = encodeJpeg(card, {.quality = 90, .dotsPerInch = 300});
    ASSERT_GE(plain.size(), 20u);
    ASSERT_EQ(plain[2], 0xFF);
    ASSERT_EQ(plain[3], 0xE0);
    const std::size_t afterJfif = 4 + (std::size_t{plain[4]} << 8 | plain[5]);
    ASSERT_EQ(afterJfif, 20u);
    for (std::size_t bodySize : {std::size_t{1}, std::size_t{78}, std::size_t{65533}}) {
        SCOPED_TRACE(bodySize);
        platform::Bytes body(bodySize);
        for (std::size_t i = 0; i < bodySize; ++i) body[i] = static_cast<std::uint8_t>(i * 7);
        const platform::Bytes withExif =
            encodeJpeg(card, {.quality = 90, .dotsPerInch = 300, .exif = body});
        // The stream without it, with the segment put in after the JFIF header.
        platform::Bytes expected(plain.begin(), plain.begin() + afterJfif);
        const std::size_t length = bodySize + 2;
        expected.insert(expected.end(), {0xFF, 0xE1, static_cast<std::uint8_t>(length >> 8),
                                         static_cast<std::uint8_t>(length)});
        expected.insert(expected.end(), body.begin(), body.end());
        expected.insert(expected.end(), plain.begin() + afterJfif, plain.end());
        EXPECT_TRUE(withExif == expected);
    }
}

TEST(Jpeg, AnExceptionFromTheSinkReachesTheCallerAsThrown) {
    struct Stop {
        int call;
    };
    // Noise does not compress: several blocks of output.
    RasterImage noise;
    noise.create(PixelFormat::Bgr24, 512, 512);
    std::uint32_t seed = 12345;
    for (std::int32_t y = 0; y < 512; ++y) {
        for (std::int32_t x = 0; x < 3 * 512; ++x) {
            seed = seed * 1103515245u + 12345u;
            noise.row(y)[x] = static_cast<std::uint8_t>(seed >> 24);
        }
    }
    const platform::Bytes whole = encodeJpeg(noise);
    int blocks = 0;
    writeJpeg(noise, {}, [&](const std::uint8_t*, std::size_t) { ++blocks; });
    ASSERT_GE(blocks, 3);
    for (int failAt : {1, 2, blocks}) {
        SCOPED_TRACE(failAt);
        int calls = 0;
        platform::Bytes received;
        try {
            writeJpeg(noise, {}, [&](const std::uint8_t* data, std::size_t size) {
                if (++calls == failAt) throw Stop{calls};
                received.insert(received.end(), data, data + size);
            });
            ADD_FAILURE() << "the sink's exception was lost";
        } catch (const Stop& stop) {
            EXPECT_EQ(stop.call, failAt);
        }
        EXPECT_EQ(calls, failAt) << "nothing more is written after the exception";
        EXPECT_TRUE(std::equal(received.begin(), received.end(), whole.begin()));
    }
    EXPECT_TRUE(encodeJpeg(noise) == whole);
}

TEST(Jpeg, MissingFileGivesTheOpenError) {
    try {
        loadJpegFile("/nonexistent/frame.jpg");
        ADD_FAILURE() << "loaded";
    } catch (const platform::Error& e) {
        EXPECT_STREQ(e.what(), "Cannot open file \"/nonexistent/frame.jpg\". File not found");
    }
}

}  // namespace
}  // namespace lenzora::raster
