#include "core/average_down.h"

#include <limits>
#include <optional>

#include "core/input_checks.h"
#include "core/price_search.h"
#include "core/numtext.h"
#include "core/picture.h"
#include "core/rounding.h"

namespace qcal {

namespace {

using namespace position;

// A purchase is of whole lots of the kind.
Money LotOf(const FeeSchedule& schedule) { return schedule.instrument().buyStep; }

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

// The holding and the other inputs a computation needs, confirmed on its copy, and the schedule
// of the settings; nullopt with the outcome that says why not.
std::optional<FeeSchedule> Prepare(PositionFields& fields, const FeeSettings& settings,
                                   std::initializer_list<Field> inputs, Outcome& outcome)
{
    outcome = ConfirmHolding(fields, settings);
    if (outcome.ok())
        outcome = Confirm(fields, inputs);
    if (!outcome.ok())
        return std::nullopt;
    const ScheduleReading reading = ReadSchedule(settings);
    if (!reading.schedule)
        outcome = Refusal(reading.problem);
    return reading.schedule;
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

// The money a purchase takes: the amount and the buy fees of the chosen rules.
std::optional<Money> Purchase(Money price, Money shares, const FeeSchedule& schedule)
{
    const Money amount = price * shares;
    const auto fees = schedule.ChargeTotal(Side::Buy, amount, shares);
    if (!fees)
        return std::nullopt;
    return amount + *fees;
}

// The holding after buying `shares` more: what they cost and the holding's new cost and break-even.
struct AfterBuying {
    Money needed, cost;
};

std::optional<AfterBuying> Buy(Money invested, Money held, Money price, Money shares, const FeeSchedule& schedule)
{
    if (shares == Money())
        return AfterBuying{Money(), CostPerShare(invested, held)};  // nothing bought, no fee
    try {
        const auto needed = Purchase(price, shares, schedule);
        if (!needed)
            return std::nullopt;
        return AfterBuying{*needed, CostPerShare(invested + *needed, held + shares)};
    } catch (const OutOfRange&) {
        return std::nullopt;
    }
}

// The least number of lots whose purchase brings the cost to the target or below. The cost falls as
// lots are added while it stays above what one more share costs with its fees, which it does as
// long as it is above the target (which is above the price), so the grid search finds the first
// lot count that reaches the target; a few counts below it are tried one by one against the cents
// of rounding. nullopt when no count within range reaches it.
std::optional<std::int64_t> LeastLots(Money invested, Money held, Money price, Money target, Money lot,
                                      const FeeSchedule& schedule)
{
    const auto reaches = [&](std::int64_t lots) {
        try {
            const auto after = Buy(invested, held, price, lot.TimesWhole(lots), schedule);
            if (!after)
                return search::Probe::OutOfRange;
            return after->cost <= target ? search::Probe::Reached : search::Probe::Below;
        } catch (const OutOfRange&) {
            return search::Probe::OutOfRange;
        }
    };
    struct LotsBack {
        bool Decidable(std::int64_t, std::int64_t) const { return true; }
        bool Near(std::int64_t k, std::int64_t lo) const { return k > lo - kLotsTriedBack; }
    } scan;
    search::Grid grid;
    grid.floor = 1;
    grid.belowFloorKnown = true;  // the present cost is above the target
    grid.last = std::numeric_limits<std::int64_t>::max() / 200;
    return search::FirstReaching(grid, reaches, scan);
}

// Writes the purchase of `shares` (the money needed, the new cost and break-even) into the fields.
Outcome ShowPurchase(PositionFields& fields, Money invested, Money held, Money shares, const FeeSchedule& schedule)
{
    const auto after = Buy(invested, held, ValueOf(fields, Price), shares, schedule);
    const auto breakEven = after ? schedule.RecoveryPrice(invested + after->needed, held + shares) : std::nullopt;
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
    return OnCopy(fields, [&](PositionFields& work) {
        try {
            return steps(work);
        } catch (const OutOfRange&) {
            return Refusal(Reason::FieldOutOfRange, rangeField);
        }
    });
}

// A computation on the holding and its own inputs, under the schedule of the settings, all or nothing.
template <typename Steps>
Outcome Compute(PositionFields& fields, const FeeSettings& settings, Field rangeField, std::initializer_list<Field> inputs,
                Steps steps)
{
    return AllOrNothing(fields, rangeField, [&](PositionFields& f) {
        Outcome outcome;
        const auto schedule = Prepare(f, settings, inputs, outcome);
        return schedule ? steps(f, *schedule) : outcome;
    });
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
    return Compute(fields, settings, TargetCost, {Price, TargetCost}, [&settings](PositionFields& f, const FeeSchedule& schedule) {
        const Money invested = InvestedOf(f, settings);
        const Money held = ValueOf(f, Held);
        const Money target = ValueOf(f, TargetCost);
        if (target >= ValueOf(f, Cost))
            return ShowPurchase(f, invested, held, Money(), schedule);
        if (target <= ValueOf(f, Price))
            return Refusal(Reason::TargetCostUnreachable, TargetCost);
        const Money lot = LotOf(schedule);
        const auto lots = LeastLots(invested, held, ValueOf(f, Price), target, lot, schedule);
        if (!lots)
            return Refusal(Reason::TargetCostUnreachable, TargetCost);
        return ShowPurchase(f, invested, held, lot.TimesWhole(*lots), schedule);
    });
}

Outcome ComputeAverageDownShares(PositionFields& fields, const FeeSettings& settings)
{
    return Compute(fields, settings, SharesToBuy, {Price, SharesToBuy}, [&settings](PositionFields& f, const FeeSchedule& schedule) {
        // The exchange takes buy orders in whole lots.
        if (ValueOf(f, SharesToBuy).Raw() % LotOf(schedule).Raw() != 0)
            return Refusal(Reason::FieldNotWholeLot, SharesToBuy);
        return ShowPurchase(f, InvestedOf(f, settings), ValueOf(f, Held), ValueOf(f, SharesToBuy), schedule);
    });
}

Outcome ComputeRoundTrip(PositionFields& fields, const FeeSettings& settings)
{
    return Compute(fields, settings, TripShares, {TripShares, SellPrice, BuyBackPrice},
                   [&settings](PositionFields& f, const FeeSchedule& schedule) {
        const Money invested = InvestedOf(f, settings);
        const Money held = ValueOf(f, Held);
        const Money shares = ValueOf(f, TripShares);
        // Selling first needs the shares; buying first, the T+1 rule lets only the shares held be sold.
        if (shares > held)
            return Refusal(Reason::TripSharesAboveHeld, TripShares);

        const Money sold = ValueOf(f, SellPrice) * shares;
        const auto saleFees = schedule.ChargeTotal(Side::Sell, sold, shares);
        const Money bought = ValueOf(f, BuyBackPrice) * shares;
        const auto buyFees = schedule.ChargeTotal(Side::Buy, bought, shares);
        if (!saleFees || !buyFees)
            return Refusal(Reason::FieldOutOfRange, TripShares);
        const Money paid = bought + *buyFees;
        const Money profit = sold - *saleFees - paid;
        const Money stillInvested = invested - profit;
        const auto breakEven = schedule.RecoveryPrice(stillInvested, held);
        const auto tripBreakEven = schedule.LowestSalePriceReaching(paid, shares);
        if (!breakEven || !tripBreakEven)
            return Refusal(Reason::FieldOutOfRange, TripShares);

        f.text[SaleFees] = FormatPicture(*saleFees, kAmountPicture);
        f.text[BuyBackFees] = FormatPicture(*buyFees, kAmountPicture);
        f.text[TripProfit] = FormatPicture(profit, kAmountPicture);
        // A round trip that gains more than the holding cost leaves nothing to carry: cost 0.
        f.text[TripCost] = FormatPicture(CostPerShare(stillInvested, held), kThousandthsPicture);
        // Break-evens as the main window shows them; the sell price with the tick's decimals.
        f.text[TripBreakEven] = FormatPicture(*breakEven, kThousandthsPicture);
        f.text[TripSellPrice] = FormatPicture(*tripBreakEven, TickPicture(schedule.Tick()));
        return Outcome{};
    });
}

} // namespace qcal
