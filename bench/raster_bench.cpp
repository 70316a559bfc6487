// Raster library speed, each case next to its floor: a plain memcpy of the same bytes, or
// libjpeg-turbo decoding the same file straight into a buffer.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include <jpeglib.h>

#include "photo_picture.h"
#include "raster/bmp_codec.h"
#include "raster/jpeg_codec.h"
#include "raster/raster_image.h"

namespace {

using namespace lenzora;
using namespace lenzora::raster;

const RasterImage& photo6000x4000() {
    static const RasterImage image = bench::photoPicture(6000, 4000);
    return image;
}

void setBytes(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// --- stretching --------------------------------------------------------------------------------

void StretchImage_6000x4000(benchmark::State& state) {
    auto w = static_cast<std::int32_t>(state.range(0)),
         h = static_cast<std::int32_t>(state.range(1));
    RasterImage dest;
    dest.create(PixelFormat::Bgr24, w, h);
    for (auto _ : state) {
        dest.stretchImage({0, 0, w, h}, photo6000x4000());
        benchmark::ClobberMemory();
    }
    setBytes(state, dest.stride() * static_cast<std::size_t>(h));
}
BENCHMARK(StretchImage_6000x4000)
    ->Args({3000, 4000})
    ->Args({600, 400})
    ->Unit(benchmark::kMillisecond);

// Floor: copying the destination's bytes.
void Memcpy_StretchDestination(benchmark::State& state) {
    std::size_t bytes =
        RasterImage::strideFor(PixelFormat::Bgr24, static_cast<std::int32_t>(state.range(0))) *
        static_cast<std::size_t>(state.range(1));
    std::vector<std::uint8_t> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
    setBytes(state, bytes);
}
BENCHMARK(Memcpy_StretchDestination)
    ->Args({3000, 4000})
    ->Args({600, 400})
    ->Unit(benchmark::kMillisecond);

// --- strips ------------------------------------------------------------------------------------

constexpr std::int32_t kCompositeWidth = 10000;
constexpr std::int32_t kCompositeHeight = 7000;

// Every column of a 10000 × 7000 composite copied as its own one-pixel-wide strip.
void CopyArea_OnePixelStrips(benchmark::State& state) {
    static const RasterImage source = bench::photoPicture(kCompositeWidth, kCompositeHeight);
    RasterImage composite;
    composite.create(PixelFormat::Bgr24, kCompositeWidth, kCompositeHeight);
    for (auto _ : state) {
        for (std::int32_t x = 0; x < kCompositeWidth; ++x)
            composite.copyArea({x, 0, x + 1, kCompositeHeight}, source,
                               {x, 0, x + 1, kCompositeHeight});
        benchmark::ClobberMemory();
    }
    setBytes(state, composite.stride() * kCompositeHeight);
}
BENCHMARK(CopyArea_OnePixelStrips)->Unit(benchmark::kMillisecond);

// Strips of the usual width (a few pixels) for comparison.
void CopyArea_FourPixelStrips(benchmark::State& state) {
    static const RasterImage source = bench::photoPicture(kCompositeWidth, kCompositeHeight);
    RasterImage composite;
    composite.create(PixelFormat::Bgr24, kCompositeWidth, kCompositeHeight);
    for (auto _ : state) {
        for (std::int32_t x = 0; x < kCompositeWidth; x += 4)
            composite.copyArea({x, 0, x + 4, kCompositeHeight}, source,
                               {x, 0, x + 4, kCompositeHeight});
        benchmark::ClobberMemory();
    }
    setBytes(state, composite.stride() * kCompositeHeight);
}
BENCHMARK(CopyArea_FourPixelStrips)->Unit(benchmark::kMillisecond);

// The same one-pixel strips handed over together.
void CopyAreas_OnePixelStrips(benchmark::State& state) {
    static const RasterImage source = bench::photoPicture(kCompositeWidth, kCompositeHeight);
    RasterImage composite;
    composite.create(PixelFormat::Bgr24, kCompositeWidth, kCompositeHeight);
    std::vector<RasterImage::AreaCopy> strips;
    for (std::int32_t x = 0; x < kCompositeWidth; ++x)
        strips.push_back({{x, 0, x + 1, kCompositeHeight}, {x, 0, x + 1, kCompositeHeight}});
    for (auto _ : state) {
        composite.copyAreas(source, strips);
        benchmark::ClobberMemory();
    }
    setBytes(state, composite.stride() * kCompositeHeight);
}
BENCHMARK(CopyAreas_OnePixelStrips)->Unit(benchmark::kMillisecond);

// Sixteen frames' one-pixel strips into a 7642 x 5325 composite (16 frames at 676.4 dpi), in
// bands of 256 rows: each frame over the whole composite in turn (argument 1), or each band
// taking four frames before the next band (argument 4), as a compose groups its frames.
void CopyAreas_SixteenFramesInGroups(benchmark::State& state) {
    constexpr std::int32_t w = 7642, h = 5325, frames = 16, band = 256;
    const auto group = static_cast<int>(state.range(0));
    std::vector<RasterImage> strips;
    for (int q = 0; q < frames; ++q) strips.push_back(bench::photoPicture(w / frames, h));
    RasterImage composite;
    composite.create(PixelFormat::Bgr24, w, h);
    const auto copiesOf = [&](int q, std::int32_t top) {
        std::vector<RasterImage::AreaCopy> copies;
        const std::int32_t bottom = std::min(h, top + band);
        for (std::int32_t x = q, u = 0; x <= w; x += frames, ++u)
            copies.push_back({{x, top, x + 1, bottom}, {u, top, u + 1, bottom}});
        return copies;
    };
    for (auto _ : state) {
        for (int first = 0; first < frames; first += group) {
            for (std::int32_t top = 0; top < h; top += band) {
                for (int q = first; q < first + group; ++q)
                    composite.copyAreas(strips[static_cast<std::size_t>(q)], copiesOf(q, top));
            }
        }
        benchmark::ClobberMemory();
    }
    setBytes(state, composite.stride() * h);
}
BENCHMARK(CopyAreas_SixteenFramesInGroups)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

// A whole-image pixel-exact copy: row by row.
void DrawImageAt_WholeComposite(benchmark::State& state) {
    static const RasterImage source = bench::photoPicture(kCompositeWidth, kCompositeHeight);
    RasterImage composite;
    composite.create(PixelFormat::Bgr24, kCompositeWidth, kCompositeHeight);
    for (auto _ : state) {
        composite.drawImageAt(0, 0, source);
        benchmark::ClobberMemory();
    }
    setBytes(state, composite.stride() * kCompositeHeight);
}
BENCHMARK(DrawImageAt_WholeComposite)->Unit(benchmark::kMillisecond);

void Memcpy_Composite(benchmark::State& state) {
    std::size_t bytes =
        RasterImage::strideFor(PixelFormat::Bgr24, kCompositeWidth) * kCompositeHeight;
    std::vector<std::uint8_t> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
    setBytes(state, bytes);
}
BENCHMARK(Memcpy_Composite)->Unit(benchmark::kMillisecond);

// --- BMP ---------------------------------------------------------------------------------------

// 10000 × 6667 at 24 bits: 200 MB of pixels.
const RasterImage& image200MB() {
    static const RasterImage image = bench::photoPicture(10000, 6667);
    return image;
}

void BmpEncode_200MB(benchmark::State& state) {
    image200MB();  // made before the clock starts
    std::size_t size = 0;
    for (auto _ : state) {
        platform::Bytes bytes = encodeBmp(image200MB());
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    setBytes(state, size);
}
BENCHMARK(BmpEncode_200MB)->Unit(benchmark::kMillisecond);

void BmpDecode_200MB(benchmark::State& state) {
    static const platform::Bytes bytes = encodeBmp(image200MB());
    for (auto _ : state) {
        RasterImage image = decodeBmp(bytes);
        benchmark::DoNotOptimize(image.row(0));
    }
    setBytes(state, bytes.size());
}
BENCHMARK(BmpDecode_200MB)->Unit(benchmark::kMillisecond);

// Floors for both: the same bytes copied into a buffer already in memory, and into a fresh
// buffer of ordinary pages (what writing a new file's bytes costs).
void Memcpy_200MB(benchmark::State& state) {
    const RasterImage& image = image200MB();
    std::size_t bytes = image.stride() * static_cast<std::size_t>(image.height());
    std::vector<std::uint8_t> to(bytes, 1);
    for (auto _ : state) {
        std::memcpy(to.data(), image.row(0), bytes);
        benchmark::ClobberMemory();
    }
    setBytes(state, bytes);
}
BENCHMARK(Memcpy_200MB)->Unit(benchmark::kMillisecond);

void Memcpy_200MBIntoNewBuffer(benchmark::State& state) {
    const RasterImage& image = image200MB();  // made before the clock starts
    std::size_t bytes = image.stride() * static_cast<std::size_t>(image.height());
    for (auto _ : state) {
        platform::Bytes copy;
        copy.reserve(bytes);
        copy.insert(copy.end(), image.row(0), image.row(0) + bytes);
        benchmark::DoNotOptimize(copy.data());
    }
    setBytes(state, bytes);
}
BENCHMARK(Memcpy_200MBIntoNewBuffer)->Unit(benchmark::kMillisecond);

// With the file system: a saved picture (written unnamed, flushed to disk, put in place), a
// working file (written under a temporary name and swapped in, never flushed) and loading.
void BmpSavePicture_200MB(benchmark::State& state) {
    image200MB();
    std::filesystem::path path = std::filesystem::temp_directory_path() / "raster-bench.bmp";
    for (auto _ : state) saveBmpFile(image200MB(), path, 0);
    setBytes(state, encodeBmp(image200MB()).size());
    std::filesystem::remove(path);
}
BENCHMARK(BmpSavePicture_200MB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BmpSaveWorkingFile_200MB(benchmark::State& state) {
    image200MB();
    std::filesystem::path path = std::filesystem::temp_directory_path() / "raster-bench.bmp";
    for (auto _ : state) image200MB().saveBmpFile(path);
    setBytes(state, encodeBmp(image200MB()).size());
    std::filesystem::remove(path);
}
BENCHMARK(BmpSaveWorkingFile_200MB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BmpLoadFile_200MB(benchmark::State& state) {
    std::filesystem::path path = std::filesystem::temp_directory_path() / "raster-bench-load.bmp";
    image200MB().saveBmpFile(path);
    RasterImage image;
    for (auto _ : state) {
        image.loadBmpFile(path);
        benchmark::DoNotOptimize(image.row(0));
    }
    setBytes(state, std::filesystem::file_size(path));
    std::filesystem::remove(path);
}
BENCHMARK(BmpLoadFile_200MB)->Unit(benchmark::kMillisecond)->Iterations(3);

// --- JPEG --------------------------------------------------------------------------------------

// 4000 × 3000, 12 megapixels, as the program writes them (quality 90).
const platform::Bytes& jpeg12MP() {
    static const platform::Bytes bytes = encodeJpeg(bench::photoPicture(4000, 3000));
    return bytes;
}

void JpegDecode_12MP(benchmark::State& state) {
    const platform::Bytes& file = jpeg12MP();  // encoded before the clock starts
    for (auto _ : state) {
        RasterImage image = decodeJpeg(file);
        benchmark::DoNotOptimize(image.row(0));
    }
    state.counters["file_MB"] = static_cast<double>(jpeg12MP().size()) / 1e6;
}
BENCHMARK(JpegDecode_12MP)->Unit(benchmark::kMillisecond);

// Floor: libjpeg-turbo with its defaults, straight into one buffer in blue, green, red that
// is already in memory.
void LibjpegDecode_12MP(benchmark::State& state) {
    const platform::Bytes& file = jpeg12MP();
    std::vector<std::uint8_t> pixels(std::size_t{4000} * 3 * 3000, 1);
    for (auto _ : state) {
        jpeg_decompress_struct cinfo{};
        jpeg_error_mgr errors{};
        cinfo.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&cinfo);
        std::size_t stride = std::size_t(cinfo.output_width) * 3;
        JSAMPROW rows[16];
        while (cinfo.output_scanline < cinfo.output_height) {
            for (JDIMENSION i = 0; i < 16; ++i)
                rows[i] = pixels.data() +
                          stride * std::min(cinfo.output_scanline + i, cinfo.output_height - 1);
            jpeg_read_scanlines(
                &cinfo, rows,
                std::min<JDIMENSION>(16, cinfo.output_height - cinfo.output_scanline));
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(LibjpegDecode_12MP)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
