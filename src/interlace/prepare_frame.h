#pragma once

#include <functional>
#include <string>

#include "interlace/compose_state.h"
#include "raster/raster_image.h"

namespace lenzora::interlace {

// Direct: exactly the pixels of the three steps, straight into the strip image (one pass for
// 24-bit frames, one output row at a time for the others); Steps: the three steps with their
// own images, the scaled frame and the output-sized canvas among them.
enum class PrepareMethod { Direct, Steps };

// Prepares one frame for interlacing: reads the BMP file at `sourcePath` (a drive or host
// path), scales it to cover W x H, crops it centrally, squeezes it `frameCount`-fold along the
// interlacing axis and writes the strip image to `workingPath`. Sets scaledWidth, scaledHeight,
// stripImageWidth and stripImageHeight. Directly, only the frame, the strip image and one
// output row are held (a 24-bit frame needs no row of its own). `checkpoint`, when given, is
// called once the frame is read and once the strip image is made (before it is written); it
// may throw to stop the preparation there. `keptStrip`, when given, receives the strip image
// once it is written, for a caller that uses it at once.
void prepareFrame(const std::string& sourcePath, const std::string& workingPath, int frameCount,
                  int mode, ComposeState& state, PrepareMethod method = PrepareMethod::Direct,
                  const std::function<void()>& checkpoint = {},
                  raster::RasterImage* keptStrip = nullptr);

// The same for a frame already in memory, as read from its file; `checkpoint` is called once,
// when the strip image is made.
void prepareFrameImage(raster::RasterImage frame, const std::string& workingPath, int frameCount,
                       int mode, ComposeState& state, PrepareMethod method,
                       const std::function<void()>& checkpoint, raster::RasterImage* keptStrip);

// The scale factor in ten-thousandths: W / srcW when the output is relatively wider than the
// frame, otherwise H / srcH, rounded half to even.
std::int64_t frameScale(std::int32_t W, std::int32_t H, std::int32_t srcW, std::int32_t srcH);

}  // namespace lenzora::interlace
