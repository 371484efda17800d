#include "core/fees.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/numtext.h"
#include "core/rounding.h"

namespace qcal {

Market MarketOf(std::string_view marketText)
{
    if (marketText == kShanghai)
        return Market::Shanghai;
    if (marketText == kShenzhen)
        return Market::Shenzhen;
    if (marketText == kFunds)
        return Market::Funds;
    return Market::Other;
}

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

// Under the current rules the stamp duty and the transfer fee are the law's, not the lists': only
// the commission is read, exactly, and it may not exceed the legal maximum.
RateReading ReadCurrentRules(const FeeSettings& settings, double commission)
{
    const auto exact = ParseExactDecimal(settings.commission);
    if (!exact || exact->units < 0)
        return {std::nullopt, Reason::CommissionRate};
    if (static_cast<Int128>(exact->units) * ScaleTo18(exact->scale) >
        static_cast<Int128>(kCommissionCap.units) * ScaleTo18(kCommissionCap.scale))
        return {std::nullopt, Reason::CommissionAboveCap};
    Rates rates;
    rates.commission = commission;
    rates.market = MarketOf(settings.market);
    rates.rules = FeeRules::Current;
    rates.waiveMinimum = settings.waiveMinimum;
    rates.commissionExact = *exact;
    return {rates, Reason::None};
}

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
    Rates rates;
    rates.commission = *c;
    rates.stampDuty = *s;
    rates.market = MarketOf(settings.market);
    return {rates, Reason::None};
}

std::optional<Rates> ReadRates(const FeeSettings& settings) { return ReadFeeSettings(settings).rates; }

std::optional<SideFeeResult> SideFees(Money amount, Money quantity, const FeeSettings& settings)
{
    const auto rates = ReadRates(settings);
    if (!rates)
        return std::nullopt;
    return SideFees(amount, quantity, *rates);
}

std::optional<SideFeeResult> SideFees(Money amount, Money quantity, const Rates& rates)
{
    try {
        const double a = amount.ToDouble();
        SideFeeResult r;
        r.commission = Money::FromDouble(RoundInt32(rates.commission * a * 0.001 * 100) / 100.0);
        const Money minimumCommission = Money::FromWhole(5);
        if (r.commission < minimumCommission)
            r.commission = minimumCommission;
        if (rates.market != Market::Funds)
            r.stampDuty = Money::FromDouble(RoundInt32(rates.stampDuty * a * 0.001 * 100) / 100.0);
        if (rates.market == Market::Shanghai) {
            // Kept to four decimals: 1,555 shares pay 1.555.
            const Money t = Money::FromDouble(quantity.ToDouble() * 0.001);
            r.transferFee = t >= Money::FromWhole(1) ? t : Money::FromWhole(1);
        }
        return r;
    } catch (const OutOfRange&) {
        return std::nullopt;
    }
}

namespace {

constexpr std::int64_t kMaxStep = std::numeric_limits<std::int32_t>::max();

// The most steps tried one by one before a crossing (see Phase::NoiseWindow).
constexpr std::int64_t kMaxNoiseSteps = 1 << 20;

// R3: to 0.001 through the 32-bit rounding, as a Money value.
Money R3(double x) { return Money::FromDouble(RoundInt32(x * 1000) / 1000.0); }

// One phase of the search: candidate prices p = U + k × step for k = 0, 1, 2, …, the sell amount
// S = p × Q, and the net N = S − B − F(S), where the sell-fee term F is
//     F(S) = fixed + stampRate × S × 0.001 + commissionRate × S × 0.001   (rates per mille)
// computed in doubles in the order the fee rules give, then rounded to Money. `form` selects
// that order; the flat model of funds (N = S − 5 − 5) has no proportional part at all.
struct Phase {
    enum class Form {
        ShanghaiProportional, // Q × 0.001 + (s × S × 0.001 + c × S × 0.001)
        ShanghaiMinimum,      // Q × 0.001 + (s × S × 0.001 + 5)
        ShanghaiMinimumSmall, // s × S × 0.001 + 5 + 1
        ShenzhenProportional, // s × S × 0.001 + c × S × 0.001
        ShenzhenMinimum,      // s × S × 0.001 + 5
        FundsProportional,    // c × S × 0.001
        FundsFlat,            // N = S − 5 − 5
    };

