#include "interlace/interlace_frames.h"

#include "core/numbers.h"
#include "core/output_settings.h"
#include "core/working_files.h"
#include "interlace/prepare_frame.h"
#include "platform/drive_paths.h"
#include "platform/translation.h"
#include "raster/size_limit.h"

namespace lenzora::interlace {
namespace {

// A BMP file counts its bytes in 32 bits; the band of the calibration lines may add up to
// 4 lens periods of 16 frames of the widest strips to one side.
bool fitsABmpFile(std::int64_t width, std::int64_t height) {
    const std::int64_t stride = (width * 3 + 3) / 4 * 4;
    return stride * height + 54 < (std::int64_t{1} << 32);
}

// The composite is made whole in memory, before any of it can be written.
bool fitsInMemory(std::int64_t width, std::int64_t height) {
    const std::int64_t stride = (width * 3 + 3) / 4 * 4;
    return raster::fitsInMemory(static_cast<std::uint64_t>(stride * height));
}

// One strip copy per lens; the copies of a frame never overlap, so they go together, row by
// row, instead of one narrow column after the other. Each copy spans the whole height of this
// frame's own strip image: the scaled size of another frame would cut rows off or leave them
// white.
void interlaceColumns(const raster::RasterImage& strip, int q, int s, int p, const ComposeState& st,
                      raster::RasterImage& composite) {
    std::vector<raster::RasterImage::AreaCopy> copies;
    copies.reserve(static_cast<std::size_t>(st.outputWidth / p) + 2);
    const std::int32_t h = strip.height();
    std::int32_t x = (q - 1) * s;
    std::int32_t u = 0;
    do {
        copies.push_back({{x, 0, x + s, h}, {u, 0, u + s, h}});
        x += p;
        u += s;
    } while (x <= st.outputWidth);
    composite.copyAreas(strip, copies);
}

// As the columns, with each copy spanning the whole width of this frame's own strip image.
void interlaceRows(const raster::RasterImage& strip, int q, int s, int p, const ComposeState& st,
                   ComposeProgress& progress, raster::RasterImage& composite) {
    const std::int32_t w = strip.width();
    std::int32_t y = (q - 1) * s;
    std::int32_t v = 0;
    do {
        composite.copyArea({0, y, w, y + s}, strip, {0, v, w, v + s});
        progress.advance();
        y += p;
        v += s;
    } while (y <= st.outputHeight);
}

}  // namespace

std::optional<std::string> outputSizeProblem(std::int32_t W, std::int32_t H, int frameCount,
                                             int stripWidth, int mode) {
    const std::int32_t divided = mode == core::kModeColumns ? W : H;
    if (divided < frameCount || W < 1 || H < 1)
        return platform::translate("lenzora::interlace", kOutputTooSmall);
    const std::int64_t band = std::int64_t{4} * frameCount * stripWidth;
    if (!fitsABmpFile(std::int64_t{W} + band, H) || !fitsABmpFile(W, std::int64_t{H} + band) ||
        !fitsInMemory(std::int64_t{W} + band, H) || !fitsInMemory(W, std::int64_t{H} + band)) {
        return platform::translate("lenzora::interlace", kOutputTooLarge);
    }
    return std::nullopt;
}

void interlaceFrames(const frames::FrameSlots& slots, int frameCount, int stripWidth, int mode,
                     ComposeState& state, ComposeProgress& progress,
                     raster::RasterImage& composite) {
    prepareFrames(slots, frameCount, mode, state, progress);
    interlaceStrips(frameCount, stripWidth, mode, state, progress, composite);
}

void prepareFrames(const frames::FrameSlots& slots, int frameCount, int mode, ComposeState& state,
                   ComposeProgress& progress) {
    for (int k = 1; k <= core::kMaxFrames; ++k) {
        if (k <= frameCount)
            prepareFrame(slots[k], core::stripFilePath(k), frameCount, mode, state);
        progress.advance();
    }
}

void interlaceStrips(int frameCount, int stripWidth, int mode, const ComposeState& state,
                     ComposeProgress& progress, raster::RasterImage& composite) {
    composite = raster::RasterImage();  // the old composite goes before the new one is made
    composite.create(raster::PixelFormat::Bgr24, state.outputWidth, state.outputHeight);

    const int s = stripWidth;
    const int p = frameCount * stripWidth;
    raster::RasterImage strip;
    const raster::OwnFilesOnly stripsAreOurs;
    for (int q = 1; q <= frameCount; ++q) {
        strip.loadBmpFile(platform::hostPath(core::stripFilePath(q)));
        if (mode == core::kModeColumns) {
            interlaceColumns(strip, q, s, p, state, composite);
            progress.advance();
        } else {
            interlaceRows(strip, q, s, p, state, progress, composite);
        }
    }
}

raster::RasterImage makePreview(const raster::RasterImage& image, long double divisor) {
    const auto w = static_cast<std::int32_t>(core::nearest(image.width() / divisor));
    const auto h = static_cast<std::int32_t>(core::nearest(image.height() / divisor));
    raster::RasterImage preview;
    preview.create(raster::PixelFormat::Bgr24, w, h);
    preview.stretchImage({0, 0, w, h}, image);
    return preview;
}

}  // namespace lenzora::interlace
