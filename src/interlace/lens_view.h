#pragma once
// What a lens sheet laid on a composite shows from one viewing position: the window's effect
// preview, the batch tool's proof and their tests all see a print through this rule.
//
// A sheet's lenses have a period of Q print pixels (the print's resolution over the sheet's
// true pitch). Seen from position t in [0, 1) (0 = one edge of every lens, 1 = the other),
// lens i shows print column floor(i Q + t Q), clamped to the picture, across its whole width:
// through a sheet of the print's own pitch, every lens shows the same frame's strip; through
// one whose pitch differs, the frame seen drifts from lens to lens. Rows mode is the same with
// rows.

#include <QtGlobal>
#include <cstdint>
#include <vector>

#include "raster/raster_image.h"

namespace lenzora::interlace {

inline constexpr const char* kSheetPeriodTooSmall =
    QT_TRANSLATE_NOOP("lenzora::interlace", "镜头周期不足一个像素！");

// The lenses a print is seen through.
struct Sheet {
    double period = 1;      // Q, print pixels per lens; at least 1
    std::int32_t mode = 0;  // core::kModeColumns or core::kModeRows
};

// Position of view k (1 ... count): the middle of its share of a lens.
double viewPosition(int k, int count);

// The frame (1 ... frameCount) whose strips lie under position t of a lens of the print's own
// pitch (frame 1 owns the first share of every lens).
int frameAt(double position, int frameCount);

// For each column (rows mode: row) 0 ... extent - 1 of the view, the print column it shows.
// Throws kSheetPeriodTooSmall for a period below one pixel.
std::vector<std::int32_t> viewSources(std::int32_t extent, double period, double position);

// The view of a 24-bit composite at its full size.
raster::RasterImage renderView(const raster::RasterImage& composite, const Sheet& sheet,
                               double position);

// Views of one composite at a reduced size, quick enough to follow a tilt: the composite is
// reduced along its lenses once (averaging along a strip never mixes frames), and each view
// then averages, across the lenses, the print columns its lenses show. Holds no reference to
// the composite.
class ViewPreview {
  public:
    ViewPreview() = default;
    // `width` x `height` is the size of every view; the composite is 24-bit.
    ViewPreview(const raster::RasterImage& composite, std::int32_t mode, std::int32_t width,
                std::int32_t height);

    bool empty() const { return reduced_.empty(); }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }

    // The view through `sheet.period` (in the composite's pixels) from `position`, as a box
    // average of renderView's view reduced to width x height.
    raster::RasterImage view(double period, double position) const;

  private:
    raster::RasterImage reduced_;  // columns mode: full width, reduced height; rows: the reverse
    std::int32_t mode_ = 0;
    std::int32_t extent_ = 0;  // the composite's size across the lenses
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
};

}  // namespace lenzora::interlace
