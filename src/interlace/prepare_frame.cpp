#include "interlace/prepare_frame.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "core/numbers.h"
#include "core/output_settings.h"
#include "platform/drive_paths.h"
#include "raster/raster_image.h"

namespace lenzora::interlace {
namespace {

using raster::PixelFormat;
using raster::RasterImage;

// The nearest-neighbour pick of the stretch rule: destination d of dn takes the source pixel
// under its centre.
std::int64_t nearestSource(std::int64_t d, std::int64_t dn, std::int64_t sn) {
    return (2 * d + 1) * sn / (2 * dn);
}

// Rows made between two looks at a stop: a few milliseconds of work even for wide frames, so a
// stop is seen at once, and many rows per look.
constexpr std::int32_t kRowsPerCheck = 64;

void checkStop(const platform::Cancellation* cancel) {
    if (cancel != nullptr) cancel->check();
}

// The three steps one after the other, each into an image of its own: what the other two ways
// must give.
void squeezeInSteps(RasterImage frame, RasterImage& strip, std::int32_t W, std::int32_t H,
                    std::int32_t dx, std::int32_t dy, const ComposeState& st) {
    RasterImage scaled;
    scaled.create(PixelFormat::Bgr24, st.scaledWidth, st.scaledHeight);
    scaled.stretchImage({0, 0, st.scaledWidth, st.scaledHeight}, frame);
    frame = RasterImage();
    RasterImage canvas;
    canvas.create(PixelFormat::Bgr24, W, H);
    canvas.drawImageAt(dx, dy, scaled);
    scaled = RasterImage();
    strip.stretchImage({0, 0, st.stripImageWidth, st.stripImageHeight}, canvas);
}

// The three steps one strip row at a time, for frames of any other format: a strip row shows
// one output row, which shows one row of the scaled frame, so only that row is scaled, by the
// same stretch rule as the whole (a 1-bit frame merges pixels black-wins, which no single pick
// can do), straight onto a white output row at the frame's offset. Besides the frame and the
// strip image only that row is held, whatever the frame's aspect ratio.
void squeezeByRows(const RasterImage& frame, RasterImage& strip, std::int32_t W, std::int32_t H,
                   std::int32_t dx, std::int32_t dy, const ComposeState& st,
                   const platform::Cancellation* cancel) {
    RasterImage outputRow;
    outputRow.create(PixelFormat::Bgr24, W, 1);  // white outside the frame, row after row
    for (std::int32_t y = 0; y < st.stripImageHeight; ++y) {
        if (y % kRowsPerCheck == 0) checkStop(cancel);
        const std::int64_t onScaled = nearestSource(y, st.stripImageHeight, H) - dy;
        if (onScaled < 0 || onScaled >= st.scaledHeight) continue;  // the strip stays white
        const auto top = static_cast<std::int32_t>(-onScaled);
        outputRow.stretchImage({dx, top, dx + st.scaledWidth, top + st.scaledHeight}, frame);
        strip.stretchImage({0, y, st.stripImageWidth, y + 1}, outputRow);
    }
}

// Sets the frame's sizes in `state` and gives the offset of the scaled frame on the output.
raster::Point placeFrame(std::int32_t frameWidth, std::int32_t frameHeight, int frameCount,
                         int mode, ComposeState& state) {
    const std::int32_t W = state.outputWidth;
    const std::int32_t H = state.outputHeight;
    const FramePlacement placed = placeFrameOn(W, H, frameWidth, frameHeight);
    state.scaledWidth = placed.scaledWidth;
    state.scaledHeight = placed.scaledHeight;
    state.stripImageWidth = mode == core::kModeColumns ? W / frameCount : W;
    state.stripImageHeight = mode == core::kModeColumns ? H : H / frameCount;
    return placed.offset;
}

}  // namespace

// For each strip coordinate, the frame coordinate it shows after the three steps (scale to
// the scaled size, place at the offset on the output, squeeze to the strip size), or -1 where
// the output stays white.
std::vector<std::int32_t> composedAxis(std::int32_t stripSize, std::int32_t outputSize,
                                       std::int32_t offset, std::int32_t scaledSize,
                                       std::int32_t frameSize) {
    std::vector<std::int32_t> map(static_cast<std::size_t>(stripSize), -1);
    for (std::int32_t i = 0; i < stripSize; ++i) {
        const std::int64_t onOutput = nearestSource(i, stripSize, outputSize);
        const std::int64_t onScaled = onOutput - offset;
        if (onScaled < 0 || onScaled >= scaledSize) continue;
        map[static_cast<std::size_t>(i)] =
            static_cast<std::int32_t>(nearestSource(onScaled, scaledSize, frameSize));
    }
    return map;
}

FramePlacement placeFrameOn(std::int32_t W, std::int32_t H, std::int32_t frameWidth,
                            std::int32_t frameHeight) {
    const std::int64_t f = frameScale(W, H, frameWidth, frameHeight);
    FramePlacement placed;
    placed.scaledWidth = static_cast<std::int32_t>(std::int64_t{frameWidth} * f / 10000);
    placed.scaledHeight = static_cast<std::int32_t>(std::int64_t{frameHeight} * f / 10000);
    // Centred: the overhang is cut equally on both sides, the odd pixel as half-to-even
    // rounding of the offset gives.
    placed.offset = {static_cast<std::int32_t>(core::nearest((W - placed.scaledWidth) / 2.0L)),
                     static_cast<std::int32_t>(core::nearest((H - placed.scaledHeight) / 2.0L))};
    return placed;
}

// The three steps as one pass over the strip image, for 24-bit frames: only the frame (or a
// band of its rows) and the strip image are ever held. Every pixel is written, white where the
// output stays white, so the strip image need not be made white first.
class DirectSqueeze {
  public:
    DirectSqueeze(std::int32_t frameWidth, std::int32_t frameHeight, std::int32_t W, std::int32_t H,
                  std::int32_t dx, std::int32_t dy, const ComposeState& st)
        : cols_(composedAxis(st.stripImageWidth, W, dx, st.scaledWidth, frameWidth)),
          rows_(composedAxis(st.stripImageHeight, H, dy, st.scaledHeight, frameHeight)) {}

