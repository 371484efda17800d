// The statement reader, against statements whose records are known because we made them
// (statement_gen.h), fed whole, in random pieces and cut short; then the few rules that a
// generator cannot check by itself: kind words, dates, headers, mappings, limits, encodings.

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "core/statement.h"
#include "statement_gen.h"

namespace qcal::statement {

void PrintTo(const Record& r, std::ostream* os)
{
    auto money = [](const std::optional<Money>& m) { return m ? std::to_string(m->Raw()) : std::string("-"); };
    *os << "line " << r.line << " kind " << static_cast<int>(r.kind) << " skip " << static_cast<int>(r.skip) << " ["
        << r.reason << "] [" << r.kindText << "] " << r.date << " [" << r.time << "] " << r.code << " [" << r.name
        << "] q" << r.quantity.Raw() << " p" << r.price.Raw() << " a" << r.amount.Raw() << " c" << money(r.commission)
        << " s" << money(r.stampDuty) << " t" << money(r.transferFee) << " o" << money(r.otherFee) << " n"
        << money(r.net) << " #" << r.number;
}

namespace {

using test::GenerateStatement;
using test::StatementShape;

// Feeds the text in random pieces, some of one byte, so that pieces split CR LF pairs, quotes and
// UTF-8 characters.
Statement ReadInPieces(std::string_view text, std::mt19937& rng, const ReadOptions& options = {})
{
    Reader reader(options);
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t most = std::uniform_int_distribution<int>(0, 3)(rng) == 0 ? 1 : 64;
        const std::size_t n = std::uniform_int_distribution<std::size_t>(1, most)(rng);
        reader.Feed(text.substr(at, n));
        at += n;
    }
    return reader.Finish();
}

StatementShape ShapeFor(std::uint32_t seed, std::size_t rows)
{
    static const std::string kEnds[] = {"\r\n", "\n", "\r"};
    StatementShape shape;
    shape.seed = seed;
    shape.rows = rows;
    shape.separator = seed % 2 ? ',' : '\t';
    shape.lineEnd = kEnds[seed % 3];
    return shape;
}

TEST(StatementReader, ReadsBackWhatWasWrittenInEveryLayout)
{
    for (std::uint32_t seed = 1; seed <= 120; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const auto made = GenerateStatement(ShapeFor(seed, 40));
        const Statement read = Read(made.text);
        ASSERT_TRUE(read.Ok()) << read.message;
        EXPECT_EQ(read.headerLine, made.headerLine);
        EXPECT_EQ(read.passedOver, made.passedOver);
        ASSERT_EQ(read.records.size(), made.records.size());
        for (std::size_t i = 0; i < made.records.size(); ++i)
            ASSERT_EQ(read.records[i], made.records[i]) << "row " << i;
    }
}

TEST(StatementReader, PiecesAndCutsMakeNoDifference)
{
    std::mt19937 rng(7);
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const auto made = GenerateStatement(ShapeFor(seed, 25));
        EXPECT_EQ(ReadInPieces(made.text, rng), Read(made.text));

        // Cut anywhere: the rows before the cut are read as they were, and the rest is not invented.
        const std::size_t cut = std::uniform_int_distribution<std::size_t>(0, made.text.size())(rng);
        const Statement part = Read(std::string_view(made.text).substr(0, cut));
        EXPECT_EQ(ReadInPieces(std::string_view(made.text).substr(0, cut), rng), part);
        ASSERT_LE(part.records.size(), made.records.size());
        for (std::size_t i = 0; i + 1 < part.records.size(); ++i)
            ASSERT_EQ(part.records[i], made.records[i]);

        // Tight limits stop the reading at the same line however it is fed.
        ReadOptions tight;
        tight.limits = {static_cast<std::size_t>(seed * 3), seed % 12 + 1, seed % 9};
        const Statement stopped = Read(made.text, tight);
        EXPECT_EQ(ReadInPieces(made.text, rng, tight), stopped);
        EXPECT_EQ(stopped.Ok(), stopped.message.empty());
        EXPECT_LE(stopped.records.size(), tight.limits.maxRecords);
    }
}

