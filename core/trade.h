#pragma once
// The buy and sell calculations of the main window, as logic over MainWindowState.
// A calculation either writes all of its fields or none: on failure the state is unchanged.

#include "core/main_state.h"

namespace qcal {

enum class CalcFailure {
    None,
    CommissionRate,   // Combo1 is not a usable rate
    StampDutyRate,    // Combo2 is not a usable rate
    OutOfRange,       // a value leaves the 32-bit roundings, Money, or the search's step counter
    BonusText,        // Text21 fails its check (not numeric or negative)
    BonusTooLarge,    // Text21 above 10
    DividendText,     // Text22 fails its check
    DividendTooLarge, // Text22 is a number beyond what can be computed
};

struct CalcResult {
    CalcFailure failure = CalcFailure::None;
    // For OutOfRange: the input field whose value took the calculation out of range (the
    // quantity, whose product with an accepted price is what overflows; or the bonus or dividend
    // when the buy fits without them).
    int field = 0;
    bool ok() const { return failure == CalcFailure::None; }
};

// Does nothing (and succeeds) unless BuyPrice and BuyQuantity are both non-zero.
CalcResult CalculateBuy(MainWindowState& state);
CalcResult CalculateSell(MainWindowState& state);

} // namespace qcal
