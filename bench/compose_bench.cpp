// The whole compose (loading the frames, preparing, interlacing, preview, saving) on every core
// and on one thread, against the single-core floor of the same machine: decoding the same JPEG
// files with libjpeg-turbo alone on one core and writing the same bytes (the working files
// without a flush, the composite flushed as the compose flushes it). Then the longest wait of
// an event loop while the compose runs on its own thread as in the main window, and the batch
// tool on the same frames for its peak memory, with and without the calibration band.
//
//   compose_bench [--frames 16|2] [--rounds N (5)] [--keep DIR]
// 16 frames: 4000 x 3000 JPEG frames into 287 x 200 mm at 42.275 lpi.
// 2 frames: the same frames at the defaults (2 frames, 287 x 200 mm, 42.275 lpi).
//
//   LENZORA_CLI=lenzora-cli compose_bench --limits [--cases abc] [--rounds N (5)] [--keep DIR]
// The batch tool composing 16 frames, whole process against whole process, next to the limit
// of the same machine: a process that decodes the same JPEG files with libjpeg-turbo alone on
// every core and saves as many bytes as the tool's output file once. See limitCases().

#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

// After <cstdio>: the library's header uses FILE without including it.
#include <jpeglib.h>

#include "app/compose_job.h"
#include "compose/compose_session.h"
#include "core/output_settings.h"
#include "core/working_files.h"
#include "interlace/compose_state.h"
#include "output/save_composite.h"
#include "platform/drive_paths.h"
#include "platform/file_io.h"
#include "platform/save_file.h"
#include "platform/work_pool.h"
#include "raster/jpeg_codec.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kMeasureChild = "--measure-child";
constexpr const char* kLimitChild = "--limit-child";

double seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// A photograph-like frame: smooth gradients with some detail, so the JPEG is of usual size.
lenzora::raster::RasterImage frameImage(int w, int h, int tag) {
    lenzora::raster::RasterImage image;
    image.create(lenzora::raster::PixelFormat::Bgr24, w, h);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = image.row(y);
        for (int x = 0; x < w; ++x) {
            std::uint8_t* pixel = row + 3 * static_cast<std::size_t>(x);
            pixel[0] = static_cast<std::uint8_t>((x + tag * 16) / 16);
            pixel[1] = static_cast<std::uint8_t>((y / 12) ^ (x / 40));
            pixel[2] = static_cast<std::uint8_t>((x * y / 997 + tag * 9) & 0xFF);
        }
    }
    return image;
}

// Where decoded rows go: a whole frame's worth of fresh memory, or a band of 32 rows used over
// and over, which stays in the cache as the batch tool's band does.
enum class Rows { WholeFrame, Band };

// libjpeg-turbo alone: the file into a buffer of rows.
void decodeOnly(std::span<const std::uint8_t> file, Rows into = Rows::WholeFrame) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    const std::size_t rowBytes = static_cast<std::size_t>(cinfo.output_width) * 3;
    const JDIMENSION rows = into == Rows::Band ? 32 : cinfo.output_height;
    std::vector<std::uint8_t> pixels(rowBytes * rows);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.data() + (cinfo.output_scanline % rows) * rowBytes;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

// Writing files of the compose's sizes in 8 MiB pieces; only the last, the composite, flushed.
// Each goes in as the compose puts its files in place of the last round's: written whole under
// a new name, the two names exchanged, the old file removed (renaming over it would make ext4
// write it out at once).
// `size` bytes handed to `put` in 8 MiB pieces.
void inPieces(std::uint64_t size, const std::function<void(const char*, std::size_t)>& put) {
    static const std::vector<char> chunk(8 << 20, 'x');
    for (std::uint64_t left = size; left > 0;) {
        const std::size_t piece = std::min<std::uint64_t>(left, chunk.size());
        put(chunk.data(), piece);
        left -= piece;
    }
}

