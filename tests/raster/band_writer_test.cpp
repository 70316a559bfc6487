// Pictures written band by band: the whole writer's file whatever the bands, a BigTIFF from
// its limit on, nothing left of an abandoned or refused one.

#include <gtest/gtest.h>

#include <tiffio.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "platform/save_file.h"
#include "raster/band_writers.h"
#include "raster/picture_formats.h"
#include "support/encoded_pictures.h"
#include "support/temp_dir.h"

namespace lenzora::raster {
namespace {

namespace fs = std::filesystem;

const ExactDpi kDpi{1691, 10};
const std::string kEarlier = "earlier content";

RasterImage picture() {
    RasterImage image;
    image.create(PixelFormat::Bgr24, 37, 23);
    for (std::int32_t y = 0; y < image.height(); ++y)
        for (std::size_t i = 0; i < 3 * 37; ++i)
            image.row(y)[i] = static_cast<std::uint8_t>(i * 7 + static_cast<std::size_t>(y) * 31);
    return image;
}

bool samePixels(const RasterImage& a, const RasterImage& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (std::int32_t y = 0; y < a.height(); ++y)
        if (!std::equal(a.row(y), a.row(y) + 3 * std::size_t{37}, b.row(y))) return false;
    return true;
}

// Bands of 1, 5 and the rest, each held in an image two rows taller whose last rows are grey,
// with bytes in the rows' padding (a file's padding is zero).
void writeBands(BandWriter& writer, const RasterImage& image) {
    std::int32_t top = 0;
    for (const std::int32_t count : {1, 5, image.height() - 6}) {
        RasterImage band;
        band.create(PixelFormat::Bgr24, image.width(), count + 2);
        band.setFillColour(Colour::rgb(90, 90, 90));
        band.drawRectangle(0, 0, band.width(), band.height());
        band.copyArea({0, 0, image.width(), count}, image, {0, top, image.width(), top + count});
        for (std::int32_t y = 0; y < band.height(); ++y) band.row(y)[3 * 37] = 0xAB;
        writer.write(band, count);
        top += count;
    }
    writer.commit();
}

std::uint64_t little(const platform::Bytes& bytes, std::uint64_t at, int size) {
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes.at(at + std::uint64_t(i));
    return value;
}

// The XResolution fraction as a TIFF or BigTIFF file holds it.
std::pair<std::uint64_t, std::uint64_t> storedFraction(const platform::Bytes& file) {
    const bool big = little(file, 2, 2) == 43;
    const int word = big ? 8 : 4;
    const std::uint64_t ifd = little(file, word, word);
    for (std::uint64_t i = 0; i < little(file, ifd, big ? 8 : 2); ++i) {
        const std::uint64_t entry = ifd + (big ? 8 : 2) + (big ? 20 : 12) * i;
        if (little(file, entry, 2) != TIFFTAG_XRESOLUTION) continue;
        const std::uint64_t value = big ? entry + 12 : little(file, entry + 8, 4);
        return {little(file, value, 4), little(file, value + 4, 4)};
    }
    return {0, 0};
}

TEST(BandWriters, GiveTheWholeWritersFileForAnyBands) {
    const RasterImage image = picture();
    const platform::Bytes profile = testing::srgbProfile();
    for (const char* name : {"p.bmp", "p.jpg", "p.png", "p.tif"}) {
        SCOPED_TRACE(name);
        testing::TempDir dir;
        const PictureFormat& format = saveFormatFor(name, SavedPicture::Composite);
        ASSERT_NE(format.openBandWriter, nullptr);
        format.writeComposite(image, kDpi, profile, dir / "whole");
        writeBands(*format.openBandWriter(dir / name, 37, 23, kDpi, profile), image);
        EXPECT_EQ(platform::readWholeFile(dir / name), platform::readWholeFile(dir / "whole"));
        // The whole writer writes through the band writer too: the pixels read back tell that
        // both are right (JPEG's bytes are pinned by golden_outputs instead).
        if (format.name != "jpeg") {
            EXPECT_TRUE(samePixels(format.read(dir / name, nullptr, nullptr), image));
        }
    }
}

TEST(BandWriters, PixelDataFromTheLimitOnMakeAnUncompressedBigTiff) {
    const RasterImage image = picture();
    const platform::Bytes profile = testing::srgbProfile();
    const std::uint64_t pixelBytes = 3 * 37 * 23;
    for (const std::uint64_t limit : {pixelBytes, pixelBytes + 1}) {
        const bool big = limit == pixelBytes;
        SCOPED_TRACE(big ? "BigTIFF" : "TIFF");
        testing::TempDir dir;
        const fs::path path = dir / "p.tif";
        writeBands(*openTiffBandWriter(path, 37, 23, kDpi, profile, limit), image);
        std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(TIFFOpen(path.c_str(), "r"), TIFFClose);
        ASSERT_TRUE(tiff);
        EXPECT_EQ(TIFFIsBigTIFF(tiff.get()) != 0, big);
        std::uint16_t compression = 0;
        TIFFGetField(tiff.get(), TIFFTAG_COMPRESSION, &compression);
        EXPECT_EQ(compression, big ? COMPRESSION_NONE : COMPRESSION_ADOBE_DEFLATE);
        RasterImage back;
        back.create(PixelFormat::Bgr24, 37, 23);
        for (std::int32_t y = 0; y < 23; ++y) {
            ASSERT_EQ(TIFFReadScanline(tiff.get(), back.row(y), static_cast<std::uint32_t>(y), 0),
                      1);
            for (std::size_t x = 0; x < 37; ++x)
                std::swap(back.row(y)[3 * x], back.row(y)[3 * x + 2]);
        }
        EXPECT_TRUE(samePixels(back, image));
        std::uint32_t length = 0;
        const std::uint8_t* stored = nullptr;
        ASSERT_TRUE(TIFFGetField(tiff.get(), TIFFTAG_ICCPROFILE, &length, &stored));
        EXPECT_EQ(platform::Bytes(stored, stored + length), profile);
        EXPECT_EQ(storedFraction(platform::readWholeFile(path)),
                  (std::pair<std::uint64_t, std::uint64_t>{1691, 10}));
    }
}

TEST(BandWriters, AnAbandonedOrRefusedPictureLeavesTheEarlierFile) {
    const RasterImage image = picture();
    struct Case {
        const char* name;
        std::int32_t width;
        std::int32_t height;
        bool refused;
    };
    for (const Case& c :
         {Case{"p.bmp", 37, 23, false}, Case{"p.jpg", 37, 23, false}, Case{"p.png", 37, 23, false},
          Case{"p.tif", 37, 23, false}, Case{"p.bmp", 37838, 37838, true},
          Case{"p.jpg", 65501, 1, true}, Case{"p.jpg", 1, 65501, true}}) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.width));
        testing::TempDir dir;
        platform::saveWholeFile(dir / c.name, kEarlier);
        const BandWriterOpener open = saveFormatFor(c.name, SavedPicture::Composite).openBandWriter;
        try {
            open(dir / c.name, c.width, c.height, kDpi, {})->write(image, 5);
            EXPECT_FALSE(c.refused) << "not refused";
        } catch (const platform::Error& e) {
            EXPECT_TRUE(c.refused) << e.what();
            EXPECT_STREQ(e.what(), "Output size too large!");
        }
        EXPECT_EQ(platform::readWholeFile(dir / c.name),
                  platform::Bytes(kEarlier.begin(), kEarlier.end()));
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    }
}

TEST(BandWriters, ABandThatDoesNotContinueThePictureIsTheCallersMistake) {
    const RasterImage image = picture();
    RasterImage narrow, grey;
    narrow.create(PixelFormat::Bgr24, 36, 23);
    grey.create(PixelFormat::Indexed8, 37, 23);
    const std::vector<std::pair<const char*, std::function<void(BandWriter&)>>> cases = {
        {"past the last row", [&](BandWriter& w) { w.write(image, 20), w.write(image, 4); }},
        {"more rows than the band", [&](BandWriter& w) { w.write(image, 24); }},
        {"another width", [&](BandWriter& w) { w.write(narrow, 1); }},
        {"another format", [&](BandWriter& w) { w.write(grey, 1); }},
        {"committed early", [&](BandWriter& w) { w.write(image, 22), w.commit(); }},
    };
    for (const auto& [what, steps] : cases) {
        SCOPED_TRACE(what);
        testing::TempDir dir;
        EXPECT_THROW(steps(*openPngBandWriter(dir / "p.png", 37, 23, kDpi, {})), std::logic_error);
        EXPECT_TRUE(fs::is_empty(dir.path()));
    }
}

}  // namespace
}  // namespace lenzora::raster
