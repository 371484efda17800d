#pragma once
// A statement's rows as journal entries, before anything is written: which rows become trades and
// events, which are skipped and why, and which the journal (or the file itself) already holds.
//
// Each trade keeps the statement's own fees as charged (typed); a fee whose column is missing or
// empty is computed by the rules of the trade's date and product and the broker's terms, as a fee
// the user did not type. Every entry carries the statement row's duplicate key (statement.h's
// DuplicateKey) as its source, so that a second import of the same rows finds them.
//
// 红利 and 送股/转增 rows give money or shares, while the journal holds a rate per 10 shares: the rate
// is worked out from the shares of that code held on the day (the journal's and the import's
// earlier rows), and the note keeps what the statement said.

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/fee_settings.h"
#include "core/journal.h"
#include "core/statement.h"

namespace qcal::statement {

enum class Fate {
    Import,          // becomes an entry
    Skip,            // not a trade or event the journal takes (reason says why)
    InJournal,       // the journal holds it already
    TwiceInFile,     // an earlier row of the same file is the same trade
};

struct PlannedRow {
    std::size_t line = 0;      // the statement's line, 1-based
    Fate fate = Fate::Import;
    std::string reason;        // Skip: why (the reader's reason, or the entry's problem); duplicates: which row or "已在交易记录中"
    std::string kindText;      // the statement's own word for the business
    std::optional<journal::Entry> entry;  // Import and the duplicates: the entry (id 0)
};

struct ImportPlan {
    std::vector<PlannedRow> rows;  // every record of the statement, in file order
    std::size_t trades = 0;        // rows to import that are buys or sales
    std::size_t events = 0;        // rows to import that are dividends or bonus shares
    std::size_t skipped = 0;
    std::size_t duplicates = 0;    // InJournal + TwiceInFile

    // The entries to import, in file order.
    std::vector<journal::Entry> Entries() const;
};

// What the journal already holds: whether a duplicate key is among its entries' sources, and the
// entries of a code (for the shares held on an event's day).
struct JournalView {
    std::function<bool(const std::string& source)> holds;
    std::function<std::vector<journal::Entry>(const std::string& code)> entriesOf;
};

ImportPlan PlanImport(const Statement& statement, const FeeSettings& broker, const JournalView& journal);

// "导入交易 12 笔、事件 1 笔；跳过 3 行；重复 2 行" (the one summary of the preview, the window and
// the command line).
std::string SummaryText(const ImportPlan& plan);

} // namespace qcal::statement
