#include "core/schedule.h"

#include <cmath>
#include <limits>

#include "core/price_search.h"
#include "core/schedules/current.h"
#include "core/schedules/own.h"

namespace qcal {

namespace {

// A rate must be a number, not negative.
std::optional<double> ReadRate(std::string_view text)
{
    const auto value = ParseNumber(text);
    if (!value || !(*value >= 0))
        return std::nullopt;
    return value;
}

// At 1000 per mille or more the sell fees grow as fast as the sell amount, so no selling price
// ever pays back the fees and the break-even search could never end.
bool RatesSumTooLarge(double commission, double stampDuty) { return commission + stampDuty >= 1000.0; }

// Brings a decimal of the given scale to the common scale 10^-18, for comparing two of them.
Int128 ScaleTo18(int scale)
{
    Int128 factor = 1;
    for (int i = scale; i < ExactDecimal::kMaxScale; ++i)
        factor *= 10;
    return factor;
}

// The rates every schedule has: the commission read, and the row of the kind of security.
Rates BaseRates(const FeeSettings& settings, double commission)
{
    Rates rates;
    rates.commission = commission;
    rates.instrument = &FindInstrument(settings.market, settings.instruments ? *settings.instruments
                                                                             : BuiltInInstruments());
    rates.market = rates.instrument->market;
    return rates;
}

// A rate of the broker's terms, exactly as typed: a number, not negative.
std::optional<ExactDecimal> ExactRate(std::string_view text)
{
    const auto exact = ParseExactDecimal(text);
    if (!exact || exact->units < 0)
        return std::nullopt;
    return exact;
}

std::optional<Money> Minimum(std::string_view text)
{
    const auto money = ParseMoney(text);
    if (!money || *money < Money())
        return std::nullopt;
    return money;
}

// The commission rate and minimum the broker's terms give the kind of security.
bool ReadKindCommission(const BrokerTerms& terms, Rates& rates)
{
    std::optional<ExactDecimal> rate = rates.commissionExact;
    std::optional<Money> minimum;
    switch (rates.instrument->commission) {
    case CommissionKind::Shares:
        minimum = Minimum(terms.sharesMinimum);
        break;
    case CommissionKind::Funds:
        if (!terms.fundsCommission.empty())
            rate = ExactRate(terms.fundsCommission);
        minimum = Minimum(terms.fundsMinimum);
        break;
    case CommissionKind::Bonds:
        rate = ExactRate(terms.bondsCommission);
        minimum = Minimum(terms.bondsMinimum);
        break;
    }
    if (!rate || !minimum)
        return false;
    rates.kindCommission = *rate;
    rates.kindMinimum = *minimum;
    return true;
}

// Under the current rules the stamp duty and the transfer fee are the law's, not the lists': only
// the commission is read, exactly, and it may not exceed the legal maximum; the kind's own rate and
// minimum come from the broker's terms.
RateReading ReadCurrentRules(const FeeSettings& settings, double commission)
{
    const auto exact = ExactRate(settings.commission);
    if (!exact)
        return {std::nullopt, Reason::CommissionRate};
    if (static_cast<Int128>(exact->units) * ScaleTo18(exact->scale) >
        static_cast<Int128>(kCommissionCap.units) * ScaleTo18(kCommissionCap.scale))
        return {std::nullopt, Reason::CommissionAboveCap};
    Rates rates = BaseRates(settings, commission);
    rates.rules = FeeRules::Current;
    rates.waiveMinimum = settings.waiveMinimum;
    rates.commissionExact = *exact;
    if (!ReadKindCommission(settings.terms, rates))
        return {std::nullopt, Reason::BrokerTerms};
    return {rates, Reason::None};
}

const FeeModel& ModelOf(FeeRules rules)
{
    return rules == FeeRules::Current ? CurrentRulesModel() : OwnRulesModel();
}

// The net of selling `shares` at k ticks, for the search over the tick: nullopt once a value
// leaves Money's range (which it then does at every later k too: the amount and the fees only grow).
struct Sale {
    Money shares;
    Money tick;
    const FeeSchedule& schedule;

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

    search::Probe Reaches(std::int64_t k, Money target) const
    {
        const auto amount = AmountAt(k);
        if (!amount)
            return search::Probe::OutOfRange;
        try {
            const auto fees = schedule.Charge(Side::Sell, *amount, shares);
            if (!fees)
                return search::Probe::OutOfRange;
            return *amount - fees->Total() >= target ? search::Probe::Reached : search::Probe::Below;
        } catch (const OutOfRange&) {
            return search::Probe::OutOfRange;
        }
    }
};

// Each fee rises by its rate times the amount's rise, within a cent of rounding (the program's own
// fees, rounded from doubles, within a cent and a few units of 2^-53), so between two prices whose
// amounts differ by ΔA the net rises by at least (1 − r) × ΔA − 0.03, r the rates together: an
// earlier price can reach the target only within 0.03 / (1 − r) of the amount below the crossing.
struct SaleScanBack {
    const Sale& sale;
    double window;  // ten-thousandths of the amount

