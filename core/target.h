#pragma once
// The target-price window as logic: for a purchase (price, quantity, the money paid) the lowest
// price on the exchange's tick at which selling all the shares, after that sale's own fees under
// the chosen rules, reaches a wanted profit (or limits a loss), the sale at that price, the
// break-even on the same tick, a ladder of outcomes around the buy price and the curve of profit
// against price for the chart. Everything works on the window's texts, as the window shows them.

#include <array>
#include <span>
#include <string>
#include <vector>

#include "core/fees.h"
#include "core/main_view.h"
#include "core/money.h"
#include "core/outcome.h"

namespace qcal {

namespace target {
// The window's fields: Field n is the control Text<n>.
enum Field : int {
    BuyPrice = 1,   // 买入价格 (input)
    Quantity,       // 买入数量 (input)
    Yield,          // 目标收益率, per cent (input, or implied by the profit)
    Profit,         // 目标盈亏, yuan (input, or implied by the yield)
    Price,          // 目标卖出价
    Received,       // 实收金额 at that price
    ProfitAtPrice,  // 盈亏金额 at that price
    YieldAtPrice,   // 收益率 at that price
    BreakEven,      // 保本价格 on the tick
    Paid,           // 实付金额: the money the target is measured against
};
inline constexpr int kFieldCount = 10;
} // namespace target

// The buy price and quantity as confirmed, and the fee settings, that a money paid belongs to.
struct PaidBasis {
    std::string price, quantity;
    FeeSettings fees;
    friend bool operator==(const PaidBasis&, const PaidBasis&) = default;
};

struct TargetFields {
    std::array<std::string, target::kFieldCount + 1> text{};  // index 0 unused
    // What the money paid was found for: a purchase retyped since, or other fee settings, have it
    // found again.
    PaidBasis paidFor;
    friend bool operator==(const TargetFields&, const TargetFields&) = default;
};

// Which of the two targets the user typed; the other shows what it implies.
enum class TargetBy { Yield, Profit };

// One sale of all the shares at one price.
struct SaleOutcome {
    Money price;
    Money received;  // the amount less the sale's fees
    Money fees;
    Money profit;    // received less paid
    double yieldPercent = 0;
};

// A row of the ladder, its figures and their texts as the grid shows them.
struct LadderRow {
    SaleOutcome sale;
    bool breakEven = false;  // the break-even price's own row
    bool target = false;     // the target price's own row
    std::array<std::string, 5> text;  // price, received, fees, profit, yield
};

struct CurvePoint {
    double price;
    double profit;
};

struct TargetResult {
    Outcome outcome;
    std::vector<LadderRow> ladder;  // sorted by price
    std::vector<CurvePoint> curve;  // the profit at every few ticks across the ladder's range
    std::string pricePicture;       // the tick's: every price of the ladder and the chart shows so
    // Said beside the figures when some have no meaning: a yield on no money paid (dividends and
    // sales brought all of it back) is left empty.
    std::string note;
};

// Enter in the buy price or the quantity: checks the field and rewrites it ("##0.00##",
// "###,###"). Refuses with the buy fields' own messages.
Outcome ConfirmTargetBuy(TargetFields& fields, target::Field field);

// The money paid for the shares typed: price × quantity and the buy fees of the chosen rules.
Outcome ComputeTargetPaid(TargetFields& fields, const FeeSettings& settings);

// The money paid now in Text10 was given for the price and quantity now in the fields under these
// settings (the main window's purchase, which may count a dividend or bonus shares): it is kept
// until either changes.
void AdoptTargetPaid(TargetFields& fields, const FeeSettings& settings);

// The main window's holding into the fields: the price it was bought at, the shares still held and
// the money still to recover on them, which stands as the money paid (it may be 0 or less once
// dividends and sales brought all of it back).
void TakePurchase(TargetFields& fields, const HeldPosition& held, const FeeSettings& settings);

// The fields the computation writes (Text5 … Text9).
inline constexpr target::Field kTargetResults[] = {target::Price, target::Received, target::ProfitAtPrice,
                                                   target::YieldAtPrice, target::BreakEven};

// Enter in the yield or the profit: checks the field and rewrites it ("##0.00", "###,##0.00").
// A yield must be above −100 % and below 1,000,000 %; a profit above minus the money paid and, on a
// positive money paid, within what that yield allows; the price that reaches it within the prices
// a field accepts.
Outcome ConfirmTarget(TargetFields& fields, TargetBy by);

// Everything: checks every input, writes the other target, the target price and the sale there, the
// break-even, and returns the ladder and the curve. On a refusal nothing changes.
TargetResult ComputeTargetPrice(TargetFields& fields, TargetBy by, const FeeSettings& settings);

// The sale of `shares` at `price` under the rules, against the money paid.
std::optional<SaleOutcome> SaleAt(Money price, Money shares, Money paid, const FeeSchedule& schedule);
std::optional<SaleOutcome> SaleAt(Money price, Money shares, Money paid, const Rates& rates);

// The ladder's prices: about 10 % either side of a price (the cost per share of the holding) in
// round steps on the tick (0.10 for a 10-yuan share), 15 to 25 of them, starting at a whole step at
// or below it less ten steps; when a marked price (the break-even, the target) lies outside, the
// ladder covers it too, in coarser round steps.
std::vector<Money> LadderPrices(Money around, Money tick, std::span<const Money> marks = {});
std::vector<Money> LadderPrices(Money around, Market market, std::span<const Money> marks = {});

} // namespace qcal
