#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/money.h"
#include "core/rounding.h"

namespace qcal {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

// ---- Money::FromDouble: four decimals, halves to even ----
struct FromDoubleCase {
    double value;
    std::int64_t raw;
};
void PrintTo(const FromDoubleCase& c, std::ostream* os) { *os << c.value; }

class MoneyFromDouble : public ::testing::TestWithParam<FromDoubleCase> {};

TEST_P(MoneyFromDouble, RoundsHalvesToEven)
{
    EXPECT_EQ(Money::FromDouble(GetParam().value).Raw(), GetParam().raw);
}

// The halves are exact in binary: k/32 × 10000 = 312.5 × k.
const FromDoubleCase kFromDouble[] = {
    {0.0, 0},
    {-0.0, 0},
    {1.0, 10000},
    {10.0, 100000},
    {9.45, 94500},
    {10.061, 100610},
    {1.0001, 10001},            // 10000.999999999998 in binary: still 10001
    {9.12345678, 91235},
    {0.03125, 312},             // 312.5 -> 312 (even)
    {0.09375, 938},             // 937.5 -> 938 (even)
    {0.15625, 1562},            // 1562.5 -> 1562
    {0.21875, 2188},            // 2187.5 -> 2188
    {-0.03125, -312},
    {-0.09375, -938},
    {-0.15625, -1562},
    {0.00004, 0},
    {0.00006, 1},
    {-0.00006, -1},
    {1e14, 1000000000000000000},  // 10^18 raw, exact in binary
    {-922337203685477.5808, kMin},  // exactly -2^63 / 10^4 as scaled: the lowest raw value
};
INSTANTIATE_TEST_SUITE_P(Money, MoneyFromDouble, ::testing::ValuesIn(kFromDouble));

TEST(MoneyFromDoubleRange, OutOfRangeThrows)
{
    const double bad[] = {
        1e20, -1e20, 922337203685477.5808 /* 2^63 scaled */, 1e300,
        std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::max(),
    };
    for (double v : bad)
        EXPECT_THROW(Money::FromDouble(v), OutOfRange) << v;
    EXPECT_NO_THROW(Money::FromDouble(9e14));
    EXPECT_NO_THROW(Money::FromDouble(-9e14));
}

TEST(MoneyBasics, RawWholeAndDouble)
{
    EXPECT_EQ(Money().Raw(), 0);
    EXPECT_EQ(Money::FromRaw(12345).Raw(), 12345);
    EXPECT_EQ(Money::FromWhole(7).Raw(), 70000);
    EXPECT_EQ(Money::FromWhole(-7).Raw(), -70000);
    EXPECT_EQ(Money::FromRaw(100610).ToDouble(), 10.061);
    EXPECT_EQ(Money::FromRaw(-45950000).ToDouble(), -4595.0);
    EXPECT_THROW(Money::FromWhole(kMax / 1000), OutOfRange);
    EXPECT_THROW(Money::FromWhole(kMin / 1000), OutOfRange);
    EXPECT_NO_THROW(Money::FromWhole(kMax / 10000));
    EXPECT_LT(Money::FromRaw(1), Money::FromRaw(2));
    EXPECT_EQ(Money::FromDouble(2.5), Money::FromRaw(25000));
}

// ---- Money::ToWhole: nearest, halves to even ----
struct ToWholeCase {
    std::int64_t raw;
    std::int64_t whole;
};
void PrintTo(const ToWholeCase& c, std::ostream* os) { *os << "raw " << c.raw; }

class MoneyToWhole : public ::testing::TestWithParam<ToWholeCase> {};

TEST_P(MoneyToWhole, RoundsHalvesToEven)
{
    EXPECT_EQ(Money::FromRaw(GetParam().raw).ToWhole(), GetParam().whole);
}

const ToWholeCase kToWhole[] = {
    {0, 0},
    {25000, 2},      // 2.5 -> 2
    {35000, 4},      // 3.5 -> 4
    {-25000, -2},    // -2.5 -> -2
    {-35000, -4},    // -3.5 -> -4
    {5000, 0},       // 0.5 -> 0
    {-5000, 0},
    {15000, 2},      // 1.5 -> 2
    {-15000, -2},
    {24999, 2},
    {25001, 3},
    {-24999, -2},
    {-25001, -3},
    {4999, 0},
    {-4999, 0},
    {10061000, 1006},
    {10065000, 1006},   // 1006.5 -> 1006
    {10075000, 1008},   // 1007.5 -> 1008
    {kMax, 922337203685478},  // ...477.5807
    {kMin, -922337203685478}, // ...477.5808
};
INSTANTIATE_TEST_SUITE_P(Money, MoneyToWhole, ::testing::ValuesIn(kToWhole));

// ---- Products: four decimals, halves to even, 128-bit intermediate ----
struct ProductCase {
    std::int64_t a;
    std::int64_t b;
    std::int64_t raw;
};
void PrintTo(const ProductCase& c, std::ostream* os) { *os << c.a << " x " << c.b; }

class MoneyProduct : public ::testing::TestWithParam<ProductCase> {};

TEST_P(MoneyProduct, RoundsHalvesToEven)
{
    const auto& c = GetParam();
    EXPECT_EQ((Money::FromRaw(c.a) * Money::FromRaw(c.b)).Raw(), c.raw);
    EXPECT_EQ((Money::FromRaw(c.b) * Money::FromRaw(c.a)).Raw(), c.raw);
}

const ProductCase kProducts[] = {
    {100000, 10000000, 100000000},     // 10 × 1000 = 10,000
    {15000, 10000000, 15000000},       // 1.5 × 1000 = 1,500
    {5, 5000, 2},          // 0.0005 × 0.5 = 0.00025 -> 0.0002 (even)
    {15, 5000, 8},         // 0.0015 × 0.5 = 0.00075 -> 0.0008 (even)
    {25, 5000, 12},        // 0.00125 -> 0.0012
    {35, 5000, 18},        // 0.00175 -> 0.0018
    {-5, 5000, -2},
    {-15, 5000, -8},
    {-15, -5000, 8},
    {1, 4999, 0},
    {1, 5001, 1},
    {-1, 5001, -1},
    {0, kMax, 0},
    {10000, kMax, kMax},   // × 1
    {10000, kMin, kMin},
    {-10000, kMax, -kMax},
    // 10^11 yuan × 10: the raw product 10^20 is beyond 64 bits, the result is not.
    {1000000000000000, 100000, 10000000000000000},
    {3037000499, 3037000499, 922337203092625},  // 9223372030926249001 ÷ 10^4, .9001 rounds up
};
INSTANTIATE_TEST_SUITE_P(Money, MoneyProduct, ::testing::ValuesIn(kProducts));

TEST(MoneyOverflow, ThrowsInsteadOfWrapping)
{
    const Money max = Money::FromRaw(kMax);
    const Money min = Money::FromRaw(kMin);
    const Money one = Money::FromRaw(1);
    EXPECT_THROW(max + one, OutOfRange);
    EXPECT_THROW(min - one, OutOfRange);
    EXPECT_THROW(min + Money::FromRaw(-1), OutOfRange);
    EXPECT_THROW(max - Money::FromRaw(-1), OutOfRange);
    EXPECT_NO_THROW(max + Money::FromRaw(-1));
    EXPECT_NO_THROW(min + max);
    EXPECT_THROW(Money::FromWhole(100000000) * Money::FromWhole(100000000000), OutOfRange);  // 10^19 yuan
    EXPECT_THROW(max * Money::FromRaw(10001), OutOfRange);
    EXPECT_THROW(min * Money::FromRaw(-10000), OutOfRange);  // -min does not fit
    EXPECT_THROW(max * max, OutOfRange);
    EXPECT_THROW(min * min, OutOfRange);
    EXPECT_THROW(max.TimesWhole(2), OutOfRange);
    EXPECT_THROW(min.TimesWhole(-1), OutOfRange);
    EXPECT_EQ(Money::FromRaw(100610).TimesWhole(1000).Raw(), 100610000);
    Money m = max;
    EXPECT_THROW(m += one, OutOfRange);
    EXPECT_EQ(m, max);  // unchanged after the throw
    m = min;
    EXPECT_THROW(m -= one, OutOfRange);
    EXPECT_EQ(m, min);
}

TEST(MoneyWorked, BuyFrameFigures)
{
    // 10 × 1000: amount 10,000; fees 30 + 30 + 1 = 61; cost 10,061.
    const Money amount = Money::FromDouble(10) * Money::FromDouble(1000);
    EXPECT_EQ(amount, Money::FromWhole(10000));
    const Money fees = Money::FromDouble(30) + Money::FromDouble(30) + Money::FromDouble(1);
    EXPECT_EQ((amount + fees).ToDouble(), 10061.0);
    EXPECT_EQ((amount - fees).Raw(), 99390000);
}

// ---- Whole-number rounding through 32 bits ----
struct Int32Case {
    double value;
    std::optional<std::int32_t> expected;
};
void PrintTo(const Int32Case& c, std::ostream* os) { *os << c.value; }

class RoundToInt32Test : public ::testing::TestWithParam<Int32Case> {};

TEST_P(RoundToInt32Test, HalvesToEvenWithinRange)
{
    const auto& c = GetParam();
    EXPECT_EQ(RoundToInt32(c.value), c.expected);
    if (c.expected)
        EXPECT_EQ(RoundInt32(c.value), *c.expected);
    else
        EXPECT_THROW(RoundInt32(c.value), OutOfRange);
}

const Int32Case kInt32[] = {
    {0.0, 0},
    {0.5, 0},
    {1.5, 2},
    {2.5, 2},
    {3.5, 4},
    {-0.5, 0},
    {-1.5, -2},
    {-2.5, -2},
    {1198.8, 1199},
    {1006.1, 1006},
    {1504.5, 1504},
    {2147483647.0, 2147483647},
    {2147483647.4, 2147483647},
    {2147483647.5, std::nullopt},   // rounds to 2^31
    {2147483648.0, std::nullopt},
    {-2147483648.0, -2147483648},
    {-2147483648.4, -2147483648},
    {-2147483648.5, -2147483648},   // the even neighbour is -2^31 itself
    {-2147483649.5, std::nullopt},  // even neighbour -2147483650
    {-2147483649.0, std::nullopt},
    {1e20, std::nullopt},
    {-1e20, std::nullopt},
    {std::numeric_limits<double>::quiet_NaN(), std::nullopt},
    {std::numeric_limits<double>::infinity(), std::nullopt},
    {-std::numeric_limits<double>::infinity(), std::nullopt},
};
INSTANTIATE_TEST_SUITE_P(Round, RoundToInt32Test, ::testing::ValuesIn(kInt32));

TEST(RoundDecimals, ThroughTheInt32Rounding)
{
    EXPECT_EQ(RoundDecimals(9.12345678, 4), 9.1235);
    EXPECT_EQ(RoundDecimals(11.988, 2), 11.99);
    EXPECT_EQ(RoundDecimals(1.234, 2), 1.23);
    EXPECT_EQ(RoundDecimals(0.125, 2), 0.12);  // 12.5 -> 12
    EXPECT_EQ(RoundDecimals(0.375, 2), 0.38);  // 37.5 -> 38
    EXPECT_EQ(RoundDecimals(2.5, 0), 2.0);
    EXPECT_THROW(RoundDecimals(214748.3648, 4), OutOfRange);
    EXPECT_THROW(RoundDecimals(21474836.48, 2), OutOfRange);
    EXPECT_NO_THROW(RoundDecimals(214748.3647, 4));
}

// ---- Rounding up to 0.001 ----
struct UpCase {
    double thousandths;
    double expected;
};
void PrintTo(const UpCase& c, std::ostream* os) { *os << c.thousandths; }

class RoundUpToThousandthTest : public ::testing::TestWithParam<UpCase> {};

TEST_P(RoundUpToThousandthTest, RoundsUpOnTheDecimalValue)
{
    EXPECT_EQ(RoundUpToThousandth(GetParam().thousandths), GetParam().expected);
}

const UpCase kUp[] = {
    {2007.0000000000002, 2.007},   // 2.007 × 1000 in binary: still exactly 2.007
    {2007.0, 2.007},
    {10061.0, 10.061},
    {10061.1, 10.062},
    {10061.4, 10.062},
    {10061.5, 10.062},   // rounds to 10062 (even), not down
    {10062.5, 10.063},   // rounds to 10062 (even), went down
    {10060.9, 10.061},
    {10061.000001, 10.062},
    {1504.5, 1.505},
    {0.0, 0.0},
    {0.1, 0.001},
    {-5.3, -0.005},      // up means towards +infinity
    {-5.7, -0.005},
};
INSTANTIATE_TEST_SUITE_P(Round, RoundUpToThousandthTest, ::testing::ValuesIn(kUp));

TEST(RoundUpToThousandthEdges, ExactThousandthComputedInDoubles)
{
    // Shanghai, commission 3, stamp duty 0, 2.00 × 1,000 shares: 2,000 + 6 + 1 = 2,007 for 1,000
    // shares, exactly 2.007 a share; the doubles give 2007.0000000000002 thousandths.
    volatile double amount = 2000.0, commission = 6.0, transfer = 1.0, quantity = 1000.0;
    const double x = (amount + commission + transfer) / quantity * 1000.0;
    EXPECT_GT(x, 2007.0);  // the binary error the rule must not be fooled by
    EXPECT_EQ(RoundUpToThousandth(x), 2.007);
    // 10.0611 a share still rounds up.
    volatile double cost = 10061.1, shares = 1000.0;
    EXPECT_EQ(RoundUpToThousandth(cost / shares * 1000.0), 10.062);
}

TEST(RoundUpToThousandthEdges, OutOfRangeThrows)
{
    EXPECT_THROW(RoundUpToThousandth(2147483647.5), OutOfRange);
    EXPECT_THROW(RoundUpToThousandth(std::numeric_limits<double>::quiet_NaN()), OutOfRange);
    // The largest n: adding one thousandth must not overflow.
    EXPECT_EQ(RoundUpToThousandth(2147483647.2), 2147483.648);
}

} // namespace
} // namespace qcal
