#include "core/statement.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "core/captions.h"
#include "core/civil_date.h"
#include "core/messages.h"
#include "core/numtext.h"

namespace qcal::statement {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

struct FieldInfo {
    Field field;
    std::string_view key;
    std::string_view caption;
    // The column names brokers use for it, the most telling first: when a header has two of them,
    // the earlier in this list wins (成交编号 names one fill, 合同编号 may cover several).
    std::initializer_list<std::string_view> names;
};

const FieldInfo kFields[kFieldCount] = {
    {Field::Date, "date", caption::kStatementDate, {"成交日期", "交易日期", "日期", "发生日期"}},
    {Field::Time, "time", caption::kStatementTime, {"成交时间", "时间"}},
    {Field::Code, "code", caption::kStatementCode, {"证券代码", "代码", "股票代码"}},
    {Field::Name, "name", caption::kStatementName, {"证券名称", "名称", "股票名称"}},
    {Field::Kind, "kind", caption::kStatementKind,
     {"操作", "买卖标志", "买卖方向", "成交方向", "业务名称", "委托类别", "摘要"}},
    {Field::Quantity, "quantity", caption::kStatementQuantity, {"成交数量", "成交股数", "数量"}},
    {Field::Price, "price", caption::kStatementPrice, {"成交均价", "成交价格", "成交价", "价格"}},
    {Field::Amount, "amount", caption::kStatementAmount, {"成交金额", "金额"}},
    {Field::Commission, "commission", caption::kStatementCommission, {"佣金", "手续费"}},
    {Field::StampDuty, "stamp", caption::kStatementStampDuty, {"印花税"}},
    {Field::TransferFee, "transfer", caption::kStatementTransferFee, {"过户费"}},
    {Field::OtherFee, "other", caption::kStatementOtherFee, {"其他费", "其他费用", "规费", "交易所规费"}},
    {Field::HandlingFee, "handling", caption::kStatementHandlingFee, {"经手费"}},
    {Field::RegulatoryFee, "regulatory", caption::kStatementRegulatoryFee, {"证管费"}},
    {Field::Net, "net", caption::kStatementNet, {"发生金额", "清算金额", "收付金额"}},
    {Field::Number, "number", caption::kStatementNumber, {"成交编号", "合同编号", "委托编号"}},
};

const FieldInfo& Info(Field f) { return kFields[static_cast<std::size_t>(f)]; }

// "{}" in a message, filled in order.
std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> values)
{
    std::string text(pattern);
    std::size_t from = 0;
    for (const auto value : values) {
        const auto at = text.find("{}", from);
        if (at == std::string::npos)
            break;
        text.replace(at, 2, value);
        from = at + value.size();
    }
    return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Blanks around a value: spaces, tabs, and the no-break and ideographic spaces that spreadsheets
// and Chinese input methods leave.
// (Byte by byte: this runs for every cell of every row.)
std::size_t BlankAt(std::string_view s, std::size_t i)
{
    const char c = s[i];
    if (c == ' ' || c == '\t')
        return 1;
    if (c == '\xC2')
        return i + 1 < s.size() && s[i + 1] == '\xA0' ? 2 : 0;
    if (c == '\xE3')
        return i + 2 < s.size() && s[i + 1] == '\x80' && s[i + 2] == '\x80' ? 3 : 0;
    return 0;
}

// The length of the blank that ends s, 0 when none.
std::size_t BlankBefore(std::string_view s)
{
    const std::size_t n = s.size();
    if (n == 0)
        return 0;
    const char c = s[n - 1];
    if (c == ' ' || c == '\t')
        return 1;
    if (c == '\xA0')
        return n >= 2 && s[n - 2] == '\xC2' ? 2 : 0;
    if (c == '\x80')
        return n >= 3 && s[n - 2] == '\x80' && s[n - 3] == '\xE3' ? 3 : 0;
    return 0;
}

std::string_view TrimBlanks(std::string_view s)
{
    std::size_t from = 0;
    while (from < s.size()) {
        const std::size_t n = BlankAt(s, from);
        if (n == 0)
            break;
        from += n;
    }
    s.remove_prefix(from);
    while (const std::size_t n = BlankBefore(s))
        s.remove_suffix(n);
    return s;
}

// A value as a spreadsheet writes it to keep its leading zeros: ="600000" or '600000.
void CleanCell(std::string& cell)
{
    std::string_view v = TrimBlanks(cell);
    if (v.size() >= 3 && v[0] == '=' && v[1] == '"' && v.back() == '"')
        v = TrimBlanks(v.substr(2, v.size() - 3));
    else if (!v.empty() && v[0] == '\'')
        v = TrimBlanks(v.substr(1));
    if (v.size() != cell.size())
        cell = std::string(v);
}

// A column name or a kind word without blanks inside and without a remark in brackets at its end:
// "成交金额(元)" and "成交金额（元）" are 成交金额.
std::string Normalised(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        if (const std::size_t n = BlankAt(s, i)) {
            i += n;
            continue;
        }
        out += s[i++];
    }
    for (const auto& [open, close] : {std::pair<std::string_view, std::string_view>{"(", ")"}, {"（", "）"}}) {
        if (out.size() > close.size() && out.ends_with(close)) {
            const auto at = out.rfind(open);
            if (at != std::string::npos && at > 0)
                out.erase(at);
        }
    }
    return out;
}

