// The quantities of a generation for the worked cases, the inputs refused, the paper list and
// the reading of the window's fields.

#include <gtest/gtest.h>

#include "platform/error.h"
#include "testchart/chart_fields.h"
#include "testchart/chart_geometry.h"

namespace lenzora::testchart {
namespace {

std::vector<std::string> labelsOf(const ChartGeometry& g) {
    std::vector<std::string> labels;
    for (core::FixedCount v : g.labelValues) labels.push_back(bandLabel(v));
    return labels;
}

TEST(ChartGeometry, DefaultsGiveEveryListedNumber) {
    const ChartGeometry g = computeChartGeometry(ChartInputs{1200, {21, 29}, 400000, 15, 11});
    EXPECT_EQ(g.gratingWidth, 9921);
    EXPECT_EQ(g.bandHeight, 988);
    EXPECT_EQ(g.period, 30);
    EXPECT_EQ(g.barWidth, 15);
    EXPECT_EQ(g.chartWidth, 6142);
    EXPECT_EQ(g.chartHeight, 10866);
    EXPECT_EQ(g.stripLength, 4252);
    EXPECT_EQ(g.labelColumn, 1417);
    EXPECT_EQ(g.fontSize, 192);
    EXPECT_EQ(g.labelX, 200);
    EXPECT_EQ(g.labelOffsetY, 372);
    EXPECT_EQ(g.centreCorrection, 0);
    EXPECT_EQ(g.middle, 6);
    EXPECT_EQ(g.bandLengths, (std::vector<std::int64_t>{4177, 4192, 4207, 4222, 4237, 4252, 4267,
                                                        4282, 4297, 4312, 4327}));
    EXPECT_EQ(labelsOf(g),
              (std::vector<std::string>{"39.2944", "39.4356", "39.5767", "39.7178", "39.8589", "40",
                                        "40.1411", "40.2822", "40.4233", "40.5644", "40.7056"}));
    EXPECT_EQ(g.referenceLeft, 5819);
    EXPECT_EQ(g.referenceRight, 6119);  // last column 6118
    EXPECT_EQ(g.referenceSource, 300);
    EXPECT_EQ(g.previewWidth, 511);
    EXPECT_EQ(g.previewHeight, 905);
}

TEST(ChartGeometry, SheetPitchAt1200CorrectsTheCentre) {
    const ChartGeometry g = computeChartGeometry(ChartInputs{1200, {21, 29}, 422750, 15, 11});
    EXPECT_EQ(g.period, 28);
    EXPECT_EQ(g.barWidth, 14);
    EXPECT_EQ(g.centreCorrection, 4);
    EXPECT_EQ(g.bandLengths[5], 4192);
    EXPECT_EQ(bandLabel(g.labelValues[5]), "42.2524");
    EXPECT_EQ(g.bandLengths[9], 4252);
    EXPECT_EQ(bandLabel(g.labelValues[9]), "42.8571");
}

TEST(ChartGeometry, A3At600WithNineBandsRoundsTheMiddleToEven) {
    const ChartGeometry g = computeChartGeometry(ChartInputs{600, {29, 42}, 212500, 15, 9});
    EXPECT_EQ(g.middle, 4);
    EXPECT_EQ(g.centreCorrection, 2);
    ASSERT_EQ(g.labelValues.size(), 9u);
    EXPECT_EQ(bandLabel(g.labelValues.front()), "21.0284");
    EXPECT_EQ(bandLabel(g.labelValues.back()), "21.6687");
    // Each band one increment longer than the one above it.
    for (std::size_t i = 1; i < g.bandLengths.size(); ++i)
        EXPECT_EQ(g.bandLengths[i] - g.bandLengths[i - 1], 15);
}

TEST(ChartGeometry, AfterResetThe360DpiChartHasPeriod9) {
    const ChartGeometry g = computeChartGeometry(ChartInputs{360, {21, 29}, 400000, 15, 11});
    EXPECT_EQ(g.period, 9);
    EXPECT_EQ(g.barWidth, 4);
}

TEST(ChartGeometry, MiddleIndexRoundsHalvesToEven) {
    for (auto [bands, middle] : {std::pair{11, 6}, {9, 4}, {13, 6}, {15, 8}, {1, 0}, {2, 1}}) {
        EXPECT_EQ(computeChartGeometry(ChartInputs{1200, {21, 29}, 400000, 15, bands}).middle,
                  middle)
            << bands;
    }
}

TEST(ChartGeometry, ZeroPitchIsTheDivisionError) {
    try {
        (void)chartRefusal(ChartInputs{1200, {21, 29}, 0, 15, 11});
        FAIL() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_STREQ(e.what(), "Floating point division by zero");
    }
}

TEST(ChartGeometry, InputsWithoutASoundChartAreRefused) {
    struct Case {
        ChartInputs inputs;
        const char* message;
    };
    const Case cases[] = {
        {{1200, {21, 29}, 400000, 15, 11}, ""},
        {{1200, {21, 29}, 400000, 15, 0}, kBadBandCount},
        {{1200, {21, 29}, 400000, 15, -3}, kBadBandCount},
        {{1200, {21, 29}, 400000, 15, 100000}, kBadBandCount},  // bands under a pixel
        {{1200, {21, 29}, 400000, 0, 11}, kBadIncrement},
        {{1200, {11, 14}, 400000, 15, 11}, kBadPaper},     // the blank entry
        {{1200, {21, 29}, 24000000, 15, 11}, kBadPeriod},  // twice the resolution
        {{1200, {21, 29}, -400000, 15, 11}, kBadPeriod},
        // Period 2 with bars 0 wide: T = nearest(1.5) = 2, B = trunc(0.75) = 0.
        {{1200, {21, 29}, 8000000, 15, 11}, kBadPeriod},
        {{300, {21, 29}, 2000000, 15, 11}, kBadPeriod},
        {{1200, {21, 29}, 6000000, 15, 11}, ""},  // T = 2, B = 1: the narrowest bars
        {{0, {21, 29}, 400000, 15, 11}, kBadDpi},
        {{1200, {21, 29}, 400000, 1000, 11}, kBadBandLength},   // longer than the grating
        {{1200, {21, 29}, 400000, -1000, 11}, kBadBandLength},  // zero or less
        // One band: m = 0, L1 = S + inc with S = 4252 and Wg = 9921.
        {{1200, {21, 29}, 400000, 5669, 1}, ""},
        {{1200, {21, 29}, 400000, 5670, 1}, kBadBandLength},
        {{1200, {21, 29}, 400000, -4251, 1}, ""},
        {{1200, {21, 29}, 400000, -4252, 1}, kBadBandLength},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chartRefusal(c.inputs), c.message) << c.inputs.dpi << " " << c.inputs.pitch << " "
                                                     << c.inputs.increment << " " << c.inputs.bands;
    }
}

TEST(Paper, EntriesAndTypedNames) {
    EXPECT_EQ(paperForEntry(0), (PaperSize{21, 29}));
    EXPECT_EQ(paperForEntry(1), (PaperSize{29, 42}));
    EXPECT_EQ(paperForEntry(2), (PaperSize{23, 25}));
    EXPECT_EQ(paperForEntry(3), (PaperSize{11, 14}));
    EXPECT_EQ(paperForEntry(-1), (PaperSize{21, 29}));
    EXPECT_EQ(paperEntryForText("A3"), 1);
    EXPECT_EQ(paperEntryForText("8' x 10'"), 2);
    EXPECT_EQ(paperEntryForText(""), 3);
    EXPECT_EQ(paperEntryForText("Letter"), -1);
    EXPECT_EQ(paperEntryForText("a3"), -1);
}

TEST(ChartFields, IntegersAsTyped) {
    EXPECT_EQ(parseIntegerText("1200"), 1200);
    EXPECT_EQ(parseIntegerText(" -15 "), -15);
    EXPECT_EQ(parseIntegerText("+7"), 7);
    EXPECT_EQ(parseIntegerText("2147483647"), 2147483647);
    EXPECT_EQ(parseIntegerText("-2147483648"), -2147483647 - 1);
    for (const char* bad :
         {"", " ", "-", "12.5", "1e3", "abc", "2147483648", "12 3", "99999999999999999999"}) {
        try {
            (void)parseIntegerText(bad);
            ADD_FAILURE() << bad;
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.what(), "'" + std::string(bad) + "' is not a valid integer value");
        }
    }
}

TEST(ChartFields, ReadInTheWindowsOrder) {
    ChartFieldTexts texts;
    texts.paperEntry = 1;
    texts.dpi = "600";
    texts.pitch = "21.25";
    texts.bands = "9";
    texts.increment = "15";
    const ChartInputs in = readChartFields(texts);
    EXPECT_EQ(in.paper, (PaperSize{29, 42}));
    EXPECT_EQ(in.dpi, 600);
    EXPECT_EQ(in.pitch, 212500);
    EXPECT_EQ(in.bands, 9);
    EXPECT_EQ(in.increment, 15);

    // The resolution is read before the pitch, the pitch before the counts.
    texts.dpi = "x";
    texts.pitch = "y";
    EXPECT_THROW(
        {
            try {
                (void)readChartFields(texts);
            } catch (const platform::Error& e) {
                EXPECT_STREQ(e.what(), "'x' is not a valid integer value");
                throw;
            }
        },
        platform::Error);
    texts.dpi = "600";
    texts.bands = "z";
    try {
        (void)readChartFields(texts);
        FAIL();
    } catch (const platform::Error& e) {
        EXPECT_STREQ(e.what(), "'y' is not a valid floating point value");
    }
}

}  // namespace
}  // namespace lenzora::testchart
