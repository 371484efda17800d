// The fees and the break-even price under the rules in force today (现行规则), exact in decimals:
// every fee is the amount times its rate, rounded to 0.01 yuan halves up, from the rate's text as
// typed (never a binary double); the commission's 5-yuan minimum applies after rounding, unless
// the account waives it.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/fees.h"

namespace qcal {

namespace {

// Stamp duty on sells: 0.5 per mille; transfer fee on both sides: 0.01 per mille.
constexpr ExactDecimal kStampDutyRate{5, 1};
constexpr ExactDecimal kTransferFeeRate{1, 2};
const Money kMinimumCommission = Money::FromWhole(5);

// The most ticks tried one by one before a crossing.
constexpr std::int64_t kMaxTicksTried = 1 << 20;

// amount × rate ‰, to 0.01 halves up (amounts are never negative here).
Money Fee(Money amount, const ExactDecimal& rate) { return amount.TimesDecimalToCent(rate.units, rate.scale + 3); }

bool IsAShare(Market market) { return market == Market::Shanghai || market == Market::Shenzhen; }

SideFeeResult CurrentFees(Money amount, Side side, const Rates& rates)
{
    SideFeeResult r;
    r.commission = Fee(amount, rates.commissionExact);
    if (!rates.waiveMinimum && r.commission < kMinimumCommission)
        r.commission = kMinimumCommission;
    if (IsAShare(rates.market)) {
        if (side == Side::Sell)
            r.stampDuty = Fee(amount, kStampDutyRate);
        r.transferFee = Fee(amount, kTransferFeeRate);
    }
    return r;
}

// The net of selling `shares` at k ticks, or nullopt once a value leaves Money's range (which it
// then does at every later k too: the amount and the fees only grow).
struct Sale {
    Money shares;
    Money tick;
    const Rates& rates;

    std::optional<Money> AmountAt(std::int64_t k) const
    {
        std::int64_t raw = 0;
        if (__builtin_mul_overflow(k, tick.Raw(), &raw))
            return std::nullopt;
        try {
            return Money::FromRaw(raw) * shares;
        } catch (const OutOfRange&) {
            return std::nullopt;
        }
    }