// ---- Values --------------------------------------------------------------------------------------

// Reads 1 to maxDigits digits at i.
std::optional<int> Digits(std::string_view s, std::size_t& i, std::size_t minDigits, std::size_t maxDigits)
{
    const std::size_t from = i;
    int value = 0;
    while (i < s.size() && IsDigit(s[i]) && i - from < maxDigits)
        value = value * 10 + (s[i++] - '0');
    if (i - from < minDigits || (i < s.size() && IsDigit(s[i])))
        return std::nullopt;
    return value;
}

bool Skip(std::string_view s, std::size_t& i, std::string_view what)
{
    if (s.substr(i).starts_with(what)) {
        i += what.size();
        return true;
    }
    return false;
}

std::string TwoDigits(int n) { return {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)}; }

struct DateTime {
    std::string date;  // YYYY-MM-DD
    std::string rest;  // what followed the date: a time
};

// 2024-01-15, 2024/1/15, 2024.1.15, 2024年1月15日 or 20240115, with a time after it or not.
std::optional<DateTime> ParseDate(std::string_view s)
{
    std::size_t i = 0;
    int year = 0;
    int month = 0;
    int day = 0;
    std::size_t run = 0;
    while (run < s.size() && IsDigit(s[run]))
        ++run;
    if (run == 8) {
        year = (s[0] - '0') * 1000 + (s[1] - '0') * 100 + (s[2] - '0') * 10 + (s[3] - '0');
        month = (s[4] - '0') * 10 + (s[5] - '0');
        day = (s[6] - '0') * 10 + (s[7] - '0');
        i = 8;
    } else if (run == 4) {
        year = *Digits(s, i, 4, 4);
        const bool chinese = Skip(s, i, "年");
        char sep = 0;
        if (!chinese) {
            if (i >= s.size() || (s[i] != '-' && s[i] != '/' && s[i] != '.'))
                return std::nullopt;
            sep = s[i++];
        }
        const auto m = Digits(s, i, 1, 2);
        if (!m || !(chinese ? Skip(s, i, "月") : (i < s.size() && s[i++] == sep)))
            return std::nullopt;
        const auto d = Digits(s, i, 1, 2);
        if (!d)
            return std::nullopt;
        if (chinese)
            Skip(s, i, "日");
        month = *m;
        day = *d;
    } else {
        return std::nullopt;
    }
    // The journal's calendar decides which days exist, so that what is read here it takes.
    const auto valid = year >= 1000 ? CivilDate::FromYmd(year, month, day) : std::nullopt;
    if (!valid)
        return std::nullopt;
    std::string_view rest = s.substr(i);
    if (!rest.empty() && rest[0] == 'T')
        rest.remove_prefix(1);
    rest = TrimBlanks(rest);
    if (!rest.empty() && !IsDigit(rest[0]))
        return std::nullopt;
    return DateTime{valid->Format(), std::string(rest)};
}

