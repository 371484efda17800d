// The target-price window's logic: the worked examples under both rules, the ladder, the refusals,
// and the solver against a walk over every tick.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "core/numtext.h"
#include "core/target.h"

namespace qcal {
namespace {

using namespace target;

const std::string SH{kShanghai};
const std::string FD{kFunds};

FeeSettings Own(std::string market = SH) { return {"3", "3", std::move(market)}; }
FeeSettings Current(std::string market = SH) { return {"3", "3", std::move(market), FeeRules::Current}; }

TargetFields Bought(const char* price = "10", const char* quantity = "1000")
{
    TargetFields f;
    f.text[BuyPrice] = price;
    f.text[Quantity] = quantity;
    return f;
}

struct Example {
    const char* name;
    bool current;
    const char* yield;
    const char* paid;
    const char* price;
    const char* received;
    const char* profit;
    const char* yieldAtPrice;
};

void PrintTo(const Example& e, std::ostream* os) { *os << e.name; }

class TargetExample : public ::testing::TestWithParam<Example> {};

TEST_P(TargetExample, PriceAndSaleThere)
{
    const Example& e = GetParam();
    TargetFields f = Bought();
    f.text[Yield] = e.yield;
    const TargetResult r = ComputeTargetPrice(f, TargetBy::Yield, e.current ? Current() : Own());
    ASSERT_TRUE(r.outcome.ok()) << r.outcome.message;
    EXPECT_EQ(f.text[Paid], e.paid);
    EXPECT_EQ(f.text[Price], e.price);
    EXPECT_EQ(f.text[Received], e.received);
    EXPECT_EQ(f.text[ProfitAtPrice], e.profit);
    EXPECT_EQ(f.text[YieldAtPrice], e.yieldAtPrice);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, TargetExample,
    ::testing::Values(Example{"OwnFivePercent", false, "5", "10,061.00", "10.63", "10,565.22", "504.22", "5.01"},
                      Example{"OwnBreakEven", false, "0", "10,061.00", "10.13", "10,068.22", "7.22", "0.07"},
                      Example{"OwnStopLoss", false, "-5", "10,061.00", "9.62", "9,561.28", "-499.72", "-4.97"},
                      Example{"CurrentFivePercent", true, "5", "10,030.10", "10.57", "10,532.89", "502.79", "5.01"},
                      Example{"CurrentTenPercent", true, "10", "10,030.10", "11.08", "11,041.11", "1,011.01", "10.08"},
                      Example{"CurrentStopLoss", true, "-5", "10,030.10", "9.57", "9,536.40", "-493.70", "-4.92"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TargetPrice, TheOtherTargetShowsWhatItImplies)
{
    TargetFields byYield = Bought();
    byYield.text[Yield] = "5";
    ASSERT_TRUE(ComputeTargetPrice(byYield, TargetBy::Yield, Own()).outcome.ok());
    EXPECT_EQ(byYield.text[Yield], "5.00");
    EXPECT_EQ(byYield.text[Profit], "503.05");  // 5 % of 10,061.00
    EXPECT_EQ(byYield.text[BreakEven], "10.13");

    TargetFields byProfit = Bought();
    byProfit.text[Profit] = "504.22";
    ASSERT_TRUE(ComputeTargetPrice(byProfit, TargetBy::Profit, Own()).outcome.ok());
    EXPECT_EQ(byProfit.text[Yield], "5.01");
    EXPECT_EQ(byProfit.text[Price], "10.63");
    EXPECT_EQ(byProfit.text[ProfitAtPrice], "504.22");  // reached exactly at 10.63
}

TEST(TargetPrice, TheMoneyPaidComesFromTheMainWindowWhenGiven)
{
    TargetFields f = Bought();
    f.text[Paid] = "10,000.00";  // as the main window shows after a dividend, say
    AdoptTargetPaid(f, Own());
    f.text[Yield] = "0";
    ASSERT_TRUE(ComputeTargetPrice(f, TargetBy::Yield, Own()).outcome.ok());
    EXPECT_EQ(f.text[Paid], "10,000.00");
    EXPECT_EQ(f.text[BreakEven], f.text[Price]);
}

// A purchase typed without Enter, or other rules, no longer belong to the money the main window gave.
TEST(TargetPrice, TheMoneyPaidIsFoundAgainForAnotherPurchaseOrOtherRules)
{
    const struct {
        const char* name;
        const char* quantity;
        bool current;
        const char* paid;
    } cases[] = {
        {"unchanged", "1000", false, "10,000.00"},
        {"the same quantity written otherwise", "1,000", false, "10,000.00"},
        {"another quantity", "2000", false, "20,122.00"},
        {"other rules", "1000", true, "10,030.10"},
    };
    for (const auto& c : cases) {
        TargetFields f = Bought();
        f.text[Paid] = "10,000.00";
        AdoptTargetPaid(f, Own());
        f.text[Quantity] = c.quantity;
        f.text[Yield] = "5";
        ASSERT_TRUE(ComputeTargetPrice(f, TargetBy::Yield, c.current ? Current() : Own()).outcome.ok()) << c.name;
        EXPECT_EQ(f.text[Paid], c.paid) << c.name;
    }
}

// A profit is a target only within the yields the yield field takes (below 1,000,000 %), and at a
// price the price fields take.
TEST(TargetPrice, AbsurdTargetsAreRefused)
{
    const struct {
        const char* price;
        const char* quantity;
        TargetBy by;
        const char* target;
        Reason reason;
    } cases[] = {
        {"0.01", "100", TargetBy::Profit, "1,000,000", Reason::TargetProfitTooLarge},  // 7.00 paid
        {"100000", "100", TargetBy::Yield, "150", Reason::TargetPriceTooHigh},       // about 250,000 a share
        {"10", "1000", TargetBy::Profit, "100,610,000", Reason::TargetProfitTooLarge},  // 10,000 × 10,061.00
    };
    for (const auto& c : cases) {
        TargetFields f = Bought(c.price, c.quantity);
        f.text[c.by == TargetBy::Yield ? Yield : Profit] = c.target;
        const TargetFields before = f;
        const TargetResult r = ComputeTargetPrice(f, c.by, Own());
        EXPECT_EQ(r.outcome.reason, c.reason) << c.target;
        EXPECT_EQ(f, before) << c.target;
    }
    TargetFields within = Bought();
    within.text[Profit] = "100,609,999.99";
    EXPECT_NE(ComputeTargetPrice(within, TargetBy::Profit, Own()).outcome.reason, Reason::TargetProfitTooLarge);
}

TEST(TargetPrice, RefusalsNameTheirFieldAndChangeNothing)
{
    const struct {
        const char* price;
        const char* quantity;
        TargetBy by;
        const char* target;
        Reason reason;
        int field;
    } cases[] = {
        {"abc", "1000", TargetBy::Yield, "5", Reason::BuyPriceNotNumeric, BuyPrice},
        {"10", "0", TargetBy::Yield, "5", Reason::BuyQuantityRange, Quantity},
        {"10", "1000", TargetBy::Yield, "-100", Reason::TargetYield, Yield},
        {"10", "1000", TargetBy::Yield, "-99.999", Reason::TargetYield, Yield},  // shown as -100.00
        {"10", "1000", TargetBy::Yield, "x", Reason::TargetYield, Yield},
        {"10", "1000", TargetBy::Profit, "-10061", Reason::TargetProfit, Profit},  // all of the money paid
        {"10", "1000", TargetBy::Profit, "", Reason::TargetProfit, Profit},
        {"10", "1000", TargetBy::Yield, "1000000", Reason::TargetYield, Yield},
        // 20 % more than 800 million yuan paid is beyond what Money holds.
        {"200000", "4,000,000,000", TargetBy::Yield, "20", Reason::FieldOutOfRange, Yield},
    };
    for (const auto& c : cases) {
        TargetFields f = Bought(c.price, c.quantity);
        f.text[c.by == TargetBy::Yield ? Yield : Profit] = c.target;
        const TargetFields before = f;
        const TargetResult r = ComputeTargetPrice(f, c.by, c.reason == Reason::FieldOutOfRange ? Current() : Own());
        EXPECT_EQ(r.outcome.reason, c.reason) << c.price << " " << c.quantity << " " << c.target;
        EXPECT_EQ(r.outcome.field, c.field) << c.target;
        EXPECT_EQ(f, before) << c.target;
        EXPECT_TRUE(r.ladder.empty());
    }
}

TEST(TargetLadder, RoundStepsAboutTenPercentEitherSide)
{
    const auto tenYuan = LadderPrices(Money::FromWhole(10), Market::Shanghai);
    ASSERT_EQ(tenYuan.size(), 21u);
    EXPECT_EQ(tenYuan.front(), Money::FromWhole(9));
    EXPECT_EQ(tenYuan.back(), Money::FromWhole(11));
    EXPECT_EQ(tenYuan[1] - tenYuan[0], Money::FromDouble(0.1));

    for (double price : {0.01, 0.05, 0.37, 1.234, 3.5, 10.0, 27.8, 99.99, 1234.5, 150000.0}) {
        for (Market market : {Market::Shanghai, Market::Funds}) {
            const auto prices = LadderPrices(Money::FromDouble(price), market);
            EXPECT_GE(prices.size(), 15u) << price;
            EXPECT_LE(prices.size(), 25u) << price;
            const Money tick = PriceTick(market);
            const Money step = prices[1] - prices[0];
            EXPECT_GT(prices.front(), Money()) << price;
            EXPECT_EQ(step.Raw() % tick.Raw(), 0) << price;
            // A round step: 1, 2 or 5 times a power of ten ticks.
            std::int64_t n = step.Raw() / tick.Raw();
            while (n % 10 == 0)
                n /= 10;
            EXPECT_TRUE(n == 1 || n == 2 || n == 5) << price << " step " << step.ToDouble();
            // Around the price: it lies within the ladder unless the ladder had to start above zero.
            if (price > 1) {
                EXPECT_TRUE(prices.front().ToDouble() < price && prices.back().ToDouble() > price) << price;
            }
        }
    }
}

TEST(TargetLadder, MarksTheBreakEvenAndTheTargetRowsAndDrawsTheCurve)
{
    TargetFields f = Bought();
    f.text[Yield] = "5";
    const TargetResult r = ComputeTargetPrice(f, TargetBy::Yield, Own());
    ASSERT_TRUE(r.outcome.ok());
    ASSERT_EQ(r.ladder.size(), 23u);  // 21 round prices, and 10.13 and 10.63 between them
    EXPECT_TRUE(std::is_sorted(r.ladder.begin(), r.ladder.end(),
                               [](const LadderRow& a, const LadderRow& b) { return a.sale.price < b.sale.price; }));
    const auto marked = [&](bool LadderRow::*flag) {
        return std::count_if(r.ladder.begin(), r.ladder.end(), [&](const LadderRow& row) { return row.*flag; });
    };
    EXPECT_EQ(marked(&LadderRow::breakEven), 1);
    EXPECT_EQ(marked(&LadderRow::target), 1);
    for (const LadderRow& row : r.ladder) {
        if (row.target) {
            EXPECT_EQ(row.text[0], "10.63");
            EXPECT_EQ(row.text[3], "504.22");
        }
        if (row.breakEven) {
            EXPECT_EQ(row.text[0], "10.13");
        }
        if (row.text[0] == "9.00") {
            EXPECT_EQ(row.text[1], "8,945.00");  // 9,000.00 less 27.00, 27.00 and 1.00
            EXPECT_EQ(row.text[3], "-1,116.00");
            EXPECT_EQ(row.text[4], "-11.09");
        }
    }
    ASSERT_GE(r.curve.size(), 100u);
    EXPECT_TRUE(std::is_sorted(r.curve.begin(), r.curve.end(),
                               [](const CurvePoint& a, const CurvePoint& b) { return a.price < b.price; }));
    EXPECT_LT(r.curve.front().profit, 0);
    EXPECT_GT(r.curve.back().profit, 0);
}

// The lowest tick whose sale reaches the target, walked from the first tick.
std::optional<Money> Walked(Money target, Money shares, const Rates& rates, int cap)
{
    const Money tick = FeeSchedule(rates).Tick();
    for (int k = 1; k <= cap; ++k) {
        const auto sale = SaleAt(tick.TimesWhole(k), shares, Money(), rates);
        if (sale && sale->received >= target)
            return tick.TimesWhole(k);
    }
    return std::nullopt;
}

TEST(TargetPrice, MatchesTheWalkOverTicksUnderBothRules)
{
    std::mt19937 random(7);
    const auto uniform = [&random](double a, double b) { return std::uniform_real_distribution<double>(a, b)(random); };
    const auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    int compared = 0;
    for (int i = 0; i < 6000; ++i) {
        char commission[16], stamp[16];
        std::snprintf(commission, sizeof commission, "%.2f", uniform(0, 3));
        std::snprintf(stamp, sizeof stamp, "%d", pick(7));
        FeeSettings settings{commission, stamp, std::string(BuiltInInstruments()[static_cast<std::size_t>(pick(7))].name)};
        if (pick(2)) {
            settings.rules = FeeRules::Current;
            settings.waiveMinimum = pick(2) == 0;
        }
        const Rates rates = *ReadRates(settings);
        const Money shares = Money::FromWhole(pick(3) == 0 ? 1 + pick(20) : 100 * (1 + pick(50)));
        const double price = FeeSchedule(rates).Tick().ToDouble() * (1 + pick(3000));
        const Money target = Money::FromDouble(std::round(price * shares.ToDouble() * uniform(0.9, 1.0) * 100) / 100);
        const auto walked = Walked(target, shares, rates, 4000);
        if (!walked)
            continue;
        const auto found = LowestSalePriceReaching(target, shares, rates);
        ASSERT_TRUE(found) << commission << " " << settings.market << " " << shares.ToDouble();
        ASSERT_EQ(found->Raw(), walked->Raw()) << "commission " << commission << " stamp " << stamp << " "
                                               << settings.market << " shares " << shares.ToDouble() << " target "
                                               << target.ToDouble();
        ++compared;
    }
    EXPECT_GT(compared, 5000);
}

} // namespace
} // namespace qcal

namespace qcal {
namespace {

// Whatever the purchase and the target, the ladder has the break-even's and the target's rows, and
// the chart's curve spans them; the ladder stays a screenful.
TEST(TargetLadder, AlwaysHoldsTheBreakEvenAndTheTarget)
{
    std::mt19937 random(29);
    const auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    const char* yields[] = {"-90", "-20", "0", "3", "50", "400", "5000"};
    for (int i = 0; i < 300; ++i) {
        const std::string markets[] = {SH, FD};
        FeeSettings settings = pick(2) ? Current(markets[pick(2)]) : Own(markets[pick(2)]);
        TargetFields f = Bought(std::to_string(1 + pick(200)).c_str(), std::to_string(100 * (1 + pick(50))).c_str());
        f.text[Yield] = yields[pick(7)];
        const TargetResult r = ComputeTargetPrice(f, TargetBy::Yield, settings);
        if (!r.outcome.ok())
            continue;
        const auto has = [&](bool LadderRow::*flag) {
            return std::any_of(r.ladder.begin(), r.ladder.end(), [&](const LadderRow& row) { return row.*flag; });
        };
        ASSERT_TRUE(has(&LadderRow::target)) << f.text[BuyPrice] << " " << f.text[Yield];
        ASSERT_TRUE(has(&LadderRow::breakEven)) << f.text[BuyPrice] << " " << f.text[Yield];
        ASSERT_LE(r.ladder.size(), 27u) << f.text[BuyPrice] << " " << f.text[Yield];
        const double target = NumberOrZero(f.text[Price]);
        ASSERT_LE(r.curve.front().price, target);
        ASSERT_GE(r.curve.back().price, target);
        // Every price on the tick's decimals, no more and no fewer.
        const std::size_t decimals = settings.market == FD ? 3 : 2;
        for (const LadderRow& row : r.ladder)
            ASSERT_EQ(row.text[0].size() - row.text[0].find('.') - 1, decimals) << row.text[0];
    }
}

// Bonus shares lower the cost a share: the ladder is centred on the cost that counts them.
TEST(TargetLadder, CentresOnTheCostOfTheHoldingWithItsBonusShares)
{
    TargetFields f;
    TakePurchase(f, {Money::FromWhole(10), Money::FromWhole(1300), *ParseMoney("9,830.10"), Money(), false},
                 Current());
    f.text[Yield] = "0";
    const TargetResult r = ComputeTargetPrice(f, TargetBy::Yield, Current());
    ASSERT_TRUE(r.outcome.ok());
    EXPECT_EQ(f.text[BreakEven], "7.59");
    EXPECT_LT(r.ladder.front().sale.price, Money::FromDouble(7.0));
    EXPECT_GT(r.ladder.back().sale.price, Money::FromDouble(8.0));
    EXPECT_LT(r.ladder.back().sale.price, Money::FromDouble(9.0));
}

} // namespace
} // namespace qcal
