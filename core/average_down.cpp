#include "core/average_down.h"

#include <limits>
#include <optional>

#include "core/input_checks.h"
#include "core/numtext.h"
#include "core/picture.h"
#include "core/rounding.h"

namespace qcal {

namespace {

using namespace position;

const Money kLot = Money::FromWhole(100);

// The lots tried one by one below the crossing the bisection finds (see LeastLots).
constexpr std::int64_t kLotsTriedBack = 64;

bool IsShares(Field field) { return field == Held || field == SharesToBuy || field == TripShares; }
bool IsCost(Field field) { return field == Cost || field == TargetCost; }

Money ValueOf(const PositionFields& fields, Field field) { return MoneyOrZero(fields.text[field]); }

// The fields a computation needs, checked (and rewritten) on the copy it works on.
Outcome Confirm(PositionFields& fields, std::initializer_list<Field> needed)
{
    for (Field field : needed) {
        const Outcome outcome = ConfirmPositionField(fields, field);
        if (!outcome.ok())
            return outcome;
    }
    return {};
}

// The holding's fields: one taken from the main window stands as it was given (its cost may be 0
// when dividends and sales brought all the money back); a typed one is checked in full.
Outcome ConfirmHolding(PositionFields& fields, const FeeSettings& settings)
{
    if (HoldsTakenHolding(fields, settings))
        return {};
    return Confirm(fields, {Held, Cost});
}

// The money invested: the main window's, when it gave it for this holding under these settings,
// else shares × cost.
Money InvestedOf(PositionFields& fields, const FeeSettings& settings)
{
    if (!HoldsTakenHolding(fields, settings))
        ComputeInvested(fields);
    return ValueOf(fields, Invested);
}

// A cost per share as the main window shows it: rounded up to the thousandth, decided exactly; 0
// once nothing is left to recover.
Money CostPerShare(Money money, Money shares)
{
    if (money <= Money())
        return Money();
    return CostPerShareRoundedUp(money, shares);
}

// The lowest price on the tick at which selling every share brings the money back; 0 when nothing
// is left to bring back.
std::optional<Money> BreakEvenOf(Money money, Money shares, const Rates& rates)
{
    if (money <= Money())
        return Money();
    return LowestSalePriceReaching(money, shares, rates);
}

// The money a purchase takes: the amount and the buy fees of the chosen rules.
std::optional<Money> Purchase(Money price, Money shares, const Rates& rates)
{
    const Money amount = price * shares;
    const auto fees = TradeFeesTotal(amount, shares, Side::Buy, rates);
    if (!fees)
        return std::nullopt;
    return amount + *fees;
}

// The holding after buying `shares` more: what they cost and the holding's new cost and break-even.
struct AfterBuying {
    Money needed, cost;
};

std::optional<AfterBuying> Buy(Money invested, Money held, Money price, Money shares, const Rates& rates)
{
    if (shares == Money())
        return AfterBuying{Money(), CostPerShare(invested, held)};  // nothing bought, no fee
    try {
        const auto needed = Purchase(price, shares, rates);
        if (!needed)
            return std::nullopt;
        return AfterBuying{*needed, CostPerShare(invested + *needed, held + shares)};
    } catch (const OutOfRange&) {
        return std::nullopt;
    }
}

// The least number of lots whose purchase brings the cost to the target or below. The cost falls as
// lots are added while it stays above what one more share costs with its fees, which it does as
// long as it is above the target (which is above the price), so galloping and bisection find the
// first lot count that reaches the target; a few counts below it are tried one by one against the
// cents of rounding. nullopt when no count within range reaches it.
std::optional<std::int64_t> LeastLots(Money invested, Money held, Money price, Money target, const Rates& rates)
{
    // nullopt when the lots themselves, or what they cost, are beyond range.
    const auto reaches = [&](std::int64_t lots) -> std::optional<bool> {
        try {
            const auto after = Buy(invested, held, price, kLot.TimesWhole(lots), rates);
            if (!after)
                return std::nullopt;
            return after->cost <= target;
        } catch (const OutOfRange&) {
            return std::nullopt;
        }
    };
    std::int64_t lo = 0;  // the present cost is above the target
    std::int64_t hi = 1;
    for (;;) {
        const auto r = reaches(hi);
        if (!r)
            return std::nullopt;
        if (*r)
            break;
        lo = hi;
        if (hi > std::numeric_limits<std::int64_t>::max() / 200)
            return std::nullopt;
        hi *= 2;
    }
    while (hi - lo > 1) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        if (reaches(mid).value_or(true))
            hi = mid;
        else
            lo = mid;
    }
    for (std::int64_t lots = hi - 1; lots > 0 && lots >= hi - kLotsTriedBack; --lots) {
        if (reaches(lots).value_or(false))
            hi = lots;
    }
    return hi;
}

// Writes the purchase of `shares` (the money needed, the new cost and break-even) into the fields.
Outcome ShowPurchase(PositionFields& fields, Money invested, Money held, Money shares, const Rates& rates)
{
    const auto after = Buy(invested, held, ValueOf(fields, Price), shares, rates);
    const auto breakEven = after ? BreakEvenOf(invested + after->needed, held + shares, rates) : std::nullopt;
    if (!breakEven)
        return Refusal(Reason::FieldOutOfRange, SharesToBuy);
    fields.text[SharesToBuy] = shares == Money() ? std::string("0") : FormatPicture(shares, kSharesPicture);
    fields.text[Needed] = FormatPicture(after->needed, kAmountPicture);
    fields.text[NewCost] = FormatPicture(after->cost, kThousandthsPicture);
    fields.text[NewBreakEven] = FormatPicture(*breakEven, kThousandthsPicture);
    return {};
}

// Runs a computation on a copy of the fields and keeps it only when it succeeded; a sum beyond
// Money's range on the way is refused as out of range.
template <typename Steps>
Outcome AllOrNothing(PositionFields& fields, Field rangeField, Steps steps)
{
    PositionFields work = fields;
    Outcome outcome;
    try {
        outcome = steps(work);
    } catch (const OutOfRange&) {
        outcome = Refusal(Reason::FieldOutOfRange, rangeField);
    }
    if (outcome.ok())
        fields = work;
    return outcome;
}

} // namespace

