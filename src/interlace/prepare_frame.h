#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frames/load_frame.h"
#include "interlace/compose_state.h"
#include "platform/work_pool.h"
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
// once it is written, for a caller that uses it at once. A stop asked through `cancel` is seen
// between bands of rows while the strip image is made (platform::Cancelled).
void prepareFrame(const std::string& sourcePath, const std::string& workingPath, int frameCount,
                  int mode, ComposeState& state, PrepareMethod method = PrepareMethod::Direct,
                  const std::function<void()>& checkpoint = {},
                  raster::RasterImage* keptStrip = nullptr,
                  const platform::Cancellation* cancel = nullptr);

// The same for a frame already in memory, as read from its file; `checkpoint` is called once,
// when the strip image is made.
void prepareFrameImage(raster::RasterImage frame, const std::string& workingPath, int frameCount,
                       int mode, ComposeState& state, PrepareMethod method,
                       const std::function<void()>& checkpoint, raster::RasterImage* keptStrip,
                       const platform::Cancellation* cancel = nullptr);

// The strip image of a frame in memory (the three steps of prepareFrameImage), not written:
// sets the sizes in `state` as prepareFrameImage does.
raster::RasterImage makeStripImage(raster::RasterImage frame, int frameCount, int mode,
                                   ComposeState& state, PrepareMethod method,
                                   const platform::Cancellation* cancel = nullptr);

class DirectSqueeze;

// Prepares a 24-bit frame from its rows a band at a time while it is loaded: the strip image
// of prepareFrameImage (directly), filled as the rows it shows arrive, so that the frame is
// never held whole.
class BandedPreparation final : public frames::FrameBands {
  public:
    // `perBand`, when given, is called before each band; it may throw to stop there.
    BandedPreparation(int frameCount, int mode, ComposeState& state,
                      std::function<void()> perBand = {});
    ~BandedPreparation() override;
    BandedPreparation(const BandedPreparation&) = delete;
    BandedPreparation& operator=(const BandedPreparation&) = delete;

    // Takes any frame offered, and sets its sizes in the state as prepareFrameImage does.
    bool takeInBands(std::int32_t width, std::int32_t height) override;
    void band(std::int32_t top, const raster::RasterImage& band, std::int32_t count) override;
    // After the last band: writes the strip image to `workingPath` and hands it over.
    void finish(const std::string& workingPath, raster::RasterImage& keptStrip);
    bool taken() const { return squeeze_ != nullptr; }

  private:
    int frameCount_;
    int mode_;
    ComposeState& state_;
    std::function<void()> perBand_;
    std::unique_ptr<DirectSqueeze> squeeze_;
    raster::RasterImage strip_;
};

// A frame scaled to cover W x H: its scaled size and where its top-left corner lands on the
// output (zero or less: the overhang is cut equally on both sides).
struct FramePlacement {
    std::int32_t scaledWidth = 0;
    std::int32_t scaledHeight = 0;
    raster::Point offset;
};
FramePlacement placeFrameOn(std::int32_t W, std::int32_t H, std::int32_t frameWidth,
                            std::int32_t frameHeight);

// For each strip coordinate 0 ... stripSize - 1, the frame coordinate it shows after the three
// steps along one axis (scale to `scaledSize`, place at `offset` on the output, squeeze the
// output to the strip size), or -1 where the output stays white. Never decreasing apart from
// the -1s, which stand only at the ends.
std::vector<std::int32_t> composedAxis(std::int32_t stripSize, std::int32_t outputSize,
                                       std::int32_t offset, std::int32_t scaledSize,
                                       std::int32_t frameSize);

// The scale factor in ten-thousandths: W / srcW when the output is relatively wider than the
// frame, otherwise H / srcH, rounded half to even.
std::int64_t frameScale(std::int32_t W, std::int32_t H, std::int32_t srcW, std::int32_t srcH);

}  // namespace lenzora::interlace