// 9:30, 09:30:05 or 093005 (93005) as HH:MM:SS; any other text as it is.
std::string NormalisedTime(std::string_view s)
{
    int h = 0;
    int m = 0;
    int sec = 0;
    std::size_t i = 0;
    bool ok = false;
    if (s.find(':') != std::string_view::npos) {
        const auto hh = Digits(s, i, 1, 2);
        const auto mm = hh && Skip(s, i, ":") ? Digits(s, i, 2, 2) : std::nullopt;
        std::optional<int> ss = 0;
        if (mm && Skip(s, i, ":"))
            ss = Digits(s, i, 2, 2);
        ok = hh && mm && ss && i == s.size();
        if (ok) {
            h = *hh;
            m = *mm;
            sec = *ss;
        }
    } else if ((s.size() == 5 || s.size() == 6) && std::all_of(s.begin(), s.end(), IsDigit)) {
        int n = 0;
        for (char c : s)
            n = n * 10 + (c - '0');
        h = n / 10000;
        m = n / 100 % 100;
        sec = n % 100;
        ok = true;
    }
    if (!ok || h > 23 || m > 59 || sec > 59)
        return std::string(s);
    return TwoDigits(h) + ":" + TwoDigits(m) + ":" + TwoDigits(sec);
}

// Six digits; a shorter run of digits lost its leading zeros in a spreadsheet; SH600000 and
// 600000.SH name the market as well.
std::optional<std::string> ParseCode(std::string_view s)
{
    auto market = [](std::string_view m) {
        return m.size() == 2 && (m[0] == 'S' || m[0] == 's' || m[0] == 'B' || m[0] == 'b') &&
               std::string_view("HhZzJj").find(m[1]) != std::string_view::npos;
    };
    if (s.size() == 8 && market(s.substr(0, 2)))
        s.remove_prefix(2);
    else if (s.size() == 9 && s[6] == '.' && market(s.substr(7)))
        s.remove_suffix(3);
    if (s.empty() || s.size() > 6 || !std::all_of(s.begin(), s.end(), IsDigit))
        return std::nullopt;
    return std::string(6 - s.size(), '0') + std::string(s);
}

// A number cell: not given (no column, empty, or a dash standing for nothing), a number, or not a
// number. No figure of a statement comes near 10^14 yuan; refusing larger ones keeps every sum and
// magnitude of two of them inside Money.
struct Number {
    bool given = false;
    std::optional<Money> value;  // given and numeric
    bool tooLarge = false;
    bool Bad() const { return given && !value; }
};

Number ReadNumber(const std::string* cell)
{
    if (cell == nullptr || cell->empty() || *cell == "-" || *cell == "--" || *cell == "—" || *cell == "——")
        return {};
    const auto value = ParseMoney(*cell);
    constexpr std::int64_t kLargest = 100'000'000'000'000 * Money::kScale;
    if ((value && (value->Raw() > kLargest || value->Raw() < -kLargest)) ||
        (!value && (IsTooLargeNumber(*cell) || ParseNumber(*cell))))
        return {true, std::nullopt, true};
    return {true, value};
}

Money Magnitude(Money m) { return m < Money() ? Money() - m : m; }

// ---- Kinds ---------------------------------------------------------------------------------------

bool OneOf(std::string_view word, std::initializer_list<std::string_view> words)
{
    return std::find(words.begin(), words.end(), word) != words.end();
}

std::pair<Kind, SkipReason> Classify(std::string_view word)
{
    if (OneOf(word, {"证券买入", "买入", "买", "普通买入", "担保品买入"}))
        return {Kind::Buy, SkipReason::None};
    if (OneOf(word, {"证券卖出", "卖出", "卖", "普通卖出", "担保品卖出"}))
        return {Kind::Sell, SkipReason::None};
    if (OneOf(word, {"红利入账", "股息入账", "股息红利", "派息", "红利", "股息", "现金红利"}))
        return {Kind::CashDividend, SkipReason::None};
    if (OneOf(word, {"红股入账", "送股", "红股", "送股入账"}))
        return {Kind::BonusShares, SkipReason::None};
    if (OneOf(word, {"转增", "转增股入账", "转增入账", "转增股"}))
        return {Kind::ReserveShares, SkipReason::None};
    if (word.find("银行") != std::string_view::npos || word.find("银证") != std::string_view::npos)
        return {Kind::Skipped, SkipReason::BankTransfer};
    if (word.find("利息") != std::string_view::npos || word.find("结息") != std::string_view::npos)
        return {Kind::Skipped, SkipReason::Interest};
    return {Kind::Skipped, SkipReason::UnknownKind};
}

