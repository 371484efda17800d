// The settings store under the conditions that lose files: odd line ends, crashes in the middle of
// a save, a full disk, leftovers of dead writers. Every case checks the same two promises: a write
// that succeeds reads back, and nothing else in the file changes; a write that fails leaves the
// old file whole.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <csignal>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "file_helpers.h"
#include "settings/atomic_file.h"
#include "settings/ini_location.h"
#include "settings/profile_file.h"

namespace qcal::settings {
namespace {

using test::Bytes;
using test::Gbk;
bool Put(const QString& path, const QByteArray& bytes) { return test::PutBytes(path, bytes); }

QStringList Temporaries(const QString& dir)
{
    QStringList found;
    for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (name != QStringLiteral("QCAL.INI"))
            found << name;
    }
    return found;
}

ino_t Inode(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// One line of a file with the break that ends it, for comparing files line by line.
struct RawLine {
    QByteArray text;
    QByteArray end;
    bool operator==(const RawLine&) const = default;
};

std::vector<RawLine> RawLines(const QByteArray& b)
{
    std::vector<RawLine> lines;
    for (const test::LineSpan& l : test::SplitLines(b))
        lines.push_back({b.mid(l.begin, l.end - l.begin), b.mid(l.end, l.next - l.end)});
    return lines;
}

// True when `after` is `before` with one key's line changed or added: at most one old line goes
// (the key's own line, or an unterminated last line that comes back with a break), and at most
// three come in (that line, the key's line, and a new section header).
::testing::AssertionResult KeepsEveryOtherLine(const QByteArray& before, const QByteArray& after)
{
    const auto a = RawLines(before);
    const auto b = RawLines(after);
    std::size_t prefix = 0;
    while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
           a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
        ++suffix;
    const std::size_t gone = a.size() - prefix - suffix;
    const std::size_t added = b.size() - prefix - suffix;
    if (gone <= 1 && added <= 3)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << gone << " old lines changed and " << added << " new ones in\n"
                                         << before.toStdString() << "\n---\n" << after.toStdString();
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString Path() const { return dir_.filePath("QCAL.INI"); }

    QTemporaryDir dir_;
};

// Odd files -------------------------------------------------------------------------------------

struct OddFile {
    const char* name;
    QByteArray bytes;
};

void PrintTo(const OddFile& c, std::ostream* os) { *os << c.name; }

class OddFileTest : public StoreTest, public ::testing::WithParamInterface<OddFile> {};

TEST_P(OddFileTest, EveryWriteReadsBackAndKeepsEveryOtherLine)
{
    ASSERT_TRUE(Put(Path(), GetParam().bytes));
    const QString keys[] = {QStringLiteral("买入价格"), QStringLiteral("手续费"), QStringLiteral("k"),
                            QStringLiteral("买入价格")};
    int n = 0;
    for (const QString& key : keys) {
        const QByteArray before = Bytes(Path());
        const QString value = QStringLiteral("值%1").arg(++n);
        ASSERT_TRUE(WriteProfileString(Path(), "TIP", key, value)) << key.toStdString();
        EXPECT_EQ(ReadProfileString(Path(), "TIP", key), value) << key.toStdString();
        EXPECT_TRUE(KeepsEveryOtherLine(before, Bytes(Path())));
    }
    EXPECT_TRUE(Temporaries(dir_.path()).isEmpty());
}

QByteArray Junk()
{
    QByteArray junk;
    for (int i = 0; i < 600; ++i)
        junk.append(char((i * 151 + 3) & 0xFF));
    return junk;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OddFileTest,
    ::testing::Values(
        OddFile{"cr_only", "[TIP]\rk=1\r[Other]\rx=2\r"},
        OddFile{"cr_ended_last_line", "; note\n[TIP]\nk=1\r"},
        OddFile{"header_cut_after_a_cr", QByteArray("[TIPIP\n[TIP\r")},
        OddFile{"header_without_bracket", "[TIP\r\nk=1\r\n"},
        OddFile{"mixed_breaks", "[Other]\r\na=1\n[TIP]\rk=1\r\nz=9"},
        OddFile{"duplicate_sections", "[TIP]\r\nk=1\r\n[TIP]\r\nk=2\r\n"},
        OddFile{"binary_bytes", Junk() + "\r\n[TIP]\r\nk=1\r\n" + Junk()},
        OddFile{"two_megabyte_line", QByteArray(2 * 1024 * 1024, 'x') + "\r\n[TIP]\r\nk=1"},
        OddFile{"bom_and_cr", "\xEF\xBB\xBF[TIP]\rk=1"},
        OddFile{"blank_lines_only", "\r\n\r\n\n\r"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StoreTest, TheCutHeaderNoLongerShadowsTheWrittenKey)
{
    // A section header ended by a lone CR at the very end of the file used to be missed, and the
    // write appended a second section that the first one then hid.
    ASSERT_TRUE(Put(Path(), "[TIPIP\n[TIP\r"));
    ASSERT_TRUE(WriteProfileString(Path(), "TIP", QStringLiteral("买入价格"), "9.45"));
    EXPECT_EQ(ReadProfileString(Path(), "TIP", QStringLiteral("买入价格")), "9.45");
    EXPECT_EQ(Bytes(Path()), "[TIPIP\n[TIP\r" + Gbk(QStringLiteral("买入价格=9.45\n")));
}

// One write per save ----------------------------------------------------------------------------

TEST_F(StoreTest, ManyKeysGoInOneReplacementInTheOrderGiven)
{
    ASSERT_TRUE(Put(Path(), "[TIP]\r\nb=old\r\n"));
    const QString link = dir_.filePath("before.ini");
    ASSERT_EQ(::link(QFile::encodeName(Path()).constData(), QFile::encodeName(link).constData()), 0);

    const std::vector<ProfileEntry> entries = {{"a", "1"}, {"b", "2"}, {"c", ""}};
    ASSERT_TRUE(WriteProfileStrings(Path(), "TIP", entries));
    EXPECT_EQ(Bytes(Path()), "[TIP]\r\nb=2\r\na=1\r\nc=\r\n");
    EXPECT_EQ(Bytes(link), "[TIP]\r\nb=old\r\n") << "the old file was rewritten instead of replaced";
    EXPECT_EQ(Temporaries(dir_.path()), QStringList{"before.ini"});
}

TEST_F(StoreTest, AWriteThatChangesNothingTouchesNothing)
{
    ASSERT_TRUE(Put(Path(), "[TIP]\r\na=1\r\nb=2\r\n"));
    const ino_t before = Inode(Path());
    const std::vector<ProfileEntry> same = {{"b", "2"}, {"A", " 1 "}};
    // " 1 " would read back as "1", but it is not what the file holds: it is written.
    ASSERT_TRUE(WriteProfileStrings(Path(), "TIP", std::vector<ProfileEntry>{{"b", "2"}, {"a", "1"}}));
    EXPECT_EQ(Inode(Path()), before);
    ASSERT_TRUE(WriteProfileStrings(Path(), "TIP", same));
    EXPECT_NE(Inode(Path()), before);
    EXPECT_EQ(Bytes(Path()), "[TIP]\r\na= 1 \r\nb=2\r\n");
}

TEST_F(StoreTest, AFileThatCannotBeReadIsNeverOverwritten)
{
    ASSERT_TRUE(QDir(dir_.path()).mkdir("QCAL.INI"));
    EXPECT_FALSE(WriteProfileString(Path(), "TIP", "k", "1"));
    EXPECT_TRUE(QFileInfo(Path()).isDir());
    EXPECT_EQ(ReadProfileString(Path(), "TIP", "k"), "");
}

TEST_F(StoreTest, AMissingDirectoryIsCreatedOnTheFirstWrite)
{
    const QString nested = dir_.filePath("config/qcal/QCAL.INI");
    ASSERT_TRUE(WriteProfileString(nested, "TIP", "k", "1"));
    EXPECT_EQ(Bytes(nested), "[TIP]\r\nk=1\r\n");
}

TEST_F(StoreTest, ANewFileGetsThePermissionsTheUmaskLeaves)
{
    for (const mode_t mask : {mode_t{022}, mode_t{077}}) {
        QFile::remove(Path());
        const mode_t before = ::umask(mask);
        const bool written = WriteProfileString(Path(), "TIP", "k", "1");
        ::umask(before);
        ASSERT_TRUE(written);
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(Path()).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask) << "umask " << std::oct << mask;
    }
}

TEST_F(StoreTest, AFileMadeReadOnlyIsNotReplaced)
{
    ASSERT_TRUE(Put(Path(), "[TIP]\r\nk=1\r\n"));
    ASSERT_TRUE(QFile::setPermissions(Path(), QFile::ReadOwner));
    if (::access(QFile::encodeName(Path()).constData(), W_OK) == 0)
        GTEST_SKIP() << "permissions do not stop this user (root?)";
    EXPECT_FALSE(WriteProfileString(Path(), "TIP", "k", "2"));
    EXPECT_EQ(Bytes(Path()), "[TIP]\r\nk=1\r\n");
    EXPECT_TRUE(Temporaries(dir_.path()).isEmpty());
}

// Temporaries -------------------------------------------------------------------------------------

TEST_F(StoreTest, LeftoversOfDeadWritersGoAtTheNextWriteAndLiveOnesStay)
{
    ASSERT_TRUE(Put(Path(), "[TIP]\r\nk=1\r\n"));
    ASSERT_TRUE(Put(dir_.filePath("QCAL.INI.~aB3xY9.tmp"), "half"));
    ASSERT_TRUE(Put(dir_.filePath("QCAL.INI.backup"), "the user's own copy"));
    ASSERT_TRUE(Put(dir_.filePath("QCAL.INI.backup.tmp"), "not ours either"));
    const QString live = dir_.filePath("QCAL.INI.~Zz0000.tmp");
    ASSERT_TRUE(Put(live, "being written"));
    const int fd = ::open(QFile::encodeName(live).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);

    ASSERT_TRUE(WriteProfileString(Path(), "TIP", "k", "2"));
    QStringList left = Temporaries(dir_.path());
    left.sort();
    EXPECT_EQ(left, (QStringList{"QCAL.INI.backup", "QCAL.INI.backup.tmp", "QCAL.INI.~Zz0000.tmp"}));
    ::close(fd);
    ASSERT_TRUE(WriteProfileString(Path(), "TIP", "k", "3"));
    EXPECT_FALSE(QFileInfo::exists(live));
}

TEST(TemporaryNames, OnlyOurOwnPatternCounts)
{
    EXPECT_TRUE(IsTemporaryOf("QCAL.INI.~a1B2c3.tmp", "QCAL.INI"));
    EXPECT_FALSE(IsTemporaryOf("QCAL.INI.~a1B2c.tmp", "QCAL.INI"));
    EXPECT_FALSE(IsTemporaryOf("QCAL.INI.~a1-2c3.tmp", "QCAL.INI"));
    EXPECT_FALSE(IsTemporaryOf("QCAL.INI.~a1B2c3", "QCAL.INI"));
    EXPECT_FALSE(IsTemporaryOf("QCAL.INI.backup.tmp", "QCAL.INI"));
    EXPECT_FALSE(IsTemporaryOf("qcal.ini.~a1B2c3.tmp", "QCAL.INI"));
    EXPECT_FALSE(IsTemporaryOf("QCAL.INI.~汉字汉字汉字.tmp", "QCAL.INI"));
}

// Failing writes ----------------------------------------------------------------------------------

// Runs body in a child process and returns its exit status (-1 when it did not exit normally).
template <typename Body>
int InChild(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(StoreTest, AWriteCutShortByTheFileSizeLimitFailsAndKeepsTheOldFile)
{
    const QByteArray old = "[TIP]\r\nk=old\r\n";
    ASSERT_TRUE(Put(Path(), old));
    const QString path = Path();
    // The limit makes write() fail part of the way through, as a full disk does.
    const int status = InChild([path] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return WriteProfileString(path, "TIP", "k", QString(4000, u'v')) ? 1 : 0;
    });
    EXPECT_EQ(status, 0) << "the write reported success";
    EXPECT_EQ(Bytes(Path()), old);
    EXPECT_TRUE(Temporaries(dir_.path()).isEmpty());
}

// A small tmpfs of our own, filled to the last block. Mounting needs root.
class FullDisk {
public:
    explicit FullDisk(const QString& where) : where_(QFile::encodeName(where).toStdString())
    {
        mounted_ = ::mount("tmpfs", where_.c_str(), "tmpfs", 0, "size=256k") == 0;
    }
    ~FullDisk()
    {
        if (mounted_)
            ::umount2(where_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    void Fill() const
    {
        const std::string filler = where_ + "/filler";
        const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const std::string block(4096, 'f');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        while (::write(fd, block.data(), 1) > 0) {
        }
        ::close(fd);
    }

private:
    std::string where_;
    bool mounted_ = false;
};

TEST_F(StoreTest, AFullDiskFailsTheWriteAndKeepsTheOldFile)
{
    const QString mountPoint = dir_.filePath("disk");
    ASSERT_TRUE(QDir().mkpath(mountPoint));
    FullDisk disk(mountPoint);
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a small tmpfs needs root; the file-size-limit test covers the failing write";
    const QString path = QDir(mountPoint).filePath("QCAL.INI");
    const QByteArray old = Gbk(QStringLiteral("[TIP]\r\n手续费=2.7\r\n记忆买入=0\r\n"));
    ASSERT_TRUE(Put(path, old));
    disk.Fill();

    const std::vector<ProfileEntry> entries = {{QStringLiteral("记忆买入"), "1"},
                                               {QStringLiteral("买入价格"), QString(3000, u'9')}};
    EXPECT_FALSE(WriteProfileStrings(path, "TIP", entries));
    EXPECT_EQ(Bytes(path), old);
    EXPECT_EQ(Temporaries(mountPoint), QStringList{"filler"});
}

// Crashes -----------------------------------------------------------------------------------------

TEST_F(StoreTest, AKillAtAnyMomentLeavesTheOldOrTheNewContent)
{
    // Two complete sets of settings, of different lengths, saved in turn by a child that is
    // killed at random moments; the file must always be one of the two, whole.
    const auto settings = [](const char* commission, const char* price) {
        return std::vector<ProfileEntry>{{QStringLiteral("注意"), QStringLiteral("本文件是自动生成")},
                                         {QStringLiteral("手续费"), commission},
                                         {QStringLiteral("证交所"), QStringLiteral("深圳A股")},
                                         {QStringLiteral("买入价格"), price}};
    };
    const auto a = settings("2.7", "9.45");
    const auto b = settings("3.0", QString(700, u'8').toLatin1().constData());
    const QString path = Path();
    ASSERT_TRUE(WriteProfileStrings(path, "TIP", b));
    const QByteArray bytesB = Bytes(path);
    ASSERT_TRUE(WriteProfileStrings(path, "TIP", a));
    const QByteArray bytesA = Bytes(path);
    ASSERT_NE(bytesA, bytesB);

    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> pause(0, 4000);
    int leftovers = 0;
    for (int kill = 0; kill < 300; ++kill) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (;;) {
                WriteProfileStrings(path, "TIP", b);
                WriteProfileStrings(path, "TIP", a);
            }
        }
        ::usleep(static_cast<useconds_t>(pause(random)));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);

        const QByteArray now = Bytes(path);
        ASSERT_TRUE(now == bytesA || now == bytesB) << "after kill " << kill << " the file holds " << now.size()
                                                    << " bytes";
        leftovers += static_cast<int>(Temporaries(dir_.path()).size());
        ASSERT_TRUE(WriteProfileStrings(path, "TIP", kill % 2 ? a : b));
        ASSERT_TRUE(Temporaries(dir_.path()).isEmpty())
            << "a temporary survived the next write: " << Temporaries(dir_.path()).join(' ').toStdString();
    }
    RecordProperty("leftovers", leftovers);
}

// Random files and writes -------------------------------------------------------------------------

// A value as a read returns it: without line breaks, and without the blanks and tabs around it.
QString AsRead(QString value)
{
    value.remove(u'\r');
    value.remove(u'\n');
    while (!value.isEmpty() && (value.front() == u' ' || value.front() == u'\t'))
        value.remove(0, 1);
    while (!value.isEmpty() && (value.back() == u' ' || value.back() == u'\t'))
        value.chop(1);
    return value;
}

TEST_F(StoreTest, RandomFilesAndWritesKeepBothPromises)
{
    std::mt19937 random(31);
    const auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    const QByteArray pieces[] = {"[TIP]", "[tip]", "[ TIP ]", "[TIP", "[Other]", "[]", "k=1", "K = 2",
                                 "; comment", "", "  ", "=x", Gbk(QStringLiteral("手续费=3")), "\xFF\xFE\x80",
                                 Gbk(QStringLiteral("买入价格 = 9.45 ")), "[TIPX]", "a=b=c", "\t"};
    const QByteArray breaks[] = {"\r\n", "\n", "\r"};
    const QString keys[] = {"k", "K", QStringLiteral("手续费"), QStringLiteral("买入价格"), "new", "a"};
    const QString values[] = {"", "1", " 2 ", QStringLiteral("基金、权证"), "x\r\ny", "[TIP]", "; z", "=",
                              QStringLiteral("全角　空格")};

    for (int round = 0; round < 1500; ++round) {
        QByteArray file = pick(8) == 0 ? QByteArray("\xEF\xBB\xBF") : QByteArray();
        const int lineCount = pick(8);
        for (int i = 0; i < lineCount; ++i) {
            file += pieces[pick(std::size(pieces))];
            if (i + 1 < lineCount || pick(2))
                file += breaks[pick(3)];
        }
        ASSERT_TRUE(Put(Path(), file));
        for (int w = 0; w < 3; ++w) {
            const QString& key = keys[pick(std::size(keys))];
            QString value = values[pick(std::size(values))];
            const QByteArray before = Bytes(Path());
            ASSERT_TRUE(WriteProfileString(Path(), "TIP", key, value)) << before.toStdString();
            EXPECT_EQ(ReadProfileString(Path(), "TIP", key), AsRead(value)) << "round " << round << ": "
                                                                            << before.toStdString();
            const QByteArray after = Bytes(Path());
            EXPECT_TRUE(KeepsEveryOtherLine(before, after)) << "round " << round;
        }
    }
}

// Where the file lives ----------------------------------------------------------------------------

TEST_F(StoreTest, TheProgramDirectoryServesWhenItHoldsTheFileOrCanBeWritten)
{
    const QString program = dir_.filePath("program");
    const QString config = dir_.filePath("config/qcal");
    ASSERT_TRUE(QDir().mkpath(program));
    EXPECT_EQ(ChooseIniDirectory(program, config), program);

    ASSERT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
    const bool stopsUs = ::access(QFile::encodeName(program).constData(), W_OK) != 0;
    if (stopsUs) {
        EXPECT_EQ(ChooseIniDirectory(program, config), config) << "an installed copy";
    }
    ASSERT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    ASSERT_TRUE(Put(QDir(program).filePath("QCAL.INI"), "[TIP]\r\n"));
    ASSERT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
    EXPECT_EQ(ChooseIniDirectory(program, config), program) << "a portable copy keeps its own file";
    ASSERT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    EXPECT_EQ(ChooseIniDirectory(dir_.filePath("missing"), config), config);
    if (!stopsUs)
        GTEST_SKIP() << "permissions do not stop this user (root?): the read-only program directory was not tried";
}

// Even where it could write (run with sudo), an installed copy leaves nothing beside itself, and a
// file planted there earlier does not draw it back.
TEST_F(StoreTest, AnInstalledCopyAlwaysUsesTheConfigurationDirectory)
{
    const QString program = dir_.filePath("usr/bin");
    const QString config = dir_.filePath("home/.config/qcal");
    ASSERT_TRUE(QDir().mkpath(program));
    ASSERT_TRUE(QDir().mkpath(dir_.filePath("usr/share/applications")));
    EXPECT_FALSE(IsInstalledCopy(program));
    EXPECT_EQ(ChooseIniDirectory(program, config), program) << "no menu entry: a copy of the user's own";

    ASSERT_TRUE(Put(dir_.filePath("usr/share/applications/io.github.qcal.Qcal.desktop"), "[Desktop Entry]\n"));
    ASSERT_TRUE(Put(QDir(program).filePath("QCAL.INI"), "[TIP]\r\n"));
    EXPECT_TRUE(IsInstalledCopy(program));
    EXPECT_EQ(ChooseIniDirectory(program, config), config);
}

} // namespace
} // namespace qcal::settings
