#include "core/trade.h"

#include <optional>
#include <string>
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

// Where one side's fees go.
struct FeeFields {
    Side side;
    Field commission, stampDuty, transferFee;
};

constexpr FeeFields kBuyFeeFields{Side::Buy, BuyCommission, BuyStampDuty, BuyTransferFee};
constexpr FeeFields kSellFeeFields{Side::Sell, SellCommission, SellStampDuty, SellTransferFee};

// Commission, stamp duty and transfer fee of one side, into the side's figures and fields.
void ChargeSide(MainWindowState& s, SideFigures& side, const FeeSchedule& schedule, const FeeFields& f)
{
    const auto fees = schedule.Charge(f.side, side.amount, side.quantity);
    if (!fees)
        throw Refused{Refusal(Reason::OutOfRange)};
    side.commission = fees->commission;
    side.stampDuty = fees->stampDuty;
    side.transferFee = fees->transferFee;  // kept to four decimals: 1,555 shares pay 1.555
    Show(s, f.commission, side.commission, kAmountPicture);
    Show(s, f.stampDuty, side.stampDuty, kAmountPicture);
    Show(s, f.transferFee, side.transferFee, kAmountPicture);
}

// Runs a calculation on a copy of the state and hands the copy over only when it completed.
template <typename Steps>
CalcResult AllOrNothing(MainWindowState& state, Steps steps)
{
    return OnCopy(state, [&](MainWindowState& work) { return Attempt([&] { steps(work); }); });
}

void CheckBonusAndDividend(const MainWindowState& s)
{
    const CheckOutcome bonus = CheckBonusText(s.text[Bonus]);
    if (!bonus.accepted)
        throw Refused{Refusal(bonus.reason, Bonus)};
    const CheckOutcome dividend = CheckDividendText(s.text[Dividend]);
    if (!dividend.accepted)
        throw Refused{Refusal(dividend.reason, Dividend)};
}

