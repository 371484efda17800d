#pragma once
// Numeric texts as the fields hold them.
// Grammar (blanks around ignored): [+|-] digits with optional "," between digit groups,
// optional "." and more digits (at least one digit in all), optional exponent E|e [+|-] digits.
// "1,500" is 1500. A text whose value is not finite ("1e999", a 400-digit number) is not numeric.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/money.h"

namespace qcal {

std::optional<double> ParseNumber(std::string_view text);

// A number read exactly, as the decimal units / 10^scale: "2.5" is 25 / 10, "1,000" is 1000 / 1,
// "2.50e-1" is 25 / 100 (trailing zeros after the point dropped). For rates, which must never pass
// through a binary double where a decimal rule decides.
struct ExactDecimal {
    static constexpr int kMaxDigits = 18;
    static constexpr int kMaxScale = 18;
    std::int64_t units = 0;
    int scale = 0;
    friend bool operator==(const ExactDecimal&, const ExactDecimal&) = default;
};

// nullopt when the text is not numeric, or needs more than 18 significant digits or decimals.
std::optional<ExactDecimal> ParseExactDecimal(std::string_view text);
// Plainly, without trailing zeros: 0.5, 0.0341, 3.
std::string FormatExactDecimal(const ExactDecimal& value);
// Whether a is above b, compared exactly.
bool ExactAbove(const ExactDecimal& a, const ExactDecimal& b);

// True when text follows the grammar but its value is too large for a double ("1e999", a
// 400-digit number): a number all the same, to be refused as out of range, not as "not a number".
bool IsTooLargeNumber(std::string_view text);

// A number read exactly as Money: the decimal value rounded to four decimals, halves to even (as
// Money::FromDouble, but from the digits, never through a binary double, so that a figure of 17 digits
// reads back as it is shown). nullopt when the text is not numeric or its value is beyond Money's range.
std::optional<Money> ParseMoney(std::string_view text);

// The same, 0 when the text is not numeric; a number beyond Money's range throws OutOfRange.
Money MoneyOrZero(std::string_view text);

// The number a field holds, or 0 when its text is not numeric (an empty result field reads as 0).
double NumberOrZero(std::string_view text);

} // namespace qcal