    Form form;
    Money U, Q, B, A;
    double step;
    double c, s;

    Money PriceAt(std::int64_t k) const { return U + Money::FromDouble(static_cast<double>(k) * step); }

    Money Net(Money S) const
    {
        const double q = Q.ToDouble();
        const double sd = S.ToDouble();
        switch (form) {
        case Form::ShanghaiProportional:
            return S - B - Money::FromDouble(q * 0.001 + (s * sd * 0.001 + c * sd * 0.001));
        case Form::ShanghaiMinimum:
            return S - B - Money::FromDouble(q * 0.001 + (s * sd * 0.001 + 5));
        case Form::ShanghaiMinimumSmall:
            return S - B - Money::FromDouble(s * sd * 0.001 + 5 + 1);
        case Form::ShenzhenProportional:
            return S - B - Money::FromDouble(s * sd * 0.001 + c * sd * 0.001);
        case Form::ShenzhenMinimum:
            return S - B - Money::FromDouble(s * sd * 0.001 + 5);
        case Form::FundsProportional:
            return S - B - Money::FromDouble(c * sd * 0.001);
        case Form::FundsFlat:
            return S - Money::FromWhole(5) - Money::FromWhole(5);
        }
        return S;
    }

    // The fee term's fixed part and its rate on S (a fraction, not per mille), for the error bound.
    void Shape(double& fixed, double& rate) const
    {
        const double q = Q.ToDouble();
        switch (form) {
        case Form::ShanghaiProportional: fixed = q * 0.001; rate = (s + c) / 1000; return;
        case Form::ShanghaiMinimum: fixed = q * 0.001 + 5; rate = s / 1000; return;
        case Form::ShanghaiMinimumSmall: fixed = 6; rate = s / 1000; return;
        case Form::ShenzhenProportional: fixed = 0; rate = (s + c) / 1000; return;
        case Form::ShenzhenMinimum: fixed = 5; rate = s / 1000; return;
        case Form::FundsProportional: fixed = 0; rate = c / 1000; return;
        case Form::FundsFlat: fixed = 0; rate = 0; return;
        }
    }

    enum class Probe { Below, Reached, OutOfRange };

    Probe At(std::int64_t k) const
    {
        try {
            return Net(PriceAt(k) * Q) >= A ? Probe::Reached : Probe::Below;
        } catch (const OutOfRange&) {
            return Probe::OutOfRange;
        }
    }

    // How far before a crossing (a k below A followed by one at or above it) another k may still
    // reach A, in ten-thousandths of S; nullopt when the net does not grow at all.
    //
    // Exactly, F rises by rate × ΔS between two prices whose amounts differ by ΔS, and N by
    // (1 − rate) × ΔS. In doubles each evaluation of the fee term is off by at most e: no path
    // through it has more than six roundings (the amount to a double, the products with the rate
    // and with 0.001, the sums, the scaling to ten-thousandths), each a relative 2^−53 of a
    // non-negative partial result, so e ≤ 8 × 2^−53 × (fixed + rate × S) ten-thousandths. The
    // final rounding to Money moves each value by at most half a unit. So for k before j,
    //     N(j) − N(k) ≥ (1 − rate) × ΔS − 2e − 1,
    // and with N(j) < A ≤ N(k) (whole ten-thousandths) that needs (1 − rate) × ΔS ≤ 2e.
    std::optional<double> NoiseWindow(std::int64_t kTop) const
    {
        double fixed = 0, rate = 0;
        Shape(fixed, rate);
        // The rate the doubles really apply differs from (s + c) / 1000 by a few units of 2^−53.
        const double unitRoundoff = std::ldexp(1.0, -53);
        const double slope = 1 - rate - 4 * unitRoundoff;
        if (!(slope > 0))
            return std::nullopt;
        const double sMax =
            std::max(std::fabs(U.ToDouble()), std::fabs(U.ToDouble() + static_cast<double>(kTop) * step)) *
            std::fabs(Q.ToDouble());
        const double e = 8 * unitRoundoff * (std::fabs(fixed) + rate * sMax) * 1e4;
        return 2 * e / slope;
    }

