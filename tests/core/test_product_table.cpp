// A kind of security is a row of the product table: handed a table with a made-up kind (its own
// tick, lots and fees), every computation handles it with no other change.

#include <gtest/gtest.h>

#include <array>

#include "core/average_down.h"
#include "core/batch.h"
#include "core/convert.h"
#include "core/mini.h"
#include "core/numtext.h"
#include "core/target.h"
#include "main_state_fixture.h"

namespace qcal {
namespace {

// Bought 50 at least and then in fifties, priced on a tick of 0.005, stamp duty on sells, no
// transfer fee.
constexpr std::array kTable = {
    Instrument{.name = "测试品种", .exchange = Exchange::Shanghai, .tick = Money::FromRaw(50),
               .leastBuy = Money::FromRaw(500000), .buyStep = Money::FromRaw(500000),
               .sellRule = SellRule::WholeLots, .sellLot = Money::FromRaw(500000), .stampDuty = Charged::OnSells,
               .own = OwnModel::ShenzhenShares, .breakEven = true, .unit = "份"},
};
const InstrumentTable kMadeUp = kTable;

FeeSettings MadeUp() { return {"3", "1", "测试品种", FeeRules::Current, false, {}, &kMadeUp}; }

bool OnTick(const std::string& price) { return ParseMoney(price)->Raw() % 50 == 0; }

TEST(ProductTable, AMadeUpKindIsChargedByItsRow)
{
    const auto schedule = ReadSchedule(MadeUp()).schedule;
    ASSERT_TRUE(schedule);
    EXPECT_EQ(schedule->instrument().name, "测试品种");
    EXPECT_EQ(schedule->Tick(), Money::FromRaw(50));
    const auto buy = schedule->Charge(Side::Buy, Money::FromWhole(10000), Money::FromWhole(1000));
    const auto sell = schedule->Charge(Side::Sell, Money::FromWhole(10000), Money::FromWhole(1000));
    EXPECT_EQ(buy->commission, Money::FromWhole(30));
    EXPECT_EQ(buy->stampDuty, Money());
    EXPECT_EQ(sell->stampDuty, Money::FromWhole(5));
    EXPECT_EQ(buy->transferFee + sell->transferFee, Money());
    // A name the table does not have is the unknown kind: no break-even.
    FeeSettings other = MadeUp();
    other.market = kShanghai;
    EXPECT_EQ(ReadSchedule(other).schedule->instrument().name, std::string_view());
}

TEST(ProductTable, EveryComputationTakesTheMadeUpKind)
{
    // The converter: 10,000 at 10 buys 950 (1,000 would cost 10,030.00 with its commission).
    ConverterFields converter{"10000", "10", "", "", ""};
    ASSERT_TRUE(ConvertAmount(converter, MadeUp()).ok());
    EXPECT_EQ(converter.shares, "950");
    EXPECT_EQ(converter.payment, "9,528.50");

    // The mini window: the break-even on the kind's tick.
    MiniFields mini{"10", "1000", ""};
    ASSERT_TRUE(ComputeMini(mini, MadeUp()).ok());
    EXPECT_TRUE(OnTick(mini.breakEven)) << mini.breakEven;
    EXPECT_EQ(mini.breakEven, "10.070");  // the tick's three decimals; at 10.065 a sale nets 10,029.77

    // The target window: the target price and every ladder price on the tick.
    TargetFields target;
    target.text[target::BuyPrice] = "10";
    target.text[target::Quantity] = "1000";
    target.text[target::Yield] = "5";
    const TargetResult result = ComputeTargetPrice(target, TargetBy::Yield, MadeUp());
    ASSERT_TRUE(result.outcome.ok());
    EXPECT_TRUE(OnTick(target.text[target::Price])) << target.text[target::Price];
    for (const LadderRow& row : result.ladder)
        EXPECT_EQ(row.sale.price.Raw() % 50, 0) << row.text[0];

    // Averaging down: a whole number of the kind's lots.
    PositionFields position;
    position.text[position::Held] = "1000";
    position.text[position::Cost] = "10";
    position.text[position::Price] = "8";
    position.text[position::TargetCost] = "9";
    ASSERT_TRUE(ComputeAverageDown(position, MadeUp()).ok());
    EXPECT_EQ(MoneyOrZero(position.text[position::SharesToBuy]).Raw() % 500000, 0) << position.text[position::SharesToBuy];
    position.text[position::SharesToBuy] = "125";
    EXPECT_EQ(ComputeAverageDownShares(position, MadeUp()).reason, Reason::FieldNotWholeLot);

    // The batches: each a trade of its own, no transfer fee, stamp duty on the sell only.
    MainWindowState window = test::ClearedWindow("测试品种", "1");
    window.fees = MadeUp();
    BatchFields batches;
    batches.text = {"", "10", "500", "10.5", "500", "", ""};
    StoreBatchInputs(batches);
    ASSERT_TRUE(PostSellBatches(batches, window).posted);
    EXPECT_EQ(window.text[SellCommission], "30.75");  // 15.00 + 15.75
    EXPECT_EQ(window.text[SellStampDuty], "5.13");    // 2.50 + 2.63
    EXPECT_EQ(window.text[SellTransferFee], "0.00");
}

} // namespace
} // namespace qcal
