// A statement file's bytes to its rows: the encoding told or chosen, the same rows from UTF-8 and
// GBK files as from the text itself, the sample statements against their sidecars, and big files
// read in pieces without holding them whole.

#include <gtest/gtest.h>

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "../core/statement_gen.h"
#include "file_helpers.h"
#include "core/numtext.h"
#include "settings/statement_text.h"

namespace qcal::settings {
namespace {

using statement::Encoding;
using test::Gbk;
using test::PutBytes;

QByteArray Utf8(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }
QByteArray GbkOf(const std::string& s) { return Gbk(QString::fromStdString(s)); }

struct DecodeCase {
    const char* what;
    QByteArray bytes;
    EncodingChoice choice;
    std::string text;
    Encoding encoding;
    bool sure;
    std::size_t undecodable;
};

TEST(StatementText, DecodesBothEncodingsAndSaysHowSure)
{
    const std::string header = "成交日期,证券代码,证券名称,操作,成交数量\r\n";
    const DecodeCase cases[] = {
        {"utf-8 with mark", "\xEF\xBB\xBF" + Utf8(header), EncodingChoice::Detect, "\xEF\xBB\xBF" + header,
         Encoding::Utf8, true, 0},
        {"utf-8", Utf8(header), EncodingChoice::Detect, header, Encoding::Utf8, true, 0},
        {"gbk", GbkOf(header), EncodingChoice::Detect, header, Encoding::Gbk, true, 0},
        {"ascii", "date,code\n", EncodingChoice::Detect, "date,code\n", Encoding::Utf8, false, 0},
        {"two characters", Utf8("成交"), EncodingChoice::Detect, "成交", Encoding::Utf8, false, 0},
        {"gbk with a bad pair", GbkOf("成交") + "\xB3\x20", EncodingChoice::Detect, "成交\xEF\xBF\xBD ", Encoding::Gbk,
         false, 1},
        {"gbk cut in a character", GbkOf("成交") + "\xB3", EncodingChoice::Detect, "成交\xEF\xBF\xBD", Encoding::Gbk,
         false, 1},
        {"gbk chosen", GbkOf("成交"), EncodingChoice::Gbk, "成交", Encoding::Gbk, true, 0},
        {"utf-8 chosen for gbk", GbkOf("成") + "a", EncodingChoice::Utf8, "\xEF\xBF\xBD\xEF\xBF\xBD" "a",
         Encoding::Utf8, true, 2},
        {"gbk chosen for utf-8", Utf8("中"), EncodingChoice::Gbk, "涓\xEF\xBF\xBD", Encoding::Gbk, true, 1},
    };
    for (const auto& c : cases) {
        const StatementText got = DecodeStatement(c.bytes, c.choice);
        EXPECT_EQ(got.utf8, c.text) << c.what;
        EXPECT_EQ(got.encoding.encoding, c.encoding) << c.what;
        EXPECT_EQ(got.encoding.sure, c.sure) << c.what;
        EXPECT_EQ(got.encoding.chosen, c.choice != EncodingChoice::Detect) << c.what;
        EXPECT_EQ(got.encoding.undecodable, c.undecodable) << c.what;
    }
    for (const auto& [name, choice] : std::map<std::string, std::optional<EncodingChoice>>{
             {"", EncodingChoice::Detect}, {"auto", EncodingChoice::Detect}, {"UTF-8", EncodingChoice::Utf8},
             {"utf8", EncodingChoice::Utf8}, {"GBK", EncodingChoice::Gbk}, {"cp936", EncodingChoice::Gbk},
             {"gb18030", std::nullopt}, {"latin1", std::nullopt}})
        EXPECT_EQ(EncodingChoiceFromName(name), choice) << name;
}

// Every generated statement, written in each encoding, reads as its text does.
TEST(StatementText, FilesReadAsTheirTextInEveryEncoding)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("statement.csv");
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        qcal::test::StatementShape shape;
        shape.seed = seed;
        shape.rows = 60;
        shape.separator = seed % 2 ? ',' : '\t';
        shape.lineEnd = seed % 3 == 0 ? "\r" : seed % 3 == 1 ? "\n" : "\r\n";
        const std::string text = qcal::test::GenerateStatement(shape).text;
        const statement::Statement expected = statement::Read(text);
        ASSERT_TRUE(expected.Ok()) << expected.message;
        for (const auto& [bytes, encoding] : {std::pair{Utf8(text), Encoding::Utf8},
                                              std::pair{"\xEF\xBB\xBF" + Utf8(text), Encoding::Utf8},
                                              std::pair{GbkOf(text), Encoding::Gbk}}) {
            ASSERT_TRUE(PutBytes(path, bytes));
            const StatementFile file = ReadStatementFile(path);
            ASSERT_TRUE(file.readable) << file.message;
            EXPECT_EQ(file.encoding.encoding, encoding) << seed;
            EXPECT_TRUE(file.encoding.sure) << seed;
            EXPECT_EQ(file.statement, expected) << seed;
        }
    }
    const StatementFile missing = ReadStatementFile(dir.filePath("no such file.csv"));
    EXPECT_FALSE(missing.readable);
    EXPECT_NE(missing.message.find("no such file.csv"), std::string::npos) << missing.message;
}

