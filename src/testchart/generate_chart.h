#pragma once
// "生成": from the read inputs to the shared chart and its preview.

#include <string>

#include "testchart/chart_geometry.h"
#include "testchart/chart_state.h"

namespace lenzora::testchart {

// Refused inputs leave the chart as it was and return the message to show. Otherwise the
// chart and its resolution are replaced, `preview` gets the 100-pixels-per-inch preview and
// the empty text is returned.
std::string generatePitchChart(ChartState& state, const ChartInputs& inputs,
                               raster::RasterImage& preview);

}  // namespace lenzora::testchart
