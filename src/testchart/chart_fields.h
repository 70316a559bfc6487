#pragma once
// The chart window's fields as typed, read the way "生成" reads them.

#include <string>
#include <string_view>

#include "testchart/chart_geometry.h"

namespace lenzora::testchart {

struct ChartFieldTexts {
    int paperEntry = 0;  // entry index of the paper list; -1 for a typed name
    std::string dpi = "1200";
    std::string pitch = "40";
    std::string bands = "11";
    std::string increment = "15";
};

// A whole number as typed: optional blanks around an optional sign and decimal digits,
// within 32 bits. Anything else raises "'<text>' is not a valid integer value".
int parseIntegerText(std::string_view text);

// Reads the resolution, the expected pitch, the band count and the increment in that order;
// the first text that is not a number raises its conversion error.
ChartInputs readChartFields(const ChartFieldTexts& texts);

}  // namespace lenzora::testchart
