#include "interlace/prepare_frame.h"

#include "app/numbers.h"
#include "app/output_settings.h"
#include "platform/drive_paths.h"
#include "raster/raster_image.h"

namespace lenzora {

std::int64_t frameScale(std::int32_t W, std::int32_t H, std::int32_t srcW, std::int32_t srcH) {
    const long double outputAspect = static_cast<long double>(W) / H;
    const long double frameAspect = static_cast<long double>(srcW) / srcH;
    const long double scale = outputAspect > frameAspect ? static_cast<long double>(W) / srcW
                                                         : static_cast<long double>(H) / srcH;
    return countFromScaled(scale * kFixedScale);
}

void PrepareFrame(const std::string& sourcePath, const std::string& workingPath,
                  int frameCount, int mode, ComposeState& state) {
    using raster::PixelFormat;
    using raster::RasterImage;
    const std::int32_t W = state.W;
    const std::int32_t H = state.H;

    RasterImage scaled;
    {
        RasterImage frame;
        frame.LoadBmpFile(platform::hostPath(sourcePath));
        const std::int64_t f = frameScale(W, H, frame.width(), frame.height());
        state.scaledW = static_cast<std::int32_t>(std::int64_t{frame.width()} * f / 10000);
        state.scaledH = static_cast<std::int32_t>(std::int64_t{frame.height()} * f / 10000);
        scaled.CreateImage(PixelFormat::Bgr24, state.scaledW, state.scaledH);
        scaled.StretchImage({0, 0, state.scaledW, state.scaledH}, frame);
    }
    state.stripW = mode == kModeColumns ? W / frameCount : W;
    state.stripH = mode == kModeColumns ? H : H / frameCount;

    RasterImage strip;
    {
        // Centred: the overhang is cut equally on both sides, the odd pixel as half-to-even
        // rounding of the offset gives.
        RasterImage canvas;
        canvas.CreateImage(PixelFormat::Bgr24, W, H);
        const auto dx = static_cast<std::int32_t>(nearest((W - state.scaledW) / 2.0L));
        const auto dy = static_cast<std::int32_t>(nearest((H - state.scaledH) / 2.0L));
        canvas.DrawImageAt(dx, dy, scaled);
        scaled = RasterImage();
        strip.CreateImage(PixelFormat::Bgr24, state.stripW, state.stripH);
        strip.StretchImage({0, 0, state.stripW, state.stripH}, canvas);
    }
    strip.SaveBmpFile(platform::hostPath(workingPath));
}

}  // namespace lenzora
