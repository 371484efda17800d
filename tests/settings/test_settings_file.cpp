// The settings file as a session uses it: a parse that must read exactly as a line-by-line
// decoding does, files that cannot be read or written (as root and as an ordinary user), and the
// background writer that keeps failed values and tells a failure once.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "file_helpers.h"
#include "settings/profile_file.h"
#include "settings/settings_file.h"

namespace qcal::settings {
namespace {

using test::Bytes;
using test::Gbk;

// A reference reader and writer, brute force: every line decoded, every entry applied to the
// whole file in turn. Slow, but plainly what the format says.
class Reference {
public:
    explicit Reference(QByteArray bytes) { Split(std::move(bytes)); }

    std::optional<QString> Value(const QString& section, const QString& key) const
    {
        const Place p = Find(section, key);
        return p.key < 0 ? std::nullopt : std::optional<QString>(lines_[p.key].value);
    }

    // The bytes after writing entries, or nullopt when a value would not read back.
    std::optional<QByteArray> Write(const QString& section, const std::vector<ProfileEntry>& entries)
    {
        for (const ProfileEntry& e : entries) {
            QString value = e.value;
            value.remove(u'\r');
            value.remove(u'\n');
            const Place p = Find(section, e.key);
            QByteArray out;
            if (p.key >= 0) {
                const RawLine& l = lines_[p.key];
                out = bytes_.left(l.begin) + Encode(l.name + u'=' + value) + bytes_.mid(l.end);
            } else if (p.header >= 0) {
                const RawLine& l = lines_[p.last];
                const QByteArray lead = l.next == l.end ? lineBreak_ : QByteArray();
                out = bytes_.left(l.next) + lead + Encode(e.key + u'=' + value) + lineBreak_ + bytes_.mid(l.next);
            } else {
                out = bytes_;
                if (out.size() > (utf8_ ? 3 : 0) && !out.endsWith('\n') && !out.endsWith('\r'))
                    out += lineBreak_;
                out += Encode(u'[' + section + u']') + lineBreak_ + Encode(e.key + u'=' + value) + lineBreak_;
            }
            Split(out);
        }
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const ProfileEntry& e = entries[i];
            // A key given again is checked for its last value only.
            if (std::any_of(entries.begin() + i + 1, entries.end(),
                            [&](const ProfileEntry& later) { return later.key.compare(e.key, Qt::CaseInsensitive) == 0; }))
                continue;
            QString value = e.value;
            value.remove(u'\r');
            value.remove(u'\n');
            const QString back = Trim(utf8_ ? QString::fromUtf8(Encode(value)) : Gbk(Encode(value)));
            if (Value(section, e.key) != back)
                return std::nullopt;
        }
        return bytes_;
    }

private:
    struct RawLine {
        qsizetype begin, end, next;
        enum { Other, Section, Key } kind;
        QString name, value, text;
    };
    struct Place {
        int header = -1, key = -1, last = -1;
    };

    static QString Gbk(const QByteArray& b) { return QStringDecoder("GBK", QStringConverter::Flag::Stateless).decode(b); }
    static QString Trim(QString s)
    {
        while (!s.isEmpty() && (s.front() == u' ' || s.front() == u'\t'))
            s.remove(0, 1);
        while (!s.isEmpty() && (s.back() == u' ' || s.back() == u'\t'))
            s.chop(1);
        return s;
    }
    QByteArray Encode(const QString& s) const { return utf8_ ? s.toUtf8() : test::Gbk(s); }

    void Split(QByteArray bytes)
    {
        bytes_ = std::move(bytes);
        utf8_ = bytes_.startsWith("\xEF\xBB\xBF");
        lines_.clear();
        lineBreak_ = "\r\n";
        bool known = false;
        for (const test::LineSpan& span : test::SplitLines(bytes_)) {
            const qsizetype i = span.begin, j = span.end, k = span.next;
            if (!known && k > j) {
                lineBreak_ = bytes_.mid(j, k - j);
                known = true;
            }
            const QByteArray raw = bytes_.mid(i, j - i);
            RawLine line{i, j, k, RawLine::Other, {}, {}, Trim(utf8_ ? QString::fromUtf8(raw) : Gbk(raw))};
            if (line.text.startsWith(u'[')) {
                const qsizetype close = line.text.indexOf(u']');
                line.kind = RawLine::Section;
                line.name = Trim(line.text.mid(1, close < 0 ? -1 : close - 1));
            } else if (!line.text.startsWith(u';') && line.text.indexOf(u'=') > 0 &&
                       !Trim(line.text.left(line.text.indexOf(u'='))).isEmpty()) {
                line.kind = RawLine::Key;
                line.name = Trim(line.text.left(line.text.indexOf(u'=')));
                line.value = Trim(line.text.mid(line.text.indexOf(u'=') + 1));
            }
            lines_.push_back(line);
        }
    }

