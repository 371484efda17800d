#include "core/schedules/current.h"

#include <cmath>

#include "core/rounding.h"

namespace qcal {

namespace {

// Stamp duty on sells: 0.5 per mille (since 2023-08-28); transfer fee on both sides: 0.01 per
// mille (since 2022-04-29).
constexpr ExactDecimal kStampDutyRate{5, 1};
constexpr ExactDecimal kTransferFeeRate{1, 2};

// amount × rate ‰, to 0.01 halves up (amounts are never negative here).
Money Fee(Money amount, const ExactDecimal& rate) { return amount.TimesDecimalToCent(rate.units, rate.scale + 3); }

bool Pays(Charged charged, Side side)
{
    return charged == Charged::OnBoth || (charged == Charged::OnSells && side == Side::Sell);
}

double PerMille(const ExactDecimal& rate) { return static_cast<double>(rate.units) / std::pow(10.0, rate.scale) / 1000; }

class CurrentModelImpl final : public FeeModel {
public:
    std::optional<SideFeeResult> Charge(const Rates& rates, Side side, Money amount, Money) const override
    {
        SideFeeResult r;
        r.commission = Fee(amount, rates.kindCommission);
        if (!rates.waiveMinimum && r.commission < rates.kindMinimum)
            r.commission = rates.kindMinimum;
        if (Pays(rates.instrument->stampDuty, side))
            r.stampDuty = Fee(amount, kStampDutyRate);
        if (Pays(rates.instrument->transferFee, side))
            r.transferFee = Fee(amount, kTransferFeeRate);
        return r;
    }

    // The commission and both other fees, an upper bound whatever the kind pays.
    double RateBound(const Rates& rates) const override
    {
        return PerMille(rates.kindCommission) + PerMille(kStampDutyRate) + PerMille(kTransferFeeRate);
    }

    // The money still to recover decides (SaleBreakEven).
    std::optional<Money> HoldingBreakEven(const FeeSchedule& schedule, const Holding& holding) const override
    {
        return SaleBreakEven(schedule, holding.toRecover, holding.shares);
    }

    // A purchase recovers what it cost: its amount and its own buy fees.
    std::optional<Money> PurchaseBreakEven(const FeeSchedule& schedule, Money price, Money shares) const override
    {
        const Money amount = price * shares;
        const auto fees = schedule.Charge(Side::Buy, amount, shares);
        if (!fees)
            return std::nullopt;
        return HoldingBreakEven(schedule, {price, shares, amount + fees->Total()});
    }

    // The amount, exact, and the buy fees of that one trade, each already rounded to the cent.
    std::optional<std::int32_t> PaymentCents(const FeeSchedule& schedule, double n, double p) const override
    {
        try {
            const Money shares = Money::FromDouble(n);
            const Money amount = Money::FromDouble(p) * shares;
            const auto fees = schedule.Charge(Side::Buy, amount, shares);
            if (!fees)
                return std::nullopt;
            const Money payment = amount + fees->Total();
            return RoundToInt32(static_cast<double>(payment.TimesWhole(100).ToWhole()));
        } catch (const OutOfRange&) {
            return std::nullopt;
        }
    }

    // Each batch is a trade of its own: its own commission with its own minimum, its own transfer
    // fee and, on sells, its own stamp duty.
    std::optional<BatchCharge> ChargeBatches(const FeeSchedule& schedule, Side side, std::span<const Batch> batches,
                                             Money, Money) const override
    {
        BatchCharge charged;
        for (const Batch& batch : batches) {
            if (batch.quantity <= Money())
                continue;
            const auto fees = schedule.Charge(side, batch.price * batch.quantity, batch.quantity);
            if (!fees)
                return std::nullopt;
            charged.fees.commission += fees->commission;
            charged.fees.stampDuty += fees->stampDuty;
            charged.fees.transferFee += fees->transferFee;
            charged.fees.otherFees += fees->otherFees;
        }
        return charged;
    }

    bool ExactDecimals() const override { return true; }
    bool RealisesPartialSales() const override { return true; }
    bool EnforcesLots() const override { return true; }
    bool BreakEvenOnTheTick() const override { return true; }
};

} // namespace

const FeeModel& CurrentRulesModel()
{
    static const CurrentModelImpl model;
    return model;
}

} // namespace qcal
