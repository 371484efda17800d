#include "core/numtext.h"

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

std::optional<ExactDecimal> ParseExactDecimal(std::string_view text)
{
    const auto lexed = Lex(text);
    if (!lexed)
        return std::nullopt;
    // The digits as one whole number, with the point `scale` places from its end.
    std::string digits = lexed->intDigits + lexed->fracDigits;
    long long scale = static_cast<long long>(lexed->fracDigits.size()) - Exponent(*lexed);
    const auto first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        return ExactDecimal{0, 0};
    digits.erase(0, first);
    while (digits.size() > 1 && digits.back() == '0' && scale > 0) {
        digits.pop_back();
        --scale;
    }
    for (; scale < 0; ++scale)
        digits += '0';
    if (digits.size() > static_cast<std::size_t>(ExactDecimal::kMaxDigits) || scale > ExactDecimal::kMaxScale)
        return std::nullopt;
    std::int64_t units = 0;
    for (char c : digits)
        units = units * 10 + (c - '0');
    return ExactDecimal{lexed->negative ? -units : units, static_cast<int>(scale)};
}

std::optional<Money> ParseMoney(std::string_view text)
{
    const auto exact = ParseExactDecimal(text);
    if (!exact)
        return std::nullopt;
    Int128 raw = exact->units;
    constexpr int kPlaces = 4;  // Money's ten-thousandths
    for (int scale = exact->scale; scale < kPlaces; ++scale)
        raw *= 10;
    if (exact->scale > kPlaces) {
        Int128 divisor = 1;
        for (int scale = kPlaces; scale < exact->scale; ++scale)
            divisor *= 10;
        const Int128 rest = raw % divisor;
        raw /= divisor;
        if (rest * 2 >= divisor)
            ++raw;
        else if (rest * 2 <= -divisor)
            --raw;
    }
    if (raw > std::numeric_limits<std::int64_t>::max() || raw < std::numeric_limits<std::int64_t>::min())
        return std::nullopt;
    return Money::FromRaw(static_cast<std::int64_t>(raw));
}

double NumberOrZero(std::string_view text)
{
    return ParseNumber(text).value_or(0.0);
}

} // namespace qcal
