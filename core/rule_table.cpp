#include "core/rule_table.h"

#include <algorithm>
#include <array>
#include <set>
#include <utility>

namespace qcal {

namespace {

constexpr std::string_view kGroupColumn = "品种";
constexpr std::string_view kDateColumn = "起始日期";

// A line of the file may be this long, the file this many rows: beyond, it is not a rule table.
constexpr std::size_t kMaxLineBytes = 4096;
constexpr std::size_t kMaxRows = 10000;
// No fee has ever come near a tenth of the amount: a larger rate is a typing error.
constexpr ExactDecimal kLargestRate{100, 0};

enum class Column { Group, From, StampDuty, TransferFee, HandlingFee, RegulatoryFee };

constexpr std::array<std::pair<std::string_view, Column>, 6> kColumns = {{
    {kGroupColumn, Column::Group},
    {kDateColumn, Column::From},
    {"印花税", Column::StampDuty},
    {"过户费", Column::TransferFee},
    {"经手费", Column::HandlingFee},
    {"证管费", Column::RegulatoryFee},
}};

RuleRow Row(std::string_view group, std::string_view from, ExactDecimal stamp, ExactDecimal transfer,
            ExactDecimal handling, ExactDecimal regulatory)
{
    return {std::string(group), *CivilDate::Parse(from), stamp, transfer, handling, regulatory};
}

constexpr ExactDecimal Rate(std::int64_t units, int scale) { return {units, scale}; }
constexpr ExactDecimal kNone{0, 0};

bool ByGroupAndDate(const RuleRow& a, const RuleRow& b)
{
    return a.group != b.group ? a.group < b.group : a.from < b.from;
}

// The cells of a line: apart by blanks, tabs or commas; a `#` ends the line.
std::vector<std::string_view> Cells(std::string_view line)
{
    if (const auto hash = line.find('#'); hash != std::string_view::npos)
        line = line.substr(0, hash);
    std::vector<std::string_view> cells;
    std::size_t i = 0;
    const auto separator = [](char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r'; };
    while (i < line.size()) {
        while (i < line.size() && separator(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !separator(line[i]))
            ++i;
        if (i > start)
            cells.push_back(line.substr(start, i - start));
    }
    return cells;
}

RuleFileReading Refused(int line, std::string message) { return {std::nullopt, {line, std::move(message)}}; }

} // namespace

ExactDecimal ExchangeFees(const RuleRow& row)
{
    // Both at the larger scale, then added: rates of a few decimals never overflow.
    ExactDecimal a = row.handlingFee;
    ExactDecimal b = row.regulatoryFee;
    while (a.scale < b.scale) {
        a.units *= 10;
        ++a.scale;
    }
    while (b.scale < a.scale) {
        b.units *= 10;
        ++b.scale;
    }
    return {a.units + b.units, a.scale};
}

const RuleTable& RuleTable::BuiltIn()
{
    // The rates of the design's "Fees by date"; the Beijing exchange's transfer and regulatory fees,
    // funds' regulatory fee and bonds' exchange fees could not be confirmed and are left out.
    static const RuleTable table({
        Row(kSharesGroup, "2015-08-01", Rate(1, 0), Rate(2, 2), Rate(487, 4), Rate(2, 2)),
        Row(kSharesGroup, "2022-04-29", Rate(1, 0), Rate(1, 2), Rate(487, 4), Rate(2, 2)),
        Row(kSharesGroup, "2023-08-28", Rate(5, 1), Rate(1, 2), Rate(341, 4), Rate(2, 2)),
        Row(kBeijingGroup, "2021-11-15", Rate(1, 0), kNone, Rate(25, 2), kNone),
        Row(kBeijingGroup, "2023-08-28", Rate(5, 1), kNone, Rate(125, 3), kNone),
        Row(kFundsGroup, "2015-08-01", kNone, kNone, kNone, kNone),
        Row(kFundsGroup, "2021-07-19", kNone, kNone, Rate(4, 2), kNone),
        Row(kBondsGroup, "2015-08-01", kNone, kNone, kNone, kNone),
    });
    return table;
}

RuleTable::RuleTable(std::vector<RuleRow> rows) : rows_(std::move(rows))
{
    std::stable_sort(rows_.begin(), rows_.end(), ByGroupAndDate);
}

const RuleRow* RuleTable::InForce(std::string_view group, CivilDate date) const&
{
    const RuleRow* found = nullptr;
    for (const RuleRow& row : rows_) {
        if (row.group == group && row.from <= date)
            found = &row;
    }
    return found;
}

const RuleRow* RuleTable::Latest(std::string_view group) const&
{
    const RuleRow* found = nullptr;
    for (const RuleRow& row : rows_) {
        if (row.group == group)
            found = &row;
    }
    return found;
}

const RuleRow* RuleTable::First(std::string_view group) const&
{
    const auto found = std::find_if(rows_.begin(), rows_.end(), [&](const RuleRow& row) { return row.group == group; });
    return found == rows_.end() ? nullptr : &*found;
}

CivilDate RuleTable::FirstDate() const
{
    CivilDate first = rows_.empty() ? CivilDate() : rows_.front().from;
    for (const RuleRow& row : rows_)
        first = std::min(first, row.from);
    return first;
}

RuleTable RuleTable::With(const RuleTable& other) const
{
    std::vector<RuleRow> rows = other.rows_;
    for (const RuleRow& row : rows_) {
        const bool replaced = std::any_of(other.rows_.begin(), other.rows_.end(), [&](const RuleRow& mine) {
            return mine.group == row.group && mine.from == row.from;
        });
        if (!replaced)
            rows.push_back(row);
    }
    return RuleTable(std::move(rows));
}

RuleFileReading ReadRuleFile(std::string_view text)
{
    std::vector<Column> header;
    std::vector<RuleRow> rows;
    std::set<std::pair<std::string, CivilDate>> seen;
    int number = 0;
    if (text.starts_with("\xEF\xBB\xBF"))  // a UTF-8 byte-order mark
        text.remove_prefix(3);
    while (!text.empty()) {
        ++number;
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.size() > kMaxLineBytes)
            return Refused(number, "这一行太长，不像是费率表");
        const std::vector<std::string_view> cells = Cells(line);
        if (cells.empty())
            continue;
        if (header.empty()) {
            for (std::string_view cell : cells) {
                const auto known = std::find_if(kColumns.begin(), kColumns.end(),
                                                [&](const auto& column) { return column.first == cell; });
                if (known == kColumns.end())
                    return Refused(number, "未知的列“" + std::string(cell) + "”");
                if (std::find(header.begin(), header.end(), known->second) != header.end())
                    return Refused(number, "列“" + std::string(cell) + "”出现了两次");
                header.push_back(known->second);
            }
            if (std::find(header.begin(), header.end(), Column::Group) == header.end() ||
                std::find(header.begin(), header.end(), Column::From) == header.end())
                return Refused(number, "标题行须有“品种”和“起始日期”两列");
            continue;
        }
        if (cells.size() != header.size())
            return Refused(number, "这一行有" + std::to_string(cells.size()) + "项，标题行有" +
                                       std::to_string(header.size()) + "项");
        if (rows.size() >= kMaxRows)
            return Refused(number, "行数太多，不像是费率表");
        RuleRow row{{}, {}, kNone, kNone, kNone, kNone};
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const std::string_view cell = cells[i];
            if (header[i] == Column::Group) {
                if (cell != kSharesGroup && cell != kBeijingGroup && cell != kFundsGroup && cell != kBondsGroup)
                    return Refused(number, "未知的品种“" + std::string(cell) + "”，品种应为A股、北交所、基金或可转债");
                row.group = std::string(cell);
                continue;
            }
            if (header[i] == Column::From) {
                const auto date = CivilDate::Parse(cell);
                if (!date)
                    return Refused(number, "“" + std::string(cell) + "”不是日期，日期应写成2023-08-28这样");
                row.from = *date;
                continue;
            }
            const auto rate = ParseExactDecimal(cell);
            if (!rate || rate->units < 0 || ExactAbove(*rate, kLargestRate))
                return Refused(number, "“" + std::string(cell) + "”不是费率，费率应为0到100之间的数字（单位‰）");
            switch (header[i]) {
            case Column::StampDuty: row.stampDuty = *rate; break;
            case Column::TransferFee: row.transferFee = *rate; break;
            case Column::HandlingFee: row.handlingFee = *rate; break;
            case Column::RegulatoryFee: row.regulatoryFee = *rate; break;
            default: break;
            }
        }
        if (!seen.insert({row.group, row.from}).second)
            return Refused(number, row.group + "在" + row.from.Format() + "的费率写了两次");
        const auto earlier = std::find_if(rows.rbegin(), rows.rend(), [&](const RuleRow& r) { return r.group == row.group; });
        if (earlier != rows.rend() && !(earlier->from < row.from))
            return Refused(number, row.group + "的日期须从早到晚排列");
        rows.push_back(std::move(row));
    }
    if (header.empty())
        return Refused(number == 0 ? 1 : number, "没有标题行");
    return {RuleTable(std::move(rows)), {}};
}

} // namespace qcal
