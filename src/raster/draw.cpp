// drawRectangle, drawPolyline and drawText. Everything is reduced to clipped horizontal spans.

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/text_raster.h"
#include "raster/pixel_rows.h"
#include "raster/raster_image.h"

namespace lenzora::raster {
namespace {

std::int32_t clampTo(std::int64_t v, std::int32_t lo, std::int32_t hi) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, lo, hi));
}

}  // namespace

void RasterImage::drawRectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                                std::int32_t bottom) {
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    if (right == left || bottom == top) return;
    auto fill = [&](std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                    Colour colour) {
        fillArea(clampTo(x0, 0, width_), clampTo(y0, 0, height_), clampTo(x1, 0, width_),
                 clampTo(y1, 0, height_), colour);
    };
    std::int64_t l = left, t = top, r = right, b = bottom;
    fill(l + 1, t + 1, r - 1, b - 1, fillColour_);
    fill(l, t, r, t + 1, lineColour_);  // top edge
    fill(l, b - 1, r, b, lineColour_);  // bottom edge
    fill(l, t, l + 1, b, lineColour_);  // left edge
    fill(r - 1, t, r, b, lineColour_);  // right edge
}

void RasterImage::drawPolyline(const std::vector<Point>& points) {
    if (points.size() < 2 || empty()) return;
    std::int32_t penWidth = std::max(lineWidth_, 1);
    // Pixels covered by a pen of this width centred on a point, as horizontal spans per row
    // offset: a square for one pixel, a disc for wider pens (round ends and joins).
    std::vector<std::pair<std::int32_t, std::int32_t>> pen;  // per dy: [x0, x1) offsets
    std::int32_t lowOffset = -(penWidth - 1) / 2;
    for (std::int32_t dy = 0; dy < penWidth; ++dy) {
        if (penWidth <= 2) {
            pen.emplace_back(lowOffset, lowOffset + penWidth);
            continue;
        }
        // Pixel centres within the pen's radius of its centre, which for an even width lies
        // half a pixel right of and below the point.
        double radius = penWidth / 2.0;
        double centre = penWidth % 2 == 0 ? 0.5 : 0.0;
        double distance = lowOffset + dy - centre;
        double half = std::sqrt(std::max(0.0, radius * radius - distance * distance));
        auto x0 = static_cast<std::int32_t>(std::ceil(centre - half));
        auto x1 = static_cast<std::int32_t>(std::floor(centre + half)) + 1;
        pen.emplace_back(x0, std::max(x1, x0 + 1));
    }
    std::uint32_t value = detail::valueFor(format_, palette_, lineColour_);
    auto stamp = [&](std::int64_t x, std::int64_t y, std::int64_t runEnd) {
        // Stamps the pen at every point from x to runEnd - 1 on row y.
        for (std::int32_t dy = 0; dy < penWidth; ++dy) {
            std::int64_t py = y + lowOffset + dy;
            if (py < 0 || py >= height_) continue;
            std::int32_t x0 = clampTo(x + pen[dy].first, 0, width_);
            std::int32_t x1 = clampTo(runEnd - 1 + pen[dy].second, 0, width_);
            detail::fillRow(row(static_cast<std::int32_t>(py)), format_, x0, x1, value);
        }
    };
    // Consecutive points on one row are stamped as one run.
    bool active = false;
    std::int64_t runY = 0, runA = 0, runB = 0;
    auto flush = [&] {
        if (active) stamp(runA, runY, runB + 1);
        active = false;
    };
    auto plot = [&](std::int64_t px, std::int64_t py) {
        if (active && py == runY && (px == runB + 1 || px == runA - 1)) {
            runA = std::min(runA, px);
            runB = std::max(runB, px);
            return;
        }
        flush();
        active = true;
        runY = py;
        runA = runB = px;
    };
    // Thin lines leave out each segment's end point, as line drawing always has (the next
    // segment starts there); wide lines end in a round cap that covers it.
    bool includeEnd = penWidth > 1;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        std::int64_t x = points[i].x, y = points[i].y;
        std::int64_t x1 = points[i + 1].x, y1 = points[i + 1].y;
        // Segments wholly beside the image draw nothing; horizontal and vertical ones are cut
        // to the image (plus the pen) so a far-off end point costs nothing.
        std::int64_t margin = penWidth + 1;
        std::int64_t loX = -margin, hiX = std::int64_t{width_} + margin;
        std::int64_t loY = -margin, hiY = std::int64_t{height_} + margin;
        if ((x < loX && x1 < loX) || (x > hiX && x1 > hiX) || (y < loY && y1 < loY) ||
            (y > hiY && y1 > hiY))
            continue;
        if (y == y1) {
            x = std::clamp(x, loX, hiX);
            x1 = std::clamp(x1, loX, hiX);
        } else if (x == x1) {
            y = std::clamp(y, loY, hiY);
            y1 = std::clamp(y1, loY, hiY);
        }
        std::int64_t dx = std::llabs(x1 - x), dy = -std::llabs(y1 - y);
        int sx = x < x1 ? 1 : -1, sy = y < y1 ? 1 : -1;
        std::int64_t err = dx + dy;
        for (;;) {
            if (x == x1 && y == y1) {
                if (includeEnd) plot(x, y);
                break;
            }
            plot(x, y);
            std::int64_t e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y += sy;
            }
        }
    }
    flush();
}

void RasterImage::drawText(std::int32_t x, std::int32_t y, std::string_view text) {
    if (empty() || text.empty()) return;
    bool mono = format_ == PixelFormat::Indexed1;
    platform::TextMask mask = platform::rasteriseText(text, fontFamily_, fontPoints_, !mono);
    std::int64_t x0 = std::max<std::int64_t>(x, 0);
    std::int64_t x1 = std::min<std::int64_t>(std::int64_t{x} + mask.width, width_);
    std::int64_t y0 = std::max<std::int64_t>(y, 0);
    std::int64_t y1 = std::min<std::int64_t>(std::int64_t{y} + mask.height, height_);
    if (x1 <= x0 || y1 <= y0) return;
    auto n = static_cast<std::int32_t>(x1 - x0);
    std::vector<std::uint8_t> bgr(3 * static_cast<std::size_t>(n));
    detail::BgrWriter writer(format_, palette_);
    auto blend = [](std::uint8_t back, std::uint8_t fore, unsigned a) {
        return static_cast<std::uint8_t>((back * (255u - a) + fore * a + 127u) / 255u);
    };
    for (std::int64_t py = y0; py < y1; ++py) {
        const std::uint8_t* coverage =
            mask.coverage.data() + static_cast<std::size_t>(py - y) * mask.width + (x0 - x);
        for (std::int32_t i = 0; i < n; ++i) {
            unsigned a = coverage[i];
            bgr[3 * static_cast<std::size_t>(i)] = blend(fillColour_.blue, fontColour_.blue, a);
            bgr[3 * static_cast<std::size_t>(i) + 1] =
                blend(fillColour_.green, fontColour_.green, a);
            bgr[3 * static_cast<std::size_t>(i) + 2] = blend(fillColour_.red, fontColour_.red, a);
        }
        writer.write(row(static_cast<std::int32_t>(py)), static_cast<std::int32_t>(x0), bgr.data(),
                     n);
    }
}

}  // namespace lenzora::raster
