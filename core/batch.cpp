#include "core/batch.h"

#include <optional>
#include <utility>

#include "core/calc_steps.h"
#include "core/captions.h"
#include "core/fees.h"
#include "core/input_checks.h"
#include "core/numtext.h"
#include "core/picture.h"
#include "core/rounding.h"

namespace qcal {

namespace {

using namespace steps;

constexpr std::string_view kZeroPicture = "0.00";

double Tag(const BatchFields& b, int field) { return NumberOrZero(b.tag[field]); }

// A tag read exactly, for the current rules.
Money TagMoney(const BatchFields& b, int field) { return MoneyOrZero(b.tag[field]); }

// The amount as the batch windows write it: plain digits, no grouping, trailing zeros dropped.

// Where one side's figures go.
struct SideLayout {
    Side side;
    Field price, quantity, amount, commission, stampDuty, transferFee, totalFees;
    std::string_view shanghaiTransferPicture;
    std::string_view otherTransferPicture;
};

constexpr SideLayout kBuySide{Side::Buy,      BuyPrice, BuyQuantity, BuyAmount, BuyCommission, BuyStampDuty,
                              BuyTransferFee, BuyFees,  "##0.00",    "0.00"};
constexpr SideLayout kSellSide{Side::Sell,      SellPrice, SellQuantity, SellAmount,   SellCommission, SellStampDuty,
                               SellTransferFee, SellFees,  "###,###.00", "##0.00"};

// A side's figures as posted, and the rates they were charged at (read once per post).
struct Charged {
    SideFigures figures;
    Rates rates;
};

// Under the current rules each batch is a trade of its own: its own commission with its own
// minimum, its own transfer fee and, on sells, its own stamp duty. The fee fields show the sums.
void ChargeEachBatch(const BatchFields& b, MainWindowState& s, const SideLayout& side, const Rates& rates,
                     SideFigures& m)
{
    for (int batch = 1; batch <= kBatchCount; ++batch) {
        const Money quantity = TagMoney(b, BatchQuantityField(batch));
        if (quantity <= Money())
            continue;
        const Money amount = TagMoney(b, BatchPriceField(batch)) * quantity;
        const auto fees = TradeFees(amount, quantity, side.side, rates);
        if (!fees)
            throw Refused{Refusal(Reason::OutOfRange)};
        m.commission += fees->commission;
        m.stampDuty += fees->stampDuty;
        m.transferFee += fees->transferFee;
    }
    m.fees = m.commission + m.stampDuty + m.transferFee;
    Show(s, side.commission, m.commission, kAmountPicture);
    Show(s, side.stampDuty, m.stampDuty, kAmountPicture);
    Show(s, side.transferFee, m.transferFee, kAmountPicture);
    Show(s, side.totalFees, m.fees, kAmountPicture);
}

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
    const Rates rates = RatesOrRefuse(s.fees);

    SideFigures m;
    Show(s, side.price, RoundDecimals(A / Q, 4), kPricePicture);
    Show(s, side.quantity, Q, kSharesPicture);
    m.price = Money::FromDouble(Shown(s, side.price));
    m.quantity = Money::FromDouble(Shown(s, side.quantity));

    if (rates.rules == FeeRules::Current) {
        // The amount is the batches' own, exact to the last digit, not a sum of doubles.
        for (int batch = 1; batch <= kBatchCount; ++batch)
            m.amount += TagMoney(b, BatchPriceField(batch)) * TagMoney(b, BatchQuantityField(batch));
        Show(s, side.amount, m.amount, kExactAmountPicture);
        ChargeEachBatch(b, s, side, rates, m);
        return Charged{m, rates};
    }
    // The whole amount, grouped like every sum, its third and fourth decimals kept when a price has them.
    Show(s, side.amount, A, kExactAmountPicture);
    m.amount = Money::FromDouble(Shown(s, side.amount));

    // Commission (with its 5-yuan minimum) and stamp duty on the amount as written; the transfer
    // fee of a single trade is not wanted here.
    const auto fees = SideFees(m.amount, m.quantity, rates);
    if (!fees)
        throw Refused{Refusal(Reason::OutOfRange)};
    m.commission = fees->commission;
    Show(s, side.commission, m.commission, kAmountPicture);
    if (rates.market == Market::Funds) {
        m.stampDuty = Money();
        Show(s, side.stampDuty, 0, kZeroPicture);
    } else {
        m.stampDuty = fees->stampDuty;
        Show(s, side.stampDuty, m.stampDuty, kAmountPicture);
    }

    // Each batch pays its own transfer fee with its own minimum: three batches of 100 shares pay
    // 3.00, where one trade of 300 shares would pay 1.00.
    if (rates.market == Market::Shanghai) {
        double transfer = 0;
        for (int batch = 1; batch <= kBatchCount; ++batch) {
            const int field = BatchQuantityField(batch);
            const double f = Tag(b, field) * 0.001;
            b.tag[field] = (f > 0 && f < 1) ? std::string("1") : FormatPlain(f);
            transfer += Tag(b, field);
        }
        m.transferFee = Money::FromDouble(transfer);
        Show(s, side.transferFee, transfer, side.shanghaiTransferPicture);
    } else {
        m.transferFee = Money();
        Show(s, side.transferFee, 0, side.otherTransferPicture);
    }

