#include "output/save_composite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "output/exact_rational.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/save_file.h"
#include "raster/bmp_codec.h"
#include "raster/bmp_resolution.h"
#include "raster/jpeg_codec.h"
#include "raster/jpeg_exif.h"
#include "raster/png_codec.h"
#include "raster/saved_picture.h"
#include "raster/tiff_codec.h"
#include "support/encoded_pictures.h"
#include "support/file_size_limit.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

namespace lenzora::output {
namespace {

std::int32_t readInt32(const platform::Bytes& bytes, std::size_t at) {
    return static_cast<std::int32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                     static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

TEST(BmpResolution, PixelsPerMetreWithTheProgramsDivisor) {
    struct Case {
        long double dpi;
        std::int32_t perMetre;
    } cases[] = {{422.75L, 16640}, {300, 11808}, {360, 14170}, {1200, 47233}, {253.65L, 9984}};
    for (const Case& c : cases) EXPECT_EQ(raster::pixelsPerMetre(c.dpi), c.perMetre);
}

// pHYs holds the nearest whole number of pixels per metre: 300.5 dpi is 11830.7, not 11830.
TEST(PngResolution, PixelsPerMetreAreRoundedNotCut) {
    struct Case {
        long double dpi;
        std::int32_t perMetre;
    } cases[] = {{300, 11811}, {300.5L, 11831}, {169.1L, 6657}};
    for (const Case& c : cases) EXPECT_EQ(raster::pngPixelsPerMetre(c.dpi), c.perMetre) << c.dpi;
}

TEST(BmpResolution, ASavedCompositeDiffersFromTheBareBmpInBothFieldsOnly) {
    testing::TempDir dir;
    raster::RasterImage image = testing::patternImage(7, 5, 3);
    image.saveBmpFile(dir / "a.bmp");
    platform::Bytes before = platform::readWholeFile(dir / "a.bmp");
    saveComposite(image, dir / "b.bmp", 12000000);  // 1200 dpi
    platform::Bytes after = platform::readWholeFile(dir / "b.bmp");
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(readInt32(after, 38), 47233);
    EXPECT_EQ(readInt32(after, 42), 47233);
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (i >= 38 && i < 46) continue;
        ASSERT_EQ(after[i], before[i]) << "byte " << i;
    }
}

TEST(SaveComposite, AWriteThatFailsPartWayLeavesTheOldFileAndNamesTheFile) {
    const raster::RasterImage composite = testing::patternImage(400, 300, 2);
    for (const char* name : {"card.bmp", "card.jpg", "card.pdf"}) {
        SCOPED_TRACE(name);
        testing::TempDir dir;
        platform::saveWholeFile(dir / name, std::string_view("BM short"));
        try {
            testing::FileSizeLimit limit(4 << 10);  // both files are larger
            saveComposite(composite, dir / name, 2550000);
            ADD_FAILURE() << "saved past the file size limit";
        } catch (const platform::Error& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot create file \"" + (dir / name).string() + "\". Disk full");
        }
        EXPECT_EQ(platform::readWholeFile(dir / name),
                  platform::Bytes({'B', 'M', ' ', 's', 'h', 'o', 'r', 't'}));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
            << "no temporary file is left behind";
    }
}

TEST(SaveComposite, PngAndTiffCarryTheResolutionAndTheProfile) {
    testing::TempDir dir;
    const raster::RasterImage composite = testing::patternImage(31, 17, 1);
    const platform::Bytes profile = testing::wideGamutProfile();
    // 169.1 dpi: 6657.48 pixels per metre, 1691 / 10 inches.
    saveComposite(composite, dir / "card.PNG", 1691000, profile);
    saveComposite(composite, dir / "card.Tif", 1691000, profile);
    saveComposite(composite, dir / "card.jpeg", 1691000, profile);
    platform::Bytes readProfile;
    const platform::Bytes png = platform::readWholeFile(dir / "card.PNG");
    const std::uint8_t phys[] = {'p', 'H', 'Y', 's', 0, 0, 0x1A, 0x01, 0, 0, 0x1A, 0x01, 1};
    EXPECT_NE(std::search(png.begin(), png.end(), std::begin(phys), std::end(phys)), png.end());
    EXPECT_EQ(testing::describePixels(raster::decodePng(png, &readProfile)),
              testing::describePixels(composite));
    EXPECT_EQ(readProfile, profile);

    const platform::Bytes tiff = platform::readWholeFile(dir / "card.Tif");
    EXPECT_EQ(testing::describePixels(raster::decodeTiff(tiff, &readProfile)),
              testing::describePixels(composite));
    EXPECT_EQ(readProfile, profile);
    const std::uint8_t rational[] = {0x9B, 0x06, 0, 0, 10, 0, 0, 0};  // 1691, 10
    EXPECT_NE(std::search(tiff.begin(), tiff.end(), std::begin(rational), std::end(rational)),
              tiff.end());

    raster::decodeJpeg(platform::readWholeFile(dir / "card.jpeg"), raster::kDisplayBitsPerPixel,
                       &readProfile);
    EXPECT_EQ(readProfile, profile);
}

TEST(SaveComposite, BmpCarriesTheResolution) {
    testing::TempDir dir;
    raster::RasterImage composite = testing::patternImage(31, 17, 1);
    saveComposite(composite, dir / "card.jpe", 4227500);
    platform::Bytes bytes = platform::readWholeFile(dir / "card.jpe");
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(readInt32(bytes, 18), 31);
    EXPECT_EQ(readInt32(bytes, 22), 17);
    EXPECT_EQ(readInt32(bytes, 38), 16640);
    EXPECT_EQ(readInt32(bytes, 42), 16640);
    raster::RasterImage back;
    back.loadBmpFile(dir / "card.jpe");
    EXPECT_EQ(back.pixel(30, 16), composite.pixel(30, 16));
}

TEST(SaveComposite, JpegAtTheCompositesSize) {
    testing::TempDir dir;
    raster::RasterImage composite = testing::plainImage(40, 24, raster::Colour::rgb(200, 40, 40));
    saveComposite(composite, dir / "card.jpg", 2536500);
    platform::Bytes bytes = platform::readWholeFile(dir / "card.jpg");
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    raster::RasterImage back = raster::decodeJpeg(bytes);
    EXPECT_EQ(back.width(), 40);
    EXPECT_EQ(back.height(), 24);
    EXPECT_NEAR(back.pixel(20, 12).red, 200, 3);
}

TEST(SaveComposite, JpegIsTheEncodersStreamWithTheExifSegmentAfterTheJfifHeader) {
    testing::TempDir dir;
    const raster::RasterImage composite = testing::patternImage(300, 200, 4);
    for (core::FixedCount resolution : {2536500, 4227500, 3000000}) {
        SCOPED_TRACE(resolution);
        saveComposite(composite, dir / "card.jpg", resolution);
        const platform::Bytes saved = platform::readWholeFile(dir / "card.jpg");
        raster::JpegOptions options;
        options.dotsPerInch = static_cast<int>(core::nearest(core::fromFixed(resolution)));
        const platform::Bytes plain = raster::encodeJpeg(composite, options);
        const platform::Bytes exif = raster::exifResolution(exactRational(resolution));
        platform::Bytes expected(plain.begin(), plain.begin() + 20);  // SOI, JFIF header
        expected.insert(expected.end(),
                        {0xFF, 0xE1, 0, static_cast<std::uint8_t>(exif.size() + 2)});
        expected.insert(expected.end(), exif.begin(), exif.end());
        expected.insert(expected.end(), plain.begin() + 20, plain.end());
        EXPECT_TRUE(saved == expected);
    }
}

// The segments before the scan data, in file order: marker code and body (length excluded).
std::vector<std::pair<std::uint8_t, platform::Bytes>> headerSegments(const platform::Bytes& b) {
    std::vector<std::pair<std::uint8_t, platform::Bytes>> segments;
    for (std::size_t i = 2; i + 4 <= b.size() && b[i] == 0xFF && b[i + 1] != 0xDA;) {
        const std::size_t length = b[i + 2] << 8 | b[i + 3];
        if (length < 2 || i + 2 + length > b.size()) break;
        segments.emplace_back(
            b[i + 1], platform::Bytes(b.begin() + static_cast<std::ptrdiff_t>(i + 4),
                                      b.begin() + static_cast<std::ptrdiff_t>(i + 2 + length)));
        i += 2 + length;
    }
    return segments;
}

TEST(SaveComposite, JpegDensityIsTheResolutionRoundedHalfToEven) {
    // Printing and layout programs size the picture from these fields, so they carry the
    // nearest whole dpi: a composite of 253.65 dpi says 254, not 253.
    struct Case {
        core::FixedCount resolution;
        int density;
    } cases[] = {{2536500, 254}, {3006000, 301}, {1691000, 169}, {2125000, 212}, {2135000, 214}};
    testing::TempDir dir;
    const raster::RasterImage composite = testing::patternImage(16, 8, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.resolution);
        saveComposite(composite, dir / "card.jpg", c.resolution);
        const auto segments = headerSegments(platform::readWholeFile(dir / "card.jpg"));
        ASSERT_FALSE(segments.empty());
        const auto& [code, jfif] = segments.front();
        ASSERT_EQ(code, 0xE0);
        ASSERT_GE(jfif.size(), 12u);
        EXPECT_EQ(std::string(jfif.begin(), jfif.begin() + 5), std::string("JFIF\0", 5));
        EXPECT_EQ(jfif[7], 1);  // dots per inch
        EXPECT_EQ(jfif[8] << 8 | jfif[9], c.density);
        EXPECT_EQ(jfif[10] << 8 | jfif[11], c.density);
    }
}