// Random texts of the pieces statements are made of: the reader never fails, every record it gives
// is well formed, and pieces change nothing.
TEST(StatementReader, RandomTextsGiveWellFormedRecordsOrAMessage)
{
    static const std::vector<std::string> kTokens = {
        "成交日期", "证券代码", "成交数量", "操作", "成交价格", "成交金额", "发生金额", "经手费", "证管费",
        "证券买入", "卖出", "红利入账", "送股", "银行转证券", "合计", ",", ",", "\t", "\"", "\"\"", "=\"", "'",
        "\r", "\n", "\r\n", " ", "2024-01-15", "20240115", "2024年1月5日", "09:30:00", "600000", "1", "-", "--",
        "10.5", "-1,000.00", "1e3", "\xEF\xBB\xBF", "\xC0", "\xFF", "\xE4\xB8", "9223372036854775807"};
    std::mt19937 rng(11);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int n = std::uniform_int_distribution<int>(0, 120)(rng);
        for (int i = 0; i < n; ++i)
            text += kTokens[std::uniform_int_distribution<std::size_t>(0, kTokens.size() - 1)(rng)];
        ReadOptions options;
        if (round % 2)
            options.limits = {40, 6, 4};
        const Statement s = Read(text, options);
        ASSERT_EQ(ReadInPieces(text, rng, options), s) << text;
        ASSERT_EQ(s.Ok(), s.message.empty()) << text;
        std::size_t last = 0;
        for (const Record& r : s.records) {
            ASSERT_GT(r.line, last);
            last = r.line;
            if (r.kind == Kind::Skipped) {
                ASSERT_NE(r.skip, SkipReason::None);
                ASSERT_TRUE(r.reason.starts_with(ReasonWord(r.skip))) << r.reason;
                continue;
            }
            ASSERT_EQ(r.skip, SkipReason::None);
            ASSERT_EQ(r.date.size(), 10u);
            ASSERT_EQ(r.code.size(), 6u);
            ASSERT_GE(r.quantity, Money());
            ASSERT_GE(r.amount, Money());
            if (r.IsTrade()) {
                ASSERT_GT(r.price, Money());
            }
        }
    }
}

// ---- Words and values ------------------------------------------------------------------------------

struct KindCase {
    const char* word;
    Kind kind;
    SkipReason skip;
};

TEST(StatementReader, KnowsTheWordsBrokersUse)
{
    const KindCase cases[] = {
        {"证券买入", Kind::Buy, SkipReason::None},          {"普通买入", Kind::Buy, SkipReason::None},
        {"担保品买入", Kind::Buy, SkipReason::None},        {"买", Kind::Buy, SkipReason::None},
        {"证券买入(沪)", Kind::Buy, SkipReason::None},      {"证券卖出", Kind::Sell, SkipReason::None},
        {"普通卖出", Kind::Sell, SkipReason::None},         {"卖", Kind::Sell, SkipReason::None},
        {"红利入账", Kind::CashDividend, SkipReason::None}, {"股息入账", Kind::CashDividend, SkipReason::None},
        {"股息红利", Kind::CashDividend, SkipReason::None}, {"派息", Kind::CashDividend, SkipReason::None},
        {"红股入账", Kind::BonusShares, SkipReason::None},  {"送股", Kind::BonusShares, SkipReason::None},
        {"转增", Kind::ReserveShares, SkipReason::None},    {"转增股入账", Kind::ReserveShares, SkipReason::None},
        {"银行转证券", Kind::Skipped, SkipReason::BankTransfer},
        {"证券转银行", Kind::Skipped, SkipReason::BankTransfer},
        {"银证转账", Kind::Skipped, SkipReason::BankTransfer},
        {"利息归本", Kind::Skipped, SkipReason::Interest},   {"结息", Kind::Skipped, SkipReason::Interest},
        {"融资买入", Kind::Skipped, SkipReason::UnknownKind},  // margin trades are not ours to journal
        {"买入撤单", Kind::Skipped, SkipReason::UnknownKind},
        {"股息红利税补缴", Kind::Skipped, SkipReason::UnknownKind},
        {"", Kind::Skipped, SkipReason::Incomplete},
    };
    std::string text = "成交日期,证券代码,操作,成交数量,成交价格,成交金额,发生金额\n";
    for (const auto& c : cases)
        text += std::string("2024-01-15,600000,") + c.word + ",100,10.00,1000.00,25.00\n";
    const Statement s = Read(text);
    ASSERT_TRUE(s.Ok()) << s.message;
    ASSERT_EQ(s.records.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(s.records[i].kind, cases[i].kind) << cases[i].word;
        EXPECT_EQ(s.records[i].skip, cases[i].skip) << cases[i].word;
    }
    EXPECT_EQ(s.records[21].reason, "未知业务：融资买入");
    EXPECT_EQ(s.records[24].reason, "数据不全：缺少操作");
    EXPECT_EQ(s.records[0].kindText, "证券买入");
}