    Place Find(const QString& section, const QString& key) const
    {
        Place p;
        for (int i = 0; i < int(lines_.size()); ++i) {
            const RawLine& l = lines_[i];
            if (l.kind == RawLine::Section) {
                if (p.header >= 0)
                    break;
                if (l.name.compare(section, Qt::CaseInsensitive) == 0)
                    p.header = p.last = i;
                continue;
            }
            if (p.header < 0)
                continue;
            if (!l.text.isEmpty())
                p.last = i;
            if (l.kind == RawLine::Key && p.key < 0 && l.name.compare(key, Qt::CaseInsensitive) == 0)
                p.key = i;
        }
        return p;
    }

    QByteArray bytes_;
    bool utf8_ = false;
    QByteArray lineBreak_;
    std::vector<RawLine> lines_;
};

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString Path() const { return dir_.filePath("QCAL.INI"); }
    void Put(const QByteArray& bytes) const { ASSERT_TRUE(test::PutBytes(Path(), bytes)); }

    QTemporaryDir dir_;
};

TEST_F(SettingsFileTest, ReadsAndWritesExactlyAsALineByLineDecodingDoes)
{
    std::mt19937 random(4711);
    const auto pick = [&random](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    // GBK pairs whose second byte is "[", "]" or ";" must not open sections or comments; lone lead
    // bytes, invalid bytes and UTF-8 test the decoding at line ends.
    const QByteArray pieces[] = {"[TIP]", "[tip]", " \t[ TIP ]", "[TIP", "[Other]", "[]", "k=1", "K = 2", "; c",
                                 "", "  ", "=x", Gbk(QStringLiteral("手续费=3")), "\x81[TIP]", "\x81]k=1", "\xFF[TIP]",
                                 "k=\x81", "\x81", Gbk(QStringLiteral("[段]")), "a=b=c", "\t", "[TIP]x", "[a]b]",
                                 "\xE6\x89\x8B=utf8", " k = 3 ", "x [TIP]", "[[TIP]", "\t \x81 [TIP]"};
    const QByteArray breaks[] = {"\r\n", "\n", "\r"};
    const QString sections[] = {"TIP", "tip", "Other", QStringLiteral("段"), "a]b", "New"};
    const QString keys[] = {"k", "K", QStringLiteral("手续费"), "a", " k", "[x", "a=b", "new", ";c"};
    const QString values[] = {"", "1", " 2 ", QStringLiteral("基金、权证"), "x\r\ny", "[TIP]", "=", QStringLiteral("€😀")};

    for (int round = 0; round < 2000; ++round) {
        QByteArray file = pick(6) == 0 ? QByteArray("\xEF\xBB\xBF") : QByteArray();
        const std::size_t lineCount = pick(9);
        for (std::size_t i = 0; i < lineCount; ++i) {
            file += pieces[pick(std::size(pieces))];
            if (i + 1 < lineCount || pick(2))
                file += breaks[pick(3)];
        }
        Put(file);
        const Reference reference(file);
        const Profile profile = Profile::Load(Path());
        ASSERT_EQ(profile.State(), FileState::Read);
        for (const QString& section : sections) {
            for (const QString& key : keys) {
                const std::optional<QString> expected = reference.Value(section, key);
                EXPECT_EQ(profile.Read(section, key), expected.value_or(QString()))
                    << "round " << round << " [" << section.toStdString() << "] " << key.toStdString();
            }
        }

        std::vector<ProfileEntry> entries;
        for (std::size_t n = 1 + pick(3); n > 0; --n)
            entries.push_back({keys[pick(std::size(keys))], values[pick(std::size(values))]});
        const QString& section = sections[pick(std::size(sections))];
        const std::optional<QByteArray> expected = Reference(file).Write(section, entries);
        std::string said;
        for (const ProfileEntry& e : entries)
            said += " " + e.key.toStdString() + "=" + e.value.toStdString();
        EXPECT_EQ(WriteProfileStrings(Path(), section, entries), expected.has_value())
            << "round " << round << " [" << section.toStdString() << "]" << said;
        EXPECT_EQ(Bytes(Path()), expected.value_or(file)) << "round " << round;
    }
}

// Cannot be read, cannot be written --------------------------------------------------------------

constexpr uid_t kNobody = 65534;

struct Place {
    const char* name;
    void (*make)(const QString& dir);  // puts QCAL.INI (and what it needs) into dir
    FileState loadAsRoot, loadAsUser;
    bool writesAsRoot, writesAsUser;
};

void PrintTo(const Place& p, std::ostream* os) { *os << p.name; }

const QByteArray kStored = "[TIP]\r\nk=stored\r\n";

void MakeFile(const QString& dir, QFile::Permissions permissions)
{
    ASSERT_TRUE(test::PutBytes(dir + "/QCAL.INI", kStored));
    ASSERT_TRUE(QFile::setPermissions(dir + "/QCAL.INI", permissions));
}

const Place kPlaces[] = {
    {"no_permission_at_all", [](const QString& d) { MakeFile(d, {}); }, FileState::Read, FileState::Unreadable, false,
     false},
    {"read_only_file", [](const QString& d) { MakeFile(d, QFile::ReadOwner | QFile::ReadGroup); }, FileState::Read,
     FileState::Read, false, false},
    {"folder", [](const QString& d) { ASSERT_TRUE(QDir(d).mkdir("QCAL.INI")); }, FileState::Unreadable,
     FileState::Unreadable, false, false},
    {"link_loop",
     [](const QString& d) {
         ASSERT_TRUE(QFile::link(d + "/b.ini", d + "/QCAL.INI"));
         ASSERT_TRUE(QFile::link(d + "/QCAL.INI", d + "/b.ini"));
     },
     FileState::Unreadable, FileState::Unreadable, false, false},
    {"dangling_link_chain",
     [](const QString& d) {
         ASSERT_TRUE(QDir(d).mkdir("real"));
         ASSERT_TRUE(QFile::link("real/b.ini", d + "/QCAL.INI"));  // relative, then on to a missing file
         ASSERT_TRUE(QFile::link("c.ini", d + "/real/b.ini"));
     },
     FileState::Missing, FileState::Missing, true, true},
    {"read_only_folder",
     [](const QString& d) {
         MakeFile(d, QFile::ReadOwner | QFile::WriteOwner);
         ASSERT_TRUE(QFile::setPermissions(d, QFile::ReadOwner | QFile::ExeOwner | QFile::ExeOther));
     },
     FileState::Read, FileState::Read, true, false},
};

class PlaceTest : public ::testing::TestWithParam<Place> {};

// What a load finds and whether a write goes through, as a two-bit exit status of a child.
int LoadAndWrite(const QString& path)
{
    const int state = static_cast<int>(Profile::Load(path).State());
    const bool written = WriteProfileString(path, "TIP", "k", "new");
    return state * 2 + (written ? 1 : 0);
}

void CheckOutcome(const QString& dir, int status, FileState load, bool writes)
{
    const QString path = dir + "/QCAL.INI";
    ASSERT_GE(status, 0) << "the child did not finish";
    EXPECT_EQ(static_cast<FileState>(status / 2), load);
    EXPECT_EQ(status % 2 == 1, writes);
    if (writes) {
        EXPECT_EQ(ReadProfileString(path, "TIP", "k"), "new");
        if (QFileInfo(path).isSymLink()) {
            EXPECT_TRUE(QFileInfo::exists(dir + "/real/c.ini")) << "the end of the chain was not created";
        }
    } else if (QFileInfo(path).isFile()) {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        EXPECT_EQ(Bytes(path), kStored);
    }
}

TEST_P(PlaceTest, AsRoot)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "not root";
    QTemporaryDir tmp;
    const QString dir = tmp.filePath("home");
    ASSERT_TRUE(QDir().mkdir(dir));
    GetParam().make(dir);
    const int status = LoadAndWrite(dir + "/QCAL.INI");
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    CheckOutcome(dir, status, GetParam().loadAsRoot, GetParam().writesAsRoot);
}

