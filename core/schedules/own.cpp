#include "core/schedules/own.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/numtext.h"
#include "core/picture.h"
#include "core/price_search.h"
#include "core/rounding.h"

namespace qcal {

namespace {

// The model's rule values. Rates are per mille; the transfer fee is Shanghai's, per share, with a
// minimum a trade (and a batch).
constexpr double kPerMille = 0.001;
constexpr double kTransferPerShare = 0.001;
constexpr double kTransferMinimum = 1;
const double kMinimum = kMinimumCommission.ToDouble();

// A rate in per mille of an amount, in doubles, rounded to the cent through the 32-bit rounding.
Money RateOf(double rate, double amount) { return Money::FromDouble(RoundInt32(rate * amount * kPerMille * 100) / 100.0); }

// The transfer fee of a trade of `shares` shares, kept to four decimals (1,555 shares pay 1.555).
Money TransferFee(Money shares)
{
    const Money t = Money::FromDouble(shares.ToDouble() * kTransferPerShare);
    const Money minimum = Money::FromDouble(kTransferMinimum);
    return t >= minimum ? t : minimum;
}

bool PaysStampDuty(const Instrument& row) { return OwnRulesChargeStampDuty(row); }
bool PaysTransferFee(const Instrument& row) { return row.own == OwnModel::ShanghaiShares; }

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
            return S - B - Money::FromDouble(q * kTransferPerShare + (s * sd * kPerMille + c * sd * kPerMille));
        case Form::ShanghaiMinimum:
            return S - B - Money::FromDouble(q * kTransferPerShare + (s * sd * kPerMille + kMinimum));
        case Form::ShanghaiMinimumSmall:
            return S - B - Money::FromDouble(s * sd * kPerMille + kMinimum + kTransferMinimum);
        case Form::ShenzhenProportional:
            return S - B - Money::FromDouble(s * sd * kPerMille + c * sd * kPerMille);
        case Form::ShenzhenMinimum:
            return S - B - Money::FromDouble(s * sd * kPerMille + kMinimum);
        case Form::FundsProportional:
            return S - B - Money::FromDouble(c * sd * kPerMille);
        case Form::FundsFlat:
            return S - kMinimumCommission - kMinimumCommission;
        }
        return S;
    }

    // The fee term's fixed part and its rate on S (a fraction, not per mille), for the error bound.
    void Shape(double& fixed, double& rate) const
    {
        const double q = Q.ToDouble();
        switch (form) {
        case Form::ShanghaiProportional: fixed = q * kTransferPerShare; rate = (s + c) / 1000; return;
        case Form::ShanghaiMinimum: fixed = q * kTransferPerShare + kMinimum; rate = s / 1000; return;
        case Form::ShanghaiMinimumSmall: fixed = kMinimum + kTransferMinimum; rate = s / 1000; return;
        case Form::ShenzhenProportional: fixed = 0; rate = (s + c) / 1000; return;
        case Form::ShenzhenMinimum: fixed = kMinimum; rate = s / 1000; return;
        case Form::FundsProportional: fixed = 0; rate = c / 1000; return;
        case Form::FundsFlat: fixed = 0; rate = 0; return;
        }
    }

    search::Probe At(std::int64_t k) const
    {
        try {
            return Net(PriceAt(k) * Q) >= A ? search::Probe::Reached : search::Probe::Below;
        } catch (const OutOfRange&) {
            return search::Probe::OutOfRange;
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
    // nullopt when there is none, or when a value leaves its range before one is found.
    //
    // N is non-decreasing in k up to rounding noise: p rises by exactly one step per k (k × step is
    // far inside the precision of a double, so each conversion to Money is exact), the amount S =
    // p × Q never falls, and the fees rise by less than S does, because the rates are refused at
    // 1000 per mille. Only the doubles of the fee term can make N dip, and NoiseWindow bounds how
    // far before a crossing that could let an earlier k reach A; the search tries those k one by
    // one, so the answer is the walk's whenever the window is small. It is a handful of steps at
    // most for any commission a broker charges; it grows only for rates within millionths of a
    // per mille of 1000 at prices near the counter's end, where the walk's answer would be decided
    // by rounding noise: beyond kMaxNoiseSteps the search refuses as out of range. The flat model
    // of funds has no noise to make up for.
    std::optional<std::int64_t> FirstReaching() const
    {
        search::Grid grid;
        grid.floor = 0;
        grid.last = kMaxStep;
        grid.maxTriedBack = kMaxNoiseSteps;
        ScanBack scan{*this, 0, Money()};
        return search::FirstReaching(grid, [this](std::int64_t k) { return At(k); }, scan);
    }

    struct ScanBack {
        const Phase& phase;
        double window = 0;
        Money anchor;

        bool Decidable(std::int64_t lo, std::int64_t hi)
        {
            if (phase.form == Form::FundsFlat)
                return true;
            const auto w = phase.NoiseWindow(hi);
            if (!w)
                return false;
            window = *w;
            anchor = phase.PriceAt(lo) * phase.Q;  // lo was probed below A: it is in range
            return true;
        }
        bool Near(std::int64_t k, std::int64_t) const
        {
            if (phase.form == Form::FundsFlat)
                return false;
            return static_cast<double>((anchor - phase.PriceAt(k) * phase.Q).Raw()) <= window;
        }
    };
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
    const bool shanghai = rates.instrument->own == OwnModel::ShanghaiShares;
    const double c = rates.commission;
    const double s = rates.stampDuty;
    const Money A = price * quantity;
    const Money Q = quantity;
    const double q = Q.ToDouble();

    const Money cb = R3(c * A.ToDouble() * kPerMille);
    const Money sb = R3(s * A.ToDouble() * kPerMille);
    const Money tb = shanghai ? Money::FromDouble(q * kTransferPerShare) : Money();
    const Money U = Money::FromDouble(RoundInt32((A + cb + sb + tb).ToDouble() / q * 1000) / 1000.0);
    const Money B = shanghai ? Money::FromDouble(q * kTransferPerShare + (sb + cb).ToDouble()) : sb + cb;

    Phase phase{shanghai ? Phase::Form::ShanghaiProportional : Phase::Form::ShenzhenProportional,
                U, Q, B, A, 0.001, c, s};
    auto k = phase.FirstReaching();
    if (!k)
        return std::nullopt;

    // The sell commission at phase 1's price under the minimum: search again with the minimum charged.
    if (c * (phase.PriceAt(*k) * Q).ToDouble() * kPerMille < kMinimum) {
        if (!shanghai)
            phase.form = Phase::Form::ShenzhenMinimum;
        else if (q * kTransferPerShare >= kTransferMinimum)
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

    const Money cb = R3(c * A.ToDouble() * kPerMille);
    const Money U = Money::FromDouble(RoundInt32((A + cb).ToDouble() / Q.ToDouble() * 1000) / 1000.0);

    // The model is chosen once, at the unit cost: proportional commissions, or both at the minimum.
    const bool proportional = c * (U * Q).ToDouble() * kPerMille > kMinimum;
    const Phase phase{proportional ? Phase::Form::FundsProportional : Phase::Form::FundsFlat,
                      U, Q, cb, A, 0.0001, c, 0};
    const auto k = phase.FirstReaching();
    if (!k)
        return std::nullopt;
    return RoundUpToGrid(phase.PriceAt(*k));
}


} // namespace

bool OwnRulesChargeStampDuty(const Instrument& row) { return row.own != OwnModel::Funds; }

std::optional<Money> OwnBreakEvenPrice(Money price, Money quantity, const Rates& rates)
{
    // No shares, no unit cost (the division by the quantity has no value); fewer than none would
    // make every higher price sell for less, and the search would never end.
    if (quantity <= Money())
        return std::nullopt;
    try {
        switch (rates.instrument->own) {
        case OwnModel::ShanghaiShares:
        case OwnModel::ShenzhenShares:
            return SearchAShares(price, quantity, rates);
        case OwnModel::Funds:
            return SearchFunds(price, quantity, rates);
        case OwnModel::Unknown:
            return Money();
        }
    } catch (const OutOfRange&) {
        return std::nullopt;
    }
    return Money();
}

namespace {

class OwnModelImpl final : public FeeModel {
public:
    // Both sides are charged alike: commission (rounded to the cent, then raised to the minimum),
    // stamp duty at the chosen rate, Shanghai's transfer fee a share.
    std::optional<SideFeeResult> Charge(const Rates& rates, Side, Money amount, Money quantity) const override
    {
        const double a = amount.ToDouble();
        SideFeeResult r;
        r.commission = std::max(RateOf(rates.commission, a), kMinimumCommission);
        if (PaysStampDuty(*rates.instrument))
            r.stampDuty = RateOf(rates.stampDuty, a);
        if (PaysTransferFee(*rates.instrument))
            r.transferFee = TransferFee(quantity);
        return r;
    }

    double RateBound(const Rates& rates) const override { return (rates.commission + rates.stampDuty) / 1000 + 1e-9; }

    std::optional<Money> HoldingBreakEven(const FeeSchedule& schedule, const Holding& holding) const override
    {
        return OwnBreakEvenPrice(holding.price, holding.shares, schedule.rates());
    }

    std::optional<Money> PurchaseBreakEven(const FeeSchedule& schedule, Money price, Money shares) const override
    {
        return OwnBreakEvenPrice(price, shares, schedule.rates());
    }

    // The converter's reckoning: the fees stay unrounded one by one; only the total is rounded,
    // halves to even. A kind the model does not know charges nothing.
    std::optional<std::int32_t> PaymentCents(const FeeSchedule& schedule, double n, double p) const override
    {
        const Rates& rates = schedule.rates();
        const double v = n * p;
        const double c = rates.commission * v * kPerMille;
        const double commission = c > kMinimum ? c : kMinimum;
        double fees = 0;
        switch (rates.instrument->own) {
        case OwnModel::Funds:
            fees = commission;
            break;
        case OwnModel::ShenzhenShares:
            fees = rates.stampDuty * v * kPerMille + commission;
            break;
        case OwnModel::ShanghaiShares: {
            const double t = n * kTransferPerShare;
            fees = rates.stampDuty * v * kPerMille + commission + (t > kTransferMinimum ? t : kTransferMinimum);
            break;
        }
        case OwnModel::Unknown:
            break;
        }
        return RoundToInt32((v + fees) * 100);
    }

    // The batches as one trade (commission with its minimum and stamp duty on the amount as
    // written), but for the transfer fee, which each batch pays itself with its own minimum: three
    // batches of 100 shares pay 3.00, where one trade of 300 shares would pay 1.00.
    std::optional<BatchCharge> ChargeBatches(const FeeSchedule& schedule, Side side, std::span<const Batch> batches,
                                             Money amount, Money quantity) const override
    {
        const Rates& rates = schedule.rates();
        auto fees = Charge(rates, side, amount, quantity);
        if (!fees)
            return std::nullopt;
        BatchCharge charged{*fees, std::nullopt};
        charged.fees.transferFee = Money();
        if (!PaysTransferFee(*rates.instrument))
            return charged;
        std::array<double, 3> perBatch{};
        double transfer = 0;
        for (std::size_t b = 0; b < batches.size() && b < perBatch.size(); ++b) {
            // As written into the batch's tag and read back (to 15 significant digits).
            const double f = batches[b].quantity.ToDouble() * kTransferPerShare;
            perBatch[b] = (f > 0 && f < kTransferMinimum) ? kTransferMinimum : NumberOrZero(FormatPlain(f));
            transfer += perBatch[b];
        }
        charged.fees.transferFee = Money::FromDouble(transfer);
        charged.batchTransferFees = perBatch;
        return charged;
    }

    bool ExactDecimals() const override { return false; }
    bool RealisesPartialSales() const override { return false; }
    bool EnforcesLots() const override { return false; }
    bool BreakEvenOnTheTick() const override { return false; }
};

} // namespace

const FeeModel& OwnRulesModel()
{
    static const OwnModelImpl model;
    return model;
}

} // namespace qcal
