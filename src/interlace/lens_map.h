#pragma once
// Where every pixel of a composite comes from, worked out once per compose as a map along each
// axis, so that the composite can be made a row at a time straight from the frames' rows: no
// strip image, no working file, and any band of rows in any order.
//
// Automatic mode: frame q's strip image is the frame scaled to cover W x H, cropped centrally
// and squeezed n-fold along the interlacing axis; every lens of n s pixels shows s pixels of
// each strip image side by side, frame 1 first. On the printer's grid there is no squeeze:
// output pixel i (a column in columns mode, a row in rows mode) shows the frame under it,
// k = floor(frac((i + 0.5) pitch / dpi) n) + 1, at its own position.

#include <cstdint>
#include <span>
#include <vector>

#include "core/numbers.h"
#include "core/output_settings.h"

namespace lenzora::interlace {

// What the map is made for: the composite's size without the calibration band, the frames,
// the mode and the lens.
struct LensLayout {
    std::int32_t width = 0;
    std::int32_t height = 0;
    int frameCount = core::kMinFrames;
    int mode = core::kModeColumns;
    int stripWidth = 1;             // automatic mode: pixels per frame per lens
    core::FixedCount pitch = 0;     // on the printer's grid: lines per inch
    core::FixedCount printDpi = 0;  // the printer's dots per inch; 0: automatic mode

    bool onPrinterGrid() const { return printDpi > 0; }
};

// The layout of a W x H composite of the settings.
LensLayout lensLayoutOf(const core::OutputSettings& settings, std::int32_t W, std::int32_t H);

// The frame (1 ... frameCount) under pixel i on the printer's grid, in exact integers: the
// fraction of a lens at its centre is ((2i + 1) pitch mod 2 dpi) / (2 dpi).
int printerGridFrame(std::int64_t i, core::FixedCount pitch, core::FixedCount dpi, int frameCount);

// A frame as the map samples it. `prepared`: the picture given is already the frame's strip
// image (made apart, as for 1-bit frames, whose stretch merges pixels), so the map only places
// its pixels.
struct MappedFrame {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool prepared = false;
};

// The size of frame q's strip image in the layout (its prepared picture's size).
std::int32_t stripExtent(const LensLayout& layout, bool dividedAxis);

class LensMap {
  public:
    LensMap(const LensLayout& layout, std::span<const MappedFrame> frames);

    const LensLayout& layout() const { return layout_; }
    // Along the axis the mode divides among the frames (columns: x, rows: y), the frame index
    // 0 ... n - 1 shown at each position.
    const std::vector<std::uint8_t>& frameAt() const { return frameAt_; }
    // Frame f's row for composite row y, and its column for composite column x; -1: white.
    // Only positions where the frame is shown (on the divided axis) are meaningful.
    std::int32_t sourceRow(int f, std::int32_t y) const {
        return rows_[static_cast<std::size_t>(f)][static_cast<std::size_t>(y)];
    }
    const std::vector<std::int32_t>& sourceColumns(int f) const {
        return columns_[static_cast<std::size_t>(f)];
    }
    const std::vector<std::int32_t>& sourceRows(int f) const {
        return rows_[static_cast<std::size_t>(f)];
    }

  private:
    LensLayout layout_;
    std::vector<std::uint8_t> frameAt_;
    std::vector<std::vector<std::int32_t>> columns_;
    std::vector<std::vector<std::int32_t>> rows_;
};

// The calibration band added beyond the composite along the divided axis (columns mode: to
// the right, rows mode: below): for each of its positions, whether it is black. Automatic
// mode: 4 lens periods, in each the last floor(p / 2) pixels black. Printer's grid: the
// pixels whose centres lie within four lens periods of real length P = dpi / pitch from the
// band's start, a pixel black when its centre lies in the second half of its period.
std::vector<std::uint8_t> calibrationBars(const LensLayout& layout);

}  // namespace lenzora::interlace
