#pragma once
// Every quantity of one chart generation, computed in one place from the window's inputs.
// Lengths are chart pixels; non-integer arithmetic is extended precision in the order the
// chart has always been computed in, so the bars and labels come out the same to the dot.

#include <QtGlobal>
#include <cstdint>
#include <string>
#include <vector>

#include "core/numbers.h"
#include "testchart/paper.h"

namespace lenzora::testchart {

struct ChartInputs {
    int dpi = 1200;                   // chart resolution
    PaperSize paper{21, 29};          // Wc, Hc in centimetres
    core::FixedCount pitch = 400000;  // expected pitch P, ten-thousandths of a line per inch
    int increment = 15;               // inc: source pixels added per band
    int bands = 11;                   // N
};

struct ChartGeometry {
    int dpi = 0;
    std::int32_t gratingWidth = 0;  // Wg
    std::int32_t bandHeight = 0;    // Hb
    std::int32_t period = 0;        // T
    std::int32_t barWidth = 0;      // B
    std::int32_t chartWidth = 0;    // Wch
    std::int32_t chartHeight = 0;   // Hch
    std::int32_t stripLength = 0;   // S
    std::int32_t labelColumn = 0;   // Lc
    std::int32_t fontSize = 0;      // F, points
    std::int32_t labelX = 0;
    std::int32_t labelOffsetY = 0;
    std::int64_t centreCorrection = 0;          // c0
    std::int32_t middle = 0;                    // m
    std::vector<std::int64_t> bandLengths;      // L1 ... LN
    std::vector<core::FixedCount> labelValues;  // V1 ... VN, ten-thousandths of a line per inch
    // The quarter-inch reference strip right of the bands: grating columns [0, referenceSource)
    // onto chart columns [referenceLeft, referenceRight), over the whole chart height.
    std::int32_t referenceSource = 0;
    std::int32_t referenceLeft = 0;
    std::int32_t referenceRight = 0;
    // The preview at 100 pixels per inch.
    std::int32_t previewWidth = 0;
    std::int32_t previewHeight = 0;
};

// Computes every quantity. The inputs must not be refused by chartRefusal (band count at
// least 1, increment not 0); an expected pitch of 0 raises "Floating point division by zero".
ChartGeometry computeChartGeometry(const ChartInputs& inputs);

// The band label: Vi as a general number ("39.2944", "40").
std::string bandLabel(core::FixedCount value);

// Short messages for inputs that give no sound chart.
inline constexpr const char* kBadDpi = QT_TRANSLATE_NOOP("lenzora::testchart", "DPI不对!");
inline constexpr const char* kBadBandCount = QT_TRANSLATE_NOOP("lenzora::testchart", "栏数不对!");
inline constexpr const char* kBadIncrement = QT_TRANSLATE_NOOP("lenzora::testchart", "增幅不对!");
inline constexpr const char* kBadPaper = QT_TRANSLATE_NOOP("lenzora::testchart", "纸张不对!");
inline constexpr const char* kBadPeriod = QT_TRANSLATE_NOOP("lenzora::testchart", "预计线数不对!");
inline constexpr const char* kBadBandLength =
    QT_TRANSLATE_NOOP("lenzora::testchart", "栏长超出光栅!");

// The message refusing these inputs, or the empty text when a chart can be made from them:
// a resolution below 1 or so high that the chart would not fit in the available memory, a band
// count below 1 or a band height below one pixel, an increment of 0, a paper whose strip length is
// below one pixel (the blank entry), a bar period or bar width below one pixel, a band length of
// zero or less or longer than the grating. An expected pitch of 0 raises the division error
// instead, as it always has.
std::string chartRefusal(const ChartInputs& inputs);

}  // namespace lenzora::testchart
