#include "interlace/calibration_band.h"

#include "core/output_settings.h"

namespace lenzora::interlace {

void applyCalibrationBand(raster::RasterImage& composite, bool ticked, int frameCount,
                          int stripWidth, std::int32_t W, std::int32_t H, int mode) {
    const std::int32_t p = frameCount * stripWidth;
    const std::int32_t b = p / 2;  // n / 2 * s truncated
    composite.setFillColour(raster::kWhite);
    composite.setLineWidth(1);
    composite.setLineColour(raster::kBlack);
    if (!ticked) {
        composite.resize(W, composite.height());
        composite.resize(W, H);
        return;
    }
    if (mode == core::kModeColumns) {
        const std::int32_t widened = W + 4 * p;
        composite.resize(widened, composite.height());
        composite.setFillColour(raster::kBlack);
        for (int k = 0; k < 4; ++k) {
            const std::int32_t end = widened - k * p;
            composite.drawRectangle(end - b, 0, end, H);
        }
    } else {
        const std::int32_t heightened = H + 4 * p;
        composite.resize(composite.width(), heightened);
        composite.setFillColour(raster::kBlack);
        for (int k = 0; k < 4; ++k) {
            const std::int32_t end = heightened - k * p;
            composite.drawRectangle(0, end - b, W, end);
        }
    }
}

}  // namespace lenzora::interlace
