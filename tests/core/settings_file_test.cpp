#include "core/settings_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "platform/error.h"
#include "platform/file_io.h"
#include "support/temp_dir.h"

namespace lenzora::core {
namespace {

std::string fileText(const std::filesystem::path& path) {
    platform::Bytes bytes = platform::readWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

const char* const kFirstStartLine =
    "0 0  4.22750000000000E+0001 0 0  2.87000000000000E+0002  2.00000000000000E+0002 0 0\r\n";

TEST(SettingsFormat, FirstStartLineByteForByte) {
    EXPECT_EQ(formatSettings(StoredSettings{}), kFirstStartLine);
}

TEST(SettingsFormat, NegativeIntegersAndReals) {
    StoredSettings s;
    s.reserved1 = -7;
    s.mode = 1;
    s.pitch = 212500;
    s.width = -5000;
    s.sizeUnit = 2;
    s.errorAdjustment = -4;
    EXPECT_EQ(formatSettings(s),
              "-7 1  2.12500000000000E+0001 0 0 -5.00000000000000E-0001  "
              "2.00000000000000E+0002 2 -4\r\n");
}

TEST(SettingsParse, ReadingRules) {
    struct Case {
        const char* name;
        std::string text;
        StoredSettings expected;
    };
    StoredSettings threeNumbers{0, 1, 212500, 0, 0, 0, 0, 0, 0};
    StoredSettings spread{3, 0, 422750, 4, 5, 2869955, 2000000, 1, -2};
    Case cases[] = {
        {"the first-start line", kFirstStartLine, StoredSettings{}},
        {"end of file reads 0", "0 1 21.25", threeNumbers},
        {"empty file", "", StoredSettings{0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"tabs and line ends separate",
         "3\t0\r\n4.22750000000000E+0001\n4 5\x01 286.9955\t\t200\n1\n-2", spread},
        {"more than nine numbers", "3 0 42.275 4 5 286.9955 200 1 -2 77 88 junk", spread},
        {"plus signs", "+3 +0 +42.275 4 5 286.9955 2E2 +1 -2", spread},
        {"mode 5 is kept as read", "0 5 42.275", StoredSettings{0, 5, 422750, 0, 0, 0, 0, 0, 0}},
        {"four decimals survive", "0 0 42.275 0 0 286.99549 199.99995 0 0",
         StoredSettings{0, 0, 422750, 0, 0, 2869955, 2000000, 0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(parseSettings(c.text), c.expected) << c.name;
}

TEST(SettingsParse, LongTokensAreCutAndTheRestReadsOn) {
    // 33 digits: the integer token takes 32 of them (too large: refused).
    EXPECT_THROW(parseSettings(std::string(33, '1')), platform::Error);
    // A 40-character real field: the first 64-character limit is not reached, read whole.
    StoredSettings s = parseSettings("0 0 42.2750000000000000000000000000000000000");
    EXPECT_EQ(s.pitch, 422750);
    // 70 characters: the real token stops after 64, and "123456" is the next (integer) field.
    std::string pitch = "42.275" + std::string(58, '0');
    s = parseSettings("0 0 " + pitch + "123456");
    EXPECT_EQ(s.pitch, 422750);
    EXPECT_EQ(s.reserved2, 123456);
}

TEST(SettingsParse, NotANumberOfItsKindIsInvalidNumericInput) {
    const char* bad[] = {
        "x",       "0 1.5", "0 0 abc", "0 0 42.275 0 0 287 200 0 4x", "99999999999 0", "0 0 1e300",
        "0 0 --1", "0 +-1", "0 0 42,5"};
    for (const char* text : bad) {
        try {
            parseSettings(text);
            ADD_FAILURE() << "accepted " << text;
        } catch (const platform::Error& e) {
            EXPECT_STREQ(e.what(), "Invalid numeric input") << text;
        }
    }
}

TEST(SettingsFile, WrittenValuesReadBack) {
    testing::TempDir dir;
    StoredSettings s{9, 1, 422750, -3, 12, 2869955, 1999756, 1, 4};
    writeSettingsFile(dir / "3d.cfg", s);
    EXPECT_EQ(readSettingsFile(dir / "3d.cfg"), s);
}

TEST(SettingsFile, MissingFileIsNoValues) {
    testing::TempDir dir;
    EXPECT_EQ(readSettingsFile(dir / "3d.cfg"), std::nullopt);
}

TEST(Restore, MissingFileWritesTheDefaults) {
    testing::TempDir dir;
    RestoredSettings r = restoreSettings(dir / "3d.cfg");
    EXPECT_EQ(r.values, StoredSettings{});
    EXPECT_FALSE(r.problem);
    EXPECT_EQ(fileText(dir / "3d.cfg"), kFirstStartLine);
}

TEST(Restore, BadFileGivesTheDefaults) {
    testing::TempDir dir;
    const char* const content = "0 1 21.25 0 0 abc";
    writeText(dir / "3d.cfg", content);
    RestoredSettings r = restoreSettings(dir / "3d.cfg");
    EXPECT_EQ(r.values, StoredSettings{});
    EXPECT_EQ(r.problem, "Invalid numeric input");
    EXPECT_EQ(fileText(dir / "3d.cfg"), content) << "a bad file is left as it is";
}

// A pitch of 0 or below costs only the pitch: every other field is kept as stored.
TEST(Restore, PitchlessFilesKeepEveryOtherField) {
    struct Case {
        const char* content;
        StoredSettings values;
    } cases[] = {
        {"", {0, 0, 422750, 0, 0, 0, 0, 0, 0}},
        {"0 1 0 0 0 100 100 2 0", {0, 1, 422750, 0, 0, 1000000, 1000000, 2, 0}},
        {"7 1 -21.25 8 9 11.299 7.8739 1 -4", {7, 1, 422750, 8, 9, 112990, 78739, 1, -4}},
    };
    for (const Case& c : cases) {
        testing::TempDir dir;
        writeText(dir / "3d.cfg", c.content);
        RestoredSettings r = restoreSettings(dir / "3d.cfg");
        EXPECT_EQ(r.values, c.values) << c.content;
        EXPECT_FALSE(r.problem) << c.content;
        EXPECT_EQ(fileText(dir / "3d.cfg"), c.content) << "the file is left as it is";
    }
}

TEST(Restore, UnreadableFileReportsTheIoError) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    testing::TempDir dir;
    writeText(dir / "3d.cfg", "0 1 21.25");
    ::chmod((dir / "3d.cfg").c_str(), 0);
    RestoredSettings r = restoreSettings(dir / "3d.cfg");
    EXPECT_EQ(r.problem, std::optional<std::string>("File access denied"));
    EXPECT_EQ(r.values, StoredSettings{});
}

TEST(Restore, AFolderInPlaceOfTheFileIsAnIoError) {
    testing::TempDir dir;
    std::filesystem::create_directory(dir / "3d.cfg");
    RestoredSettings r = restoreSettings(dir / "3d.cfg");
    EXPECT_EQ(r.problem, std::optional<std::string>("File access denied"));
}

// Runs restoreSettings in a child process, so that a read that blocks or never ends fails
// the test (by the alarm, or by the memory limit) instead of hanging it or filling memory.
// The exit status is 0 for the defaults with "Not a regular file" reported.
int restoreInChild(const std::filesystem::path& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(10);
#if !defined(__SANITIZE_ADDRESS__)
        rlimit memory{512L << 20, 512L << 20};  // the sanitizer's shadow needs far more
        ::setrlimit(RLIMIT_AS, &memory);
#endif
        try {
            RestoredSettings r = restoreSettings(path);
            ::_exit(r.values == StoredSettings{} && r.problem == "Not a regular file" ? 0 : 1);
        } catch (...) {
            ::_exit(2);
        }
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A pipe blocks the open until something writes; a device never ends. Either would keep
// the window from starting, so neither is read: they give the defaults, as a folder does.
TEST(Restore, NoRegularFileInPlaceOfTheFileGivesTheDefaults) {
    struct Case {
        const char* name;
        void (*make)(const std::filesystem::path&);
    } cases[] = {
        {"a pipe", [](const std::filesystem::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
        {"a link to /dev/zero",
         [](const std::filesystem::path& p) { std::filesystem::create_symlink("/dev/zero", p); }},
    };
    for (const Case& c : cases) {
        testing::TempDir dir;
        c.make(dir / "3d.cfg");
        EXPECT_EQ(restoreInChild(dir / "3d.cfg"), 0)
            << c.name << " (128 + signal: hung or ran out of memory)";
        EXPECT_FALSE(std::filesystem::is_regular_file(dir / "3d.cfg")) << c.name << " was replaced";
    }
}

// Only the start of an oversized file is read; the numbers a real file holds are all there.
TEST(SettingsFile, ReadingStopsAtSixtyFourKibibytes) {
    testing::TempDir dir;
    const std::string numbers = "3 0 42.275 4 5 286.9955 200 1 -2";
    struct Case {
        std::size_t blanks;  // after the line, before "junk"
        StoredSettings expected;
    } cases[] = {
        {10, {3, 0, 422750, 4, 5, 2869955, 2000000, 1, -2}},
        {(1 << 20), {3, 0, 422750, 4, 5, 2869955, 2000000, 1, -2}},
    };
    for (const Case& c : cases) {
        writeText(dir / "3d.cfg", numbers + std::string(c.blanks, ' ') + "junk");
        EXPECT_EQ(readSettingsFile(dir / "3d.cfg"), c.expected) << c.blanks;
    }
    // Numbers past the limit are not reached: they read as 0, as at the end of a file.
    writeText(dir / "3d.cfg", std::string(64 * 1024, ' ') + numbers);
    EXPECT_EQ(readSettingsFile(dir / "3d.cfg"), (StoredSettings{0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(Store, FailedWriteLeavesTheOldFile) {
    testing::TempDir dir;
    writeText(dir / "3d.cfg", "0 1 21.25");
    // A folder that cannot take the temporary file: the store fails before the rename.
    std::filesystem::path missing = dir / "no-such-folder" / "3d.cfg";
    try {
        writeSettingsFile(missing, StoredSettings{});
        FAIL() << "wrote into a missing folder";
    } catch (const platform::Error& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
    EXPECT_EQ(fileText(dir / "3d.cfg"), "0 1 21.25");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file is left behind";
}

TEST(Record, StoredValuesComeBackFromTheRecord) {
    StoredSettings s{9, 5, 212500, -3, 12, 1000000, 2000000, 7, -4};
    OutputSettings record;
    record.frameCount = 9;
    applyStoredSettings(s, record);
    EXPECT_EQ(record.frameCount, 2);
    EXPECT_EQ(record.mode, kModeRows);
    EXPECT_EQ(record.workingWidth, 1000000);
    EXPECT_EQ(record.savedHeight, 2000000);
    StoredSettings back = storedFrom(record);
    s.mode = 1;  // any non-zero mode is rows mode
    EXPECT_EQ(back, s);
}

}  // namespace
}  // namespace lenzora::core
