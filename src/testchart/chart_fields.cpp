#include "testchart/chart_fields.h"

#include <cstdint>
#include <limits>

#include "platform/error.h"
#include "platform/translation.h"

namespace lenzora::testchart {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

int parseIntegerText(std::string_view text) {
    auto fail = [&]() -> int {
        throw platform::Error(platform::fillIn(
            platform::translate("lenzora::testchart", "'%1' is not a valid integer value"),
            {std::string(text)}));
    };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    bool negative = false;
    if (begin < end && (text[begin] == '+' || text[begin] == '-')) {
        negative = text[begin] == '-';
        ++begin;
    }
    if (begin == end) return fail();
    std::int64_t value = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return fail();
        value = value * 10 + (c - '0');
        if (value > std::int64_t{std::numeric_limits<int>::max()} + 1) return fail();
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        return fail();
    return static_cast<int>(value);
}

ChartInputs readChartFields(const ChartFieldTexts& texts) {
    ChartInputs inputs;
    inputs.paper = paperForEntry(texts.paperEntry);
    inputs.dpi = parseIntegerText(texts.dpi);
    inputs.pitch = core::parseFixedText(texts.pitch);
    inputs.bands = parseIntegerText(texts.bands);
    inputs.increment = parseIntegerText(texts.increment);
    return inputs;
}

}  // namespace lenzora::testchart