void writeOnly(const fs::path& dir, const std::vector<std::uint64_t>& sizes) {
    int index = 0;
    for (std::uint64_t size : sizes) {
        const fs::path path = dir / ("floor-" + std::to_string(index++));
        const fs::path fresh = dir / "floor-new";
        const int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        inPieces(size, [fd](const char* data, std::size_t piece) {
            if (::write(fd, data, piece) < 0) std::abort();
        });
        if (index == static_cast<int>(sizes.size())) ::fsync(fd);
        ::close(fd);
        if (::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0)
            ::unlink(fresh.c_str());
        else
            ::rename(fresh.c_str(), path.c_str());  // the first round
    }
}

void removeFloorFiles(const fs::path& dir, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) fs::remove(dir / ("floor-" + std::to_string(i)));
}

struct Child {
    double wall = 0;
    long maxRssKb = 0;
    int status = -1;
};

// Runs argv[0] with its arguments and waits for it, its output thrown away.
Child forkAndWait(char* const* argv) {
    const Clock::time_point start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Its messages too: standard error carries the measuring copy's report.
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execv(argv[0], argv);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    return {seconds(start), usage.ru_maxrss, status};
}

// The batch tool's run, measured by a fresh copy of this program: a child's peak memory counts
// what it held as a copy of its parent before starting the tool, and this process holds several
// composites by now.
Child runChild(const std::vector<std::string>& args) {
    std::vector<std::string> measured = {"/proc/self/exe", kMeasureChild};
    measured.insert(measured.end(), args.begin(), args.end());
    std::vector<char*> argv;
    argv.reserve(measured.size() + 1);
    for (const std::string& a : measured) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) std::abort();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeEnds[1], STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    char report[128] = {};
    const ssize_t got = ::read(pipeEnds[0], report, sizeof report - 1);
    ::close(pipeEnds[0]);
    ::waitpid(pid, nullptr, 0);
    Child child;
    if (got <= 0 ||
        std::sscanf(report, "%lf %ld %d", &child.wall, &child.maxRssKb, &child.status) != 3) {
        std::abort();
    }
    return child;
}

// The fresh copy's part: runs the tool and reports on standard error.
int measureChild(char** argv) {
    const Child child = forkAndWait(argv);
    std::fprintf(stderr, "%f %ld %d\n", child.wall, child.maxRssKb, child.status);
    return 0;
}

// `size` bytes saved as the program saves a picture: platform::SaveFile, which writes an unnamed
// file, asks the disk to start as it goes, flushes it at the end and puts it in place.
void saveOnly(const fs::path& path, std::uint64_t size) {
    lenzora::platform::SaveFile file(path);
    inPieces(size, [&file](const char* data, std::size_t piece) { file.write(data, piece); });
    file.commit();
}

// The limit's own process: LIMIT_CHILD BYTES OUTPUT FRAME...; the frames decoded by
// libjpeg-turbo alone, one file per thread on as many threads as cores, into bands as the batch
// tool decodes them, then BYTES saved to OUTPUT.
int limitChild(int argc, char** argv) {
    const std::uint64_t bytes = std::strtoull(argv[2], nullptr, 10);
    const std::vector<std::string> jpegs(argv + 4, argv + argc);
    lenzora::platform::runTasks(static_cast<int>(jpegs.size()), lenzora::platform::coreCount(),
                                [&jpegs](int i) {
                                    const lenzora::platform::MappedFile file(jpegs[i]);
                                    decodeOnly({file.data(), file.size()}, Rows::Band);
                                });
    saveOnly(argv[3], bytes);
    return 0;
}

// One job of the --limits mode: the batch tool's options besides -o and the frames, and the
// composite it makes (its size in pixels, and the format by the output's extension).
struct LimitCase {
    char name;
    std::vector<std::string> options;
    const char* extension;
    std::uint64_t width, height;
    double target;  // the tool's time at most this many times the limit's
    bool large;     // needs 15 GB of free disk; peak memory at most 1 GB
};

std::vector<LimitCase> limitCases() {
    return {
        {'a', {}, ".bmp", 7642, 5325, 1.3, false},
        {'b', {"--print-dpi", "1440"}, ".bmp", 16271, 11339, 1.5, false},
        {'c',
         {"--print-dpi", "720", "--width", "1200", "--height", "1800"},
         ".tif",
         34016,
         51024,
         1.5,
         true},
    };
}