std::string_view KindKey(Kind kind)
{
    switch (kind) {
    case Kind::Buy: return "buy";
    case Kind::Sell: return "sell";
    case Kind::CashDividend: return "dividend";
    case Kind::BonusShares: return "bonus";
    case Kind::ReserveShares: return "reserve";
    case Kind::Skipped: break;
    }
    return "skipped";
}

// Money as a stable decimal text: 1234.5, -0.01, 100.
std::string MoneyText(Money m)
{
    const std::int64_t raw = m.Raw();
    const bool negative = raw < 0;
    // The magnitude in unsigned arithmetic, so that the lowest raw value does not overflow.
    const std::uint64_t abs = negative ? 0 - static_cast<std::uint64_t>(raw) : static_cast<std::uint64_t>(raw);
    std::string text = (negative ? "-" : "") + std::to_string(abs / Money::kScale);
    std::string frac = std::to_string(abs % Money::kScale + Money::kScale).substr(1);
    while (!frac.empty() && frac.back() == '0')
        frac.pop_back();
    return frac.empty() ? text : text + "." + frac;
}

bool IsSummary(std::string_view cell)
{
    for (const std::string_view word : {"合计", "总计", "小计", "汇总", "共计"})
        if (cell.starts_with(word))
            return true;
    return false;
}

// The separator of a header candidate: tabs when it has more of them than commas (outside quotes).
char GuessSeparator(std::string_view line)
{
    std::size_t tabs = 0;
    std::size_t commas = 0;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == '\t')
            ++tabs;
        else if (!quoted && c == ',')
            ++commas;
    }
    return tabs > commas ? '\t' : ',';
}

bool AllBlank(const std::vector<std::string>& cells)
{
    return std::all_of(cells.begin(), cells.end(), [](const std::string& c) { return c.empty(); });
}

} // namespace

// ---- Names and mappings ----------------------------------------------------------------------------

std::string_view FieldKey(Field field) { return Info(field).key; }
std::string_view FieldCaption(Field field) { return Info(field).caption; }

std::string_view ReasonWord(SkipReason reason)
{
    switch (reason) {
    case SkipReason::None: break;
    case SkipReason::BankTransfer: return msg::kSkipBankTransfer;
    case SkipReason::Interest: return msg::kSkipInterest;
    case SkipReason::UnknownKind: return msg::kSkipUnknownKind;
    case SkipReason::Incomplete: return msg::kSkipIncomplete;
    }
    return {};
}

std::string ToText(const ColumnMap& map)
{
    std::string text;
    auto add = [&text](std::string_view key, int value) {
        if (!text.empty())
            text += ';';
        text += key;
        text += '=';
        text += std::to_string(value);
    };
    if (map.headerLine != ColumnMap::kAbsent)
        add("header", map.headerLine);
    for (const auto& info : kFields)
        if (map.Has(info.field))
            add(info.key, map[info.field]);
    return text;
}

