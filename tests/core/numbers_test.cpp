#include "core/numbers.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace lenzora::core {
namespace {

TEST(Nearest, HalvesGoToTheEvenNeighbour) {
    struct Case {
        long double x;
        long double expected;
    } cases[] = {{0.5L, 0},   {1.5L, 2},    {2.5L, 2},    {3.5L, 4}, {-0.5L, 0},
                 {-1.5L, -2}, {2.4999L, 2}, {2.5001L, 3}, {1.0L, 1}, {-2.6L, -3}};
    for (const Case& c : cases) EXPECT_EQ(nearest(c.x), c.expected) << static_cast<double>(c.x);
}

TEST(Fixed, StoresTenThousandthsRoundedHalfToEven) {
    struct Case {
        long double x;
        FixedCount expected;
    } cases[] = {
        {42.275L, 422750}, {21.25L, 212500},     {0.00005L, 0}, {0.00015L, 2},
        {-0.00015L, -2},   {286.9955L, 2869955}, {0, 0},        {1e14L, 1000000000000000000}};
    for (const Case& c : cases) EXPECT_EQ(toFixed(c.x), c.expected) << static_cast<double>(c.x);
}

TEST(Fixed, ValuesBeyondSixtyFourBitsAreRefused) {
    EXPECT_THROW(toFixed(1e16L), platform::Error);
    EXPECT_THROW(toFixed(-1e16L), platform::Error);
    EXPECT_THROW(countFromScaled(9223372036854775808.0L), platform::Error);
    EXPECT_EQ(countFromScaled(-9223372036854775808.0L), INT64_MIN);
}

TEST(PixelCount, TruncatesOrRoundsAndSaturates) {
    EXPECT_EQ(toPixelCount(1003.937L, Rounding::Truncate), 1003);
    EXPECT_EQ(toPixelCount(1003.937L, Rounding::Nearest), 1004);
    EXPECT_EQ(toPixelCount(-7.9L, Rounding::Truncate), -7);
    EXPECT_EQ(toPixelCount(2.5L, Rounding::Nearest), 2);
    EXPECT_EQ(toPixelCount(1e12L, Rounding::Truncate), INT32_MAX);
    EXPECT_EQ(toPixelCount(-1e12L, Rounding::Nearest), INT32_MIN);
}

TEST(GeneralForm, ShortestDecimalWithFifteenDigits) {
    struct Case {
        FixedCount count;
        const char* expected;
    } cases[] = {
        {422750, "42.275"},
        {2550000, "255"},
        {2536500, "253.65"},
        {1202400, "120.24"},
        {0, "0"},
        {-5000, "-0.5"},
        {1, "0.0001"},
        {2869955, "286.9955"},
        {112990, "11.299"},
        {12345678901234567, "1234567890123.46"},  // sixteen digits round to fifteen
        {-2000000, "-200"},
    };
    for (const Case& c : cases) EXPECT_EQ(formatFixed(c.count), c.expected) << c.count;
}

TEST(GeneralForm, PlainNumbers) {
    EXPECT_EQ(formatGeneral(2866), "2866");
    EXPECT_EQ(formatGeneral(0.1L), "0.1");
    EXPECT_EQ(formatGeneral(1.0L / 3), "0.333333333333333");
    EXPECT_EQ(formatGeneral(1e20L), "1E20");
    EXPECT_EQ(formatGeneral(0.000015L), "1.5E-5");
    EXPECT_EQ(formatGeneral(100000000000000.0L), "100000000000000");
}

TEST(ParseFloatText, AcceptsDecimalNumbersWithBlanksAround) {
    struct Case {
        const char* text;
        long double expected;
    } cases[] = {{"42.275", 42.275L}, {"  21.25 ", 21.25L}, {"-3", -3}, {"+7", 7}, {"1e3", 1000},
                 {"2.5E-1", 0.25L},   {".5", 0.5L},         {"5.", 5},  {"0", 0}};
    for (const Case& c : cases) EXPECT_EQ(parseFloatText(c.text), c.expected) << c.text;
}

TEST(ParseFloatText, EverythingElseIsAConversionError) {
    const char* bad[] = {"",    " ",   "abc", "-",    "+",   ".",   "1e",      "1e+", "12a",
                         "1,5", "1 2", "--1", "0x10", "inf", "nan", "1e99999", "\t5"};
    for (const char* text : bad) {
        try {
            parseFloatText(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const platform::Error& e) {
            EXPECT_EQ(std::string(e.what()),
                      "'" + std::string(text) + "' is not a valid floating point value");
        }
    }
}

TEST(SettingsReal, TwentyThreeCharactersWithFifteenDigits) {
    struct Case {
        long double x;
        const char* expected;
    } cases[] = {
        {42.275L, " 4.22750000000000E+0001"},
        {287, " 2.87000000000000E+0002"},
        {0, " 0.00000000000000E+0000"},
        {-0.5L, "-5.00000000000000E-0001"},
        {286.9955L, " 2.86995500000000E+0002"},
        {1.0L / 3, " 3.33333333333333E-0001"},
        {9.999999999999996L, " 1.00000000000000E+0001"},
        {-0.0L, " 0.00000000000000E+0000"},
    };
    for (const Case& c : cases) {
        std::string written = formatSettingsReal(c.x);
        EXPECT_EQ(written, c.expected);
        EXPECT_EQ(written.size(), 23u);
    }
}

}  // namespace
}  // namespace lenzora::core
