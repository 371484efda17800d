// The bisecting break-even search against the step-by-step walk, on worked examples, the worst
// cases of a large losing position, rates near the limit, and a million random inputs.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "core/fees.h"
#include "literal_search.h"

namespace qcal {
namespace {

using reference::LiteralBreakEven;

const std::string SH{kShanghai};
const std::string SZ{kShenzhen};
const std::string FD{kFunds};

std::string Describe(Money price, Money quantity, const FeeSettings& f)
{
    char buf[200];
    std::snprintf(buf, sizeof buf, "price %.4f quantity %.4f commission \"%s\" stamp duty \"%s\" market %s",
                  price.ToDouble(), quantity.ToDouble(), f.commission.c_str(), f.stampDuty.c_str(),
                  f.market.c_str());
    return buf;
}

std::string Show(const std::optional<Money>& m)
{
    return m ? std::to_string(m->Raw()) : std::string("out of range");
}

struct Comparison {
    bool compared = false;  // false when the walk hit its cap
    bool same = false;
    reference::LiteralResult literal;
};

Comparison Compare(Money price, Money quantity, const FeeSettings& f, std::int64_t cap)
{
    Comparison c;
    c.literal = LiteralBreakEven(price, quantity, f, cap);
    if (c.literal.capped)
        return c;
    c.compared = true;
    const auto fast = BreakEvenPrice(price, quantity, f);
    const auto& lit = c.literal.price;
    c.same = fast.has_value() == lit.has_value() && (!fast || fast->Raw() == lit->Raw());
    EXPECT_TRUE(c.same) << Describe(price, quantity, f) << ": fast " << Show(fast) << ", literal " << Show(lit);
    return c;
}

struct Case {
    double price, quantity;
    const char* commission;
    const char* stampDuty;
    std::string market;
};

TEST(BreakEvenDiffTest, NamedCases)
{
    const Case cases[] = {
        // The worked examples.
        {10, 1000, "3", "3", SH}, {10, 1000, "3", "3", SZ}, {10, 100, "3", "3", SH},
        {10, 100, "3", "3", SZ}, {1.5, 1000, "3", "3", FD}, {1.5, 10000, "3", "3", FD},
        {10, 1000, "0", "3", SH}, {10, 1000, "0", "0", FD}, {10, 1000, "3", "3", "其他"},
        // Funds with one share: a hundred thousand steps of 0.0001.
        {1.5, 1, "3", "3", FD}, {10, 1, "2.7", "3", SH}, {10, 1, "2.7", "3", SZ},
        // Buy 1,000,000 at 300, sell 999,900 at 240: 100 shares remain at the market's own cost.
        {616439.28, 100, "3", "3", FD}, {632658.559, 100, "3", "3", SH}, {632658.559, 100, "3", "3", SZ},
        // Sell 999,999: one share left, its unit cost × 1000 beyond 32 bits.
        {61620239.28, 1, "3", "3", FD}, {63265855.9, 1, "3", "3", SH},
        // Rates far above the usual ones, still accepted.
        {1, 1000, "500", "0", SH}, {1, 1000, "900", "6", SZ}, {0.5, 100, "990", "3", FD},
        {1, 1000, "999", "0", SZ}, {0.01, 7, "999.5", "0.4", SH}, {2.5, 333, "0", "6", SH},
        // Minimum check on the edge: a sell commission of exactly 5 keeps phase 1.
        {16.61, 100, "3", "0", SZ}, {1666.6, 1, "3", "0", SH},
        // Fractional holdings (after bonus shares), tiny prices.
        {9.0909, 1100.5, "2.5", "1", SH}, {0.001, 100, "3", "3", SH}, {0.0001, 10000000, "3", "3", FD},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(Compare(Money::FromDouble(c.price), Money::FromDouble(c.quantity),
                            {c.commission, c.stampDuty, c.market}, 100'000'000)
                        .compared)
            << "walk capped: " << c.price << " x " << c.quantity;
    }
}

// One share at 0.01 with a commission within a thousandth of a per mille of the limit: the net
// grows by a ten-thousandth only every few thousand steps, and the doubles of the fee term wobble
// around it. The walks take hundreds of millions of steps; a sanitizer build, several times slower,
// checks against their answers as found by the optimised build.
TEST(BreakEvenDiffTest, RatesAtTheLimit)
{
    const struct {
        const char* commission;
        const char* stampDuty;
        std::string market;
        double walked;
    } cases[] = {
        {"999.9995", "0", SZ, 39900.000},
        {"999.9999", "0", SZ, 199500.001},
        {"993.9999", "6", SH, 219500.000},
    };
    for (const auto& c : cases) {
        const FeeSettings f{c.commission, c.stampDuty, c.market};
        const Money price = Money::FromDouble(0.01);
        const Money one = Money::FromWhole(1);
        const auto fast = BreakEvenPrice(price, one, f);
        ASSERT_TRUE(fast.has_value()) << Describe(price, one, f);
        EXPECT_EQ(fast->Raw(), Money::FromDouble(c.walked).Raw()) << Describe(price, one, f);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_UNDEFINED__)
        EXPECT_TRUE(Compare(price, one, f, 400'000'000).compared);
#endif
    }
}

// Inputs drawn over the whole range, with a bias toward ordinary positions where the walk is short.
class InputDrawer {
public:
    explicit InputDrawer(std::uint64_t seed) : rng_(seed) {}