std::optional<ColumnMap> ColumnMapFromText(std::string_view text)
{
    ColumnMap map;
    const int maxColumn = static_cast<int>(Limits{}.maxColumns) - 1;
    while (!text.empty()) {
        const auto end = std::min(text.find(';'), text.size());
        const std::string_view part = TrimBlanks(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (part.empty())
            continue;
        const auto eq = part.find('=');
        if (eq == std::string_view::npos)
            return std::nullopt;
        const std::string_view key = TrimBlanks(part.substr(0, eq));
        const std::string_view digits = TrimBlanks(part.substr(eq + 1));
        int value = 0;
        const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (digits.empty() || !IsDigit(digits[0]) || ec != std::errc() || ptr != digits.data() + digits.size())
            return std::nullopt;
        if (key == "header") {
            if (map.headerLine != ColumnMap::kAbsent)
                return std::nullopt;
            map.headerLine = value;
            continue;
        }
        const auto* info = std::find_if(std::begin(kFields), std::end(kFields),
                                        [key](const FieldInfo& f) { return f.key == key; });
        if (info == std::end(kFields) || map.Has(info->field) || value > maxColumn ||
            std::find(map.column.begin(), map.column.end(), value) != map.column.end())
            return std::nullopt;
        map[info->field] = value;
    }
    return map;
}

std::string DuplicateKey(const Record& r)
{
    if (!r.number.empty())
        return "n|" + r.date + "|" + r.code + "|" + r.number;
    std::string key = "r|" + r.date + "|" + r.time + "|" + r.code + "|" + std::string(KindKey(r.kind));
    for (const Money m : {r.quantity, r.price, r.amount})
        key += "|" + MoneyText(m);
    return key;
}

// ---- The reader ------------------------------------------------------------------------------------

Reader::Reader(ReadOptions options) : options_(std::move(options)) {}

void Reader::Stop(Problem problem, std::size_t line)
{
    stopped_ = true;
    result_.problem = problem;
    result_.problemLine = line;
    const std::string at = std::to_string(line);
    const Limits& limits = options_.limits;
    switch (problem) {
    case Problem::None: break;
    case Problem::Empty: result_.message = msg::kStatementEmpty; break;
    case Problem::NoHeader: result_.message = msg::kStatementNoHeader; break;
    case Problem::MissingColumns: {
        std::string names;
        for (const Field f : result_.missing)
            names += (names.empty() ? "" : "、") + std::string(FieldCaption(f));
        result_.message = Fill(msg::kStatementMissingColumns, {names});
        break;
    }
    case Problem::BadMapping:
        result_.message = Fill(msg::kStatementBadMapping, {std::to_string(result_.columns.size())});
        break;
    case Problem::LineTooLong:
        result_.message = Fill(msg::kStatementLineTooLong, {at, std::to_string(limits.maxLineBytes)});
        break;
    case Problem::TooManyColumns:
        result_.message = Fill(msg::kStatementTooManyColumns, {at, std::to_string(limits.maxColumns)});
        break;
    case Problem::TooManyRows:
        result_.message = Fill(msg::kStatementTooManyRows, {std::to_string(limits.maxRecords), at});
        break;
    }
}

bool Reader::Feed(std::string_view text)
{
    if (stopped_)
        return false;
    const std::size_t maxLine = options_.limits.maxLineBytes;
    std::size_t i = 0;
    if (afterCr_ && !text.empty()) {
        afterCr_ = false;
        if (text[0] == '\n')
            i = 1;
    }
    std::size_t start = i;
    while (i < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", i);
        if (end == std::string_view::npos)
            break;
        const std::string_view piece = text.substr(start, end - start);
        if (pending_.size() + piece.size() > maxLine) {
            Stop(Problem::LineTooLong, lineNumber_ + 1);
            return false;
        }
        if (pending_.empty()) {
            Line(piece);
        } else {
            pending_ += piece;
            Line(pending_);
            pending_.clear();
        }
        if (stopped_)
            return false;
        std::size_t next = end + 1;
        if (text[end] == '\r') {
            if (next == text.size())
                afterCr_ = true;
            else if (text[next] == '\n')
                ++next;
        }
        i = start = next;
    }
    const std::string_view rest = text.substr(start);
    if (pending_.size() + rest.size() > maxLine) {
        Stop(Problem::LineTooLong, lineNumber_ + 1);
        return false;
    }
    pending_ += rest;
    return true;
}

Statement Reader::Finish()
{
    if (!stopped_ && !pending_.empty()) {
        // The last line, without a line break after it.
        const std::string last = std::move(pending_);
        pending_.clear();
        Line(last);
    }
    if (!stopped_ && !headerFound_)
        Stop(earlyLines_ == 0 ? Problem::Empty : Problem::NoHeader, 0);
    return std::move(result_);
}

// Splits a line into cells_, each cleaned. False when it has more than maxColumns cells.
bool Reader::Split(std::string_view line, char separator)
{
    cells_.clear();
    std::size_t i = 0;
    for (;;) {
        if (cells_.size() == options_.limits.maxColumns)
            return false;
        std::string& cell = cells_.emplace_back();
        while (i < line.size() && line[i] != separator && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i < line.size() && line[i] == '"') {
            // Quoted: "" is a quote; the quote ends at the line's end at the latest. Text after the
            // closing quote, up to the separator, is kept as it is.
            ++i;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        cell += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                cell += line[i++];
            }
        }
        const std::size_t end = std::min(line.find(separator, i), line.size());
        cell.append(line, i, end - i);
        CleanCell(cell);
        if (end == line.size())
            return true;
        i = end + 1;
    }
}

