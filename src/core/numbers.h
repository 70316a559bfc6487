#pragma once
// Numbers as the program keeps and shows them: fixed-point counts of ten-thousandths,
// half-to-even rounding, the general number form of the controls, the conversion of typed
// text, and the 23-character real of the settings file.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lenzora::core {

// A fixed-point value: a count of ten-thousandths (42.275 is 422750).
using FixedCount = std::int64_t;
inline constexpr long double kFixedScale = 10000.0L;

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
long double nearest(long double x);

// Turns an already scaled value into a count, rounding half to even. Values beyond the
// 64-bit range raise "Invalid floating point operation", the text users see for a number
// too large to store.
FixedCount countFromScaled(long double scaled);

// Stores a plain number as fixed point: nearest(x * 10000).
FixedCount toFixed(long double x);

long double fromFixed(FixedCount count);

enum class Rounding { Truncate, Nearest };

// A pixel count from a computed size; sizes beyond the 32-bit range saturate rather than wrap.
std::int32_t toPixelCount(long double x, Rounding rounding);

// The general number form: the shortest decimal with at most 15 significant digits,
// no trailing zeros, "." as the decimal point ("42.275", "255").
std::string formatGeneral(long double x);
std::string formatFixed(FixedCount count);

// A decimal number with optional sign, fraction and exponent, nothing else around it.
std::optional<long double> parseDecimal(std::string_view token);

// Text typed into a box: a decimal number with surrounding blanks allowed. Anything else
// raises "'<text>' is not a valid floating point value".
long double parseFloatText(std::string_view text);
FixedCount parseFixedText(std::string_view text);

// The settings file's real: sign position, one digit, ".", fourteen digits, "E",
// exponent sign and four digits: " 4.22750000000000E+0001".
std::string formatSettingsReal(long double x);

}  // namespace lenzora::core
