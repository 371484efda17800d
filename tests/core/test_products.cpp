// The products of the table under the current rules: their worked examples, the lot rules at their
// edges, and a code's product.

#include <gtest/gtest.h>

#include "core/convert.h"
#include "core/mini.h"
#include "core/numtext.h"
#include "core/schedule.h"
#include "core/trade.h"
#include "main_state_fixture.h"

namespace qcal {
namespace {

FeeSettings Current(std::string_view product, const char* commission = "0.25")
{
    return {commission, "1", std::string(product), FeeRules::Current};
}

Money M(const char* text) { return *ParseMoney(text); }

struct Example {
    const char* name;
    std::string_view product;
    const char* price;
    const char* quantity;
    const char* commission;
    const char* transfer;
    const char* paid;
    const char* breakEven;
};

void PrintTo(const Example& e, std::ostream* os) { *os << e.name; }

class ProductExample : public ::testing::TestWithParam<Example> {};

// A purchase in the main window: its fees, the money paid, the break-even on the product's tick.
TEST_P(ProductExample, PurchaseInTheMainWindow)
{
    const Example& e = GetParam();
    MainWindowState w = test::ClearedWindow(std::string(e.product).c_str(), "0.25", "1");
    w.fees.rules = FeeRules::Current;
    test::Buy(w, e.price, e.quantity);
    EXPECT_EQ(w.text[BuyCommission], e.commission);
    EXPECT_EQ(w.text[BuyStampDuty], "0.00");
    EXPECT_EQ(w.text[BuyTransferFee], e.transfer);
    EXPECT_EQ(w.text[Paid], e.paid);
    EXPECT_EQ(w.text[BreakEven], e.breakEven);
}

INSTANTIATE_TEST_SUITE_P(
    Products, ProductExample,
    ::testing::Values(
        // 2.50 raised to the minimum; transfer 0.01 ‰.
        Example{"StarTwoHundred", kStar, "50.00", "200", "5.00", "0.10", "10,005.10", "50.080"},
        // 0.241 raised to the bonds' minimum of 1.00; no stamp duty, no transfer; 1,207.00 − 1.00.
        Example{"BondsTen", kBonds, "120.500", "10", "1.00", "0.00", "1,206.00", "120.700"},
        // The fund's commission is the shares' rate with its minimum; no transfer fee.
        Example{"FundsThousand", kFunds, "1.234", "1000", "5.00", "0.00", "1,239.00", "1.244"},
        // Beijing: no transfer fee (unconfirmed, left out).
        Example{"BeijingHundredAndOne", kBeijing, "20.00", "101", "5.00", "0.00", "2,025.00", "20.110"},
        Example{"ChiNextLot", kChiNext, "30.00", "300", "5.00", "0.09", "9,005.09", "30.050"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Products, LotRulesAtTheirEdges)
{
    const struct {
        std::string_view product;
        Side side;
        const char* quantity;
        const char* held;  // the holding a sale is made from, or none
        bool taken;
    } cases[] = {
        {kStar, Side::Buy, "199", nullptr, false},
        {kStar, Side::Buy, "200", nullptr, true},
        {kStar, Side::Buy, "201", nullptr, true},
        {kStar, Side::Sell, "150", "150", true},    // a remainder below 200, sold whole
        {kStar, Side::Sell, "150", "350", false},   // part of a holding: at least 200
        {kStar, Side::Sell, "201", "350", true},
        {kBeijing, Side::Buy, "99", nullptr, false},
        {kBeijing, Side::Buy, "101", nullptr, true},
        {kBonds, Side::Buy, "205", nullptr, false},
        {kBonds, Side::Buy, "210", nullptr, true},
        {kBonds, Side::Sell, "15", "15", false},     // bonds go in tens, remainder or not
        {kShanghai, Side::Buy, "150", nullptr, false},
        {kShanghai, Side::Sell, "1,050", "1,050", true},  // the odd 50 with whole lots
        {kShanghai, Side::Sell, "50", "1,050", true},     // the odd 50 alone
        {kShanghai, Side::Sell, "120", "1,050", false},
        {kShanghai, Side::Sell, "120", nullptr, true},    // no holding known: it may take the odd ones
        {kFunds, Side::Buy, "1,000", nullptr, true},
    };
    for (const auto& c : cases) {
        const FeeSchedule schedule = *ReadSchedule(Current(c.product)).schedule;
        const Outcome outcome = c.side == Side::Buy
                                    ? BuyLotRefusal(schedule, M(c.quantity), BuyQuantity)
                                    : SellLotRefusal(schedule, M(c.quantity), c.held ? std::optional(M(c.held)) : std::nullopt,
                                                     SellQuantity);
        EXPECT_EQ(outcome.ok(), c.taken) << c.product << " " << c.quantity << " of " << (c.held ? c.held : "-");
        if (!outcome.ok()) {
            const std::string_view rule = c.side == Side::Buy ? schedule.instrument().buyRule
                                                               : schedule.instrument().sellRuleText;
            EXPECT_EQ(MessageText(outcome, ""), "输入错误，" + std::string(rule) + "，请重新输入       ");
        }
    }
    // The program's own rules keep to their quantities of one share and more.
    FeeSettings own = Current(kShanghai);
    own.rules = FeeRules::Own;
    EXPECT_TRUE(BuyLotRefusal(*ReadSchedule(own).schedule, M("150"), BuyQuantity).ok());
}

TEST(Products, ACodeNamesItsProduct)
{
    const CivilDate today = *CivilDate::Parse("2026-12-09");
    const CivilDate before = *CivilDate::Parse("2025-10-08");
    const struct {
        const char* code;
        CivilDate date;
        std::string_view product;  // empty: none
    } cases[] = {
        {"600519", today, kShanghai}, {"601318", today, kShanghai}, {"000001", today, kShenzhen},
        {"300750", today, kChiNext},  {"688981", today, kStar},     {"920118", today, kBeijing},
        {"830799", before, kBeijing}, {"830799", today, {}},        {"510300", today, kFunds},
        {"159915", today, kFunds},    {"113050", today, kBonds},    {"128136", today, kBonds},
        {"900901", today, {}},        {"60051", today, {}},         {"60051x", today, {}},
    };
    for (const auto& c : cases) {
        const Instrument* row = InstrumentOfCode(c.code, c.date);
        EXPECT_EQ(row ? row->name : std::string_view(), c.product) << c.code;
    }
}

// The converter buys the largest quantity the product takes: STAR beyond 200 in single shares.
TEST(Products, TheConverterBuysWhatTheProductTakes)
{
    ConverterFields star{"10000", "48.00", "", "", ""};
    ASSERT_TRUE(ConvertAmount(star, Current(kStar)).ok());
    EXPECT_EQ(star.shares, "208");  // 9,984.00 + 5.00 + 0.10
    ConverterFields bonds{"10000", "120.5", "", "", ""};
    ASSERT_TRUE(ConvertAmount(bonds, Current(kBonds)).ok());
    EXPECT_EQ(bonds.shares, "80");  // 9,640.00 + 1.93; 90 would cost 10,846.00
}

} // namespace
} // namespace qcal
