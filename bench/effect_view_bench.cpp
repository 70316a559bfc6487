// The effect preview's speed on the largest composite of the compose figures, 7642 x 5325 with
// 8 frames (one pixel per frame per lens): building the reduced copy once per composite and
// window size, then one view per tilt at about 1000 x 700, with its conversion for the screen.
// Both modes; through the print's own pitch and through a sheet measured 1 % off.
//
//   effect_view_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <cstdint>

#include "core/output_settings.h"
#include "interlace/lens_view.h"
#include "raster/qimage_conversion.h"
#include "raster/raster_image.h"

namespace {

using namespace lenzora;

constexpr std::int32_t kWidth = 7642;
constexpr std::int32_t kHeight = 5325;
constexpr int kFrames = 8;
constexpr std::int32_t kViewWidth = 1000;
constexpr std::int32_t kViewHeight = 697;  // the composite's shape

// Frame q's strips carry colours of their own that also change along the lenses, so no row or
// column repeats another.
const raster::RasterImage& composite(std::int32_t mode) {
    static const auto make = [](std::int32_t m) {
        raster::RasterImage image;
        image.create(raster::PixelFormat::Bgr24, kWidth, kHeight);
        for (std::int32_t y = 0; y < kHeight; ++y) {
            std::uint8_t* p = image.row(y);
            for (std::int32_t x = 0; x < kWidth; ++x) {
                const std::int32_t across = m == core::kModeRows ? y : x;
                const std::int32_t along = m == core::kModeRows ? x : y;
                const auto frame = static_cast<std::uint8_t>(across % kFrames);
                *p++ = static_cast<std::uint8_t>(frame * 30);
                *p++ = static_cast<std::uint8_t>(along);
                *p++ = static_cast<std::uint8_t>(across / kFrames);
            }
        }
        return image;
    };
    static const raster::RasterImage columns = make(core::kModeColumns);
    static const raster::RasterImage rows = make(core::kModeRows);
    return mode == core::kModeRows ? rows : columns;
}

std::int32_t modeOf(const benchmark::State& state) {
    return static_cast<std::int32_t>(state.range(0));
}

// Once per composite and window size.
void BuildViewPreview(benchmark::State& state) {
    const raster::RasterImage& image = composite(modeOf(state));
    for (auto _ : state) {
        interlace::ViewPreview preview(image, modeOf(state), kViewWidth, kViewHeight);
        benchmark::DoNotOptimize(preview.width());
    }
}

// Once per tilt: the view, and the view made ready for the screen. Period in hundredths of a
// pixel: 800 is the print's own lens, 808 a sheet 1 % coarser.
void ViewPerTilt(benchmark::State& state) {
    const interlace::ViewPreview preview(composite(modeOf(state)), modeOf(state), kViewWidth,
                                         kViewHeight);
    const double period = static_cast<double>(state.range(1)) / 100.0;
    int step = 0;
    for (auto _ : state) {
        const double position = (step++ % 97) / 97.0;
        benchmark::DoNotOptimize(raster::toQImage(preview.view(period, position)));
    }
}

// The floor of a tilt: converting a view already made.
void Floor_ToQImage(benchmark::State& state) {
    const interlace::ViewPreview preview(composite(modeOf(state)), modeOf(state), kViewWidth,
                                         kViewHeight);
    const raster::RasterImage view = preview.view(kFrames, 0.5);
    for (auto _ : state) benchmark::DoNotOptimize(raster::toQImage(view));
}

}  // namespace

BENCHMARK(BuildViewPreview)
    ->ArgName("rows")
    ->Arg(core::kModeColumns)
    ->Arg(core::kModeRows)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ViewPerTilt)
    ->ArgNames({"rows", "period_x100"})
    ->ArgsProduct({{core::kModeColumns, core::kModeRows}, {800, 808}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Floor_ToQImage)
    ->ArgName("rows")
    ->Arg(core::kModeColumns)
    ->Arg(core::kModeRows)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
