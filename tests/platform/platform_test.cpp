#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/drive_paths.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/handler_guard.h"
#include "platform/interruption.h"
#include "platform/io_error.h"
#include "platform/save_file.h"
#include "platform/services.h"
#include "platform/testing/scripted_services.h"
#include "support/temp_dir.h"

namespace lenzora::platform {
namespace {

TEST(DrivePaths, MapTheDriveFolderUnderTheRoot) {
    lenzora::testing::TempDir root;
    platform::setDriveRoot(root.path());
    EXPECT_EQ(platform::hostPath("c:\\lz3d\\3d.cfg"), root / "c" / "lz3d" / "3d.cfg");
    EXPECT_EQ(platform::hostPath("C:\\lz3d\\t01.bmp"), root / "c" / "lz3d" / "t01.bmp");
    EXPECT_EQ(platform::hostPath("c:/lz3d//x16.bmp"), root / "c" / "lz3d" / "x16.bmp");
    EXPECT_EQ(platform::hostPath("c:\\lz3d"), root / "c" / "lz3d");
    EXPECT_EQ(platform::hostPath("/home/someone/photo.jpg"), "/home/someone/photo.jpg");
    EXPECT_EQ(platform::hostPath("relative/photo.jpg"), "relative/photo.jpg");
    platform::prepareDrive("c:\\lz3d");
    EXPECT_TRUE(directoryExists(root / "c"));
    platform::setDriveRoot({});
    EXPECT_NE(platform::driveRoot(), root.path());
}

TEST(IoErrors, TheProgramsOwnWords) {
    EXPECT_EQ(ioErrorText(ENOENT), "File not found");
    EXPECT_EQ(ioErrorText(EACCES), "File access denied");
    EXPECT_EQ(ioErrorText(EROFS), "File access denied");
    EXPECT_EQ(ioErrorText(ENOSPC), "Disk full");
    EXPECT_EQ(ioErrorText(EIO), "I/O error " + std::to_string(EIO));
}

TEST(IoErrors, AFolderPartThatIsAFileIsNotFoundLikeAMissingFolder) {
    // A mistyped folder that happens to name a file is, to the user, a folder not found.
    lenzora::testing::TempDir dir;
    saveWholeFile(dir / "file", std::string_view("x"));
    platform::testing::ScriptedServices scripted;
    for (const std::filesystem::path& path :
         {dir / "missing" / "t01.bmp", dir / "file" / "t01.bmp"}) {
        EXPECT_FALSE(guardHandler([&] { readWholeFile(path); })) << path;
        EXPECT_FALSE(guardHandler([&] { saveWholeFile(path, std::string_view("x")); })) << path;
    }
    EXPECT_EQ(scripted.messages->errors, std::vector<std::string>(4, "File not found."));
}

TEST(ErrorReport, AddsAFullStopUnlessTheTextEndsInOne) {
    EXPECT_EQ(errorReportText("Invalid numeric input"), "Invalid numeric input.");
    EXPECT_EQ(errorReportText("'abc' is not a valid floating point value"),
              "'abc' is not a valid floating point value.");
    EXPECT_EQ(errorReportText("Done."), "Done.");
    EXPECT_EQ(errorReportText("Stop!"), "Stop!");
    EXPECT_EQ(errorReportText("打印机DPI设置不对"), "打印机DPI设置不对.");
}

TEST(HandlerGuard, ShowsTheErrorAndSkipsTheRest) {
    platform::testing::ScriptedServices scripted;
    int stepsRun = 0;
    bool finished = guardHandler([&] {
        ++stepsRun;
        throw Error("File not found");
        ++stepsRun;
    });
    EXPECT_FALSE(finished);
    EXPECT_EQ(stepsRun, 1);
    ASSERT_EQ(scripted.messages->errors.size(), 1u);
    EXPECT_EQ(scripted.messages->errors[0], "File not found.");
    EXPECT_TRUE(guardHandler([] {}));
    EXPECT_EQ(scripted.messages->errors.size(), 1u);
}

TEST(Services, ScopedStandInsArePutBackAfterwards) {
    auto before = platform::services().messages;
    {
        platform::testing::ScriptedServices scripted;
        showMessage("Merge OK！");
        {
            BusyCursor busy;
            EXPECT_EQ(scripted.cursor->depth, 1);
        }
        EXPECT_EQ(scripted.cursor->depth, 0);
        EXPECT_EQ(scripted.messages->messages, std::vector<std::string>{"Merge OK！"});
    }
    EXPECT_EQ(platform::services().messages, before);
}

TEST(FileIo, MissingFilesAndFolders) {
    lenzora::testing::TempDir dir;
    try {
        readWholeFile(dir / "none");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
    EXPECT_THROW(createDirectory(dir / "a" / "b"), Error);  // one level only
    createDirectory(dir / "a");
    createDirectory(dir / "a");  // already there: fine
    EXPECT_TRUE(directoryExists(dir / "a"));
    removeFileQuietly(dir / "none");  // no error for a missing file
    std::ofstream(dir / "f") << "x";
    EXPECT_TRUE(fileExists(dir / "f"));
    removeFileQuietly(dir / "f");
    EXPECT_FALSE(fileExists(dir / "f"));
}

TEST(FileIo, ReadingStopsAtTheLimit) {
    lenzora::testing::TempDir dir;
    const std::string content(100000, 'x');  // more than one read's buffer
    saveWholeFile(dir / "big.bin", content);
    struct Case {
        std::size_t limit;
        std::size_t expected;
    } cases[] = {{0, 0},         {3, 3},           {65536, 65536},
                 {65537, 65537}, {100000, 100000}, {200000, 100000}};
    for (const Case& c : cases) {
        EXPECT_EQ(readWholeFile(dir / "big.bin", c.limit).size(), c.expected) << c.limit;
    }
    EXPECT_EQ(readWholeFile(dir / "big.bin").size(), content.size());
}

TEST(MappedFile, ReadsTheBytesOrReportsTheFile) {
    lenzora::testing::TempDir dir;
    saveWholeFile(dir / "a.bin", std::string_view("BM\0bytes", 8));
    {
        MappedFile file(dir / "a.bin");
        ASSERT_EQ(file.size(), 8u);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data()), 8),
                  std::string("BM\0bytes", 8));
    }
    saveWholeFile(dir / "empty.bin", std::string_view());
    EXPECT_EQ(MappedFile(dir / "empty.bin").size(), 0u);
    try {
        MappedFile missing(dir / "none.bin");
        FAIL() << "mapped a missing file";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
    EXPECT_THROW(MappedFile folder(dir.path()), Error);
}

// The first Ctrl-C is only noted, for the work to stop at its next step; work that never looks
// is still ended by the second, as if no handler were there. Run in a child process.
TEST(InterruptionDeathTest, ASecondSignalEndsWorkTheFirstCouldNotStop) {
    EXPECT_EXIT(
        {
            catchInterruptions();
            ::raise(SIGINT);
            if (interruptionSignal() == SIGINT) std::fputs("noted, working on\n", stderr);
            ::raise(SIGINT);
            std::_Exit(0);
        },
        ::testing::KilledBySignal(SIGINT), "noted, working on");
}

}  // namespace
}  // namespace lenzora::platform
