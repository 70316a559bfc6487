// Files replaced whole through QSaveFile: permissions, symbolic links, failures part-way.

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <stdexcept>

#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/save_file.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace lenzora::platform {
namespace {

namespace fs = std::filesystem;
using lenzora::testing::FileSizeLimit;
using lenzora::testing::TempDir;

std::string text(const fs::path& path) {
    const Bytes bytes = readWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

void put(const fs::path& path, std::string_view content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::ptrdiff_t entries(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

mode_t permissionBits(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// The process's umask for the length of a test.
class UmaskFor {
  public:
    explicit UmaskFor(mode_t mask) : old_(::umask(mask)) {}
    ~UmaskFor() { ::umask(old_); }

  private:
    mode_t old_;
};

TEST(SaveFile, ReplacesWholeAndLeavesNoTemporaryFile) {
    TempDir dir;
    saveWholeFile(dir / "a.txt", std::string_view("first, longer content"));
    saveWholeFile(dir / "a.txt", std::string_view("second"));
    EXPECT_EQ(text(dir / "a.txt"), "second");
    EXPECT_EQ(entries(dir.path()), 1);
}

// Whole writes and gathered pieces go to the file in order; several megabytes pass the point
// where the disk is asked to start writing before the flush.
TEST(SaveFile, WholeWritesAndPiecesLandInOrder) {
    TempDir dir;
    std::string expected;
    {
        SaveFile file(dir / "big.bmp");
        const std::string rows(3 << 20, 'r');
        const std::span<const std::uint8_t> bytes(
            reinterpret_cast<const std::uint8_t*>(rows.data()), rows.size());
        for (char tag : {'a', 'b', 'c'}) {
            file.write(&tag, 1);
            const std::span<const std::uint8_t> pieces[] = {bytes.first(7), {}, bytes};
            file.write(Pieces(pieces));
            expected += tag + rows.substr(0, 7) + rows;
        }
        file.commit();
    }
    EXPECT_TRUE(text(dir / "big.bmp") == expected);
}

// Positioned writes land where they are asked to, backwards over several megabytes too, and
// write() goes on where it left off.
TEST(SaveFile, PositionedWritesLandWhereAskedAndWriteGoesOnWhereItLeftOff) {
    TempDir dir;
    constexpr std::size_t kBlock = 3 << 20;
    const std::string a(kBlock, 'a'), b(kBlock, 'b'), c(kBlock, 'c');
    const auto piece = [](const std::string& s) {
        return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(s.data()),
                                             s.size());
    };
    {
        SaveFile file(dir / "big.bmp");
        file.write("head", 4);
        for (const auto& [block, offset] :
             {std::pair(&c, 4 + 2 * kBlock), std::pair(&b, 4 + kBlock)}) {
            const std::span<const std::uint8_t> pieces[] = {piece(*block)};
            file.writeAt(offset, Pieces(pieces));
        }
        const std::span<const std::uint8_t> pieces[] = {piece(a)};
        file.write(Pieces(pieces));
        file.commit();
    }
    EXPECT_TRUE(text(dir / "big.bmp") == "head" + a + b + c);
}

TEST(SaveFile, AReplacedFileKeepsItsPermissionBits) {
    for (mode_t mode : {0600, 0640, 0644, 0660, 0664, 0666, 0700, 0755, 0604}) {
        TempDir dir;
        put(dir / "a.bmp", "earlier");
        ASSERT_EQ(::chmod((dir / "a.bmp").c_str(), mode), 0);
        saveWholeFile(dir / "a.bmp", std::string_view("replaced"));
        EXPECT_EQ(text(dir / "a.bmp"), "replaced");
        EXPECT_EQ(permissionBits(dir / "a.bmp"), mode) << std::oct << mode;
        EXPECT_EQ(entries(dir.path()), 1);
    }
}

// A file the user may not write is refused and left as it was, as other desktop programs do;
// root may replace it. A replaced file keeps its mode, and its owner and group as far as the
// saver may give them: root gives any, another user a group of their own.
TEST(SaveFile, AFileTheUserMayNotWriteIsRefusedAndAReplacedOneKeepsItsOwner) {
    const bool root = ::geteuid() == 0;
    const uid_t owner = root ? 12345 : ::geteuid();
    // Another user keeps a group of their own other than the one new files get, if they have one.
    gid_t groups[256];
    const int count = std::max(::getgroups(256, groups), 0);
    const gid_t* other =
        std::find_if(groups, groups + count, [](gid_t g) { return g != ::getegid(); });
    const gid_t group = root ? 12345 : other != groups + count ? *other : ::getegid();
    for (const mode_t mode : {0444, 0464, 0640}) {
        SCOPED_TRACE(::testing::Message() << std::oct << mode);
        TempDir dir;
        const fs::path path = dir / "a.bmp";
        put(path, "earlier");
        ASSERT_EQ(::chown(path.c_str(), owner, group), 0);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        const bool writable = root || (mode & S_IWUSR) != 0;
        try {
            saveWholeFile(path, std::string_view("replaced"));
            EXPECT_TRUE(writable) << "replaced a file the user may not write";
        } catch (const Error& e) {
            EXPECT_FALSE(writable) << e.what();
            EXPECT_STREQ(e.what(), "File access denied");
        }
        EXPECT_EQ(text(path), writable ? "replaced" : "earlier");
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
        EXPECT_EQ(st.st_uid, owner);
        EXPECT_EQ(st.st_gid, group);
        EXPECT_EQ(entries(dir.path()), 1);
    }
}

TEST(SaveFile, ANewFileGetsTheUsualPermissionsLessTheUmask) {
    for (mode_t mask : {0022, 0027, 0077, 0002, 0000}) {
        TempDir dir;
        UmaskFor umask(mask);
        saveWholeFile(dir / "new.bmp", std::string_view("new"));
        EXPECT_EQ(permissionBits(dir / "new.bmp"), 0666 & ~mask) << std::oct << mask;
    }
}

TEST(SaveFile, ThroughASymbolicLinkTheTargetIsReplacedAndTheLinkStays) {
    struct Case {
        const char* what;
        const char* target;  // where the file is, in the test folder
        bool absolute;       // the link holds the whole path, not one relative to its folder
        bool chained;        // the link points to a second link, which points to the file
        bool targetExists;
    } cases[] = {
        {"beside the link", "target.bmp", false, false, true},
        {"in another folder, by its whole path", "other/target.bmp", true, false, true},
        {"in another folder, relative", "other/target.bmp", false, false, true},
        {"through a second link", "other/target.bmp", false, true, true},
        {"dangling: the target is made", "other/target.bmp", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        fs::create_directory(dir / "other");
        const fs::path target = dir / c.target;
        if (c.targetExists) {
            put(target, "earlier content");
            ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
        }
        const fs::path linkText = c.absolute ? target : fs::path(c.target);
        if (c.chained) {
            fs::create_symlink(target, dir / "second");
            fs::create_symlink("second", dir / "link.bmp");
        } else {
            fs::create_symlink(linkText, dir / "link.bmp");
        }
        const std::ptrdiff_t before = entries(dir.path()) + entries(dir / "other");

        saveWholeFile(dir / "link.bmp", std::string_view("saved"));

        EXPECT_TRUE(fs::is_symlink(dir / "link.bmp"));
        EXPECT_EQ(fs::read_symlink(dir / "link.bmp"), c.chained ? fs::path("second") : linkText);
        EXPECT_EQ(text(target), "saved");
        if (c.targetExists) {
            EXPECT_EQ(permissionBits(target), 0640u);
        }
        EXPECT_EQ(entries(dir.path()) + entries(dir / "other"), before + (c.targetExists ? 0 : 1))
            << "no temporary file is left behind";
    }
}

TEST(SaveFile, AnAbandonedOrFailedSaveLeavesTheOldFileWhole) {
    struct Interrupted : std::runtime_error {
        Interrupted() : std::runtime_error("interrupted") {}
    };
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> save;
    } cases[] = {
        {"thrown before any byte",
         [](const fs::path& path) {
             SaveFile file(path);
             throw Interrupted();
         }},
        {"thrown part-way",
         [](const fs::path& path) {
             SaveFile file(path);
             file.write("new content", 11);
             throw Interrupted();
         }},
        {"never committed",
         [](const fs::path& path) {
             SaveFile file(path);
             file.write("new content, never committed", 28);
         }},
        {"the disk fills part-way",
         [](const fs::path& path) {
             const std::string big(1 << 20, 'x');
             FileSizeLimit limit(64 << 10);
             try {
                 saveWholeFile(path, big);
                 ADD_FAILURE() << "wrote past the file size limit";
             } catch (const Error& e) {
                 EXPECT_STREQ(e.what(), "Disk full");
             }
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        put(dir / "card.bmp", "earlier content");
        try {
            c.save(dir / "card.bmp");
        } catch (const Interrupted&) {
        }
        EXPECT_EQ(text(dir / "card.bmp"), "earlier content");
        EXPECT_EQ(entries(dir.path()), 1) << "no temporary file is left behind";
    }
}

TEST(SaveFile, FailuresInTheProgramsWords) {
    TempDir dir;
    put(dir / "plain", "a file");
    fs::create_directory(dir / "folder");
    struct Case {
        fs::path path;
        const char* text;
    } cases[] = {
        {dir / "missing" / "a.bmp", "File not found"},
        {dir / "plain" / "a.bmp", "File not found"},  // a file where a folder should be
        {dir / "folder", "File access denied"},       // a folder where the file should be
        {fs::path(), "File not found"},
    };
    for (const Case& c : cases) {
        try {
            saveWholeFile(c.path, std::string_view("content"));
            ADD_FAILURE() << "saved " << c.path;
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), c.text) << c.path;
        }
    }
    EXPECT_EQ(text(dir / "plain"), "a file");
    EXPECT_TRUE(fs::is_empty(dir / "folder"));
    EXPECT_EQ(entries(dir.path()), 2);
}

// A socket file at `path`, as a program listening on it leaves one.
bool makeSocketFile(const fs::path& path) {
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.string().copy(address.sun_path, sizeof address.sun_path - 1);
    const bool made = s >= 0 && path.string().size() < sizeof address.sun_path &&
                      ::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (s >= 0) ::close(s);
    return made;
}

TEST(SaveFile, ATargetThatIsNoRegularFileIsRefusedAndLeftAsItWas) {
    struct Case {
        const char* what;
        std::function<bool(const fs::path&)> make;
        mode_t type;
        bool mustBeMade;  // devices only by root
    } cases[] = {
        {"a pipe", [](const fs::path& p) { return ::mkfifo(p.c_str(), 0644) == 0; }, S_IFIFO, true},
        {"a socket", makeSocketFile, S_IFSOCK, true},
        // A private node of the null device: what "-o /dev/null" names, without risking it.
        {"a device",
         [](const fs::path& p) { return ::mknod(p.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0; },
         S_IFCHR, ::geteuid() == 0},
    };
    for (const Case& c : cases) {
        for (bool throughLink : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (throughLink ? ", through a link" : ""));
            TempDir dir;
            const fs::path node = dir / "node.bmp";
            if (!c.make(node)) {
                EXPECT_FALSE(c.mustBeMade) << "could not make " << c.what;
                continue;
            }
            fs::path target = node;
            if (throughLink) {
                fs::create_symlink("node.bmp", dir / "link.bmp");
                target = dir / "link.bmp";
            }
            try {
                saveWholeFile(target, std::string_view("content"));
                ADD_FAILURE() << "saved over " << c.what;
            } catch (const Error& e) {
                EXPECT_STREQ(e.what(), "Not a regular file");
            }
            struct stat st {};
            ASSERT_EQ(::lstat(node.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & S_IFMT, c.type) << "the node stays what it was";
            EXPECT_EQ(entries(dir.path()), throughLink ? 2 : 1) << "nothing else is written";
        }
    }
}

TEST(SaveFile, ANameAsLongAsTheFileSystemAllowsIsWrittenAndReplaced) {
    TempDir dir;
    const long nameMax = ::pathconf(dir.path().c_str(), _PC_NAME_MAX);
    ASSERT_GT(nameMax, 20);
    for (std::size_t length : {std::size_t{250}, static_cast<std::size_t>(nameMax)}) {
        SCOPED_TRACE(length);
        const fs::path path = dir / (std::string(length - 4, 'n') + ".bmp");
        saveWholeFile(path, std::string_view("first, longer content"));
        EXPECT_EQ(text(path), "first, longer content");
        ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
        saveWholeFile(path, std::string_view("second"));
        EXPECT_EQ(text(path), "second");
        EXPECT_EQ(permissionBits(path), 0600u);
        EXPECT_EQ(entries(dir.path()), 1) << "no temporary file is left behind";
        fs::remove(path);
    }
}

}  // namespace
}  // namespace lenzora::platform
