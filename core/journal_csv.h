#pragma once
// The journal and its holdings as CSV text (UTF-8, comma-separated, lines ending in CRLF, as
// spreadsheets expect): one table of the entries, and one file of the holdings, the sales with
// their profits by both methods and the dividend tax, and the totals per year. Figures are plain
// decimals without grouping, so that a spreadsheet reads them as numbers. The settings layer
// writes the text in the encoding chosen (settings/csv_file.h).

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/journal.h"

namespace qcal::journal {

// One cell: quoted when it holds a comma, a quote or a line break; text that a spreadsheet would
// take for a formula (=, +, -, @ first) is kept as text by a leading apostrophe.
std::string CsvText(std::string_view text);

// The entries in the order given, under the journal window's column headings; a typed fee is
// named in the last column.
std::string JournalCsv(std::span<const Entry> entries);

// What the holdings file shows beside the holdings themselves: per code, the break-even of each
// method and, with a current price typed, the unrealised profit.
struct PositionFigures {
    std::optional<Money> breakEvenAverage, breakEvenFifo;
    std::optional<Money> price;
    std::optional<Valuation> value;  // at `price`
};

// The holdings of every code, each sale, and the totals of every year and of the whole journal.
// `figures` runs alongside holdings.positions (missing entries count as nothing known).
std::string HoldingsCsv(const Holdings& holdings, std::span<const PositionFigures> figures);

// The totals of the whole journal: every code's years added up, year by year, and the total.
std::vector<Totals> YearTotals(const Holdings& holdings);

} // namespace qcal::journal
