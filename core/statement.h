#pragma once
// A broker's statement (交割单) read from its text: the columns found by their names, each row a
// typed record or a skipped row with its reason, every figure exact in Money.
//
// The text is UTF-8 (settings/statement_text.h turns a file's bytes into it, whatever the
// encoding). Lines end in CR LF, LF or CR. Fields are separated by commas or by tabs, whichever the
// header line uses; a field may be quoted, with "" for a quote inside, but a quote never runs past
// the end of its line (an unclosed quote ends there, so one stray quote cannot swallow the file).
// Values written ="600000", '600000 or padded with blanks are read as 600000.
//
// Lines before the header (an account name, a title) are passed over: the header is the first line
// with a date, a code and a quantity column. After it, blank lines and summary lines (合计, 总计,
// 小计, 汇总) are passed over, and every other line becomes a Record.
//
// The reader streams: Reader::Feed takes the text in pieces of any size, so a file need never be
// in memory whole, and a line over Limits::maxLineBytes, a line of more than Limits::maxColumns
// fields or more than Limits::maxRecords rows stops the reading with a message that names the line.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/money.h"

namespace qcal::statement {

// What a column holds. HandlingFee (经手费) and RegulatoryFee (证管费) are read only to make up the
// other fee when a statement lists them instead of one 其他费 column.
enum class Field {
    Date,
    Time,
    Code,
    Name,
    Kind,
    Quantity,
    Price,
    Amount,
    Commission,
    StampDuty,
    TransferFee,
    OtherFee,
    HandlingFee,
    RegulatoryFee,
    Net,
    Number,
};
inline constexpr std::size_t kFieldCount = 16;

// The columns without which no trade can be read.
inline constexpr std::array<Field, 6> kNeededFields = {Field::Date,     Field::Code,  Field::Kind,
                                                       Field::Quantity, Field::Price, Field::Amount};

// The field's key in a mapping text ("date", "code", …) and its caption for the user (成交日期, …).
std::string_view FieldKey(Field field);
std::string_view FieldCaption(Field field);

// Which column (0-based) holds each field, and which line is the header.
struct ColumnMap {
    static constexpr int kAbsent = -1;
    std::array<int, kFieldCount> column;
    // Only in a mapping given by the caller: the header's line number (1-based), 0 when the file has
    // no header line, kAbsent to find it (the first line wide enough for the mapping whose date
    // column is not a date; when that column holds a date, the file has no header).
    int headerLine = kAbsent;

    ColumnMap() { column.fill(kAbsent); }
    int& operator[](Field f) { return column[static_cast<std::size_t>(f)]; }
    int operator[](Field f) const { return column[static_cast<std::size_t>(f)]; }
    bool Has(Field f) const { return (*this)[f] != kAbsent; }
    friend bool operator==(const ColumnMap&, const ColumnMap&) = default;
};

// The mapping as text to be remembered, e.g. "header=2;date=0;code=2;kind=4;quantity=5;price=6;amount=7",
// and back. nullopt for a text that is not such a mapping: an unknown key, a value that is not a
// whole number below Limits{}.maxColumns, a field named twice, or two fields in one column.
std::string ToText(const ColumnMap& map);
std::optional<ColumnMap> ColumnMapFromText(std::string_view text);

enum class Kind {
    Buy,            // 买入
    Sell,           // 卖出
    CashDividend,   // 红利
    BonusShares,    // 送股
    ReserveShares,  // 转增
    Skipped,        // see Record::skip
};

enum class SkipReason {
    None,
    BankTransfer,  // 银行转账: money between the bank and the account
    Interest,      // 利息: interest on the cash balance
    UnknownKind,   // 未知业务: a business the reader does not know
    Incomplete,    // 数据不全: a value the kind needs is missing or not a number
};

// The short Chinese word of a reason (银行转账, 利息, 未知业务, 数据不全); empty for None.
std::string_view ReasonWord(SkipReason reason);

// One row of the statement.
//   Quantities, prices and amounts are magnitudes: statements that sign them (a negative quantity
//   for a sell) are read by the kind. The net money keeps the sign the statement gives it.
//   A fee whose column is missing, or whose cell is empty or "--", is nullopt: not given, not zero.
//   A dividend's amount is the 成交金额, or when that is empty or zero the magnitude of the net money.
//   A skipped row carries whatever of its values could be read.
struct Record {
    std::size_t line = 0;      // 1-based line number in the file
    Kind kind = Kind::Skipped;
    SkipReason skip = SkipReason::None;
    std::string reason;        // for a skipped row: the word, and what is missing, e.g. "数据不全：成交数量不是数字"
    std::string kindText;      // the statement's own word for the business, e.g. 证券买入
    std::string date;          // YYYY-MM-DD, or empty
    std::string time;          // HH:MM:SS when it reads as a time, else the text as given
    std::string code;          // six digits, or empty
    std::string name;
    Money quantity;
    Money price;
    Money amount;
    std::optional<Money> commission;
    std::optional<Money> stampDuty;
    std::optional<Money> transferFee;
    std::optional<Money> otherFee;  // 其他费; else 经手费 + 证管费
    std::optional<Money> net;       // 发生金额, signed as given
    std::string number;             // 成交编号, else 合同编号, else 委托编号