TEST(SaveComposite, JpegCarriesTheStandardTablesScaledForQuality90) {
    // The standard base tables in natural order; quality 90 scales each entry to 20 %,
    // rounded, and the file lists them in zigzag order.
    // clang-format off
    const int base[2][64] = {
        {16, 11, 10, 16,  24,  40,  51,  61,
         12, 12, 14, 19,  26,  58,  60,  55,
         14, 13, 16, 24,  40,  57,  69,  56,
         14, 17, 22, 29,  51,  87,  80,  62,
         18, 22, 37, 56,  68, 109, 103,  77,
         24, 35, 55, 64,  81, 104, 113,  92,
         49, 64, 78, 87, 103, 121, 120, 101,
         72, 92, 95, 98, 112, 100, 103,  99},
        {17, 18, 24, 47, 99, 99, 99, 99,
         18, 21, 26, 66, 99, 99, 99, 99,
         24, 26, 56, 99, 99, 99, 99, 99,
         47, 66, 99, 99, 99, 99, 99, 99,
         99, 99, 99, 99, 99, 99, 99, 99,
         99, 99, 99, 99, 99, 99, 99, 99,
         99, 99, 99, 99, 99, 99, 99, 99,
         99, 99, 99, 99, 99, 99, 99, 99}};
    const int zigzag[64] = { 0,  1,  8, 16,  9,  2,  3, 10, 17, 24, 32, 25, 18, 11,  4,  5,
                            12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13,  6,  7, 14, 21, 28,
                            35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                            58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
    // clang-format on
    std::map<int, platform::Bytes> expected;
    for (int table = 0; table < 2; ++table) {
        platform::Bytes& entries = expected[table];
        for (int k = 0; k < 64; ++k)
            entries.push_back(static_cast<std::uint8_t>((base[table][zigzag[k]] * 20 + 50) / 100));
    }

    testing::TempDir dir;
    saveComposite(testing::patternImage(16, 8, 1), dir / "card.jpg", 2536500);
    std::map<int, platform::Bytes> written;  // table number: 64 eight-bit entries
    for (const auto& [code, body] : headerSegments(platform::readWholeFile(dir / "card.jpg"))) {
        if (code != 0xDB) continue;
        for (std::size_t i = 0; i + 65 <= body.size(); i += 65) {
            ASSERT_EQ(body[i] >> 4, 0) << "eight-bit entries";
            written[body[i] & 0x0F] =
                platform::Bytes(body.begin() + static_cast<std::ptrdiff_t>(i + 1),
                                body.begin() + static_cast<std::ptrdiff_t>(i + 65));
        }
    }
    EXPECT_EQ(written, expected);
}

TEST(SaveComposite, APictureTheEncoderRefusesGivesItsErrorAndTouchesNoFile) {
    testing::TempDir dir;
    const raster::RasterImage empty;
    for (const std::filesystem::path& path : {dir / "card.jpg", dir / "missing" / "card.jpg"}) {
        try {
            saveComposite(empty, path, 2550000);
            ADD_FAILURE() << "saved an empty picture";
        } catch (const platform::Error& e) {
            EXPECT_EQ(std::string(e.what()).rfind("JPEG error #", 0), 0u) << e.what();
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(SaveComposite, AFailedSaveLeavesTheOldFile) {
    testing::TempDir dir;
    platform::saveWholeFile(dir / "old.bmp", std::string_view("earlier content"));
    raster::RasterImage composite = testing::patternImage(4, 4, 1);
    try {
        saveComposite(composite, dir / "missing" / "card.bmp", 2550000);
        FAIL() << "saved into a missing folder";
    } catch (const platform::Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot create file", 0), 0u) << e.what();
    }
    platform::Bytes old = platform::readWholeFile(dir / "old.bmp");
    EXPECT_EQ(std::string(old.begin(), old.end()), "earlier content");
}

}  // namespace
}  // namespace lenzora::output
