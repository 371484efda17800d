#pragma once
// The main window as the calculations see it: every field text, every label, the locks of the
// input fields and the calculation state. The window copies its widgets into this, calls a
// calculation, and copies it back; nothing else crosses between the two.

#include <array>
#include <optional>
#include <string>

#include "core/fees.h"
#include "core/money.h"

namespace qcal {

// The main window's fields: Field n is the control Text<n>. This is the one table of them.
enum Field : int {
    BuyPrice = 1,      // 买入价格 (input)
    BuyQuantity,       // 买入数量 (input; the holding once bonus shares are folded in)
    BuyAmount,         // 交易金额
    BuyCommission,     // 佣金
    BuyStampDuty,      // 印花税
    BuyTransferFee,    // 过户费
    BuyFees,           // 费用合计
    BuyCost,           // 买入成本, per share
    BreakEven,         // 保本价格 (of the shares that remain, after a partial sale)
    Paid,              // 实付金额
    SellPrice,         // 卖出价格 (input)
    SellQuantity,      // 卖出数量 (input)
    SellAmount,        // 交易金额
    SellCommission,    // 佣金
    SellStampDuty,     // 印花税
    SellTransferFee,   // 过户费
    SellFees,          // 费用合计
    Yield,             // 收益率
    ProfitOrShares,    // 盈亏金额, or in a partial sale the count of the shares that remain
    Received,          // 实收金额
    Bonus,             // 10股送 (input)
    Dividend,          // 10股派 (input)
    SecurityCode,      // 证券代码 of the settings frame (input, may stay empty)
    RealisedProfit,    // 卖出盈亏: in a partial sale under the current rules, the profit of the part sold
};
inline constexpr int kFieldCount = 24;
// Whether Text<n> is one of the fields.
constexpr bool IsField(int n) { return n >= BuyPrice && n <= kFieldCount; }

// The labels the calculations and Clear change: Label n is the control Label<n>.
enum MainLabel : int {
    BuyPriceLabel = 1,
    BuyQuantityLabel = 2,
    BuyStampDutyLabel = 5,
    BuyTransferFeeLabel = 6,
    BreakEvenLabel = 8,
    SellPriceLabel = 10,
    SellQuantityLabel = 11,
    SellStampDutyLabel = 14,
    SellTransferFeeLabel = 15,
    ProfitLabel = 17,
    YieldLabel = 18,
    PaidLabel = 21,
    StampDutyListLabel = 24,  // before the stamp duty list
    RealisedProfitLabel = 26,
    RulesNoteLabel = 27,      // under the settings: which rules are in force, in plain words
};
inline constexpr int kLabelCount = 27;

// The unit labels Label19(0) … Label19(19) that change: the one after the profit field.
enum UnitLabel : int { ProfitUnit = 17 };
inline constexpr int kUnitCount = 21;  // Label19(20) is the unit of Text24

enum class Colour { Black, Red, Blue };

// A profit in red, a loss in blue, nothing either way in black (the side windows' figures; the main
// window's label keeps its own rule).
constexpr Colour ProfitColour(Money profit)
{
    return profit < Money() ? Colour::Blue : profit > Money() ? Colour::Red : Colour::Black;
}

struct LabelState {
    std::string caption;
    Colour colour = Colour::Black;
    std::string toolTip;
    friend bool operator==(const LabelState&, const LabelState&) = default;
};

// The figures of one side of the round trip as last computed.
struct SideFigures {
    Money price;        // Text1 / Text11
    Money quantity;     // Text2 / Text12
    Money amount;       // Text3 / Text13: price × quantity
    Money commission;   // Text4 / Text14
    Money stampDuty;    // Text5 / Text15
    Money transferFee;  // Text6 / Text16
    Money fees;         // Text7 / Text17: the three fees
    friend bool operator==(const SideFigures&, const SideFigures&) = default;
};

// What the buy results on screen were computed from: the buy inputs as typed and the fee settings.
// Coming back to the main window computes again only when these differ from what is on screen.
struct BuyBasis {
    std::string price, quantity, bonus, dividend;  // Text1, Text2, Text21, Text22
    FeeSettings fees;
    friend bool operator==(const BuyBasis&, const BuyBasis&) = default;
};

// The buy on screen: what it was computed from, and the price and quantity the calculation took
// (the quantity as bought, before bonus shares were folded into Text2), so that it can be computed
// again under other fee rules whatever has been typed or reset since.
struct ShownBuy {
    BuyBasis basis;
    Money price, quantity;
    friend bool operator==(const ShownBuy&, const ShownBuy&) = default;
};

// The accepted values of a multi-batch window's six fields (index 0 unused) as its last post read
// them: batch b's price is value 2b − 1, its quantity value 2b.
using BatchValues = std::array<std::string, 7>;

struct MainWindowState {
    std::array<std::string, kFieldCount + 1> text{};   // indexed by Field; index 0 unused
    std::array<bool, kFieldCount + 1> locked{};        // read-only flag of each field (a locked input field is grey)
    std::array<LabelState, kLabelCount + 1> label{};   // Label1 … Label25; index 0 unused
    std::array<std::string, kUnitCount> unit{};        // captions of Label19(0) … Label19(19)
    FeeSettings fees;                                  // texts of Combo1, Combo2, Combo3

    SideFigures buy;   // the calculation state of the buy side
    SideFigures sell;  // and of the sell side
    Money profit;      // of the last round trip

    void ResetBuySide() { buy = {}; }
    void ResetSellSide() { sell = {}; }  // the profit stays

    // Text9 as the buy side last wrote it, so that a later whole (not partial) sale can put the
    // buy side's break-even back after a partial sale had replaced it.
    std::string buyBreakEven;

    // Set by every buy calculation and batch buy that writes the buy results; empty after Clear.
    std::optional<ShownBuy> shownBuy;
    // The batches behind a posted multi-batch buy or sell; empty after either Clear. Kept here,
    // not in the batch windows, so that the figures can be posted again with the windows gone.
    std::optional<BatchValues> buyBatches, sellBatches;
    BuyBasis CurrentBuyBasis() const { return {text[BuyPrice], text[BuyQuantity], text[Bonus], text[Dividend], fees}; }

    friend bool operator==(const MainWindowState&, const MainWindowState&) = default;
};

} // namespace qcal
