#include "core/numtext.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
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

// A text split by the grammar: its sign, the digits before and after the point (group commas
// dropped) and the exponent.
struct Lexed {
    bool negative = false;
    std::string intDigits;
    std::string fracDigits;
    bool expNegative = false;
    std::string expDigits;
};

std::optional<Lexed> Lex(std::string_view text)
{
    std::size_t i = 0;
    std::size_t n = text.size();
    while (i < n && IsBlank(text[i]))
        ++i;
    while (n > i && IsBlank(text[n - 1]))
        --n;
    if (i == n)
        return std::nullopt;

    Lexed lexed;
    if (text[i] == '+' || text[i] == '-') {
        lexed.negative = text[i] == '-';
        ++i;
    }
    while (i < n) {
        if (IsDigit(text[i])) {
            lexed.intDigits += text[i++];
        } else if (text[i] == ',' && !lexed.intDigits.empty() && i + 1 < n && IsDigit(text[i + 1])) {
            ++i;
        } else {
            break;
        }
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && IsDigit(text[i]))
            lexed.fracDigits += text[i++];
    }
    if (lexed.intDigits.empty() && lexed.fracDigits.empty())
        return std::nullopt;

    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            lexed.expNegative = text[i] == '-';
            ++i;
        }
        while (i < n && IsDigit(text[i]))
            lexed.expDigits += text[i++];
        if (lexed.expDigits.empty())
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    return lexed;
}

// The exponent's value, clamped far beyond any exponent that matters.
long long Exponent(const Lexed& lexed)
{
    long long e = 0;
    for (char c : lexed.expDigits) {
        e = e * 10 + (c - '0');
        if (e > 100000000)
            break;
    }
    return lexed.expNegative ? -e : e;
}

struct Parsed {
    std::optional<double> value;
    bool tooLarge = false;  // grammatical, but beyond a double
};

Parsed Parse(std::string_view text)
{
    const auto lexed = Lex(text);
    if (!lexed)
        return {};
    const std::string& intDigits = lexed->intDigits;
    const std::string& fracDigits = lexed->fracDigits;
    const std::string& expDigits = lexed->expDigits;

    std::string canonical = intDigits.empty() ? std::string("0") : intDigits;
    if (!fracDigits.empty())
        canonical += "." + fracDigits;
    if (!expDigits.empty())
        canonical += std::string(lexed->expNegative ? "e-" : "e") + expDigits;

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
            const long long magnitude =
                static_cast<long long>(intDigits.size()) - static_cast<long long>(firstNonZero) + Exponent(*lexed);
            if (magnitude > 0)
                return {std::nullopt, true};
            value = 0;  // too small: reads as zero
        }
    } else if (ec != std::errc() || ptr != canonical.data() + canonical.size()) {
        return {};
    }
    if (!std::isfinite(value))
        return {std::nullopt, true};
    return {lexed->negative ? -value : value};
}

} // namespace

std::optional<double> ParseNumber(std::string_view text) { return Parse(text).value; }

bool IsTooLargeNumber(std::string_view text) { return Parse(text).tooLarge; }

namespace {

// A numeric text as ±digits × 10^exponent, the digits without leading or trailing zeros (empty for
// zero). Its size and the exponent bound what the value can be before any string of that size is
// built: "30E90000000900" is 30 followed by 900 million zeros, which no reader may spell out.
struct Significand {
    bool negative = false;
    std::string digits;
    long long exponent = 0;
};

std::optional<Significand> SignificandOf(std::string_view text)
{
    const auto lexed = Lex(text);
    if (!lexed)
        return std::nullopt;
    Significand s;
    s.negative = lexed->negative;
    s.digits = lexed->intDigits + lexed->fracDigits;
    s.exponent = Exponent(*lexed) - static_cast<long long>(lexed->fracDigits.size());
    const auto first = s.digits.find_first_not_of('0');
    if (first == std::string::npos)
        return Significand{s.negative, {}, 0};
    s.digits.erase(0, first);
    const auto last = s.digits.find_last_not_of('0');
    s.exponent += static_cast<long long>(s.digits.size() - 1 - last);
    s.digits.erase(last + 1);
    return s;
}

// The digits as a whole number; at most 19 of them, so that it fits in 64 bits unsigned.
Int128 WholeOf(std::string_view digits)
{
    Int128 n = 0;
    for (char c : digits)
        n = n * 10 + (c - '0');
    return n;
}

Int128 PowerOfTen(long long n)
{
    Int128 p = 1;
    for (long long i = 0; i < n; ++i)
        p *= 10;
    return p;
}

constexpr long long kMoneyDigits = 19;  // 2^63 − 1 has 19 digits

} // namespace

