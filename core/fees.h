#pragma once
// The fees of one trade and the break-even price searches, under either set of rules, as plain
// functions of the settings or of the rates read from them: the face the core has always shown to
// programs outside the windows. Each is a thin wrapper over the fee schedule (core/schedule.h),
// through which every window's computation charges.

#include <optional>

#include "core/fee_settings.h"
#include "core/instrument.h"
#include "core/money.h"
#include "core/schedule.h"

namespace qcal {

// The program's own model's fees of one trade of `quantity` shares for `amount` (both sides alike);
// nullopt when a value leaves the supported range.
std::optional<SideFeeResult> SideFees(Money amount, Money quantity, const Rates& rates);
// The same from the settings texts; nullopt also when a rate text is unusable.
std::optional<SideFeeResult> SideFees(Money amount, Money quantity, const FeeSettings& settings);

// The fees of one trade of one side under the chosen rules; nullopt when a value leaves the range.
std::optional<SideFeeResult> TradeFees(Money amount, Money quantity, Side side, const Rates& rates);

// Their total, rounded to the cent once (halves to even).
std::optional<Money> TradeFeesTotal(Money amount, Money quantity, Side side, const Rates& rates);

// The program's own model: the lowest selling price at which selling `quantity` gives back
// price × quantity after the search's own buy and sell fees; 0 for a market text other than the
// three. nullopt when a value leaves the supported range, or no price within the 32-bit step
// counter breaks even.
std::optional<Money> BreakEvenPrice(Money price, Money quantity, const Rates& rates);
// The same from the settings texts; nullopt also when a rate text is unusable.
std::optional<Money> BreakEvenPrice(Money price, Money quantity, const FeeSettings& settings);

// The lowest price on the tick at which selling `shares` brings in, after that sale's own fees
// under the chosen rules, at least `toRecover`; 0 when nothing is left to recover, and for a
// market text other than the three. nullopt when no price within Money's range does.
std::optional<Money> CurrentBreakEven(Money toRecover, Money shares, const Rates& rates);

// The lowest price on the tick at which selling `shares` brings in, after that sale's own fees
// under the chosen rules, at least `target` (a positive sum).
std::optional<Money> LowestSalePriceReaching(Money target, Money shares, const Rates& rates);

// A holding's break-even as its rules see it.
std::optional<Money> HoldingBreakEven(const Holding& holding, const Rates& rates);

} // namespace qcal