struct ValueCase {
    const char* date;
    const char* time;
    const char* code;
    const char* expectDate;  // "" when the row lacks a date
    const char* expectTime;
    const char* expectCode;
};

TEST(StatementReader, ReadsDatesTimesAndCodesInTheirForms)
{
    const ValueCase cases[] = {
        {"2024-01-15", "09:30:00", "600000", "2024-01-15", "09:30:00", "600000"},
        {"20240115", "93000", "=\"000001\"", "2024-01-15", "09:30:00", "000001"},
        {"2024/1/5", "9:30", "'000002", "2024-01-05", "09:30:00", "000002"},
        {"2024年1月15日", "", "1", "2024-01-15", "", "000001"},
        {"2024-01-15 09:30:05", "", "SH600000", "2024-01-15", "09:30:05", "600000"},
        {"2024-01-15T14:59:59", "", "600000.SH", "2024-01-15", "14:59:59", "600000"},
        {"20240115 093005", "", "sz000001", "2024-01-15", "09:30:05", "000001"},
        {"2024-01-15 09:30:05", "10:00:00", "600000", "2024-01-15", "10:00:00", "600000"},  // the time column wins
        {"2024-02-29", "盘后", "600000", "2024-02-29", "盘后", "600000"},
        {"2023-02-29", "", "600000", "", "", "600000"},
        {"2024-13-01", "", "600000", "", "", "600000"},
        {"2024.1.15", "", "6000001", "2024-01-15", "", ""},
        {"24-01-15", "", "60000A", "", "", ""},
        {"2024-01-15 收盘", "", "600000", "", "", "600000"},
    };
    std::string text = "成交日期\t成交时间\t证券代码\t操作\t成交数量\t成交价格\t成交金额\r\n";
    for (const auto& c : cases)
        text += std::string(c.date) + "\t" + c.time + "\t" + c.code + "\t买入\t100\t10\t1000\r\n";
    const Statement s = Read(text);
    ASSERT_TRUE(s.Ok()) << s.message;
    EXPECT_EQ(s.separator, '\t');
    ASSERT_EQ(s.records.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Record& r = s.records[i];
        EXPECT_EQ(r.date, cases[i].expectDate) << cases[i].date;
        EXPECT_EQ(r.time, cases[i].expectTime) << cases[i].date << " " << cases[i].time;
        EXPECT_EQ(r.code, cases[i].expectCode) << cases[i].code;
        EXPECT_EQ(r.IsTrade(), *cases[i].expectDate && *cases[i].expectCode) << i;
    }
    EXPECT_EQ(s.records[9].reason, "数据不全：成交日期不是日期");
    EXPECT_EQ(s.records[11].reason, "数据不全：证券代码不是6位数字");
}

