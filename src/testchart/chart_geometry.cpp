#include "testchart/chart_geometry.h"

#include <algorithm>

#include "platform/error.h"
#include "platform/translation.h"
#include "raster/size_limit.h"

namespace lenzora::testchart {
namespace {

constexpr long double kCmPerInch = 2.54L;

std::int32_t nearestPixels(long double x) { return core::toPixelCount(x, core::Rounding::Nearest); }

std::int32_t bandHeightFor(const ChartInputs& in) {
    return nearestPixels((static_cast<long double>(in.paper.heightCm) - 6) / in.bands / kCmPerInch *
                         in.dpi);
}

// The bytes of the 1-bit chart and of the reference grating it is drawn from, the two largest
// images of a generation, from the paper and the resolution alone.
long double chartBytes(const ChartInputs& in) {
    const long double dpi = in.dpi;
    auto bitmapBytes = [](long double width, long double height) {
        if (width <= 0 || height <= 0) return 0.0L;
        return (width / 32 + 1) * 4 * height;
    };
    const long double bandHeight = (static_cast<long double>(in.paper.heightCm) - 6) / kCmPerInch *
                                   dpi / std::max(in.bands, 1);
    return bitmapBytes((in.paper.widthCm - 8) / kCmPerInch * dpi,
                       (in.paper.heightCm - 6) / kCmPerInch * dpi) +
           bitmapBytes(in.paper.widthCm / kCmPerInch * dpi, bandHeight);
}

}  // namespace

ChartGeometry computeChartGeometry(const ChartInputs& in) {
    if (in.pitch == 0)
        throw platform::Error(
            platform::translate("lenzora::testchart", "Floating point division by zero"));
    const long double dpi = in.dpi;
    const long double wc = in.paper.widthCm;
    const long double hc = in.paper.heightCm;
    const long double p = static_cast<long double>(in.pitch);
    const long double bands = in.bands;

    ChartGeometry g;
    g.dpi = in.dpi;
    g.gratingWidth = nearestPixels(wc / kCmPerInch * dpi);
    g.bandHeight = bandHeightFor(in);
    g.period = nearestPixels(dpi / p * 10000);
    g.barWidth = core::toPixelCount(dpi / p / 2 * 10000, core::Rounding::Truncate);
    g.chartWidth = nearestPixels((wc - 8) / kCmPerInch * dpi);
    g.chartHeight = nearestPixels((hc - 6) / kCmPerInch * dpi);
    g.stripLength = nearestPixels((wc - 12) / kCmPerInch * dpi);
    g.labelColumn = nearestPixels(dpi * 3 / kCmPerInch);
    // The font keeps whole points; the size read back is the rounded one.
    g.fontSize = nearestPixels(dpi / 300 * 48);
    g.labelX = nearestPixels(dpi / 6);
    g.labelOffsetY = nearestPixels(static_cast<long double>(g.bandHeight) / 2 -
                                   static_cast<long double>(g.fontSize) / 2 - 26);
    const long double s = g.stripLength;
    g.centreCorrection = core::countFromScaled((s * 10000 - (wc - 12) / kCmPerInch * p * g.period) /
                                               in.increment / 10000);
    g.middle = nearestPixels(bands / 2);

    const long double perPeriod = g.period != 0 ? dpi / g.period : 0;
    for (std::int64_t i = 1; i <= in.bands; ++i) {
        const std::int64_t length =
            g.stripLength + (i - g.middle - g.centreCorrection) * std::int64_t{in.increment};
        g.bandLengths.push_back(length);
        g.labelValues.push_back(
            s != 0 ? core::countFromScaled(static_cast<long double>(length) * perPeriod / s * 10000)
                   : 0);
    }

    g.referenceSource = nearestPixels(dpi / 4);
    const std::int64_t right = std::int64_t{g.labelColumn} + g.stripLength;
    g.referenceLeft = nearestPixels(static_cast<long double>(right) + core::nearest(dpi / 8));
    g.referenceRight = nearestPixels(static_cast<long double>(right) + core::nearest(3 * dpi / 8));

    g.previewWidth = core::toPixelCount(static_cast<long double>(g.chartWidth) / dpi * 100,
                                        core::Rounding::Truncate);
    g.previewHeight = core::toPixelCount(static_cast<long double>(g.chartHeight) / dpi * 100,
                                         core::Rounding::Truncate);
    return g;
}

std::string bandLabel(core::FixedCount value) { return core::formatFixed(value); }

namespace {
std::string refused(const char* text) { return platform::translate("lenzora::testchart", text); }
}  // namespace

std::string chartRefusal(const ChartInputs& in) {
    if (in.dpi < 1) return refused(kBadDpi);
    // A resolution whose chart would not fit in memory is as wrong as one below 1.
    const long double bytes = chartBytes(in);
    if (bytes > 1e18L || !raster::fitsInMemory(static_cast<std::uint64_t>(bytes)))
        return refused(kBadDpi);
    if (in.bands < 1) return refused(kBadBandCount);
    if (in.increment == 0) return refused(kBadIncrement);
    // Checked before the band table is made: bands thinner than a pixel bound the count.
    if (bandHeightFor(in) < 1) return refused(kBadBandCount);
    const ChartGeometry g = computeChartGeometry(in);
    if (g.stripLength < 1) return refused(kBadPaper);
    // A period of 2 or 3 pixels gives bars under a pixel wide: a chart without any bars.
    if (g.period < 1 || g.barWidth < 1) return refused(kBadPeriod);
    for (std::int64_t length : g.bandLengths)
        if (length <= 0 || length > g.gratingWidth) return refused(kBadBandLength);
    return {};
}

}  // namespace lenzora::testchart
