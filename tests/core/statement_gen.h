#pragma once
// Statements of our own making, each with the records a correct reader returns for it: the truth of
// the reader's differential tests, the rows of its benchmark and the fuzzer's first inputs.
// A noisy statement varies everything brokers vary: column names and order, optional columns, title,
// blank and summary lines, quoting, ="…" and '… cells, signs, thousands separators, date and time
// forms, dashes for empty fees, damaged rows. A plain one is one fixed layout, for timing.

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/statement.h"

namespace qcal::test {

struct StatementShape {
    std::size_t rows = 100;
    std::uint32_t seed = 1;
    char separator = ',';
    std::string lineEnd = "\r\n";
    bool noisy = true;
};

struct GeneratedStatement {
    std::string text;
    std::vector<statement::Record> records;
    std::size_t passedOver = 0;
    std::size_t headerLine = 0;
};

class StatementGenerator {
public:
    using Field = statement::Field;
    using Kind = statement::Kind;
    using Record = statement::Record;
    using SkipReason = statement::SkipReason;

    explicit StatementGenerator(const StatementShape& shape) : shape_(shape), rng_(shape.seed) {}

    GeneratedStatement Make()
    {
        ChooseColumns();
        if (shape_.noisy) {
            const int titles = Pick(0, 2);
            for (int i = 0; i < titles; ++i)
                Emit(i == 0 ? "资金账号：31000" + std::to_string(Pick(1000, 9999)) : "起始日期" + Sep() + "2015-01-01");
            out_.passedOver += static_cast<std::size_t>(titles);
        }
        std::vector<std::string> header;
        for (const auto& c : columns_)
            header.push_back(Cell(c.name));
        Emit(Join(header));
        out_.headerLine = line_;
        for (std::size_t i = 0; i < shape_.rows; ++i) {
            if (shape_.noisy && Chance(3)) {
                Emit(Chance(50) ? "" : Join(std::vector<std::string>(columns_.size(), "")));
                ++out_.passedOver;
            }
            Row();
        }
        if (shape_.noisy && Chance(50)) {
            std::vector<std::string> total(columns_.size(), "");
            total[0] = "合计";
            Emit(Join(total));
            ++out_.passedOver;
        }
        if (shape_.noisy && Chance(50) && !out_.text.empty())
            out_.text.resize(out_.text.size() - shape_.lineEnd.size());  // no break after the last line
        return std::move(out_);
    }

private:
    struct Column {
        Field field;
        std::string name;  // as the header writes it
        bool known = true; // false: a column the reader does not know (备注)
    };

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }
    template <class T>
    const T& OneOf(const std::vector<T>& v) { return v[static_cast<std::size_t>(Pick(0, static_cast<int>(v.size()) - 1))]; }
    std::string Sep() const { return std::string(1, shape_.separator); }

    void Emit(const std::string& line)
    {
        out_.text += line;
        out_.text += shape_.lineEnd;
        ++line_;
    }

    void ChooseColumns()
    {
        using Names = std::vector<std::string>;
        auto add = [this](Field f, const Names& names, bool money = false) {
            std::string name = shape_.noisy ? OneOf(names) : names[0];
            if (money && shape_.noisy && Chance(20))
                name += Chance(50) ? "(元)" : "（元）";
            columns_.push_back({f, name});
        };
        add(Field::Date, {"成交日期", "交易日期", "日期", "发生日期"});
        if (!shape_.noisy || Chance(70))
            add(Field::Time, {"成交时间", "时间"});
        add(Field::Code, {"证券代码", "代码", "股票代码"});
        if (!shape_.noisy || Chance(90))
            add(Field::Name, {"证券名称", "名称", "股票名称"});
        add(Field::Kind, {"操作", "买卖标志", "买卖方向", "成交方向", "业务名称", "委托类别", "摘要"});
        add(Field::Quantity, {"成交数量", "成交股数", "数量"});
        add(Field::Price, {"成交均价", "成交价格", "成交价", "价格"}, true);
        add(Field::Amount, {"成交金额", "金额"}, true);
        if (!shape_.noisy || Chance(90))
            add(Field::Commission, {"佣金", "手续费"}, true);
        if (!shape_.noisy || Chance(90))
            add(Field::StampDuty, {"印花税"}, true);
        if (!shape_.noisy || Chance(80))
            add(Field::TransferFee, {"过户费"}, true);
        const int other = shape_.noisy ? Pick(0, 3) : 1;
        if (other == 1)
            add(Field::OtherFee, {"其他费", "其他费用", "规费", "交易所规费"}, true);
        if (other >= 2)
            add(Field::HandlingFee, {"经手费"}, true);
        if (other == 3)
            add(Field::RegulatoryFee, {"证管费"}, true);
        if (!shape_.noisy || Chance(80))
            add(Field::Net, {"发生金额", "清算金额", "收付金额"}, true);
        if (!shape_.noisy || Chance(70))
            add(Field::Number, {"成交编号", "合同编号", "委托编号"});
        if (shape_.noisy && Chance(30))
            columns_.push_back({Field::Name, "备注", false});
        if (shape_.noisy)
            std::shuffle(columns_.begin(), columns_.end(), rng_);
    }

