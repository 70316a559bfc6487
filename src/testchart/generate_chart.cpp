#include "testchart/generate_chart.h"

#include "testchart/build_pitch_chart.h"

namespace lenzora::testchart {

std::string generatePitchChart(ChartState& state, const ChartInputs& inputs,
                               raster::RasterImage& preview) {
    if (std::string refusal = chartRefusal(inputs); !refusal.empty()) return refusal;
    // The resolution goes with the chart it was made at, never ahead of it.
    state.resolution = 0;
    buildPitchChart(state.image, inputs.dpi, inputs.paper.widthCm, inputs.paper.heightCm,
                    inputs.pitch, inputs.increment, inputs.bands);
    state.resolution = inputs.dpi;
    preview = makeChartPreview(state.image, inputs.dpi);
    return {};
}

}  // namespace lenzora::testchart
