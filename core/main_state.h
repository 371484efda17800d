#pragma once
// The main window as the calculations see it: every field text, every label, the locks of the
// input fields and the calculation state (the Money members). The window copies its widgets into
// this, calls a calculation, and copies it back; nothing else crosses between the two.

#include <array>
#include <optional>
#include <string>

#include "core/fees.h"
#include "core/money.h"

namespace qcal {

enum class Colour { Black, Red, Blue };

struct LabelState {
    std::string caption;
    Colour colour = Colour::Black;
    std::string toolTip;
    friend bool operator==(const LabelState&, const LabelState&) = default;
};

// What the buy results on screen were computed from: the buy inputs as typed and the fee settings.
// Coming back to the main window computes again only when these differ from what is on screen.
struct BuyBasis {
    std::string price, quantity, bonus, dividend;  // Text1, Text2, Text21, Text22
    FeeSettings fees;
    friend bool operator==(const BuyBasis&, const BuyBasis&) = default;
};

struct MainWindowState {
    std::array<std::string, 23> text{};  // Text1 … Text22; index 0 unused
    std::array<bool, 23> locked{};       // read-only flag of Text1 … Text22 (a locked input field is grey)
    std::array<LabelState, 26> label{};  // Label1 … Label25; index 0 unused
    std::array<std::string, 20> unit{};  // captions of the unit labels Label19(0) … Label19(19)
    FeeSettings fees;                    // texts of Combo1, Combo2, Combo3

    Money BuyPrice, BuyQuantity, BuyAmount, BuyCommission, BuyStampDuty, BuyTransferFee, BuyFees;
    Money SellPrice, SellQuantity, SellAmount, SellCommission, SellStampDuty, SellTransferFee, SellFees;
    Money Profit;

    // Text9 as the buy side last wrote it, so that a later whole (not partial) sale can put the
    // buy side's break-even back after a partial sale had replaced it.
    std::string buyBreakEven;

    // Set by every buy calculation and batch buy that writes the buy results; empty after Clear.
    std::optional<BuyBasis> buyBasis;
    BuyBasis CurrentBuyBasis() const { return {text[1], text[2], text[21], text[22], fees}; }

    void ResetBuySide();   // BuyPrice, BuyQuantity and the buy results to 0
    void ResetSellSide();  // SellPrice, SellQuantity and the sell results to 0; Profit stays

    friend bool operator==(const MainWindowState&, const MainWindowState&) = default;
};

} // namespace qcal
