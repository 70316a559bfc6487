#include "interlace/calibration_band.h"

#include "core/output_settings.h"

namespace lenzora::interlace {

void applyCalibrationBand(raster::RasterImage& composite, bool ticked, int frameCount,
                          int stripWidth, std::int32_t W, std::int32_t H, int mode) {
    LensLayout layout;
    layout.width = W;
    layout.height = H;
    layout.frameCount = frameCount;
    layout.stripWidth = stripWidth;
    layout.mode = mode;
    applyCalibrationBand(composite, ticked, layout);
}

// The bars run the whole height (rows mode: width) of W x H; the rest of the band is white.
void applyCalibrationBand(raster::RasterImage& composite, bool ticked, const LensLayout& layout) {
    const std::int32_t W = layout.width;
    const std::int32_t H = layout.height;
    composite.setFillColour(raster::kWhite);
    composite.setLineWidth(1);
    composite.setLineColour(raster::kBlack);
    if (!ticked) {
        composite.resize(W, composite.height());
        composite.resize(W, H);
        return;
    }
    const std::vector<std::uint8_t> bars = calibrationBars(layout);
    const auto extent = static_cast<std::int32_t>(bars.size());
    const bool columns = layout.mode == core::kModeColumns;
    if (columns)
        composite.resize(W + extent, composite.height());
    else
        composite.resize(composite.width(), H + extent);
    composite.setFillColour(raster::kBlack);
    for (std::int32_t i = 0; i < extent;) {
        if (bars[static_cast<std::size_t>(i)] == 0) {
            ++i;
            continue;
        }
        std::int32_t end = i;
        while (end < extent && bars[static_cast<std::size_t>(end)] != 0) ++end;
        if (columns)
            composite.drawRectangle(W + i, 0, W + end, H);
        else
            composite.drawRectangle(0, H + i, W, H + end);
        i = end;
    }
}

}  // namespace lenzora::interlace
