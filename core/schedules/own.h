#pragma once
// The program's own fee model, as the program has always charged: commission with its 5-yuan
// minimum, stamp duty on buys and sells at the chosen rate, a Shanghai transfer fee of 0.001 yuan a
// share with a 1-yuan minimum, all computed in doubles in the order the model lays down, and its
// own break-even search on a grid of 0.001 (0.0001 for funds) from the price.

#include <optional>

#include "core/schedule.h"

namespace qcal {

const FeeModel& OwnRulesModel();

// Whether the model charges the kind the stamp duty of the chosen rate (the stamp duty list's).
bool OwnRulesChargeStampDuty(const Instrument& row);

// The model's break-even of `quantity` shares at `price`: the lowest selling price at which
// selling them gives back price × quantity after the search's own buy and sell fees; 0 for a kind
// the model has no break-even for. nullopt when a value leaves the supported range, or no price
// within the 32-bit step counter breaks even.
std::optional<Money> OwnBreakEvenPrice(Money price, Money quantity, const Rates& rates);

} // namespace qcal
