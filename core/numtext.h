#pragma once
// Numeric texts as the fields hold them.
// Grammar (blanks around ignored): [+|-] digits with optional "," between digit groups,
// optional "." and more digits (at least one digit in all), optional exponent E|e [+|-] digits.
// "1,500" is 1500. A text whose value is not finite ("1e999", a 400-digit number) is not numeric.

#include <optional>
#include <string_view>

namespace qcal {

std::optional<double> ParseNumber(std::string_view text);

// True when text follows the grammar but its value is too large for a double ("1e999", a
// 400-digit number): a number all the same, to be refused as out of range, not as "not a number".
bool IsTooLargeNumber(std::string_view text);

// The number a field holds, or 0 when its text is not numeric (an empty result field reads as 0).
double NumberOrZero(std::string_view text);

} // namespace qcal