    Money Price()
    {
        // Mostly 0.01 to 100; a quarter up to 200,000. Two decimals, sometimes three or four
        // (an averaged or remaining-shares price).
        const double v = Uniform(0, 1) < 0.75 ? LogUniform(0.01, 100) : LogUniform(100, 200'000);
        const int r = Pick(10);
        const double scale = r < 7 ? 100 : r < 9 ? 1000 : 10000;
        return Money::FromDouble(std::max(1.0, std::round(v * scale)) / scale);
    }

    Money Quantity()
    {
        const int r = Pick(20);
        if (r < 8)  // whole lots
            return Money::FromWhole(100 * static_cast<std::int64_t>(std::round(LogUniform(1, 100'000))));
        if (r < 17)  // any count, odd ones included
            return Money::FromWhole(static_cast<std::int64_t>(std::round(LogUniform(1, 10'000'000))));
        if (r < 19)  // a handful
            return Money::FromWhole(1 + Pick(99));
        // A holding grown by bonus shares: up to four decimals.
        return Money::FromRaw(static_cast<std::int64_t>(std::round(LogUniform(1, 100'000) * 10000)));
    }

    std::string Commission()
    {
        const int r = Pick(20);
        char buf[32];
        if (r < 10)  // the list: 3.0, 2.9, … 0.0
            std::snprintf(buf, sizeof buf, "%.1f", Pick(31) / 10.0);
        else if (r < 14)  // typed with two decimals, like 0.25
            std::snprintf(buf, sizeof buf, "%.2f", Pick(301) / 100.0);
        else if (r < 17)  // whole per mille up to 30
            std::snprintf(buf, sizeof buf, "%d", Pick(31));
        else  // anything up to 30 with four decimals
            std::snprintf(buf, sizeof buf, "%.4f", Uniform(0, 30));
        return buf;
    }

    std::string StampDuty()
    {
        char buf[32];
        if (Pick(10) < 7)
            std::snprintf(buf, sizeof buf, "%d", Pick(7));
        else
            std::snprintf(buf, sizeof buf, "%.2f", Uniform(0, 6));
        return buf;
    }

    std::string Market()
    {
        const int r = Pick(100);
        return r < 33 ? SH : r < 66 ? SZ : r < 99 ? FD : std::string("上海B股");
    }

    double Uniform(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng_); }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    double LogUniform(double a, double b) { return std::exp(Uniform(std::log(a), std::log(b))); }

private:
    std::mt19937_64 rng_;
};

// A rough count of the walk's steps: both sides' fees (and the minimums) over the net gained per step.
double EstimatedSteps(Money price, Money quantity, const FeeSettings& f)
{
    const auto rates = ReadRates(f);
    if (!rates)
        return 1;
    const double q = quantity.ToDouble();
    const double amount = price.ToDouble() * q;
    // Beyond the 32-bit buy fees the walk fails before its first step; such inputs are cheap, but
    // let them make up only a small share of the comparisons.
    const double buyRate = rates->market == Market::Funds ? rates->commission
                                                           : std::max(rates->commission, rates->stampDuty);
    if (buyRate * amount >= 2147483648.0)
        return 400;
    const double r = (rates->commission + rates->stampDuty) / 1000;
    const double step = rates->market == Market::Funds ? 0.0001 : 0.001;
    const double fees = 2 * r * amount + 0.002 * q + 12;
    return 2 * fees / (step * q * (1 - r)) + 2;
}

// How many random inputs to compare. A sanitizer build runs the walk several times slower, so it
// compares fewer; QCAL_DIFF_CASES overrides either.
std::int64_t CaseCount()
{
    if (const char* env = std::getenv("QCAL_DIFF_CASES"))
        return std::max<std::int64_t>(1, std::atoll(env));
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
    return 500'000;
#else
    return 1'000'000;
#endif
}

TEST(BreakEvenDiffTest, RandomInputs)
{
    const std::int64_t wanted = CaseCount();
    // Inputs whose walk would be long are kept only now and then, so that the expensive corners
    // (small quantities, funds, high prices) are covered while the whole run stays short.
    const double budget = 100;
    const std::int64_t cap = 2'000'000;

    InputDrawer draw(0x51CA1C);
    std::int64_t compared = 0, withPrice = 0, secondPhase = 0, mismatches = 0, drawn = 0;
    std::int64_t highPrice = 0, largeQuantity = 0, oneShare = 0, funds = 0;
    while (compared < wanted && mismatches < 20) {
        ++drawn;
        const Money price = draw.Price();
        const Money quantity = draw.Quantity();
        const FeeSettings f{draw.Commission(), draw.StampDuty(), draw.Market()};
        const double estimate = EstimatedSteps(price, quantity, f);
        if (estimate > budget && draw.Uniform(0, 1) > budget / estimate)
            continue;
        const Comparison c = Compare(price, quantity, f, cap);
        if (!c.compared)
            continue;
        ++compared;
        mismatches += c.same ? 0 : 1;
        withPrice += c.literal.price.has_value() ? 1 : 0;
        secondPhase += c.literal.minimumPhase ? 1 : 0;
        highPrice += price >= Money::FromWhole(10'000) ? 1 : 0;
        largeQuantity += quantity >= Money::FromWhole(1'000'000) ? 1 : 0;
        oneShare += quantity == Money::FromWhole(1) ? 1 : 0;
        funds += f.market == FD ? 1 : 0;
    }
    std::printf("[ compared %lld of %lld drawn; %lld with a price, %lld through the minimum phase;\n"
                "  %lld funds, %lld at 10,000 or more, %lld of a million shares or more, %lld of one share ]\n",
                static_cast<long long>(compared), static_cast<long long>(drawn),
                static_cast<long long>(withPrice), static_cast<long long>(secondPhase),
                static_cast<long long>(funds), static_cast<long long>(highPrice),
                static_cast<long long>(largeQuantity), static_cast<long long>(oneShare));
    EXPECT_EQ(mismatches, 0);
    EXPECT_GE(compared, wanted);
    // The draw must mostly produce real prices, and a fair share through the minimum phase.
    EXPECT_GT(withPrice, compared * 8 / 10);
    EXPECT_GT(secondPhase, compared / 20);
}

} // namespace
} // namespace qcal
