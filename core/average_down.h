#pragma once
// The averaging-down and same-day round-trip window (补仓与做T) as logic, on a holding: its shares,
// its cost per share (fees included) and the money invested.
//
// 补仓: the least number of shares, in whole lots of 100, whose purchase at today's price brings
// the cost per share (money invested + amount + buy fees, over all the shares) to a target or
// below; or, the other way round, the cost that a given number of shares gives.
// 做T: selling part of the holding and buying it back the same day (either order): the fees of each
// leg, the profit of the round trip, the holding's new cost and break-even, and the lowest sell
// price on the tick at which the round trip breaks even for the given buy-back price.
// Fees are those of the chosen rules; break-even prices are the lowest on the exchange's tick at
// which selling every share, after that sale's own fees, brings back the money invested.

#include <array>
#include <string>

#include "core/fees.h"
#include "core/main_view.h"
#include "core/money.h"
#include "core/outcome.h"

namespace qcal {

namespace position {
// The window's fields: Field n is the control Text<n>.
enum Field : int {
    Held = 1,       // 持有股数 (input)
    Cost,           // 每股成本 (input)
    Price,          // 补仓价格, today's price (input)
    TargetCost,     // 目标成本 (input)
    SharesToBuy,    // 补仓股数 (result, or input for the other way round)
    Needed,         // 所需资金: amount and buy fees
    NewCost,        // 补仓后每股成本
    NewBreakEven,   // 补仓后保本价格
    TripShares,     // 做T股数 (input)
    SellPrice,      // 卖出价格 (input)
    BuyBackPrice,   // 买回价格 (input)
    SaleFees,       // 卖出费用
    BuyBackFees,    // 买回费用
    TripProfit,     // 做T盈亏
    TripCost,       // 做T后每股成本
    TripBreakEven,  // 做T后保本价格
    TripSellPrice,  // 做T保本卖出价: the lowest sell price at which the round trip breaks even
    Invested,       // 投入金额: the money the holding cost
};
inline constexpr int kFieldCount = 18;
} // namespace position

// The shares held and the cost per share, as confirmed, and the fee settings, that a money
// invested belongs to: the main window's money paid holds only under the settings it was paid under.
struct InvestedBasis {
    std::string held, cost;
    FeeSettings fees;
    friend bool operator==(const InvestedBasis&, const InvestedBasis&) = default;
};

struct PositionFields {
    std::array<std::string, position::kFieldCount + 1> text{};  // index 0 unused
    // What the money invested was found for: a holding retyped since has it found again.
    InvestedBasis investedFor;
    friend bool operator==(const PositionFields&, const PositionFields&) = default;
};

// Enter in an input field: checks it and rewrites it in its picture. Shares are whole numbers of at
// least one ("###,###"); prices and costs numbers above 0 ("##0.00##", "##0.000"). A refusal names
// the field (Reason::Field…).
Outcome ConfirmPositionField(PositionFields& fields, position::Field field);

// The money invested when it was not taken from the main window: shares held × cost per share.
Outcome ComputeInvested(PositionFields& fields);

// The main window's holding into the fields: its shares, cost per share and the money still to
// recover on them (which counts the fees exactly, any dividend and a partial sale). The money is
// kept as the holding's until the holding or the settings change. A holding whose money has all
// come back costs 0 a share, which a typed cost may not.
void TakeHolding(PositionFields& fields, const HeldPosition& held, const FeeSettings& settings);

// Whether the holding in the fields is one taken from the main window under these settings.
bool HoldsTakenHolding(const PositionFields& fields, const FeeSettings& settings);

// What a computation writes: the results of 补仓 (Text5 … Text8) and of 做T (Text12 … Text17).
inline constexpr position::Field kAverageDownResults[] = {position::SharesToBuy, position::Needed,
                                                         position::NewCost, position::NewBreakEven};
inline constexpr position::Field kRoundTripResults[] = {position::SaleFees,  position::BuyBackFees,
                                                        position::TripProfit, position::TripCost,
                                                        position::TripBreakEven, position::TripSellPrice};

// 补仓 by the target cost: the shares to buy, the money needed, the new cost and break-even. A target
// that no number of shares reaches (at or below today's price, or below what the fees allow) is
// refused with its own message; a target at or above the present cost needs 0 shares.
Outcome ComputeAverageDown(PositionFields& fields, const FeeSettings& settings);

// 补仓 the other way round: the cost and break-even that the shares typed in SharesToBuy give; a
// purchase is of whole lots.
Outcome ComputeAverageDownShares(PositionFields& fields, const FeeSettings& settings);

// 做T: the round trip's fees, profit, the holding's new cost and break-even, and the sell price at
// which the round trip breaks even.
Outcome ComputeRoundTrip(PositionFields& fields, const FeeSettings& settings);

} // namespace qcal
