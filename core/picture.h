#pragma once
// Number-format pictures: "0" a digit always shown, "#" a digit shown only when significant,
// "," grouping by thousands, "." the decimal point. The value is rounded to the last digit the
// picture shows, halves away from zero, the half decided on the value's decimal form to 15
// significant digits (1.005 with "0.00" shows 1.01). "###,###" shows 0 as the empty text;
// "###,###.00" shows 0.5 as ".50".

#include <string>
#include <string_view>

namespace qcal {

std::string FormatPicture(double value, std::string_view picture);

// No picture: plain decimal form, up to 15 significant digits, no grouping, no exponent
// for ordinary magnitudes (1300, 0.5, 10.061, -4595).
std::string FormatPlain(double value);

} // namespace qcal
