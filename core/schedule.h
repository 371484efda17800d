#pragma once
// The fee schedule: one value that charges a trade, finds a break-even and the lowest sale price
// reaching a sum, and knows its tick, whatever rules and kind of security are behind it. Every
// window's computation charges through it. Each set of rules is a FeeModel of its own
// (core/schedules/own.*, core/schedules/current.*); ReadSchedule, the factory, is the one place
// that looks at the choice of rules.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "core/fee_settings.h"
#include "core/instrument.h"
#include "core/money.h"

namespace qcal {

// The commission's minimum of a trade (a broker's, the same under both rules).
inline constexpr Money kMinimumCommission = Money::FromRaw(5 * Money::kScale);

// A batch of the multi-batch windows: a price and a quantity.
struct Batch {
    Money price, quantity;
};

// What the batches of a multi-batch window pay together.
struct BatchCharge {
    SideFeeResult fees;
    // The program's own rules charge the batches as one trade but for the transfer fee, which each
    // batch of a market that pays it pays itself (with its own minimum): those fees, as the own
    // model computes them, when it charged any. Then the total is taken from the fees as shown.
    std::optional<std::array<double, 3>> batchTransferFees;
};

class FeeSchedule;

// The behaviour of one set of rules. Stateless: the rates and the row come with each call.
class FeeModel {
public:
    virtual ~FeeModel() = default;

    // The fees of one trade; nullopt when a value leaves the supported range.
    virtual std::optional<SideFeeResult> Charge(const Rates& rates, Side side, Money amount, Money quantity) const = 0;
    // All the rates together, as a fraction of the amount, at least: how fast a sale's fees can grow.
    virtual double RateBound(const Rates& rates) const = 0;
    virtual std::optional<Money> HoldingBreakEven(const FeeSchedule& schedule, const Holding& holding) const = 0;
    // The break-even of a purchase of `shares` at `price`, nothing else held.
    virtual std::optional<Money> PurchaseBreakEven(const FeeSchedule& schedule, Money price, Money shares) const = 0;
    // What a purchase of n shares at p costs, in cents, as the converter reckons it.
    virtual std::optional<std::int32_t> PaymentCents(const FeeSchedule& schedule, double n, double p) const = 0;
    // The batches of a multi-batch window; amount and quantity are their totals.
    virtual std::optional<BatchCharge> ChargeBatches(const FeeSchedule& schedule, Side side, std::span<const Batch> batches,
                                                     Money amount, Money quantity) const = 0;
    // The current rules compute every figure in exact decimals, a dividend paid on the shares
    // bought as the company pays it; the program's own model computes in doubles on the figures as
    // shown, a dividend counted on every share held, bonus shares included.
    virtual bool ExactDecimals() const = 0;
    // A partial sale shows the profit of the part sold (the current rules).
    virtual bool RealisesPartialSales() const = 0;
    // Only what the exchange takes is traded: the kind's lots, its least purchase (the current rules).
    virtual bool EnforcesLots() const = 0;
    // A holding's break-even is a price on the exchange's tick (the current rules); the program's
    // own search finds one on its grid of 0.001.
    virtual bool BreakEvenOnTheTick() const = 0;
};

class FeeSchedule {
public:
    explicit FeeSchedule(const Rates& rates);

    const Rates& rates() const { return rates_; }
    const Instrument& instrument() const { return *rates_.instrument; }
    const FeeModel& model() const { return *model_; }
    Money Tick() const { return rates_.instrument->tick; }

    // The fees of one trade of one side; nullopt when a value leaves the supported range.
    std::optional<SideFeeResult> Charge(Side side, Money amount, Money quantity) const;
    // Their total, rounded to the cent once (halves to even: a fee of the program's own model may
    // have four decimals; the current rules' are in cents already).
    std::optional<Money> ChargeTotal(Side side, Money amount, Money quantity) const;
    // The lowest price on the tick at which selling `shares` brings in, after that sale's own fees,
    // at least `target` (a positive sum); nullopt when no price within Money's range does, or when
    // rounding noise would decide it (rates within a hair of 1000 per mille).
    std::optional<Money> LowestSalePriceReaching(Money target, Money shares) const;
    // The same for the money still to recover on a holding: 0 when nothing is left to recover.
    std::optional<Money> RecoveryPrice(Money toRecover, Money shares) const;

    std::optional<Money> HoldingBreakEven(const Holding& holding) const { return model_->HoldingBreakEven(*this, holding); }
    std::optional<Money> PurchaseBreakEven(Money price, Money shares) const
    {
        return model_->PurchaseBreakEven(*this, price, shares);
    }
    std::optional<std::int32_t> PaymentCents(double n, double p) const { return model_->PaymentCents(*this, n, p); }
    std::optional<BatchCharge> ChargeBatches(Side side, std::span<const Batch> batches, Money amount, Money quantity) const
    {
        return model_->ChargeBatches(*this, side, batches, amount, quantity);
    }

private:
    Rates rates_;
    const FeeModel* model_;
};

// Why the exchange would not take the trade under the schedule's rules (a refusal about `field`
// that names the kind's rule), or nothing. `held` is the holding a sale is made from, when known.
Outcome BuyLotRefusal(const FeeSchedule& schedule, Money quantity, int field);
Outcome SellLotRefusal(const FeeSchedule& schedule, Money quantity, std::optional<Money> held, int field);

// The break-even as the money to recover: the lowest price on the tick at which selling `shares`
// brings in, after that sale's own fees, at least `toRecover`; 0 when nothing is left to recover,
// and for a kind without a break-even. nullopt when no price within Money's range does.
std::optional<Money> SaleBreakEven(const FeeSchedule& schedule, Money toRecover, Money shares);

// The factory: the schedule of the settings, or why it cannot be had (the text at fault).
struct ScheduleReading {
    std::optional<FeeSchedule> schedule;
    Reason problem = Reason::None;
};
ScheduleReading ReadSchedule(const FeeSettings& settings);

} // namespace qcal