    std::optional<Money> NetAt(std::int64_t k) const
    {
        const auto amount = AmountAt(k);
        if (!amount)
            return std::nullopt;
        try {
            const auto fees = TradeFees(*amount, shares, Side::Sell, rates);
            if (!fees)
                return std::nullopt;
            return *amount - fees->commission - fees->stampDuty - fees->transferFee;
        } catch (const OutOfRange&) {
            return std::nullopt;
        }
    }
};

} // namespace

Money PriceTick(Market market) { return Money::FromRaw(market == Market::Funds ? 10 : 100); }

std::optional<SideFeeResult> TradeFees(Money amount, Money quantity, Side side, const Rates& rates)
{
    if (rates.rules == FeeRules::Own)
        return SideFees(amount, quantity, rates);
    try {
        return CurrentFees(amount, side, rates);
    } catch (const OutOfRange&) {
        return std::nullopt;
    }
}

std::optional<Money> TradeFeesTotal(Money amount, Money quantity, Side side, const Rates& rates)
{
    const auto fees = TradeFees(amount, quantity, side, rates);
    if (!fees)
        return std::nullopt;
    try {
        const Money sum = fees->commission + fees->stampDuty + fees->transferFee;
        return Money::FromRaw(sum.TimesWhole(100).ToWhole() * 100);
    } catch (const OutOfRange&) {
        return std::nullopt;
    }
}

// The net of a sale never falls by more than rounding as the price rises: each fee rises by its
// rate times the amount's rise, within a cent of rounding (the program's own fees, rounded from
// doubles, within a cent and a few units of 2^-53) (the minimum commission only flattens
// the rise), so between two prices whose amounts differ by ΔA the net rises by at least
// (1 − r) × ΔA − 0.03, r the three rates together. Galloping and bisection find a price below
// the target followed by one at or above it; an earlier price can reach the target only within
// 0.03 / (1 − r) of the amount below it, a few ticks at most, and those are tried one by one. So
// the price found is the first on the tick that reaches the target, as a walk over every tick
// from zero would find.
std::optional<Money> LowestSalePriceReaching(Money toRecover, Money shares, const Rates& rates)
{
    if (shares <= Money() || toRecover <= Money())
        return std::nullopt;
    const Sale sale{shares, PriceTick(rates.market), rates};
    const auto reaches = [&](std::int64_t k) -> std::optional<bool> {
        const auto net = sale.NetAt(k);
        if (!net)
            return std::nullopt;
        return *net >= toRecover;
    };

    // The rates together, an upper bound: the commission and both other fees.
    const double rate = rates.rules == FeeRules::Current
                            ? static_cast<double>(rates.commissionExact.units) /
                                      std::pow(10.0, rates.commissionExact.scale) / 1000 +
                                  0.0005 + 0.00001
                            : (rates.commission + rates.stampDuty) / 1000 + 1e-9;
    if (!(rate < 1))
        return std::nullopt;

    // A bracket around an estimate: the net is about (1 − r) × amount, less the minimum commission.
    // lo is a tick below the target (k = 0 is: at price 0 nothing comes in and the fees are not
    // negative), hi one that reaches it or leaves the range; from the estimate the steps double
    // until they pass the crossing.
    std::int64_t lo = 0;
    std::int64_t hi = 0;
    std::optional<bool> top;
    const double perTick = sale.tick.ToDouble() * shares.ToDouble() * (1 - rate);
    const double estimate = (toRecover.ToDouble() + 5) / perTick;
    const std::int64_t guess = estimate >= 1 && estimate < 1e18 ? static_cast<std::int64_t>(estimate) : 1;
    top = reaches(guess);
    if (top && !*top) {
        lo = guess;
        for (std::int64_t step = 1;; step *= 2) {
            if (lo > std::numeric_limits<std::int64_t>::max() - step)
                return std::nullopt;
            hi = lo + step;
            top = reaches(hi);
            if (!top || *top)
                break;
            lo = hi;
        }
    } else {
        hi = guess;
        for (std::int64_t step = 1; hi - step > 0; step *= 2) {
            const auto below = reaches(hi - step);
            if (below && !*below) {
                lo = hi - step;
                break;
            }
            hi -= step;
            top = below;
        }
    }
    while (hi - lo > 1) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        const auto m = reaches(mid);
        if (m && !*m) {
            lo = mid;
        } else {
            hi = mid;
            top = m;
        }
    }

    // The few ticks before the crossing where rounding could still let an earlier one reach it;
    // where they would be too many to try (the program's own rates within a hair of 1000 per
    // mille), rounding noise decides, and there is no answer to give.
    const double window = 0.03 * static_cast<double>(Money::kScale) / (1 - rate) + 1;
    const Money anchor = *sale.AmountAt(lo);
    std::int64_t first = -1;
    std::int64_t tried = 0;
    for (std::int64_t k = lo - 1; k > 0; --k) {
        if (static_cast<double>((anchor - *sale.AmountAt(k)).Raw()) > window)
            break;
        if (++tried > kMaxTicksTried)
            return std::nullopt;
        if (reaches(k).value_or(false))
            first = k;
    }
    if (first > 0)
        hi = first;
    else if (!top)
        return std::nullopt;
    return sale.AmountAt(hi) ? std::optional<Money>(Money::FromRaw(hi * sale.tick.Raw())) : std::nullopt;
}

std::optional<Money> CurrentBreakEven(Money toRecover, Money shares, const Rates& rates)
{
    if (rates.market == Market::Other)
        return Money();
    if (shares <= Money())
        return std::nullopt;
    if (toRecover <= Money())
        return Money();
    return LowestSalePriceReaching(toRecover, shares, rates);
}

std::optional<Money> HoldingBreakEven(const Holding& holding, const Rates& rates)
{
    if (rates.rules == FeeRules::Own)
        return BreakEvenPrice(holding.price, holding.shares, rates);
    return CurrentBreakEven(holding.toRecover, holding.shares, rates);
}

} // namespace qcal
