// Several files into slots in a file list's order, and frames moved between slots with the
// working copies that each slot owns.

#include <gtest/gtest.h>

#include "compose/compose_session.h"
#include "core/working_files.h"
#include "frames/slot_fill.h"
#include "platform/drive_paths.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

namespace lenzora::compose {
namespace {

TEST(SlotFillTest, FilesOfAcceptedKindsInNameOrderTakeTheSlotsGiven) {
    const frames::SlotFill fill =
        frames::planSlotFill({"/b/f10.jpg", "/b/notes.txt", "/b/f2.bmp", "/b/img10a.bmp",
                              "/a/F2.BMP", "/b/f1.TIF", "/b/img2b.bmp"},
                             {3, 5, 14, 15, 16});
    const std::vector<std::pair<int, std::string>> loads = {{3, "/b/f1.TIF"},
                                                            {5, "/a/F2.BMP"},
                                                            {14, "/b/f2.bmp"},
                                                            {15, "/b/f10.jpg"},
                                                            {16, "/b/img2b.bmp"}};
    EXPECT_EQ(fill.loads, loads);
    EXPECT_EQ(fill.refused, 1);
    EXPECT_EQ(fill.leftOut, 1);
}

// A slot refilled from a BMP file leaves its old working copy behind; a swap must neither give
// it to a slot nor leave a slot naming another slot's copy, which a later load would overwrite.
TEST(SlotRearrangeTest, WorkingCopiesFollowTheirFramesAndStayTheirSlots) {
    lenzora::testing::TempDir root;
    platform::setDriveRoot(root.path());
    std::filesystem::create_directories(root / "c" / "lz3d");
    auto frame = [&](int tag, const char* kind) {
        const auto path = root / (std::to_string(tag) + kind);
        const auto picture = lenzora::testing::patternImage(20 + tag, 4, tag);
        if (kind == std::string(".jpg")) lenzora::testing::writeJpeg(path, picture);
        if (kind == std::string(".bmp")) lenzora::testing::writeBmp(path, picture);
        return path.string();
    };
    core::OutputSettings settings;
    ComposeSession session(settings);
    auto tags = [&] {  // the frame each of slots 1 ... 4 names; 0 empty
        std::vector<int> shown;
        for (int slot = 1; slot <= 4; ++slot) {
            const std::string& path = session.frameSlots()[slot];
            EXPECT_TRUE(!path.starts_with("c:") || path == core::workingCopyPath(slot)) << path;
            raster::RasterImage picture;
            if (!path.empty()) picture.loadBmpFile(platform::hostPath(path));
            shown.push_back(path.empty() ? 0 : picture.width() - 20);
        }
        return shown;
    };
    session.loadFrame(1, frame(1, ".jpg"));
    session.loadFrame(2, frame(2, ".jpg"));
    session.loadFrame(2, frame(3, ".bmp"));
    session.loadFrame(4, frame(4, ".jpg"));
    EXPECT_TRUE(session.swapSlots(4, 2));
    EXPECT_EQ(tags(), (std::vector<int>{1, 4, 0, 3}));
    EXPECT_EQ(settings.frameCount, 4);
    session.loadFrame(4, frame(5, ".jpg"));
    EXPECT_EQ(tags(), (std::vector<int>{1, 4, 0, 5}));
    session.reverseFrames();
    EXPECT_EQ(tags(), (std::vector<int>{5, 4, 0, 1}));
    session.clearSlot(4);
    EXPECT_EQ(tags(), (std::vector<int>{5, 4, 0, 0}));
    EXPECT_TRUE(session.thumbnail(4).empty());
    EXPECT_FALSE(std::filesystem::exists(platform::hostPath(core::workingCopyPath(4))));
    EXPECT_EQ(settings.frameCount, 4);
    platform::setDriveRoot({});
}

}  // namespace
}  // namespace lenzora::compose