void BuySteps(MainWindowState& s)
{
    // A price or quantity below zero can only come from a stored or posted text that skipped the
    // field checks; it has no meaning here and would send the break-even search on a long walk.
    if (s.buy.price < Money() || s.buy.quantity < Money())
        throw Refused{Refusal(Reason::OutOfRange)};
    const FeeSchedule schedule = ScheduleOrRefuse(s.fees);
    if (const Outcome lot = BuyLotRefusal(schedule, s.buy.quantity, BuyQuantity); !lot.ok())
        throw Refused{lot};
    // A bonus or dividend typed without Enter has not been checked yet; a negative bonus would
    // divide by zero or never break even, so refuse before anything is written.
    CheckBonusAndDividend(s);

    const Money P = s.buy.price;
    const Money Q = s.buy.quantity;

    // Bonus shares join the holding once: the changed caption stops a second run adding them again.
    const double bonusNow = NumberOrZero(s.text[Bonus]);
    LabelState& qtyLabel = s.label[BuyQuantityLabel];
    if (bonusNow > 0) {
        if (qtyLabel.caption == caption::kBuyQuantity) {
            const double shown = Shown(s, BuyQuantity);
            s.text[BuyQuantity] = FormatPicture(bonusNow * shown * 0.1 + shown, kHoldingPicture);
            s.locked[BuyQuantity] = true;
            qtyLabel = {std::string(caption::kHolding), Colour::Red, std::string(caption::kHoldingTip)};
        }
    } else if (qtyLabel.caption != caption::kBatchTotal) {
        qtyLabel = {std::string(caption::kBuyQuantity), Colour::Black, std::string(caption::kBuyQuantityTip)};
    }

    s.buy.amount = P * Q;
    Show(s, BuyAmount, s.buy.amount, kAmountPicture);
    ChargeSide(s, s.buy, schedule, kBuyFeeFields);

    // The total is rounded once, so a transfer fee's third decimal only counts here (halves to even).
    const std::int64_t total = (s.buy.commission + s.buy.stampDuty + s.buy.transferFee).TimesWhole(100).ToWhole();
    const std::int32_t kt = RoundInt32(static_cast<double>(total));
    s.buy.fees = Money::FromRaw(static_cast<std::int64_t>(kt) * 100);
    Show(s, BuyFees, s.buy.fees, kAmountPicture);

    // Whole strings, not bare literals: GCC 12 at -O2 warns falsely about those (-Wrestrict).
    if (!ParseNumber(s.text[Dividend]))
        s.text[Dividend] = std::string("0");
    if (!ParseNumber(s.text[Bonus]))
        s.text[Bonus] = std::string("0");
    const double dividend = NumberOrZero(s.text[Dividend]);
    const double bonus = NumberOrZero(s.text[Bonus]);
    const double q = Q.ToDouble();

    const Money N = Money::FromDouble(bonus * q / 10);
    if (schedule.model().ExactDecimals()) {
        // Exact decimals throughout. The dividend is paid on the shares bought, as the company pays
        // it; the money paid is taken from the figures as shown.
        const Money D = ShownMoney(s, Dividend) * Money::FromRaw(Q.Raw() / 10);
        Show(s, BuyCost, CostPerShareRoundedUp(s.buy.amount + s.buy.fees - D, Q + N), kCostPicture);
        Show(s, Paid, ShownMoney(s, BuyAmount) + ShownMoney(s, BuyFees) - D, kAmountPicture);
    } else {
        const Money D = Money::FromDouble(dividend * q / 10);
        const double thousandths = (s.buy.amount + s.buy.fees - D).ToDouble() / (Q + N).ToDouble() * 1000;
        Show(s, BuyCost, RoundUpToThousandth(thousandths), kCostPicture);
        // On the figures as shown, the dividend counted on the holding shown in Text2, bonus shares
        // included.
        const double paid = Shown(s, BuyAmount) + Shown(s, BuyFees) - dividend * Shown(s, BuyQuantity) * 0.1;
        Show(s, Paid, paid, kAmountPicture);
    }

    // The shares held; the program's own search starts from the amount less the dividend per share,
    // the current rules recover the money actually paid.
    const Money held = Q + Money::FromDouble(bonus * q * 0.1);
    const Money startPrice =
        Money::FromDouble((s.buy.amount - Money::FromDouble(dividend * q * 0.1)).ToDouble() / held.ToDouble());
    const Holding holding{startPrice, held, ShownMoney(s, Paid)};
    Show(s, BreakEven, BreakEvenOrRefuse(holding, schedule), kThousandthsPicture);
    s.buyBreakEven = s.text[BreakEven];

    s.label[BreakEvenLabel].colour = Colour::Red;
    s.shownBuy = ShownBuy{s.CurrentBuyBasis(), P, Q};
}

// Under the current rules a partial sale realises the profit of the part sold: what it brought in
// less its share of the money paid (in proportion to the shares it took of those held), with its
// yield on that share. The program's own rules keep their figures for the whole purchase.
void ShowRealisedProfit(MainWindowState& s, const FeeSchedule& schedule)
{
    s.text[RealisedProfit].clear();
    s.label[RealisedProfitLabel].colour = Colour::Black;
    const auto paid = ParseMoney(s.text[Paid]);
    const auto received = ParseMoney(s.text[Received]);
    const auto held = ParseMoney(s.text[BuyQuantity]);
    if (!schedule.model().RealisesPartialSales() || !paid || !received || !held || *held <= Money())
        return;
    const Money share = paid->ProportionToCent(s.sell.quantity, *held);
    const Money realised = *received - share;
    Show(s, RealisedProfit, realised.ToDouble(), kAmountPicture);
    s.label[RealisedProfitLabel].colour = s.label[YieldLabel].colour = ProfitColour(realised);
    ShowYield(s, realised.ToDouble(), share.ToDouble());
}

