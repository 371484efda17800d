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

// Where one side's figures go.
struct SideLayout {
    int price, quantity, amount, commission, stampDuty, transferFee, totalFees;
    std::string_view shanghaiTransferPicture;
    std::string_view otherTransferPicture;
};

constexpr SideLayout kBuySide{1, 2, 3, 4, 5, 6, 7, "##0.00", "0.00"};
constexpr SideLayout kSellSide{11, 12, 13, 14, 15, 16, 17, "###,###.00", "##0.00"};

struct SideMoney {
    Money price, quantity, amount, commission, stampDuty, transferFee, fees;
};

// The averaging and the fees, shared by both sides. Returns nullopt when no batch has a quantity.
std::optional<SideMoney> AverageAndCharge(BatchFields& b, MainWindowState& s, const SideLayout& side)
{
    const double Q = Tag(b, 2) + Tag(b, 4) + Tag(b, 6);
    // Every counted quantity is at least one share, so Q is 0 or at least 1; "below 1" also keeps a
    // caller that skipped the capture from dividing by a total that shows as no shares.
    if (!(Q >= 1))
        return std::nullopt;
    // Only now: with nothing to post, an unusable rate is no reason for a message.
    const Rates rates = RatesOrRefuse(s.fees);
    const double A = Tag(b, 1) * Tag(b, 2) + Tag(b, 3) * Tag(b, 4) + Tag(b, 5) * Tag(b, 6);

    SideMoney m;
    Show(s, side.price, RoundDecimals(A / Q, 4), kPricePicture);
    Show(s, side.quantity, Q, kSharesPicture);
    s.text[side.amount] = FormatPlain(A);
    m.price = Money::FromDouble(Shown(s, side.price));
    m.quantity = Money::FromDouble(Shown(s, side.quantity));
    m.amount = Money::FromDouble(Shown(s, side.amount));

    // Commission (with its 5-yuan minimum) and stamp duty on the amount as written; the transfer
    // fee of a single trade is not wanted here.
    const auto fees = SideFees(m.amount, m.quantity, s.fees);
    if (!fees)
        throw Refused{CalcFailure::OutOfRange};
    m.commission = fees->commission;
    Show(s, side.commission, m.commission.ToDouble(), kAmountPicture);
    if (rates.market == Market::Funds) {
        m.stampDuty = Money();
        Show(s, side.stampDuty, 0, kZeroPicture);
    } else {
        m.stampDuty = fees->stampDuty;
        Show(s, side.stampDuty, m.stampDuty.ToDouble(), kAmountPicture);
    }

    // Each batch pays its own transfer fee with its own minimum: three batches of 100 shares pay
    // 3.00, where one trade of 300 shares would pay 1.00.
    if (rates.market == Market::Shanghai) {
        for (int field : {2, 4, 6}) {
            const double f = Tag(b, field) * 0.001;
            b.tag[field] = (f > 0 && f < 1) ? std::string("1") : FormatPlain(f);
        }
        const double transfer = Tag(b, 2) + Tag(b, 4) + Tag(b, 6);
        m.transferFee = Money::FromDouble(transfer);
        Show(s, side.transferFee, transfer, side.shanghaiTransferPicture);
    } else {
        m.transferFee = Money();
        Show(s, side.transferFee, 0, side.otherTransferPicture);
    }

    const double total = Shown(s, side.commission) + Shown(s, side.stampDuty) + Shown(s, side.transferFee);
    Show(s, side.totalFees, RoundDecimals(total, 2), kAmountPicture);
    m.fees = Money::FromDouble(Shown(s, side.totalFees));
    return m;
}

bool BuySteps(BatchFields& b, MainWindowState& s)
{
    const auto m = AverageAndCharge(b, s, kBuySide);
    if (!m)
        return false;

    // The amount plus the fees per share, rounded up to the thousandth.
    const double cost = (Shown(s, 7) + Shown(s, 3)) / Shown(s, 2);
    Show(s, 8, RoundUpToThousandth(cost * 1000), kBreakEvenPicture);

    Show(s, 9, BreakEvenOrRefuse(m->price, m->quantity, s.fees).ToDouble(), kBreakEvenPicture);
    s.label[8].colour = Colour::Red;

    Show(s, 10, Shown(s, 3) + Shown(s, 7), kAmountPicture);

    // The main window's state follows the screen, so that a later single sell compares with the
    // batches and a later whole sale can bring this break-even back.
    s.BuyPrice = m->price;
    s.BuyQuantity = m->quantity;
    s.BuyAmount = m->amount;
    s.BuyCommission = m->commission;
    s.BuyStampDuty = m->stampDuty;
    s.BuyTransferFee = m->transferFee;
    s.BuyFees = m->fees;
    s.buyBreakEven = s.text[9];
    s.buyBasis = s.CurrentBuyBasis();
    return true;
}

