#include <gtest/gtest.h>

#include "case_names.h"
#include "main_state_fixture.h"

#include <string>

#include "core/batch.h"
#include "core/captions.h"

namespace qcal {
namespace {

// A freshly cleared main window with the given settings.
MainWindowState Cleared(const char* market = "上海A股", const char* c = "3", const char* s = "1")
{
    return test::ClearedWindow(market, c, s);
}

// The six fields as typed, captured.
BatchFields Typed(const char* p1, const char* q1, const char* p2 = "", const char* q2 = "", const char* p3 = "",
                  const char* q3 = "")
{
    BatchFields b;
    b.text = {"", p1, q1, p2, q2, p3, q3};
    StoreBatchInputs(b);
    return b;
}

struct CaptureCase {
    const char* text;
    const char* priceTag;     // as Text1, Text3, Text5
    const char* quantityTag;  // as Text2, Text4, Text6
};

class BatchCapture : public ::testing::TestWithParam<CaptureCase> {};

TEST_P(BatchCapture, TagIsTheTextWhenAcceptedElseZero)
{
    const CaptureCase& c = GetParam();
    BatchFields b;
    for (int i = 1; i <= 6; ++i)
        b.text[i] = c.text;
    StoreBatchInputs(b);
    for (int i = 1; i <= 6; i += 2) {
        EXPECT_EQ(b.tag[i], c.priceTag) << "Text" << i;
        EXPECT_EQ(b.tag[i + 1], c.quantityTag) << "Text" << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, BatchCapture,
                         ::testing::Values(CaptureCase{"10.12", "10.12", "10.12"},
                                           CaptureCase{"1,000", "1,000", "1,000"},
                                           CaptureCase{"0.01", "0.01", "0"},
                                           CaptureCase{"0.3", "0.3", "0"},  // not even one share
                                           CaptureCase{"1", "1", "1"},
                                           CaptureCase{"0.009", "0", "0"},
                                           CaptureCase{"-5", "0", "0"},
                                           CaptureCase{"abc", "0", "0"},
                                           CaptureCase{"", "0", "0"}),
                         [](const auto& info) { return test::CaseName(info.index, info.param.text); });

struct AverageCase {
    const char* name;
    const char* market;
    std::array<const char*, 6> batches;
    const char* averagePrice;   // Text1
    const char* totalQuantity;  // Text2
    const char* amount;         // Text3
    const char* transferFee;    // Text6
    std::array<const char*, 3> quantityTagsAfter;
};

class BatchBuyAverage : public ::testing::TestWithParam<AverageCase> {};

TEST_P(BatchBuyAverage, PostsAverageTotalAmountAndPerBatchTransferFee)
{
    const AverageCase& c = GetParam();
    MainWindowState w = Cleared(c.market);
    const auto& t = c.batches;
    BatchFields b = Typed(t[0], t[1], t[2], t[3], t[4], t[5]);

    const BatchResult r = PostBuyBatches(b, w);

    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.posted);
    EXPECT_EQ(w.text[1], c.averagePrice);
    EXPECT_EQ(w.text[2], c.totalQuantity);
    EXPECT_EQ(w.text[3], c.amount);
    EXPECT_EQ(w.text[6], c.transferFee);
    EXPECT_EQ(b.tag[2], c.quantityTagsAfter[0]);
    EXPECT_EQ(b.tag[4], c.quantityTagsAfter[1]);
    EXPECT_EQ(b.tag[6], c.quantityTagsAfter[2]);
}

INSTANTIATE_TEST_SUITE_P(
    Batches, BatchBuyAverage,
    ::testing::Values(
        AverageCase{"TwoEqualBatches", "上海A股", {"10.00", "1,000", "11.00", "1,000", "", ""},
                    "10.50", "2,000", "21,000.00", "2.00", {"1", "1", "0"}},
        AverageCase{"UnevenBatches", "深圳A股", {"10.12", "1,000", "10.13", "501", "", ""},
                    "10.1233", "1,501", "15,195.13", "0.00", {"1,000", "501", "0"}},
        AverageCase{"OnlyBatchThree", "深圳A股", {"", "", "", "", "9.87", "300"},
                    "9.87", "300", "2,961.00", "0.00", {"0", "0", "300"}},
        AverageCase{"ShanghaiMinimumPerBatch", "上海A股", {"10", "100", "10", "1,000", "10", "1,550"},
                    "10.00", "2,650", "26,500.00", "3.55", {"1", "1", "1.55"}},
        AverageCase{"ShanghaiOneBatch", "上海A股", {"10", "2,650", "", "", "", ""},
                    "10.00", "2,650", "26,500.00", "2.65", {"2.65", "0", "0"}},
        AverageCase{"QuantityWithoutPriceLowersAverage", "深圳A股", {"10", "100", "", "100", "", ""},
                    "5.00", "200", "1,000.00", "0.00", {"100", "100", "0"}},
        AverageCase{"FractionOfAShareDoesNotCount", "深圳A股", {"10", "0.3", "12", "100", "", ""},
                    "12.00", "100", "1,200.00", "0.00", {"0", "100", "0"}},
        AverageCase{"Funds", "基金、权证", {"1.234", "10,000", "", "", "", ""},
                    "1.234", "10,000", "12,340.00", "0.00", {"10,000", "0", "0"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BatchBuy, FillsTheWholeBuySide)
{
    MainWindowState w = Cleared("上海A股", "3", "1");
    BatchFields b = Typed("10.00", "1,000", "11.00", "1,000");

    ASSERT_TRUE(PostBuyBatches(b, w).posted);

    EXPECT_EQ(w.text[4], "63.00");
    EXPECT_EQ(w.text[5], "21.00");
    EXPECT_EQ(w.text[6], "2.00");
    EXPECT_EQ(w.text[7], "86.00");
    EXPECT_EQ(w.text[8], "10.543");
    EXPECT_EQ(w.text[9], "10.587");
    EXPECT_EQ(w.text[10], "21,086.00");
    EXPECT_EQ(w.label[8].colour, Colour::Red);
    EXPECT_EQ(w.buy.price, Money::FromDouble(10.5));
    EXPECT_EQ(w.buy.quantity, Money::FromWhole(2000));
    EXPECT_EQ(w.buy.transferFee, Money::FromWhole(2));
    EXPECT_EQ(w.buy.fees, Money::FromWhole(86));
    EXPECT_EQ(w.buyBreakEven, "10.587");
    // Bonus and dividend play no part, and the sell side is left alone.
    EXPECT_EQ(w.text[21], "0");
    EXPECT_EQ(w.text[13], "");
}

TEST(BatchBuy, CommissionMinimumFundsAndCostRoundedUp)
{
    MainWindowState w = Cleared("基金、权证", "3", "1");
    BatchFields b = Typed("1.001", "100", "1.002", "200");

    ASSERT_TRUE(PostBuyBatches(b, w).posted);

    EXPECT_EQ(w.text[3], "300.50");
    EXPECT_EQ(w.text[4], "5.00");  // 0.90 raised to the minimum
    EXPECT_EQ(w.text[5], "0.00");
    EXPECT_EQ(w.text[6], "0.00");
    EXPECT_EQ(w.text[7], "5.00");
    EXPECT_EQ(w.text[8], "1.019");  // 305.5 / 300 = 1.018333… goes up
    EXPECT_EQ(w.text[10], "305.50");
}

TEST(BatchBuy, NoAcceptedQuantityChangesNothing)
{
    for (const char* quantity : {"", "abc", "0.3", "0"}) {
        MainWindowState w = Cleared();
        w.fees.commission = "abc";  // with nothing to post, not a reason for a message either
        w.text[1] = "9.99";
        const MainWindowState before = w;
        BatchFields b = Typed("10", quantity, "11", quantity);
        const BatchFields tags = b;

        const BatchResult r = PostBuyBatches(b, w);

        EXPECT_TRUE(r.ok()) << quantity;
        EXPECT_FALSE(r.posted) << quantity;
        EXPECT_EQ(w, before) << quantity;
        EXPECT_EQ(b, tags) << quantity;
        EXPECT_EQ(QuantityTagSum(b), 0) << quantity;
    }
}

TEST(BatchSell, AverageAndFeesWithoutABuy)
{
    MainWindowState w = Cleared("上海A股", "3", "1");
    w.profit = Money::FromWhole(-1);
    BatchFields b = Typed("12.00", "500", "13.00", "500");

    ASSERT_TRUE(PostSellBatches(b, w).posted);

    EXPECT_EQ(w.text[11], "12.50");
    EXPECT_EQ(w.text[12], "1,000");
    EXPECT_EQ(w.text[13], "12,500.00");
    EXPECT_EQ(w.text[14], "37.50");
    EXPECT_EQ(w.text[15], "12.50");
    EXPECT_EQ(w.text[16], "2.00");  // two batches of 500 shares, each raised to 1
    EXPECT_EQ(w.text[17], "52.00");
    EXPECT_EQ(w.text[20], "12,448.00");
    EXPECT_EQ(w.sell.quantity, Money::FromWhole(1000));
    // No buy on screen: profit, yield, their labels and the break-even stay.
    EXPECT_EQ(w.text[18], "");
    EXPECT_EQ(w.text[19], "");
    EXPECT_EQ(w.text[9], "");
    EXPECT_EQ(w.label[17].caption, caption::kProfitLoss);
    EXPECT_EQ(w.label[17].colour, Colour::Black);
    EXPECT_EQ(w.profit, Money::FromWhole(-1));
}

TEST(BatchSell, TransferFeePictures)
{
    struct Case {
        const char* market;
        std::array<const char*, 6> batches;
        const char* transferFee;
    };
    for (const Case& c : {Case{"上海A股", {"10", "100", "", "", "", ""}, "1.00"},
                          Case{"上海A股", {"10", "100", "10", "200", "10", "300"}, "3.00"},
                          Case{"上海A股", {"10", "1,000,000", "10", "200", "", ""}, "1,001.00"},
                          Case{"深圳A股", {"10", "100", "", "", "", ""}, "0.00"},
                          Case{"基金、权证", {"10", "100", "", "", "", ""}, "0.00"}}) {
        MainWindowState w = Cleared(c.market);
        const auto& t = c.batches;
        BatchFields b = Typed(t[0], t[1], t[2], t[3], t[4], t[5]);
        ASSERT_TRUE(PostSellBatches(b, w).posted) << c.market;
        EXPECT_EQ(w.text[16], c.transferFee) << c.market << " " << t[1];
    }
}

// The buy side as the batch window leaves it: 10.50 × 2,000, paid 21,086.00 (c = 3, s = 1, Shanghai).
MainWindowState AfterBatchBuy()
{
    MainWindowState w = Cleared("上海A股", "3", "1");
    BatchFields b = Typed("10.00", "1,000", "11.00", "1,000");
    EXPECT_TRUE(PostBuyBatches(b, w).posted);
    return w;
}

TEST(BatchSell, PartialSaleGivesTheRemainingSharesBreakEven)
{
    MainWindowState w = AfterBatchBuy();
    BatchFields b = Typed("12.00", "500", "13.00", "500");

    ASSERT_TRUE(PostSellBatches(b, w).posted);

    EXPECT_EQ(w.text[19], "-8,638.00");
    EXPECT_EQ(w.text[18], "-40.97");  // -8,638 / 21,086 = -40.9656…%
    EXPECT_EQ(w.label[17].caption, caption::kLoss);
    EXPECT_EQ(w.label[17].colour, Colour::Blue);
    EXPECT_EQ(w.label[18].colour, Colour::Blue);
    // 1,000 shares left carry (21000 - 12500 + 86 + 52) / 1000 = 8.638 each.
    EXPECT_EQ(w.text[9], "8.710");
    EXPECT_EQ(w.profit, Money::FromWhole(-8638));
    // The buy side is not touched.
    EXPECT_EQ(w.text[1], "10.50");
    EXPECT_EQ(w.text[8], "10.543");
}

TEST(BatchSell, WholeSaleGivesTheBuyBreakEven)
{
    for (const char* quantity : {"2,000", "2,500"}) {
        MainWindowState w = AfterBatchBuy();
        w.text[9] = "8.710";  // left by an earlier partial sale
        BatchFields b = Typed("11", quantity);

        ASSERT_TRUE(PostSellBatches(b, w).posted);

        EXPECT_EQ(w.text[9], "10.587") << quantity;
        EXPECT_EQ(w.label[17].caption, caption::kGain) << quantity;
        EXPECT_EQ(w.label[17].colour, Colour::Red) << quantity;
    }
}

TEST(BatchSell, ZeroProfitIsAGainAndZeroPaidGivesNoYield)
{
    MainWindowState w = AfterBatchBuy();
    w.text[10] = "12,448.00";  // exactly what the sale below receives
    w.text[18] = "5.00";
    BatchFields b = Typed("12.00", "500", "13.00", "500");
    ASSERT_TRUE(PostSellBatches(b, w).posted);
    EXPECT_EQ(w.text[19], "0.00");
    EXPECT_EQ(w.text[18], "0.00");
    EXPECT_EQ(w.label[17].caption, caption::kGain);
    EXPECT_EQ(w.label[18].colour, Colour::Red);

    w = AfterBatchBuy();
    w.text[10] = "0.00";  // a dividend that covered the whole cost
    b = Typed("12.00", "500");
    ASSERT_TRUE(PostSellBatches(b, w).posted);
    EXPECT_EQ(w.text[18], "");
}

TEST(BatchSell, BoughtQuantityRetypedAwayLeavesTheBreakEven)
{
    MainWindowState w = AfterBatchBuy();
    w.text[2] = "abc";  // typed over without Enter
    BatchFields b = Typed("12", "500");
    ASSERT_TRUE(PostSellBatches(b, w).posted);
    EXPECT_EQ(w.text[9], "10.587");
}

struct FaultCase {
    const char* name;
    bool sell;
    const char* paid;  // Text10 before the post
    const char* commission;
    std::array<const char*, 6> batches;
    Reason reason;
};

class BatchRefusal : public ::testing::TestWithParam<FaultCase> {};

TEST_P(BatchRefusal, LeavesStateAndTagsUnchanged)
{
    const FaultCase& c = GetParam();
    MainWindowState w = Cleared("上海A股", c.commission, "1");
    w.text[10] = c.paid;
    w.text[1] = "1.00";
    w.text[2] = "1";
    const MainWindowState before = w;
    const auto& t = c.batches;
    BatchFields b = Typed(t[0], t[1], t[2], t[3], t[4], t[5]);
    const BatchFields tags = b;

    const BatchResult r = c.sell ? PostSellBatches(b, w) : PostBuyBatches(b, w);

    EXPECT_EQ(r.reason, c.reason);
    EXPECT_FALSE(r.posted);
    EXPECT_EQ(w, before);
    EXPECT_EQ(b, tags);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BatchRefusal,
    ::testing::Values(
        // An average above 214,748.3647 leaves the 32-bit rounding of the price.
        FaultCase{"AveragePrice", false, "", "3", {"300000", "1,000", "", "", "", ""}, Reason::OutOfRange},
        FaultCase{"SellAveragePrice", true, "", "3", {"300000", "1,000", "", "", "", ""}, Reason::OutOfRange},
        // 2e12 yuan: the commission's rounding overflows.
        FaultCase{"Commission", false, "", "3", {"200000", "10,000,000", "", "", "", ""},
                  Reason::OutOfRange},
        // A share count beyond what Money holds.
        FaultCase{"Quantity", false, "", "3", {"", "1e20", "", "", "", ""}, Reason::OutOfRange},
        FaultCase{"Infinite", true, "", "3", {"1e300", "1e300", "1", "1e300", "", ""}, Reason::OutOfRange},
        // A yield of a million per cent on 0.01 paid.
        FaultCase{"Yield", true, "0.01", "3", {"100", "1,000", "", "", "", ""}, Reason::OutOfRange},
        FaultCase{"CommissionRate", false, "", "abc", {"10", "100", "", "", "", ""}, Reason::CommissionRate},
        FaultCase{"SellCommissionRate", true, "", "-1", {"10", "100", "", "", "", ""},
                  Reason::CommissionRate}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BatchMarking, LocksAndRelabelsOneSideOnly)
{
    MainWindowState w = Cleared();
    w.label[10] = {std::string(caption::kSellPrice), Colour::Black, std::string(caption::kSellPriceTip)};
    w.label[2].colour = Colour::Red;

    MarkBuyBatch(w);
    EXPECT_TRUE(w.locked[1] && w.locked[2]);
    EXPECT_FALSE(w.locked[11] || w.locked[12]);
    EXPECT_EQ(w.label[1].caption, "买入均价");
    EXPECT_EQ(w.label[1].toolTip, "多次买入后，所有的股票的平均价格");
    EXPECT_EQ(w.label[2].caption, "持股总数");
    EXPECT_EQ(w.label[2].toolTip, "多次买入所持有的股票");
    EXPECT_EQ(w.label[2].colour, Colour::Red);  // only caption and tool tip change
    EXPECT_EQ(w.label[10].caption, caption::kSellPrice);

    MarkSellBatch(w);
    EXPECT_TRUE(w.locked[11] && w.locked[12]);
    EXPECT_EQ(w.label[10].caption, "卖出均价");
    EXPECT_EQ(w.label[10].toolTip, "多次卖出的所有股票的平均价格");
    EXPECT_EQ(w.label[11].caption, "卖出总数");
    EXPECT_EQ(w.label[11].toolTip, "多次卖出的所有股票的总数");

    UnlockBuyBatch(w);
    EXPECT_FALSE(w.locked[1] || w.locked[2]);
    EXPECT_EQ(w.label[2].caption, "持股总数");
    UnlockSellBatch(w);
    EXPECT_FALSE(w.locked[11] || w.locked[12]);
    EXPECT_EQ(w.label[11].caption, "卖出总数");
}

} // namespace
} // namespace qcal