Outcome ConfirmPositionField(PositionFields& fields, Field field)
{
    std::string& text = fields.text[field];
    if (IsShares(field)) {
        const CheckOutcome check = CheckQuantityText(text, kNamedFieldShares);
        if (!check.accepted)
            return Refusal(check.reason, field);
        text = FormatPicture(NumberOrZero(check.text), kSharesPicture);
        return {};
    }
    const CheckOutcome check = CheckPriceText(text, kNamedFieldPrice);
    if (!check.accepted)
        return Refusal(check.reason, field);
    if (!IsCost(field)) {
        text = check.text;
        return {};
    }
    // A cost per share has three decimals; one that shows as 0.000 is no cost.
    const std::string shown = FormatPicture(NumberOrZero(text), kThousandthsPicture);
    if (!(NumberOrZero(shown) > 0))
        return Refusal(Reason::FieldNotPositive, field);
    text = shown;
    return {};
}

Outcome ComputeInvested(PositionFields& fields)
{
    return AllOrNothing(fields, Held, [](PositionFields& f) {
        const Outcome outcome = Confirm(f, {Held, Cost});
        if (!outcome.ok())
            return outcome;
        f.text[Invested] = FormatPicture(ValueOf(f, Held) * ValueOf(f, Cost), kAmountPicture);
        f.investedFor = {};
        return Outcome{};
    });
}

void TakeHolding(PositionFields& fields, const HeldPosition& held, const FeeSettings& settings)
{
    fields.text[Held] = FormatPicture(held.shares, kSharesPicture);
    fields.text[Cost] = FormatPicture(held.cost, kThousandthsPicture);
    fields.text[Invested] = FormatPicture(held.toRecover, kAmountPicture);
    fields.investedFor = {fields.text[Held], fields.text[Cost], settings};
}

bool HoldsTakenHolding(const PositionFields& fields, const FeeSettings& settings)
{
    return fields.investedFor == InvestedBasis{fields.text[Held], fields.text[Cost], settings} &&
           !fields.investedFor.held.empty() && ParseMoney(fields.text[Invested]).has_value();
}