bool SellSteps(BatchFields& b, MainWindowState& s)
{
    const auto m = AverageAndCharge(b, s, kSellSide);
    if (!m)
        return false;

    Show(s, 20, Shown(s, 13) - Shown(s, 17), kAmountPicture);

    s.SellPrice = m->price;
    s.SellQuantity = m->quantity;
    s.SellAmount = m->amount;
    s.SellCommission = m->commission;
    s.SellStampDuty = m->stampDuty;
    s.SellTransferFee = m->transferFee;
    s.SellFees = m->fees;

    // Without a buy on screen there is nothing to compare the sale with.
    if (s.text[10].empty())
        return true;

    Show(s, 19, Shown(s, 20) - Shown(s, 10), kAmountPicture);
    s.Profit = Money::FromDouble(Shown(s, 19));

    // A paid amount of 0 or less (a dividend at or above the cost) gives no meaningful yield.
    const double paid = Shown(s, 10);
    if (paid > 0)
        Show(s, 18, RoundInt32(Shown(s, 19) / paid * 10000) / 100.0, kAmountPicture);
    else
        s.text[18].clear();

    const bool loss = Shown(s, 19) < 0;
    s.label[17].caption = loss ? caption::kLoss : caption::kGain;
    s.label[17].colour = s.label[18].colour = loss ? Colour::Blue : Colour::Red;

    const double sold = Shown(s, 12);
    const double bought = Shown(s, 2);
    if (sold < bought) {
        // The buy amount less the sell amount plus both sides' fees, carried by the shares left.
        const double remaining = bought - sold;
        const double price = (Shown(s, 3) - Shown(s, 13) + Shown(s, 7) + Shown(s, 17)) / remaining;
        const Money R = Money::FromDouble(remaining);
        // A sliver of a share (a retyped holding) rounds to no shares: there is no price to find.
        if (R > Money())
            Show(s, 9, BreakEvenOrRefuse(Money::FromDouble(price), R, s.fees).ToDouble(), kBreakEvenPicture);
    } else {
        // Text2 can have been emptied or retyped without Enter since the buy: without shares
        // bought there is no break-even of the buy to give.
        const Money Q = Money::FromDouble(bought);
        if (Q > Money())
            Show(s, 9, BreakEvenOrRefuse(Money::FromDouble(Shown(s, 1)), Q, s.fees).ToDouble(),
                 kBreakEvenPicture);
    }
    return true;
}

// Runs a post on copies of the tags and the state and hands them over only when it completed.
template <typename Steps>
BatchResult AllOrNothing(BatchFields& fields, MainWindowState& state, Steps steps)
{
    BatchFields b = fields;
    MainWindowState s = state;
    bool posted = false;
    const CalcFailure failure = Attempt([&] { posted = steps(b, s); });
    if (failure != CalcFailure::None)
        return BatchResult{failure, false};
    fields = std::move(b);
    state = std::move(s);
    return BatchResult{CalcFailure::None, posted};
}

} // namespace

void StoreBatchInputs(BatchFields& fields)
{
    for (int i = 1; i <= 6; ++i) {
        const std::string& text = fields.text[i];
        bool accepted = IsPositiveAmountText(text);
        if (accepted && i % 2 == 0)
            accepted = NumberOrZero(text) >= 1;
        fields.tag[i] = accepted ? text : std::string("0");
    }
}

double QuantityTagSum(const BatchFields& fields) { return Tag(fields, 2) + Tag(fields, 4) + Tag(fields, 6); }

BatchResult PostBuyBatches(BatchFields& fields, MainWindowState& state)
{
    return AllOrNothing(fields, state, BuySteps);
}

BatchResult PostSellBatches(BatchFields& fields, MainWindowState& state)
{
    return AllOrNothing(fields, state, SellSteps);
}

void MarkBuyBatch(MainWindowState& state)
{
    state.locked[1] = state.locked[2] = true;
    state.label[1].caption = caption::kBatchAveragePrice;
    state.label[1].toolTip = caption::kBatchAveragePriceTip;
    state.label[2].caption = caption::kBatchTotal;
    state.label[2].toolTip = caption::kBatchTotalTip;
}

void MarkSellBatch(MainWindowState& state)
{
    state.locked[11] = state.locked[12] = true;
    state.label[10].caption = caption::kBatchSellAveragePrice;
    state.label[10].toolTip = caption::kBatchSellAveragePriceTip;
    state.label[11].caption = caption::kBatchSellTotal;
    state.label[11].toolTip = caption::kBatchSellTotalTip;
}

void UnlockBuyBatch(MainWindowState& state) { state.locked[1] = state.locked[2] = false; }

void UnlockSellBatch(MainWindowState& state) { state.locked[11] = state.locked[12] = false; }

} // namespace qcal
