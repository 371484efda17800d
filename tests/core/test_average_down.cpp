// 补仓与做T: the worked examples, the edges of averaging down, a losing round trip, and the least
// number of lots against a count lot by lot.

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "core/average_down.h"
#include "core/numtext.h"
#include "core/rounding.h"

namespace qcal {
namespace {

using namespace position;

FeeSettings Current() { return {"3", "3", std::string(kShanghai), FeeRules::Current}; }
FeeSettings Own() { return {"3", "3", std::string(kShanghai)}; }

// The worked example's holding: 1,000 shares bought at 10, as the main window gives them.
PositionFields Holding()
{
    PositionFields f;
    TakeHolding(f, {Money::FromWhole(10), Money::FromWhole(1000), *ParseMoney("10,030.10"), *ParseMoney("10.031")},
                Current());
    EXPECT_EQ(f.text[Held], "1,000");
    EXPECT_EQ(f.text[Cost], "10.031");
    EXPECT_EQ(f.text[Invested], "10,030.10");
    return f;
}

TEST(AverageDown, WorkedExample)
{
    PositionFields f = Holding();
    f.text[Price] = "8";
    f.text[TargetCost] = "9";
    ASSERT_TRUE(ComputeAverageDown(f, Current()).ok());
    EXPECT_EQ(f.text[SharesToBuy], "1,100");
    EXPECT_EQ(f.text[Needed], "8,826.49");  // 8,800.00 + commission 26.40 + transfer 0.09
    EXPECT_EQ(f.text[NewCost], "8.980");
    EXPECT_EQ(f.text[NewBreakEven], "9.020");
    EXPECT_EQ(f.text[Price], "8.00");
    EXPECT_EQ(f.text[TargetCost], "9.000");

    // The other way round: 1,000 shares leave the cost above the target.
    f.text[SharesToBuy] = "1000";
    ASSERT_TRUE(ComputeAverageDownShares(f, Current()).ok());
    EXPECT_EQ(f.text[SharesToBuy], "1,000");
    EXPECT_EQ(f.text[NewCost], "9.028");
}

TEST(AverageDown, EdgesOfTheTarget)
{
    const struct {
        const char* name;
        const char* target;
        Reason reason;
        const char* shares;
    } cases[] = {
        {"at the price", "8", Reason::TargetCostUnreachable, ""},
        {"below the price", "7.5", Reason::TargetCostUnreachable, ""},
        {"below what the fees allow", "8.02", Reason::TargetCostUnreachable, ""},  // 8 × 1.00301 = 8.024
        {"at the present cost", "10.031", Reason::None, "0"},
        {"above it", "12", Reason::None, "0"},
        {"just reachable", "8.03", Reason::None, nullptr},
    };
    for (const auto& c : cases) {
        PositionFields f = Holding();
        f.text[Price] = "8";
        f.text[TargetCost] = c.target;
        const PositionFields before = f;
        const Outcome outcome = ComputeAverageDown(f, Current());
        EXPECT_EQ(outcome.reason, c.reason) << c.name;
        if (!outcome.ok()) {
            EXPECT_EQ(outcome.field, TargetCost) << c.name;
            EXPECT_EQ(f, before) << c.name;
            EXPECT_EQ(outcome.message.substr(outcome.message.size() - 7), "       ");
            continue;
        }
        if (c.shares) {
            EXPECT_EQ(f.text[SharesToBuy], c.shares) << c.name;
            EXPECT_EQ(f.text[Needed], "0.00") << c.name;
            EXPECT_EQ(f.text[NewCost], "10.031") << c.name;
            EXPECT_EQ(f.text[NewBreakEven], "10.070") << c.name;
        } else {
            EXPECT_LE(NumberOrZero(f.text[NewCost]), 8.03) << c.name;
            EXPECT_GT(NumberOrZero(f.text[SharesToBuy]), 100000) << c.name;
        }
    }
}

TEST(AverageDown, WithoutTheMainWindowTheMoneyInvestedIsSharesTimesCost)
{
    PositionFields f;
    f.text[Held] = "2000";
    f.text[Cost] = "15.5";
    ASSERT_TRUE(ComputeInvested(f).ok());
    EXPECT_EQ(f.text[Held], "2,000");
    EXPECT_EQ(f.text[Cost], "15.500");
    EXPECT_EQ(f.text[Invested], "31,000.00");
    f.text[Price] = "0";
    EXPECT_EQ(ComputeAverageDown(f, Own()).reason, Reason::FieldNotPositive);
}

TEST(AverageDown, AHoldingRetypedSinceTheMainWindowGaveItIsSharesTimesCost)
{
    PositionFields f = Holding();
    f.text[Price] = "8";
    f.text[SharesToBuy] = "1000";
    ASSERT_TRUE(ComputeAverageDownShares(f, Current()).ok());
    EXPECT_EQ(f.text[Invested], "10,030.10");
    f.text[Held] = "2000";  // typed without Enter
    ASSERT_TRUE(ComputeAverageDownShares(f, Current()).ok());
    EXPECT_EQ(f.text[Invested], "20,062.00");
}

TEST(AverageDown, SoManyLotsThatTheyAreBeyondRangeAreUnreachable)
{
    PositionFields f;
    f.text[Held] = "1,000,000,000";
    f.text[Cost] = "10000";
    f.text[Price] = "0.01";
    f.text[TargetCost] = "0.011";
    EXPECT_EQ(ComputeAverageDown(f, Current()).reason, Reason::TargetCostUnreachable);
}

TEST(RoundTrip, NoMoreSharesThanAreHeld)
{
    PositionFields f = Holding();
    f.text[TripShares] = "1,100";
    f.text[SellPrice] = "10.5";
    f.text[BuyBackPrice] = "10.2";
    const PositionFields before = f;
    const Outcome outcome = ComputeRoundTrip(f, Current());
    EXPECT_EQ(outcome.reason, Reason::TripSharesAboveHeld);
    EXPECT_EQ(outcome.field, TripShares);
    EXPECT_EQ(f, before);
    f.text[TripShares] = "1,000";
    EXPECT_TRUE(ComputeRoundTrip(f, Current()).ok()) << "all of them may go";
}

TEST(RoundTrip, WorkedExample)
{
    PositionFields f = Holding();
    f.text[TripShares] = "500";
    f.text[SellPrice] = "10.5";
    f.text[BuyBackPrice] = "10.2";
    ASSERT_TRUE(ComputeRoundTrip(f, Current()).ok());
    EXPECT_EQ(f.text[SaleFees], "18.43");     // 15.75 + 2.63 + 0.05
    EXPECT_EQ(f.text[BuyBackFees], "15.35");  // 15.30 + 0.05
    EXPECT_EQ(f.text[TripProfit], "116.22");
    EXPECT_EQ(f.text[TripCost], "9.914");
    EXPECT_EQ(f.text[TripBreakEven], "9.950");
    EXPECT_EQ(f.text[TripSellPrice], "10.27");
}

TEST(RoundTrip, ALosingRoundTripRaisesTheCost)
{
    PositionFields f = Holding();
    f.text[TripShares] = "500";
    f.text[SellPrice] = "10.00";
    f.text[BuyBackPrice] = "10.20";
    ASSERT_TRUE(ComputeRoundTrip(f, Current()).ok());
    EXPECT_EQ(f.text[TripProfit], "-132.90");  // 4,982.45 received, 5,115.35 paid
    EXPECT_EQ(f.text[TripCost], "10.163");
    EXPECT_GT(NumberOrZero(f.text[TripBreakEven]), 10.07);
    EXPECT_EQ(f.text[TripSellPrice], "10.27");

    // A tiny round trip is eaten by the minimum commissions.
    f.text[TripShares] = "100";
    f.text[SellPrice] = "10.05";
    f.text[BuyBackPrice] = "10.00";
    ASSERT_TRUE(ComputeRoundTrip(f, Current()).ok());
    EXPECT_EQ(f.text[TripProfit], "-5.52");  // 5.00 gained, 5.00 + 0.50 + 0.01 and 5.00 + 0.01 of fees
}

// The least lots, found by the search, against a count lot by lot from one.
TEST(AverageDown, TheSearchFindsTheLeastLots)
{
    std::mt19937 random(15);
    const auto uniform = [&random](double a, double b) { return std::uniform_real_distribution<double>(a, b)(random); };
    int compared = 0;
    for (int i = 0; i < 400; ++i) {
        const bool current = i % 2 == 0;
        FeeSettings settings = current ? Current() : Own();
        settings.commission = std::to_string(uniform(0, 3)).substr(0, 4);
        settings.waiveMinimum = current && i % 4 == 0;
        PositionFields f;
        char text[32];
        std::snprintf(text, sizeof text, "%d", 100 * (1 + static_cast<int>(uniform(0, 30))));
        f.text[Held] = text;
        std::snprintf(text, sizeof text, "%.3f", uniform(5, 30));
        f.text[Cost] = text;
        const double cost = NumberOrZero(text);
        std::snprintf(text, sizeof text, "%.2f", cost * uniform(0.5, 0.95));
        f.text[Price] = text;
        const double price = NumberOrZero(text);
        std::snprintf(text, sizeof text, "%.3f", price + (cost - price) * uniform(0.3, 0.99));
        f.text[TargetCost] = text;
        const Outcome outcome = ComputeAverageDown(f, settings);
        if (!outcome.ok())
            continue;
        const double found = NumberOrZero(f.text[SharesToBuy]);
        // Counted: the first lot count whose cost, as shown, is at the target or below.
        PositionFields probe = f;
        double counted = 0;
        for (int lots = 1; lots <= 4000 && counted == 0; ++lots) {
            probe.text[SharesToBuy] = std::to_string(lots * 100);
            ASSERT_TRUE(ComputeAverageDownShares(probe, settings).ok());
            if (NumberOrZero(probe.text[NewCost]) <= NumberOrZero(f.text[TargetCost]))
                counted = lots * 100;
        }
        if (counted == 0)
            continue;
        ASSERT_EQ(found, counted) << f.text[Held] << " at " << f.text[Cost] << ", buying at " << f.text[Price]
                                  << " to " << f.text[TargetCost];
        ++compared;
    }
    EXPECT_GT(compared, 150);
}

} // namespace
} // namespace qcal