Outcome ComputeAverageDown(PositionFields& fields, const FeeSettings& settings)
{
    return AllOrNothing(fields, TargetCost, [&settings](PositionFields& f) {
        Outcome outcome = ConfirmHolding(f, settings);
        if (outcome.ok())
            outcome = Confirm(f, {Price, TargetCost});
        if (!outcome.ok())
            return outcome;
        const RateReading reading = ReadFeeSettings(settings);
        if (!reading.rates)
            return Refusal(reading.problem);
        const Money invested = InvestedOf(f, settings);
        const Money held = ValueOf(f, Held);
        const Money target = ValueOf(f, TargetCost);
        if (target >= ValueOf(f, Cost))
            return ShowPurchase(f, invested, held, Money(), *reading.rates);
        if (target <= ValueOf(f, Price))
            return Refusal(Reason::TargetCostUnreachable, TargetCost);
        const auto lots = LeastLots(invested, held, ValueOf(f, Price), target, *reading.rates);
        if (!lots)
            return Refusal(Reason::TargetCostUnreachable, TargetCost);
        return ShowPurchase(f, invested, held, kLot.TimesWhole(*lots), *reading.rates);
    });
}

Outcome ComputeAverageDownShares(PositionFields& fields, const FeeSettings& settings)
{
    return AllOrNothing(fields, SharesToBuy, [&settings](PositionFields& f) {
        Outcome outcome = ConfirmHolding(f, settings);
        if (outcome.ok())
            outcome = Confirm(f, {Price, SharesToBuy});
        if (!outcome.ok())
            return outcome;
        // The exchange takes buy orders in whole lots.
        if (ValueOf(f, SharesToBuy).Raw() % kLot.Raw() != 0)
            return Refusal(Reason::FieldNotWholeLot, SharesToBuy);
        const RateReading reading = ReadFeeSettings(settings);
        if (!reading.rates)
            return Refusal(reading.problem);
        return ShowPurchase(f, InvestedOf(f, settings), ValueOf(f, Held), ValueOf(f, SharesToBuy), *reading.rates);
    });
}

Outcome ComputeRoundTrip(PositionFields& fields, const FeeSettings& settings)
{
    return AllOrNothing(fields, TripShares, [&settings](PositionFields& f) {
        Outcome outcome = ConfirmHolding(f, settings);
        if (outcome.ok())
            outcome = Confirm(f, {TripShares, SellPrice, BuyBackPrice});
        if (!outcome.ok())
            return outcome;
        const RateReading reading = ReadFeeSettings(settings);
        if (!reading.rates)
            return Refusal(reading.problem);
        const Rates& rates = *reading.rates;
        const Money invested = InvestedOf(f, settings);
        const Money held = ValueOf(f, Held);
        const Money shares = ValueOf(f, TripShares);
        // Selling first needs the shares; buying first, the T+1 rule lets only the shares held be sold.
        if (shares > held)
            return Refusal(Reason::TripSharesAboveHeld, TripShares);

        const Money sold = ValueOf(f, SellPrice) * shares;
        const auto saleFees = TradeFeesTotal(sold, shares, Side::Sell, rates);
        const Money bought = ValueOf(f, BuyBackPrice) * shares;
        const auto buyFees = TradeFeesTotal(bought, shares, Side::Buy, rates);
        if (!saleFees || !buyFees)
            return Refusal(Reason::FieldOutOfRange, TripShares);
        const Money paid = bought + *buyFees;
        const Money profit = sold - *saleFees - paid;
        const Money stillInvested = invested - profit;
        const auto breakEven = BreakEvenOf(stillInvested, held, rates);
        const auto tripBreakEven = LowestSalePriceReaching(paid, shares, rates);
        if (!breakEven || !tripBreakEven)
            return Refusal(Reason::FieldOutOfRange, TripShares);

        f.text[SaleFees] = FormatPicture(*saleFees, kAmountPicture);
        f.text[BuyBackFees] = FormatPicture(*buyFees, kAmountPicture);
        f.text[TripProfit] = FormatPicture(profit, kAmountPicture);
        // A round trip that gains more than the holding cost leaves nothing to carry: cost 0.
        f.text[TripCost] = FormatPicture(CostPerShare(stillInvested, held), kThousandthsPicture);
        f.text[TripBreakEven] = FormatPicture(*breakEven, kThousandthsPicture);
        f.text[TripSellPrice] = FormatPicture(*tripBreakEven, kPricePicture);
        return Outcome{};
    });
}

} // namespace qcal
