#pragma once
// The chart the program holds: one for the whole run, shared by every chart window.

#include "raster/raster_image.h"

namespace lenzora::testchart {

struct ChartState {
    // 1 bit per pixel; empty before the first generation.
    raster::RasterImage image;
    // The dots per inch the chart was made at; 0 before the first generation.
    int resolution = 0;

    bool exists() const { return resolution > 0 && !image.empty(); }
};

}  // namespace lenzora::testchart
