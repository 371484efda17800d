#include "core/journal_csv.h"

#include <map>

#include "core/journal_fees.h"
#include "core/picture.h"

namespace qcal::journal {

namespace {

constexpr std::string_view kEnd = "\r\n";

std::string Plain(Money value, std::string_view picture = "0.00##") { return FormatPicture(value, picture); }
std::string Cost(std::optional<Money> value) { return value ? FormatPicture(*value, "0.000") : std::string(); }

void Row(std::string& out, std::initializer_list<std::string_view> cells)
{
    bool first = true;
    for (std::string_view cell : cells) {
        if (!first)
            out += ',';
        out += cell;
        first = false;
    }
    out += kEnd;
}

std::string TypedFees(const Entry& e)
{
    std::string names;
    const std::pair<const Fee*, std::string_view> fees[] = {
        {&e.commission, "佣金"}, {&e.stampDuty, "印花税"}, {&e.transferFee, "过户费"}, {&e.otherFees, "规费"}};
    for (const auto& [fee, name] : fees) {
        if (!fee->typed)
            continue;
        if (!names.empty())
            names += "、";
        names += name;
    }
    return names;
}

} // namespace

std::string CsvText(std::string_view text)
{
    std::string cell(text);
    if (!cell.empty() && (cell[0] == '=' || cell[0] == '+' || cell[0] == '-' || cell[0] == '@' || cell[0] == '\t' ||
                          cell[0] == '\r'))
        cell.insert(0, 1, '\'');
    if (cell.find_first_of(",\"\r\n") == std::string::npos)
        return cell;
    std::string quoted = "\"";
    for (const char c : cell) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string JournalCsv(std::span<const Entry> entries)
{
    std::string out;
    Row(out, {"记录号", "日期", "时间", "代码", "品种", "类别", "价格", "数量", "金额", "佣金", "印花税", "过户费", "规费",
              "实付/实收", "备注", "按交割单录入的费用"});
    for (const Entry& e : entries) {
        const bool trade = IsTrade(e.kind);
        std::string net;
        if (trade) {
            try {
                net = Plain(e.kind == Kind::Buy ? e.amount + e.Fees() : e.amount - e.Fees());
            } catch (const OutOfRange&) {
            }
        }
        const auto fee = [trade](const Fee& f) { return trade ? Plain(f.value) : std::string(); };
        Row(out, {std::to_string(e.id), CsvText(e.date), CsvText(e.time), CsvText(e.code), CsvText(e.product),
                  KindName(e.kind), Plain(e.price), trade || e.quantity > 0 ? std::to_string(e.quantity) : "",
                  trade ? Plain(e.amount) : "", fee(e.commission), fee(e.stampDuty), fee(e.transferFee),
                  fee(e.otherFees), net, CsvText(e.note), TypedFees(e)});
    }
    return out;
}

std::vector<CodeHoldings> HoldingsOfEachCode(std::span<const Entry> entries)
{
    std::vector<CodeHoldings> out;
    Holdings all = ComputeHoldings(entries);
    if (!all.refusal) {
        for (Position& p : all.positions)
            out.push_back({p.code, std::move(p), std::nullopt});
        return out;
    }
    std::map<std::string, std::vector<Entry>> byCode;
    for (const Entry& e : entries)
        byCode[e.code].push_back(e);
    for (const auto& [code, ofCode] : byCode) {
        Holdings one = ComputeHoldings(ofCode);
        if (one.refusal)
            out.push_back({code, std::nullopt, one.refusal});
        else
            out.push_back({code, std::move(one.positions.front()), std::nullopt});
    }
    return out;
}

PositionFigures FiguresFor(const Position& position, const FeeSettings& broker, CivilDate today,
                           std::optional<Money> price)
{
    PositionFigures figures;
    const ScheduleReading rules = ScheduleFor(position.code, position.product, today, broker);
    const BreakEvenSearch search = BreakEvenSearchOf(rules.schedule);
    figures.breakEvenAverage = BreakEven(position, Method::Average, search, today);
    figures.breakEvenFifo = BreakEven(position, Method::Fifo, search, today);
    if (price && position.shares > 0) {
        figures.price = price;
        figures.value = Value(position, *price, SaleNetOf(rules.schedule), today);
    }
    return figures;
}

std::vector<Totals> YearTotals(std::span<const CodeHoldings> holdings)
{
    std::map<int, Totals> years;
    Totals total;
    for (const CodeHoldings& h : holdings) {
        if (!h.position)
            continue;
        const Position& p = *h.position;
        for (const Totals& y : p.years) {
            Totals& sum = years[y.year];
            sum.year = y.year;
            sum.profitFifo += y.profitFifo;
            sum.profitAverage += y.profitAverage;
            sum.dividendTax += y.dividendTax;
            sum.dividends += y.dividends;
        }
        total.profitFifo += p.total.profitFifo;
        total.profitAverage += p.total.profitAverage;
        total.dividendTax += p.total.dividendTax;
        total.dividends += p.total.dividends;
    }
    std::vector<Totals> out;
    for (const auto& [year, totals] : years)
        out.push_back(totals);
    out.push_back(total);
    return out;
}

std::string HoldingsCsv(std::span<const CodeHoldings> holdings, const FeeSettings& broker, CivilDate today,
                        const std::map<std::string, Money>& prices)
{
    std::string out;
    Row(out, {"代码", "品种", "持有股数", "投入金额", "摊薄成本", "先进先出成本", "保本价（摊薄）", "保本价（先进先出）",
              "现价", "全部卖出实收", "红利税", "浮动盈亏（摊薄）", "浮动盈亏（先进先出）"});
    for (const CodeHoldings& h : holdings) {
        if (!h.position) {
            Row(out, {CsvText(h.code), CsvText(RefusalText(*h.refusal))});
            continue;
        }
        const Position& p = *h.position;
        const auto price = prices.find(p.code);
        const PositionFigures known =
            FiguresFor(p, broker, today, price == prices.end() ? std::nullopt : std::optional(price->second));
        const auto& v = known.value;
        Row(out, {CsvText(p.code), CsvText(p.product), std::to_string(p.shares), Plain(p.invested), Cost(p.AverageCost()),
                  Cost(p.FifoCost()), known.breakEvenAverage ? Plain(*known.breakEvenAverage) : "",
                  known.breakEvenFifo ? Plain(*known.breakEvenFifo) : "", known.price ? Plain(*known.price) : "",
                  v ? Plain(v->net) : "", v ? Plain(v->dividendTax) : "", v ? Plain(v->profitAverage) : "",
                  v ? Plain(v->profitFifo) : ""});
    }
    out += kEnd;
    Row(out, {"代码", "卖出日期", "记录号", "卖出股数", "实收金额", "成本（摊薄）", "成本（先进先出）", "红利税",
              "盈亏（摊薄）", "盈亏（先进先出）"});
    for (const CodeHoldings& h : holdings) {
        if (!h.position)
            continue;
        for (const Sale& s : h.position->sales) {
            Row(out, {CsvText(h.code), s.date.Format(), std::to_string(s.entryId), std::to_string(s.shares),
                      Plain(s.received), Plain(s.costAverage), Plain(s.costFifo), Plain(s.dividendTax),
                      Plain(s.ProfitAverage()), Plain(s.ProfitFifo())});
        }
    }
    out += kEnd;
    Row(out, {"年度", "盈亏（摊薄）", "盈亏（先进先出）", "红利", "红利税"});
    for (const Totals& t : YearTotals(holdings)) {
        Row(out, {t.year == 0 ? std::string("合计") : std::to_string(t.year), Plain(t.profitAverage), Plain(t.profitFifo),
                  Plain(t.dividends), Plain(t.dividendTax)});
    }
    return out;
}

} // namespace qcal::journal
