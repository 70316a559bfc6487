#include "core/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/error.h"
#include "platform/translation.h"

namespace lenzora::core {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Fifteen significant digits of |x| and the decimal exponent of the first one.
struct Decimal15 {
    std::string digits;  // exactly 15 digits
    int exponent = 0;    // x = d.dddd... * 10^exponent
};

Decimal15 decimal15(long double x) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14Le", std::fabs(x));
    Decimal15 result;
    const char* p = buffer;
    for (; *p != 'e' && *p != '\0'; ++p) {
        if (isDigit(*p)) result.digits += *p;
    }
    if (*p == 'e') result.exponent = std::atoi(p + 1);
    return result;
}

}  // namespace

long double nearest(long double x) { return std::nearbyint(x); }

FixedCount countFromScaled(long double scaled) {
    long double rounded = nearest(scaled);
    // 2^63 is exact in long double; anything at or beyond it does not fit.
    constexpr long double limit = 9223372036854775808.0L;
    if (!(rounded < limit && rounded >= -limit))
        throw platform::Error(
            platform::translate("lenzora::core", "Invalid floating point operation"));
    return static_cast<FixedCount>(rounded);
}

FixedCount toFixed(long double x) { return countFromScaled(x * kFixedScale); }

long double fromFixed(FixedCount count) { return static_cast<long double>(count) / kFixedScale; }

std::int32_t toPixelCount(long double x, Rounding rounding) {
    long double whole = rounding == Rounding::Nearest ? nearest(x) : std::trunc(x);
    constexpr long double low = std::numeric_limits<std::int32_t>::min();
    constexpr long double high = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(whole)) return 0;
    if (whole <= low) return std::numeric_limits<std::int32_t>::min();
    if (whole >= high) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(whole);
}

std::string formatGeneral(long double x) {
    if (x == 0 || std::isnan(x)) return "0";
    Decimal15 d = decimal15(x);
    std::string digits = d.digits;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out = x < 0 ? "-" : "";
    const int e = d.exponent;
    if (e >= 15 || e < -4) {
        // Too large or too small for plain digits: "1.5E-5", "1E20".
        out += digits[0];
        if (digits.size() > 1) out += "." + digits.substr(1);
        out += "E" + std::to_string(e);
        return out;
    }
    if (e >= 0) {
        std::size_t intLen = static_cast<std::size_t>(e) + 1;
        if (digits.size() <= intLen) {
            out += digits + std::string(intLen - digits.size(), '0');
        } else {
            out += digits.substr(0, intLen) + "." + digits.substr(intLen);
        }
    } else {
        out += "0." + std::string(static_cast<std::size_t>(-e - 1), '0') + digits;
    }
    return out;
}

std::string formatFixed(FixedCount count) { return formatGeneral(fromFixed(count)); }

std::optional<long double> parseDecimal(std::string_view token) {
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    const std::size_t numberStart = i;
    std::size_t mantissaDigits = 0;
    while (i < token.size() && isDigit(token[i])) ++i, ++mantissaDigits;
    if (i < token.size() && token[i] == '.') {
        ++i;
        while (i < token.size() && isDigit(token[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < token.size() && isDigit(token[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != token.size()) return std::nullopt;

    // from_chars takes no "+" and reads in the C locale whatever the user's locale is.
    std::string_view number = token.substr(numberStart);
    std::string plain(number);
    if (!plain.empty() && plain[0] == '+') plain.erase(0, 1);
    long double value = 0;
    auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size()) return std::nullopt;
    return negative ? -value : value;
}

long double parseFloatText(std::string_view text) {
    std::string_view trimmed = text;
    while (!trimmed.empty() && trimmed.front() == ' ') trimmed.remove_prefix(1);
    while (!trimmed.empty() && trimmed.back() == ' ') trimmed.remove_suffix(1);
    std::optional<long double> value = parseDecimal(trimmed);
    if (!value)
        throw platform::Error(platform::fillIn(
            platform::translate("lenzora::core", "'%1' is not a valid floating point value"),
            {std::string(text)}));
    return *value;
}

FixedCount parseFixedText(std::string_view text) { return toFixed(parseFloatText(text)); }

std::string formatSettingsReal(long double x) {
    Decimal15 d = decimal15(x);
    std::string out;
    out += std::signbit(x) && x != 0 ? '-' : ' ';
    out += d.digits[0];
    out += '.';
    out += d.digits.substr(1);
    out += 'E';
    out += d.exponent < 0 ? '-' : '+';
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "%04d", std::abs(d.exponent));
    out += exponent;
    return out;
}

}  // namespace lenzora::core
