#include "core/numtext.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace qcal {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

// The grammar as implemented, with the choices it makes:
// - Blanks around the number are spaces and tabs; blanks inside it are not allowed ("1 000" is not numeric).
// - "," is accepted only between two digits of the integer part: "1,500", "1,5,00" and "1,000,000" are
//   numeric (group sizes are not checked); ",5", "5,", "1,,5", "1,.5" and "1.5,0" are not.
// - ".5", "5." and "-.5" are numeric; "." , "+", "-" and "e5" are not (at least one mantissa digit).
// - The exponent needs at least one digit: "1e" and "1e+" are not numeric.
// - Nothing else counts: no currency signs, trailing signs, parentheses, hexadecimal, "inf" or "nan".
// - A value too large for a double ("1e999", a 400-digit number) is not numeric; a value too small
//   to hold ("1e-999") reads as 0 with its sign.
// The value is converted with std::from_chars, which ignores the C locale.
namespace {

struct Parsed {
    std::optional<double> value;
    bool tooLarge = false;  // grammatical, but beyond a double
};

Parsed Parse(std::string_view text)
{
    std::size_t i = 0;
    std::size_t n = text.size();
    while (i < n && IsBlank(text[i]))
        ++i;
    while (n > i && IsBlank(text[n - 1]))
        --n;
    if (i == n)
        return {};

    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }

    std::string intDigits;
    while (i < n) {
        if (IsDigit(text[i])) {
            intDigits += text[i++];
        } else if (text[i] == ',' && !intDigits.empty() && i + 1 < n && IsDigit(text[i + 1])) {
            ++i;
        } else {
            break;
        }
    }
    std::string fracDigits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && IsDigit(text[i]))
            fracDigits += text[i++];
    }
    if (intDigits.empty() && fracDigits.empty())
        return {};

    std::string expDigits;
    bool expNegative = false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            expNegative = text[i] == '-';
            ++i;
        }
        while (i < n && IsDigit(text[i]))
            expDigits += text[i++];
        if (expDigits.empty())
            return {};
    }
    if (i != n)
        return {};

    std::string canonical = intDigits.empty() ? std::string("0") : intDigits;
    if (!fracDigits.empty())
        canonical += "." + fracDigits;
    if (!expDigits.empty())
        canonical += std::string(expNegative ? "e-" : "e") + expDigits;

    double value = 0;
    const auto [ptr, ec] = std::from_chars(canonical.data(), canonical.data() + canonical.size(), value,
                                           std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Overflow or underflow. Decide which from the decimal exponent of the first nonzero digit.
        const std::string mantissa = intDigits + fracDigits;
        const auto firstNonZero = mantissa.find_first_not_of('0');
        if (firstNonZero == std::string::npos) {
            value = 0;
        } else {
            // Position of the first nonzero digit relative to the decimal point, plus the exponent.
            // The exponent text may be huge; clamp it while accumulating.
            long long e = 0;
            for (char c : expDigits) {
                e = e * 10 + (c - '0');
                if (e > 100000000)
                    break;
            }
            if (expNegative)
                e = -e;
            const long long magnitude =
                static_cast<long long>(intDigits.size()) - static_cast<long long>(firstNonZero) + e;
            if (magnitude > 0)
                return {std::nullopt, true};
            value = 0;                 // too small: reads as zero
        }
    } else if (ec != std::errc() || ptr != canonical.data() + canonical.size()) {
        return {};
    }
    if (!std::isfinite(value))
        return {std::nullopt, true};
    return {negative ? -value : value};
}

} // namespace

std::optional<double> ParseNumber(std::string_view text) { return Parse(text).value; }

bool IsTooLargeNumber(std::string_view text) { return Parse(text).tooLarge; }

double NumberOrZero(std::string_view text)
{
    return ParseNumber(text).value_or(0.0);
}

} // namespace qcal