    bool Has(Field f) const
    {
        return std::any_of(columns_.begin(), columns_.end(), [f](const Column& c) { return c.known && c.field == f; });
    }
    std::string CaptionOf(Field f) const
    {
        for (const auto& c : columns_)
            if (c.known && c.field == f)
                return c.name;
        return {};
    }

    // A cell as the file holds it: quoted when it must be, and now and then when it need not be.
    std::string Cell(const std::string& value)
    {
        const bool must = value.find(shape_.separator) != std::string::npos || value.find('"') != std::string::npos ||
                          (!value.empty() && (value[0] == ' ' || value[0] == '\t'));
        if (!must && !(shape_.noisy && Chance(10)))
            return value;
        std::string q = "\"";
        for (const char c : value)
            q += c == '"' ? std::string("\"\"") : std::string(1, c);
        return q + "\"";
    }

    std::string Join(const std::vector<std::string>& cells) const
    {
        std::string line;
        for (std::size_t i = 0; i < cells.size(); ++i)
            line += (i ? Sep() : "") + cells[i];
        return line;
    }

    static std::string Two(int n) { return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10); }

    // A figure of cents (or mills) as a decimal text, with noise.
    std::string Figure(std::int64_t units, int places, bool allowGroups = true)
    {
        const bool negative = units < 0;
        std::uint64_t abs = negative ? static_cast<std::uint64_t>(-units) : static_cast<std::uint64_t>(units);
        std::uint64_t scale = 1;
        for (int i = 0; i < places; ++i)
            scale *= 10;
        std::string whole = std::to_string(abs / scale);
        if (shape_.noisy && allowGroups && Chance(15))
            for (int at = static_cast<int>(whole.size()) - 3; at > 0; at -= 3)
                whole.insert(static_cast<std::size_t>(at), ",");
        std::string frac = places ? "." + std::to_string(abs % scale + scale).substr(1) : "";
        if (places && shape_.noisy && Chance(10))
            frac += "00";
        std::string sign = negative ? "-" : (shape_.noisy && Chance(5) ? "+" : "");
        return sign + whole + frac;
    }

    static Money Cents(std::int64_t cents) { return Money::FromRaw(cents * 100); }

    // A fee: a number, or left empty or "--" (not given).
    std::string Fee(Field f, std::optional<Money>& expected)
    {
        expected.reset();
        if (!Has(f))
            return {};
        if (shape_.noisy && Chance(8))
            return Chance(50) ? "" : "--";
        const std::int64_t cents = Pick(0, 3000);
        expected = Cents(cents);
        return Figure(shape_.noisy && Chance(10) ? -cents : cents, 2);
    }

    void Row()
    {
        Record r;
        std::vector<std::pair<Field, std::string>> cells;
        auto set = [&cells](Field f, std::string text) { cells.emplace_back(f, std::move(text)); };

        // The date, with the time in its cell when the file has no time column.
        const int year = Pick(2015, 2025);
        const int month = Pick(1, 12);
        const int day = Pick(1, 28);
        r.date = std::to_string(year) + "-" + Two(month) + "-" + Two(day);
        const int hour = Pick(9, 14);
        const int minute = Pick(0, 59);
        const int second = Pick(0, 59);
        const std::string time = Two(hour) + ":" + Two(minute) + ":" + Two(second);
        const int dateForm = shape_.noisy ? Pick(0, 3) : 0;
        const std::string y = std::to_string(year);
        std::string date = dateForm == 0   ? r.date
                           : dateForm == 1 ? y + Two(month) + Two(day)
                           : dateForm == 2 ? y + "/" + std::to_string(month) + "/" + std::to_string(day)
                                           : y + "年" + std::to_string(month) + "月" + std::to_string(day) + "日";
        if (Has(Field::Time)) {
            r.time = time;
            const int form = shape_.noisy ? Pick(0, 2) : 0;
            set(Field::Time, form == 0   ? time
                             : form == 1 ? std::to_string(hour * 10000 + minute * 100 + second)
                                         : std::to_string(hour) + ":" + Two(minute) + ":" + Two(second));
        } else if (shape_.noisy && Chance(50)) {
            r.time = time;
            date += " " + time;
        }
        set(Field::Date, date);

        static const std::vector<std::string> kPrefixes = {"600", "601", "000", "002", "300", "688", "510"};
        r.code = OneOf(kPrefixes) + std::to_string(Pick(100, 999));
        static const std::vector<std::string> kNames = {"浦发银行", "平安银行", "贵州茅台", "宁德时代", "万 科Ａ"};
        static const std::vector<std::string> kOddNames = {"逗号,名称", "引号\"名称\"", "\t制表"};
        if (Has(Field::Name))
            r.name = shape_.noisy && Chance(5) ? OneOf(kOddNames) : OneOf(kNames);
        if (r.name == "\t制表")
            r.name = "制表";  // blanks around a value are not part of it
        if (Has(Field::Number) && (!shape_.noisy || Chance(90)))
            r.number = std::to_string(Pick(1, 9999999));

        const int roll = Pick(1, 100);
        r.kind = roll <= 35 ? Kind::Buy
                 : roll <= 65 ? Kind::Sell
                 : roll <= 73 ? Kind::CashDividend
                 : roll <= 77 ? Kind::BonusShares
                 : roll <= 80 ? Kind::ReserveShares
                              : Kind::Skipped;
        if (!shape_.noisy)
            r.kind = roll <= 50 ? Kind::Buy : Kind::Sell;
        using Words = std::vector<std::string>;
        std::string word;
        switch (r.kind) {
        case Kind::Buy: word = OneOf(Words{"证券买入", "买入", "买", "普通买入", "担保品买入"}); break;
        case Kind::Sell: word = OneOf(Words{"证券卖出", "卖出", "卖", "普通卖出", "担保品卖出"}); break;
        case Kind::CashDividend: word = OneOf(Words{"红利入账", "股息入账", "股息红利", "派息"}); break;
        case Kind::BonusShares: word = OneOf(Words{"红股入账", "送股"}); break;
        case Kind::ReserveShares: word = OneOf(Words{"转增", "转增股入账"}); break;
        case Kind::Skipped: break;
        }
        if (!shape_.noisy)
            word = r.kind == Kind::Buy ? "证券买入" : "证券卖出";

        std::int64_t quantity = 0;
        std::int64_t priceMills = 0;
        std::int64_t amountCents = 0;
        if (r.kind == Kind::Skipped) {
            const int which = Pick(0, 3);
            if (which == 3) {
                Damaged(r, cells, word);
                return;
            }
            static const std::vector<Words> kWords = {
                {"银行转证券", "证券转银行", "银证转账"}, {"利息归本", "结息"}, {"新股申购", "指定交易", "配号"}};
            static const SkipReason kReasons[] = {SkipReason::BankTransfer, SkipReason::Interest, SkipReason::UnknownKind};
            word = OneOf(kWords[static_cast<std::size_t>(which)]);
            r.skip = kReasons[which];
            r.reason = std::string(statement::ReasonWord(r.skip)) + (which == 2 ? "：" + word : "");
            if (which == 0) {
                r.code.clear();
                r.name.clear();
            }
            amountCents = Pick(100, 10000000);
        } else if (r.kind == Kind::CashDividend) {
            amountCents = Pick(100, 500000);
            if (Chance(50))
                quantity = 100 * Pick(1, 100);
        } else if (r.kind == Kind::BonusShares || r.kind == Kind::ReserveShares) {
            quantity = 10 * Pick(1, 500);
        } else {
            quantity = 100 * Pick(1, 100);
            priceMills = 10 * Pick(100, 20000) + (r.code.starts_with("510") ? Pick(0, 9) : 0);
            amountCents = (quantity * priceMills + 5) / 10;  // the 0.005 of a mill price rounds up
        }
        r.kindText = word;
        set(Field::Kind, word);
        r.quantity = Money::FromWhole(quantity);
        r.price = Money::FromRaw(priceMills * 10);
        r.amount = Cents(amountCents);

        // Signs: some statements sign sells' quantities and buys' amounts; the reader goes by the kind.
        const bool signQuantity = shape_.noisy && r.kind == Kind::Sell && Chance(30);
        const bool signAmount = shape_.noisy && r.kind == Kind::Buy && Chance(20);
        set(Field::Quantity, quantity == 0 && shape_.noisy && Chance(50) ? "" : Figure(signQuantity ? -quantity : quantity, 0));
        set(Field::Price, priceMills == 0 && shape_.noisy && Chance(50) ? "" : Figure(priceMills, 3, false));
        const bool dividendInNet = r.kind == Kind::CashDividend && Has(Field::Net) && Chance(50);
        set(Field::Amount, dividendInNet ? "0.00" : Figure(signAmount ? -amountCents : amountCents, 2));

        set(Field::Commission, Fee(Field::Commission, r.commission));
        set(Field::StampDuty, Fee(Field::StampDuty, r.stampDuty));
        set(Field::TransferFee, Fee(Field::TransferFee, r.transferFee));
        set(Field::OtherFee, Fee(Field::OtherFee, r.otherFee));
        std::optional<Money> handling;
        std::optional<Money> regulatory;
        set(Field::HandlingFee, Fee(Field::HandlingFee, handling));
        set(Field::RegulatoryFee, Fee(Field::RegulatoryFee, regulatory));
        if (handling || regulatory)
            r.otherFee = handling.value_or(Money()) + regulatory.value_or(Money());

        if (Has(Field::Net)) {
            Money fees;
            for (const auto& f : {r.commission, r.stampDuty, r.transferFee, r.otherFee})
                fees += f.value_or(Money());
            const bool out = r.kind == Kind::Buy || (r.kind == Kind::Skipped && Chance(50));
            Money net = r.amount == Money() && r.kind != Kind::CashDividend ? Money() : r.amount - fees;
            if (r.kind == Kind::CashDividend)
                net = r.amount;
            if (out)
                net = Money() - (r.amount + fees);
            r.net = net;
            set(Field::Net, Figure(net.Raw() / 100, 2));
        }
        Write(r, cells);
    }

    // A buy whose one needed value is missing or wrong.
    void Damaged(Record& r, std::vector<std::pair<Field, std::string>>& cells, std::string& word)
    {
        word = "证券买入";
        r.kindText = word;
        cells.emplace_back(Field::Kind, word);
        r.quantity = Money::FromWhole(100);
        r.price = Money::FromWhole(10);
        r.amount = Money::FromWhole(1000);
        cells.emplace_back(Field::Quantity, "100");
        cells.emplace_back(Field::Price, "10.00");
        cells.emplace_back(Field::Amount, "1000.00");
        r.skip = SkipReason::Incomplete;
        std::string problem;
        auto replace = [&cells](Field f, const std::string& text) {
            for (auto& [field, cell] : cells)
                if (field == f)
                    cell = text;
        };
        switch (Pick(0, 3)) {
        case 0:
            replace(Field::Quantity, "一百");
            r.quantity = Money();
            problem = CaptionOf(Field::Quantity) + "不是数字";
            break;
        case 1:
            replace(Field::Price, "");
            r.price = Money();
            problem = "缺少" + CaptionOf(Field::Price);
            break;
        case 2:
            replace(Field::Date, "2023-02-29");
            r.date.clear();
            if (!Has(Field::Time))
                r.time.clear();
            problem = CaptionOf(Field::Date) + "不是日期";
            break;
        default:
            r.code = "60000A";
            problem = CaptionOf(Field::Code) + "不是6位数字";
            break;
        }
        r.reason = std::string(msg::kSkipIncomplete) + "：" + problem;
        const bool badCode = r.code == "60000A";
        Write(r, cells);
        if (badCode)
            out_.records.back().code.clear();
    }

    // The row's cells in the columns' order, the code written the many ways it is.
    void Write(const Record& r, std::vector<std::pair<Field, std::string>>& cells)
    {
        std::string code = r.code;
        if (shape_.noisy && !code.empty()) {
            const int form = Pick(0, 5);
            if (form == 1)
                code = "=\"" + code + "\"";
            else if (form == 2)
                code = "'" + code;
            else if (form == 3)
                code = " " + code + " ";
            else if (form == 4 && code.starts_with("000"))
                code = std::to_string(std::stoi(code));  // a spreadsheet dropped its zeros
        }
        cells.emplace_back(Field::Code, code);
        cells.emplace_back(Field::Name, r.name);
        cells.emplace_back(Field::Number, r.number);
        std::vector<std::string> line;
        for (const auto& c : columns_) {
            std::string text;
            if (!c.known) {
                text = Chance(50) ? "" : "备注,有逗号";
            } else {
                for (const auto& [field, cell] : cells)
                    if (field == c.field)
                        text = cell;
            }
            line.push_back(Cell(text));
        }
        Emit(Join(line));
        Record& kept = out_.records.emplace_back(r);
        kept.line = line_;
    }

    StatementShape shape_;
    std::mt19937 rng_;
    std::vector<Column> columns_;
    GeneratedStatement out_;
    std::size_t line_ = 0;
};

inline GeneratedStatement GenerateStatement(const StatementShape& shape) { return StatementGenerator(shape).Make(); }

} // namespace qcal::test