void Reader::Line(std::string_view line)
{
    ++lineNumber_;
    if (lineNumber_ == 1 && line.starts_with(kBom))
        line.remove_prefix(kBom.size());
    if (headerFound_)
        Row(line);
    else if (!FindHeader(line) && !stopped_)
        ++result_.passedOver;
}

// Looks at a line before the header: true when it is the header, or the first row of a file that
// has none (then handed on to Row).
bool Reader::FindHeader(std::string_view line)
{
    if (TrimBlanks(line).empty())
        return false;
    const char separator = GuessSeparator(line);
    if (!Split(line, separator)) {
        Stop(Problem::TooManyColumns, lineNumber_);
        return false;
    }
    if (AllBlank(cells_))
        return false;
    ++earlyLines_;
    if (earlyLines_ <= 20 && cells_.size() > result_.columns.size()) {
        result_.columns = cells_;
        result_.separator = separator;
    }

    // The columns named as we know them; the earlier name of a field's list wins.
    ColumnMap named;
    std::array<std::size_t, kFieldCount> rank;
    rank.fill(SIZE_MAX);
    for (std::size_t c = 0; c < cells_.size(); ++c) {
        const std::string name = Normalised(cells_[c]);
        for (const auto& info : kFields) {
            const auto at = std::find(info.names.begin(), info.names.end(), name);
            const auto r = static_cast<std::size_t>(at - info.names.begin());
            if (at != info.names.end() && r < rank[static_cast<std::size_t>(info.field)]) {
                rank[static_cast<std::size_t>(info.field)] = r;
                named[info.field] = static_cast<int>(c);
            }
        }
    }
    ColumnMap map = named;
    int widest = -1;
    if (options_.map) {
        for (const auto& info : kFields) {
            if (!options_.map->Has(info.field))
                continue;
            const int column = (*options_.map)[info.field];
            // A column the caller gave to one field is no longer another's by its name.
            for (int& other : map.column)
                if (other == column)
                    other = ColumnMap::kAbsent;
            map[info.field] = column;
            widest = std::max(widest, column);
        }
    }

    const int wantedLine = options_.map ? options_.map->headerLine : ColumnMap::kAbsent;
    bool header = false;
    bool noHeader = false;
    if (wantedLine == 0) {
        noHeader = true;
    } else if (wantedLine > 0) {
        header = lineNumber_ == static_cast<std::size_t>(wantedLine);
        if (!header)
            return false;
    } else if (named.Has(Field::Date) && named.Has(Field::Code) && named.Has(Field::Quantity)) {
        header = true;
    } else {
        // Found with the caller's columns: a line wide enough for them, whose date column, when it
        // holds a date, shows that the file has no header at all.
        if (!map.Has(Field::Date) || !map.Has(Field::Code) || !map.Has(Field::Quantity) ||
            static_cast<std::size_t>(widest) >= cells_.size())
            return false;
        noHeader = ParseDate(cells_[static_cast<std::size_t>(map[Field::Date])]).has_value();
        header = !noHeader;
    }

    headerFound_ = true;
    result_.separator = separator;
    result_.map = map;
    for (const Field f : kNeededFields)
        if (!map.Has(f))
            result_.missing.push_back(f);
    if (header) {
        result_.headerLine = lineNumber_;
        result_.columns = cells_;
    }
    if (!result_.missing.empty()) {
        Stop(Problem::MissingColumns, lineNumber_);
        return true;
    }
    if (header && widest >= 0 && static_cast<std::size_t>(widest) >= cells_.size()) {
        Stop(Problem::BadMapping, lineNumber_);
        return true;
    }
    if (noHeader)
        Row(line);
    return true;
}

