#pragma once
// Money: the fixed-point type of every price, quantity, amount and fee.
// A signed 64-bit count of ten-thousandths of a yuan. Sums and differences are exact;
// products are rounded to four decimals. Any result that leaves the 64-bit range throws
// OutOfRange instead of wrapping, so a calculation can refuse rather than show a wrong figure.

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace qcal {

// The 128-bit intermediate of products (a GCC/Clang extension; __extension__ keeps -Wpedantic quiet).
__extension__ typedef __int128 Int128;

// Thrown inside the core when a value leaves a supported range (64-bit Money,
// the 32-bit whole-number roundings, the step counter of the break-even search).
// The public calculation entry points catch it and report failure to their caller.
struct OutOfRange : std::range_error {
    OutOfRange() : std::range_error("value out of range") {}
};

class Money {
public:
    static constexpr std::int64_t kScale = 10000;

    constexpr Money() = default;

    static constexpr Money FromRaw(std::int64_t raw) { return Money(raw); }
    static constexpr Money FromWhole(std::int64_t whole) { return Money(CheckedMul(whole, kScale)); }

    // Rounds to four decimals, halves to even (the default rounding mode of nearbyint).
    static Money FromDouble(double value)
    {
        const double scaled = value * static_cast<double>(kScale);
        if (!std::isfinite(scaled) || scaled >= 9.2233720368547758e18 || scaled < -9.2233720368547758e18)
            throw OutOfRange();
        return Money(static_cast<std::int64_t>(std::nearbyint(scaled)));
    }

    constexpr std::int64_t Raw() const { return raw_; }
    double ToDouble() const { return static_cast<double>(raw_) / static_cast<double>(kScale); }

    // Nearest whole number, halves to even.
    constexpr std::int64_t ToWhole() const
    {
        std::int64_t q = raw_ / kScale;
        std::int64_t r = raw_ % kScale; // same sign as raw_
        const std::int64_t half = kScale / 2;
        if (r > half || (r == half && (q % 2 != 0)))
            ++q;
        else if (r < -half || (r == -half && (q % 2 != 0)))
            --q;
        return q;
    }

    friend constexpr Money operator+(Money a, Money b) { return Money(CheckedAdd(a.raw_, b.raw_)); }
    friend constexpr Money operator-(Money a, Money b) { return Money(CheckedSub(a.raw_, b.raw_)); }
    Money& operator+=(Money b) { return *this = *this + b; }
    Money& operator-=(Money b) { return *this = *this - b; }

    // Product of two Money values, rounded to four decimals with halves to even,
    // through a 128-bit intermediate so that no product wraps.
    friend constexpr Money operator*(Money a, Money b)
    {
        const Int128 p = static_cast<Int128>(a.raw_) * b.raw_;
        Int128 q = p / kScale;
        const Int128 r = p % kScale;
        const Int128 half = kScale / 2;
        if (r > half || (r == half && (q % 2 != 0)))
            ++q;
        else if (r < -half || (r == -half && (q % 2 != 0)))
            --q;
        if (q > std::numeric_limits<std::int64_t>::max() || q < std::numeric_limits<std::int64_t>::min())
            throw OutOfRange();
        return Money(static_cast<std::int64_t>(q));
    }

    // Multiplication by a whole number (the search's "times 1000").
    constexpr Money TimesWhole(std::int64_t n) const { return Money(CheckedMul(raw_, n)); }

    // this × units × 10^−exponent, rounded to the cent with halves away from zero: a fee at a rate,
    // or a profit at a yield, taken exactly as typed, never through a binary double.
    // 0 ≤ exponent ≤ 30.
    Money TimesDecimalToCent(std::int64_t units, int exponent) const
    {
        // In ten-thousandths the cents are raw × units / 10^(exponent + 2).
        const int digits = exponent + 2;
        std::int64_t small = 0;
        if (raw_ >= 0 && units >= 0 && digits <= 18 && !__builtin_mul_overflow(raw_, units, &small)) {
            // The common case in 64 bits: an ordinary amount times a rate of a few digits.
            const std::int64_t divisor = PowerOfTen(digits);
            const std::int64_t rest = small % divisor;
            return Money(CheckedMul(small / divisor + (rest >= divisor - rest ? 1 : 0), 100));
        }
        Int128 divisor = 1;
        for (int i = 0; i < digits; ++i)
            divisor *= 10;
        return CentsOf(static_cast<Int128>(raw_) * units, divisor);
    }

    // this × part ÷ whole, rounded to the cent with halves away from zero, exactly: a share of a sum
    // in proportion to shares (whole > 0).
    Money ProportionToCent(Money part, Money whole) const
    {
        return CentsOf(static_cast<Int128>(raw_) * part.raw_, static_cast<Int128>(whole.raw_) * 100);
    }

    friend constexpr bool operator==(Money, Money) = default;
    friend constexpr auto operator<=>(Money, Money) = default;

private:
    constexpr explicit Money(std::int64_t raw) : raw_(raw) {}

    static constexpr std::int64_t CheckedAdd(std::int64_t a, std::int64_t b)
    {
        std::int64_t r = 0;
        if (__builtin_add_overflow(a, b, &r))
            throw OutOfRange();
        return r;
    }
    static constexpr std::int64_t CheckedSub(std::int64_t a, std::int64_t b)
    {
        std::int64_t r = 0;
        if (__builtin_sub_overflow(a, b, &r))
            throw OutOfRange();
        return r;
    }
    static constexpr std::int64_t CheckedMul(std::int64_t a, std::int64_t b)
    {
        std::int64_t r = 0;
        if (__builtin_mul_overflow(a, b, &r))
            throw OutOfRange();
        return r;
    }
    // numerator ÷ divisor in ten-thousandths, as whole cents, halves away from zero (divisor > 0).
    static Money CentsOf(Int128 numerator, Int128 divisor)
    {
        Int128 cents = numerator / divisor;
        const Int128 rest = numerator % divisor;
        if (rest * 2 >= divisor)
            ++cents;
        else if (rest * 2 <= -divisor)
            --cents;
        if (cents > std::numeric_limits<std::int64_t>::max() / 100 || cents < std::numeric_limits<std::int64_t>::min() / 100)
            throw OutOfRange();
        return Money(static_cast<std::int64_t>(cents) * 100);
    }

    static constexpr std::int64_t PowerOfTen(int n)
    {
        std::int64_t p = 1;
        for (int i = 0; i < n; ++i)
            p *= 10;
        return p;
    }

    std::int64_t raw_ = 0;
};

} // namespace qcal
