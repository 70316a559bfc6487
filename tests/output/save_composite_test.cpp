#include "output/save_composite.h"

#include <gtest/gtest.h>

#include "output/bmp_resolution.h"
#include "output/jpeg_exif.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/save_file.h"
#include "raster/bmp_codec.h"
#include "raster/jpeg_codec.h"
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
    for (const Case& c : cases) EXPECT_EQ(pixelsPerMetre(c.dpi), c.perMetre);
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
    for (const char* name : {"card.bmp", "card.jpg"}) {
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

TEST(SaveComposite, OnlyLowerCaseJpgIsJpeg) {
    struct Case {
        const char* name;
        bool jpeg;
    } cases[] = {{"card.jpg", true},      {"/a/b/card.jpg", true}, {"card.JPG", false},
                 {"card.Jpg", false},     {"card.jpeg", false},    {"my.dir\\card", false},
                 {"/my.jpg/card", false}, {"card.png", false},     {".jpg", true}};
    for (const Case& c : cases) EXPECT_EQ(isJpegName(c.name), c.jpeg) << c.name;
}

TEST(SaveComposite, BmpCarriesTheResolution) {
    testing::TempDir dir;
    raster::RasterImage composite = testing::patternImage(31, 17, 1);
    saveComposite(composite, dir / "card.JPG", 4227500);
    platform::Bytes bytes = platform::readWholeFile(dir / "card.JPG");
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(readInt32(bytes, 18), 31);
    EXPECT_EQ(readInt32(bytes, 22), 17);
    EXPECT_EQ(readInt32(bytes, 38), 16640);
    EXPECT_EQ(readInt32(bytes, 42), 16640);
    raster::RasterImage back;
    back.loadBmpFile(dir / "card.JPG");
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
        const platform::Bytes exif = exifResolution(resolution);
        platform::Bytes expected(plain.begin(), plain.begin() + 20);  // SOI, JFIF header
        expected.insert(expected.end(),
                        {0xFF, 0xE1, 0, static_cast<std::uint8_t>(exif.size() + 2)});
        expected.insert(expected.end(), exif.begin(), exif.end());
        expected.insert(expected.end(), plain.begin() + 20, plain.end());
        EXPECT_TRUE(saved == expected);
    }
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