    bool Decidable(std::int64_t, std::int64_t) const { return true; }
    bool Near(std::int64_t k, std::int64_t lo) const
    {
        return static_cast<double>((*sale.AmountAt(lo) - *sale.AmountAt(k)).Raw()) <= window;
    }
};

// The most ticks tried one by one before a crossing.
constexpr std::int64_t kMaxTicksTried = 1 << 20;

} // namespace

RateReading ReadFeeSettings(const FeeSettings& settings)
{
    const auto c = ReadRate(settings.commission);
    if (!c)
        return {std::nullopt, Reason::CommissionRate};
    if (settings.rules == FeeRules::Current)
        return ReadCurrentRules(settings, *c);
    const auto s = ReadRate(settings.stampDuty);
    if (!s)
        return {std::nullopt, Reason::StampDutyRate};
    // The stamp duty list holds only the legal rates, so a sum out of range is the typed commission's fault.
    if (RatesSumTooLarge(*c, *s))
        return {std::nullopt, Reason::CommissionRate};
    Rates rates = BaseRates(settings, *c);
    rates.stampDuty = *s;
    return {rates, Reason::None};
}

std::optional<Rates> ReadRates(const FeeSettings& settings) { return ReadFeeSettings(settings).rates; }

ScheduleReading ReadSchedule(const FeeSettings& settings)
{
    const RateReading reading = ReadFeeSettings(settings);
    if (!reading.rates)
        return {std::nullopt, reading.problem};
    return {FeeSchedule(*reading.rates), Reason::None};
}

FeeSchedule::FeeSchedule(const Rates& rates) : rates_(rates), model_(&ModelOf(rates.rules)) {}

std::optional<SideFeeResult> FeeSchedule::Charge(Side side, Money amount, Money quantity) const
{
    try {
        return model_->Charge(rates_, side, amount, quantity);
    } catch (const OutOfRange&) {
        return std::nullopt;
    }
}

std::optional<Money> FeeSchedule::ChargeTotal(Side side, Money amount, Money quantity) const
{
    const auto fees = Charge(side, amount, quantity);
    if (!fees)
        return std::nullopt;
    try {
        return Money::FromRaw(fees->Total().TimesWhole(100).ToWhole() * 100);
    } catch (const OutOfRange&) {
        return std::nullopt;
    }
}

std::optional<Money> FeeSchedule::LowestSalePriceReaching(Money target, Money shares) const
{
    if (shares <= Money() || target <= Money())
        return std::nullopt;
    const double rate = model_->RateBound(rates_);
    if (!(rate < 1))
        return std::nullopt;
    const Sale sale{shares, Tick(), *this};
    // The net is about (1 − r) × amount, less the minimum commission: a guess to gallop from. Step
    // 0 (nothing sold) is below any positive target.
    const double perTick = sale.tick.ToDouble() * shares.ToDouble() * (1 - rate);
    const double estimate = (target.ToDouble() + kMinimumCommission.ToDouble()) / perTick;
    search::Grid grid;
    grid.floor = 1;
    grid.belowFloorKnown = true;
    grid.guess = estimate >= 1 && estimate < 1e18 ? static_cast<std::int64_t>(estimate) : 1;
    grid.maxTriedBack = kMaxTicksTried;
    SaleScanBack scan{sale, 0.03 * static_cast<double>(Money::kScale) / (1 - rate) + 1};
    const auto k = search::FirstReaching(grid, [&](std::int64_t at) { return sale.Reaches(at, target); }, scan);
    if (!k || !sale.AmountAt(*k))
        return std::nullopt;
    return Money::FromRaw(*k * sale.tick.Raw());
}

Outcome BuyLotRefusal(const FeeSchedule& schedule, Money quantity, int field)
{
    if (!schedule.model().EnforcesLots() || IsValidBuy(schedule.instrument(), quantity))
        return {};
    return Refusal(Reason::NotTradableBuy, field, schedule.instrument().buyRule);
}

Outcome SellLotRefusal(const FeeSchedule& schedule, Money quantity, std::optional<Money> held, int field)
{
    if (!schedule.model().EnforcesLots() || IsValidSell(schedule.instrument(), quantity, held))
        return {};
    return Refusal(Reason::NotTradableSell, field, schedule.instrument().sellRuleText);
}

std::optional<Money> FeeSchedule::RecoveryPrice(Money toRecover, Money shares) const
{
    if (toRecover <= Money())
        return Money();
    return LowestSalePriceReaching(toRecover, shares);
}

std::optional<Money> SaleBreakEven(const FeeSchedule& schedule, Money toRecover, Money shares)
{
    if (!schedule.instrument().breakEven)
        return Money();
    if (shares <= Money())
        return std::nullopt;
    return schedule.RecoveryPrice(toRecover, shares);
}

} // namespace qcal