bool ExactAbove(const ExactDecimal& a, const ExactDecimal& b)
{
    // Both at the scale 10^-18: 18 digits times 10^18 fit in 128 bits.
    const auto at18 = [](const ExactDecimal& d) {
        Int128 value = d.units;
        for (int i = d.scale; i < ExactDecimal::kMaxScale; ++i)
            value *= 10;
        return value;
    };
    return at18(a) > at18(b);
}

std::string FormatExactDecimal(const ExactDecimal& value)
{
    const bool negative = value.units < 0;
    std::string digits = std::to_string(value.units);
    if (negative)
        digits.erase(0, 1);
    if (value.scale > 0) {
        const auto scale = static_cast<std::size_t>(value.scale);
        if (digits.size() <= scale)
            digits.insert(0, scale - digits.size() + 1, '0');
        // Split and joined rather than insert(): GCC 12 warns (-Wrestrict) on an insert it cannot bound.
        digits = digits.substr(0, digits.size() - scale) + '.' + digits.substr(digits.size() - scale);
        while (digits.back() == '0')
            digits.pop_back();
        if (digits.back() == '.')
            digits.pop_back();
    }
    return negative ? "-" + digits : digits;
}

std::optional<ExactDecimal> ParseExactDecimal(std::string_view text)
{
    const auto s = SignificandOf(text);
    if (!s)
        return std::nullopt;
    if (s->digits.empty())
        return ExactDecimal{0, 0};
    // Whole numbers keep their zeros in the units (1,000 is 1000 / 1); a fraction has scale digits.
    const long long size = static_cast<long long>(s->digits.size());
    const long long units = s->exponent > 0 ? size + s->exponent : size;
    const long long scale = s->exponent < 0 ? -s->exponent : 0;
    if (units > ExactDecimal::kMaxDigits || scale > ExactDecimal::kMaxScale)
        return std::nullopt;
    const Int128 value = WholeOf(s->digits) * PowerOfTen(std::max(s->exponent, 0LL));
    const auto whole = static_cast<std::int64_t>(value);
    return ExactDecimal{s->negative ? -whole : whole, static_cast<int>(scale)};
}

namespace {

// value × 10^4 rounded halves to even, as Money::FromDouble rounds; tooLarge when it leaves Money.
struct MoneyReading {
    std::optional<Money> value;
    bool tooLarge = false;
};

MoneyReading ReadMoney(std::string_view text)
{
    const auto s = SignificandOf(text);
    if (!s)
        return {};
    if (s->digits.empty())
        return {Money()};
    const long long size = static_cast<long long>(s->digits.size());
    const long long shift = s->exponent + 4;  // raw = digits × 10^shift
    Int128 raw = 0;
    if (shift >= 0) {
        if (size + shift > kMoneyDigits)
            return {std::nullopt, true};
        raw = WholeOf(s->digits) * PowerOfTen(shift);
    } else if (-shift <= size) {
        const std::string_view digits = s->digits;
        const auto kept = static_cast<std::size_t>(size + shift);
        if (static_cast<long long>(kept) > kMoneyDigits)
            return {std::nullopt, true};
        raw = WholeOf(digits.substr(0, kept));
        // The dropped digits end in a nonzero digit: exactly half is a lone "5".
        const std::string_view dropped = digits.substr(kept);
        const bool half = dropped == "5";
        if ((dropped[0] >= '5' && !half) || (half && raw % 2 != 0))
            ++raw;
    }
    // else: less than a tenth of a ten-thousandth, which rounds to 0
    const Int128 value = s->negative ? -raw : raw;
    if (value > std::numeric_limits<std::int64_t>::max() || value < std::numeric_limits<std::int64_t>::min())
        return {std::nullopt, true};
    return {Money::FromRaw(static_cast<std::int64_t>(value))};
}

} // namespace

std::optional<Money> ParseMoney(std::string_view text) { return ReadMoney(text).value; }

Money MoneyOrZero(std::string_view text)
{
    const MoneyReading reading = ReadMoney(text);
    if (reading.tooLarge)
        throw OutOfRange();
    return reading.value.value_or(Money());
}

double NumberOrZero(std::string_view text)
{
    return ParseNumber(text).value_or(0.0);
}

} // namespace qcal