void Reader::Row(std::string_view line)
{
    if (!Split(line, result_.separator)) {
        Stop(Problem::TooManyColumns, lineNumber_);
        return;
    }
    if (AllBlank(cells_)) {
        ++result_.passedOver;
        return;
    }
    const auto first = std::find_if(cells_.begin(), cells_.end(), [](const std::string& c) { return !c.empty(); });
    if (IsSummary(*first)) {
        ++result_.passedOver;
        return;
    }
    if (result_.records.size() == options_.limits.maxRecords) {
        Stop(Problem::TooManyRows, lineNumber_);
        return;
    }

    const ColumnMap& map = result_.map;
    auto cell = [&](Field f) -> const std::string* {
        const int c = map[f];
        return c >= 0 && static_cast<std::size_t>(c) < cells_.size() ? &cells_[static_cast<std::size_t>(c)] : nullptr;
    };
    // The column as this file names it, so that a message speaks the file's words.
    auto caption = [&](Field f) -> std::string {
        const int c = map[f];
        if (c >= 0 && static_cast<std::size_t>(c) < result_.columns.size() && result_.headerLine != 0 &&
            !result_.columns[static_cast<std::size_t>(c)].empty())
            return result_.columns[static_cast<std::size_t>(c)];
        return std::string(FieldCaption(f));
    };
    static const std::string kNone;
    auto text = [&](Field f) -> const std::string& { return cell(f) ? *cell(f) : kNone; };

    Record& r = result_.records.emplace_back();
    r.line = lineNumber_;
    r.kindText = text(Field::Kind);
    r.name = text(Field::Name);
    r.number = text(Field::Number);

    std::string problem;  // the first thing a kind needs and the row lacks
    auto lacks = [&problem](std::string_view pattern, const std::string& what) {
        if (problem.empty())
            problem = Fill(pattern, {what});
    };

    const std::string& dateText = text(Field::Date);
    const auto date = ParseDate(dateText);
    if (date)
        r.date = date->date;
    else
        lacks(dateText.empty() ? msg::kSkipMissing : msg::kSkipNotDate, caption(Field::Date));
    const std::string& timeText = text(Field::Time);
    r.time = NormalisedTime(!timeText.empty() || !date ? timeText : date->rest);

    const std::string& codeText = text(Field::Code);
    const auto code = ParseCode(codeText);
    if (code)
        r.code = *code;
    else
        lacks(codeText.empty() ? msg::kSkipMissing : msg::kSkipNotCode, caption(Field::Code));

    const Number quantity = ReadNumber(cell(Field::Quantity));
    const Number price = ReadNumber(cell(Field::Price));
    const Number amount = ReadNumber(cell(Field::Amount));
    const Number net = ReadNumber(cell(Field::Net));
    r.quantity = Magnitude(quantity.value.value_or(Money()));
    r.price = Magnitude(price.value.value_or(Money()));
    r.amount = Magnitude(amount.value.value_or(Money()));
    r.net = net.value;

    // A needed figure: given, a number, and above zero when it must be.
    auto need = [&](Field f, const Number& n, bool positive) {
        if (!n.given)
            lacks(msg::kSkipMissing, caption(f));
        else if (n.Bad())
            lacks(n.tooLarge ? msg::kSkipOutOfRange : msg::kSkipNotNumber, caption(f));
        else if (positive && *n.value == Money())
            lacks(msg::kSkipNotPositive, caption(f));
    };
    auto fee = [&](Field f) {
        const Number n = ReadNumber(cell(f));
        if (n.Bad())
            lacks(n.tooLarge ? msg::kSkipOutOfRange : msg::kSkipNotNumber, caption(f));
        return n.value ? std::optional<Money>(Magnitude(*n.value)) : std::nullopt;
    };

    auto [kind, skip] = Classify(Normalised(r.kindText));
    r.kind = kind;
    r.skip = skip;
    switch (kind) {
    case Kind::Buy:
    case Kind::Sell:
        need(Field::Quantity, quantity, true);
        need(Field::Price, price, true);
        need(Field::Amount, amount, false);
        break;
    case Kind::CashDividend:
        if (r.amount == Money() && net.value)
            r.amount = Magnitude(*net.value);
        if (r.amount == Money()) {
            if (amount.given || !net.given)
                need(Field::Amount, amount, true);
            else
                need(Field::Net, net, true);
        }
        break;
    case Kind::BonusShares:
    case Kind::ReserveShares:
        need(Field::Quantity, quantity, true);
        break;
    case Kind::Skipped:
        break;
    }
    if (net.Bad() && kind != Kind::Skipped)
        lacks(msg::kSkipNotNumber, caption(Field::Net));
    r.commission = fee(Field::Commission);
    r.stampDuty = fee(Field::StampDuty);
    r.transferFee = fee(Field::TransferFee);
    if (map.Has(Field::OtherFee)) {
        r.otherFee = fee(Field::OtherFee);
    } else {
        const auto handling = fee(Field::HandlingFee);
        const auto regulatory = fee(Field::RegulatoryFee);
        if (handling || regulatory)
            r.otherFee = handling.value_or(Money()) + regulatory.value_or(Money());
    }

    if (kind == Kind::Skipped) {
        r.reason = skip == SkipReason::UnknownKind && !r.kindText.empty()
                       ? std::string(ReasonWord(skip)) + "：" + r.kindText
                       : std::string(ReasonWord(skip));
        if (r.kindText.empty()) {
            r.skip = SkipReason::Incomplete;
            r.reason = std::string(msg::kSkipIncomplete) + "：" + Fill(msg::kSkipMissing, {caption(Field::Kind)});
        }
    } else if (!problem.empty()) {
        r.kind = Kind::Skipped;
        r.skip = SkipReason::Incomplete;
        r.reason = std::string(msg::kSkipIncomplete) + "：" + problem;
    }
}

