// Peak memory of the batch tool on inputs that once cost far more than the work they ask
// for: thin frames, a 100-megapixel frame, charts at high resolutions. Each run is a child
// process; its peak is the kernel's count of resident memory (ru_maxrss).
//
//   memory_bench PATH/TO/lenzora-cli [--keep DIR]

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/save_file.h"
#include "raster/bmp_codec.h"
#include "raster/jpeg_codec.h"

namespace fs = std::filesystem;
using lenzora::raster::PixelFormat;
using lenzora::raster::RasterImage;

namespace {

struct Run {
    long peakKb = 0;
    int exitCode = -1;
};

Run run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::fflush(stdout);  // or the child's stream would print our lines again
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (std::freopen("/dev/null", "w", stdout) == nullptr) ::_exit(126);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    return {usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

RasterImage gradient(std::int32_t w, std::int32_t h) {
    RasterImage image;
    image.create(PixelFormat::Bgr24, w, h);
    for (std::int32_t y = 0; y < h; ++y) {
        std::uint8_t* row = image.row(y);
        for (std::int32_t x = 0; x < w; ++x) {
            std::uint8_t* pixel = row + 3 * static_cast<std::size_t>(x);
            pixel[0] = static_cast<std::uint8_t>(x / 47);
            pixel[1] = static_cast<std::uint8_t>(y / 33);
            pixel[2] = static_cast<std::uint8_t>((x ^ y) & 0xFF);
        }
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: memory_bench PATH/TO/lenzora-cli [--keep DIR]\n");
        return 2;
    }
    const std::string cli = argv[1];
    fs::path dir = fs::temp_directory_path() / "lenzora-memory-bench";
    if (argc >= 4 && std::strcmp(argv[2], "--keep") == 0) dir = argv[3];
    fs::create_directories(dir);
    const std::string data = LENZORA_TEST_DATA;
    const std::string small = (dir / "small.bmp").string();
    const std::string big = (dir / "100mp.bmp").string();
    const std::string bigJpeg = (dir / "100mp.jpg").string();
    const std::string out = (dir / "out.bmp").string();
    lenzora::raster::saveBmpFile(gradient(400, 300), small);
    if (!fs::exists(big) || !fs::exists(bigJpeg)) {
        const RasterImage frame = gradient(12000, 8334);  // 100.0 megapixels, 300 MB
        lenzora::raster::saveBmpFile(frame, big);
        lenzora::platform::saveWholeFile(bigJpeg, lenzora::raster::encodeJpeg(frame));
    }

    struct Case {
        const char* name;
        std::vector<std::string> args;
        double boundMb;  // 0: none given
    } cases[] = {
        {"two 400 x 300 frames (the tool itself)", {"compose", "-o", out, small, small}, 0},
        {"thin 8-bit BMP 1 x 1000 and grey JPEG 8 x 4000",
         {"compose", "-o", out, data + "/thin-8bit-1x1000.bmp", data + "/thin-grey-8x4000.jpg"},
         0},
        // 2 x 300 MB decoded plus the 7.6 MB composite.
        {"100 MP 24-bit BMP frame", {"compose", "-o", out, big, small}, 2 * 300.0 + 7.6},
        {"100 MP JPEG frame", {"compose", "-o", out, bigJpeg, small}, 2 * 300.0 + 7.6},
        {"chart A4 at 2400 dpi", {"chart", "--dpi", "2400", "-o", out}, 0},
        {"chart A4 at 99999 dpi (refused)", {"chart", "--dpi", "99999", "-o", out}, 0},
    };
    std::printf("| case | exit | peak resident | bound |\n|---|---:|---:|---:|\n");
    for (const Case& c : cases) {
        std::vector<std::string> args = {cli};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Run r = run(args);
        std::printf(
            "| %s | %d | %.0f MB | %s |\n", c.name, r.exitCode,
            static_cast<double>(r.peakKb) / 1024.0,
            c.boundMb > 0 ? (std::to_string(static_cast<int>(c.boundMb)) + " MB").c_str() : "");
        std::fflush(stdout);
    }
    return 0;
}