    // The first k in 0 … 2^31 − 1 with N ≥ A, the one a walk over every step would stop at;
    // nullopt when there is none, or when a value leaves its range before one is found (an empty
    // result rather than an exception: a counter that runs out is an ordinary outcome here, and
    // unwinding would cost more than the whole search).
    //
    // Galloping (k = 1, 2, 4, …) and bisection find a crossing: lo below A, lo + 1 at or above
    // it. N is non-decreasing in k up to rounding noise: p rises by exactly one step per k (k ×
    // step is far inside the precision of a double, so each conversion to Money is exact), the
    // amount S = p × Q never falls, and the fees rise by less than S does, because the rates are
    // refused at 1000 per mille. Only the doubles of the fee term can make N dip, and NoiseWindow
    // bounds how far before the crossing that could let an earlier k reach A; those few k are
    // tried one by one, so the answer is the walk's whenever the window is small. It is a handful
    // of steps at most for any commission a broker charges; it grows only for rates within
    // millionths of a per mille of 1000 at prices near the counter's end, where the walk's answer
    // would be decided by rounding noise: beyond kMaxNoiseSteps the search refuses as out of range.
    // An out-of-range value at some k means one at every later k (S and F only grow), so it is
    // treated as the end of the bracket like a reached k, and reported only if it comes first.
    std::optional<std::int64_t> FirstReaching() const
    {
        Probe top = At(0);
        if (top == Probe::Reached)
            return 0;
        if (top == Probe::OutOfRange)
            return std::nullopt;
        std::int64_t lo = 0;  // N(lo) < A
        std::int64_t hi = 1;
        for (;;) {
            top = At(hi);
            if (top != Probe::Below)
                break;
            if (hi == kMaxStep) {
                // No k within the 32-bit counter reaches the cost.
                return std::nullopt;
            }
            lo = hi;
            hi = std::min(2 * hi, kMaxStep);
        }
        while (hi - lo > 1) {
            const std::int64_t mid = lo + (hi - lo) / 2;
            const Probe m = At(mid);
            if (m == Probe::Below) {
                lo = mid;
            } else {
                hi = mid;
                top = m;
            }
        }
        if (form != Form::FundsFlat) {
            const auto earlier = EarlierReaching(lo, hi);
            if (!earlier)
                return std::nullopt;
            if (*earlier >= 0)
                return *earlier;
        }
        if (top == Probe::OutOfRange)
            return std::nullopt;
        return hi;
    }

