#include "frames/load_frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "platform/drive_paths.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/save_file.h"
#include "raster/png_codec.h"
#include "raster/tiff_codec.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

namespace lenzora::frames {
namespace {

class LoadFrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::setDriveRoot(root_.path());
        std::filesystem::create_directories(root_ / "c" / "lz3d");
    }
    void TearDown() override { platform::setDriveRoot({}); }
    std::filesystem::path workingCopy(int slot) {
        char name[16];
        std::snprintf(name, sizeof name, "t%02d.bmp", slot);
        return root_ / "c" / "lz3d" / name;
    }
    testing::TempDir root_;
};

TEST_F(LoadFrameTest, JpegBecomesAWorkingCopyAtItsOwnSize) {
    testing::writeJpeg(root_ / "photo.JPG", testing::plainImage(300, 900, raster::kBlack));
    std::string slotPath;
    raster::RasterImage thumbnail;
    ASSERT_EQ(loadFrameFile(slotPath, (root_ / "photo.JPG").string(), 7, thumbnail),
              FrameLoadResult::Loaded);
    EXPECT_EQ(slotPath, "c:\\lz3d\\t07.bmp");
    raster::RasterImage copy;
    copy.loadBmpFile(workingCopy(7));
    EXPECT_EQ(copy.width(), 300);
    EXPECT_EQ(copy.height(), 900);
    EXPECT_EQ(copy.format(), raster::PixelFormat::Bgr24);
    EXPECT_EQ(std::filesystem::file_size(workingCopy(7)), 54u + 900u * 900u);
    // Squeezed whole into 65 x 57, whatever its proportions.
    EXPECT_EQ(thumbnail.width(), 65);
    EXPECT_EQ(thumbnail.height(), 57);
    EXPECT_EQ(thumbnail.pixel(0, 0), raster::kBlack);
    EXPECT_EQ(thumbnail.pixel(64, 56), raster::kBlack);
}

TEST_F(LoadFrameTest, PngAndTiffBecomeWorkingCopies) {
    const raster::RasterImage picture = testing::patternImage(30, 20, 3);
    platform::saveWholeFile(root_ / "frame.PNG", raster::encodePng(picture));
    platform::saveWholeFile(root_ / "frame.tiff", raster::encodeTiff(picture));
    int slot = 5;
    for (const char* name : {"frame.PNG", "frame.tiff"}) {
        std::string slotPath;
        raster::RasterImage thumbnail;
        ASSERT_EQ(loadFrameFile(slotPath, (root_ / name).string(), slot, thumbnail),
                  FrameLoadResult::Loaded)
            << name;
        EXPECT_EQ(slotPath, "c:\\lz3d\\t0" + std::to_string(slot) + ".bmp");
        raster::RasterImage copy;
        copy.loadBmpFile(workingCopy(slot));
        EXPECT_EQ(testing::describePixels(copy), testing::describePixels(picture)) << name;
        EXPECT_EQ(thumbnail.width(), kThumbnailWidth);
        ++slot;
    }
}

// A 1-bit frame is stretched with black winning, whatever file it came in: a one-pixel
// line survives a shrinking to a quarter, in the frame handed back and in the slot's file.
TEST_F(LoadFrameTest, AOneBitFrameKeepsItsThinLinesWhenShrunkInEveryFormat) {
    raster::RasterImage line;
    line.create(raster::PixelFormat::Indexed1, 64, 8);
    line.setFillColour(raster::kBlack);
    line.setLineColour(raster::kBlack);
    line.drawRectangle(13, 0, 14, 8);
    testing::writeBmp(root_ / "line.bmp", line);
    platform::saveWholeFile(root_ / "line.png", raster::encodePng(line));
    platform::saveWholeFile(root_ / "line.tif", raster::encodeTiff(line));
    int slot = 1;
    for (const char* name : {"line.bmp", "line.png", "line.tif"}) {
        SCOPED_TRACE(name);
        std::string slotPath;
        raster::RasterImage thumbnail;
        raster::RasterImage frame;
        ASSERT_EQ(loadFrameFileKeeping(slotPath, (root_ / name).string(), slot++, thumbnail, frame),
                  FrameLoadResult::Loaded);
        raster::RasterImage slotFile;
        slotFile.loadBmpFile(platform::hostPath(slotPath));
        for (const raster::RasterImage* source : {&frame, &slotFile}) {
            raster::RasterImage shrunk;
            shrunk.create(raster::PixelFormat::Bgr24, 16, 8);
            shrunk.stretchImage({0, 0, 16, 8}, *source);
            EXPECT_EQ(shrunk.pixel(3, 4), raster::kBlack);
            EXPECT_EQ(shrunk.pixel(4, 4), raster::kWhite);
        }
    }
}

TEST_F(LoadFrameTest, BmpIsUsedWhereItLies) {
    testing::writeBmp(root_ / "frame.bmp", testing::plainImage(40, 30, raster::kBlack));
    std::string slotPath;
    raster::RasterImage thumbnail;
    ASSERT_EQ(loadFrameFile(slotPath, (root_ / "frame.bmp").string(), 2, thumbnail),
              FrameLoadResult::Loaded);
    EXPECT_EQ(slotPath, (root_ / "frame.bmp").string());
    EXPECT_FALSE(platform::fileExists(workingCopy(2)));
    EXPECT_EQ(thumbnail.pixel(32, 28), raster::kBlack);
}