void SellSteps(MainWindowState& s)
{
    const FeeSchedule schedule = ScheduleOrRefuse(s.fees);
    // The holding a sale is made from: the shares on the buy side, when a buy is on screen.
    const std::optional<Money> held =
        s.text[Paid].empty() ? std::nullopt : std::optional<Money>(MoneyOrZero(s.text[BuyQuantity]));
    if (const Outcome lot = SellLotRefusal(schedule, s.sell.quantity, held, SellQuantity); !lot.ok())
        throw Refused{lot};
    s.text[RealisedProfit].clear();
    s.label[RealisedProfitLabel].colour = Colour::Black;

    s.unit[ProfitUnit] = caption::kUnitYuan;
    s.label[BreakEvenLabel].toolTip = caption::kBreakEvenTip;
    s.label[BreakEvenLabel].colour = Colour::Black;

    s.sell.amount = s.sell.price * s.sell.quantity;
    Show(s, SellAmount, s.sell.amount, kAmountPicture);
    ChargeSide(s, s.sell, schedule, kSellFeeFields);

    s.sell.fees = s.sell.commission + s.sell.stampDuty + s.sell.transferFee;
    Show(s, SellFees, s.sell.fees, kAmountPicture);
    Show(s, Received, s.sell.amount - s.sell.fees, kAmountPicture);

    // An empty Text10 means no buy is on screen: there is nothing to compare the sale with.
    const bool bought = !s.text[Paid].empty();
    if (bought) {
        s.profit = ShownDifference(s, Received, Paid, schedule);
        Show(s, ProfitOrShares, s.profit, kAmountPicture);
    }

    // Without a buy the stored profit of an earlier round still decides the colour.
    ShowProfitLabel(s, s.profit < Money());

    if (bought)
        ShowYield(s, Shown(s, ProfitOrShares), Shown(s, Paid));

    if (s.sell.quantity < s.buy.quantity) {
        s.label[ProfitLabel].caption = caption::kRemainingShares;
        s.label[ProfitLabel].colour = s.label[YieldLabel].colour = Colour::Red;
        s.unit[ProfitUnit] = schedule.instrument().unit;
        Show(s, ProfitOrShares, s.buy.quantity - s.sell.quantity, kSharesPicture);

        s.label[BreakEvenLabel].colour = Colour::Red;
        s.label[BreakEvenLabel].toolTip = std::string(caption::kRemainingBreakEvenTipHead) + s.text[SellQuantity] +
                                          std::string(caption::kRemainingBreakEvenTipTail);
        if (bought)
            ShowRealisedProfit(s, schedule);

        // Text2 may have been retyped without Enter; with fewer than one share left there is no
        // break-even to find (zero divides, a negative count never breaks even).
        const double remaining = Shown(s, BuyQuantity) - Shown(s, SellQuantity);
        if (remaining >= 1) {
            // The cost carried by each share left, or the money still to recover.
            const double cost =
                Shown(s, BuyAmount) - Shown(s, SellAmount) + Shown(s, BuyFees) + Shown(s, SellFees);
            const Holding holding{Money::FromDouble(cost / remaining), Money::FromDouble(remaining),
                                  ShownDifference(s, Paid, Received, schedule)};
            Show(s, BreakEven, BreakEvenOrRefuse(holding, schedule), kThousandthsPicture);
        }
    } else if (!s.buyBreakEven.empty()) {
        // A whole sale after a partial one: the remaining-shares figure no longer applies.
        s.text[BreakEven] = s.buyBreakEven;
    }
}

} // namespace

CalcResult CalculateBuy(MainWindowState& state)
{
    if (state.buy.price == Money() || state.buy.quantity == Money())
        return {};
    CalcResult result = AllOrNothing(state, BuySteps);
    if (result.reason == Reason::OutOfRange && result.field == 0) {
        result.field = BuyQuantity;
        const double bonus = NumberOrZero(state.text[Bonus]);
        const double dividend = NumberOrZero(state.text[Dividend]);
        if (bonus != 0 || dividend != 0) {
            MainWindowState without = state;
            without.text[Bonus] = std::string("0");
            without.text[Dividend] = std::string("0.00");
            if (AllOrNothing(without, BuySteps).ok())
                result.field = dividend != 0 ? Dividend : Bonus;
        }
    }
    return result;
}

CalcResult CalculateSell(MainWindowState& state)
{
    CalcResult result = AllOrNothing(state, SellSteps);
    if (result.reason == Reason::OutOfRange && result.field == 0)
        result.field = SellQuantity;
    return result;
}

} // namespace qcal
