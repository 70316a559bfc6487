#include "testchart/generate_chart.h"

#include <utility>

#include "testchart/build_pitch_chart.h"

namespace lenzora::testchart {

std::string generatePitchChart(ChartState& state, const ChartInputs& inputs,
                               raster::RasterImage& preview) {
    if (std::string refusal = startChartGeneration(state, inputs); !refusal.empty()) return refusal;
    DrawnChart drawn = drawChart(inputs, nullptr);
    keepChart(state, drawn);
    preview = std::move(drawn.preview);
    return {};
}

std::string startChartGeneration(ChartState& state, const ChartInputs& inputs) {
    if (std::string refusal = chartRefusal(inputs); !refusal.empty()) return refusal;
    // The resolution goes with the chart it was made at, never ahead of it.
    state = ChartState();
    return {};
}

DrawnChart drawChart(const ChartInputs& inputs, const platform::Cancellation* cancel) {
    DrawnChart drawn;
    buildPitchChart(drawn.image, inputs.dpi, inputs.paper.widthCm, inputs.paper.heightCm,
                    inputs.pitch, inputs.increment, inputs.bands, cancel);
    if (cancel != nullptr) cancel->check();
    drawn.preview = makeChartPreview(drawn.image, inputs.dpi);
    if (cancel != nullptr) cancel->check();
    drawn.dpi = inputs.dpi;
    return drawn;
}

void keepChart(ChartState& state, DrawnChart& drawn) {
    state.image = std::move(drawn.image);
    state.resolution = drawn.dpi;
}

}  // namespace lenzora::testchart