    // The first k before lo that reaches A within the noise window (-1 when none does); nullopt
    // when the window is too wide to try.
    std::optional<std::int64_t> EarlierReaching(std::int64_t lo, std::int64_t hi) const
    {
        const auto window = NoiseWindow(hi);
        if (!window)
            return std::nullopt;
        const Money anchor = PriceAt(lo) * Q;  // lo was probed below A: it is in range
        std::int64_t first = -1;
        for (std::int64_t k = lo - 1, tried = 0; k >= 0; --k) {
            const Money S = PriceAt(k) * Q;
            if (static_cast<double>((anchor - S).Raw()) > *window)
                break;
            if (++tried > kMaxNoiseSteps)
                return std::nullopt;
            if (Net(S) >= A)
                first = k;
        }
        return first;
    }
};

// Rounds a found price up to a multiple of 0.001, through the 32-bit rounding.
Money RoundUpToGrid(Money r)
{
    const Money times1000 = r.TimesWhole(1000);
    const std::int64_t n = times1000.ToWhole();
    if (n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max())
        throw OutOfRange();
    const double result = Money::FromWhole(n) < times1000 ? n / 1000.0 + 0.001 : n / 1000.0;
    return Money::FromDouble(result);
}

std::optional<Money> SearchAShares(Money price, Money quantity, const Rates& rates)
{
    const bool shanghai = rates.market == Market::Shanghai;
    const double c = rates.commission;
    const double s = rates.stampDuty;
    const Money A = price * quantity;
    const Money Q = quantity;
    const double q = Q.ToDouble();

    const Money cb = R3(c * A.ToDouble() * 0.001);
    const Money sb = R3(s * A.ToDouble() * 0.001);
    const Money tb = shanghai ? Money::FromDouble(q * 0.001) : Money();
    const Money U = Money::FromDouble(RoundInt32((A + cb + sb + tb).ToDouble() / q * 1000) / 1000.0);
    const Money B = shanghai ? Money::FromDouble(q * 0.001 + (sb + cb).ToDouble()) : sb + cb;

    Phase phase{shanghai ? Phase::Form::ShanghaiProportional : Phase::Form::ShenzhenProportional,
                U, Q, B, A, 0.001, c, s};
    auto k = phase.FirstReaching();
    if (!k)
        return std::nullopt;

    // The sell commission at phase 1's price under the minimum: search again with the minimum charged.
    if (c * (phase.PriceAt(*k) * Q).ToDouble() * 0.001 < 5) {
        if (!shanghai)
            phase.form = Phase::Form::ShenzhenMinimum;
        else if (q * 0.001 >= 1)
            phase.form = Phase::Form::ShanghaiMinimum;
        else
            phase.form = Phase::Form::ShanghaiMinimumSmall;
        k = phase.FirstReaching();
        if (!k)
            return std::nullopt;
    }
    return RoundUpToGrid(phase.PriceAt(*k));
}

std::optional<Money> SearchFunds(Money price, Money quantity, const Rates& rates)
{
    const double c = rates.commission;
    const Money A = price * quantity;
    const Money Q = quantity;

    const Money cb = R3(c * A.ToDouble() * 0.001);
    const Money U = Money::FromDouble(RoundInt32((A + cb).ToDouble() / Q.ToDouble() * 1000) / 1000.0);

    // The model is chosen once, at the unit cost: proportional commissions, or both at the minimum.
    const bool proportional = c * (U * Q).ToDouble() * 0.001 > 5;
    const Phase phase{proportional ? Phase::Form::FundsProportional : Phase::Form::FundsFlat,
                      U, Q, cb, A, 0.0001, c, 0};
    const auto k = phase.FirstReaching();
    if (!k)
        return std::nullopt;
    return RoundUpToGrid(phase.PriceAt(*k));
}

} // namespace

std::optional<Money> BreakEvenPrice(Money price, Money quantity, const FeeSettings& settings)
{
    const auto rates = ReadRates(settings);
    if (!rates)
        return std::nullopt;
    return BreakEvenPrice(price, quantity, *rates);
}

std::optional<Money> BreakEvenPrice(Money price, Money quantity, const Rates& rates)
{
    // No shares, no unit cost (the division by the quantity has no value); fewer than none would
    // make every higher price sell for less, and the search would never end.
    if (quantity <= Money())
        return std::nullopt;
    try {
        switch (rates.market) {
        case Market::Shanghai:
        case Market::Shenzhen:
            return SearchAShares(price, quantity, rates);
        case Market::Funds:
            return SearchFunds(price, quantity, rates);
        case Market::Other:
            return Money();
        }
    } catch (const OutOfRange&) {
        return std::nullopt;
    }
    return Money();
}

} // namespace qcal