    // The strip rows that show frame rows [top, end), which `rows` holds from its row 0 on,
    // and the white rows before them; strip rows go top to bottom, as their frame rows do.
    void squeezeRows(const RasterImage& rows, std::int32_t top, std::int32_t end,
                     RasterImage& strip) {
        const auto width = static_cast<std::size_t>(strip.width());
        for (; next_ < strip.height(); ++next_) {
            const std::int32_t sourceRow = rows_[static_cast<std::size_t>(next_)];
            if (sourceRow >= end) return;
            std::uint8_t* out = strip.row(next_);
            if (sourceRow < 0) {
                std::memset(out, 0xFF, 3 * width);
                continue;
            }
            const std::uint8_t* in = rows.row(sourceRow - top);
            for (std::size_t x = 0; x < width; ++x) {
                const std::int32_t c = cols_[x];
                if (c >= 0)
                    std::memcpy(out + 3 * x, in + 3 * static_cast<std::size_t>(c), 3);
                else
                    std::memset(out + 3 * x, 0xFF, 3);
            }
        }
    }

  private:
    std::vector<std::int32_t> cols_;
    std::vector<std::int32_t> rows_;
    std::int32_t next_ = 0;  // the first strip row not yet made
};

std::int64_t frameScale(std::int32_t W, std::int32_t H, std::int32_t srcW, std::int32_t srcH) {
    const long double outputAspect = static_cast<long double>(W) / H;
    const long double frameAspect = static_cast<long double>(srcW) / srcH;
    const long double scale = outputAspect > frameAspect ? static_cast<long double>(W) / srcW
                                                         : static_cast<long double>(H) / srcH;
    return core::countFromScaled(scale * core::kFixedScale);
}

void prepareFrame(const std::string& sourcePath, const std::string& workingPath, int frameCount,
                  int mode, ComposeState& state, PrepareMethod method,
                  const std::function<void()>& checkpoint, RasterImage* keptStrip,
                  const platform::Cancellation* cancel) {
    RasterImage frame;
    frame.loadBmpFile(platform::hostPath(sourcePath));
    if (checkpoint) checkpoint();
    prepareFrameImage(std::move(frame), workingPath, frameCount, mode, state, method, checkpoint,
                      keptStrip, cancel);
}

RasterImage makeStripImage(RasterImage frame, int frameCount, int mode, ComposeState& state,
                           PrepareMethod method, const platform::Cancellation* cancel) {
    const std::int32_t W = state.outputWidth;
    const std::int32_t H = state.outputHeight;
    const raster::Point offset = placeFrame(frame.width(), frame.height(), frameCount, mode, state);
    const std::int32_t dx = offset.x;
    const std::int32_t dy = offset.y;

    RasterImage strip;
    if (method == PrepareMethod::Direct && frame.format() == PixelFormat::Bgr24) {
        strip.allocate(PixelFormat::Bgr24, state.stripImageWidth, state.stripImageHeight);
        DirectSqueeze squeeze(frame.width(), frame.height(), W, H, dx, dy, state);
        for (std::int32_t end = 0; end < frame.height();) {
            checkStop(cancel);
            end = std::min(frame.height(), end + kRowsPerCheck);
            squeeze.squeezeRows(frame, 0, end, strip);
        }
    } else {
        strip.create(PixelFormat::Bgr24, state.stripImageWidth, state.stripImageHeight);
        if (method == PrepareMethod::Steps)
            squeezeInSteps(std::move(frame), strip, W, H, dx, dy, state);
        else
            squeezeByRows(frame, strip, W, H, dx, dy, state, cancel);
    }
    return strip;
}

void prepareFrameImage(RasterImage frame, const std::string& workingPath, int frameCount, int mode,
                       ComposeState& state, PrepareMethod method,
                       const std::function<void()>& checkpoint, RasterImage* keptStrip,
                       const platform::Cancellation* cancel) {
    RasterImage strip = makeStripImage(std::move(frame), frameCount, mode, state, method, cancel);
    if (checkpoint) checkpoint();
    strip.saveBmpFile(platform::hostPath(workingPath));
    if (keptStrip != nullptr) *keptStrip = std::move(strip);
}

BandedPreparation::BandedPreparation(int frameCount, int mode, ComposeState& state,
                                     std::function<void()> perBand)
    : frameCount_(frameCount), mode_(mode), state_(state), perBand_(std::move(perBand)) {}

BandedPreparation::~BandedPreparation() = default;

bool BandedPreparation::takeInBands(std::int32_t width, std::int32_t height) {
    const raster::Point offset = placeFrame(width, height, frameCount_, mode_, state_);
    squeeze_ = std::make_unique<DirectSqueeze>(width, height, state_.outputWidth,
                                               state_.outputHeight, offset.x, offset.y, state_);
    strip_.allocate(PixelFormat::Bgr24, state_.stripImageWidth, state_.stripImageHeight);
    return true;
}

void BandedPreparation::band(std::int32_t top, const RasterImage& band, std::int32_t count) {
    if (perBand_) perBand_();
    squeeze_->squeezeRows(band, top, top + count, strip_);
}

void BandedPreparation::finish(const std::string& workingPath, RasterImage& keptStrip) {
    strip_.saveBmpFile(platform::hostPath(workingPath));
    keptStrip = std::move(strip_);
}

}  // namespace lenzora::interlace
