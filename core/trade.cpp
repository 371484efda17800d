#include "core/trade.h"

#include <optional>
#include <string>
#include <utility>

#include "core/calc_steps.h"
#include "core/captions.h"
#include "core/input_checks.h"
#include "core/messages.h"
#include "core/numtext.h"
#include "core/picture.h"
#include "core/rounding.h"

namespace qcal {

namespace {

using namespace steps;

Money Hundredths(std::int32_t k) { return Money::FromRaw(static_cast<std::int64_t>(k) * 100); }

struct SideFields {
    int commission, stampDuty, transferFee;
    std::string_view fundsStampPicture;
};

struct SideMoney {
    Money commission, stampDuty, transferFee;
};

// Commission, stamp duty and transfer fee of one side, written into that side's fields.
SideMoney ChargeSide(MainWindowState& s, Money amount, Money quantity, const Rates& rates, const SideFields& f)
{
    SideMoney m;

    const std::int32_t kc = RoundInt32(rates.commission * amount.ToDouble() * 0.001 * 100);
    Show(s, f.commission, kc / 100.0, kAmountPicture);
    m.commission = Hundredths(kc);
    if (Shown(s, f.commission) < 5) {
        Show(s, f.commission, 5, kAmountPicture);
        m.commission = Money::FromWhole(5);
    }

    if (rates.market == Market::Funds) {
        Show(s, f.stampDuty, 0, f.fundsStampPicture);
        m.stampDuty = Money();
    } else {
        const std::int32_t ks = RoundInt32(rates.stampDuty * amount.ToDouble() * 0.001 * 100);
        Show(s, f.stampDuty, ks / 100.0, kAmountPicture);
        m.stampDuty = Hundredths(ks);
    }

    if (rates.market == Market::Shanghai) {
        const double t = quantity.ToDouble() * 0.001;
        if (t >= 1) {
            Show(s, f.transferFee, t, kAmountPicture);
            m.transferFee = Money::FromDouble(t);  // kept to four decimals: 1,555 shares pay 1.555
        } else {
            Show(s, f.transferFee, 1, kAmountPicture);
            m.transferFee = Money::FromWhole(1);
        }
    } else {
        Show(s, f.transferFee, 0, kAmountPicture);
        m.transferFee = Money();
    }
    return m;
}

// Runs a calculation on a copy of the state and hands the copy over only when it completed.
template <typename Steps>
CalcResult AllOrNothing(MainWindowState& state, Steps steps)
{
    MainWindowState work = state;
    if (const CalcFailure failure = Attempt([&] { steps(work); }); failure != CalcFailure::None)
        return CalcResult{failure};
    state = std::move(work);
    return CalcResult{};
}

void CheckBonusAndDividend(const MainWindowState& s)
{
    const CheckOutcome bonus = CheckBonusText(s.text[21]);
    if (!bonus.accepted)
        throw Refused{bonus.message == msg::kBonusTooLarge ? CalcFailure::BonusTooLarge : CalcFailure::BonusText};
    const CheckOutcome dividend = CheckDividendText(s.text[22]);
    if (!dividend.accepted)
        throw Refused{dividend.message == msg::kOutOfRange ? CalcFailure::DividendTooLarge : CalcFailure::DividendText};
}

void BuySteps(MainWindowState& s)
{
    // A price or quantity below zero can only come from a stored or posted text that skipped the
    // field checks; it has no meaning here and would send the break-even search on a long walk.
    if (s.BuyPrice < Money() || s.BuyQuantity < Money())
        throw Refused{CalcFailure::OutOfRange};
    const Rates rates = RatesOrRefuse(s.fees);
    // A bonus or dividend typed without Enter has not been checked yet; a negative bonus would
    // divide by zero or never break even, so refuse before anything is written.
    CheckBonusAndDividend(s);

    const Money P = s.BuyPrice;
    const Money Q = s.BuyQuantity;

    // Bonus shares join the holding once: the changed caption stops a second run adding them again.
    const double bonusNow = NumberOrZero(s.text[21]);
    LabelState& qtyLabel = s.label[2];
    if (bonusNow > 0) {
        if (qtyLabel.caption == caption::kBuyQuantity) {
            const double shown = Shown(s, 2);
            s.text[2] = FormatPlain(bonusNow * shown * 0.1 + shown);
            s.locked[2] = true;
            qtyLabel = {std::string(caption::kHolding), Colour::Red, std::string(caption::kHoldingTip)};
        }
    } else if (qtyLabel.caption != caption::kBatchTotal) {
        qtyLabel = {std::string(caption::kBuyQuantity), Colour::Black, std::string(caption::kBuyQuantityTip)};
    }

    s.BuyAmount = P * Q;
    Show(s, 3, s.BuyAmount.ToDouble(), kAmountPicture);

    const SideMoney fees = ChargeSide(s, s.BuyAmount, Q, rates, SideFields{4, 5, 6, "0.00"});
    s.BuyCommission = fees.commission;
    s.BuyStampDuty = fees.stampDuty;
    s.BuyTransferFee = fees.transferFee;

    // The total is rounded once, so a transfer fee's third decimal only counts here (halves to even).
    const std::int64_t total = (s.BuyCommission + s.BuyStampDuty + s.BuyTransferFee).TimesWhole(100).ToWhole();
    const std::int32_t kt = RoundInt32(static_cast<double>(total));
    Show(s, 7, kt / 100.0, kAmountPicture);
    s.BuyFees = Hundredths(kt);

    if (!ParseNumber(s.text[22]))
        s.text[22] = "0";
    if (!ParseNumber(s.text[21]))
        s.text[21] = "0";
    const double dividend = NumberOrZero(s.text[22]);
    const double bonus = NumberOrZero(s.text[21]);
    const double q = Q.ToDouble();

    const Money D = Money::FromDouble(dividend * q / 10);
    const Money N = Money::FromDouble(bonus * q / 10);
    const double thousandths = (s.BuyAmount + s.BuyFees - D).ToDouble() / (Q + N).ToDouble() * 1000;
    Show(s, 8, RoundUpToThousandth(thousandths), kCostPicture);

    const Money held = Q + Money::FromDouble(bonus * q * 0.1);
    const Money startPrice =
        Money::FromDouble((s.BuyAmount - Money::FromDouble(dividend * q * 0.1)).ToDouble() / held.ToDouble());
    Show(s, 9, BreakEvenOrRefuse(startPrice, held, s.fees).ToDouble(), kBreakEvenPicture);
    s.buyBreakEven = s.text[9];

    s.label[8].colour = Colour::Red;

    // On the figures as shown, and on the holding shown in Text2, which includes any bonus shares.
    const double paid = Shown(s, 3) + Shown(s, 7) - dividend * Shown(s, 2) * 0.1;
    Show(s, 10, paid, kAmountPicture);
    s.buyBasis = s.CurrentBuyBasis();
}

void SellSteps(MainWindowState& s)
{
    const Rates rates = RatesOrRefuse(s.fees);

    s.unit[17] = caption::kUnitYuan;
    s.label[8].toolTip = caption::kBreakEvenTip;
    s.label[8].colour = Colour::Black;

    s.SellAmount = s.SellPrice * s.SellQuantity;
    Show(s, 13, s.SellAmount.ToDouble(), kAmountPicture);

    const SideMoney fees = ChargeSide(s, s.SellAmount, s.SellQuantity, rates, SideFields{14, 15, 16, "##0.00"});
    s.SellCommission = fees.commission;
    s.SellStampDuty = fees.stampDuty;
    s.SellTransferFee = fees.transferFee;

    s.SellFees = s.SellCommission + s.SellStampDuty + s.SellTransferFee;
    Show(s, 17, s.SellFees.ToDouble(), kAmountPicture);
    Show(s, 20, (s.SellAmount - s.SellFees).ToDouble(), kAmountPicture);

    // An empty Text10 means no buy is on screen: there is nothing to compare the sale with.
    const bool bought = !s.text[10].empty();
    if (bought) {
        s.Profit = Money::FromDouble(Shown(s, 20) - Shown(s, 10));
        Show(s, 19, s.Profit.ToDouble(), kAmountPicture);
    }

    // Without a buy the stored profit of an earlier round still decides the colour.
    const bool loss = s.Profit < Money();
    s.label[17].caption = loss ? caption::kLoss : caption::kGain;
    s.label[17].colour = s.label[18].colour = loss ? Colour::Blue : Colour::Red;

    if (bought) {
        // A paid amount of 0 or less (a dividend at or above the cost) gives no meaningful yield.
        const double paid = Shown(s, 10);
        if (paid > 0)
            Show(s, 18, RoundInt32(Shown(s, 19) / paid * 10000) / 100.0, kAmountPicture);
        else
            s.text[18].clear();
    }

    if (s.SellQuantity < s.BuyQuantity) {
        s.label[17].caption = caption::kRemainingShares;
        s.label[17].colour = s.label[18].colour = Colour::Red;
        s.unit[17] = caption::kUnitShares;
        Show(s, 19, (s.BuyQuantity - s.SellQuantity).ToDouble(), kSharesPicture);

        s.label[8].colour = Colour::Red;
        s.label[8].toolTip = std::string(caption::kRemainingBreakEvenTipHead) + s.text[12] +
                             std::string(caption::kRemainingBreakEvenTipTail);

        // Text2 may have been retyped without Enter; with fewer than one share left there is no
        // break-even to find (zero divides, a negative count never breaks even).
        const double remaining = Shown(s, 2) - Shown(s, 12);
        if (remaining >= 1) {
            const double cost = Shown(s, 3) - Shown(s, 13) + Shown(s, 7) + Shown(s, 17);
            const Money price = Money::FromDouble(cost / remaining);
            Show(s, 9, BreakEvenOrRefuse(price, Money::FromDouble(remaining), s.fees).ToDouble(),
                 kBreakEvenPicture);
        }
    } else if (!s.buyBreakEven.empty()) {
        // A whole sale after a partial one: the remaining-shares figure no longer applies.
        s.text[9] = s.buyBreakEven;
    }
}

} // namespace

CalcResult CalculateBuy(MainWindowState& state)
{
    if (state.BuyPrice == Money() || state.BuyQuantity == Money())
        return CalcResult{};
    CalcResult result = AllOrNothing(state, BuySteps);
    if (result.failure == CalcFailure::OutOfRange) {
        result.field = 2;
        const double bonus = NumberOrZero(state.text[21]);
        const double dividend = NumberOrZero(state.text[22]);
        if (bonus != 0 || dividend != 0) {
            MainWindowState without = state;
            without.text[21] = "0";
            without.text[22] = "0.00";
            if (AllOrNothing(without, BuySteps).ok())
                result.field = dividend != 0 ? 22 : 21;
        }
    }
    return result;
}

CalcResult CalculateSell(MainWindowState& state)
{
    CalcResult result = AllOrNothing(state, SellSteps);
    if (result.failure == CalcFailure::OutOfRange)
        result.field = 12;
    return result;
}

} // namespace qcal
