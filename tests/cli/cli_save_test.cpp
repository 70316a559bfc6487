// lenzora-cli saving into a folder its user may not add files to. Root may write any folder,
// so under root the tool is run as the unprivileged user nobody (through setpriv).

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "platform/file_io.h"
#include "raster/bmp_codec.h"
#include "raster/jpeg_codec.h"
#include "support/pictures.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace lenzora {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

bool runningAsRoot() { return ::geteuid() == 0; }

// The tool run as the user the test's files are arranged for.
testing::ProcessResult cliAsUser(const std::vector<std::string>& args) {
    if (!runningAsRoot()) return testing::runProcess(LENZORA_CLI, args);
    std::vector<std::string> all = {"--reuid=65534", "--regid=65534", "--clear-groups",
                                    LENZORA_CLI};
    all.insert(all.end(), args.begin(), args.end());
    return testing::runProcess("setpriv", all);
}

// Makes `path` the user's own when running as root.
void giveToUser(const fs::path& path) {
    if (runningAsRoot()) {
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0) << path;
    }
}

struct stat statOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

// The tool's own line of standard error (Qt may note things before it).
std::string toolLine(const std::string& err) {
    const std::size_t at = err.find("lenzora-cli: ");
    if (at == std::string::npos) return err;
    return err.substr(at, err.find('\n', at) - at);
}

class CliSave : public ::testing::Test {
  protected:
    void SetUp() override {
        if (runningAsRoot() && testing::runProcess("setpriv", {"--version"}).exitCode != 0) {
            GTEST_SKIP() << "running as root without setpriv to become another user";
        }
        // The user must reach the frames and the output folder, and write the work folder.
        fs::permissions(dir_.path(), fs::perms(0755));
        for (int q = 1; q <= 2; ++q) {
            const fs::path frame = dir_ / ("f" + std::to_string(q) + ".bmp");
            testing::writeBmp(frame, testing::patternImage(40 + q, 30, q));
            frames_.push_back(frame.string());
        }
        fs::create_directory(dir_ / "work");
        fs::permissions(dir_ / "work", fs::perms(0777));
        giveToUser(dir_ / "work");
        fs::create_directory(dir_ / "out");
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(dir_ / "out", fs::perms(0755), ignored);  // so the folder can go
    }

    std::vector<std::string> composeArgs(const fs::path& out) const {
        std::vector<std::string> args = {"compose", "--unit",     "px",
                                         "--width", "101",        "--height",
                                         "67",      "--work-dir", (dir_ / "work").string(),
                                         "-o",      out.string()};
        args.insert(args.end(), frames_.begin(), frames_.end());
        return args;
    }

    testing::TempDir dir_;
    std::vector<std::string> frames_;
};

TEST_F(CliSave, AnExistingWritableFileInAFolderTheUserCannotWriteIsSavedInPlace) {
    struct Case {
        const char* name;
        bool chart;
        std::int32_t width;  // of the picture saved
    } cases[] = {
        {"card.bmp", false, 101},
        {"card.jpg", false, 101},
        {"chart.bmp", true, 1535},  // A4 at 300 dpi
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path out = dir_ / "out" / c.name;
        fs::permissions(dir_ / "out", fs::perms(0755));
        { std::ofstream(out) << "earlier content"; }
        giveToUser(out);
        ASSERT_EQ(::chmod(out.c_str(), 0640), 0);
        fs::permissions(dir_ / "out", fs::perms(0555));
        const struct stat before = statOf(out);

        const testing::ProcessResult r = cliAsUser(
            c.chart ? std::vector<std::string>{"chart", "--dpi", "300", "-o", out.string()}
                    : composeArgs(out));

        ASSERT_EQ(r.exitCode, 0) << r.err;
        const platform::Bytes saved = platform::readWholeFile(out);
        const raster::RasterImage back = std::string(c.name).ends_with(".jpg")
                                             ? raster::decodeJpeg(saved)
                                             : raster::decodeBmp(saved);
        EXPECT_EQ(back.width(), c.width);
        const struct stat after = statOf(out);
        EXPECT_EQ(after.st_ino, before.st_ino) << "written in place, not replaced";
        EXPECT_EQ(after.st_mode & 07777, 0640u);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "out"), {}), 1)
            << "nothing else in the folder";
        fs::permissions(dir_ / "out", fs::perms(0755));
        fs::remove(out);
    }
}

TEST_F(CliSave, WhatTheUserMayNotWriteThereIsRefusedAndLeftAlone) {
    struct Case {
        const char* what;
        const char* name;
        bool exists;
    } cases[] = {
        {"a new file", "new.bmp", false},
        {"a file the user may only read", "card.bmp", true},
        {"a JPEG the user may only read", "card.jpg", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path out = dir_ / "out" / c.name;
        fs::permissions(dir_ / "out", fs::perms(0755));
        if (c.exists) {
            std::ofstream(out) << "earlier content";
            giveToUser(out);
            ASSERT_EQ(::chmod(out.c_str(), 0444), 0);
        }
        fs::permissions(dir_ / "out", fs::perms(0555));

        const testing::ProcessResult r = cliAsUser(composeArgs(out));

        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(toolLine(r.err),
                  "lenzora-cli: Cannot create file \"" + out.string() + "\". File access denied");
        if (c.exists) {
            const platform::Bytes kept = platform::readWholeFile(out);
            EXPECT_EQ(std::string(kept.begin(), kept.end()), "earlier content");
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "out"), {}), c.exists ? 1 : 0);
        fs::permissions(dir_ / "out", fs::perms(0755));
        fs::remove(out);
    }
}

}  // namespace
}  // namespace lenzora