TEST_P(PlaceTest, AsAnOrdinaryUser)
{
    QTemporaryDir tmp;
    const QString dir = tmp.filePath("home");
    ASSERT_TRUE(QDir().mkdir(dir));
    int status = -1;
    if (::geteuid() != 0) {
        GetParam().make(dir);
        status = LoadAndWrite(dir + "/QCAL.INI");
    } else {
        // Root sets the place up for nobody, who then tries it in a child of its own.
        if (!::getpwuid(kNobody))
            GTEST_SKIP() << "no user " << kNobody << " (nobody) on this machine";
        ASSERT_TRUE(QFile::setPermissions(tmp.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                          QFile::ExeGroup | QFile::ExeOther));
        ASSERT_EQ(::chown(QFile::encodeName(dir).constData(), kNobody, kNobody), 0);
        GetParam().make(dir);
        for (const QString& name : QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System))
            ::lchown(QFile::encodeName(dir + "/" + name).constData(), kNobody, kNobody);
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
                ::setresuid(kNobody, kNobody, kNobody) != 0)
                ::_exit(100);
            ::_exit(LoadAndWrite(dir + "/QCAL.INI"));
        }
        int wstatus = 0;
        ::waitpid(pid, &wstatus, 0);
        status = WIFEXITED(wstatus) && WEXITSTATUS(wstatus) < 100 ? WEXITSTATUS(wstatus) : -1;
    }
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    CheckOutcome(dir, status, GetParam().loadAsUser, GetParam().writesAsUser);
}