// The output's size while the tool has made none: a BMP's exactly, a TIFF's pixels alone.
std::uint64_t expectedBytes(const LimitCase& job) {
    if (std::strcmp(job.extension, ".bmp") == 0)
        return 54 + (job.width * 3 + 3) / 4 * 4 * job.height;
    return job.width * job.height * 3;
}

bool succeeded(const Child& child) {
    return WIFEXITED(child.status) && WEXITSTATUS(child.status) == 0;
}

std::string outcome(const Child& child) {
    if (WIFSIGNALED(child.status)) return "signal " + std::to_string(WTERMSIG(child.status));
    return "exit " + std::to_string(WEXITSTATUS(child.status));
}

double megabytes(long kilobytes) { return static_cast<double>(kilobytes) * 1024.0 / 1e6; }

double medianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// One case: a warm-up round, then `rounds` rounds of the tool and the limit taking turns, each
// a fresh process, so that neither always finds the file cache or the machine's memory in the
// same state. Every output is deleted as soon as its size is known.
void measureLimitCase(const LimitCase& job, const std::string& cli,
                      const std::vector<std::string>& jpegs, const fs::path& dir, int rounds) {
    std::string command = "lenzora-cli compose";
    for (const std::string& option : job.options) command += " " + option;
    std::printf("%c. %s -o X%s FRAMES -> %llu x %llu\n", job.name, command.c_str(), job.extension,
                static_cast<unsigned long long>(job.width),
                static_cast<unsigned long long>(job.height));
    constexpr double kFreeNeeded = 15e9;
    if (job.large) {
        const double free = static_cast<double>(fs::space(dir).available);
        if (free < kFreeNeeded) {
            std::printf("   skipped: %.1f GB free in %s, 15 GB needed\n", free / 1e9, dir.c_str());
            return;
        }
    }
    const fs::path toolOutput = dir / (std::string("tool") + job.extension);
    const fs::path limitOutput = dir / (std::string("limit") + job.extension);
    std::uint64_t bytes = expectedBytes(job);
    bool bytesMeasured = false;
    std::vector<Child> tools, limits;
    for (int round = 0; round <= rounds; ++round) {
        std::vector<std::string> args = {cli, "compose", "-o", toolOutput.string()};
        args.insert(args.end(), job.options.begin(), job.options.end());
        args.insert(args.end(), jpegs.begin(), jpegs.end());
        const Child tool = runChild(args);
        if (fs::exists(toolOutput)) {
            bytes = fs::file_size(toolOutput);
            bytesMeasured = true;
            fs::remove(toolOutput);
        }
        args = {"/proc/self/exe", kLimitChild, std::to_string(bytes), limitOutput.string()};
        args.insert(args.end(), jpegs.begin(), jpegs.end());
        const Child limit = runChild(args);
        fs::remove(limitOutput);
        std::fprintf(
            stderr, "%c round %d%s: tool %.2f s, %.0f MB (%s); limit %.2f s, %.0f MB (%s)\n",
            job.name, round, round == 0 ? " (warming up)" : "", tool.wall, megabytes(tool.maxRssKb),
            outcome(tool).c_str(), limit.wall, megabytes(limit.maxRssKb), outcome(limit).c_str());
        if (round == 0) continue;
        tools.push_back(tool);
        limits.push_back(limit);
    }

    std::vector<double> toolTimes, limitTimes, ratios;
    long toolPeak = 0, limitPeak = 0;
    int failed = 0;
    for (std::size_t i = 0; i < tools.size(); ++i) {
        limitTimes.push_back(limits[i].wall);
        limitPeak = std::max(limitPeak, limits[i].maxRssKb);
        if (!succeeded(tools[i]) || !succeeded(limits[i])) {
            ++failed;
            continue;
        }
        toolTimes.push_back(tools[i].wall);
        toolPeak = std::max(toolPeak, tools[i].maxRssKb);
        ratios.push_back(tools[i].wall / limits[i].wall);
    }
    std::printf("   output %.0f MB%s\n", static_cast<double>(bytes) / 1e6,
                bytesMeasured ? "" : " (expected: the tool made none)");
    std::printf("   limit %8.2f s, peak memory %5.0f MB\n", medianOf(limitTimes),
                megabytes(limitPeak));
    if (toolTimes.empty()) {
        std::printf("   tool refused or failed in every round (%s)\n",
                    outcome(tools.back()).c_str());
        return;
    }
    std::printf("   tool  %8.2f s, peak memory %5.0f MB%s\n", medianOf(toolTimes),
                megabytes(toolPeak), job.large ? " (target: at most 1000 MB)" : "");
    std::printf("   tool / limit %.2f x (round by round %.2f x; target: at most %.1f x)\n",
                medianOf(toolTimes) / medianOf(limitTimes), medianOf(ratios), job.target);
    if (failed > 0) std::printf("   %d of %d rounds failed and are left out\n", failed, rounds);
}

