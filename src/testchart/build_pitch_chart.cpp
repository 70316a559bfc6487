#include "testchart/build_pitch_chart.h"

#include <algorithm>
#include <bit>
#include <vector>

#include "platform/error.h"
#include "raster/pixel_rows.h"

namespace lenzora::testchart {
namespace {

using raster::RasterImage;
using raster::Rect;

// Repeats columns [x0, x1) of row `from` in rows (from, to) of the image.
void repeatRowSpan(RasterImage& image, std::int32_t from, std::int32_t to, std::int32_t x0,
                   std::int32_t x1) {
    x0 = std::max(x0, 0);
    x1 = std::min(x1, image.width());
    if (x1 <= x0) return;
    const std::uint8_t* source = image.row(from);
    for (std::int32_t y = from + 1; y < to; ++y)
        raster::detail::copyBits(image.row(y), x0, source, x0, x1 - x0);
}

// The white pixels among columns [from, to) of a chart row: its bits are set where it is white,
// the first pixel in the most significant bit.
std::int64_t whiteBits(const std::uint8_t* bits, std::int32_t from, std::int32_t to) {
    std::int64_t count = 0;
    for (std::int32_t x = from; x < to;) {
        const std::uint8_t byte = bits[x / 8];
        if (x % 8 == 0 && to - x >= 8) {
            count += std::popcount(byte);
            x += 8;
            continue;
        }
        count += (byte >> (7 - x % 8)) & 1;
        ++x;
    }
    return count;
}

}  // namespace

RasterImage makeReferenceGrating(const ChartGeometry& g) {
    RasterImage grating;
    grating.create(raster::PixelFormat::Indexed1, g.gratingWidth, g.bandHeight);
    grating.setFillColour(raster::kBlack);
    // The first bar is drawn even on a grating with no columns.
    std::int64_t x = 0;
    do {
        const auto left = static_cast<std::int32_t>(x);
        grating.drawRectangle(left, 0, left + g.barWidth, g.bandHeight - 1);
        x += g.period;
    } while (x <= std::int64_t{g.gratingWidth} - 1);
    return grating;
}

void buildPitchChart(RasterImage& chart, int dpi, int paperWidthCm, int paperHeightCm,
                     core::FixedCount pitch, int increment, int bands,
                     const platform::Cancellation* cancel) {
    auto checkpoint = [cancel] {
        if (cancel != nullptr) cancel->check();
    };
    const ChartInputs inputs{dpi, {paperWidthCm, paperHeightCm}, pitch, increment, bands};
    if (std::string refusal = chartRefusal(inputs); !refusal.empty())
        throw platform::Error(refusal);
    const ChartGeometry g = computeChartGeometry(inputs);

    RasterImage grating = makeReferenceGrating(g);

    // The old chart goes before the new one is made, so two never live at once.
    chart = RasterImage();
    chart.create(raster::PixelFormat::Indexed1, g.chartWidth, g.chartHeight);
    chart.setFontSize(g.fontSize);

    const std::int32_t hb = g.bandHeight;
    const auto right = static_cast<std::int32_t>(
        std::min<std::int64_t>(std::int64_t{g.labelColumn} + g.stripLength, chart.width()));
    for (std::int32_t i = 0; i < bands; ++i) {
        checkpoint();
        // Bands that start below the chart leave no trace on it.
        const std::int64_t top = std::int64_t{i} * hb;
        if (top >= chart.height()) break;
        const auto y0 = static_cast<std::int32_t>(top);
        chart.drawText(g.labelX, y0 + g.labelOffsetY, bandLabel(g.labelValues[i]));

        // Li grating columns stretched into S chart columns, black winning where columns
        // merge; rows one to one. Grating rows 0 ... Hb - 2 are alike and the band takes rows
        // 0 ... Hb - 41 of them, so its first row is stretched and the others repeat it.
        const auto length = static_cast<std::int32_t>(g.bandLengths[i]);
        const std::int32_t rows = hb - 40;
        if (rows > 0) {
            chart.copyArea(Rect{g.labelColumn, y0, g.labelColumn + g.stripLength, y0 + 1}, grating,
                           Rect{0, 0, length, 1});
            repeatRowSpan(
                chart, y0,
                static_cast<std::int32_t>(std::min<std::int64_t>(top + rows, chart.height())),
                g.labelColumn, right);
        }

        // A black line two rows thick under the label column and the band's start.
        chart.drawRectangle(0, y0 + hb - 1, g.stripLength, y0 + hb + 1);
    }

    checkpoint();
    chart.copyArea(Rect{g.referenceLeft, 0, g.referenceRight, g.chartHeight}, grating,
                   Rect{0, 0, g.referenceSource, hb});
}

RasterImage makeChartPreview(const RasterImage& chart, int dpi) {
    const auto width = core::toPixelCount(static_cast<long double>(chart.width()) / dpi * 100,
                                          core::Rounding::Truncate);
    const auto height = core::toPixelCount(static_cast<long double>(chart.height()) / dpi * 100,
                                           core::Rounding::Truncate);
    RasterImage preview;
    preview.allocate(raster::PixelFormat::Indexed8, width, height);
    std::vector<raster::Colour> greys;
    for (int v = 0; v < 256; ++v) {
        const auto g = static_cast<std::uint8_t>(v);
        greys.push_back(raster::Colour::rgb(g, g, g));
    }
    preview.setPalette(std::move(greys));
    // Preview column x covers chart columns [edges[x], edges[x + 1]).
    std::vector<std::int32_t> edges(static_cast<std::size_t>(width) + 1);
    for (std::int32_t x = 0; x <= width; ++x)
        edges[static_cast<std::size_t>(x)] =
            static_cast<std::int32_t>(std::int64_t{x} * chart.width() / width);
    std::vector<std::int64_t> white(static_cast<std::size_t>(width));
    for (std::int32_t y = 0; y < height; ++y) {
        const auto top = static_cast<std::int32_t>(std::int64_t{y} * chart.height() / height);
        const auto bottom =
            static_cast<std::int32_t>(std::int64_t{y + 1} * chart.height() / height);
        std::fill(white.begin(), white.end(), 0);
        for (std::int32_t cy = top; cy < bottom; ++cy) {
            const std::uint8_t* bits = chart.row(cy);
            for (std::size_t x = 0; x < white.size(); ++x)
                white[x] += whiteBits(bits, edges[x], edges[x + 1]);
        }
        std::uint8_t* out = preview.row(y);
        for (std::size_t x = 0; x < white.size(); ++x) {
            const std::int64_t area = std::int64_t{bottom - top} * (edges[x + 1] - edges[x]);
            out[x] =
                static_cast<std::uint8_t>(area == 0 ? 0xFF : (white[x] * 255 + area / 2) / area);
        }
    }
    return preview;
}

}  // namespace lenzora::testchart
