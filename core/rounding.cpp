#include "core/rounding.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace qcal {

std::optional<std::int32_t> RoundToInt32(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double r = std::nearbyint(value);  // halves to even in the default rounding mode
    if (r < -2147483648.0 || r > 2147483647.0)
        return std::nullopt;
    return static_cast<std::int32_t>(r);
}

std::int32_t RoundInt32(double value)
{
    const auto r = RoundToInt32(value);
    if (!r)
        throw OutOfRange();
    return *r;
}

std::optional<double> YieldPercent(double profit, double paid)
{
    if (!(paid > 0))
        return std::nullopt;
    return RoundInt32(profit / paid * 10000) / 100.0;
}

double RoundDecimals(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return RoundInt32(value * scale) / scale;
}

double RoundUpToThousandth(double thousandths)
{
    const std::int32_t n = RoundInt32(thousandths);
    // Compare on the decimal form to 15 significant digits: 2007.0000000000002 is 2007.
    // to_chars / from_chars, not printf / strtod: they ignore the C locale.
    char buf[64];
    const auto written = std::to_chars(buf, buf + sizeof buf, thousandths, std::chars_format::general, 15);
    double decimal = thousandths;
    std::from_chars(buf, written.ptr, decimal);
    // (n + 1) / 1000 rather than n / 1000 + 0.001: one division gives the double nearest the
    // decimal result (10062 / 1000.0 == 10.062, while 10.061 + 0.001 need not be).
    return decimal > static_cast<double>(n) ? (static_cast<double>(n) + 1.0) / 1000.0 : n / 1000.0;
}

Money CostPerShareRoundedUp(Money money, Money shares)
{
    if (shares <= Money())
        throw OutOfRange();
    // In thousandths of a yuan: money.raw × 1000 / shares.raw (the scales cancel), rounded towards
    // plus infinity; division truncates towards zero, which is already up for a negative quotient.
    const Int128 numerator = static_cast<Int128>(money.Raw()) * 1000;
    const Int128 denominator = shares.Raw();
    Int128 thousandths = numerator / denominator;
    if (numerator % denominator > 0)
        ++thousandths;
    const Int128 raw = thousandths * (Money::kScale / 1000);
    if (raw > std::numeric_limits<std::int64_t>::max() || raw < std::numeric_limits<std::int64_t>::min())
        throw OutOfRange();
    return Money::FromRaw(static_cast<std::int64_t>(raw));
}

} // namespace qcal
