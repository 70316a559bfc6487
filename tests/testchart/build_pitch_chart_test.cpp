// The chart as drawn: the bars of every band against the black-wins stretch of the grating,
// the separators, the reference strip, the labels' place and the preview.

#include <gtest/gtest.h>

#include <cstring>

#include "platform/error.h"
#include "platform/work_pool.h"
#include "raster/bmp_codec.h"
#include "testchart/build_pitch_chart.h"
#include "testchart/generate_chart.h"

namespace lenzora::testchart {
namespace {

using raster::RasterImage;

bool black(const RasterImage& image, std::int32_t x, std::int32_t y) {
    return image.pixelValue(x, y) == 0;
}

// The pixels of row y, columns [x0, x1), as a string of '#' (black) and '.' (white).
std::string rowText(const RasterImage& image, std::int32_t y, std::int32_t x0, std::int32_t x1) {
    std::string text;
    for (std::int32_t x = x0; x < x1; ++x) text += black(image, x, y) ? '#' : '.';
    return text;
}

// Black runs in a row text.
int runs(const std::string& text) {
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '#' && (i == 0 || text[i - 1] != '#')) ++count;
    return count;
}

// A grating row as the bars make it: bar k covers [kT, kT + B), cut at the grating's end.
std::string gratingRow(const ChartGeometry& g, std::int64_t length) {
    std::string text;
    for (std::int64_t x = 0; x < length; ++x) text += (x % g.period) < g.barWidth ? '#' : '.';
    return text;
}

// Li source columns into S target columns: a target column is black when any source column it
// covers is; a target column narrower than one source column takes the one under its centre.
std::string blackWinsStretch(const std::string& source, std::int64_t targetWidth) {
    const auto sourceWidth = static_cast<std::int64_t>(source.size());
    std::string out;
    for (std::int64_t d = 0; d < targetWidth; ++d) {
        std::int64_t lo = d * sourceWidth / targetWidth;
        std::int64_t hi = (d + 1) * sourceWidth / targetWidth;
        if (hi <= lo) {
            lo = (2 * d + 1) * sourceWidth / (2 * targetWidth);
            hi = lo + 1;
        }
        bool any = false;
        for (std::int64_t s = lo; s < hi; ++s) any = any || source[s] == '#';
        out += any ? '#' : '.';
    }
    return out;
}

// Source columns that reach a black target column, for the same mapping as above.
std::vector<bool> shownSourceColumns(const std::string& target, std::int64_t sourceWidth) {
    const auto targetWidth = static_cast<std::int64_t>(target.size());
    std::vector<bool> shown(static_cast<std::size_t>(sourceWidth), false);
    for (std::int64_t d = 0; d < targetWidth; ++d) {
        if (target[d] != '#') continue;
        std::int64_t lo = d * sourceWidth / targetWidth;
        std::int64_t hi = (d + 1) * sourceWidth / targetWidth;
        if (hi <= lo) {
            lo = (2 * d + 1) * sourceWidth / (2 * targetWidth);
            hi = lo + 1;
        }
        for (std::int64_t x = lo; x < hi; ++x) shown[x] = true;
    }
    return shown;
}

struct Built {
    ChartGeometry geometry;
    RasterImage chart;
};

Built build(const ChartInputs& in) {
    Built b;
    b.geometry = computeChartGeometry(in);
    buildPitchChart(b.chart, in.dpi, in.paper.widthCm, in.paper.heightCm, in.pitch, in.increment,
                    in.bands);
    return b;
}

class ChartBands : public ::testing::TestWithParam<ChartInputs> {};

TEST_P(ChartBands, EveryBandIsTheBlackWinsStretchOfItsGratingColumns) {
    const Built b = build(GetParam());
    const ChartGeometry& g = b.geometry;
    ASSERT_EQ(b.chart.width(), g.chartWidth);
    ASSERT_EQ(b.chart.height(), g.chartHeight);
    const std::int32_t bandRows = g.bandHeight - 40;
    for (std::size_t i = 0; i < g.bandLengths.size(); ++i) {
        const auto y0 = static_cast<std::int32_t>(i) * g.bandHeight;
        const std::int64_t length = g.bandLengths[i];
        const std::string source = gratingRow(g, length);
        const std::string expected = blackWinsStretch(source, g.stripLength);
        const std::string first =
            rowText(b.chart, y0, g.labelColumn, g.labelColumn + g.stripLength);
        EXPECT_EQ(first, expected) << "band " << i + 1;
        // No bar is lost where columns merge: some column of every bar reaches black on paper,
        // and while the gaps stay two columns wide every bar is a run of its own.
        const std::vector<bool> shown = shownSourceColumns(first, length);
        for (std::int64_t bar = 0; bar < length; bar += g.period) {
            bool reached = false;
            for (std::int64_t x = bar; x < std::min(bar + g.barWidth, length); ++x)
                reached = reached || shown[x];
            EXPECT_TRUE(reached) << "band " << i + 1 << " bar at " << bar;
        }
        if ((g.period - g.barWidth) * std::int64_t{g.stripLength} >= 2 * length) {
            EXPECT_EQ(runs(first), (length + g.period - 1) / g.period) << "band " << i + 1;
        }
        // All rows of the band alike, then white down to the separator.
        for (std::int32_t y : {y0 + 1, y0 + bandRows / 2, y0 + bandRows - 1})
            EXPECT_EQ(rowText(b.chart, y, g.labelColumn, g.labelColumn + g.stripLength), first)
                << "band " << i + 1 << " row " << y;
        for (std::int32_t y : {y0 + bandRows, std::min(y0 + g.bandHeight - 2, g.chartHeight - 1)})
            EXPECT_EQ(runs(rowText(b.chart, y, g.labelColumn, g.labelColumn + g.stripLength)), 0)
                << "band " << i + 1 << " row " << y;
        // Nothing right of the band but the reference strip.
        EXPECT_EQ(runs(rowText(b.chart, y0 + 5, g.labelColumn + g.stripLength, g.referenceLeft)),
                  0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    WorkedCases, ChartBands,
    ::testing::Values(ChartInputs{1200, {21, 29}, 400000, 15, 11},
                      ChartInputs{1200, {21, 29}, 422750, 15, 11},
                      ChartInputs{600, {29, 42}, 212500, 15, 9},
                      // Strong merging: bands up to one and a half times the strip length.
                      ChartInputs{300, {21, 29}, 100000, 120, 11},
                      // One-pixel bars every 3 columns, bands up to twice the strip length: a
                      // nearest-pixel stretch would drop every other bar here.
                      ChartInputs{300, {21, 29}, 1000000, 200, 11}));

TEST(PitchChart, SeparatorsSpanTheLabelColumnAndTheBandsStart) {
    const Built b = build(ChartInputs{1200, {21, 29}, 400000, 15, 11});
    const ChartGeometry& g = b.geometry;
    for (std::int32_t i = 1; i <= 10; ++i) {
        const std::int32_t y = i * g.bandHeight - 1;  // first separator row of band i
        EXPECT_EQ(rowText(b.chart, y, 0, g.stripLength), std::string(g.stripLength, '#'));
        EXPECT_FALSE(black(b.chart, g.stripLength, y));
        // Its second row is the next band's first where the band lies, black before it.
        EXPECT_EQ(rowText(b.chart, y + 1, 0, g.labelColumn), std::string(g.labelColumn, '#'));
    }
}

TEST(PitchChart, ReferenceStripRepeatsTheGratingDownTheWholeChart) {
    const Built b = build(ChartInputs{1200, {21, 29}, 400000, 15, 11});
    const ChartGeometry& g = b.geometry;
    const std::string grating = gratingRow(g, g.referenceSource);
    for (std::int32_t y : {0, 500, 5000, 10000}) {
        EXPECT_EQ(rowText(b.chart, y, 5819, 6119), grating) << y;
        EXPECT_FALSE(black(b.chart, 5818, y));
        EXPECT_FALSE(black(b.chart, 6119, y));
    }
    // The grating's white last row lands at the bottom.
    EXPECT_EQ(runs(rowText(b.chart, g.chartHeight - 1, 5819, 6119)), 0);
}

TEST(PitchChart, LabelsStandInTheLabelColumnOfTheirBand) {
    const Built b = build(ChartInputs{1200, {21, 29}, 400000, 15, 11});
    const ChartGeometry& g = b.geometry;
    for (std::int32_t i = 0; i < 11; ++i) {
        const std::int32_t y0 = i * g.bandHeight;
        int inked = 0;
        // Row y0 is the second row of the separator above; the last band is cut off at the
        // chart's bottom.
        for (std::int32_t y = y0 + 1; y < std::min(y0 + g.bandHeight - 1, g.chartHeight); ++y) {
            EXPECT_EQ(runs(rowText(b.chart, y, 0, g.labelX)), 0) << y;
            inked += runs(rowText(b.chart, y, g.labelX, g.labelColumn));
        }
        EXPECT_GT(inked, 100) << "band " << i + 1;
    }
}

TEST(PitchChart, PreviewIsAHundredPixelsPerInchInGreys) {
    const Built b = build(ChartInputs{1200, {21, 29}, 400000, 15, 11});
    const RasterImage preview = makeChartPreview(b.chart, 1200);
    EXPECT_EQ(preview.width(), 511);
    EXPECT_EQ(preview.height(), 905);
    EXPECT_EQ(preview.format(), raster::PixelFormat::Indexed8);
    // Each preview pixel covers a block of chart pixels and is as light as its share of white.
    const RasterImage& chart = b.chart;
    int greys = 0;
    for (std::int32_t y : {40, 100, 450, 904}) {
        const std::int32_t top = static_cast<std::int32_t>(std::int64_t{y} * chart.height() / 905);
        const auto bottom = static_cast<std::int32_t>(std::int64_t{y + 1} * chart.height() / 905);
        for (std::int32_t x = 0; x < 511; ++x) {
            const auto left = static_cast<std::int32_t>(std::int64_t{x} * chart.width() / 511);
            const auto right = static_cast<std::int32_t>(std::int64_t{x + 1} * chart.width() / 511);
            std::int64_t white = 0;
            for (std::int32_t cy = top; cy < bottom; ++cy)
                for (std::int32_t cx = left; cx < right; ++cx)
                    white += chart.pixel(cx, cy) == raster::kWhite;
            const std::int64_t area = std::int64_t{bottom - top} * (right - left);
            const auto expected = static_cast<std::uint8_t>((white * 255 + area / 2) / area);
            ASSERT_EQ(preview.pixel(x, y).green, expected) << x << ", " << y;
            greys += expected != 0 && expected != 255;
        }
    }
    EXPECT_GT(greys, 100);
}

// Rows whose bytes differ between two images of the same size and format, the bits after the
// last pixel included.
int rowsThatDiffer(const RasterImage& a, const RasterImage& b) {
    int count = 0;
    for (std::int32_t y = 0; y < a.height(); ++y)
        count += std::memcmp(a.row(y), b.row(y), a.stride()) != 0;
    return count;
}

// The same inputs give the same chart every time in one process, in memory and as a file,
// whatever was drawn before: the charts are made in turns at 1200 dpi, where the labels are
// 192 points high, and at 600 dpi, after small text, and each is compared with the first of
// its resolution.
TEST(PitchChart, TheSameInputsGiveTheSameChartEveryTime) {
    const ChartInputs at1200{1200, {21, 29}, 422750, 15, 11};
    const ChartInputs at600{600, {21, 29}, 422750, 15, 11};
    const Built first1200 = build(at1200);
    const Built first600 = build(at600);
    const platform::Bytes file1200 = raster::encodeBmp(first1200.chart, 47244);
    for (int k = 2; k <= 7; ++k) {
        // Small text between charts, as a window draws its own.
        RasterImage other;
        other.create(raster::PixelFormat::Bgr24, 300, 60);
        other.setFontSize(6 + k);
        other.drawText(0, 0, "42.275 lpi");
        for (const ChartInputs& in : {at1200, at600}) {
            const Built again = build(in);
            const RasterImage& first = in.dpi == 1200 ? first1200.chart : first600.chart;
            ASSERT_EQ(again.chart.width(), first.width());
            ASSERT_EQ(again.chart.height(), first.height());
            EXPECT_EQ(rowsThatDiffer(first, again.chart), 0) << in.dpi << " dpi, chart " << k;
            if (in.dpi == 1200) {
                EXPECT_TRUE(raster::encodeBmp(again.chart, 47244) == file1200) << "chart " << k;
            }
        }
    }
}

TEST(PitchChart, RefusedInputsLeaveTheChartAsItWas) {
    ChartState state;
    RasterImage preview;
    ASSERT_EQ(generatePitchChart(state, ChartInputs{300, {21, 29}, 400000, 15, 11}, preview), "");
    const std::int32_t width = state.image.width();
    EXPECT_EQ(state.resolution, 300);
    for (const ChartInputs& in :
         {ChartInputs{1200, {21, 29}, 400000, 15, 0}, ChartInputs{1200, {21, 29}, 400000, 0, 11},
          ChartInputs{1200, {11, 14}, 400000, 15, 11},
          ChartInputs{1200, {21, 29}, 24000000, 15, 11}}) {
        EXPECT_NE(generatePitchChart(state, in, preview), "");
        EXPECT_EQ(state.image.width(), width);
        EXPECT_EQ(state.resolution, 300);
    }
    EXPECT_THROW((void)generatePitchChart(state, ChartInputs{1200, {21, 29}, 0, 15, 11}, preview),
                 platform::Error);
    EXPECT_EQ(state.resolution, 300);
    // Called directly, the drawing refuses them as well, before touching the chart.
    EXPECT_THROW(buildPitchChart(state.image, 1200, 11, 14, 400000, 15, 11), platform::Error);
    EXPECT_EQ(state.image.width(), width);
}

// The generation in steps, as the window runs it: the old chart goes first, the drawing
// gives the chart and preview of the one-go generation, and a stop asked is obeyed before
// anything is drawn into the shared chart.
TEST(PitchChart, GenerationInStepsMatchesTheOneGoAndStops) {
    const ChartInputs inputs{600, {21, 29}, 422750, 15, 11};
    ChartState whole;
    RasterImage wholePreview;
    ASSERT_EQ(generatePitchChart(whole, inputs, wholePreview), "");

    ChartState state;
    RasterImage oldPreview;
    ASSERT_EQ(generatePitchChart(state, ChartInputs{300, {21, 29}, 400000, 15, 11}, oldPreview),
              "");
    EXPECT_NE(startChartGeneration(state, ChartInputs{600, {21, 29}, 400000, 15, 0}), "");
    EXPECT_EQ(state.resolution, 300);
    ASSERT_EQ(startChartGeneration(state, inputs), "");
    EXPECT_FALSE(state.exists());
    EXPECT_TRUE(state.image.empty());

    platform::Cancellation stop;
    stop.request();
    EXPECT_THROW((void)drawChart(inputs, &stop), platform::Cancelled);
    RasterImage partial;
    EXPECT_THROW(buildPitchChart(partial, 600, 21, 29, 422750, 15, 11, &stop), platform::Cancelled);

    const platform::Cancellation go;
    DrawnChart drawn = drawChart(inputs, &go);
    keepChart(state, drawn);
    EXPECT_EQ(state.resolution, 600);
    EXPECT_TRUE(raster::encodeBmp(state.image) == raster::encodeBmp(whole.image));
    EXPECT_TRUE(raster::encodeBmp(drawn.preview) == raster::encodeBmp(wholePreview));
}

}  // namespace
}  // namespace lenzora::testchart