// The samples of tests/data/statements: every row their sidecar lists is read as it says, the
// charged fees are the correct ones but for the planted errors, and no trade row goes unlisted.
TEST(StatementText, SampleStatementsMatchTheirSidecars)
{
    const std::pair<const char*, Encoding> samples[] = {
        {"layout-a.csv", Encoding::Utf8}, {"layout-b.txt", Encoding::Gbk}, {"layout-c.csv", Encoding::Utf8}};
    for (const auto& [name, encoding] : samples) {
        SCOPED_TRACE(name);
        const std::string base = std::string(QCAL_TEST_DATA) + "/statements/" + name;
        const StatementFile file = ReadStatementFile(QString::fromStdString(base));
        ASSERT_TRUE(file.readable) << file.message;
        ASSERT_TRUE(file.statement.Ok()) << file.statement.message;
        EXPECT_EQ(file.encoding.encoding, encoding);
        EXPECT_TRUE(file.encoding.sure);
        std::map<std::size_t, const statement::Record*> byLine;
        std::size_t trades = 0;
        for (const auto& r : file.statement.records) {
            byLine[r.line] = &r;
            trades += r.IsTrade();
        }

        std::ifstream sidecar(base.substr(0, base.rfind('.')) + ".expected");
        ASSERT_TRUE(sidecar);
        std::size_t listed = 0;
        for (std::string line; std::getline(sidecar, line);) {
            std::istringstream in(line);
            std::string what;
            std::size_t at = 0;
            in >> what >> at;
            if (what == "skip") {
                std::string word;
                in >> word;
                ASSERT_TRUE(byLine.count(at)) << line;
                EXPECT_EQ(statement::ReasonWord(byLine[at]->skip), word) << line;
                continue;
            }
            if (what != "trade")
                continue;
            ++listed;
            ASSERT_TRUE(byLine.count(at) && byLine[at]->IsTrade()) << line;
            const statement::Record& r = *byLine[at];
            std::map<std::string, std::string> right;
            in >> right["commission"] >> right["stamp"] >> right["transfer"] >> right["other"];
            std::map<std::string, std::string> planted;
            for (std::string token; in >> token;)
                planted[token.substr(0, token.find('='))] = token.substr(token.find('=') + 1);
            if (planted.count("field"))
                right[planted["field"]] = planted["charged"];
            const std::map<std::string, std::optional<Money>> charged = {
                {"commission", r.commission}, {"stamp", r.stampDuty}, {"transfer", r.transferFee}, {"other", r.otherFee}};
            for (const auto& [fee, value] : charged)
                EXPECT_EQ(value, qcal::ParseMoney(right[fee])) << line << " " << fee;
        }
        EXPECT_EQ(listed, trades);
    }
}

std::size_t PeakKilobytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:"))
            return std::stoul(line.substr(6));
    return 0;
}

// A big file in GBK (20 MB here; QCAL_BIG_STATEMENT_MB=200 in scripts/fuzz-statement), written a
// block at a time: every row read, in order, up to the most the reader keeps. Then a file of one line that size: refused at its line
// while holding no more than a few pieces of it.
TEST(StatementText, BigFilesStreamInBoundedMemory)
{
    const char* env = std::getenv("QCAL_BIG_STATEMENT_MB");
    const std::size_t megabytes = env ? std::strtoul(env, nullptr, 10) : 20;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    qcal::test::StatementShape shape;
    shape.rows = 2000;
    shape.noisy = false;
    const auto made = qcal::test::GenerateStatement(shape);
    const std::string header = made.text.substr(0, made.text.find("\r\n") + 2);
    const QByteArray block = GbkOf(made.text.substr(header.size()));
    const std::size_t blocks = megabytes * 1024 * 1024 / static_cast<std::size_t>(block.size()) + 1;
    QFile big(dir.filePath("big.csv"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(GbkOf(header));
    for (std::size_t i = 0; i < blocks; ++i)
        big.write(block);
    big.close();

    // Every row, or as many as the reader keeps and then the line it stopped at.
    const StatementFile file = ReadStatementFile(big.fileName());
    const std::size_t rows = blocks * made.records.size();
    const std::size_t most = statement::Limits{}.maxRecords;
    if (rows <= most) {
        ASSERT_TRUE(file.statement.Ok()) << file.statement.message;
    } else {
        EXPECT_EQ(file.statement.problem, statement::Problem::TooManyRows);
        EXPECT_EQ(file.statement.problemLine, most + 2);
    }
    EXPECT_EQ(file.encoding.encoding, Encoding::Gbk);
    ASSERT_EQ(file.statement.records.size(), std::min(rows, most));
    for (std::size_t i = 0; i < file.statement.records.size(); i += 997) {
        statement::Record expected = made.records[i % made.records.size()];
        expected.line += i / made.records.size() * made.records.size();
        ASSERT_EQ(file.statement.records[i], expected) << i;
    }

    QFile line(dir.filePath("line.csv"));
    ASSERT_TRUE(line.open(QIODevice::WriteOnly));
    line.write(GbkOf(header));
    const QByteArray piece(1024 * 1024, '1');
    for (std::size_t i = 0; i < megabytes; ++i)
        line.write(piece);
    line.close();
    const std::size_t before = PeakKilobytes();
    const StatementFile refused = ReadStatementFile(line.fileName());
    EXPECT_EQ(refused.statement.problem, statement::Problem::LineTooLong);
    EXPECT_EQ(refused.statement.problemLine, 2u);
    EXPECT_LT(PeakKilobytes() - before, 8u * 1024) << "kilobytes more at the peak";
}

} // namespace
} // namespace qcal::settings