// The --limits mode: the cases asked for, one after the other.
int measureLimits(const std::string& cases, const std::vector<std::string>& jpegs,
                  const fs::path& dir, int rounds) {
    const char* cli = std::getenv("LENZORA_CLI");
    if (cli == nullptr) {
        std::fprintf(stderr, "compose_bench --limits: set LENZORA_CLI to the batch tool\n");
        return 2;
    }
    std::printf(
        "%zu frames of 4000 x 3000 JPEG, %d cores; medians of %d rounds after a warm-up, "
        "the tool and the limit taking turns\n",
        jpegs.size(), lenzora::platform::coreCount(), rounds);
    for (const LimitCase& job : limitCases()) {
        if (cases.find(job.name) == std::string::npos) continue;
        measureLimitCase(job, cli, jpegs, dir, rounds);
        // Other work on the machine moves every figure: say how busy it was.
        double load[3] = {};
        if (::getloadavg(load, 3) == 3)
            std::printf("   load average after it: %.2f %.2f %.2f\n", load[0], load[1], load[2]);
    }
    return 0;
}

// One whole compose as the batch tool runs it (decoding, working files, strips and interlacing
// in one go), on `threads` threads, then its preview and saving.
struct Composed {
    double composing = 0, previewing = 0, saving = 0, total = 0;
    std::vector<std::uint64_t> written;  // working files, then the composite
    std::int32_t width = 0, height = 0;
    std::size_t compositeBytes = 0;
    std::string resolution;
    int stripWidth = 0;
};

Composed composeOnce(const std::vector<std::string>& jpegs, int threads, const fs::path& dir) {
    namespace lz = lenzora;
    // The settings a start-up with a settings file of these values gives.
    lz::core::OutputSettings settings;
    lz::core::recomputeAtStartUp(settings);
    lz::compose::ComposeSession session(settings);
    lz::interlace::ComposeRun run;
    run.threads = threads;
    lz::interlace::NoProgress none;
    Composed c;
    const auto frames = static_cast<int>(jpegs.size());

    Clock::time_point start = Clock::now();
    session.composeFiles(jpegs, "287", "200", none, run);
    c.composing = seconds(start);
    Clock::time_point phase = Clock::now();
    lz::raster::RasterImage preview = session.composePreview();
    c.previewing = seconds(phase);
    phase = Clock::now();
    const fs::path output = dir / "composite.bmp";
    lz::output::saveComposite(session.composite(), output, settings.resolution);
    c.saving = seconds(phase);
    c.total = seconds(start);

    for (int q = 1; q <= frames; ++q)
        c.written.push_back(fs::file_size(lz::platform::hostPath(lz::core::workingCopyPath(q))));
    for (int q = 1; q <= frames; ++q)
        c.written.push_back(fs::file_size(lz::platform::hostPath(lz::core::stripFilePath(q))));
    c.written.push_back(fs::file_size(output));
    c.width = session.composite().width();
    c.height = session.composite().height();
    c.compositeBytes = session.composite().stride() * static_cast<std::size_t>(c.height);
    c.resolution = lz::core::formatFixed(settings.resolution);
    c.stripWidth = settings.stripWidth;
    return c;
}