TEST_F(LoadFrameTest, UnacceptedExtensionEmptiesTheSlotOnly) {
    testing::writeBmp(root_ / "frame.bmp", testing::plainImage(40, 30, raster::kBlack));
    std::string slotPath;
    raster::RasterImage thumbnail;
    loadFrameFile(slotPath, (root_ / "frame.bmp").string(), 3, thumbnail);
    std::filesystem::copy_file(root_ / "frame.bmp", root_ / "frame.gif");
    EXPECT_EQ(loadFrameFile(slotPath, (root_ / "frame.gif").string(), 3, thumbnail),
              FrameLoadResult::FormatError);
    EXPECT_EQ(slotPath, "");
    EXPECT_EQ(thumbnail.pixel(10, 10), raster::kBlack) << "the thumbnail keeps the earlier frame";
}

TEST_F(LoadFrameTest, UnreadableFilesThrowWithTheSlotNamingThem) {
    std::ofstream(root_ / "broken.bmp") << "BM this is no bitmap";
    std::ofstream(root_ / "broken.jpg") << "\xFF\xD8\xFF garbage";
    std::ofstream(root_ / "broken.png") << "\x89PNG\r\n\x1a\n garbage";
    std::ofstream(root_ / "broken.tif") << "II*\x00 garbage";
    const std::string missing = (root_ / "missing.jpg").string();
    for (const std::string& chosen :
         {(root_ / "broken.bmp").string(), (root_ / "broken.jpg").string(),
          (root_ / "broken.png").string(), (root_ / "broken.tif").string(), missing}) {
        std::string slotPath = "c:\\lz3d\\t04.bmp";
        raster::RasterImage thumbnail;
        EXPECT_THROW(loadFrameFile(slotPath, chosen, 4, thumbnail), platform::Error) << chosen;
        EXPECT_EQ(slotPath, chosen);
        EXPECT_TRUE(thumbnail.empty());
        EXPECT_FALSE(platform::fileExists(workingCopy(4)));
    }
}

// Takes every frame offered, or none, and puts the bands it gets back together.
class CollectedBands final : public FrameBands {
  public:
    explicit CollectedBands(bool takes) : takes_(takes) {}
    bool takeInBands(std::int32_t width, std::int32_t height) override {
        if (takes_) frame.create(raster::PixelFormat::Bgr24, width, height);
        return takes_;
    }
    void band(std::int32_t top, const raster::RasterImage& band, std::int32_t count) override {
        EXPECT_EQ(top, next_);
        for (std::int32_t y = 0; y < count; ++y)
            std::memcpy(frame.row(top + y), band.row(y), frame.stride());
        next_ = top + count;
    }
    raster::RasterImage frame;

  private:
    bool takes_;
    std::int32_t next_ = 0;
};

// A JPEG frame taken in bands gives the bands, working copy, thumbnail and slot path of the
// frame loaded whole: odd row padding, frames smaller than the thumbnail, several bands, CMYK.
// A grey frame (8-bit) is never offered, and a frame not taken comes back whole.
TEST_F(LoadFrameTest, AFrameTakenInBandsGivesTheFilesOfTheWholeFrame) {
    testing::writeJpeg(root_ / "tall.jpg", testing::patternImage(101, 300, 1));
    testing::writeJpeg(root_ / "small.jpg", testing::patternImage(20, 10, 2));
    struct Case {
        std::string path;
        bool offered;
    } cases[] = {
        {(root_ / "tall.jpg").string(), true},
        {(root_ / "small.jpg").string(), true},
        {LENZORA_TEST_DATA "/cmyk-adobe-red-blue.jpg", true},
        {LENZORA_TEST_DATA "/grey-ramp.jpg", false},
    };
    for (const Case& c : cases) {
        std::string wholePath;
        raster::RasterImage wholeThumbnail, whole;
        loadFrameFileKeeping(wholePath, c.path, 3, wholeThumbnail, whole);
        const platform::Bytes wholeCopy = platform::readWholeFile(workingCopy(3));
        std::filesystem::remove(workingCopy(3));
        for (bool takes : {true, false}) {
            const bool taken = takes && c.offered;
            std::string slotPath;
            raster::RasterImage thumbnail, frame;
            CollectedBands bands(takes);
            ASSERT_EQ(loadFrameFileInBands(slotPath, c.path, 3, thumbnail, frame, bands),
                      FrameLoadResult::Loaded);
            const std::string how = c.path + (takes ? ", taken" : ", not taken");
            EXPECT_EQ(frame.empty(), taken) << how;
            EXPECT_EQ(testing::describePixels(taken ? bands.frame : frame),
                      testing::describePixels(whole))
                << how;
            EXPECT_TRUE(platform::readWholeFile(workingCopy(3)) == wholeCopy) << how;
            EXPECT_EQ(testing::describePixels(thumbnail), testing::describePixels(wholeThumbnail))
                << how;
            EXPECT_EQ(slotPath, wholePath) << how;
        }
    }
}

}  // namespace
}  // namespace lenzora::frames
