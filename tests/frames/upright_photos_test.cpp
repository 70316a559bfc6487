// Frames stand upright by the orientation their camera recorded, however they are read.

#include <gtest/gtest.h>

#include <tuple>

#include "frames/load_frame.h"
#include "platform/drive_paths.h"
#include "platform/save_file.h"
#include "raster/jpeg_codec.h"
#include "support/encoded_pictures.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

namespace lenzora::frames {
namespace {

// Takes every frame offered and keeps the bands it gets.
struct KeptBands final : FrameBands {
    bool takeInBands(std::int32_t width, std::int32_t height) override {
        frame.create(raster::PixelFormat::Bgr24, width, height);
        return true;
    }
    void band(std::int32_t top, const raster::RasterImage& band, std::int32_t count) override {
        frame.copyArea({0, top, frame.width(), top + count}, band, {0, 0, band.width(), count});
    }
    raster::RasterImage frame;
};

// Each orientation of a JPEG (both byte orders), a TIFF turned in its own rows, a 1-bit TIFF and
// a PNG's eXIf chunk: the working copy, thumbnail and frame for a compose stand upright, and
// only a JPEG stored upright is taken in bands. With the switch off, all stay as stored.
TEST(UprightPhotos, EveryWayAFrameIsReadStandsUpright) {
    testing::TempDir root;
    platform::setDriveRoot(root.path());
    std::filesystem::create_directories(root / "c" / "lz3d");
    struct Case {
        const char* name;
        int orientation;
        const char* stored;  // the squares of "RGB/YKW" (bits: "KKW/KWW") turned by hand
        int block = 8;
        const char* upright = "RGB/YKW";
    } cases[] = {
        {"1.jpg", 1, "RGB/YKW"},        {"2.jpg", 2, "BGR/WKY"},
        {"3.jpg", 3, "WKY/BGR"},        {"4.jpg", 4, "YKW/RGB"},
        {"5.jpg", 5, "RY/GK/BW"},       {"6.jpg", 6, "BW/GK/RY"},
        {"7.jpg", 7, "WB/KG/YR"},       {"8.jpg", 8, "YR/KG/WB"},
        {"half.tif", 3, "WKY/BGR", 1},  {"bits.tif", 5, "KK/KW/WW", 1, "KKW/KWW"},
        {"left.png", 8, "YR/KG/WB", 1},
    };
    for (const Case& c : cases) {
        const std::string name = c.name;
        const bool oneBit = name == "bits.tif";
        const raster::RasterImage stored = testing::gridImage(c.stored, c.block, oneBit);
        testing::PngRecipe png;
        png.width = static_cast<std::uint32_t>(stored.width());
        png.height = static_cast<std::uint32_t>(stored.height());
        for (std::int32_t i = 0; i < stored.width() * stored.height(); ++i) {
            const raster::Colour p = stored.pixel(i % stored.width(), i / stored.width());
            if (oneBit) png.samples.push_back(p == raster::kWhite);
            if (!oneBit) png.samples.insert(png.samples.end(), {p.red, p.green, p.blue});
        }
        png.exif = testing::orientationExif(c.orientation, true, false);
        testing::TiffRecipe tiff;
        std::tie(tiff.width, tiff.height, tiff.samples) =
            std::tie(png.width, png.height, png.samples);
        if (oneBit) tiff.photometric = tiff.bits = tiff.samplesPerPixel = 1;
        tiff.orientation = c.orientation;
        raster::JpegOptions jpeg;
        jpeg.exif = testing::orientationExif(c.orientation, c.orientation % 2 == 0);
        const platform::Bytes file = name.ends_with(".jpg")   ? raster::encodeJpeg(stored, jpeg)
                                     : name.ends_with(".tif") ? testing::makeTiff(tiff)
                                                              : testing::makePng(png);
        platform::saveWholeFile(root / name, file);
        for (bool upright : {true, false}) {
            SCOPED_TRACE(name + (upright ? "" : ", switched off"));
            setUprightPhotos(upright);
            const std::string expected = upright ? c.upright : c.stored;
            std::string slotPath;
            raster::RasterImage thumbnail, frame, copy;
            ASSERT_EQ(loadFrameFile(slotPath, (root / name).string(), 1, thumbnail),
                      FrameLoadResult::Loaded);
            copy.loadBmpFile(root / "c" / "lz3d" / "t01.bmp");
            EXPECT_EQ(testing::gridOf(copy, c.block), expected);
            EXPECT_EQ(testing::gridOf(thumbnail, 1)[0], expected[0]);  // the top left
            KeptBands bands;
            loadFrameFileInBands(slotPath, (root / name).string(), 2, thumbnail, frame, bands);
            EXPECT_EQ(frame.empty(), name.ends_with(".jpg") && (c.orientation == 1 || !upright));
            EXPECT_EQ(testing::gridOf(frame.empty() ? bands.frame : frame, c.block), expected);
        }
    }
    setUprightPhotos(true);
    platform::setDriveRoot({});
}

}  // namespace
}  // namespace lenzora::frames
