// The effect preview's speed on the largest composite of the compose figures, 7642 x 5325 with
// 8 frames (one pixel per frame per lens): building the reduced copy once per composite and
// window size, then one view per tilt at about 1000 x 700, with its conversion for the screen.
// Both modes; through the print's own pitch and through a sheet measured 1 % off. With
// --window, the effect window itself under the offscreen platform: the reduced copy from the
// composite's arrival to the first view, the time from a key's tilt to its view painted, and
// the views painted per second while it swings.
//
//   effect_view_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//   QT_QPA_PLATFORM=offscreen effect_view_bench --window

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "core/output_settings.h"
#include "interlace/lens_view.h"
#include "raster/qimage_conversion.h"
#include "raster/raster_image.h"
#include "windows/effect_window.h"
#include "windows/view_canvas.h"

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

// Counts the paints of the picture control.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

double milliseconds(const QElapsedTimer& clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

int measureWindow(int argc, char** argv) {
    QApplication application(argc, argv);
    windows::EffectWindow window(nullptr);
    window.resize(1040, 800);
    window.show();
    auto* canvas = window.findChild<windows::ViewCanvas*>();
    PaintCounter counter;
    canvas->installEventFilter(&counter);
    const auto shown = std::make_shared<const raster::RasterImage>(composite(core::kModeColumns));
    // 8 frames at 84.55 lpi, one pixel each: 676.4 dpi, a lens of 8 pixels.
    const windows::PrintLenses print{core::kModeColumns, kFrames, 845500, 6764000};
    QElapsedTimer clock;
    clock.start();
    window.showComposite(shown, print);
    while (window.view().empty()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::printf("reduced copy %d x %d, from the composite to its first view: %.1f ms\n",
                window.view().width(), window.view().height(), milliseconds(clock));

    std::vector<double> tilts;
    for (int i = 0; i < 40; ++i) {
        QKeyEvent key(QEvent::KeyPress, i % 14 < 7 ? Qt::Key_Right : Qt::Key_Left, Qt::NoModifier);
        const int before = counter.paints;
        clock.restart();
        QApplication::sendEvent(&window, &key);
        while (counter.paints == before) QCoreApplication::processEvents();
        tilts.push_back(milliseconds(clock));
    }
    std::sort(tilts.begin(), tilts.end());
    std::printf("tilt to painted view: median %.1f ms, slowest %.1f ms (%zu tilts)\n",
                tilts[tilts.size() / 2], tilts.back(), tilts.size());

    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
    QApplication::sendEvent(&window, &space);
    const int before = counter.paints;
    clock.restart();
    while (clock.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::printf("swinging: %.1f views painted per second over %.1f s\n",
                (counter.paints - before) * 1000.0 / milliseconds(clock),
                milliseconds(clock) / 1000.0);
    return 0;
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

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--window") == 0) return measureWindow(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
