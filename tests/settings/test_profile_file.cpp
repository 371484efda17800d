#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <unistd.h>

#include "file_helpers.h"
#include "settings/profile_file.h"

namespace qcal::settings {
namespace {

using test::Bytes;
using test::Gbk;

void Put(const QString& path, const QByteArray& bytes) { ASSERT_TRUE(test::PutBytes(path, bytes)); }

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString Path() const { return dir_.filePath("QCAL.INI"); }
    QString Read(const QString& key, const QString& section = "TIP") const
    {
        return ReadProfileString(Path(), section, key);
    }
    bool Write(const QString& key, const QString& value, const QString& section = "TIP") const
    {
        return WriteProfileString(Path(), section, key, value);
    }

    QTemporaryDir dir_;
};

TEST_F(ProfileFileTest, FirstCalculationWritesTheExactGbkFile)
{
    ASSERT_FALSE(QFileInfo::exists(Path()));
    const char* keys[][2] = {
        {"注意", "本文件是自动生成，请不要随便修改本文件！"},
        {"手续费", "2.7"}, {"印花税", "3"}, {"证交所", "上海A股"}, {"窗口置顶", "0"},
        {"记忆买入", "0"}, {"买入价格", ""}, {"买入数量", ""},
    };
    for (const auto& kv : keys)
        ASSERT_TRUE(Write(QString::fromUtf8(kv[0]), QString::fromUtf8(kv[1])));

    const QByteArray expected = Gbk(QString::fromUtf8("[TIP]\r\n"
                                                      "注意=本文件是自动生成，请不要随便修改本文件！\r\n"
                                                      "手续费=2.7\r\n"
                                                      "印花税=3\r\n"
                                                      "证交所=上海A股\r\n"
                                                      "窗口置顶=0\r\n"
                                                      "记忆买入=0\r\n"
                                                      "买入价格=\r\n"
                                                      "买入数量=\r\n"));
    const QByteArray onDisk = Bytes(Path());
    EXPECT_EQ(onDisk, expected);
    // GBK indeed, not UTF-8: 注意 is D7A2 D2E2.
    EXPECT_TRUE(onDisk.startsWith("[TIP]\r\n\xD7\xA2\xD2\xE2="));

    // Saving again changes values in place: same lines, same order, nothing added.
    ASSERT_TRUE(Write(QString::fromUtf8("买入价格"), "9.45"));
    ASSERT_TRUE(Write(QString::fromUtf8("买入数量"), "1,000"));
    ASSERT_TRUE(Write(QString::fromUtf8("手续费"), "3"));
    const QByteArray again = Bytes(Path());
    EXPECT_EQ(again, QByteArray(expected)
                         .replace(Gbk(QString::fromUtf8("买入价格=\r\n")), Gbk(QString::fromUtf8("买入价格=9.45\r\n")))
                         .replace(Gbk(QString::fromUtf8("买入数量=\r\n")), Gbk(QString::fromUtf8("买入数量=1,000\r\n")))
                         .replace(Gbk(QString::fromUtf8("手续费=2.7")), Gbk(QString::fromUtf8("手续费=3"))));
    EXPECT_EQ(Read(QString::fromUtf8("买入数量")), "1,000");
    EXPECT_EQ(Read(QString::fromUtf8("证交所")), QString::fromUtf8("上海A股"));
    EXPECT_EQ(Read(QString::fromUtf8("买入价格")), "9.45");
}

TEST_F(ProfileFileTest, RoundTripsChineseAndOddValues)
{
    const QString values[] = {
        QString::fromUtf8("基金、权证"),
        QString::fromUtf8("全角　空格在中间"),
        "a=b=c",
        "[not a section]",
        QString::fromUtf8("€ and ；"),
    };
    for (const QString& v : values) {
        ASSERT_TRUE(Write("k", v));
        EXPECT_EQ(Read("k"), v);
    }
    EXPECT_EQ(Read("other"), "");
}

TEST_F(ProfileFileTest, KeepsEveryOtherLineByteForByte)
{
    // LF endings, a comment, a foreign section and key, blank lines, and bytes that are not GBK.
    const QByteArray before = "; hand-written\n"
                              "[Other]\n"
                              "\xB0\xA1=\xFF\xFE junk\n"
                              "\n"
                              "[tip]\n"
                              "  Foreign = keep me  \n" +
                              Gbk(QString::fromUtf8("手续费 = 2.5\n")) +
                              "\n"
                              "[Last]\n"
                              "x=1";
    Put(Path(), before);

    ASSERT_TRUE(Write(QString::fromUtf8("手续费"), "3"));
    ASSERT_TRUE(Write(QString::fromUtf8("印花税"), "1"));
    ASSERT_TRUE(Write("new", "v", "Added"));

    const QByteArray after = "; hand-written\n"
                             "[Other]\n"
                             "\xB0\xA1=\xFF\xFE junk\n"
                             "\n"
                             "[tip]\n"
                             "  Foreign = keep me  \n" +
                             Gbk(QString::fromUtf8("手续费=3\n印花税=1\n")) +
                             "\n"
                             "[Last]\n"
                             "x=1\n"
                             "[Added]\n"
                             "new=v\n";
    EXPECT_EQ(Bytes(Path()), after);
    EXPECT_EQ(Read("FOREIGN"), "keep me");
    EXPECT_EQ(Read("x", "last"), "1");
}

struct ReadCase {
    const char* name;
    const char* file;  // UTF-8 here, GBK on disk
    const char* key;
    const char* expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class ProfileReadTest : public ProfileFileTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ProfileReadTest, ReadsWhatThePlatformWould)
{
    const ReadCase& c = GetParam();
    Put(Path(), Gbk(QString::fromUtf8(c.file)));
    EXPECT_EQ(Read(QString::fromUtf8(c.key)), QString::fromUtf8(c.expected));
}

const ReadCase kReads[] = {
    {"blanks_trimmed", "[TIP]\r\n \t手续费 \t= \t2.7 \t\r\n", "手续费", "2.7"},
    {"case_insensitive", "[tip]\r\nAbc=1\r\n", "aBC", "1"},
    {"section_blanks", "[ TIP ]\r\nk=1\r\n", "k", "1"},
    {"first_occurrence_wins", "[TIP]\r\nk=first\r\nk=second\r\n", "k", "first"},
    {"first_section_wins", "[TIP]\r\na=1\r\n[TIP]\r\nk=2\r\n", "k", ""},
    {"empty_value", "[TIP]\r\n手续费=\r\n", "手续费", ""},
    {"blank_value", "[TIP]\r\n手续费=   \r\n", "手续费", ""},
    {"missing_key", "[TIP]\r\na=1\r\n", "k", ""},
    {"missing_section", "[Other]\r\nk=1\r\n", "k", ""},
    {"key_before_any_section", "k=1\r\n[TIP]\r\n", "k", ""},
    {"comment_is_not_a_key", "[TIP]\r\n;k=1\r\nk=2\r\n", "k", "2"},
    {"next_section_ends_it", "[TIP]\r\n[Other]\r\nk=1\r\n", "k", ""},
    {"lf_endings", "[TIP]\nk=1\n", "k", "1"},
    {"no_final_break", "[TIP]\r\nk=1", "k", "1"},
    {"ideographic_space_kept", "[TIP]\r\nk=　1　\r\n", "k", "　1　"},
    {"empty_file", "", "k", ""},
};
INSTANTIATE_TEST_SUITE_P(Cases, ProfileReadTest, ::testing::ValuesIn(kReads),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProfileFileTest, MissingFileReadsEmptyAndIsNotCreatedByReading)
{
    EXPECT_EQ(Read("k"), "");
    EXPECT_FALSE(QFileInfo::exists(Path()));
}

TEST_F(ProfileFileTest, BinaryFileReadsWhatItCanAndKeepsItsBytes)
{
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(char((i * 131 + 7) & 0xFF));  // every byte value, NULs and stray line breaks included
    const QByteArray file = junk + "\r\n[TIP]\r\nk=ok\r\n" + junk;
    Put(Path(), file);

    EXPECT_EQ(Read("k"), "ok");
    ASSERT_TRUE(Write("k", "new"));
    QByteArray expected = file;
    expected.replace("k=ok", "k=new");
    EXPECT_EQ(Bytes(Path()), expected);

    Put(Path(), junk);
    EXPECT_EQ(Read("k"), "");
    ASSERT_TRUE(Write("k", "v"));
    EXPECT_EQ(Read("k"), "v");
    EXPECT_TRUE(Bytes(Path()).startsWith(junk));
}

TEST_F(ProfileFileTest, LongLinesAndValuesAreCutAtNineHundredNinetyNineBytes)
{
    const QByteArray hugeLine(2 * 1024 * 1024, 'x');
    Put(Path(), hugeLine + "\r\n[TIP]\r\nascii=" + QByteArray(5000, '7') + "\r\n");
    EXPECT_EQ(Read("ascii"), QString(999, u'7'));

    // Double-byte characters: never half a character.
    const QString han = QString::fromUtf8("汉");
    ASSERT_TRUE(Write("even", han.repeated(600)));
    EXPECT_EQ(Read("even"), han.repeated(499));  // 998 bytes; a 999th would split 汉
    ASSERT_TRUE(Write("odd", "a" + han.repeated(600)));
    EXPECT_EQ(Read("odd"), "a" + han.repeated(499));  // exactly 999 bytes
    ASSERT_TRUE(Write("fits", QString(999, u'9')));
    EXPECT_EQ(Read("fits"), QString(999, u'9'));

    // The whole value is stored; only the read is limited.
    EXPECT_TRUE(Bytes(Path()).contains(Gbk("odd=a" + han.repeated(600) + "\r\n")));
    EXPECT_TRUE(Bytes(Path()).startsWith(hugeLine + "\r\n"));
}

TEST_F(ProfileFileTest, Utf8FileWithByteOrderMarkStaysUtf8)
{
    Put(Path(), "\xEF\xBB\xBF[TIP]\n" + QString::fromUtf8("证交所=深圳A股\n").toUtf8());
    EXPECT_EQ(Read(QString::fromUtf8("证交所")), QString::fromUtf8("深圳A股"));

    ASSERT_TRUE(Write(QString::fromUtf8("证交所"), QString::fromUtf8("基金、权证")));
    ASSERT_TRUE(Write(QString::fromUtf8("手续费"), "2.7"));
    EXPECT_EQ(Bytes(Path()), "\xEF\xBB\xBF[TIP]\n" + QString::fromUtf8("证交所=基金、权证\n手续费=2.7\n").toUtf8());

    // A mark and nothing else: the section goes right after the mark.
    Put(Path(), "\xEF\xBB\xBF");
    ASSERT_TRUE(Write("k", "1"));
    EXPECT_EQ(Bytes(Path()), "\xEF\xBB\xBF[TIP]\r\nk=1\r\n");
}

TEST_F(ProfileFileTest, LineBreaksInAValueCannotForgeKeysOrSections)
{
    ASSERT_TRUE(Write(QString::fromUtf8("手续费"), "2.7"));
    ASSERT_TRUE(Write(QString::fromUtf8("买入价格"), QString::fromUtf8("9.45\r\n[TIP]\n手续费=99\r")));
    EXPECT_EQ(Read(QString::fromUtf8("手续费")), "2.7");
    EXPECT_EQ(Read(QString::fromUtf8("买入价格")), QString::fromUtf8("9.45[TIP]手续费=99"));
    EXPECT_EQ(Bytes(Path()).count('\n'), 3);
}

TEST_F(ProfileFileTest, AddsALineBreakBeforeAppendingToAnUnterminatedLastLine)
{
    Put(Path(), "[TIP]\nk=1");
    ASSERT_TRUE(Write("j", "2"));
    EXPECT_EQ(Bytes(Path()), "[TIP]\nk=1\nj=2\n");
    Put(Path(), "; only a comment");
    ASSERT_TRUE(Write("j", "2"));
    EXPECT_EQ(Bytes(Path()), "; only a comment\r\n[TIP]\r\nj=2\r\n");
}

// One write of several sections: the keys of each go to their own section; sections the file
// lacks are added at its end in the order they are first named, after what the last existing
// section gains.
TEST_F(ProfileFileTest, OneWriteOfSeveralSectionsKeepsEachKeyInItsOwn)
{
    const auto write = [&](std::initializer_list<ProfileEntry> entries) {
        return WriteProfileStrings(Path(), "TIP", std::vector<ProfileEntry>(entries));
    };
    ASSERT_TRUE(write({{"b", "1", "NEW"}, {"a", "1"}, {"c", "2", "NEW2"}}));
    EXPECT_EQ(Bytes(Path()), "[NEW]\r\nb=1\r\n[TIP]\r\na=1\r\n[NEW2]\r\nc=2\r\n");

    Put(Path(), "[X]\ny=0\n[TIP]\na=1");  // the last section ends the file without a line break
    ASSERT_TRUE(write({{"b", "2", "NEW"}, {"a", "3"}, {"z", "4"}, {"y", "5", "x"}}));
    EXPECT_EQ(Bytes(Path()), "[X]\ny=5\n[TIP]\na=3\nz=4\n[NEW]\nb=2\n");
    EXPECT_EQ(Read("b", "NEW"), "2");

    // A key that cannot be written leaves every section as it was.
    const QByteArray before = Bytes(Path());
    EXPECT_FALSE(write({{"b", "9", "NEW"}, {"[bad", "1"}}));
    EXPECT_FALSE(write({{"b", "9", "  "}}));
    EXPECT_EQ(Bytes(Path()), before);
}

TEST_F(ProfileFileTest, UnwritablePlacesReportFailureAndChangeNothing)
{
    // A path under a regular file can never be created, whoever runs the test.
    Put(Path(), "[TIP]\r\nk=1\r\n");
    const QString underFile = Path() + "/QCAL.INI";
    EXPECT_FALSE(WriteProfileString(underFile, "TIP", "k", "2"));
    EXPECT_EQ(ReadProfileString(underFile, "TIP", "k"), "");

    // The name taken by a directory.
    const QString asDir = dir_.filePath("dir.ini");
    ASSERT_TRUE(QDir().mkdir(asDir));
    EXPECT_FALSE(WriteProfileString(asDir, "TIP", "k", "2"));
    EXPECT_EQ(ReadProfileString(asDir, "TIP", "k"), "");
    EXPECT_TRUE(QFileInfo(asDir).isDir());

    EXPECT_EQ(Bytes(Path()), "[TIP]\r\nk=1\r\n");
}

TEST_F(ProfileFileTest, WritesANewFileAndRenamesItOverTheOld)
{
    // A reader holding the old file (here: a second hard link) sees either the old or the new
    // content, never a half-written one.
    Put(Path(), "[TIP]\r\nk=1\r\n");
    const QString oldName = dir_.filePath("old.ini");
    ASSERT_EQ(::link(QFile::encodeName(Path()).constData(), QFile::encodeName(oldName).constData()), 0);
    ASSERT_TRUE(Write("k", "2"));
    EXPECT_EQ(Bytes(oldName), "[TIP]\r\nk=1\r\n");
    EXPECT_EQ(Bytes(Path()), "[TIP]\r\nk=2\r\n");
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files).size(), 2) << "temporary file left behind";
}

