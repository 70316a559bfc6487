// lenzora-cli's command line, run as a process: bad usage, --help, "--", and names that
// reach the files and the JSON line whatever their encoding.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <utility>

#include <QString>

#include "support/json_line.h"
#include "support/pictures.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace lenzora {
namespace {

namespace fs = std::filesystem;

testing::ProcessResult cli(const std::vector<std::string>& args) {
    return testing::runProcess(LENZORA_CLI, args);
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

TEST(CliUsage, BadUsageExitsWithTwo) {
    std::vector<std::string> seventeen = {"compose", "-o", "out.bmp"};
    for (int i = 0; i < 17; ++i) seventeen.push_back("f.bmp");
    struct Case {
        std::vector<std::string> args;
        std::string message;  // the first line of standard error
    } cases[] = {
        // No command, or one the tool does not know.
        {{}, "usage:"},
        {{"print"}, "lenzora-cli: unknown command print"},
        // Options the subcommand does not know, after one dash or two, or a switch given a value.
        {{"settings", "--colour"}, "lenzora-cli: unknown option --colour"},
        {{"compose", "-x", "-o", "out.bmp", "a.bmp", "b.bmp"}, "lenzora-cli: unknown option -x"},
        {{"chart", "-colour=red", "-o", "c.bmp"}, "lenzora-cli: unknown option -colour=red"},
        {{"settings", "--frames", "3", "--json=yes"}, "lenzora-cli: unknown option --json=yes"},
        {{"settings", "--calibration"}, "lenzora-cli: unknown option --calibration"},
        // An option missing its value.
        {{"settings", "--pitch"}, "lenzora-cli: option --pitch needs a value"},
        {{"compose", "a.bmp", "b.bmp", "-o"}, "lenzora-cli: option -o needs a value"},
        {{"chart", "--json", "--dpi"}, "lenzora-cli: option --dpi needs a value"},
        // No output named.
        {{"compose", "a.bmp", "b.bmp"}, "lenzora-cli: compose needs -o OUT"},
        {{"chart", "--json"}, "lenzora-cli: chart needs -o OUT"},
        {{"chart", "-o", ""}, "lenzora-cli: chart needs -o OUT"},
        {{"compose", "-o", "", "a.bmp", "b.bmp"}, "lenzora-cli: compose needs -o OUT"},
        {{"compose", "-o=", "a.bmp", "b.bmp"}, "lenzora-cli: compose needs -o OUT"},
        // An output name that is a folder: nothing could be saved under it.
        {{"compose", "-o", ".", "a.bmp", "b.bmp"}, "lenzora-cli: -o names a folder: ."},
        {{"compose", "-o", "/", "a.bmp", "b.bmp"}, "lenzora-cli: -o names a folder: /"},
        {{"chart", "-o", "."}, "lenzora-cli: -o names a folder: ."},
        {{"chart", "--dpi", "99999", "-o", "/"}, "lenzora-cli: -o names a folder: /"},
        // Too few or too many frames, or file names where none are taken.
        {{"compose", "-o", "out.bmp", "a.bmp"}, "lenzora-cli: compose takes 2 to 16 frames"},
        {seventeen, "lenzora-cli: compose takes 2 to 16 frames"},
        {{"settings", "frame.jpg"}, "lenzora-cli: settings takes no file names"},
        {{"settings", "--", "--pitch"}, "lenzora-cli: settings takes no file names"},
        {{"chart", "-o", "c.bmp", "extra.bmp"}, "lenzora-cli: chart takes no file names"},
        // Values outside what the option takes.
        {{"settings", "--frames", "17"}, "lenzora-cli: --frames takes a whole number from 2 to 16"},
        {{"settings", "--unit", "cm"}, "lenzora-cli: --unit takes mm, in or px"},
        {{"compose", "--mode", "diagonal", "-o", "out.bmp", "a.bmp", "b.bmp"},
         "lenzora-cli: --mode takes columns or rows"},
        {{"compose", "--pitch=0", "-o", "out.bmp", "a.bmp", "b.bmp"},
         "lenzora-cli: --pitch must be above 0"},
        {{"compose", "--max-frame-pixels", "0", "-o", "out.bmp", "a.bmp", "b.bmp"},
         "lenzora-cli: --max-frame-pixels takes a whole number above 0"},
        {{"compose", "--max-frame-pixels", "5e8", "-o", "out.bmp", "a.bmp", "b.bmp"},
         "lenzora-cli: --max-frame-pixels takes a whole number above 0"},
        {{"compose", "--jobs", "0", "-o", "out.bmp", "a.bmp", "b.bmp"},
         "lenzora-cli: --jobs takes a whole number from 1 to 1024"},
        {{"compose", "--jobs", "all", "-o", "out.bmp", "a.bmp", "b.bmp"},
         "lenzora-cli: --jobs takes a whole number from 1 to 1024"},
    };
    for (const Case& c : cases) {
        const testing::ProcessResult r = cli(c.args);
        EXPECT_EQ(r.exitCode, 2) << ::testing::PrintToString(c.args);
        EXPECT_EQ(firstLine(r.err), c.message) << ::testing::PrintToString(c.args);
        EXPECT_NE(r.err.find("usage:\n  lenzora-cli compose"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << ::testing::PrintToString(c.args);
    }
}

TEST(CliUsage, HelpExitsWithZero) {
    testing::TempDir dir;
    const std::string out = (dir / "out.bmp").string();
    struct Case {
        std::vector<std::string> args;
        std::string firstLine;
        std::vector<std::string> mentions;  // what the help lists
    } cases[] = {
        {{"--help"},
         "usage:",
         {"lenzora-cli compose", "lenzora-cli chart", "lenzora-cli settings"}},
        {{"-h"}, "usage:", {"lenzora-cli COMMAND --help"}},
        {{"compose", "--help"},
         "usage: lenzora-cli compose [--pitch LPI] [--width V] [--height V] [--unit mm|in|px]",
         {"--pitch <LPI>", "--width <V>", "--height <V>", "--unit <mm|in|px>",
          "--mode <columns|rows>", "--calibration", "--work-dir <DIR>", "--jobs <N>", "--json",
          "--ignore-orientation", "-o <OUT>", "-h, --help", "FRAMES"}},
        // Help comes before every check of the other arguments, and nothing is written.
        {{"compose", "--pitch", "abc", "-o", out, "-h"},
         "usage: lenzora-cli compose [--pitch LPI] [--width V] [--height V] [--unit mm|in|px]",
         {"-o <OUT>"}},
        {{"chart", "-o", out, "--help"},
         "usage: lenzora-cli chart [--paper TEXT] [--dpi N] [--pitch LPI] [--bands N] "
         "[--increment N]",
         {"--paper <TEXT>", "--dpi <N>", "--pitch <LPI>", "--bands <N>", "--increment <N>",
          "--json", "-o <OUT>", "-h, --help"}},
        {{"settings", "-h"},
         "usage: lenzora-cli settings [--frames N] [--pitch LPI] [--width V] [--height V]",
         {"--frames <N>", "--pitch <LPI>", "--width <V>", "--height <V>", "--unit <mm|in|px>",
          "--json", "-h, --help"}},
    };
    for (const Case& c : cases) {
        const testing::ProcessResult r = cli(c.args);
        EXPECT_EQ(r.exitCode, 0) << ::testing::PrintToString(c.args);
        EXPECT_EQ(r.err, "") << ::testing::PrintToString(c.args);
        EXPECT_EQ(firstLine(r.out), c.firstLine) << r.out;
        for (const std::string& mention : c.mentions) {
            EXPECT_NE(r.out.find(mention), std::string::npos) << mention << " in\n" << r.out;
        }
        EXPECT_FALSE(fs::exists(out)) << ::testing::PrintToString(c.args);
    }
}

// The overview given without a command lists every option of every command's --help.
TEST(CliUsage, TheOverviewListsEveryOptionOfTheCommands) {
    const testing::ProcessResult overview = cli({});
    for (const char* command : {"compose", "proof", "chart", "settings"}) {
        std::istringstream help(cli({command, "--help"}).out);
        int options = 0;
        for (std::string line; std::getline(help, line);) {
            // "  --jobs <N>   Threads ...": an option line; help itself is not in the overview.
            if (!line.starts_with("  -") || line.starts_with("  -h, --help")) continue;
            const std::string option = line.substr(2, line.find(' ', 2) - 2);
            EXPECT_TRUE(overview.err.find("[" + option) != std::string::npos ||
                        overview.err.find(" " + option + " ") != std::string::npos)
                << command << " " << option << " in\n"
                << overview.err;
            ++options;
        }
        EXPECT_GT(options, 1) << command;
    }
}

// Both programs name their version and end, the window's without a display to open; its
// help too, which its manual page is made from on a builder without a display.
TEST(CliUsage, BothProgramsAnswerVersion) {
    std::vector<std::pair<std::string, std::string>> programs = {{LENZORA_CLI, "lenzora-cli"}};
#ifdef LENZORA_APP
    programs.emplace_back(LENZORA_APP, "lenzora");
#endif
    for (const auto& [program, name] : programs) {
        const testing::ProcessResult r =
            testing::runProcess("/usr/bin/env", {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u",
                                                 "QT_QPA_PLATFORM", program, "--version"});
        EXPECT_EQ(r.exitCode, 0) << name << ": " << r.err;
        EXPECT_EQ(r.out, name + " " LENZORA_VERSION "\n");
    }
#ifdef LENZORA_APP
    const testing::ProcessResult help = testing::runProcess(
        "/usr/bin/env", {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", LENZORA_APP, "--help"});
    EXPECT_EQ(help.exitCode, 0) << help.err;
    EXPECT_EQ(help.out.rfind("Usage: lenzora [--help | --version]\n", 0), 0u) << help.out;
#endif
}

// The tool's errors speak the desktop's language, as the window does (LENZORA_LANG decides
// over it); usage and help are English in every language.
TEST(CliUsage, ErrorsFollowTheDesktopLanguageHelpIsEnglish) {
    testing::TempDir dir;
    const std::string out = (dir / "chart.bmp").string();
    const std::string chinese = "lenzora-cli: DPI不对!\n";
    const std::string english = "lenzora-cli: The DPI is not valid.\n";
    struct Case {
        const char* lang;
        const char* override;
        const std::string& message;
    } cases[] = {
        {"C", nullptr, chinese},
        {"C.UTF-8", nullptr, chinese},
        {"POSIX", nullptr, chinese},
        {"zh_CN.UTF-8", nullptr, chinese},
        {"zh_TW.UTF-8", nullptr, chinese},
        {"en_US.UTF-8", nullptr, english},
        {"de_DE.UTF-8", nullptr, english},
        {"en_US.UTF-8", "zh", chinese},
        {"C", "en", english},
    };
    auto inLanguage = [](const char* lang, const char* override, std::vector<std::string> args) {
        std::vector<std::string> command = {"-u", "LC_ALL", "-u", "LC_MESSAGES", "-u", "LANGUAGE"};
        if (override == nullptr) command.insert(command.end(), {"-u", "LENZORA_LANG"});
        command.push_back(std::string("LANG=") + lang);
        if (override != nullptr) command.push_back(std::string("LENZORA_LANG=") + override);
        command.emplace_back(LENZORA_CLI);
        command.insert(command.end(), args.begin(), args.end());
        return testing::runProcess("/usr/bin/env", command);
    };
    for (const Case& c : cases) {
        const testing::ProcessResult r =
            inLanguage(c.lang, c.override, {"chart", "--dpi", "0", "-o", out});
        EXPECT_EQ(r.exitCode, 1) << c.lang;
        EXPECT_EQ(r.err, c.message) << c.lang << " " << (c.override ? c.override : "");
    }
    for (const char* command : {"compose", "chart", "settings"}) {
        const testing::ProcessResult r = inLanguage("zh_CN.UTF-8", nullptr, {command, "--help"});
        EXPECT_EQ(r.exitCode, 0) << command;
        EXPECT_TRUE(std::all_of(r.out.begin(), r.out.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x80;
        })) << r.out;
    }
}

// The test's working folder for a while, so that names can start with a dash.
class InFolder {
  public:
    explicit InFolder(const fs::path& folder) : before_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~InFolder() { fs::current_path(before_); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

  private:
    fs::path before_;
};

TEST(CliUsage, DoubleDashEndsTheOptions) {
    testing::TempDir dir;
    testing::writeBmp(dir / "-a.bmp", testing::patternImage(40, 30, 1));
    testing::writeBmp(dir / "--mode=rows.bmp", testing::patternImage(40, 30, 2));
    InFolder in(dir.path());
    const testing::ProcessResult options =
        cli({"compose", "-o", "out.bmp", "--mode=rows.bmp", "-a.bmp"});
    EXPECT_EQ(options.exitCode, 2);
    EXPECT_EQ(firstLine(options.err), "lenzora-cli: unknown option -a.bmp");

    const testing::ProcessResult names =
        cli({"compose", "-o", "out.bmp", "--", "--mode=rows.bmp", "-a.bmp"});
    ASSERT_EQ(names.exitCode, 0) << names.err;
    EXPECT_EQ(names.out.rfind("out.bmp: ", 0), 0u) << names.out;
    EXPECT_TRUE(fs::exists(dir / "out.bmp"));
}

TEST(CliUsage, NamesNotInUtf8AreReadButRefusedForWriting) {
    struct Case {
        std::string name;  // bytes of the output's file name
        bool saved;        // false: refused, as the toolkit would write another name
    } cases[] = {
        {"out-\xff.bmp", false},
        {"\xe9t\xe9.bmp", false},
        {"\xe5\x90\x88\xe6\x88\x90.bmp", true},
        {"quote\" back\\ tab\t.bmp", true},
    };
    testing::TempDir dir;
    // Frames under names that are no UTF-8 are read all the same.
    const std::string first = (dir / "frame-\xe9.bmp").string();
    const std::string second = (dir / "frame-\xfe\xff.bmp").string();
    testing::writeBmp(dir / "a.bmp", testing::patternImage(40, 30, 1));
    testing::writeBmp(dir / "b.bmp", testing::patternImage(40, 30, 2));
    fs::rename(dir / "a.bmp", first);
    fs::rename(dir / "b.bmp", second);
    for (const Case& c : cases) {
        const std::string out = (dir / c.name).string();
        const testing::ProcessResult r = cli({"compose", "--json", "-o", out, first, second});
        if (!c.saved) {
            EXPECT_EQ(r.exitCode, 1) << c.name;
            EXPECT_NE(r.err.find("Invalid file name"), std::string::npos) << r.err;
            EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2) << c.name;
            continue;
        }
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(fs::exists(out)) << c.name;
        const QJsonObject json = testing::jsonLine(r.out);
        EXPECT_EQ(json["output"], QJsonValue(QString::fromUtf8(out.c_str())));
        EXPECT_EQ(json["frames"], QJsonValue(2));
    }
}

}  // namespace
}  // namespace lenzora
