// The batch tool and the program ended by Ctrl-C, SIGTERM and SIGKILL while they work: no
// partial output, no temporary file or folder left once the next run is over.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <thread>

#include "platform/file_io.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

extern char** environ;

namespace lenzora {
namespace {

namespace fs = std::filesystem;

// A program started with some variables of its environment set, its output into `log`.
class Child {
  public:
    Child(const std::string& program, const std::vector<std::string>& args,
          const std::vector<std::string>& settings, const fs::path& log) {
        std::vector<std::string> env(settings);
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            const std::string name = entry.substr(0, entry.find('=') + 1);
            bool replaced = false;
            for (const std::string& s : settings) replaced = replaced || s.starts_with(name);
            if (!replaced) env.push_back(entry);
        }
        std::vector<std::string> argv = {program};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> argp, envp;
        for (std::string& a : argv) argp.push_back(a.data());
        for (std::string& e : env) envp.push_back(e.data());
        argp.push_back(nullptr);
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const int failed =
            ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argp.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (failed != 0) pid_ = -1;
    }
    ~Child() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            waitForEnd();
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    bool ended() {
        int status = 0;
        if (!status_ && ::waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
        return status_.has_value();
    }
    int waitForEnd() {
        int status = 0;
        if (!status_ && ::waitpid(pid_, &status, 0) == pid_) status_ = status;
        return status_.value_or(-1);
    }

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// Waits until `seen` holds while the child is still working; false if it ended first. The
// limit only keeps a broken build from hanging the test run.
bool whileWorking(Child& child, const std::function<bool()>& seen) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (std::chrono::steady_clock::now() < limit) {
        if (seen()) return !child.ended();
        if (child.ended()) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return false;
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string contentOf(const fs::path& path) {
    const platform::Bytes bytes = platform::readWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// The exit a signal leads to: the shell's 128 + its number when the program ends itself.
std::string describe(int status) {
    if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return std::string("killed by ") + ::strsignal(WTERMSIG(status));
    return "status " + std::to_string(status);
}

std::string expectedEnd(int signal) {
    if (signal == SIGKILL) return std::string("killed by ") + ::strsignal(SIGKILL);
    return "exit " + std::to_string(128 + signal);
}

class Interrupted : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // Frames large enough that decoding, preparing and writing them takes the tool a while.
        frames_ = std::make_unique<testing::TempDir>();
        for (int q = 1; q <= 4; ++q) {
            testing::writeJpeg(*frames_ / ("f" + std::to_string(q) + ".jpg"),
                               testing::patternImage(2000, 1500, q));
        }
        testing::writeBmp(*frames_ / "small1.bmp", testing::patternImage(40, 30, 1));
        testing::writeBmp(*frames_ / "small2.bmp", testing::patternImage(40, 30, 2));
    }
    static void TearDownTestSuite() { frames_.reset(); }

    void SetUp() override {
        fs::create_directory(dir_ / "tmp");
        fs::create_directory(dir_ / "out");
        std::ofstream(dir_ / "out" / "card.bmp") << "earlier content";
    }

    std::vector<std::string> composeArgs(const fs::path& out, bool large) const {
        std::vector<std::string> args = {"compose",
                                         "--unit",
                                         "px",
                                         "--width",
                                         large ? "4000" : "100",
                                         "--height",
                                         large ? "3000" : "80",
                                         "-o",
                                         out.string()};
        const std::vector<const char*> frames =
            large ? std::vector<const char*>{"f1.jpg", "f2.jpg", "f3.jpg", "f4.jpg"}
                  : std::vector<const char*>{"small1.bmp", "small2.bmp"};
        for (const char* name : frames) args.push_back((*frames_ / name).string());
        return args;
    }
    std::vector<std::string> environment() const { return {"TMPDIR=" + (dir_ / "tmp").string()}; }

    // The temporary work folder holds a finished working copy: frames are being loaded.
    // The process has a frame file mapped: it is decoding frames.
    static bool loadingFrames(pid_t pid) {
        std::ifstream maps(fs::path("/proc") / std::to_string(pid) / "maps");
        const std::string folder = frames_->path().string() + "/";
        for (std::string line; std::getline(maps, line);) {
            if (line.find(folder) != std::string::npos) return true;
        }
        return false;
    }

    // The process has a file open in the output folder: the composite is being written.
    static bool writingInto(pid_t pid, const fs::path& folder) {
        std::error_code gone;
        const std::string prefix = folder.string() + "/";
        for (fs::directory_iterator it(fs::path("/proc") / std::to_string(pid) / "fd", gone), end;
             !gone && it != end; it.increment(gone)) {
            const fs::path target = fs::read_symlink(it->path(), gone);
            if (!gone && target.string().starts_with(prefix)) return true;
        }
        return false;
    }

    static std::unique_ptr<testing::TempDir> frames_;
    testing::TempDir dir_;
};

std::unique_ptr<testing::TempDir> Interrupted::frames_;

TEST_F(Interrupted, TheComposeLeavesNothingBehindOnceTheNextRunIsOver) {
    for (int signal : {SIGINT, SIGTERM, SIGKILL}) {
        for (bool saving : {false, true}) {
            SCOPED_TRACE(std::string(::strsignal(signal)) +
                         (saving ? " while saving" : " while loading frames"));
            // A busy machine may let a save pass unseen; the compose is then run again.
            std::optional<Child> compose;
            bool working = false;
            for (int attempt = 0; attempt < 3 && !working; ++attempt) {
                compose.emplace(LENZORA_CLI, composeArgs(dir_ / "out" / "card.bmp", true),
                                environment(), dir_ / "log");
                ASSERT_GT(compose->pid(), 0);
                working = whileWorking(*compose, [&] {
                    return saving ? writingInto(compose->pid(), dir_ / "out")
                                  : loadingFrames(compose->pid());
                });
                if (!working) std::ofstream(dir_ / "out" / "card.bmp") << "earlier content";
            }
            ASSERT_TRUE(working) << "the compose ended before it could be interrupted:\n"
                                 << contentOf(dir_ / "log");
            ::kill(compose->pid(), signal);
            EXPECT_EQ(describe(compose->waitForEnd()), expectedEnd(signal))
                << contentOf(dir_ / "log");

            EXPECT_EQ(namesIn(dir_ / "out"), std::vector<std::string>{"card.bmp"});
            EXPECT_EQ(contentOf(dir_ / "out" / "card.bmp"), "earlier content");
            if (signal != SIGKILL) {
                EXPECT_EQ(namesIn(dir_ / "tmp"), std::vector<std::string>{})
                    << "the tool removes its own work folder";
            }

            Child next(LENZORA_CLI, composeArgs(dir_ / "out" / "next.bmp", false), environment(),
                       dir_ / "log");
            EXPECT_EQ(describe(next.waitForEnd()), "exit 0") << contentOf(dir_ / "log");
            EXPECT_EQ(namesIn(dir_ / "tmp"), std::vector<std::string>{})
                << "the next run removes what a killed one left";
            EXPECT_EQ(namesIn(dir_ / "out"), (std::vector<std::string>{"card.bmp", "next.bmp"}));
            fs::remove(dir_ / "out" / "next.bmp");
        }
    }
}

#ifdef LENZORA_APP
// The program's working files go when it is ended by a signal, as when it is closed.
TEST_F(Interrupted, TheProgramRemovesItsWorkingFiles) {
    for (int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(::strsignal(signal));
        const fs::path folder = dir_ / "data" / "lenzora" / "c" / "lz3d";
        fs::create_directories(folder);
        for (const char* name : {"t01.bmp", "x16.bmp"}) std::ofstream(folder / name) << "left";
        Child program(LENZORA_APP, {},
                      {"XDG_DATA_HOME=" + (dir_ / "data").string(), "QT_QPA_PLATFORM=offscreen",
                       "TMPDIR=" + (dir_ / "tmp").string()},
                      dir_ / "log");
        ASSERT_GT(program.pid(), 0);
        // The settings file is written while the main window is made, after the handlers are in.
        ASSERT_TRUE(whileWorking(program, [&] { return fs::exists(folder / "3d.cfg"); }))
            << contentOf(dir_ / "log");
        ::kill(program.pid(), signal);
        EXPECT_EQ(describe(program.waitForEnd()), expectedEnd(signal)) << contentOf(dir_ / "log");
        EXPECT_EQ(namesIn(folder), std::vector<std::string>{"3d.cfg"});
        fs::remove_all(dir_ / "data");
    }
}
#endif

}  // namespace
}  // namespace lenzora
