// Frames stand upright by the orientation their camera recorded, whichever way they are read.

#include <gtest/gtest.h>

#include <cstdlib>

#include "frames/load_frame.h"
#include "platform/drive_paths.h"
#include "platform/file_io.h"
#include "platform/save_file.h"
#include "raster/jpeg_codec.h"
#include "raster/png_codec.h"
#include "support/encoded_pictures.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

namespace lenzora::frames {
namespace {

// The picture as it stands upright, and as a camera stores it for each orientation: the
// squares of "RGB/YKW" turned by hand.
constexpr const char* kUpright = "RGB/YKW";
struct Stored {
    int orientation;
    const char* grid;
};
constexpr Stored kStored[] = {
    {1, "RGB/YKW"},  {2, "BGR/WKY"},  {3, "WKY/BGR"},  {4, "YKW/RGB"},
    {5, "RY/GK/BW"}, {6, "BW/GK/RY"}, {7, "WB/KG/YR"}, {8, "YR/KG/WB"},
};
constexpr std::int32_t kJpegBlock = 8;

bool near(raster::Colour got, raster::Colour want) {
    return std::abs(got.red - want.red) <= 24 && std::abs(got.green - want.green) <= 24 &&
           std::abs(got.blue - want.blue) <= 24;
}

// Whether every square of the picture shows the colour `grid` gives it, near enough for a JPEG.
::testing::AssertionResult showsGrid(const raster::RasterImage& picture, const std::string& grid,
                                     std::int32_t block) {
    const raster::RasterImage expected = testing::gridImage(grid, block);
    if (picture.width() != expected.width() || picture.height() != expected.height()) {
        return ::testing::AssertionFailure() << picture.width() << " x " << picture.height()
                                             << " instead of " << testing::describePixels(expected);
    }
    for (std::int32_t y = block / 2; y < picture.height(); y += block) {
        for (std::int32_t x = block / 2; x < picture.width(); x += block) {
            const raster::Colour got = picture.pixel(x, y);
            const raster::Colour want = expected.pixel(x, y);
            if (!near(got, want)) {
                return ::testing::AssertionFailure()
                       << "square at " << x << ", " << y << " is " << int(got.red) << ","
                       << int(got.green) << "," << int(got.blue);
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// Takes every frame offered and keeps the bands it gets.
class KeptBands final : public FrameBands {
  public:
    bool takeInBands(std::int32_t width, std::int32_t height) override {
        frame.create(raster::PixelFormat::Bgr24, width, height);
        return true;
    }
    void band(std::int32_t top, const raster::RasterImage& band, std::int32_t count) override {
        frame.copyArea({0, top, frame.width(), top + count}, band, {0, 0, band.width(), count});
    }
    raster::RasterImage frame;
};

class UprightPhotos : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::setDriveRoot(root_.path());
        std::filesystem::create_directories(root_ / "c" / "lz3d");
    }
    void TearDown() override {
        setUprightPhotos(true);
        platform::setDriveRoot({});
    }
    // A JPEG of the stored grid carrying `orientation` in its Exif block.
    std::string jpegOf(const Stored& stored, bool bigEndian) {
        raster::JpegOptions options;
        options.exif = testing::orientationExif(stored.orientation, bigEndian);
        const auto path = root_ / ("o" + std::to_string(stored.orientation) + ".jpg");
        platform::saveWholeFile(
            path, raster::encodeJpeg(testing::gridImage(stored.grid, kJpegBlock), options));
        return path.string();
    }
    raster::RasterImage workingCopy(int slot) {
        raster::RasterImage copy;
        copy.loadBmpFile(root_ / "c" / "lz3d" / ("t0" + std::to_string(slot) + ".bmp"));
        return copy;
    }
    testing::TempDir root_;
};

// Each orientation, in either byte order: the working copy, the thumbnail and the frame handed
// to a compose stand upright; only a frame stored upright is taken in bands.
TEST_F(UprightPhotos, AJpegOfEachOrientationLoadsUpright) {
    for (const Stored& stored : kStored) {
        const bool bigEndian = stored.orientation % 2 == 0;
        const std::string path = jpegOf(stored, bigEndian);
        const std::string how = "orientation " + std::to_string(stored.orientation);

        std::string slotPath;
        raster::RasterImage thumbnail;
        ASSERT_EQ(loadFrameFile(slotPath, path, 1, thumbnail), FrameLoadResult::Loaded) << how;
        EXPECT_TRUE(showsGrid(workingCopy(1), kUpright, kJpegBlock)) << how;
        // Squeezed into 65 x 57: red at the top left, white at the bottom right.
        EXPECT_TRUE(near(thumbnail.pixel(0, 0), raster::Colour::rgb(255, 0, 0))) << how;
        EXPECT_TRUE(near(thumbnail.pixel(64, 56), raster::kWhite)) << how;

        raster::RasterImage frame;
        KeptBands bands;
        ASSERT_EQ(loadFrameFileInBands(slotPath, path, 2, thumbnail, frame, bands),
                  FrameLoadResult::Loaded)
            << how;
        EXPECT_EQ(frame.empty(), stored.orientation == 1) << how;
        EXPECT_TRUE(showsGrid(frame.empty() ? bands.frame : frame, kUpright, kJpegBlock)) << how;
        EXPECT_EQ(testing::describePixels(workingCopy(2)), testing::describePixels(workingCopy(1)))
            << how;
    }
}

// Lossless frames stand upright pixel for pixel: a TIFF turned half round in its own rows, a
// 1-bit TIFF transposed, a PNG whose eXIf chunk (a bare TIFF structure) turns it a quarter.
TEST_F(UprightPhotos, TiffAndPngFramesLoadUpright) {
    const auto recipe = [](const raster::RasterImage& picture, int orientation) {
        testing::TiffRecipe r;
        r.width = static_cast<std::uint32_t>(picture.width());
        r.height = static_cast<std::uint32_t>(picture.height());
        const bool oneBit = picture.format() == raster::PixelFormat::Indexed1;
        r.photometric = oneBit ? 1 : 2;  // min is black, RGB
        r.bits = oneBit ? 1 : 8;
        r.samplesPerPixel = oneBit ? 1 : 3;
        for (std::int32_t y = 0; y < picture.height(); ++y) {
            for (std::int32_t x = 0; x < picture.width(); ++x) {
                const raster::Colour c = picture.pixel(x, y);
                if (oneBit) {
                    r.samples.push_back(c == raster::kWhite ? 1 : 0);
                } else {
                    r.samples.insert(r.samples.end(), {c.red, c.green, c.blue});
                }
            }
        }
        r.orientation = orientation;
        return r;
    };
    const auto png = [&](const raster::RasterImage& picture, int orientation) {
        testing::PngRecipe p;
        const testing::TiffRecipe t = recipe(picture, 0);
        p.width = t.width;
        p.height = t.height;
        p.samples = t.samples;
        p.exif = testing::orientationExif(orientation, true, false);
        return testing::makePng(p);
    };
    struct Case {
        const char* name;
        platform::Bytes file;
        const char* upright;
        bool oneBit;
    } cases[] = {
        {"half.tif", testing::makeTiff(recipe(testing::gridImage("WKY/BGR", 3), 3)), kUpright,
         false},
        {"bits.tif", testing::makeTiff(recipe(testing::gridImage("KK/KW/WW", 3, true), 5)),
         "KKW/KWW", true},
        {"left.png", png(testing::gridImage("YR/KG/WB", 3), 8), kUpright, false},
    };
    for (const Case& c : cases) {
        platform::saveWholeFile(root_ / c.name, c.file);
        std::string slotPath;
        raster::RasterImage thumbnail, frame;
        ASSERT_EQ(loadFrameFileKeeping(slotPath, (root_ / c.name).string(), 3, thumbnail, frame),
                  FrameLoadResult::Loaded)
            << c.name;
        const std::string want =
            testing::describePixels(testing::gridImage(c.upright, 3, c.oneBit));
        EXPECT_EQ(testing::describePixels(frame), want) << c.name;
        EXPECT_EQ(testing::describePixels(workingCopy(3)), want) << c.name;
        EXPECT_EQ(frame.format(),
                  c.oneBit ? raster::PixelFormat::Indexed1 : raster::PixelFormat::Bgr24)
            << c.name;
    }
}

// With the switch off, frames are taken as stored, as before orientations were read: a turned
// JPEG goes to the bands as it is.
TEST_F(UprightPhotos, TheSwitchOffKeepsTheStoredPicture) {
    setUprightPhotos(false);
    const std::string path = jpegOf(kStored[5], false);
    std::string slotPath;
    raster::RasterImage thumbnail, frame;
    KeptBands bands;
    ASSERT_EQ(loadFrameFileInBands(slotPath, path, 1, thumbnail, frame, bands),
              FrameLoadResult::Loaded);
    EXPECT_TRUE(frame.empty());
    EXPECT_TRUE(showsGrid(bands.frame, kStored[5].grid, kJpegBlock));
    EXPECT_TRUE(showsGrid(workingCopy(1), kStored[5].grid, kJpegBlock));
}

}  // namespace
}  // namespace lenzora::frames
