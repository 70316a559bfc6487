// The whole compose, phase by phase, against the floor of the same machine: decoding the same
// JPEG files with libjpeg-turbo alone and writing the same number of bytes to disk. Then the
// batch tool on the same frames, for its wall time and peak memory.
//
//   compose_bench [--frames 16|2] [--keep DIR]
// 16 frames: 4000 x 3000 JPEG frames into 287 x 200 mm at 42.275 lpi.
// 2 frames: the same frames at the defaults (2 frames, 287 x 200 mm, 42.275 lpi).

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

// After <cstdio>: the library's header uses FILE without including it.
#include <jpeglib.h>

#include "compose/compose_session.h"
#include "core/output_settings.h"
#include "core/working_files.h"
#include "interlace/compose_state.h"
#include "output/save_composite.h"
#include "platform/drive_paths.h"
#include "platform/file_io.h"
#include "platform/save_file.h"
#include "raster/jpeg_codec.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

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
            row[3 * x] = static_cast<std::uint8_t>((x + tag * 16) / 16);
            row[3 * x + 1] = static_cast<std::uint8_t>((y / 12) ^ (x / 40));
            row[3 * x + 2] = static_cast<std::uint8_t>((x * y / 997 + tag * 9) & 0xFF);
        }
    }
    return image;
}

// libjpeg-turbo alone: the file into a buffer of rows.
void decodeOnly(const lenzora::platform::Bytes& file) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(cinfo.output_width) *
                                     cinfo.output_height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.data() +
                       static_cast<std::size_t>(cinfo.output_scanline) * cinfo.output_width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

// Writing `bytes` to disk in 8 MiB pieces, flushed, as files of the compose's sizes.
void writeOnly(const fs::path& dir, const std::vector<std::uint64_t>& sizes) {
    std::vector<char> chunk(8 << 20, 'x');
    int index = 0;
    for (std::uint64_t size : sizes) {
        const fs::path path = dir / ("floor-" + std::to_string(index++));
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        for (std::uint64_t left = size; left > 0;) {
            const std::size_t piece = std::min<std::uint64_t>(left, chunk.size());
            if (::write(fd, chunk.data(), piece) < 0) std::abort();
            left -= piece;
        }
        ::fsync(fd);
        ::close(fd);
        fs::remove(path);
    }
}

struct Child {
    double wall = 0;
    long maxRssKb = 0;
    int status = -1;
};

Child runChild(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const Clock::time_point start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    return {seconds(start), usage.ru_maxrss, status};
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 16;
    fs::path keep;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) frames = std::atoi(argv[++i]);
        if (std::strcmp(argv[i], "--keep") == 0 && i + 1 < argc) keep = argv[++i];
    }
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

    // The settings a start-up with a settings file of these values gives.
    lenzora::core::OutputSettings settings;
    lenzora::core::recomputeAtStartUp(settings);
    std::vector<std::uint64_t> written;
    lenzora::compose::ComposeSession session(settings);

    Clock::time_point start = Clock::now();
    Clock::time_point phase = start;
    for (int q = 1; q <= frames; ++q) {
        session.loadFrame(q, jpegs[static_cast<std::size_t>(q - 1)]);
        session.countFrame(q);
        written.push_back(
            fs::file_size(lenzora::platform::hostPath(lenzora::core::workingCopyPath(q))));
    }
    const double loading = seconds(phase);

    session.setOutputSize("287", "200");
    lenzora::interlace::NoProgress none;
    phase = Clock::now();
    session.prepareStrips(none);
    const double preparing = seconds(phase);
    for (int q = 1; q <= frames; ++q) {
        written.push_back(
            fs::file_size(lenzora::platform::hostPath(lenzora::core::stripFilePath(q))));
    }

    phase = Clock::now();
    session.interlaceStrips(none);
    const lenzora::raster::RasterImage& composite = session.composite();
    const double interlacing = seconds(phase);

    phase = Clock::now();
    lenzora::raster::RasterImage preview = session.composePreview();
    const double previewing = seconds(phase);

    phase = Clock::now();
    const fs::path output = dir / "composite.bmp";
    lenzora::output::saveComposite(composite, output, settings.resolution);
    written.push_back(fs::file_size(output));
    const double saving = seconds(phase);
    const double total = loading + preparing + interlacing + previewing + saving;

    // The floor: the same JPEG files decoded by libjpeg-turbo alone, the same bytes written.
    phase = Clock::now();
    for (const std::string& path : jpegs) decodeOnly(lenzora::platform::readWholeFile(path));
    const double decodeFloor = seconds(phase);
    phase = Clock::now();
    writeOnly(dir, written);
    const double writeFloor = seconds(phase);
    std::uint64_t bytes = 0;
    for (std::uint64_t b : written) bytes += b;

    std::printf("%d frames of 4000 x 3000 -> %d x %d at %s dpi (strip width %d)\n", frames,
                composite.width(), composite.height(),
                lenzora::core::formatFixed(settings.resolution).c_str(), settings.stripWidth);
    std::printf("  decoding and working copies %8.2f s\n", loading);
    std::printf("  preparing strips            %8.2f s\n", preparing);
    std::printf("  interlacing                 %8.2f s\n", interlacing);
    std::printf("  preview                     %8.2f s\n", previewing);
    std::printf("  saving                      %8.2f s\n", saving);
    std::printf("  compose in all              %8.2f s\n", total);
    std::printf("  floor: decoding alone       %8.2f s\n", decodeFloor);
    std::printf("  floor: writing %6.0f MB     %8.2f s\n", static_cast<double>(bytes) / 1e6,
                writeFloor);
    std::printf("  ratio to the floor          %8.2f\n", total / (decodeFloor + writeFloor));

    const char* cli = std::getenv("LENZORA_CLI");
    if (cli != nullptr) {
        std::vector<std::string> args = {cli, "compose", "-o", (dir / "cli.bmp").string()};
        args.insert(args.end(), jpegs.begin(), jpegs.end());
        const Child child = runChild(args);
        std::printf("  lenzora-cli compose: %.2f s, peak memory %.0f MB (exit %d)\n", child.wall,
                    static_cast<double>(child.maxRssKb) / 1024.0, WEXITSTATUS(child.status));
    }
    if (keep.empty()) fs::remove_all(dir);
    return 0;
}
