#pragma once
// The buy and sell calculations of the main window, as logic over MainWindowState.
// A calculation either writes all of its fields or none: on failure the state is unchanged, and
// the outcome says why and which field to correct (for OutOfRange: the quantity, whose product
// with an accepted price is what overflows; or the bonus or dividend when the buy fits without
// them).

#include "core/main_state.h"
#include "core/outcome.h"

namespace qcal {

using CalcResult = Outcome;

// Does nothing (and succeeds) unless the buy price and quantity are both non-zero.
CalcResult CalculateBuy(MainWindowState& state);
CalcResult CalculateSell(MainWindowState& state);

} // namespace qcal
