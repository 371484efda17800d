// The current rules (现行规则): their fees, exact in decimals, the reading of the commission, the
// worked examples through every computation, and the break-even on the tick against a plain walk.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "case_names.h"
#include "core/batch.h"
#include "core/convert.h"
#include "core/fees.h"
#include "core/mini.h"
#include "core/trade.h"
#include "main_state_fixture.h"

namespace qcal {
namespace {

const std::string SH{kShanghai};
const std::string SZ{kShenzhen};
const std::string FD{kFunds};

Money M(double v) { return Money::FromDouble(v); }

FeeSettings Current(const char* commission = "3", std::string market = SH, bool waive = false)
{
    return FeeSettings{commission, "3", std::move(market), FeeRules::Current, waive};
}

Rates RatesOf(const FeeSettings& settings)
{
    const RateReading reading = ReadFeeSettings(settings);
    EXPECT_TRUE(reading.rates.has_value()) << settings.commission;
    return reading.rates.value_or(Rates{});
}

// Reading the commission ---------------------------------------------------------------------------

TEST(ExactDecimal, ReadsEveryShapeOfTheGrammarExactly)
{
    const struct {
        const char* text;
        std::int64_t units;
        int scale;
    } cases[] = {{"2.5", 25, 1},   {"2.50", 25, 1},   {" 3 ", 3, 0},      {"0", 0, 0},         {"1,000", 1000, 0},
                 {".25", 25, 2},   {"2.5e-1", 25, 2}, {"1e3", 1000, 0},   {"0.0001", 1, 4},    {"-1.5", -15, 1},
                 {"2.700", 27, 1}, {"10", 10, 0},     {"0.000000000000000001", 1, 18}};
    for (const auto& c : cases) {
        const auto d = ParseExactDecimal(c.text);
        ASSERT_TRUE(d) << c.text;
        EXPECT_EQ(*d, (ExactDecimal{c.units, c.scale})) << c.text;
    }
    for (const char* bad : {"", "abc", "1e", "2.5.1", "0.0000000000000000001", "1234567890123456789"})
        EXPECT_FALSE(ParseExactDecimal(bad)) << bad;
}

TEST(CurrentRules, ReadOnlyTheCommissionUpToTheLegalMaximum)
{
    EXPECT_EQ(ReadFeeSettings(Current("3")).problem, Reason::None);
    EXPECT_EQ(ReadFeeSettings(Current("3.000")).problem, Reason::None);
    EXPECT_EQ(ReadFeeSettings(Current("0")).problem, Reason::None);
    EXPECT_EQ(ReadFeeSettings(Current("3.0001")).problem, Reason::CommissionAboveCap);
    EXPECT_EQ(ReadFeeSettings(Current("30")).problem, Reason::CommissionAboveCap);
    EXPECT_EQ(ReadFeeSettings(Current("abc")).problem, Reason::CommissionRate);
    EXPECT_EQ(ReadFeeSettings(Current("-1")).problem, Reason::CommissionRate);
    EXPECT_EQ(ReadFeeSettings(Current("2.5000000000000000001")).problem, Reason::CommissionRate);
    // The stamp duty list is not used: whatever it holds is no reason to refuse.
    FeeSettings settings = Current();
    settings.stampDuty = "x";
    EXPECT_EQ(ReadFeeSettings(settings).problem, Reason::None);
    EXPECT_EQ(MessageFor(Reason::CommissionAboveCap).substr(MessageFor(Reason::CommissionAboveCap).size() - 7),
              "       ");
}

// Fees --------------------------------------------------------------------------------------------

struct FeeCase {
    const char* name;
    double amount;
    Side side;
    const char* commission;
    std::string market;
    bool waive;
    double expectedCommission, expectedStamp, expectedTransfer;
};

void PrintTo(const FeeCase& c, std::ostream* os) { *os << c.name; }

class CurrentFeeTest : public ::testing::TestWithParam<FeeCase> {};

TEST_P(CurrentFeeTest, EachFeeRoundedToTheCentHalvesUp)
{
    const FeeCase& c = GetParam();
    const auto fees = TradeFees(M(c.amount), M(1000), c.side, RatesOf(Current(c.commission, c.market, c.waive)));
    ASSERT_TRUE(fees);
    EXPECT_EQ(fees->commission, M(c.expectedCommission));
    EXPECT_EQ(fees->stampDuty, M(c.expectedStamp));
    EXPECT_EQ(fees->transferFee, M(c.expectedTransfer));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, CurrentFeeTest,
    ::testing::Values(
        FeeCase{"StampOnSellsHalfUp", 10070, Side::Sell, "3", SH, false, 30.21, 5.04, 0.10},  // 5.035 → 5.04
        FeeCase{"NoStampOnBuys", 10070, Side::Buy, "3", SH, false, 30.21, 0, 0.10},
        FeeCase{"TransferDown", 10060, Side::Buy, "3", SZ, false, 30.18, 0, 0.10},            // 0.1006 → 0.10
        FeeCase{"TransferUp", 18600, Side::Buy, "3", SH, false, 55.80, 0, 0.19},              // 0.186 → 0.19
        FeeCase{"TransferHalf", 5500, Side::Sell, "3", SH, false, 16.50, 2.75, 0.06},         // 0.055 → 0.06
        FeeCase{"MinimumAfterRounding", 1000, Side::Buy, "3", SH, false, 5, 0, 0.01},
        FeeCase{"MinimumWaived", 1000, Side::Buy, "2.5", SZ, true, 2.50, 0, 0.01},
        FeeCase{"CommissionHalfUp", 1006, Side::Sell, "2.5", SZ, true, 2.52, 0.50, 0.01},     // 2.515 → 2.52
        FeeCase{"FundsCommissionOnly", 15000, Side::Sell, "3", FD, false, 45, 0, 0},
        FeeCase{"ExactRateNotADouble", 100000, Side::Buy, "0.15", SH, true, 15, 0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// Worked examples through the main window's calculations -------------------------------------------

MainWindowState Window(const char* commission = "3", std::string market = SH, bool waive = false)
{
    MainWindowState w = test::ClearedWindow(market.c_str(), commission, "3");
    w.fees.rules = FeeRules::Current;
    w.fees.waiveMinimum = waive;
    return w;
}

using test::Buy;
using test::Sell;

TEST(CurrentRulesMainWindow, BuyTenThousandInShanghai)
{
    MainWindowState w = Window();
    Buy(w, "10.00", "1000");
    EXPECT_EQ(w.text[BuyAmount], "10,000.00");
    EXPECT_EQ(w.text[BuyCommission], "30.00");
    EXPECT_EQ(w.text[BuyStampDuty], "0.00");
    EXPECT_EQ(w.text[BuyTransferFee], "0.10");
    EXPECT_EQ(w.text[BuyFees], "30.10");
    EXPECT_EQ(w.text[BuyCost], "10.031");
    EXPECT_EQ(w.text[Paid], "10,030.10");
    EXPECT_EQ(w.text[BreakEven], "10.070");
}

TEST(CurrentRulesMainWindow, SellAllOrHalf)
{
    MainWindowState all = Window();
    Buy(all, "10.00", "1000");
    Sell(all, "11.00", "1000");
    EXPECT_EQ(all.text[SellAmount], "11,000.00");
    EXPECT_EQ(all.text[SellCommission], "33.00");
    EXPECT_EQ(all.text[SellStampDuty], "5.50");
    EXPECT_EQ(all.text[SellTransferFee], "0.11");
    EXPECT_EQ(all.text[SellFees], "38.61");
    EXPECT_EQ(all.text[Received], "10,961.39");
    EXPECT_EQ(all.text[ProfitOrShares], "931.29");
    EXPECT_EQ(all.text[Yield], "9.28");
    EXPECT_EQ(all.text[BreakEven], "10.070");

    MainWindowState half = Window();
    Buy(half, "10.00", "1000");
    Sell(half, "11.00", "500");
    EXPECT_EQ(half.text[SellCommission], "16.50");
    EXPECT_EQ(half.text[SellStampDuty], "2.75");
    EXPECT_EQ(half.text[SellTransferFee], "0.06");
    EXPECT_EQ(half.text[Received], "5,480.69");
    EXPECT_EQ(half.text[ProfitOrShares], "500");
    EXPECT_EQ(half.text[BreakEven], "9.140");
}

struct BuyExample {
    const char* name;
    const char* commission;
    std::string market;
    bool waive;
    const char* price;
    const char* quantity;
    const char* fees;
    const char* paid;
    const char* breakEven;
};

void PrintTo(const BuyExample& c, std::ostream* os) { *os << c.name; }

class CurrentBuyExample : public ::testing::TestWithParam<BuyExample> {};

TEST_P(CurrentBuyExample, FeesPaidAndBreakEven)
{
    const BuyExample& c = GetParam();
    MainWindowState w = Window(c.commission, c.market, c.waive);
    Buy(w, c.price, c.quantity);
    EXPECT_EQ(w.text[BuyFees], c.fees);
    EXPECT_EQ(w.text[Paid], c.paid);
    EXPECT_EQ(w.text[BreakEven], c.breakEven);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, CurrentBuyExample,
    ::testing::Values(BuyExample{"ShanghaiOneLot", "3", SH, false, "10.00", "100", "5.01", "1,005.01", "10.110"},
                      BuyExample{"ShenzhenOneLot", "2.5", SZ, false, "10.00", "100", "5.01", "1,005.01", "10.110"},
                      BuyExample{"ShenzhenWaived", "2.5", SZ, true, "10.00", "100", "2.51", "1,002.51", "10.060"},
                      BuyExample{"Funds", "3", FD, false, "1.50", "10000", "45.00", "15,045.00", "1.510"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CurrentRulesMainWindow, BonusAndDividendCountInTheHoldingAndThePayment)
{
    MainWindowState w = Window();
    w.text[Bonus] = "3";
    w.text[Dividend] = "2.00";
    Buy(w, "10.00", "1000");
    EXPECT_EQ(w.text[BuyQuantity], "1,300");
    EXPECT_EQ(w.text[Paid], "9,830.10");
    EXPECT_EQ(w.text[BreakEven], "7.590");
}

TEST(CurrentRulesMainWindow, NothingLeftToRecoverBreaksEvenAtZero)
{
    MainWindowState w = Window();
    w.text[Dividend] = "20.00";  // 2,000 of dividends on 1,000 shares at 1: more than was paid
    Buy(w, "1.00", "1000");
    EXPECT_EQ(w.text[BreakEven], "0.000");
}

// The other windows ---------------------------------------------------------------------------------

// The worked example has a batch of 1,550 Shanghai shares, which the exchange would take only as a
// sale of odd shares: its figures are those of a kind bought in single shares.
TEST(CurrentRulesBatches, EachBatchIsATradeOfItsOwn)
{
    MainWindowState w = Window();
    w.fees.instruments = test::SingleShares();
    BatchFields b;
    b.text = {"", "10", "100", "11", "1,000", "12", "1,550"};
    StoreBatchInputs(b);
    ASSERT_TRUE(PostBuyBatches(b, w).posted);
    EXPECT_EQ(w.text[BuyCommission], "93.80");  // 5.00 + 33.00 + 55.80
    EXPECT_EQ(w.text[BuyStampDuty], "0.00");
    EXPECT_EQ(w.text[BuyTransferFee], "0.31");  // 0.01 + 0.11 + 0.19
    EXPECT_EQ(w.text[BuyFees], "94.11");
    EXPECT_EQ(w.text[BuyQuantity], "2,650");
    EXPECT_EQ(w.text[Paid], "30,694.11");
    EXPECT_EQ(w.text[BreakEven], "11.630");

    // Selling two batches: each its own stamp duty; the 500 left break even on what is left to recover.
    BatchFields s;
    s.text = {"", "12", "1,000", "12.5", "1,150", "", ""};
    StoreBatchInputs(s);
    ASSERT_TRUE(PostSellBatches(s, w).posted);
    EXPECT_EQ(w.text[SellCommission], "79.13");  // 36.00 + 43.125 → 43.13
    EXPECT_EQ(w.text[SellStampDuty], "13.19");   // 6.00 + 7.1875 → 7.19
    EXPECT_EQ(w.text[SellTransferFee], "0.26");  // 0.12 + 0.14375 → 0.14
    EXPECT_EQ(w.text[Received], "26,282.42");
    EXPECT_EQ(w.text[ProfitOrShares], "-4,411.69");
    EXPECT_EQ(w.text[BreakEven], "8.860");  // 4,411.69 still to recover on the 500 shares left
}

TEST(CurrentRulesConverter, WholeLotsWhoseAmountAndBuyFeesFit)
{
    const struct {
        const char* amount;
        const char* price;
        const char* shares;
        const char* payment;
        const char* left;
    } cases[] = {{"10000", "10", "900", "9,027.09", "972.91"}, {"100000", "9.45", "10,500", "99,523.67", "476.33"}};
    for (const auto& c : cases) {
        ConverterFields f{c.amount, c.price, "", "", ""};
        ASSERT_TRUE(ConfirmPrice(f).ok());
        ASSERT_TRUE(ConvertAmount(f, Current()).ok());
        EXPECT_EQ(f.shares, c.shares);
        EXPECT_EQ(f.payment, c.payment);
        EXPECT_EQ(f.left, c.left);
    }
}

TEST(CurrentRulesMini, BreakEvenOfOnePurchase)
{
    MiniFields f{"10.00", "1000", ""};
    ASSERT_TRUE(ComputeMini(f, Current()).ok());
    EXPECT_EQ(f.breakEven, "10.07");  // the mini window's own picture: two to four decimals
}

// The break-even search against a walk over every tick ----------------------------------------------

// The first tick from zero at which the sale's net reaches the target: the definition, walked.
std::optional<Money> WalkedBreakEven(Money toRecover, Money shares, const Rates& rates, std::int64_t cap,
                                     bool& capped)
{
    capped = false;
    if (toRecover <= Money())
        return Money();
    const Money tick = FeeSchedule(rates).Tick();
    for (std::int64_t k = 0; k <= cap; ++k) {
        try {
            const Money price = Money::FromRaw(k * tick.Raw());
            const Money amount = price * shares;
            const auto fees = TradeFees(amount, shares, Side::Sell, rates);
            if (!fees)
                return std::nullopt;
            if (amount - fees->commission - fees->stampDuty - fees->transferFee >= toRecover)
                return price;
        } catch (const OutOfRange&) {
            return std::nullopt;
        }
    }
    capped = true;
    return std::nullopt;
}

TEST(CurrentBreakEvenDiff, MatchesTheWalkOnRandomInputs)
{
    std::mt19937_64 random(0xC0FFEE);
    const auto uniform = [&random](double a, double b) { return std::uniform_real_distribution<double>(a, b)(random); };
    const auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    int compared = 0, withMinimum = 0, tiny = 0;
    for (int drawn = 0; compared < 20000 && drawn < 200000; ++drawn) {
        char commission[32];
        std::snprintf(commission, sizeof commission, pick(2) ? "%.1f" : "%.4f", uniform(0, 3));
        // Every product, each with its own tick, lots and fees.
        const std::string market(BuiltInInstruments()[static_cast<std::size_t>(pick(7))].name);
        const Rates rates = RatesOf(Current(commission, market, pick(3) == 0));
        // Holdings of every size, bonus-share fractions included; the target a price of up to a
        // few thousand ticks times the shares, so that the walk stays short.
        const double shares = pick(4) == 0 ? 1 + pick(9) : pick(5) == 0 ? uniform(1, 5000) : 100.0 * (1 + pick(200));
        const Money held = Money::FromRaw(static_cast<std::int64_t>(shares * 10000));
        const double tick = FeeSchedule(rates).Tick().ToDouble();
        const double price = tick * std::exp(uniform(0, std::log(3000.0)));
        const Money toRecover = Money::FromRaw(static_cast<std::int64_t>(price * shares * uniform(0.95, 1.0) * 100) * 100);
        bool capped = false;
        const auto walked = WalkedBreakEven(toRecover, held, rates, 10000, capped);
        if (capped)
            continue;
        const auto found = CurrentBreakEven(toRecover, held, rates);
        ASSERT_EQ(found.has_value(), walked.has_value()) << commission << " " << market << " " << held.ToDouble();
        if (found) {
            ASSERT_EQ(found->Raw(), walked->Raw())
                << "commission " << commission << " " << market << " waive " << rates.waiveMinimum << " shares "
                << held.ToDouble() << " to recover " << toRecover.ToDouble();
        }
        ++compared;
        withMinimum += (found && (*found * held).ToDouble() * rates.commission / 1000 < 5) ? 1 : 0;
        tiny += held < Money::FromWhole(10) ? 1 : 0;
    }
    std::printf("[ compared %d; %d under the minimum commission, %d of fewer than ten shares ]\n", compared,
                withMinimum, tiny);
    EXPECT_GE(compared, 20000);
    EXPECT_GT(withMinimum, 100);
    EXPECT_GT(tiny, 100);
}

TEST(CurrentBreakEven, EdgesOfTheSearch)
{
    const Rates rates = RatesOf(Current());
    EXPECT_EQ(CurrentBreakEven(M(0), M(100), rates), Money());
    EXPECT_EQ(CurrentBreakEven(M(-5), M(100), rates), Money());
    EXPECT_FALSE(CurrentBreakEven(M(100), M(0), rates));
    // Beyond Money's range no price reaches the target.
    EXPECT_FALSE(CurrentBreakEven(Money::FromRaw(std::numeric_limits<std::int64_t>::max()), M(1), rates));
    // One share at a tiny target: the minimum commission decides.
    const auto one = CurrentBreakEven(M(0.01), M(1), rates);
    ASSERT_TRUE(one);
    EXPECT_EQ(*one, M(5.01));  // 5.01 − 5.00 (the minimum) − 0.00 − 0.00 reaches 0.01
}

} // namespace
} // namespace qcal
