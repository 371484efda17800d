// Changing the fee rules under figures on screen: the buy and the sale are charged again from what
// they were computed from, whatever was typed or reset since, and switching back gives the first
// figures again.

#include <gtest/gtest.h>

#include <string>

#include "core/batch.h"
#include "core/captions.h"
#include "core/recalculate.h"
#include "core/trade.h"
#include "main_state_fixture.h"

namespace qcal {
namespace {

using test::Buy;
using test::Sell;

BatchFields Batches(const char* p1, const char* q1, const char* p2, const char* q2)
{
    BatchFields b;
    b.text = {"", p1, q1, p2, q2, "", ""};
    StoreBatchInputs(b);
    return b;
}

void SwitchRules(MainWindowState& w, FeeRules rules)
{
    w.fees.rules = rules;
    ASSERT_TRUE(RecalculateShownBuy(w).ok());
    ASSERT_TRUE(RecalculateShownSale(w).ok());
}

// The same inputs computed afresh under the given rules.
MainWindowState Fresh(FeeRules rules, void (*compute)(MainWindowState&))
{
    MainWindowState w = test::ClearedWindow();
    w.fees.rules = rules;
    compute(w);
    return w;
}

void ExpectSameFigures(const MainWindowState& got, const MainWindowState& want)
{
    for (int f = 1; f <= kFieldCount; ++f)
        EXPECT_EQ(got.text[f], want.text[f]) << "Text" << f;
    EXPECT_EQ(got.label[BuyQuantityLabel].caption, want.label[BuyQuantityLabel].caption);
}

// A multi-batch buy on 上海A股 under the program's own rules leaves the batches' transfer fees where the
// window kept their quantities: the repost must read the batches as they were typed.
TEST(RulesChange, AMultiBatchBuyAndSellArePostedAgainFromTheirBatches)
{
    const auto compute = [](MainWindowState& w) {
        BatchFields buy = Batches("10.00", "1,000", "11.00", "1000");
        ASSERT_TRUE(PostBuyBatches(buy, w).posted);
        MarkBuyBatch(w);
        BatchFields sell = Batches("12.00", "500", "12.50", "500");
        ASSERT_TRUE(PostSellBatches(sell, w).posted);
        MarkSellBatch(w);
    };
    const MainWindowState own = Fresh(FeeRules::Own, compute);
    const MainWindowState current = Fresh(FeeRules::Current, compute);
    ASSERT_NE(own.text[BuyFees], current.text[BuyFees]);

    MainWindowState w = own;
    SwitchRules(w, FeeRules::Current);
    EXPECT_EQ(w.text[BuyQuantity], "2,000");
    ExpectSameFigures(w, current);
    SwitchRules(w, FeeRules::Own);
    ExpectSameFigures(w, own);
}

TEST(RulesChange, ABuyIsComputedAgainAfterEnterResetItsCalculation)
{
    const auto compute = [](MainWindowState& w) {
        Buy(w, "10.00", "1000");
        Sell(w, "10.50", "1000");
    };
    const MainWindowState current = Fresh(FeeRules::Current, compute);
    MainWindowState w = Fresh(FeeRules::Own, compute);
    w.ResetBuySide();  // Enter in the price field forgets the buy's figures
    w.ResetSellSide();
    SwitchRules(w, FeeRules::Current);
    ExpectSameFigures(w, current);
}

TEST(RulesChange, InputsThatNoLongerPassArePutBackAndOnesThatPassAreTaken)
{
    const auto first = [](MainWindowState& w) { Buy(w, "10.00", "1000"); };
    const auto retyped = [](MainWindowState& w) { Buy(w, "12.00", "1000"); };
    for (const char* typed : {"abc", "0", ""}) {
        MainWindowState w = Fresh(FeeRules::Own, first);
        w.text[BuyPrice] = typed;
        SwitchRules(w, FeeRules::Current);
        ExpectSameFigures(w, Fresh(FeeRules::Current, first));
    }
    MainWindowState w = Fresh(FeeRules::Own, first);
    w.text[BuyPrice] = "12.00";
    SwitchRules(w, FeeRules::Current);
    ExpectSameFigures(w, Fresh(FeeRules::Current, retyped));
}

TEST(RulesChange, AHoldingDoesNotTakeItsBonusSharesTwice)
{
    const auto compute = [](MainWindowState& w) {
        w.text[Bonus] = "10";
        Buy(w, "10.00", "1000");
    };
    MainWindowState w = Fresh(FeeRules::Own, compute);
    ASSERT_EQ(w.label[BuyQuantityLabel].caption, caption::kHolding);
    SwitchRules(w, FeeRules::Current);
    ExpectSameFigures(w, Fresh(FeeRules::Current, compute));
    SwitchRules(w, FeeRules::Own);
    ExpectSameFigures(w, Fresh(FeeRules::Own, compute));
}

TEST(RulesChange, NothingOnScreenIsNothingToDo)
{
    MainWindowState w = test::ClearedWindow();
    const MainWindowState before = w;
    SwitchRules(w, FeeRules::Current);
    w.fees.rules = FeeRules::Own;
    EXPECT_EQ(w, before);
}

TEST(RulesChange, TheBatchWindowsClearForgetsTheBatches)
{
    MainWindowState w = test::ClearedWindow();
    BatchFields buy = Batches("10.00", "1,000", "", "");
    ASSERT_TRUE(PostBuyBatches(buy, w).posted);
    ASSERT_TRUE(w.buyBatches);
    UnlockBuyBatch(w);
    EXPECT_FALSE(w.buyBatches);
}

} // namespace
} // namespace qcal
