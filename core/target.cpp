#include "core/target.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/input_checks.h"
#include "core/numtext.h"
#include "core/picture.h"
#include "core/rounding.h"

namespace qcal {

namespace {

using namespace target;

// Most points the chart's curve is drawn through.
constexpr int kCurvePoints = 240;

// Read from the digits: a money paid of 17 digits is the one shown.
std::optional<Money> MoneyOf(const std::string& text) { return ParseMoney(text); }

// A yield's limit, as the yield field takes it: 1,000,000 % is 10,000 times the money paid.
constexpr std::int64_t kYieldLimitTimesPaid = 10000;

// The highest price a price field accepts: below 214,748.3648.
const Money kPriceLimit = Money::FromRaw(2147483648);

// The yield of a profit on the money paid, as every window gives it; nothing paid gives no yield to
// speak of (shown as nothing).
double YieldOn(Money profit, Money paid) { return YieldPercent(profit.ToDouble(), paid.ToDouble()).value_or(0); }

// A buy price and quantity that pass their checks, as Money; the outcome names the field that fails.
struct Purchase {
    Money price, quantity;
};

std::optional<Purchase> ReadPurchase(const TargetFields& fields, Outcome& outcome)
{
    for (Field field : {BuyPrice, Quantity}) {
        TargetFields copy = fields;
        outcome = ConfirmTargetBuy(copy, field);
        if (!outcome.ok())
            return std::nullopt;
    }
    const auto price = MoneyOf(fields.text[BuyPrice]);
    const auto quantity = MoneyOf(fields.text[Quantity]);
    if (!price || !quantity) {
        outcome = Refusal(Reason::FieldOutOfRange, !price ? BuyPrice : Quantity);
        return std::nullopt;
    }
    return Purchase{*price, *quantity};
}

// yield per cent of the money paid, to the cent halves away from zero, exactly: the yield as
// typed is a decimal, never a binary double.
std::optional<Money> ProfitOfYield(Money paid, const std::string& yieldText)
{
    const auto yield = ParseExactDecimal(yieldText);
    if (!yield || yield->scale > 12)
        return std::nullopt;
    try {
        return paid.TimesDecimalToCent(yield->units, yield->scale + 2);
    } catch (const OutOfRange&) {
        return std::nullopt;
    }
}

// A yield on the money paid has a meaning only when money was paid.
bool YieldMeans(Money paid) { return paid > Money(); }

LadderRow MakeRow(const SaleOutcome& sale, Money paid, std::string_view pricePicture)
{
    LadderRow row;
    row.sale = sale;
    row.text = {FormatPicture(sale.price, pricePicture), FormatPicture(sale.received, kAmountPicture),
                FormatPicture(sale.fees, kAmountPicture), FormatPicture(sale.profit, kAmountPicture),
                YieldMeans(paid) ? FormatPicture(sale.yieldPercent, kYieldPicture) : std::string()};
    return row;
}

} // namespace

std::optional<SaleOutcome> SaleAt(Money price, Money shares, Money paid, const Rates& rates)
{
    return SaleAt(price, shares, paid, FeeSchedule(rates));
}

std::optional<SaleOutcome> SaleAt(Money price, Money shares, Money paid, const FeeSchedule& schedule)
{
    try {
        const Money amount = price * shares;
        const auto fees = schedule.Charge(Side::Sell, amount, shares);
        if (!fees)
            return std::nullopt;
        SaleOutcome sale;
        sale.price = price;
        sale.fees = fees->Total();
        sale.received = amount - sale.fees;
        sale.profit = sale.received - paid;
        sale.yieldPercent = YieldOn(sale.profit, paid);
        return sale;
    } catch (const OutOfRange&) {
        return std::nullopt;
    }
}

namespace {

// The round steps: 1, 2 or 5 ticks times a power of ten.
template <typename Better>
Money RoundStep(Money tick, Better better)
{
    Money step = tick;
    for (std::int64_t scale = 1; scale <= 1'000'000'000; scale *= 10) {
        for (std::int64_t factor : {1, 2, 5}) {
            const Money candidate = tick.TimesWhole(scale * factor);
            if (better(candidate, step))
                step = candidate;
        }
    }
    return step;
}

// The round step nearest to `wanted`.
Money NearestRoundStep(Money tick, double wanted)
{
    const auto distance = [wanted](Money step) { return std::fabs(std::log(step.ToDouble() / std::max(wanted, 1e-9))); };
    return RoundStep(tick, [&](Money candidate, Money best) { return distance(candidate) < distance(best); });
}

// The least round step at or above `wanted`.
Money RoundStepAtLeast(Money tick, Money wanted)
{
    return RoundStep(tick, [&](Money candidate, Money best) {
        return best < wanted ? candidate > best : candidate >= wanted && candidate < best;
    });
}

// A whole number of steps at or below the price.
Money FloorToStep(Money price, Money step) { return Money::FromRaw(price.Raw() / step.Raw() * step.Raw()); }

} // namespace

std::vector<Money> LadderPrices(Money around, Market market, std::span<const Money> marks)
{
    return LadderPrices(around, PriceTick(market), marks);
}

std::vector<Money> LadderPrices(Money around, Money tick, std::span<const Money> marks)
{
    // About 1 % of the price a step, so that 20 steps span 10 % either side.
    Money step = NearestRoundStep(tick, around.ToDouble() * 0.01);
    const double steps = std::round(around.ToDouble() * 0.2 / step.ToDouble());
    int rows = static_cast<int>(std::clamp(steps + 1, 15.0, 25.0));
    Money start = FloorToStep(around, step) - step.TimesWhole((rows - 1) / 2);
    if (start < step)
        start = step;  // no price at or below zero
    Money low = start;
    Money high = start + step.TimesWhole(rows - 1);
    bool outside = false;
    for (Money mark : marks) {
        if (mark > Money() && (mark < low || mark > high)) {
            low = std::min(low, mark);
            high = std::max(high, mark);
            outside = true;
        }
    }
    if (outside) {
        // Coarser round steps over the whole span, twenty of them at most.
        step = RoundStepAtLeast(tick, Money::FromRaw((high - low).Raw() / 20));
        start = std::max(FloorToStep(low, step), step);
        rows = static_cast<int>((high - start).Raw() / step.Raw()) + 1;
        if (start + step.TimesWhole(rows - 1) < high)
            ++rows;
    }
    std::vector<Money> prices;
    for (int i = 0; i < rows; ++i)
        prices.push_back(start + step.TimesWhole(i));
    return prices;
}

Outcome ConfirmTargetBuy(TargetFields& fields, Field field)
{
    const CheckOutcome check =
        field == BuyPrice ? CheckBuyPriceText(fields.text[field]) : CheckBuyQuantityText(fields.text[field]);
    if (!check.accepted)
        return Refusal(check.reason, field);
    fields.text[field] = check.text;
    return {};
}

namespace {

// The purchase as its fields would be confirmed (empty texts when they do not pass) under the settings.
PaidBasis BasisOf(const TargetFields& fields, const FeeSettings& settings)
{
    TargetFields copy = fields;
    for (Field field : {BuyPrice, Quantity}) {
        if (!ConfirmTargetBuy(copy, field).ok())
            return {{}, {}, settings};
    }
    return {copy.text[BuyPrice], copy.text[Quantity], settings};
}

} // namespace

void AdoptTargetPaid(TargetFields& fields, const FeeSettings& settings)
{
    fields.paidFor = BasisOf(fields, settings);
}

void TakePurchase(TargetFields& fields, const HeldPosition& held, const FeeSettings& settings)
{
    fields.text[BuyPrice] = FormatPicture(held.buyPrice, kPricePicture);
    fields.text[Quantity] = FormatPicture(held.shares, kSharesPicture);
    fields.text[Paid] = FormatPicture(held.toRecover, kAmountPicture);
    AdoptTargetPaid(fields, settings);
}

Outcome ComputeTargetPaid(TargetFields& fields, const FeeSettings& settings)
{
    Outcome outcome;
    const auto purchase = ReadPurchase(fields, outcome);
    if (!purchase)
        return outcome;
    const ScheduleReading reading = ReadSchedule(settings);
    if (!reading.schedule)
        return Refusal(reading.problem);
    try {
        const Money amount = purchase->price * purchase->quantity;
        const auto fees = reading.schedule->ChargeTotal(Side::Buy, amount, purchase->quantity);
        if (!fees)
            return Refusal(Reason::FieldOutOfRange, Quantity);
        fields.text[Paid] = FormatPicture(amount + *fees, kAmountPicture);
        AdoptTargetPaid(fields, settings);
    } catch (const OutOfRange&) {
        return Refusal(Reason::FieldOutOfRange, Quantity);
    }
    return {};
}

Outcome ConfirmTarget(TargetFields& fields, TargetBy by)
{
    const Field field = by == TargetBy::Yield ? Yield : Profit;
    const auto value = ParseNumber(fields.text[field]);
    if (by == TargetBy::Yield) {
        if (!value || !(*value > -100) || *value >= 1e6)
            return Refusal(Reason::TargetYield, field);
        fields.text[field] = FormatPicture(*value, kYieldPicture);
        // Shown as nothing, or as -100.00: what it would be read as next time is refused now.
        const auto shown = ParseNumber(fields.text[field]);
        if (!shown || !(*shown > -100))
            return Refusal(Reason::TargetYield, field);
        return {};
    }
    if (!value || std::fabs(*value) >= 1e13)
        return Refusal(Reason::TargetProfit, field);
    fields.text[field] = FormatPicture(*value, kAmountPicture);
    return {};
}

namespace {

TargetResult Compute(TargetFields& fields, TargetBy by, const FeeSettings& settings)
{
    TargetResult result;
    TargetFields work = fields;
    const Field targetField = by == TargetBy::Yield ? Yield : Profit;

    const auto purchase = ReadPurchase(work, result.outcome);
    if (!purchase)
        return result;
    for (Field field : {BuyPrice, Quantity})
        ConfirmTargetBuy(work, field);
    if (!MoneyOf(work.text[Paid]) || work.paidFor != BasisOf(work, settings)) {
        result.outcome = ComputeTargetPaid(work, settings);
        if (!result.outcome.ok())
            return result;
    }
    result.outcome = ConfirmTarget(work, by);
    if (!result.outcome.ok())
        return result;
    const ScheduleReading reading = ReadSchedule(settings);
    if (!reading.schedule) {
        result.outcome = Refusal(reading.problem);
        return result;
    }
    const FeeSchedule& schedule = *reading.schedule;
    const Money paid = *MoneyOf(work.text[Paid]);
    const Money shares = purchase->quantity;
    const Money tick = schedule.Tick();
    result.pricePicture = TickPicture(tick);

    // The target as profit; the other field shows what it implies. A yield on no money paid means
    // nothing: such a target is no target, and no yield is implied.
    std::optional<Money> profit;
    bool targeted = true;
    if (by == TargetBy::Yield) {
        targeted = YieldMeans(paid);
        profit = targeted ? ProfitOfYield(paid, work.text[Yield]) : Money();
        if (profit && targeted)
            work.text[Profit] = FormatPicture(*profit, kAmountPicture);
    } else {
        profit = MoneyOf(work.text[Profit]);
        if (profit && *profit <= Money() - paid) {
            result.outcome = Refusal(Reason::TargetProfit, Profit);
            return result;
        }
        if (profit && YieldMeans(paid) && *profit >= paid.TimesWhole(kYieldLimitTimesPaid)) {
            result.outcome = Refusal(Reason::TargetProfitTooLarge, Profit);
            return result;
        }
        if (profit)
            work.text[Yield] = YieldMeans(paid) ? FormatPicture(YieldOn(*profit, paid), kYieldPicture) : std::string();
    }
    if (!profit) {
        result.outcome = Refusal(Reason::FieldOutOfRange, targetField);
        return result;
    }
    if (!YieldMeans(paid))
        result.note = msg::kNothingPaidNote;

    const auto breakEven = schedule.RecoveryPrice(paid, shares);
    const auto targetPrice = targeted ? schedule.LowestSalePriceReaching(paid + *profit, shares) : Money();
    const auto atTarget = targetPrice && targeted ? SaleAt(*targetPrice, shares, paid, schedule) : std::nullopt;
    if (!breakEven || !targetPrice || (targeted && !atTarget)) {
        result.outcome = Refusal(Reason::FieldOutOfRange, targetField);
        return result;
    }
    if (*targetPrice >= kPriceLimit) {
        result.outcome = Refusal(Reason::TargetPriceTooHigh, targetField);
        return result;
    }
    for (Field field : kTargetResults)
        work.text[field].clear();
    if (targeted) {
        work.text[Price] = FormatPicture(*targetPrice, result.pricePicture);
        work.text[Received] = FormatPicture(atTarget->received, kAmountPicture);
        work.text[ProfitAtPrice] = FormatPicture(atTarget->profit, kAmountPicture);
        if (YieldMeans(paid))
            work.text[YieldAtPrice] = FormatPicture(atTarget->yieldPercent, kYieldPicture);
    }
    work.text[BreakEven] = FormatPicture(*breakEven, result.pricePicture);

    // The ladder around the cost per share (bonus shares and a partial sale counted), with the
    // break-even and the target in their places.
    const Money around = YieldMeans(paid) ? Money::FromRaw(std::max<std::int64_t>(paid.Raw() / std::max<std::int64_t>(shares.ToWhole(), 1), 1))
                                          : purchase->price;
    std::vector<Money> marks;
    if (*breakEven > Money())
        marks.push_back(*breakEven);
    if (targeted)
        marks.push_back(*targetPrice);
    std::vector<Money> prices = LadderPrices(around, tick, marks);
    for (Money marked : marks) {
        if (std::find(prices.begin(), prices.end(), marked) == prices.end())
            prices.push_back(marked);
    }
    std::sort(prices.begin(), prices.end());
    for (Money price : prices) {
        const auto sale = SaleAt(price, shares, paid, schedule);
        if (!sale)
            continue;
        LadderRow row = MakeRow(*sale, paid, result.pricePicture);
        row.breakEven = *breakEven > Money() && price == *breakEven;
        row.target = targeted && price == *targetPrice;
        result.ladder.push_back(std::move(row));
    }

    // The curve across the ladder's range, on the tick.
    const Money from = prices.front();
    const Money to = prices.back();
    const std::int64_t ticks = (to - from).Raw() / tick.Raw();
    const std::int64_t every = std::max<std::int64_t>(1, ticks / kCurvePoints);
    for (std::int64_t k = 0; k <= ticks; k = k < ticks ? std::min(k + every, ticks) : ticks + 1) {
        if (const auto sale = SaleAt(from + tick.TimesWhole(k), shares, paid, schedule))
            result.curve.push_back({sale->price.ToDouble(), sale->profit.ToDouble()});
    }

    fields = work;
    return result;
}

} // namespace

TargetResult ComputeTargetPrice(TargetFields& fields, TargetBy by, const FeeSettings& settings)
{
    try {
        return Compute(fields, by, settings);
    } catch (const OutOfRange&) {
        // A sum beyond Money's range on the way: nothing was written.
        TargetResult result;
        result.outcome = Refusal(Reason::FieldOutOfRange, by == TargetBy::Yield ? Yield : Profit);
        return result;
    }
}

} // namespace qcal