INSTANTIATE_TEST_SUITE_P(Places, PlaceTest, ::testing::ValuesIn(kPlaces),
                         [](const auto& info) { return std::string(info.param.name); });

// The session -------------------------------------------------------------------------------------

ino_t Inode(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

TEST_F(SettingsFileTest, AFileThatCannotBeReadLocksTheSessionAndIsToldOnce)
{
    ASSERT_TRUE(QDir(dir_.path()).mkdir("QCAL.INI"));
    SettingsFile file(Path(), "TIP");
    EXPECT_EQ(file.Load().State(), FileState::Unreadable);
    EXPECT_TRUE(file.Locked());
    EXPECT_TRUE(file.TakeLockNotice());
    EXPECT_FALSE(file.TakeLockNotice());
    int failures = 0;
    file.OnFirstFailure([&failures] { ++failures; });
    file.Save({{"k", "1"}});
    file.Finish();
    EXPECT_EQ(failures, 0) << "a locked session does not try, so it does not fail";
    EXPECT_TRUE(QFileInfo(Path()).isDir());
}

TEST_F(SettingsFileTest, AFailureIsToldOnceAndItsValuesGoWithTheNextSave)
{
    Put("[TIP]\r\na=0\r\n");
    const auto setMode = [this](QFile::Permissions p) { ASSERT_TRUE(QFile::setPermissions(Path(), p)); };
    setMode(QFile::ReadOwner);  // read-only: refused by root as well
    SettingsFile file(Path(), "TIP");
    ASSERT_EQ(file.Load().State(), FileState::Read);
    int failures = 0;
    file.OnFirstFailure([&failures] { ++failures; });

    file.Save({{"a", "1"}, {"b", "1"}});
    file.Finish();
    EXPECT_EQ(failures, 1);
    file.Save({{"b", "2"}});
    file.Save({{"c", QString(kMaxValueBytes + 1, u'9')}});  // would read back cut: never written
    file.Finish();
    EXPECT_EQ(failures, 1) << "told again before any save succeeded";
    EXPECT_EQ(Bytes(Path()), "[TIP]\r\na=0\r\n");

    setMode(QFile::ReadOwner | QFile::WriteOwner);
    file.Save({{"d", "1"}});
    file.Finish();
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(Bytes(Path()), "[TIP]\r\na=1\r\nb=2\r\nd=1\r\n");

    setMode(QFile::ReadOwner);
    file.Save({{"d", "2"}});
    file.Finish();
    EXPECT_EQ(failures, 2) << "a save that succeeded ends the quiet";
    setMode(QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(SettingsFileTest, ASaveReturnsBeforeTheWriteAndTheEndWaitsForIt)
{
    // A file large enough that reading, writing and syncing it takes far longer than queueing.
    Put("[TIP]\r\nk=0\r\n" + QByteArray(20 * 1024 * 1024, ';'));
    const ino_t before = Inode(Path());
    {
        SettingsFile file(Path(), "TIP");
        file.Save({{"k", "1"}});
        EXPECT_EQ(Inode(Path()), before) << "the save wrote before it returned";
        file.Finish();
        EXPECT_NE(Inode(Path()), before);
        EXPECT_EQ(ReadProfileString(Path(), "TIP", "k"), "1");
        file.Save({{"k", "2"}});
    }
    EXPECT_EQ(ReadProfileString(Path(), "TIP", "k"), "2") << "the end of the session lost a queued save";
}

} // namespace
} // namespace qcal::settings
