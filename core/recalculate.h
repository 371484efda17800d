#pragma once
// The main window's figures computed again after the fee settings changed (the rules, the waived
// minimum), so that everything on screen is charged by the settings shown.

#include "core/main_state.h"
#include "core/outcome.h"

namespace qcal {

// The buy on screen, if any: a multi-batch buy is posted again from its batches; otherwise the
// buy is computed from the input texts when they pass the field checks as Calculate would take
// them, else from the inputs the figures came from, whose texts are put back. All or nothing.
Outcome RecalculateShownBuy(MainWindowState& state);

// The sale on screen, if any (Text13 not empty): a multi-batch sell is posted again; a single one
// is computed from its texts when they pass the field checks, and left as it was otherwise.
Outcome RecalculateShownSale(MainWindowState& state);

} // namespace qcal