Statement Read(std::string_view text, const ReadOptions& options)
{
    Reader reader(options);
    reader.Feed(text);
    return reader.Finish();
}

// ---- Encodings ---------------------------------------------------------------------------------------

void EncodingScanner::Feed(std::string_view bytes)
{
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (seen_ < kBom.size() && bomMatched_ == seen_ && ch == kBom[seen_])
            ++bomMatched_;
        ++seen_;

        // UTF-8: a byte that does not continue the sequence is an error, and starts afresh.
        bool continued = false;
        if (utf8Need_ > 0) {
            if (b >= nextLow_ && b <= nextHigh_) {
                continued = true;
                nextLow_ = 0x80;
                nextHigh_ = 0xBF;
                if (--utf8Need_ == 0)
                    ++utf8Sequences_;
            } else {
                ++utf8Bad_;
                utf8Need_ = 0;
            }
        }
        if (!continued && b >= 0x80) {
            nextLow_ = 0x80;
            nextHigh_ = 0xBF;
            if (b >= 0xC2 && b <= 0xDF) {
                utf8Need_ = 1;
            } else if (b >= 0xE0 && b <= 0xEF) {
                utf8Need_ = 2;
                if (b == 0xE0)
                    nextLow_ = 0xA0;
                else if (b == 0xED)
                    nextHigh_ = 0x9F;
            } else if (b >= 0xF0 && b <= 0xF4) {
                utf8Need_ = 3;
                if (b == 0xF0)
                    nextLow_ = 0x90;
                else if (b == 0xF4)
                    nextHigh_ = 0x8F;
            } else {
                ++utf8Bad_;
            }
        }

        // GBK (code page 936): 0x80 is the euro sign; 0x81–0xFE lead a pair whose second byte is
        // 0x40–0x7E or 0x80–0xFE.
        if (gbkLead_) {
            gbkLead_ = false;
            if ((b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE))
                continue;
            ++gbkBad_;
        }
        if (b >= 0x81 && b <= 0xFE)
            gbkLead_ = true;
        else if (b == 0xFF)
            ++gbkBad_;
    }
}

Encoding EncodingScanner::Likely() const { return Bom() || ValidUtf8() ? Encoding::Utf8 : Encoding::Gbk; }

bool EncodingScanner::Sure() const
{
    if (Bom())
        return true;
    if (ValidUtf8())
        return utf8Sequences_ >= kSureSequences || (utf8Sequences_ > 0 && !WellFormedGbk());
    return WellFormedGbk();
}

} // namespace qcal::statement
