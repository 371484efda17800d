#pragma once
// Which fee rules charge a journal entry's trade, in one place. Today every trade is charged by the
// rules in force now, with the broker's commission and minimum from the main window's settings and
// the market of the entry's product; when the dated rules and the per-product terms come, this is
// the one file that changes. Its callers: the fees of a trade whose fees were not typed, the net of
// a sale for the unrealised profit, and the break-even on the product's tick.

#include <optional>
#include <string_view>

#include "core/fees.h"
#include "core/journal.h"
#include "core/outcome.h"

namespace qcal::journal {

// The products an entry can be, in the order the journal window lists them.
inline constexpr std::string_view kProducts[] = {"上海A股", "深圳A股", "创业板", "科创板",
                                                 "北交所",  "基金、权证", "可转债"};
bool IsProduct(std::string_view product);

// The fee settings that charge a trade of `product` on `date`: the broker's terms (commission,
// waived minimum) under the current rules, in the product's market.
FeeSettings RulesFor(std::string_view product, std::string_view date, const FeeSettings& broker);

// The fees the rules give a trade entry (its amount, quantity and side); nullopt when the broker's
// commission cannot be used or a figure leaves Money's range.
struct EntryFees {
    std::optional<SideFeeResult> fees;
    Reason problem = Reason::None;  // CommissionRate, CommissionAboveCap or OutOfRange when empty
};
EntryFees FeesFor(const Entry& entry, const FeeSettings& broker);

// Puts the computed fees into every fee of a trade entry that was not typed (规费 computes as 0);
// a typed fee is kept. Events carry no fees. Reason::None, or why the fees cannot be computed.
Reason FillComputedFees(Entry& entry, const FeeSettings& broker);

// Selling a position of `product` today: what a sale brings in after its fees, and the lowest price
// on the product's tick that brings in a sum.
SaleNet SaleNetFor(std::string_view product, std::string_view date, const FeeSettings& broker);
BreakEvenSearch BreakEvenSearchFor(std::string_view product, std::string_view date, const FeeSettings& broker);

} // namespace qcal::journal
