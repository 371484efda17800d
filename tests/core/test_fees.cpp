#include <clocale>
#include <string>

#include <gtest/gtest.h>

#include "core/fees.h"

namespace qcal {
namespace {

const std::string SH{kShanghai};
const std::string SZ{kShenzhen};
const std::string FD{kFunds};

Money M(double v) { return Money::FromDouble(v); }

TEST(FeeSettingsTest, MarketTextsCompareAsWholeText)
{
    EXPECT_EQ(MarketOf("上海A股"), Market::Shanghai);
    EXPECT_EQ(MarketOf("深圳A股"), Market::Shenzhen);
    EXPECT_EQ(MarketOf("基金、权证"), Market::Funds);
    for (const char* text : {"上海a股", "上海A股 ", " 深圳A股", "基金", "", "Shanghai"})
        EXPECT_EQ(MarketOf(text), Market::Other) << text;
}

struct RateCase {
    const char* commission;
    const char* stampDuty;
    Reason problem;
};

TEST(FeeSettingsTest, RatesAreRefusedWithTheTextAtFault)
{
    const RateCase cases[] = {
        {"2.7", "3", Reason::None},
        {"0", "0", Reason::None},
        {" 0.25 ", "1", Reason::None},
        {"996.9", "3", Reason::None},
        {"abc", "3", Reason::CommissionRate},
        {"", "3", Reason::CommissionRate},
        {"-0.1", "3", Reason::CommissionRate},
        {"1e999", "3", Reason::CommissionRate},
        {"3", "x", Reason::StampDutyRate},
        {"3", "-1", Reason::StampDutyRate},
        {"997", "3", Reason::CommissionRate},   // the sum reaches 1000 per mille
        {"1000", "0", Reason::CommissionRate},
        {"3", "1000", Reason::CommissionRate},
        {"abc", "x", Reason::CommissionRate},
    };
    for (const auto& c : cases) {
        const FeeSettings settings{c.commission, c.stampDuty, SH};
        EXPECT_EQ(ReadFeeSettings(settings).problem, c.problem) << c.commission << " / " << c.stampDuty;
        EXPECT_EQ(ReadRates(settings).has_value(), c.problem == Reason::None)
            << c.commission << " / " << c.stampDuty;
        EXPECT_EQ(SideFees(M(1000), M(100), settings).has_value(), c.problem == Reason::None);
        EXPECT_EQ(BreakEvenPrice(M(10), M(1000), settings).has_value(), c.problem == Reason::None);
    }
    const auto rates = ReadRates({"1,000.5e-3", "3", FD});
    ASSERT_TRUE(rates);
    EXPECT_DOUBLE_EQ(rates->commission, 1.0005);
    EXPECT_EQ(rates->market, Market::Funds);
}

TEST(FeeSettingsTest, RatesIgnoreTheLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    // Locales that write 2,7 for 2.7, where strtod would read "2.7" as 2.
    bool switched = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name)) {
            switched = true;
            break;
        }
    if (!switched)
        GTEST_SKIP() << "no locale with a decimal comma installed";
    const auto rates = ReadRates({"2.7", "3", SH});
    const auto fees = SideFees(M(4440), M(500), {"2.7", "3", SH});
    std::setlocale(LC_NUMERIC, saved.c_str());
    ASSERT_TRUE(rates);
    EXPECT_DOUBLE_EQ(rates->commission, 2.7);
    ASSERT_TRUE(fees);
    EXPECT_EQ(fees->commission, M(11.99));
}

struct SideCase {
    const char* name;
    double amount, quantity;
    const char* commission;
    const char* stampDuty;
    std::string market;
    double fee, duty, transfer;
};

TEST(SideFeesTest, Schedule)
{
    const SideCase cases[] = {
        {"example 10 x 1000", 10000, 1000, "3", "3", SH, 30, 30, 1},
        {"1198.8 rounds to 1199", 4440, 500, "2.7", "3", SH, 11.99, 13.32, 1},
        {"minimum commission", 1000, 100, "3.00", "3", SH, 5, 3, 1},
        {"commission 0 still pays 5", 10000, 1000, "0", "3", SH, 5, 30, 1},
        {"stamp duty 0", 10000, 1000, "3", "0", SH, 30, 0, 1},
        {"transfer kept to 4 decimals", 15550, 1555, "3", "3", SH, 46.65, 46.65, 1.555},
        {"2998.5 to even, transfer 0.9995 -> 1", 9995, 999.5, "3", "3", SH, 29.98, 29.98, 1},
        {"Shenzhen has no transfer fee", 10000, 1000, "3", "3", SZ, 30, 30, 0},
        {"funds: no stamp duty, no transfer", 10000, 1000, "3", "3", FD, 30, 0, 0},
        {"other market: duty, no transfer", 10000, 1000, "3", "3", "其他", 30, 30, 0},
    };
    for (const auto& c : cases) {
        const auto r = SideFees(M(c.amount), M(c.quantity), {c.commission, c.stampDuty, c.market});
        ASSERT_TRUE(r) << c.name;
        EXPECT_EQ(r->commission, M(c.fee)) << c.name;
        EXPECT_EQ(r->stampDuty, M(c.duty)) << c.name;
        EXPECT_EQ(r->transferFee, M(c.transfer)) << c.name;
    }
}

