// Saving the chart as a stamped 1-bit BMP, TIFF or PNG file and printing it one dot per pixel.

#include <gtest/gtest.h>

#include <algorithm>

#include "output/output_choices.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/testing/scripted_services.h"
#include "raster/bmp_codec.h"
#include "raster/png_codec.h"
#include "raster/tiff_codec.h"
#include "support/temp_dir.h"
#include "testchart/generate_chart.h"
#include "testchart/print_pitch_chart.h"
#include "testchart/save_chart.h"

namespace lenzora::testchart {
namespace {

std::uint32_t u32At(const platform::Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24;
}

ChartState makeChart(const ChartInputs& in) {
    ChartState state;
    raster::RasterImage preview;
    EXPECT_EQ(generatePitchChart(state, in, preview), "");
    return state;
}

TEST(SaveChart, WritesTheBmpBytesWithTheResolutionStampedUnderAnyName) {
    const ChartState chart = makeChart(ChartInputs{1200, {21, 29}, 400000, 15, 11});
    testing::TempDir dir;
    for (const char* name : {"chart.bmp", "chart.jpg", "chart.JPEG", "chart"}) {
        saveChart(chart.image, dir / name, chart.resolution);
        const platform::Bytes file = platform::readWholeFile(dir / name);
        ASSERT_EQ(file.size(), 8345150u) << name;  // 62 + 768 bytes × 10866 rows
        EXPECT_EQ(u32At(file, 38), 47233u);
        EXPECT_EQ(u32At(file, 42), 47233u);
        platform::Bytes expected = raster::encodeBmp(chart.image);
        for (std::size_t i = 38; i < 46; ++i) expected[i] = file[i];
        EXPECT_TRUE(file == expected) << name;
        const raster::RasterImage back = raster::decodeBmp(file);
        EXPECT_EQ(back.format(), raster::PixelFormat::Indexed1);
        EXPECT_EQ(back.width(), 6142);
        EXPECT_EQ(back.height(), 10866);
    }
    // Only the saved files remain: no temporary names left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4);
}

bool samePixels(const raster::RasterImage& a, const raster::RasterImage& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (std::int32_t y = 0; y < a.height(); ++y)
        for (std::int32_t x = 0; x < a.width(); ++x)
            if (!(a.pixel(x, y) == b.pixel(x, y))) return false;
    return true;
}

TEST(SaveChart, TiffAndPngNamesGiveOneBitFilesAtTheChartsResolution) {
    const ChartState chart = makeChart(ChartInputs{300, {21, 29}, 400000, 15, 11});
    testing::TempDir dir;
    saveChart(chart.image, dir / "chart.TIFF", chart.resolution);
    saveChart(chart.image, dir / "chart.Png", chart.resolution);
    const platform::Bytes tiff = platform::readWholeFile(dir / "chart.TIFF");
    EXPECT_TRUE(samePixels(raster::decodeTiff(tiff), chart.image));
    // Compression (259) SHORT 1: 4, Group 4; XResolution's value 300 / 1.
    const std::uint8_t group4[] = {0x03, 0x01, 3, 0, 1, 0, 0, 0, 4, 0};
    const std::uint8_t dpi[] = {0x2C, 0x01, 0, 0, 1, 0, 0, 0};
    EXPECT_NE(std::search(tiff.begin(), tiff.end(), std::begin(group4), std::end(group4)),
              tiff.end());
    EXPECT_NE(std::search(tiff.begin(), tiff.end(), std::begin(dpi), std::end(dpi)), tiff.end());
    const platform::Bytes png = platform::readWholeFile(dir / "chart.Png");
    EXPECT_TRUE(samePixels(raster::decodePng(png), chart.image));
    EXPECT_EQ(png[24], 1) << "1 bit";
    EXPECT_EQ(png[25], 0) << "grey";
    // pHYs: nearest(300 / 0.0254) = 11811 pixels per metre.
    const std::uint8_t phys[] = {'p', 'H', 'Y', 's', 0, 0, 0x2E, 0x23, 0, 0, 0x2E, 0x23, 1};
    EXPECT_NE(std::search(png.begin(), png.end(), std::begin(phys), std::end(phys)), png.end());
}

TEST(SaveChart, AFolderThatIsNotThereIsTheCreateError) {
    const ChartState chart = makeChart(ChartInputs{300, {21, 29}, 400000, 15, 11});
    testing::TempDir dir;
    try {
        saveChartBmp(chart.image, dir / "missing" / "c.bmp", 300);
        FAIL();
    } catch (const platform::Error& e) {
        EXPECT_EQ(
            std::string(e.what()),
            "Cannot create file \"" + (dir / "missing" / "c.bmp").string() + "\". File not found");
    }
}

class PrintChart : public ::testing::Test {
  protected:
    platform::testing::ScriptedServices scripted;
    output::OutputChoices output;
};

TEST_F(PrintChart, NothingBeforeTheFirstChart) {
    printPitchChart(output, ChartState{});
    EXPECT_EQ(scripted.printer->setupsShown, 0);
    EXPECT_EQ(scripted.printer->documentsStarted, 0);
    EXPECT_TRUE(scripted.messages->messages.empty());
}

TEST_F(PrintChart, APrinterOfAnotherResolutionPrintsNothing) {
    // Below or above the chart's resolution, one dot per pixel would print the bars at the
    // wrong pitch: both are refused.
    struct Case {
        int chartDpi;
        int printerDpi;
    } cases[] = {{1200, 600}, {600, 1200}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chartDpi);
        const ChartState chart = makeChart(ChartInputs{c.chartDpi, {21, 29}, 400000, 15, 11});
        const int setupsBefore = scripted.printer->setupsShown;
        scripted.messages->clear();
        scripted.printer->defaultDpi = c.printerDpi;
        printPitchChart(output, chart);
        EXPECT_EQ(scripted.printer->setupsShown, setupsBefore + 1);
        EXPECT_EQ(scripted.messages->messages, std::vector<std::string>{kPrinterDpiWrong});
        EXPECT_EQ(scripted.printer->documentsStarted, 0);
    }
}

TEST_F(PrintChart, AtTheChartsResolutionItIsCentredOneDotPerPixel) {
    const ChartState chart = makeChart(ChartInputs{300, {21, 29}, 400000, 15, 11});
    auto& printer = *scripted.printer;
    printer.defaultDpi = 300;
    printer.keepPage = true;
    printer.width = 2401;
    printer.height = 3301;
    printPitchChart(output, chart);
    ASSERT_TRUE(scripted.messages->messages.empty());
    ASSERT_EQ(printer.documentsEnded, 1);
    const raster::RasterImage& image = chart.image;
    ASSERT_EQ(image.width(), 1535);
    ASSERT_EQ(image.height(), 2717);
    EXPECT_EQ(centredChartRect(1535, 2717, 2401, 3301), (raster::Rect{433, 292, 1968, 3009}));
    std::int64_t mismatches = 0;
    for (std::int32_t y = 0; y < printer.height; ++y) {
        for (std::int32_t x = 0; x < printer.width; ++x) {
            const std::int32_t cx = x - 433;
            const std::int32_t cy = y - 292;
            const bool inside = cx >= 0 && cy >= 0 && cx < image.width() && cy < image.height();
            const bool chartBlack = inside && image.pixelValue(cx, cy) == 0;
            if ((printer.dot(x, y) == 0) != chartBlack) ++mismatches;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(PrintChartPlace, CentredAtTheChartsOwnSizeWhateverTheMargins) {
    struct Case {
        std::int32_t w, h, pw, ph;
        raster::Rect place;
    } cases[] = {
        // Odd margins: the left and top edges round half to even, the others follow at the
        // chart's size rather than rounding on their own (which would give 1536 × 2716 here).
        {1535, 2717, 2400, 3424, {432, 354, 1967, 3071}},
        {1535, 2717, 2402, 3426, {434, 354, 1969, 3071}},
        {6142, 10866, 9921, 14031, {1890, 1582, 8032, 12448}},
        {1535, 2717, 2401, 3301, {433, 292, 1968, 3009}},
        // A chart larger than the page starts left of and above it.
        {100, 100, 50, 60, {-25, -20, 75, 80}},
    };
    for (const Case& c : cases) {
        const raster::Rect r = centredChartRect(c.w, c.h, c.pw, c.ph);
        EXPECT_EQ(r, c.place) << c.pw << " x " << c.ph;
        EXPECT_EQ(r.width(), c.w);
        EXPECT_EQ(r.height(), c.h);
    }
}

}  // namespace
}  // namespace lenzora::testchart