TEST(StatementReader, TakesFeesAsChargedAndNeverInventsThem)
{
    const std::string text =
        "账户：张三\n"
        "\n"
        "成交日期,证券代码,证券名称,操作,成交数量,成交均价(元),成交金额（元）,手续费,印花税,经手费,证管费,清算金额,合同编号\n"
        "2024-01-15,600000,浦发银行,证券卖出,-1000,10.00,\"10,000.00\",-2.50,5.00,0.34,0.20,\"9,991.96\",A1\n"
        "2024-01-15,600000,浦发银行,证券买入,1000,10.00,10000.00,,--,0.34,,-10002.84,A2\n"
        "2024-01-16,600000,浦发银行,股息入账,,,0,,,,,128.00,\n"
        "2024-01-16,600000,浦发银行,证券买入,1000,10.00,10000.00,5,abc,0,0,,A3\n"
        "2024-01-16,600000,浦发银行,证券买入,1000,10.00,1e16,5,0,0,0,,A4\n"
        "2024-01-16,600000,浦发银行,证券买入,1000,10.00,10000.00,8E99999999,0,0,0,,A5\n"
        ",,,,,,,,,,,,\n"
        "合计,,,,,,\"20,000.00\",,,,,,\n";
    const Statement s = Read(text);
    ASSERT_TRUE(s.Ok()) << s.message;
    EXPECT_EQ(s.headerLine, 3u);
    EXPECT_EQ(s.passedOver, 4u);
    ASSERT_EQ(s.records.size(), 6u);
    const Record& sell = s.records[0];
    EXPECT_EQ(sell.kind, Kind::Sell);
    EXPECT_EQ(sell.quantity, Money::FromWhole(1000));
    EXPECT_EQ(sell.amount, Money::FromWhole(10000));
    EXPECT_EQ(sell.commission, Money::FromRaw(25000));
    EXPECT_EQ(sell.stampDuty, Money::FromWhole(5));
    EXPECT_EQ(sell.transferFee, std::nullopt);  // no column: not given
    EXPECT_EQ(sell.otherFee, Money::FromRaw(5400));
    EXPECT_EQ(sell.net, Money::FromRaw(99919600));
    const Record& buy = s.records[1];
    EXPECT_EQ(buy.commission, std::nullopt);
    EXPECT_EQ(buy.stampDuty, std::nullopt);
    EXPECT_EQ(buy.otherFee, Money::FromRaw(3400));
    EXPECT_EQ(buy.net, Money::FromRaw(-100028400));
    const Record& dividend = s.records[2];
    EXPECT_EQ(dividend.kind, Kind::CashDividend);
    EXPECT_EQ(dividend.amount, Money::FromWhole(128));
    EXPECT_EQ(s.records[3].reason, "数据不全：印花税不是数字");
    EXPECT_EQ(s.records[4].reason, "数据不全：成交金额（元）的数值超出范围");
    EXPECT_EQ(s.records[5].reason, "数据不全：手续费的数值超出范围");  // at once, not padded out with zeros
    EXPECT_NE(DuplicateKey(s.records[0]), DuplicateKey(s.records[1]));
}

// ---- Headers and mappings --------------------------------------------------------------------------

TEST(StatementReader, SaysWhatIsMissingAndReadsWithTheUsersMapping)
{
    const std::string english = "Account 1234\nDate,Time,Code,Side,Qty,Price,Value\n20240115,093000,600000,买入,100,10,1000\n";
    Statement s = Read(english);
    EXPECT_EQ(s.problem, Problem::NoHeader);
    EXPECT_EQ(s.columns, (std::vector<std::string>{"Date", "Time", "Code", "Side", "Qty", "Price", "Value"}));

    const auto map = ColumnMapFromText("date=0;time=1;code=2;kind=3;quantity=4;price=5;amount=6");
    ASSERT_TRUE(map);
    s = Read(english, {map, {}});
    ASSERT_TRUE(s.Ok()) << s.message;
    EXPECT_EQ(s.headerLine, 2u);
    ASSERT_EQ(s.records.size(), 1u);
    EXPECT_EQ(s.records[0].time, "09:30:00");

    // A file without a header: the first wide enough line holds a date where the date should be.
    s = Read("20240115,093000,600000,买入,100,10,1000\n", {map, {}});
    ASSERT_TRUE(s.Ok()) << s.message;
    EXPECT_EQ(s.headerLine, 0u);
    ASSERT_EQ(s.records.size(), 1u);
    EXPECT_EQ(s.records[0].line, 1u);

    // Some needed columns not recognised: named by their captions, and supplied by the mapping.
    const std::string partly = "成交日期,证券代码,交易类别,成交数量,单价,金额\n2024-01-15,600000,买入,100,10,1000\n";
    s = Read(partly);
    EXPECT_EQ(s.problem, Problem::MissingColumns);
    EXPECT_EQ(s.missing, (std::vector<Field>{Field::Kind, Field::Price}));
    EXPECT_EQ(s.message.substr(0, s.message.find("       ")), "交割单缺少以下各列：操作、成交价格，请指定它们的位置");
    s = Read(partly, {ColumnMapFromText("kind=2;price=4"), {}});
    ASSERT_TRUE(s.Ok()) << s.message;
    EXPECT_EQ(s.records[0].kind, Kind::Buy);
    EXPECT_EQ(s.records[0].amount, Money::FromWhole(1000));

    s = Read(partly, {ColumnMapFromText("kind=2;price=9"), {}});
    EXPECT_EQ(s.problem, Problem::BadMapping);
    s = Read(partly, {ColumnMapFromText("header=2;date=0;code=1;kind=2;quantity=3;price=4;amount=5"), {}});
    EXPECT_EQ(s.headerLine, 2u);  // told so: the first line is a title
    EXPECT_TRUE(s.records.empty());

    EXPECT_EQ(Read("").problem, Problem::Empty);
    EXPECT_EQ(Read("\r\n \r\n,,\n").problem, Problem::Empty);
}

