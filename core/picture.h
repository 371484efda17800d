#pragma once
// Number-format pictures: "0" a digit always shown, "#" a digit shown only when significant,
// "," grouping by thousands, "." the decimal point. The value is rounded to the last digit the
// picture shows, halves away from zero, the half decided on a double's decimal form to 15
// significant digits (1.005 with "0.00" shows 1.01), or on Money's exact digits.
// "###,###" shows 0 as the empty text; "###,###.00" shows 0.5 as ".50".

#include <string>
#include <string_view>

#include "core/money.h"

namespace qcal {

// The pictures the windows show their figures in.
inline constexpr std::string_view kPricePicture = "##0.00##";       // prices: two to four decimals
inline constexpr std::string_view kAmountPicture = "###,##0.00";    // sums of money
inline constexpr std::string_view kExactAmountPicture = "###,##0.00##";  // a sum that may have four decimals
inline constexpr std::string_view kCostPicture = "###,##0.000";     // the main window's cost per share
inline constexpr std::string_view kThousandthsPicture = "##0.000";  // break-even prices, other costs per share
inline constexpr std::string_view kSharesPicture = "###,###";
inline constexpr std::string_view kHoldingPicture = "###,###.####";  // shares with a bonus share's fraction
inline constexpr std::string_view kYieldPicture = "##0.00";         // per cent

// Prices on an exchange's tick show exactly the tick's decimals: "##0.00" for 0.01, "##0.000"
// for 0.001 (grouped by thousands: "###,###,##0.00").
std::string TickPicture(Money tick, bool grouped = false);

std::string FormatPicture(double value, std::string_view picture);
// Money is formatted from its exact digits, never through a double: the same rules, the same
// halves away from zero, and every digit of a figure beyond 15 significant digits.
std::string FormatPicture(Money value, std::string_view picture);

// No picture: plain decimal form, up to 15 significant digits, no grouping, no exponent
// for ordinary magnitudes (1300, 0.5, 10.061, -4595).
std::string FormatPlain(double value);

} // namespace qcal
