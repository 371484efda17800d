#pragma once
// The rates of the current rules by trade date: for each group of products (A shares, the Beijing
// exchange, funds, convertible bonds) the rates in force from a date on, until the next row of the
// group. The program ships the table below built in; a user whose exchange or broker changes a
// rate puts a file of the same rows beside QCAL.INI, whose rows replace (same group and date) or
// add to the built-in ones. A fee whose rate could not be confirmed is left out (0).
//
// The file is plain text, one row a line, columns apart by blanks, tabs or commas, `#` starting a
// comment. The first line that is not a comment is the header and names the columns, in any
// order: 品种 (the group: A股, 北交所, 基金, 可转债), 起始日期 (YYYY-MM-DD), 印花税, 过户费, 经手费, 证管费
// (per mille of the amount; a column left out is 0). For example:
//
//     # 品种  起始日期    印花税  过户费  经手费   证管费
//     品种    起始日期    印花税  过户费  经手费   证管费
//     A股     2023-08-28  0.5     0.01    0.0341   0.02
//
// A file that cannot be used (an unknown column, a rate that is not a number, a date that is not
// one, rows of a group out of date order, a row given twice, a line too long, more rows than a
// table holds) is refused as a whole, with the line at fault.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/civil_date.h"
#include "core/numtext.h"

namespace qcal {

// The groups of products whose rates go together (the 品种 column).
inline constexpr std::string_view kSharesGroup = "A股";  // both main boards, ChiNext and STAR
inline constexpr std::string_view kBeijingGroup = "北交所";
inline constexpr std::string_view kFundsGroup = "基金";
inline constexpr std::string_view kBondsGroup = "可转债";

// The rates of one group from one date, per mille, exact as written.
struct RuleRow {
    std::string group;
    CivilDate from;
    ExactDecimal stampDuty;      // on sells
    ExactDecimal transferFee;    // on the sides the product pays it
    ExactDecimal handlingFee;    // 经手费, both sides
    ExactDecimal regulatoryFee;  // 证管费, both sides
    friend bool operator==(const RuleRow&, const RuleRow&) = default;
};

// The handling and regulatory fees together, the rate a broker quoting 不含规费 charges on top.
ExactDecimal ExchangeFees(const RuleRow& row);

class RuleTable {
public:
    // The table the program ships.
    static const RuleTable& BuiltIn();

    explicit RuleTable(std::vector<RuleRow> rows);

    // The row of the group in force on that date (the latest row on or before it); nullptr before
    // the group's first row, and for a group the table does not have.
    // The rows point into the table, so a temporary table gives none.
    const RuleRow* InForce(std::string_view group, CivilDate date) const&;
    const RuleRow* InForce(std::string_view, CivilDate) const&& = delete;
    // The latest row of the group: today's rates.
    const RuleRow* Latest(std::string_view group) const&;
    const RuleRow* Latest(std::string_view) const&& = delete;
    // The group's first row: the earliest date it has rates for.
    const RuleRow* First(std::string_view group) const&;
    const RuleRow* First(std::string_view) const&& = delete;
    // The first date the table covers.
    CivilDate FirstDate() const;

    const std::vector<RuleRow>& Rows() const { return rows_; }

    // This table with the rows of `other` replacing those of the same group and date, or added.
    RuleTable With(const RuleTable& other) const;

private:
    std::vector<RuleRow> rows_;  // by group, then date
};

// Why a rule file was refused, and on which line (1 for the first).
struct RuleFileError {
    int line = 0;
    std::string message;
};

struct RuleFileReading {
    std::optional<RuleTable> table;
    RuleFileError error;
};

// Reads the rows of a rule file (its text in UTF-8).
RuleFileReading ReadRuleFile(std::string_view text);

} // namespace qcal
