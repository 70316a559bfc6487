#pragma once
// "生成": from the read inputs to the shared chart and its preview.

#include <string>

#include "platform/work_pool.h"
#include "testchart/chart_geometry.h"
#include "testchart/chart_state.h"

namespace lenzora::testchart {

// Refused inputs leave the chart as it was and return the message to show. Otherwise the
// chart and its resolution are replaced, `preview` gets the 100-pixels-per-inch preview and
// the empty text is returned.
std::string generatePitchChart(ChartState& state, const ChartInputs& inputs,
                               raster::RasterImage& preview);

// The same generation in three steps, so that the drawing can run on a thread of its own
// while the shared chart is left alone.
struct DrawnChart {
    raster::RasterImage image;
    raster::RasterImage preview;
    int dpi = 0;
};
// Refused inputs leave the chart as it was and return the message to show. Otherwise the old
// chart is dropped, so that it and the new one never live at once, and the empty text is
// returned.
std::string startChartGeneration(ChartState& state, const ChartInputs& inputs);
// Draws the chart of accepted inputs and its preview; any thread. A stop asked through
// `cancel` raises platform::Cancelled between steps.
DrawnChart drawChart(const ChartInputs& inputs, const platform::Cancellation* cancel);
// Makes the drawn chart the shared one.
void keepChart(ChartState& state, DrawnChart& drawn);

}  // namespace lenzora::testchart
