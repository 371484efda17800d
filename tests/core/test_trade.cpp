#include <gtest/gtest.h>

#include "case_names.h"
#include "main_state_fixture.h"

#include <array>
#include <string>

#include "core/captions.h"
#include "core/trade.h"

namespace qcal {
namespace {

Money M(const char* text) { return Money::FromDouble(std::stod(text)); }

// A freshly cleared main window with the given settings.
MainWindowState Window(const char* market = "上海A股", const char* c = "3", const char* s = "3")
{
    return test::ClearedWindow(market, c, s);
}

// What the window stores before a buy: the checked texts and their values.
void EnterBuy(MainWindowState& w, const char* price, const char* quantityText, const char* quantity)
{
    w.text[1] = price;
    w.text[2] = quantityText;
    w.buy.price = M(price);
    w.buy.quantity = M(quantity);
}

void EnterSell(MainWindowState& w, const char* price, const char* quantityText, const char* quantity)
{
    w.ResetSellSide();
    w.text[11] = price;
    w.text[12] = quantityText;
    w.sell.price = M(price);
    w.sell.quantity = M(quantity);
}

MainWindowState Bought(const char* price = "10.00", const char* qtyText = "1,000", const char* qty = "1000")
{
    MainWindowState w = Window();
    EnterBuy(w, price, qtyText, qty);
    EXPECT_TRUE(CalculateBuy(w).ok());
    return w;
}

struct BuyCase {
    const char* market;
    const char* price;
    const char* quantityText;
    const char* quantity;
    std::array<const char*, 8> shown;  // Text3 … Text10
};

class BuyFrame : public ::testing::TestWithParam<BuyCase> {};

TEST_P(BuyFrame, FillsEveryResultField)
{
    const BuyCase& c = GetParam();
    MainWindowState w = Window(c.market);
    EnterBuy(w, c.price, c.quantityText, c.quantity);
    ASSERT_TRUE(CalculateBuy(w).ok());
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(w.text[3 + i], c.shown[i]) << "Text" << 3 + i;
    EXPECT_EQ(w.buyBreakEven, w.text[9]);
    EXPECT_EQ(w.label[8].colour, Colour::Red);
    EXPECT_EQ(w.label[2].caption, caption::kBuyQuantity);
    EXPECT_FALSE(w.locked[2]);
}

INSTANTIATE_TEST_SUITE_P(
    Trade, BuyFrame,
    ::testing::Values(
        BuyCase{"上海A股", "10.00", "1,000", "1000",
                {"10,000.00", "30.00", "30.00", "1.00", "61.00", "10.061", "10.123", "10,061.00"}},
        // The 3.00 commission is raised to the 5.00 minimum.
        BuyCase{"上海A股", "10.00", "100", "100",
                {"1,000.00", "5.00", "3.00", "1.00", "9.00", "10.090", "10.152", "1,009.00"}},
        BuyCase{"深圳A股", "10.00", "1,000", "1000",
                {"10,000.00", "30.00", "30.00", "0.00", "60.00", "10.060", "10.121", "10,060.00"}},
        BuyCase{"基金、权证", "1.50", "1,000", "1000",
                {"1,500.00", "5.00", "0.00", "0.00", "5.00", "1.505", "1.510", "1,505.00"}}),
    [](const auto& info) {
        return test::CaseName(info.index, test::MarketName(info.param.market) + " " + info.param.quantity);
    });

struct TotalCase {
    const char* commissionRate;
    const char* price;
    const char* total;
};

class BuyTransferFee : public ::testing::TestWithParam<TotalCase> {};

// The 1.555 transfer fee is kept to four decimals and rounded only with the total, halves to even.
TEST_P(BuyTransferFee, ThirdDecimalRoundsWithTheTotal)
{
    MainWindowState w = Window("上海A股", GetParam().commissionRate, "3");
    EnterBuy(w, GetParam().price, "1,555", "1555");
    ASSERT_TRUE(CalculateBuy(w).ok());
    EXPECT_EQ(w.buy.transferFee, Money::FromRaw(15550));
    EXPECT_EQ(w.text[6], "1.56");
    EXPECT_EQ(w.text[7], GetParam().total);
    EXPECT_EQ(w.buy.fees, M(GetParam().total));
}

INSTANTIATE_TEST_SUITE_P(Trade, BuyTransferFee,
                         ::testing::Values(TotalCase{"3", "6.4309", "61.56"},      // 30.00 + 30.00 + 1.555
                                           TotalCase{"3.001", "6.4296", "61.54"}),  // 30.00 + 29.99 + 1.555
                         [](const auto& info) { return test::CaseName(info.index, info.param.total); });

TEST(BuyCost, ExactThousandthIsNotRoundedUp)
{
    MainWindowState w = Window("上海A股", "3", "0");
    EnterBuy(w, "2.00", "1,000", "1000");
    ASSERT_TRUE(CalculateBuy(w).ok());
    EXPECT_EQ(w.text[7], "7.00");
    EXPECT_EQ(w.text[8], "2.007");
}

TEST(BuyBonus, FoldsBonusSharesIntoTheHoldingOnce)
{
    MainWindowState w = Window();
    w.text[21] = "3";
    EnterBuy(w, "10.00", "1,000", "1000");
    ASSERT_TRUE(CalculateBuy(w).ok());
    EXPECT_EQ(w.text[2], "1,300");
    EXPECT_TRUE(w.locked[2]);
    EXPECT_EQ(w.label[2], (LabelState{"持有股票", Colour::Red, std::string(caption::kHoldingTip)}));
    EXPECT_EQ(w.text[8], "7.740");  // 10,061.00 over 1,300 shares, rounded up

    ASSERT_TRUE(CalculateBuy(w).ok());
    EXPECT_EQ(w.text[2], "1,300");
}

TEST(BuyBonus, NoBonusRestoresTheQuantityLabelButNotABatchTotal)
{
    MainWindowState w = Window();
    w.label[2] = {"持有股票", Colour::Red, std::string(caption::kHoldingTip)};
    EnterBuy(w, "10.00", "1,000", "1000");
    ASSERT_TRUE(CalculateBuy(w).ok());
    EXPECT_EQ(w.label[2], (LabelState{"买入数量", Colour::Black, std::string(caption::kBuyQuantityTip)}));

    w.label[2] = {"持股总数", Colour::Blue, "batch"};
    ASSERT_TRUE(CalculateBuy(w).ok());
    EXPECT_EQ(w.label[2], (LabelState{"持股总数", Colour::Blue, "batch"}));
}

TEST(BuyDividend, LowersCostAndAmountPaid)
{
    MainWindowState w = Window();
    w.text[22] = "2.00";
    EnterBuy(w, "10.00", "1,000", "1000");
    ASSERT_TRUE(CalculateBuy(w).ok());
    EXPECT_EQ(w.text[7], "61.00");
    EXPECT_EQ(w.text[8], "9.861");
    EXPECT_EQ(w.text[10], "9,861.00");
}

TEST(BuyInputs, ZeroPriceOrQuantityChangesNothing)
{
    MainWindowState w = Window();
    w.text[3] = "old";
    w.buy.quantity = M("1000");
    const MainWindowState before = w;
    EXPECT_TRUE(CalculateBuy(w).ok());
    EXPECT_EQ(w, before);
}

struct RefusalCase {
    const char* what;
    const char* commission;
    const char* stampDuty;
    const char* bonus;
    const char* dividend;
    const char* price;
    Reason reason;
};

class BuyRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(BuyRefusal, LeavesTheWholeStateAsItWas)
{
    const RefusalCase& c = GetParam();
    MainWindowState w = Bought();
    w.fees.commission = c.commission;
    w.fees.stampDuty = c.stampDuty;
    w.text[21] = c.bonus;
    w.text[22] = c.dividend;
    EnterBuy(w, c.price, "10,000,000", "10000000");
    const MainWindowState before = w;
    EXPECT_EQ(CalculateBuy(w).reason, c.reason) << c.what;
    EXPECT_EQ(w, before) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Trade, BuyRefusal,
    ::testing::Values(
        RefusalCase{"commission overflows 32 bits", "3", "3", "0", "0.00", "100000.00", Reason::OutOfRange},
        RefusalCase{"commission text", "abc", "3", "0", "0.00", "10.00", Reason::CommissionRate},
        RefusalCase{"rates that never break even", "999", "3", "0", "0.00", "10.00", Reason::CommissionRate},
        RefusalCase{"stamp duty text", "3", "x", "0", "0.00", "10.00", Reason::StampDutyRate},
        RefusalCase{"negative bonus", "3", "3", "-10", "0.00", "10.00", Reason::BonusNotNumeric},
        RefusalCase{"empty bonus", "3", "3", "", "0.00", "10.00", Reason::BonusNotNumeric},
        RefusalCase{"bonus above 10", "3", "3", "11", "0.00", "10.00", Reason::BonusTooLarge},
        RefusalCase{"dividend text", "3", "3", "0", "abc", "10.00", Reason::DividendNotNumeric},
        RefusalCase{"negative dividend", "3", "3", "0", "-1", "10.00", Reason::DividendNotNumeric}),
    [](const auto& info) { return test::CaseName(info.index, info.param.what); });

TEST(BuyRefusal, NegativeQuantityFromAStoredText)
{
    MainWindowState w = Window();
    EnterBuy(w, "10.00", "-100", "-100");
    const MainWindowState before = w;
    EXPECT_EQ(CalculateBuy(w).reason, Reason::OutOfRange);
    EXPECT_EQ(w, before);
}

struct SellCase {
    const char* market;
    const char* quantityText;
    const char* quantity;
    std::array<const char*, 6> shown;  // Text13 … Text17, Text20
};

class SellFrame : public ::testing::TestWithParam<SellCase> {};

TEST_P(SellFrame, FillsTheFeeFieldsAndAmountReceived)
{
    const SellCase& c = GetParam();
    MainWindowState w = Window(c.market);
    EnterBuy(w, "10.00", "1,000", "1000");
    ASSERT_TRUE(CalculateBuy(w).ok());
    EnterSell(w, "11.00", c.quantityText, c.quantity);
    ASSERT_TRUE(CalculateSell(w).ok());
    const std::array<int, 6> fields{13, 14, 15, 16, 17, 20};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(w.text[fields[i]], c.shown[i]) << "Text" << fields[i];
}

INSTANTIATE_TEST_SUITE_P(
    Trade, SellFrame,
    ::testing::Values(
        SellCase{"上海A股", "1,000", "1000", {"11,000.00", "33.00", "33.00", "1.00", "67.00", "10,933.00"}},
        SellCase{"上海A股", "500", "500", {"5,500.00", "16.50", "16.50", "1.00", "34.00", "5,466.00"}},
        SellCase{"深圳A股", "1,000", "1000", {"11,000.00", "33.00", "33.00", "0.00", "66.00", "10,934.00"}},
        SellCase{"基金、权证", "1,000", "1000", {"11,000.00", "33.00", "0.00", "0.00", "33.00", "10,967.00"}}),
    [](const auto& info) {
        return test::CaseName(info.index, test::MarketName(info.param.market) + " " + info.param.quantity);
    });

TEST(SellProfit, WholeSaleShowsProfitAndYield)
{
    MainWindowState w = Bought();
    EnterSell(w, "11.00", "1,000", "1000");
    ASSERT_TRUE(CalculateSell(w).ok());
    EXPECT_EQ(w.text[19], "872.00");
    EXPECT_EQ(w.profit, M("872"));
    EXPECT_EQ(w.text[18], "8.67");
    EXPECT_EQ(w.label[17].caption, "大赚特赚");
    EXPECT_EQ(w.label[17].colour, Colour::Red);
    EXPECT_EQ(w.label[18].colour, Colour::Red);
    EXPECT_EQ(w.unit[17], "元");
    EXPECT_EQ(w.text[9], "10.123");
    EXPECT_EQ(w.label[8].colour, Colour::Black);
}

TEST(SellProfit, LossIsBlue)
{
    MainWindowState w = Bought();
    EnterSell(w, "9.00", "1,000", "1000");
    ASSERT_TRUE(CalculateSell(w).ok());
    EXPECT_LT(w.profit, Money());
    EXPECT_EQ(w.label[17].caption, "大亏特亏");
    EXPECT_EQ(w.label[17].colour, Colour::Blue);
    EXPECT_EQ(w.label[18].colour, Colour::Blue);
}

TEST(SellProfit, ExactlyZeroCountsAsGain)
{
    MainWindowState w = Window();
    w.text[10] = "10,933.00";  // a paid amount equal to what the sale brings in
    EnterSell(w, "11.00", "1,000", "1000");
    ASSERT_TRUE(CalculateSell(w).ok());
    EXPECT_EQ(w.profit, Money());
    EXPECT_EQ(w.text[18], "0.00");
    EXPECT_EQ(w.label[17].caption, "大赚特赚");
}

TEST(SellProfit, WithoutABuyTheStoredProfitDecidesTheLabel)
{
    MainWindowState w = Window();
    w.text[18] = "keep18";
    w.text[19] = "keep19";
    EnterSell(w, "11.00", "1,000", "1000");
    ASSERT_TRUE(CalculateSell(w).ok());
    EXPECT_EQ(w.text[20], "10,933.00");
    EXPECT_EQ(w.text[18], "keep18");
    EXPECT_EQ(w.text[19], "keep19");
    EXPECT_EQ(w.label[17].caption, "大赚特赚");

    w.profit = M("-1");
    ASSERT_TRUE(CalculateSell(w).ok());
    EXPECT_EQ(w.label[17].caption, "大亏特亏");
}

TEST(SellProfit, NoYieldWhenTheDividendExceedsTheCost)
{
    MainWindowState w = Window();
    w.text[22] = "110.00";  // 11 yuan a share back on a 10 yuan share
    EnterBuy(w, "10.00", "1,000", "1000");
    ASSERT_TRUE(CalculateBuy(w).ok());
    EXPECT_EQ(w.text[10], "-939.00");
    w.text[18] = "stale";
    EnterSell(w, "11.00", "1,000", "1000");
    ASSERT_TRUE(CalculateSell(w).ok());
    EXPECT_EQ(w.text[19], "11,872.00");
    EXPECT_EQ(w.text[18], "");
}

TEST(SellPartial, RemainingSharesGetTheirOwnBreakEven)
{
    MainWindowState w = Bought();
    EnterSell(w, "11.00", "500", "500");
    ASSERT_TRUE(CalculateSell(w).ok());
    EXPECT_EQ(w.profit, M("-4595"));
    EXPECT_EQ(w.text[18], "-45.67");
    EXPECT_EQ(w.text[19], "500");
    EXPECT_EQ(w.unit[17], "股");
    EXPECT_EQ(w.label[17].caption, "剩余股票");
    EXPECT_EQ(w.label[17].colour, Colour::Red);
    EXPECT_EQ(w.label[18].colour, Colour::Red);
    EXPECT_EQ(w.text[9], "9.303");
    EXPECT_EQ(w.label[8].colour, Colour::Red);
    EXPECT_EQ(w.label[8].toolTip, "剩余股票每股的保本价格，卖出的500股的各种费用计入剩余股票成本里面。");

    // A whole sale afterwards brings back the buy side's break-even and the standard label.
    EnterSell(w, "11.00", "1,000", "1000");
    ASSERT_TRUE(CalculateSell(w).ok());
    EXPECT_EQ(w.text[9], "10.123");
    EXPECT_EQ(w.label[8].colour, Colour::Black);
    EXPECT_EQ(w.label[8].toolTip, caption::kBreakEvenTip);
    EXPECT_EQ(w.unit[17], "元");
    EXPECT_EQ(w.label[17].caption, "大赚特赚");
}

// Text2 retyped without Enter: no shares (or fewer than none) remain to price.
TEST(SellPartial, FewerThanOneRemainingShareKeepsTheBreakEven)
{
    for (const char* retyped : {"500", "400"}) {
        MainWindowState w = Bought();
        w.text[2] = retyped;
        EnterSell(w, "11.00", "500", "500");
        ASSERT_TRUE(CalculateSell(w).ok()) << retyped;
        EXPECT_EQ(w.text[9], "10.123") << retyped;
        EXPECT_EQ(w.text[19], "500") << retyped;
    }
}

TEST(SellRefusal, LeavesTheWholeStateAsItWas)
{
    MainWindowState w = Bought();
    w.fees.commission = "abc";
    EnterSell(w, "11.00", "1,000", "1000");
    MainWindowState before = w;
    EXPECT_EQ(CalculateSell(w).reason, Reason::CommissionRate);
    EXPECT_EQ(w, before);

    w.fees.commission = "3";
    EnterSell(w, "200000.00", "10,000,000", "10000000");
    before = w;
    EXPECT_EQ(CalculateSell(w).reason, Reason::OutOfRange);
    EXPECT_EQ(w, before);
}

} // namespace
} // namespace qcal