// The frames loaded, then the compose and its preview on a thread of their own as the main
// window runs them, while this thread's event loop turns a zero-interval timer: the longest
// time between two turns.
double longestEventLoopWait(int argc, char** argv, const std::vector<std::string>& jpegs,
                            int threads) {
    namespace lz = lenzora;
    QCoreApplication app(argc, argv);
    lz::core::OutputSettings settings;
    lz::core::recomputeAtStartUp(settings);
    lz::compose::ComposeSession session(settings);
    session.loadFrames(jpegs, threads);
    session.setOutputSize("287", "200");

    QElapsedTimer sinceTurn;
    qint64 longest = 0;
    QTimer turning;
    turning.setInterval(0);
    QObject::connect(&turning, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTurn.nsecsElapsed());
        sinceTurn.restart();
    });
    sinceTurn.start();
    turning.start();
    lz::app::ComposeJob job(session, threads, &app, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    return static_cast<double>(longest) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], kMeasureChild) == 0) return measureChild(argv + 2);
    if (argc > 4 && std::strcmp(argv[1], kLimitChild) == 0) return limitChild(argc, argv);
    int frames = 16;
    int rounds = 5;
    fs::path keep;
    bool limits = false;
    std::string cases = "abc";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) frames = std::atoi(argv[++i]);
        if (std::strcmp(argv[i], "--keep") == 0 && i + 1 < argc) keep = argv[++i];
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) rounds = std::atoi(argv[++i]);
        if (std::strcmp(argv[i], "--cases") == 0 && i + 1 < argc) cases = argv[++i];
        if (std::strcmp(argv[i], "--limits") == 0) limits = true;
    }
    if (limits) frames = 16;
    const fs::path dir = keep.empty() ? fs::temp_directory_path() / "lenzora-compose-bench" : keep;
    fs::create_directories(dir / "c" / "lz3d");
    lenzora::platform::setDriveRoot(dir);

    std::vector<std::string> jpegs;
    for (int q = 1; q <= frames; ++q) {
        const fs::path path = dir / ("frame" + std::to_string(q) + ".jpg");
        if (!fs::exists(path)) {
            lenzora::platform::saveWholeFile(
                path, lenzora::raster::encodeJpeg(frameImage(4000, 3000, q)));
        }
        jpegs.push_back(path.string());
    }

    if (limits) {
        const int status = measureLimits(cases, jpegs, dir, std::max(1, rounds));
        if (keep.empty()) fs::remove_all(dir);
        return status;
    }

    const int cores = lenzora::platform::coreCount();
    // A round to warm up, then five or as many as asked, every core, one thread and the floor
    // taking turns, so that none of them always finds the file cache or the machine's memory in the
    // same state; the median round of each counts. The floor, on one core: the same JPEG files
    // decoded by libjpeg-turbo alone, the same bytes written.
    std::vector<Composed> allRounds, oneRounds;
    std::vector<double> decodeFloors, writeFloors;
    for (int round = 0; round <= std::max(1, rounds); ++round) {
        const Composed all = composeOnce(jpegs, cores, dir);
        const Composed one = composeOnce(jpegs, 1, dir);
        Clock::time_point phase = Clock::now();
        for (const std::string& path : jpegs) decodeOnly(lenzora::platform::readWholeFile(path));
        const double decoding = seconds(phase);
        phase = Clock::now();
        writeOnly(dir, one.written);
        const double writing = seconds(phase);
        std::fprintf(stderr, "round %d%s: all cores %.2f s, one thread %.2f s, floor %.2f s\n",
                     round, round == 0 ? " (warming up)" : "", all.total, one.total,
                     decoding + writing);
        if (round == 0) continue;
        allRounds.push_back(all);
        oneRounds.push_back(one);
        decodeFloors.push_back(decoding);
        writeFloors.push_back(writing);
    }
    auto median = [](std::vector<Composed> taken) {
        std::sort(taken.begin(), taken.end(),
                  [](const Composed& a, const Composed& b) { return a.total < b.total; });
        return taken[taken.size() / 2];
    };
    const Composed all = median(allRounds);
    const Composed one = median(oneRounds);
    const double decodeFloor = medianOf(decodeFloors);
    const double writeFloor = medianOf(writeFloors);
    std::vector<double> floors;
    for (std::size_t i = 0; i < decodeFloors.size(); ++i)
        floors.push_back(decodeFloors[i] + writeFloors[i]);
    const double floor = medianOf(floors);
    // The ratios round by round, each of three runs made one after the other, so that a
    // drift of the machine's speed over the rounds cancels out; their medians.
    std::vector<double> allToFloor, allToOne, oneToFloor;
    for (std::size_t i = 0; i < floors.size(); ++i) {
        allToFloor.push_back(allRounds[i].total / floors[i]);
        allToOne.push_back(allRounds[i].total / oneRounds[i].total);
        oneToFloor.push_back(oneRounds[i].total / floors[i]);
    }
    std::uint64_t bytes = 0;
    for (std::uint64_t b : one.written) bytes += b;
    removeFloorFiles(dir, one.written.size());

    const double longestWait = longestEventLoopWait(argc, argv, jpegs, cores);

    std::printf("%d frames of 4000 x 3000 -> %d x %d at %s dpi (strip width %d), %d cores\n",
                frames, all.width, all.height, all.resolution.c_str(), all.stripWidth, cores);
    std::printf("                               all cores  one thread\n");
    std::printf("  decode, prepare, interlace  %8.2f s  %8.2f s\n", all.composing, one.composing);
    std::printf("  preview                     %8.2f s  %8.2f s\n", all.previewing, one.previewing);
    std::printf("  saving                      %8.2f s  %8.2f s\n", all.saving, one.saving);
    std::printf("  compose in all              %8.2f s  %8.2f s\n", all.total, one.total);
    std::printf("  floor: decoding alone       %8.2f s\n", decodeFloor);
    std::printf("  floor: writing %6.0f MB     %8.2f s\n", static_cast<double>(bytes) / 1e6,
                writeFloor);
    std::printf("  floor in all                %8.2f s\n", floor);
    std::printf("  all cores / floor           %8.2f  (round by round: %.2f)\n", all.total / floor,
                medianOf(allToFloor));
    std::printf("  all cores / one thread      %8.2f  (round by round: %.2f)\n",
                all.total / one.total, medianOf(allToOne));
    std::printf("  one thread / floor          %8.2f  (round by round: %.2f)\n", one.total / floor,
                medianOf(oneToFloor));
    std::printf("  longest event-loop wait     %8.1f ms (compose on its own thread)\n",
                longestWait * 1000.0);

    const char* cli = std::getenv("LENZORA_CLI");
    if (cli != nullptr) {
        const double composite = static_cast<double>(all.compositeBytes) / 1e6;
        std::printf("  composite                   %8.0f MB\n", composite);
        for (const char* jobs : {"", "1"}) {
            for (bool band : {false, true}) {
                std::vector<std::string> args = {cli, "compose", "-o", (dir / "cli.bmp").string()};
                if (*jobs != 0) args.insert(args.end(), {"--jobs", jobs});
                if (band) args.emplace_back("--calibration");
                args.insert(args.end(), jpegs.begin(), jpegs.end());
                const Child child = runChild(args);
                const double peak = static_cast<double>(child.maxRssKb) / 1024.0;
                std::printf(
                    "  lenzora-cli compose%s%s: %.2f s, peak memory %.0f MB = %.2f x the "
                    "composite (exit %d)\n",
                    *jobs != 0 ? " --jobs 1" : "", band ? " --calibration" : "", child.wall, peak,
                    peak * 1.048576 / composite, WEXITSTATUS(child.status));
            }
        }
    }
    if (keep.empty()) fs::remove_all(dir);
    return 0;
}