    bool IsTrade() const { return kind == Kind::Buy || kind == Kind::Sell; }
    friend bool operator==(const Record&, const Record&) = default;
};

// A key that is the same for the same trade read twice (from one file or two): the date, code and
// number when the row has a number (numbers restart every day at some brokers), else the date,
// time, code, kind, quantity, price and amount. The text is stable: it may be stored.
std::string DuplicateKey(const Record& record);

enum class Problem {
    None,
    Empty,           // no line with any text
    NoHeader,        // no line has the date, code and quantity columns
    MissingColumns,  // the header lacks some of kNeededFields: see Statement::missing
    BadMapping,      // the caller's mapping names a column the header does not have
    LineTooLong,
    TooManyColumns,
    TooManyRows,
};

struct Limits {
    std::size_t maxLineBytes = std::size_t{1} << 20;
    std::size_t maxColumns = 1000;
    std::size_t maxRecords = 500000;
};

struct ReadOptions {
    // A mapping from the user, for files whose headers are not recognised: the fields it names take
    // the columns it gives; the others are still found by name.
    std::optional<ColumnMap> map;
    Limits limits;
};

struct Statement {
    Problem problem = Problem::None;
    std::size_t problemLine = 0;  // the line a problem names, 0 when none
    std::string message;          // the problem for the user (messages.h), empty when none
    char separator = ',';
    std::size_t headerLine = 0;        // 1-based; 0 when none was found or the file has none
    std::vector<std::string> columns;  // the header's cells; without a header, the widest early line's
    ColumnMap map;                     // the columns used
    std::vector<Field> missing;        // with MissingColumns: the needed fields not found
    std::vector<Record> records;       // every row after the header, in file order
    std::size_t passedOver = 0;        // lines that are not rows: titles, blank and summary lines

    bool Ok() const { return problem == Problem::None; }
    friend bool operator==(const Statement&, const Statement&) = default;
};

// Reads a statement fed in pieces. Pieces may split a line, or a UTF-8 character, anywhere.
class Reader {
public:
    explicit Reader(ReadOptions options = {});

    // False once the reading has stopped on a problem; the rest need not be fed.
    bool Feed(std::string_view text);
    // The end of the text. The reader is spent after it.
    Statement Finish();

private:
    void Line(std::string_view line);
    bool FindHeader(std::string_view line);
    void Row(std::string_view line);
    bool Split(std::string_view line, char separator);
    void Stop(Problem problem, std::size_t line);

    ReadOptions options_;
    Statement result_;
    std::string pending_;          // the start of a line cut off by the end of a piece
    bool afterCr_ = false;         // the last piece ended in CR: a LF that starts the next is its pair
    bool started_ = false;         // a byte-order mark is looked for only at the very start
    bool headerFound_ = false;
    bool stopped_ = false;
    std::size_t lineNumber_ = 0;   // of the last line handled
    std::size_t earlyLines_ = 0;   // non-blank lines looked at for a header
    std::vector<std::string> cells_;
};

// The whole text at once.
Statement Read(std::string_view text, const ReadOptions& options = {});

// ---- Encodings, for the layer that reads the bytes -------------------------------------------------

enum class Encoding { Utf8, Gbk };

// How the bytes of a file look, seen in pieces (scan the whole file, then ask).
//   A UTF-8 byte-order mark means UTF-8 (sure). Otherwise valid UTF-8 with at least one non-ASCII
//   sequence means UTF-8: sure unless the bytes are also well-formed GBK with fewer than
//   kSureSequences such sequences. Pure ASCII is read as UTF-8, unsure (nothing tells). Anything
//   else is GBK: sure when every byte pair is well formed (the decoder may still find a pair it
//   cannot map, which the caller counts).
class EncodingScanner {
public:
    static constexpr std::size_t kSureSequences = 8;
    void Feed(std::string_view bytes);

    bool Bom() const { return bomMatched_ == 3; }
    bool ValidUtf8() const { return utf8Bad_ == 0 && utf8Need_ == 0; }
    bool WellFormedGbk() const { return gbkBad_ == 0 && !gbkLead_; }
    std::size_t Utf8Errors() const { return utf8Bad_ + (utf8Need_ > 0 ? 1 : 0); }
    std::size_t NonAsciiSequences() const { return utf8Sequences_; }
    Encoding Likely() const;
    bool Sure() const;

private:
    std::size_t seen_ = 0;
    std::size_t bomMatched_ = 0;  // bytes of a UTF-8 byte-order mark at the start
    // UTF-8: bytes still expected, and the range of the next one (narrower after E0, ED, F0, F4).
    int utf8Need_ = 0;
    unsigned char nextLow_ = 0x80;
    unsigned char nextHigh_ = 0xBF;
    std::size_t utf8Bad_ = 0;
    std::size_t utf8Sequences_ = 0;
    bool gbkLead_ = false;
    std::size_t gbkBad_ = 0;
};

} // namespace qcal::statement
