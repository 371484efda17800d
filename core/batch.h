#pragma once
// The multi-batch buy and sell windows as logic: up to three batches of one stock, each a price
// and a quantity, averaged into one trade whose figures are posted into the main window.
// The transfer fee is the one figure that is not that of a single trade: each batch pays its own,
// with its own 1-yuan minimum.

#include <array>
#include <string>
#include <string_view>

#include "core/main_state.h"
#include "core/outcome.h"

namespace qcal {

// The six fields of a batch window, Text1 … Text6 (index 0 unused): batch b's price is field
// 2b − 1 and its quantity field 2b. `tag` holds each field's accepted value, which is what the
// computations read; a visible text that was never captured counts for nothing.
inline constexpr int kBatchCount = 3;
inline constexpr int kBatchFieldCount = 2 * kBatchCount;
constexpr int BatchPriceField(int batch) { return 2 * batch - 1; }
constexpr int BatchQuantityField(int batch) { return 2 * batch; }
constexpr bool IsBatchQuantityField(int field) { return field % 2 == 0; }

struct BatchFields {
    std::array<std::string, kBatchFieldCount + 1> text{};
    BatchValues tag{};
    friend bool operator==(const BatchFields&, const BatchFields&) = default;
};

// Captures the six fields: a tag becomes its field's text when that text is numeric and at least
// 0.01, otherwise "0". A quantity must also be at least one share, as its field check demands:
// 0.3 of a share shows as no shares at all and would leave nothing to divide the cost by.
void StoreBatchInputs(BatchFields& fields);

// The sum of the three quantity tags. After a post on "上海A股" those tags hold the batches'
// transfer fees; the sum is still above 0 exactly when some batch has an accepted quantity.
double QuantityTagSum(const BatchFields& fields);

// What a post did: failed (the state and the tags are unchanged), or succeeded and either wrote
// the figures or found no accepted quantity and wrote nothing.
struct BatchResult : Outcome {
    bool posted = false;
};

// Averages the batches into the buy side (Text1 … Text10, Label8's colour and the buy-side
// Money members). Reads only the tags; on "上海A股" rewrites the quantity tags with the batch fees.
// The tags as read are kept in the state (buyBatches) for a later repost.
BatchResult PostBuyBatches(BatchFields& fields, MainWindowState& state);

// Averages the batches into the sell side (Text11 … Text17, Text20), and, when a buy result is on
// screen (Text10 not empty), the profit, the yield, their labels and the break-even in Text9.
// The tags as read are kept in the state (sellBatches).
BatchResult PostSellBatches(BatchFields& fields, MainWindowState& state);

// The batches of the last post of a side averaged again, as after a change of the fee settings;
// nothing is done (and nothing posted) when the side holds no posted batches.
BatchResult RepostBuyBatches(MainWindowState& state);
BatchResult RepostSellBatches(MainWindowState& state);

// Marking the main window's input fields of a side as derived values: locked, grey, relabelled.
void MarkBuyBatch(MainWindowState& state);
void MarkSellBatch(MainWindowState& state);
// The batch windows' own clear: the fields become editable again and the posted batches are
// forgotten; captions stay as they are.
void UnlockBuyBatch(MainWindowState& state);
void UnlockSellBatch(MainWindowState& state);


} // namespace qcal
