#pragma once
// The journal and its holdings as CSV text (UTF-8, comma-separated, lines ending in CRLF, as
// spreadsheets expect): one table of the entries, and one file of the holdings, the sales with
// their profits by both methods and the dividend tax, and the totals per year. Figures are plain
// decimals without grouping, so that a spreadsheet reads them as numbers. The settings layer
// writes the text in the encoding chosen (settings/csv_file.h).

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/fee_settings.h"
#include "core/journal.h"

namespace qcal::journal {

// One cell: quoted when it holds a comma, a quote or a line break; text that a spreadsheet would
// take for a formula (=, +, -, @ first) is kept as text by a leading apostrophe.
std::string CsvText(std::string_view text);

// The entries in the order given, under the journal window's column headings; a typed fee is
// named in the last column.
std::string JournalCsv(std::span<const Entry> entries);

// One code's holdings, or why its entries cannot be computed.
struct CodeHoldings {
    std::string code;
    std::optional<Position> position;
    std::optional<Refusal> refusal;
};

// Every code's holdings, by code: the journal computed at once; when that refuses, each code on its
// own, so that one code's faulty entry does not hide the others.
std::vector<CodeHoldings> HoldingsOfEachCode(std::span<const Entry> entries);

// What is shown beside a position: the break-even of each method on its product's tick under the
// fee rules of journal_fees.h (a sale on `today`, its dividend tax counted) and, at a current
// price, what selling everything would come to.
struct PositionFigures {
    std::optional<Money> breakEvenAverage, breakEvenFifo;
    std::optional<Money> price;
    std::optional<Valuation> value;  // at `price`
};
PositionFigures FiguresFor(const Position& position, const FeeSettings& broker, CivilDate today,
                           std::optional<Money> price);

// The holdings of every code (a code that cannot be computed with the reason), each sale, and the
// totals of every year and of the whole journal, at the current prices given by code. Throws
// OutOfRange when the totals of all the codes leave Money's range.
std::string HoldingsCsv(std::span<const CodeHoldings> holdings, const FeeSettings& broker, CivilDate today,
                        const std::map<std::string, Money>& prices);

// The totals of the whole journal: every code's years added up, year by year, and the total last.
// Throws OutOfRange as HoldingsCsv.
std::vector<Totals> YearTotals(std::span<const CodeHoldings> holdings);

} // namespace qcal::journal
