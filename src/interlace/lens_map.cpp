#include "interlace/lens_map.h"

#include <algorithm>

#include "interlace/prepare_frame.h"

namespace lenzora::interlace {
namespace {

// Frame index and strip position for each position along the divided axis; the strip position
// is -1 where the automatic mode's copy of the strip would start beyond the strip image.
struct DividedAxis {
    std::vector<std::uint8_t> frame;
    std::vector<std::int32_t> stripPosition;
};

DividedAxis divide(const LensLayout& layout, std::int32_t extent) {
    DividedAxis axis;
    axis.frame.resize(static_cast<std::size_t>(extent));
    axis.stripPosition.resize(static_cast<std::size_t>(extent));
    const std::int64_t s = layout.stripWidth;
    const std::int64_t p = s * layout.frameCount;
    const std::int32_t strip = stripExtent(layout, true);
    for (std::int32_t i = 0; i < extent; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (layout.onPrinterGrid()) {
            axis.frame[at] = static_cast<std::uint8_t>(
                printerGridFrame(i, layout.pitch, layout.printDpi, layout.frameCount) - 1);
            axis.stripPosition[at] = i;
            continue;
        }
        // Lens L, frame q's s pixels at (q - 1) s within it, showing the strip image's pixels
        // L s ... L s + s - 1.
        const std::int64_t lens = i / p;
        const std::int64_t within = i % p;
        axis.frame[at] = static_cast<std::uint8_t>(within / s);
        const std::int64_t u = lens * s + within % s;
        axis.stripPosition[at] = u < strip ? static_cast<std::int32_t>(u) : -1;
    }
    return axis;
}

// Frame positions for strip positions along one axis of one frame.
std::vector<std::int32_t> frameAxis(bool prepared, std::int32_t strip, std::int32_t output,
                                    std::int32_t offset, std::int32_t scaled, std::int32_t size) {
    if (!prepared) return composedAxis(strip, output, offset, scaled, size);
    std::vector<std::int32_t> identity(static_cast<std::size_t>(strip));
    for (std::int32_t u = 0; u < strip; ++u)
        identity[static_cast<std::size_t>(u)] = u < size ? u : -1;
    return identity;
}

// Along an axis: the frame position for every composite position, through the strip positions.
std::vector<std::int32_t> throughStrip(const std::vector<std::int32_t>& onStrip,
                                       const std::vector<std::int32_t>& stripPosition) {
    std::vector<std::int32_t> map(stripPosition.size(), -1);
    for (std::size_t i = 0; i < map.size(); ++i) {
        const std::int32_t u = stripPosition[i];
        if (u >= 0) map[i] = onStrip[static_cast<std::size_t>(u)];
    }
    return map;
}

}  // namespace

LensLayout lensLayoutOf(const core::OutputSettings& settings, std::int32_t W, std::int32_t H) {
    LensLayout layout;
    layout.width = W;
    layout.height = H;
    layout.frameCount = settings.frameCount;
    layout.mode = settings.mode;
    layout.stripWidth = settings.stripWidth;
    layout.pitch = settings.pitch;
    layout.printDpi = settings.printDpi;
    return layout;
}

int printerGridFrame(std::int64_t i, core::FixedCount pitch, core::FixedCount dpi, int frameCount) {
    const std::int64_t twoDpi = 2 * dpi;
    const std::int64_t phase = (2 * i + 1) * pitch % twoDpi;  // of 2 dpi
    return static_cast<int>(phase * frameCount / twoDpi) + 1;
}

std::int32_t stripExtent(const LensLayout& layout, bool dividedAxis) {
    const bool columns = layout.mode == core::kModeColumns;
    const std::int32_t size = columns == dividedAxis ? layout.width : layout.height;
    if (!dividedAxis || layout.onPrinterGrid()) return size;
    return size / layout.frameCount;
}

LensMap::LensMap(const LensLayout& layout, std::span<const MappedFrame> frames) : layout_(layout) {
    const bool columns = layout.mode == core::kModeColumns;
    const std::int32_t W = layout.width;
    const std::int32_t H = layout.height;
    const DividedAxis divided = divide(layout, columns ? W : H);
    frameAt_ = divided.frame;
    const std::int32_t stripAlong = stripExtent(layout, true);
    const std::int32_t stripAcross = stripExtent(layout, false);
    for (const MappedFrame& frame : frames) {
        const FramePlacement placed = placeFrameOn(W, H, frame.width, frame.height);
        const std::int32_t stripW = columns ? stripAlong : stripAcross;
        const std::int32_t stripH = columns ? stripAcross : stripAlong;
        const std::vector<std::int32_t> onStripX =
            frameAxis(frame.prepared, stripW, W, placed.offset.x, placed.scaledWidth, frame.width);
        const std::vector<std::int32_t> onStripY = frameAxis(
            frame.prepared, stripH, H, placed.offset.y, placed.scaledHeight, frame.height);
        if (columns) {
            columns_.push_back(throughStrip(onStripX, divided.stripPosition));
            rows_.push_back(onStripY);  // the strip image is as high as the composite
        } else {
            columns_.push_back(onStripX);
            rows_.push_back(throughStrip(onStripY, divided.stripPosition));
        }
    }
}

std::vector<std::uint8_t> calibrationBars(const LensLayout& layout) {
    if (!layout.onPrinterGrid()) {
        const std::int32_t p = layout.frameCount * layout.stripWidth;
        const std::int32_t b = p / 2;
        std::vector<std::uint8_t> bars(static_cast<std::size_t>(4 * p), 0);
        for (std::int32_t i = 0; i < 4 * p; ++i) bars[static_cast<std::size_t>(i)] = i % p >= p - b;
        return bars;
    }
    // Centre c = i + 0.5 lies within four periods while (2i + 1) pitch < 8 dpi, in the second
    // half of its period when (2i + 1) pitch mod 2 dpi >= dpi.
    const std::int64_t twoDpi = 2 * layout.printDpi;
    std::vector<std::uint8_t> bars;
    for (std::int64_t i = 0; (2 * i + 1) * layout.pitch < 4 * twoDpi; ++i)
        bars.push_back((2 * i + 1) * layout.pitch % twoDpi >= layout.printDpi ? 1 : 0);
    return bars;
}

}  // namespace lenzora::interlace
