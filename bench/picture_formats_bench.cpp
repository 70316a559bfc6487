// Loading a 12-megapixel PNG and TIFF frame from a file, each next to its floor: the library
// decoding the same file into one buffer, with nothing of ours around it; and the PNG, TIFF and
// JPEG frames read row by row, as a compose band by band reads them.

#include <benchmark/benchmark.h>
#include <png.h>
#include <tiffio.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "photo_picture.h"
#include "platform/save_file.h"
#include "raster/jpeg_codec.h"
#include "raster/picture_formats.h"
#include "raster/png_codec.h"
#include "raster/tiff_codec.h"

namespace {

using namespace lenzora;
using namespace lenzora::raster;

constexpr std::int32_t kWidth = 4000;
constexpr std::int32_t kHeight = 3000;

// The two files, as the program writes them, made once before any clock starts.
const std::filesystem::path& frameFile(const char* name) {
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / "lenzora-format-bench";
        std::filesystem::create_directories(path);
        const RasterImage image = bench::photoPicture(kWidth, kHeight);
        platform::saveWholeFile(path / "frame.png", encodePng(image));
        platform::saveWholeFile(path / "frame.tif", encodeTiff(image));
        platform::saveWholeFile(path / "frame.jpg", encodeJpeg(image));
        return path;
    }();
    static const std::filesystem::path png = folder / "frame.png";
    static const std::filesystem::path tif = folder / "frame.tif";
    static const std::filesystem::path jpg = folder / "frame.jpg";
    const std::string_view extension(name);
    return extension == "png" ? png : extension == "tif" ? tif : jpg;
}

void setFileSize(benchmark::State& state, const std::filesystem::path& path) {
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
}

void LoadPngFile_12MP(benchmark::State& state) {
    const std::filesystem::path& path = frameFile("png");
    for (auto _ : state) {
        RasterImage image = loadPngFile(path);
        benchmark::DoNotOptimize(image.row(0));
    }
    setFileSize(state, path);
}
BENCHMARK(LoadPngFile_12MP)->Unit(benchmark::kMillisecond);

// Floor: libpng reading the file through stdio straight into one buffer, rows in blue, green,
// red, that is already in memory.
void LibpngDecode_12MP(benchmark::State& state) {
    const std::filesystem::path& path = frameFile("png");
    std::vector<std::uint8_t> pixels(std::size_t{kWidth} * 3 * kHeight, 1);
    std::vector<png_bytep> rows(kHeight);
    for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = pixels.data() + y * 3 * kWidth;
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_init_io(png, file);
        png_read_info(png, info);
        png_set_bgr(png);
        png_read_update_info(png, info);
        png_read_rows(png, rows.data(), nullptr, kHeight);
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(LibpngDecode_12MP)->Unit(benchmark::kMillisecond);

void LoadTiffFile_12MP(benchmark::State& state) {
    const std::filesystem::path& path = frameFile("tif");
    for (auto _ : state) {
        RasterImage image = loadTiffFile(path);
        benchmark::DoNotOptimize(image.row(0));
    }
    setFileSize(state, path);
}
BENCHMARK(LoadTiffFile_12MP)->Unit(benchmark::kMillisecond);

// Floor: libtiff opening the file itself and decoding every strip into one buffer, in the
// file's red, green, blue.
void LibtiffDecode_12MP(benchmark::State& state) {
    const std::filesystem::path& path = frameFile("tif");
    std::vector<std::uint8_t> pixels(std::size_t{kWidth} * 3 * kHeight, 1);
    for (auto _ : state) {
        TIFF* tiff = TIFFOpen(path.c_str(), "r");
        const tstrip_t strips = TIFFNumberOfStrips(tiff);
        const tmsize_t stripSize = TIFFStripSize(tiff);
        for (tstrip_t s = 0; s < strips; ++s) {
            TIFFReadEncodedStrip(tiff, s, pixels.data() + std::size_t{s} * stripSize, -1);
        }
        TIFFClose(tiff);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(LibtiffDecode_12MP)->Unit(benchmark::kMillisecond);

void LoadJpegFile_12MP(benchmark::State& state) {
    const std::filesystem::path& path = frameFile("jpg");
    for (auto _ : state) {
        RasterImage image = loadJpegFile(path);
        benchmark::DoNotOptimize(image.row(0));
    }
    setFileSize(state, path);
}
BENCHMARK(LoadJpegFile_12MP)->Unit(benchmark::kMillisecond);

// Every row decoded into the same one row of blue, green, red.
void readRowByRow(benchmark::State& state, const char* name) {
    const std::filesystem::path& path = frameFile(name);
    for (auto _ : state) {
        const std::unique_ptr<RowReader> reader = frameFormatOf(path.string())->openRows(path);
        std::vector<std::uint8_t> row(3 * static_cast<std::size_t>(reader->width()));
        reader->readTo(reader->height(), [&row](std::int32_t) { return row.data(); });
        benchmark::DoNotOptimize(row.data());
    }
    setFileSize(state, path);
}
void RowReaderPng_12MP(benchmark::State& state) { readRowByRow(state, "png"); }
BENCHMARK(RowReaderPng_12MP)->Unit(benchmark::kMillisecond);
void RowReaderTiff_12MP(benchmark::State& state) { readRowByRow(state, "tif"); }
BENCHMARK(RowReaderTiff_12MP)->Unit(benchmark::kMillisecond);
void RowReaderJpeg_12MP(benchmark::State& state) { readRowByRow(state, "jpg"); }
BENCHMARK(RowReaderJpeg_12MP)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