TEST(ColumnMap, TextRoundTripsAndRefusesWhatIsNotAMapping)
{
    std::mt19937 rng(3);
    for (int round = 0; round < 500; ++round) {
        ColumnMap map;
        std::vector<int> columns(kFieldCount * 2);
        std::iota(columns.begin(), columns.end(), round % 5 * 100);
        std::shuffle(columns.begin(), columns.end(), rng);
        for (std::size_t f = 0; f < kFieldCount; ++f)
            if (rng() % 2)
                map.column[f] = columns[f];
        if (rng() % 2)
            map.headerLine = static_cast<int>(rng() % 30);
        const auto back = ColumnMapFromText(ToText(map));
        ASSERT_TRUE(back) << ToText(map);
        EXPECT_EQ(*back, map) << ToText(map);
    }
    EXPECT_EQ(ToText(*ColumnMapFromText(" date = 0 ; code=2;;")), "date=0;code=2");
    for (const char* bad : {"date", "date=", "date=-1", "date=x", "date=1000", "day=0", "date=0;date=1",
                            "date=0;code=0", "header=1;header=2", "date=+1", "date=99999999999"})
        EXPECT_FALSE(ColumnMapFromText(bad)) << bad;
}

// ---- Limits ----------------------------------------------------------------------------------------

TEST(StatementReader, RefusesWhatNoStatementIsWithTheLine)
{
    const std::string header = "成交日期,证券代码,操作,成交数量,成交价格,成交金额\n";
    const std::string row = "2024-01-15,600000,买入,100,10,1000\n";

    // A line of 2 MB, fed in pieces: stopped once it passes 1 MB, not kept whole.
    Reader reader;
    reader.Feed(header + row);
    const std::string chunk(64 * 1024, 'x');
    int fed = 0;
    while (reader.Feed(chunk))
        ++fed;
    EXPECT_EQ(fed, 16);
    Statement s = reader.Finish();
    EXPECT_EQ(s.problem, Problem::LineTooLong);
    EXPECT_EQ(s.problemLine, 3u);
    EXPECT_NE(s.message.find("第3行"), std::string::npos) << s.message;
    EXPECT_EQ(s.records.size(), 1u);

    std::string wide = header + row;
    for (int i = 0; i < 100000; ++i)
        wide += "1,";
    s = Read(wide + "\n" + row);
    EXPECT_EQ(s.problem, Problem::TooManyColumns);
    EXPECT_EQ(s.problemLine, 3u);
    std::string tabs;
    for (int i = 0; i < 100000; ++i)
        tabs += "a\t";
    s = Read(tabs);
    EXPECT_EQ(s.problem, Problem::TooManyColumns);
    EXPECT_EQ(s.problemLine, 1u);

    ReadOptions few;
    few.limits.maxRecords = 3;
    s = Read(header + row + row + row + row + row, few);
    EXPECT_EQ(s.problem, Problem::TooManyRows);
    EXPECT_EQ(s.problemLine, 5u);
    EXPECT_EQ(s.records.size(), 3u);
}

// ---- The duplicate key ----------------------------------------------------------------------------

