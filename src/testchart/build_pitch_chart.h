#pragma once
// Drawing the pitch test chart: bands of bars at slowly changing pitch, each labelled with
// its pitch on paper, and a strip of the unchanged grating beside them.

#include "platform/work_pool.h"
#include "raster/raster_image.h"
#include "testchart/chart_geometry.h"

namespace lenzora::testchart {

// Replaces `chart` by the chart of these inputs (resolution, paper width and height in
// centimetres, expected pitch in ten-thousandths, increment, band count). Inputs that
// chartRefusal refuses raise its message before `chart` is touched. A stop asked through
// `cancel` is looked at between bands and raises platform::Cancelled, leaving a part-drawn
// chart.
void buildPitchChart(raster::RasterImage& chart, int dpi, int paperWidthCm, int paperHeightCm,
                     core::FixedCount pitch, int increment, int bands,
                     const platform::Cancellation* cancel = nullptr);

// The reference grating: Hb rows of bars of width B every T columns, the last row white.
raster::RasterImage makeReferenceGrating(const ChartGeometry& geometry);

// The chart at 100 pixels per inch in 256 greys, each pixel the share of white in the chart
// pixels it covers: bars finer than a preview pixel show grey, not black.
raster::RasterImage makeChartPreview(const raster::RasterImage& chart, int dpi);

}  // namespace lenzora::testchart