TEST_F(ProfileFileTest, ALinkedFileIsUpdatedThroughItsLink)
{
    const QString target = dir_.filePath("elsewhere.ini");
    Put(target, "[TIP]\r\nk=1\r\n");
    ASSERT_TRUE(QFile::link(target, Path()));
    ASSERT_TRUE(Write("k", "2"));
    EXPECT_TRUE(QFileInfo(Path()).isSymLink());
    EXPECT_EQ(Bytes(target), "[TIP]\r\nk=2\r\n");
}

// Restores the permissions it took away, so QTemporaryDir can clean up.
class ReadOnly {
public:
    explicit ReadOnly(const QString& path) : path_(path), saved_(QFile::permissions(path))
    {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
    }
    ~ReadOnly() { QFile::setPermissions(path_, saved_); }
    ReadOnly(const ReadOnly&) = delete;
    ReadOnly& operator=(const ReadOnly&) = delete;

private:
    QString path_;
    QFile::Permissions saved_;
};

TEST_F(ProfileFileTest, ReadOnlyDirectoryRefusesRatherThanRewriteTheFileInPlace)
{
    // Rewriting the file in place could be cut short by a crash and lose it; the write fails
    // instead, and says so.
    Put(Path(), "; mine\r\n[TIP]\r\nk=1\r\n");
    ReadOnly guard(dir_.path());
    if (QFileInfo(dir_.path()).isWritable())
        GTEST_SKIP() << "permissions do not stop this user (root?): a read-only directory cannot be tested";
    EXPECT_FALSE(Write("k", "2"));
    EXPECT_EQ(Bytes(Path()), "; mine\r\n[TIP]\r\nk=1\r\n");
    EXPECT_TRUE(Write("k", "1")) << "a write that changes nothing needs no directory";
}

TEST_F(ProfileFileTest, ReadOnlyDirectoryAndFileFailWithoutDamage)
{
    Put(Path(), "[TIP]\r\nk=1\r\n");
    ReadOnly fileGuard(Path());
    ReadOnly dirGuard(dir_.path());
    if (QFileInfo(Path()).isWritable())
        GTEST_SKIP() << "permissions do not stop this user (root?): a read-only file cannot be tested";
    EXPECT_FALSE(Write("k", "2"));
    EXPECT_FALSE(Write("new", "2"));
    EXPECT_EQ(Bytes(Path()), "[TIP]\r\nk=1\r\n");
}

} // namespace
} // namespace qcal::settings
