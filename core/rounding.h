#pragma once
// Whole-number rounding: to the nearest signed 32-bit integer, halves to even.
// Every fee, cost and yield rounding passes through it; a value outside the 32-bit
// range is reported (nullopt, or OutOfRange from the throwing form) rather than wrapped.

#include <cstdint>
#include <optional>

#include "core/money.h"

namespace qcal {

std::optional<std::int32_t> RoundToInt32(double value);

// The same, throwing OutOfRange; for use inside a calculation that catches it at its boundary.
std::int32_t RoundInt32(double value);

// The yield of a profit on the money paid, in per cent to two decimals, through the 32-bit rounding
// (halves to even); none when nothing was paid (dividends at or above the cost). Throws OutOfRange
// beyond the rounding's range. Every window's yield is this.
std::optional<double> YieldPercent(double profit, double paid);

// Rounds value to `decimals` decimals through the 32-bit rounding: RoundInt32(value * 10^decimals) / 10^decimals.
double RoundDecimals(double value, int decimals);

// Rounds up to a multiple of 0.001: x is a value in thousandths (cost × 1000). The result is
// n / 1000 where n = RoundInt32(x), plus 0.001 when the rounding went down. "Went down" is decided
// on x to 15 significant digits, so a cost that is exactly a thousandth is not pushed up by the
// binary error of the double (2.007 stays 2.007, while 10.0611 becomes 10.062).
double RoundUpToThousandth(double thousandths);

// money / shares rounded up to a multiple of 0.001, decided on the exact fraction: a cost per share
// as the windows show it, for sums whose doubles would hide the excess (426 trillion over 4 billion
// shares, a hair above 102,601.067, is 102,601.068). Throws OutOfRange when shares is not above 0.
Money CostPerShareRoundedUp(Money money, Money shares);

} // namespace qcal
