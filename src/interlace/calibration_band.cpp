#include "interlace/calibration_band.h"

#include "app/output_settings.h"

namespace lenzora {

void applyCalibrationBand(raster::RasterImage& composite, bool ticked, int frameCount,
                          int stripWidth, std::int32_t W, std::int32_t H, int mode) {
    const std::int32_t p = frameCount * stripWidth;
    const std::int32_t b = p / 2;  // n / 2 * s truncated
    composite.SetFillColour(raster::kWhite);
    composite.SetLineWidth(1);
    composite.SetLineColour(raster::kBlack);
    if (!ticked) {
        composite.ResizeImage(W, composite.height());
        composite.ResizeImage(W, H);
        return;
    }
    if (mode == kModeColumns) {
        const std::int32_t widened = W + 4 * p;
        composite.ResizeImage(widened, composite.height());
        composite.SetFillColour(raster::kBlack);
        for (int k = 0; k < 4; ++k) {
            const std::int32_t end = widened - k * p;
            composite.DrawRectangle(end - b, 0, end, H);
        }
    } else {
        const std::int32_t heightened = H + 4 * p;
        composite.ResizeImage(composite.width(), heightened);
        composite.SetFillColour(raster::kBlack);
        for (int k = 0; k < 4; ++k) {
            const std::int32_t end = heightened - k * p;
            composite.DrawRectangle(0, end - b, W, end);
        }
    }
}

}  // namespace lenzora
