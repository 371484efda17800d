#include "core/batch.h"

#include <array>
#include <optional>
#include <utility>

#include "core/calc_steps.h"
#include "core/captions.h"
#include "core/input_checks.h"
#include "core/numtext.h"
#include "core/picture.h"
#include "core/rounding.h"

namespace qcal {

namespace {

using namespace steps;

double Tag(const BatchFields& b, int field) { return NumberOrZero(b.tag[field]); }

// A tag read exactly, for the current rules.
Money TagMoney(const BatchFields& b, int field) { return MoneyOrZero(b.tag[field]); }

// Where one side's figures go.
struct SideLayout {
    Side side;
    Field price, quantity, amount, commission, stampDuty, transferFee, totalFees;
    std::string_view batchTransferPicture;  // the sum of the batches' own transfer fees
};

constexpr SideLayout kBuySide{Side::Buy,   BuyPrice,       BuyQuantity, BuyAmount, BuyCommission,
                              BuyStampDuty, BuyTransferFee, BuyFees,     "##0.00"};
constexpr SideLayout kSellSide{Side::Sell,    SellPrice,       SellQuantity, SellAmount,  SellCommission,
                               SellStampDuty, SellTransferFee, SellFees,     "###,###.00"};

// A side's figures as posted, and the schedule they were charged by (read once per post).
struct Charged {
    SideFigures figures;
    FeeSchedule schedule;
};

// The averaging and the fees, shared by both sides. Returns nullopt when no batch has a quantity.
std::optional<Charged> AverageAndCharge(BatchFields& b, MainWindowState& s, const SideLayout& side)
{
    double Q = 0;
    double A = 0;
    for (int batch = 1; batch <= kBatchCount; ++batch) {
        Q += Tag(b, BatchQuantityField(batch));
        A += Tag(b, BatchPriceField(batch)) * Tag(b, BatchQuantityField(batch));
    }
    // Every counted quantity is at least one share, so Q is 0 or at least 1; "below 1" also keeps a
    // caller that skipped the capture from dividing by a total that shows as no shares.
    if (!(Q >= 1))
        return std::nullopt;
    // Only now: with nothing to post, an unusable rate is no reason for a message.
    const FeeSchedule schedule = ScheduleOrRefuse(s.fees);
    const bool exact = schedule.model().ExactDecimals();

    SideFigures m;
    Show(s, side.price, RoundDecimals(A / Q, 4), kPricePicture);
    Show(s, side.quantity, Q, kSharesPicture);
    m.price = Money::FromDouble(Shown(s, side.price));
    m.quantity = Money::FromDouble(Shown(s, side.quantity));

    std::array<Batch, kBatchCount> batches{};
    for (int batch = 1; batch <= kBatchCount; ++batch)
        batches[batch - 1] = {TagMoney(b, BatchPriceField(batch)), TagMoney(b, BatchQuantityField(batch))};
    // Each batch is a trade the exchange must take (the batch field is the one to correct).
    const std::optional<Money> held =
        s.text[Paid].empty() ? std::nullopt : std::optional<Money>(MoneyOrZero(s.text[BuyQuantity]));
    for (int batch = 1; batch <= kBatchCount; ++batch) {
        const Money quantity = batches[batch - 1].quantity;
        if (quantity <= Money())
            continue;
        const int field = BatchQuantityField(batch);
        const Outcome lot = side.side == Side::Buy ? BuyLotRefusal(schedule, quantity, field)
                                                   : SellLotRefusal(schedule, quantity, held, field);
        if (!lot.ok())
            throw Refused{lot};
    }
    // The whole amount, grouped like every sum, its third and fourth decimals kept when a price has
    // them: in exact decimals the batches' own to the last digit, in the own model the double sum.
    if (exact) {
        for (const Batch& batch : batches)
            m.amount += batch.price * batch.quantity;
        Show(s, side.amount, m.amount, kExactAmountPicture);
    } else {
        Show(s, side.amount, A, kExactAmountPicture);
        m.amount = Money::FromDouble(Shown(s, side.amount));
    }

    const auto charged = schedule.ChargeBatches(side.side, batches, m.amount, m.quantity);
    if (!charged)
        throw Refused{Refusal(Reason::OutOfRange)};
    m.commission = charged->fees.commission;
    m.stampDuty = charged->fees.stampDuty;
    m.transferFee = charged->fees.transferFee;
    Show(s, side.commission, m.commission, kAmountPicture);
    Show(s, side.stampDuty, m.stampDuty, kAmountPicture);
    if (const auto& perBatch = charged->batchTransferFees) {
        // Each batch's own transfer fee goes into its quantity's tag, where the next post reads it.
        for (int batch = 1; batch <= kBatchCount; ++batch)
            b.tag[BatchQuantityField(batch)] = FormatPlain((*perBatch)[static_cast<std::size_t>(batch - 1)]);
        Show(s, side.transferFee, m.transferFee, side.batchTransferPicture);
    } else {
        Show(s, side.transferFee, m.transferFee, kAmountPicture);
    }

    if (exact) {
        m.fees = charged->fees.Total();
        Show(s, side.totalFees, m.fees, kAmountPicture);
    } else {
        const double total = Shown(s, side.commission) + Shown(s, side.stampDuty) + Shown(s, side.transferFee);
        Show(s, side.totalFees, RoundDecimals(total, 2), kAmountPicture);
        m.fees = Money::FromDouble(Shown(s, side.totalFees));
    }
    return Charged{m, schedule};
}

bool BuySteps(BatchFields& b, MainWindowState& s)
{
    const auto charged = AverageAndCharge(b, s, kBuySide);
    if (!charged)
        return false;
    const SideFigures& m = charged->figures;

    // The amount plus the fees per share, rounded up to the thousandth; exactly under the current rules.
    if (charged->schedule.model().ExactDecimals()) {
        const Money paid = ShownMoney(s, BuyAmount) + ShownMoney(s, BuyFees);
        Show(s, BuyCost, CostPerShareRoundedUp(paid, ShownMoney(s, BuyQuantity)), kThousandthsPicture);
        Show(s, Paid, paid, kAmountPicture);
    } else {
        const double cost = (Shown(s, BuyFees) + Shown(s, BuyAmount)) / Shown(s, BuyQuantity);
        Show(s, BuyCost, RoundUpToThousandth(cost * 1000), kThousandthsPicture);
        Show(s, Paid, Shown(s, BuyAmount) + Shown(s, BuyFees), kAmountPicture);
    }

    const Holding holding{m.price, m.quantity, ShownMoney(s, Paid)};
    Show(s, BreakEven, BreakEvenOrRefuse(holding, charged->schedule), kThousandthsPicture);
    s.label[BreakEvenLabel].colour = Colour::Red;

    // The main window's state follows the screen, so that a later single sell compares with the
    // batches and a later whole sale can bring this break-even back.
    s.buy = m;
    s.buyBreakEven = s.text[BreakEven];
    s.shownBuy = ShownBuy{s.CurrentBuyBasis(), m.price, m.quantity};
    return true;
}

bool SellSteps(BatchFields& b, MainWindowState& s)
{
    const auto charged = AverageAndCharge(b, s, kSellSide);
    if (!charged)
        return false;

    const FeeSchedule& schedule = charged->schedule;
    const bool exact = schedule.model().ExactDecimals();
    if (exact)
        Show(s, Received, ShownMoney(s, SellAmount) - ShownMoney(s, SellFees), kAmountPicture);
    else
        Show(s, Received, Shown(s, SellAmount) - Shown(s, SellFees), kAmountPicture);
    s.sell = charged->figures;

    // Without a buy on screen there is nothing to compare the sale with.
    if (s.text[Paid].empty())
        return true;

    if (exact)
        Show(s, ProfitOrShares, ShownMoney(s, Received) - ShownMoney(s, Paid), kAmountPicture);
    else
        Show(s, ProfitOrShares, Shown(s, Received) - Shown(s, Paid), kAmountPicture);
    s.profit = ShownMoney(s, ProfitOrShares);

    ShowYield(s, Shown(s, ProfitOrShares), Shown(s, Paid));
    ShowProfitLabel(s, Shown(s, ProfitOrShares) < 0);

    const double sold = Shown(s, SellQuantity);
    const double bought = Shown(s, BuyQuantity);
    if (sold < bought) {
        // The buy amount less the sell amount plus both sides' fees, carried by the shares left.
        const double remaining = bought - sold;
        const double price =
            (Shown(s, BuyAmount) - Shown(s, SellAmount) + Shown(s, BuyFees) + Shown(s, SellFees)) / remaining;
        const Money R = Money::FromDouble(remaining);
        // A sliver of a share (a retyped holding) rounds to no shares: there is no price to find.
        const Holding holding{Money::FromDouble(price), R, ShownDifference(s, Paid, Received, schedule)};
        if (R > Money())
            Show(s, BreakEven, BreakEvenOrRefuse(holding, schedule), kThousandthsPicture);
    } else {
        // Text2 can have been emptied or retyped without Enter since the buy: without shares
        // bought there is no break-even of the buy to give.
        const Money Q = Money::FromDouble(bought);
        const Holding holding{Money::FromDouble(Shown(s, BuyPrice)), Q, ShownMoney(s, Paid)};
        if (Q > Money())
            Show(s, BreakEven, BreakEvenOrRefuse(holding, schedule), kThousandthsPicture);
    }
    return true;
}

// Runs a post on copies of the tags and the state and hands them over only when it completed. The
// tags as the post read them are kept in the state's member `posted`.
template <typename Steps>
BatchResult AllOrNothing(BatchFields& fields, MainWindowState& state, Steps steps,
                         std::optional<BatchValues> MainWindowState::*posted)
{
    std::pair<BatchFields, MainWindowState> both{fields, state};
    bool wrote = false;
    BatchResult result;
    static_cast<Outcome&>(result) = OnCopy(both, [&](std::pair<BatchFields, MainWindowState>& work) {
        const Outcome outcome = Attempt([&] { wrote = steps(work.first, work.second); });
        if (outcome.ok() && wrote)
            work.second.*posted = fields.tag;
        return outcome;
    });
    if (!result.ok())
        return result;
    fields = std::move(both.first);
    state = std::move(both.second);
    result.posted = wrote;
    return result;
}

template <typename Steps>
BatchResult Repost(MainWindowState& state, Steps steps, std::optional<BatchValues> MainWindowState::*posted)
{
    if (!(state.*posted))
        return {};
    BatchFields b;
    b.tag = *(state.*posted);
    return AllOrNothing(b, state, steps, posted);
}

} // namespace

void StoreBatchInputs(BatchFields& fields)
{
    for (int i = 1; i <= kBatchFieldCount; ++i) {
        const std::string& text = fields.text[i];
        bool accepted = IsPositiveAmountText(text);
        if (accepted && IsBatchQuantityField(i))
            accepted = NumberOrZero(text) >= 1;
        fields.tag[i] = accepted ? text : std::string("0");
    }
}

double QuantityTagSum(const BatchFields& fields)
{
    double sum = 0;
    for (int batch = 1; batch <= kBatchCount; ++batch)
        sum += Tag(fields, BatchQuantityField(batch));
    return sum;
}

BatchResult PostBuyBatches(BatchFields& fields, MainWindowState& state)
{
    return AllOrNothing(fields, state, BuySteps, &MainWindowState::buyBatches);
}

BatchResult PostSellBatches(BatchFields& fields, MainWindowState& state)
{
    return AllOrNothing(fields, state, SellSteps, &MainWindowState::sellBatches);
}

BatchResult RepostBuyBatches(MainWindowState& state) { return Repost(state, BuySteps, &MainWindowState::buyBatches); }

BatchResult RepostSellBatches(MainWindowState& state)
{
    return Repost(state, SellSteps, &MainWindowState::sellBatches);
}

namespace {

// A side's input fields and labels as the batch windows mark them.
struct BatchMarks {
    Field price, quantity;
    MainLabel priceLabel, quantityLabel;
    std::string_view priceCaption, priceTip, quantityCaption, quantityTip;
    std::optional<BatchValues> MainWindowState::*posted;
};

constexpr BatchMarks kBuyMarks{BuyPrice,          BuyQuantity,           BuyPriceLabel,
                               BuyQuantityLabel,  caption::kBatchAveragePrice, caption::kBatchAveragePriceTip,
                               caption::kBatchTotal, caption::kBatchTotalTip, &MainWindowState::buyBatches};
constexpr BatchMarks kSellMarks{SellPrice,          SellQuantity,           SellPriceLabel,
                                SellQuantityLabel,  caption::kBatchSellAveragePrice, caption::kBatchSellAveragePriceTip,
                                caption::kBatchSellTotal, caption::kBatchSellTotalTip, &MainWindowState::sellBatches};

void Mark(MainWindowState& state, const BatchMarks& side)
{
    state.locked[side.price] = state.locked[side.quantity] = true;
    state.label[side.priceLabel].caption = side.priceCaption;
    state.label[side.priceLabel].toolTip = side.priceTip;
    state.label[side.quantityLabel].caption = side.quantityCaption;
    state.label[side.quantityLabel].toolTip = side.quantityTip;
}

void Unlock(MainWindowState& state, const BatchMarks& side)
{
    state.locked[side.price] = state.locked[side.quantity] = false;
    (state.*side.posted).reset();
}

} // namespace

void MarkBuyBatch(MainWindowState& state) { Mark(state, kBuyMarks); }
void MarkSellBatch(MainWindowState& state) { Mark(state, kSellMarks); }
void UnlockBuyBatch(MainWindowState& state) { Unlock(state, kBuyMarks); }
void UnlockSellBatch(MainWindowState& state) { Unlock(state, kSellMarks); }

} // namespace qcal