TEST(DuplicateKey, SameTradeSameKeyWhateverItsForm)
{
    const std::string a = "成交日期,成交时间,证券代码,操作,成交数量,成交价格,成交金额\n"
                          "2024-01-15,09:30:00,600000,证券买入,100,10.5,1050\n";
    const std::string b = "交易日期\t代码\t买卖标志\t数量\t价格\t金额\t时间\r\n"
                          "20240115\t=\"600000\"\t买入\t100.00\t10.500\t\"1,050.00\"\t93000\r\n";
    const Statement sa = Read(a);
    const Statement sb = Read(b);
    ASSERT_EQ(sa.records.size(), 1u);
    ASSERT_EQ(sb.records.size(), 1u);
    EXPECT_EQ(DuplicateKey(sa.records[0]), DuplicateKey(sb.records[0]));
    EXPECT_EQ(DuplicateKey(sa.records[0]), "r|2024-01-15|09:30:00|600000|buy|100|10.5|1050");

    Record r = sa.records[0];
    const std::string key = DuplicateKey(r);
    for (int change = 0; change < 7; ++change) {
        Record other = r;
        switch (change) {
        case 0: other.date = "2024-01-16"; break;
        case 1: other.time = "09:30:01"; break;
        case 2: other.code = "600001"; break;
        case 3: other.kind = Kind::Sell; break;
        case 4: other.quantity = Money::FromWhole(200); break;
        case 5: other.price = Money::FromRaw(105001); break;
        default: other.amount = Money::FromWhole(1051); break;
        }
        EXPECT_NE(DuplicateKey(other), key) << change;
    }
    r.number = "123";
    Record fill = r;
    fill.time = "09:31:00";  // the number decides, not the time
    EXPECT_EQ(DuplicateKey(fill), DuplicateKey(r));
    fill.date = "2024-01-16";  // numbers restart every day
    EXPECT_NE(DuplicateKey(fill), DuplicateKey(r));
}

// ---- Encodings -------------------------------------------------------------------------------------

struct EncodingCase {
    const char* what;
    std::string bytes;
    Encoding likely;
    bool sure;
};

TEST(EncodingScanner, TellsUtf8FromGbkAndSaysHowSure)
{
    const std::string utf8Text = "成交日期,证券代码,证券名称,操作,成交数量";  // many sequences
    const std::string gbkText = "\xB3\xC9\xBD\xBB\xC8\xD5\xC6\xDA,\xD6\xA4\xC8\xAF";  // 成交日期,证券 in GBK
    const EncodingCase cases[] = {
        {"bom", "\xEF\xBB\xBF" "abc", Encoding::Utf8, true},
        {"bom then bad", "\xEF\xBB\xBF\xB3\xC9", Encoding::Utf8, true},
        {"ascii", "date,code\r\n", Encoding::Utf8, false},
        {"empty", "", Encoding::Utf8, false},
        {"two bytes of a mark", "\xEF\xBB", Encoding::Gbk, true},
        {"utf-8", utf8Text, Encoding::Utf8, true},
        {"short utf-8, also gbk", "\xE6\x88\x90\xE4\xBA\xA4", Encoding::Utf8, false},
        {"no-break space", "\xC2\xA0", Encoding::Utf8, false},
        {"short utf-8 that gbk cannot be", "a\xE4\xB8\xAD", Encoding::Utf8, true},
        {"gbk", gbkText, Encoding::Gbk, true},
        {"gbk with euro", "\x80" "1", Encoding::Gbk, true},
        {"gbk cut short", gbkText + "\xB3", Encoding::Gbk, false},
        {"gbk bad pair", "\xB3\x20", Encoding::Gbk, false},
        {"overlong utf-8", "\xC0\xAF", Encoding::Gbk, true},
        {"surrogate", "\xED\xA0\x80", Encoding::Gbk, true},
        {"ff", "\xFF", Encoding::Gbk, false},
    };
    for (const auto& c : cases) {
        EncodingScanner whole;
        whole.Feed(c.bytes);
        EXPECT_EQ(whole.Likely(), c.likely) << c.what;
        EXPECT_EQ(whole.Sure(), c.sure) << c.what;
        EncodingScanner bytes;  // byte by byte: the same
        for (const char b : c.bytes)
            bytes.Feed(std::string_view(&b, 1));
        EXPECT_EQ(bytes.Likely(), c.likely) << c.what;
        EXPECT_EQ(bytes.Sure(), c.sure) << c.what;
    }
}

} // namespace
} // namespace qcal::statement
