// Pitch test chart speed: generation, preview and saving of an A4 chart at 1200 dpi and an A3
// chart at 3600 dpi, each next to its floor on the same machine: setting the chart's bytes in
// memory, and writing the file's bytes to disk (with the same fsync the save does).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "testchart/build_pitch_chart.h"
#include "testchart/save_chart.h"

namespace {

using namespace lenzora;
using namespace lenzora::testchart;

struct Paper {
    int dpi;
    int widthCm;
    int heightCm;
};

Paper paperOf(const benchmark::State& state) {
    return state.range(0) == 0 ? Paper{1200, 21, 29} : Paper{3600, 29, 42};
}

std::size_t chartBytes(const raster::RasterImage& chart) {
    return chart.stride() * static_cast<std::size_t>(chart.height());
}

void setBytes(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

std::filesystem::path scratchFile() {
    return std::filesystem::temp_directory_path() / "lenzora-chart-bench.bmp";
}

void BuildPitchChart_(benchmark::State& state) {
    const Paper p = paperOf(state);
    raster::RasterImage chart;
    for (auto _ : state) {
        buildPitchChart(chart, p.dpi, p.widthCm, p.heightCm, 400000, 15, 11);
        benchmark::ClobberMemory();
    }
    setBytes(state, chartBytes(chart));
}

void ChartPreview(benchmark::State& state) {
    const Paper p = paperOf(state);
    raster::RasterImage chart;
    buildPitchChart(chart, p.dpi, p.widthCm, p.heightCm, 400000, 15, 11);
    for (auto _ : state) benchmark::DoNotOptimize(makeChartPreview(chart, p.dpi));
    setBytes(state, chartBytes(chart));
}

void SaveChartBmp(benchmark::State& state) {
    const Paper p = paperOf(state);
    raster::RasterImage chart;
    buildPitchChart(chart, p.dpi, p.widthCm, p.heightCm, 400000, 15, 11);
    for (auto _ : state) saveChartBmp(chart, scratchFile(), p.dpi);
    std::filesystem::remove(scratchFile());
    setBytes(state, chartBytes(chart));
}

// Floor of generation: a fresh allocation of the chart's bytes, every byte set once.
void Floor_SetChartBytes(benchmark::State& state) {
    const Paper p = paperOf(state);
    raster::RasterImage chart;
    buildPitchChart(chart, p.dpi, p.widthCm, p.heightCm, 400000, 15, 11);
    const std::size_t bytes = chartBytes(chart);
    chart = raster::RasterImage();
    for (auto _ : state) {
        std::vector<std::uint8_t> buffer(bytes);
        std::memset(buffer.data(), 0x55, bytes);
        benchmark::DoNotOptimize(buffer.data());
    }
    setBytes(state, bytes);
}

// Floor of saving: the same number of bytes written to a file and synced.
void Floor_WriteFileBytes(benchmark::State& state) {
    const Paper p = paperOf(state);
    raster::RasterImage chart;
    buildPitchChart(chart, p.dpi, p.widthCm, p.heightCm, 400000, 15, 11);
    const std::size_t bytes = chartBytes(chart);
    for (auto _ : state) {
        const int fd = ::open(scratchFile().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) std::abort();
        for (std::int32_t y = 0; y < chart.height();) {
            // The same 4 MB blocks the save writes.
            const std::int32_t rows = std::min<std::int32_t>(
                chart.height() - y,
                static_cast<std::int32_t>((std::size_t{4} << 20) / chart.stride()));
            if (::write(fd, chart.row(y), chart.stride() * static_cast<std::size_t>(rows)) < 0)
                std::abort();
            y += rows;
        }
        ::fsync(fd);
        ::close(fd);
    }
    std::filesystem::remove(scratchFile());
    setBytes(state, bytes);
}

// Argument 0: A4 at 1200 dpi; 1: A3 at 3600 dpi.
BENCHMARK(BuildPitchChart_)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ChartPreview)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SaveChartBmp)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Floor_SetChartBytes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Floor_WriteFileBytes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
