#include "core/picture.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace qcal {

namespace {

// A value in decimal: its digits (the first nonzero unless the value is 0) and the number of them
// that stand before the decimal point (may be <= 0 or beyond the digits).
struct Decimal {
    std::string digits;
    int point = 1;  // value = 0.digits × 10^point
    bool negative = false;
};

// A double's decimal form to 15 significant digits: exactly 15 digits.
Decimal ToDecimal15(double value)
{
    // std::to_chars ignores the C locale (a Qt program runs under the user's LC_NUMERIC).
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf - 1, value, std::chars_format::scientific, 14);
    *res.ptr = '\0';  // e.g. "-1.23450000000000e+03"
    Decimal d;
    const char* p = buf;
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    for (; *p != 'e' && *p != '\0'; ++p)
        if (*p >= '0' && *p <= '9')
            d.digits += *p;
    const int exponent = (*p == 'e') ? std::atoi(p + 1) : 0;
    d.point = exponent + 1;
    return d;
}

// Adds one to a string of decimal digits.
void Increment(std::string& digits)
{
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

std::string NonFinite(double value)
{
    if (std::isnan(value))
        return "NaN";
    return value < 0 ? "-Infinity" : "Infinity";
}

std::string Group(const std::string& intDigits)
{
    std::string out;
    const std::size_t n = intDigits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += ',';
        out += intDigits[i];
    }
    return out;
}

// Money exactly: every digit of the ten-thousandths, 19 at most.
Decimal ToDecimal(Money value)
{
    // The magnitude as unsigned, so that the lowest raw value has one too.
    const std::uint64_t raw = static_cast<std::uint64_t>(value.Raw());
    const std::uint64_t magnitude = value.Raw() < 0 ? ~raw + 1 : raw;
    Decimal d;
    d.negative = value.Raw() < 0;
    d.digits = std::to_string(magnitude);
    d.point = static_cast<int>(d.digits.size()) - 4;
    if (magnitude == 0)
        d.point = 1;
    return d;
}

std::string FormatDecimal(const Decimal& d, std::string_view picture)
{
    const auto dot = picture.find('.');
    const std::string_view intPic = picture.substr(0, dot);
    const std::string_view fracPic = dot == std::string_view::npos ? std::string_view() : picture.substr(dot + 1);

    bool grouping = false;
    int minInt = 0;
    for (char c : intPic) {
        if (c == ',')
            grouping = true;
        else if (c == '0' || c == '#') {
            if (c == '0' || minInt > 0)
                ++minInt;
        }
    }
    int decimals = 0;
    int minDecimals = 0;
    for (char c : fracPic) {
        if (c == '0' || c == '#') {
            ++decimals;
            if (c == '0')
                minDecimals = decimals;
        }
    }

    // value × 10^decimals rounded, as decimal digits.
    const int keep = d.point + decimals;  // how many of the digits stand before the rounding point
    std::string scaled;
    if (keep <= 0) {
        scaled.assign(1, (keep == 0 && d.digits[0] >= '5') ? '1' : '0');
    } else if (keep >= static_cast<int>(d.digits.size())) {
        scaled = d.digits + std::string(static_cast<std::size_t>(keep) - d.digits.size(), '0');
    } else {
        scaled = d.digits.substr(0, static_cast<std::size_t>(keep));
        if (d.digits[static_cast<std::size_t>(keep)] >= '5')
            Increment(scaled);
    }
    const auto firstNonZero = scaled.find_first_not_of('0');
    const bool isZero = firstNonZero == std::string::npos;
    scaled = isZero ? std::string() : scaled.substr(firstNonZero);

    if (scaled.size() < static_cast<std::size_t>(decimals) + 1)
        scaled.insert(0, static_cast<std::size_t>(decimals) + 1 - scaled.size(), '0');
    std::string intDigits = scaled.substr(0, scaled.size() - static_cast<std::size_t>(decimals));
    std::string fracDigits = scaled.substr(scaled.size() - static_cast<std::size_t>(decimals));

    // Integer part: no leading zeros, then padded to the picture's "0" places.
    const auto intFirst = intDigits.find_first_not_of('0');
    intDigits = intFirst == std::string::npos ? std::string() : intDigits.substr(intFirst);
    if (intDigits.size() < static_cast<std::size_t>(minInt))
        intDigits.insert(0, static_cast<std::size_t>(minInt) - intDigits.size(), '0');

    while (fracDigits.size() > static_cast<std::size_t>(minDecimals) && fracDigits.back() == '0')
        fracDigits.pop_back();

    std::string out;
    if (d.negative && !isZero)
        out += '-';
    out += grouping ? Group(intDigits) : intDigits;
    if (!fracDigits.empty())
        out += '.' + fracDigits;
    return out;
}

} // namespace

// The picture language: the part before the first "." is the integer part, the rest the
// fraction part. In the integer part, "," anywhere means grouping by thousands, and the digits
// from the first "0" on are always shown (leading zeros pad to that count; with only "#" an
// integer part of 0 is not shown at all). In the fraction part every "0" and "#" is a decimal
// place; the places up to the last "0" are always shown, later "#" places only when not a
// trailing zero. The decimal point is shown only when a decimal is. Other characters are ignored.
//
// Rounding is halves away from zero at the last digit the picture shows: on a double's decimal
// form to 15 significant digits, on Money's exact digits (a profit of 20,110,392,857,087.96 has 16).
// A value that rounds to zero shows no "-". A value too large for the picture's integer
// part shows all of its digits (1e300 shows 301 digits). NaN and infinities, which no
// calculation produces, show "NaN", "Infinity" and "-Infinity" (texts that are not numeric,
// so a later check of the field refuses them).
std::string FormatPicture(double value, std::string_view picture)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    return FormatDecimal(ToDecimal15(value), picture);
}

std::string FormatPicture(Money value, std::string_view picture) { return FormatDecimal(ToDecimal(value), picture); }

// Plain decimal form: up to 15 significant digits, trailing zeros dropped, no grouping.
// No exponent for magnitudes from 1e-20 up to below 1e21; beyond those the text keeps the
// general exponent form ("1e+300", "1e-25"), which ParseNumber reads back.
// Locale-independent: "." is always the decimal mark.
// NaN and infinities show as in FormatPicture.
std::string FormatPlain(double value)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    if (value == 0)
        return "0";
    Decimal d = ToDecimal15(value);
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.point > 21 || d.point < -19) {
        char buf[64];
        const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
        return std::string(buf, res.ptr);
    }
    std::string out = d.negative ? "-" : "";
    const int len = static_cast<int>(d.digits.size());
    if (d.point <= 0) {
        out += "0." + std::string(static_cast<std::size_t>(-d.point), '0') + d.digits;
    } else if (d.point >= len) {
        out += d.digits + std::string(static_cast<std::size_t>(d.point - len), '0');
    } else {
        out += d.digits.substr(0, static_cast<std::size_t>(d.point)) + "." +
               d.digits.substr(static_cast<std::size_t>(d.point));
    }
    return out;
}

std::string TickPicture(Money tick, bool grouped)
{
    std::string picture = grouped ? "###,###,##0." : "##0.";
    for (std::int64_t raw = std::max<std::int64_t>(tick.Raw(), 1); raw < Money::kScale; raw *= 10)
        picture += '0';
    if (picture.back() == '.')
        picture.pop_back();
    return picture;
}

} // namespace qcal