    const double total = Shown(s, side.commission) + Shown(s, side.stampDuty) + Shown(s, side.transferFee);
    Show(s, side.totalFees, RoundDecimals(total, 2), kAmountPicture);
    m.fees = Money::FromDouble(Shown(s, side.totalFees));
    return Charged{m, rates};
}

bool BuySteps(BatchFields& b, MainWindowState& s)
{
    const auto charged = AverageAndCharge(b, s, kBuySide);
    if (!charged)
        return false;
    const SideFigures& m = charged->figures;

    // The amount plus the fees per share, rounded up to the thousandth; exactly under the current rules.
    if (charged->rates.rules == FeeRules::Current) {
        const Money paid = ShownMoney(s, BuyAmount) + ShownMoney(s, BuyFees);
        Show(s, BuyCost, CostPerShareRoundedUp(paid, ShownMoney(s, BuyQuantity)), kThousandthsPicture);
        Show(s, Paid, paid, kAmountPicture);
    } else {
        const double cost = (Shown(s, BuyFees) + Shown(s, BuyAmount)) / Shown(s, BuyQuantity);
        Show(s, BuyCost, RoundUpToThousandth(cost * 1000), kThousandthsPicture);
        Show(s, Paid, Shown(s, BuyAmount) + Shown(s, BuyFees), kAmountPicture);
    }

    const Holding holding{m.price, m.quantity, ShownMoney(s, Paid)};
    Show(s, BreakEven, BreakEvenOrRefuse(holding, charged->rates), kThousandthsPicture);
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

    const Rates& rates = charged->rates;
    if (rates.rules == FeeRules::Current)
        Show(s, Received, ShownMoney(s, SellAmount) - ShownMoney(s, SellFees), kAmountPicture);
    else
        Show(s, Received, Shown(s, SellAmount) - Shown(s, SellFees), kAmountPicture);
    s.sell = charged->figures;

    // Without a buy on screen there is nothing to compare the sale with.
    if (s.text[Paid].empty())
        return true;

    if (rates.rules == FeeRules::Current)
        Show(s, ProfitOrShares, ShownMoney(s, Received) - ShownMoney(s, Paid), kAmountPicture);
    else
        Show(s, ProfitOrShares, Shown(s, Received) - Shown(s, Paid), kAmountPicture);
    s.profit = ShownMoney(s, ProfitOrShares);

    // A paid amount of 0 or less (a dividend at or above the cost) gives no meaningful yield.
    const double paid = Shown(s, Paid);
    if (paid > 0)
        Show(s, Yield, RoundInt32(Shown(s, ProfitOrShares) / paid * 10000) / 100.0, kAmountPicture);
    else
        s.text[Yield].clear();

    const bool loss = Shown(s, ProfitOrShares) < 0;
    s.label[ProfitLabel].caption = loss ? caption::kLoss : caption::kGain;
    s.label[ProfitLabel].colour = s.label[YieldLabel].colour = loss ? Colour::Blue : Colour::Red;

    const double sold = Shown(s, SellQuantity);
    const double bought = Shown(s, BuyQuantity);
    if (sold < bought) {
        // The buy amount less the sell amount plus both sides' fees, carried by the shares left.
        const double remaining = bought - sold;
        const double price =
            (Shown(s, BuyAmount) - Shown(s, SellAmount) + Shown(s, BuyFees) + Shown(s, SellFees)) / remaining;
        const Money R = Money::FromDouble(remaining);
        // A sliver of a share (a retyped holding) rounds to no shares: there is no price to find.
        const Holding holding{Money::FromDouble(price), R, ShownDifference(s, Paid, Received, rates.rules)};
        if (R > Money())
            Show(s, BreakEven, BreakEvenOrRefuse(holding, rates), kThousandthsPicture);
    } else {
        // Text2 can have been emptied or retyped without Enter since the buy: without shares
        // bought there is no break-even of the buy to give.
        const Money Q = Money::FromDouble(bought);
        const Holding holding{Money::FromDouble(Shown(s, BuyPrice)), Q, ShownMoney(s, Paid)};
        if (Q > Money())
            Show(s, BreakEven, BreakEvenOrRefuse(holding, rates), kThousandthsPicture);
    }
    return true;
}

// Runs a post on copies of the tags and the state and hands them over only when it completed. The
// tags as the post read them are kept in the state's member `posted`.
template <typename Steps>
BatchResult AllOrNothing(BatchFields& fields, MainWindowState& state, Steps steps,
                         std::optional<BatchValues> MainWindowState::*posted)
{
    BatchFields b = fields;
    MainWindowState s = state;
    bool wrote = false;
    BatchResult result;
    static_cast<Outcome&>(result) = Attempt([&] { wrote = steps(b, s); });
    if (!result.ok())
        return result;
    if (wrote)
        s.*posted = fields.tag;
    fields = std::move(b);
    state = std::move(s);
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

void MarkBuyBatch(MainWindowState& state)
{
    state.locked[BuyPrice] = state.locked[BuyQuantity] = true;
    state.label[BuyPriceLabel].caption = caption::kBatchAveragePrice;
    state.label[BuyPriceLabel].toolTip = caption::kBatchAveragePriceTip;
    state.label[BuyQuantityLabel].caption = caption::kBatchTotal;
    state.label[BuyQuantityLabel].toolTip = caption::kBatchTotalTip;
}

void MarkSellBatch(MainWindowState& state)
{
    state.locked[SellPrice] = state.locked[SellQuantity] = true;
    state.label[SellPriceLabel].caption = caption::kBatchSellAveragePrice;
    state.label[SellPriceLabel].toolTip = caption::kBatchSellAveragePriceTip;
    state.label[SellQuantityLabel].caption = caption::kBatchSellTotal;
    state.label[SellQuantityLabel].toolTip = caption::kBatchSellTotalTip;
}

void UnlockBuyBatch(MainWindowState& state)
{
    state.locked[BuyPrice] = state.locked[BuyQuantity] = false;
    state.buyBatches.reset();
}

void UnlockSellBatch(MainWindowState& state)
{
    state.locked[SellPrice] = state.locked[SellQuantity] = false;
    state.sellBatches.reset();
}

} // namespace qcal