TEST(SideFeesTest, AmountsBeyondThe32BitRoundingAreRefused)
{
    // c × amount × 0.1 must stay below 2^31: with 3 per mille about 7.158 billion.
    EXPECT_TRUE(SideFees(M(7.15e9), M(1e6), {"3", "3", SH}));
    EXPECT_FALSE(SideFees(M(7.2e9), M(1e6), {"3", "3", SH}));
    EXPECT_TRUE(SideFees(M(7.2e9), M(1e6), {"0", "3", FD}));  // no stamp duty for funds, commission 0
    EXPECT_FALSE(SideFees(M(7.2e9), M(1e6), {"0", "3", SZ}));  // the stamp duty overflows
    EXPECT_FALSE(SideFees(M(-7.2e9), M(1e6), {"3", "0", SZ}));
}

struct BreakEvenCase {
    const char* name;
    double price, quantity;
    const char* commission;
    const char* stampDuty;
    std::string market;
    double expected;
};

TEST(BreakEvenTest, WorkedExamples)
{
    const BreakEvenCase cases[] = {
        {"Shanghai 10 x 1000", 10, 1000, "3", "3", SH, 10.123},
        {"Shenzhen 10 x 1000", 10, 1000, "3", "3", SZ, 10.121},
        {"Shanghai 10 x 100: minimum phase + 5 + 1", 10, 100, "3", "3", SH, 10.152},
        {"Shenzhen 10 x 100: minimum phase + 5", 10, 100, "3", "3", SZ, 10.141},
        {"funds 1.5 x 1000: flat 5 + 5", 1.5, 1000, "3", "3", FD, 1.510},
        {"funds 1.5 x 10000: proportional, 1.5091 up", 1.5, 10000, "3", "3", FD, 1.510},
        {"remaining shares, funds", 616439.28, 100, "3", "3", FD, 620149.045},
        // The remaining shares' cost carries the market's own fees: Shanghai's is higher.
        {"remaining shares, Shanghai", 632658.559, 100, "3", "3", SH, 640296.291},
        {"commission 0, Shanghai", 10, 1000, "0", "3", SH, 10.068},
        {"commission 0, funds", 10, 1000, "0", "3", FD, 10.01},
        {"all rates 0, funds", 10, 1000, "0", "0", FD, 10.01},
        {"other market", 10, 1000, "3", "3", "深圳B股", 0},
    };
    for (const auto& c : cases) {
        const auto r = BreakEvenPrice(M(c.price), M(c.quantity), {c.commission, c.stampDuty, c.market});
        ASSERT_TRUE(r) << c.name;
        EXPECT_EQ(r->Raw(), M(c.expected).Raw()) << c.name << ": " << r->ToDouble();
    }
}

TEST(BreakEvenTest, InputsLeavingTheRangeAreRefused)
{
    struct Case {
        const char* name;
        double price, quantity;
        const char* commission;
        std::string market;
    } cases[] = {
        // Unit cost × 1000 beyond 2^31: one share left of a large losing position.
        {"one share left at 61.6 million", 61'620'239.28, 1, "3", FD},
        {"one share at 2.2 million", 2'200'000, 1, "3", SH},
        // c × A beyond 2^31.
        {"amount 800 million", 80, 1e7, "3", SZ},
        {"no shares", 10, 0, "3", SH},
        {"fewer than none", 10, -100, "3", SH},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(BreakEvenPrice(M(c.price), M(c.quantity), {c.commission, "3", c.market})) << c.name;
}

TEST(BreakEvenTest, RatesNearTheLimitEndWithoutHanging)
{
    // With the rates just under 1000 per mille the net gains a millionth of the price per step:
    // near 1,100 the 32-bit step counter runs out before the cost is reached.
    for (const std::string& market : {SH, SZ, FD}) {
        EXPECT_FALSE(BreakEvenPrice(M(1100), M(100), {"999", "0", market})) << market;
        EXPECT_FALSE(BreakEvenPrice(M(1100), M(1000), {"996.99", "3", market})) << market;
    }
    // A low price still breaks even within the counter, far above the price.
    const auto low = BreakEvenPrice(M(1), M(1000), {"999", "0", SZ});
    ASSERT_TRUE(low);
    EXPECT_GT(low->ToDouble(), 1000);
    // Within a ten-thousandth of a per mille of the limit the net gains a ten-thousandth of a yuan
    // only every ten thousand steps, and the doubles of the fee formula wobble by about as much;
    // the search still finds the walk's first price (two billion steps away, as the same case at
    // 0.01 in the differential test, a tenth of the way, shows: 199,500.001 there).
    const auto edge = BreakEvenPrice(M(0.1), M(1), {"999.9999", "0", SZ});
    ASSERT_TRUE(edge);
    EXPECT_EQ(edge->Raw(), M(1999500).Raw());
    // Ten times closer the counter runs out first.
    EXPECT_FALSE(BreakEvenPrice(M(0.1), M(1), {"999.99999", "0", SZ}));
}

} // namespace
} // namespace qcal
