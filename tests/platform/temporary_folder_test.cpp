// Temporary folders that name their owner, and the removal of those whose owner is gone.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "platform/temporary_folder.h"
#include "support/temp_dir.h"

namespace lenzora::platform {
namespace {

namespace fs = std::filesystem;

// TMPDIR pointed at a test's own folder for as long as it lives.
class TemporaryFolderIn {
  public:
    explicit TemporaryFolderIn(const fs::path& folder) {
        if (const char* old = std::getenv("TMPDIR")) old_ = old;
        ::setenv("TMPDIR", folder.c_str(), 1);
    }
    ~TemporaryFolderIn() {
        if (old_) {
            ::setenv("TMPDIR", old_->c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }
    TemporaryFolderIn(const TemporaryFolderIn&) = delete;
    TemporaryFolderIn& operator=(const TemporaryFolderIn&) = delete;

  private:
    std::optional<std::string> old_;
};

// The id of a process that has ended.
pid_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

TEST(TemporaryFolder, CarriesItsOwnersIdAndGoesWithIt) {
    lenzora::testing::TempDir tmp;
    TemporaryFolderIn in(tmp.path());
    fs::path path;
    {
        OwnedTemporaryFolder folder;
        path = folder.path();
        EXPECT_EQ(path.parent_path(), tmp.path());
        EXPECT_TRUE(
            path.filename().string().starts_with("lenzora-" + std::to_string(::getpid()) + "-"));
        std::ofstream(path / "t01.bmp") << "working copy";
        removeAbandonedFolders();
        EXPECT_TRUE(fs::exists(path / "t01.bmp")) << "a living owner's folder stays";
    }
    EXPECT_FALSE(fs::exists(path));
}

TEST(TemporaryFolder, OnlyFoldersOfOwnersThatAreGoneAreRemoved) {
    lenzora::testing::TempDir tmp;
    TemporaryFolderIn in(tmp.path());
    const std::string gone = std::to_string(endedProcess());
    const std::string living = std::to_string(::getppid());
    fs::create_directory(tmp / "elsewhere");
    std::ofstream(tmp / "elsewhere" / "keep") << "not ours";

    struct Case {
        const char* what;
        std::string name;
        enum { Folder, File, Link } kind;
        bool removed;
    } cases[] = {
        {"owner gone", "lenzora-" + gone + "-Ab12cD", Case::Folder, true},
        {"owner living", "lenzora-" + living + "-Ab12cD", Case::Folder, false},
        {"suffix too short", "lenzora-" + gone + "-Ab12c", Case::Folder, false},
        {"suffix too long", "lenzora-" + gone + "-Ab12cDe", Case::Folder, false},
        {"no process id", "lenzora-test-Ab12cD", Case::Folder, false},
        {"another program's", "other-" + gone + "-Ab12cD", Case::Folder, false},
        {"a file", "lenzora-" + gone + "-File01", Case::File, false},
        {"a link to a folder", "lenzora-" + gone + "-Link01", Case::Link, false},
    };
    for (const Case& c : cases) {
        const fs::path path = tmp / c.name;
        if (c.kind == Case::Folder) {
            fs::create_directory(path);
            std::ofstream(path / "x01.bmp") << "strip";
        } else if (c.kind == Case::File) {
            std::ofstream(path) << "a file";
        } else {
            fs::create_symlink(tmp / "elsewhere", path);
        }
    }
    // An owner in another process namespace looks gone but still holds its folder's lock.
    const fs::path locked = tmp / ("lenzora-" + gone + "-Locked");
    fs::create_directory(locked);
    const int lock = ::open(locked.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);

    removeAbandonedFolders();

    for (const Case& c : cases) {
        EXPECT_EQ(fs::exists(fs::symlink_status(tmp / c.name)), !c.removed) << c.what;
    }
    EXPECT_TRUE(fs::exists(locked)) << "a locked folder stays";
    EXPECT_TRUE(fs::exists(tmp / "elsewhere" / "keep")) << "a link is not followed";
    ::close(lock);
    removeAbandonedFolders();
    EXPECT_FALSE(fs::exists(locked)) << "and goes once its owner lets go";
}

}  // namespace
}  // namespace lenzora::platform
