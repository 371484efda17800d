#pragma once
// What the main window offers the other windows: the fee settings on screen and, when a buy is
// computed, the holding as it stands after any sale on screen. The main window publishes it after
// every change; a side window that took its holding or its fees from it computes again, or clears
// what no longer holds, whenever it changes. Nothing else of the main window is read by them.

#include <optional>

#include "core/fees.h"
#include "core/money.h"

namespace qcal {

struct MainWindowState;

// The shares still held and the money still to recover on them.
struct HeldPosition {
    Money buyPrice;   // the price they were bought at (the average of a multi-batch buy)
    Money shares;     // held now: bought, bonus shares included, less the shares of a partial sale
    Money toRecover;  // the money paid less the money a partial sale brought in; 0 or less once
                      // dividends and sales have brought back all of it
    Money cost;       // the cost per share of what is held, as the main window shows it; 0 when
                      // nothing is left to recover
    bool partial = false;  // a sale of part of the holding is on screen
    friend bool operator==(const HeldPosition&, const HeldPosition&) = default;
};

// A trade on screen as the journal records it: its price (the average of a multi-batch trade), the
// shares traded and the amount traded.
struct ShownTrade {
    Money price;
    Money quantity;
    Money amount;
    friend bool operator==(const ShownTrade&, const ShownTrade&) = default;
};

struct MainView {
    FeeSettings fees;
    std::optional<HeldPosition> holding;
    std::optional<ShownTrade> buy;   // the buy computed (Text10 shows the money paid), bonus shares not counted
    std::optional<ShownTrade> sale;  // the sale computed (Text20 shows the money received)
    friend bool operator==(const MainView&, const MainView&) = default;
};

// The view of a main window's state: the trades computed, and a holding when a buy is computed
// and shares remain after the sale on screen, if any.
MainView ViewOf(const MainWindowState& state);

} // namespace qcal
