// The journal's file under the conditions that lose data: kills in the middle of a large change, a
// full disk, a damaged or foreign file, a second program on the same journal, a migration. Every
// case checks the same promise: the journal holds exactly what the last change that succeeded left,
// and passes SQLite's integrity check.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include "file_helpers.h"
#include "settings/journal_store.h"
#include "tests/core/journal_draw.h"

namespace qcal::settings {
namespace {

using journal::Entry;
using Status = JournalStore::Status;
using Opened = JournalStore::Opened;

std::vector<Entry> Draw(std::uint64_t seed, int count, int year = 2019)
{
    std::mt19937_64 rng(seed);
    auto entries = qcal::test::DrawJournal(rng, {count, 5, 3000, 850, 40, false});
    for (Entry& e : entries) {
        e.id = 0;
        e.date.replace(0, 4, std::to_string(year + (std::stoi(e.date.substr(0, 4)) - 2019)));
        e.note = "备注 " + std::to_string(rng() % 1000) + (rng() % 7 == 0 ? ", \"引号\"" : "");
        if (rng() % 3 == 0)
            e.source = e.date + "|" + e.code + "|" + std::to_string(rng() % 100000);
    }
    return entries;
}

// The holdings' reading of entries: the same entries, with the fees summed and nothing else.
std::vector<Entry> ForHoldings(std::vector<Entry> entries)
{
    for (Entry& e : entries) {
        e.commission = {e.Fees(), false};
        e.stampDuty = e.transferFee = e.otherFees = {};
        e.note.clear();
    }
    return entries;
}

// The journal's content, oldest first, as one comparable value.
std::vector<Entry> Content(JournalStore& store) { return store.All(); }

// SQLite's full check of the file, on a connection of its own.
QString IntegrityOf(const QString& path)
{
    QString verdict;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("integrity"));
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery q(db);
            verdict = q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next() ? q.value(0).toString()
                                                                                   : QStringLiteral("query failed");
        } else {
            verdict = QStringLiteral("cannot open");
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("integrity"));
    return verdict;
}

QStringList Aside(const QString& dir)
{
    return QDir(dir).entryList({QStringLiteral("journal.db.damaged-*")}, QDir::Files, QDir::Name);
}

class JournalStoreTest : public ::testing::Test {
protected:
    QString Path() const { return dir_.filePath(QString::fromLatin1(kJournalFileName)); }
    QTemporaryDir dir_;
};

// Against a model ----------------------------------------------------------------------------------

// Random changes, each checked against a plain map of the entries: what the store reads back, in
// both orders and in pages, is what the model holds; undo puts back exactly the state before the
// last change; and all of it survives closing and opening again.
TEST_F(JournalStoreTest, EveryChangeAndUndoMatchesAModel)
{
    JournalStore store;
    ASSERT_EQ(store.Open(Path()).state, Opened::ReadWrite);
    std::map<std::int64_t, Entry> model;
    std::mt19937_64 rng(7);
    const std::vector<Entry> pool = Draw(11, 400);
    std::size_t next = 0;
    const auto fresh = [&] { return pool[next++ % pool.size()]; };
    std::map<std::int64_t, Entry> beforeLast;
    bool canUndo = false;

    const auto newestFirst = [&model] {
        std::vector<Entry> v;
        for (const auto& [id, e] : model)
            v.push_back(e);
        std::sort(v.begin(), v.end(), [](const Entry& a, const Entry& b) {
            const auto key = [](const Entry& e) {
                return std::make_tuple(e.date, journal::SecondsOfTime(e.time).value_or(-1), e.id);
            };
            return key(a) > key(b);
        });
        return v;
    };

    for (int step = 0; step < 300; ++step) {
        const auto roll = rng() % 10;
        const auto saved = model;
        Status status = Status::Ok;
        if (roll < 3 || model.empty()) {
            Entry e = fresh();
            status = store.Add(e);
            ASSERT_GT(e.id, 0);
            ASSERT_EQ(model.count(e.id), 0u) << "an id was given twice";
            model[e.id] = e;
        } else if (roll < 5) {
            auto it = std::next(model.begin(), static_cast<long>(rng() % model.size()));
            Entry e = fresh();
            e.id = it->first;
            status = store.Update(e);
            it->second = e;
        } else if (roll < 7) {
            std::vector<std::int64_t> ids;
            for (const auto& [id, e] : model) {
                if (rng() % 4 == 0)
                    ids.push_back(id);
            }
            status = store.Remove(ids);
            for (auto id : ids)
                model.erase(id);
        } else if (roll < 8) {
            std::vector<Entry> batch;
            for (int i = 0; i < 20; ++i)
                batch.push_back(fresh());
            status = store.Import(batch);
            for (const Entry& e : batch)
                model[e.id] = e;
        } else {
            status = store.Undo();
            ASSERT_EQ(status, canUndo ? Status::Ok : Status::NothingToUndo);
            if (canUndo)
                model = beforeLast;
            canUndo = false;
            ASSERT_EQ(store.Count(), static_cast<std::int64_t>(model.size()));
            ASSERT_EQ(Content(store), [&] {
                auto v = newestFirst();
                std::reverse(v.begin(), v.end());
                return v;
            }()) << "after undo at step " << step;
            continue;
        }
        ASSERT_EQ(status, Status::Ok) << store.LastError().toStdString();
        beforeLast = saved;
        canUndo = true;
        const auto expected = newestFirst();
        ASSERT_EQ(store.Count(), static_cast<std::int64_t>(expected.size()));
        ASSERT_EQ(store.Page(0, 100000), expected) << "step " << step;
        if (expected.size() > 7) {
            const std::size_t at = rng() % (expected.size() - 3);
            ASSERT_EQ(store.Page(static_cast<std::int64_t>(at), 3),
                      std::vector<Entry>(expected.begin() + static_cast<long>(at), expected.begin() + static_cast<long>(at) + 3));
            ASSERT_EQ(store.PageAfter(expected[at], 3),
                      std::vector<Entry>(expected.begin() + static_cast<long>(at) + 1,
                                         expected.begin() + static_cast<long>(std::min(at + 4, expected.size()))));
        }
    }
    const auto before = Content(store);
    const std::string code = before.front().code;
    std::vector<Entry> ofCode;
    std::copy_if(before.begin(), before.end(), std::back_inserter(ofCode), [&](const Entry& e) { return e.code == code; });
    EXPECT_EQ(store.OfCode(code), ofCode);
    EXPECT_EQ(store.ForHoldings(), ForHoldings(before));
    EXPECT_EQ(store.ForHoldings(code), ForHoldings(ofCode));
    store.Close();
    ASSERT_EQ(store.Open(Path()).state, Opened::ReadWrite);
    EXPECT_EQ(Content(store), before);
    EXPECT_FALSE(store.CanUndo()) << "an undo from another session would undo what the user no longer sees";
}

// Money is exact at both ends of its range, and every text survives.
TEST_F(JournalStoreTest, ExtremeFiguresAndTextsReadBackExactly)
{
    JournalStore store;
    ASSERT_EQ(store.Open(Path()).state, Opened::ReadWrite);
    Entry e = Draw(3, 1).front();
    e.price = Money::FromRaw(std::numeric_limits<std::int64_t>::max());
    e.amount = Money::FromRaw(std::numeric_limits<std::int64_t>::min());
    e.quantity = std::numeric_limits<std::int64_t>::max();
    e.commission = {Money::FromRaw(1), true};
    e.otherFees = {Money::FromRaw(-1), false};
    using namespace std::string_literals;
    e.note = "'; DROP TABLE entries; --\t\xF0\x9F\x93\x88 第一笔\0后"s;
    ASSERT_EQ(store.Add(e), Status::Ok);
    EXPECT_EQ(store.Get(e.id), e);
}

// Kills ---------------------------------------------------------------------------------------------

// A child process imports a large batch and removes it again, over and over, and is killed at
// random moments: the journal must always be exactly the state before or after one change, whole.
TEST_F(JournalStoreTest, AKillDuringALargeChangeLeavesTheStateBeforeOrAfter)
{
    const std::vector<Entry> base = Draw(21, 300);
    const std::vector<Entry> batch = Draw(22, 1500, 2200);  // newer than every base entry
    std::vector<Entry> before, after;
    // How long a child takes to open the journal and make one change each way, in this build (a
    // sanitizer's is many times slower): the kills are spread over a few of those.
    QElapsedTimer cycle;
    {
        JournalStore store;
        ASSERT_EQ(store.Open(Path()).state, Opened::ReadWrite);
        auto b = base;
        ASSERT_EQ(store.Import(b), Status::Ok);
        before = Content(store);
        store.Close();
        cycle.start();
        ASSERT_EQ(store.Open(Path()).state, Opened::ReadWrite);
        auto more = batch;
        ASSERT_EQ(store.Import(more), Status::Ok);
        after = Content(store);
        std::vector<std::int64_t> ids;
        for (const Entry& e : more)
            ids.push_back(e.id);
        ASSERT_EQ(store.Remove(ids), Status::Ok);
    }
    const auto microseconds = static_cast<int>(std::clamp<qint64>(cycle.nsecsElapsed() / 1000 * 3, 20000, 2000000));
    std::mt19937 random(20260117);
    std::uniform_int_distribution<int> pause(0, microseconds);
    int sawAfter = 0;
    for (int kill = 0; kill < 220; ++kill) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            JournalStore child;
            if (child.Open(Path(), 0).state != Opened::ReadWrite)
                ::_exit(3);
            for (;;) {
                if (child.Count() > static_cast<std::int64_t>(base.size())) {
                    std::vector<std::int64_t> ids;
                    for (const Entry& e : child.Page(0, static_cast<int>(batch.size())))
                        ids.push_back(e.id);
                    child.Remove(ids);
                } else {
                    auto more = batch;
                    child.Import(more);
                }
            }
        }
        ::usleep(static_cast<useconds_t>(pause(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself: " << WEXITSTATUS(status);

        JournalStore store;
        ASSERT_EQ(store.Open(Path(), 0).state, Opened::ReadWrite) << "after kill " << kill << ": "
                                                                   << store.LastError().toStdString();
        const auto now = Content(store);
        // The ids of the batch differ from one import to the next: compare without them.
        auto same = [](std::vector<Entry> a, std::vector<Entry> b) {
            if (a.size() != b.size())
                return false;
            for (std::size_t i = 0; i < a.size(); ++i) {
                a[i].id = b[i].id = 0;
                if (!(a[i] == b[i]))
                    return false;
            }
            return true;
        };
        const bool isBefore = now == before;
        const bool isAfter = !isBefore && same(now, after);
        ASSERT_TRUE(isBefore || isAfter) << "after kill " << kill << " the journal holds " << now.size() << " entries";
        sawAfter += isAfter;
        store.Close();
        ASSERT_EQ(IntegrityOf(Path()), QStringLiteral("ok")) << "after kill " << kill;
    }
    // Both states were seen: the kills did land inside the changes.
    RecordProperty("after", sawAfter);
    EXPECT_GT(sawAfter, 10);
    EXPECT_LT(sawAfter, 210);
}

// A full disk --------------------------------------------------------------------------------------

void ExpectAFailedChangeChangesNothing(JournalStore& store, const std::vector<Entry>& big)
{
    const auto before = Content(store);
    auto more = big;
    EXPECT_EQ(store.Import(more), Status::WriteFailed);
    EXPECT_FALSE(store.LastError().isEmpty());
    EXPECT_EQ(Content(store), before);
    EXPECT_EQ(more, big) << "no entry got an id";
    // The undo still undoes the change before, not the one that failed.
    EXPECT_TRUE(store.CanUndo());
}

TEST_F(JournalStoreTest, ADiskThatFillsUpLeavesTheJournalAsItWas)
{
    JournalStore store;
    ASSERT_EQ(store.Open(Path()).state, Opened::ReadWrite);
    auto first = Draw(31, 50);
    ASSERT_EQ(store.Import(first), Status::Ok);
    // SQLite's own cap on the file's pages stands for the end of the disk.
    {
        QSqlQuery q(QSqlDatabase::database(store.ConnectionName()));
        ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA page_count")) && q.next());
        const int pages = q.value(0).toInt();
        ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages + 2)));
    }
    ExpectAFailedChangeChangesNothing(store, Draw(32, 3000));
    store.Close();
    ASSERT_EQ(store.Open(Path()).state, Opened::ReadWrite);
    EXPECT_EQ(Content(store).size(), 50u);
    EXPECT_EQ(IntegrityOf(Path()), QStringLiteral("ok"));
}

TEST_F(JournalStoreTest, ARealFullDiskLeavesTheJournalAsItWas)
{
    const QString mountPoint = dir_.filePath(QStringLiteral("disk"));
    ASSERT_TRUE(QDir().mkpath(mountPoint));
    const std::string where = QFile::encodeName(mountPoint).toStdString();
    if (::mount("tmpfs", where.c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "mounting a small tmpfs needs root; the page-count test covers the full disk";
    const QString path = QDir(mountPoint).filePath(QStringLiteral("journal.db"));
    {
        JournalStore store;
        ASSERT_EQ(store.Open(path).state, Opened::ReadWrite);
        auto first = Draw(41, 50);
        ASSERT_EQ(store.Import(first), Status::Ok);
        // Fill what is left of the disk, to the last byte.
        QFile filler(QDir(mountPoint).filePath(QStringLiteral("filler")));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        while (filler.write(block.left(1)) == 1 && filler.flush()) {
        }
        filler.close();
        ExpectAFailedChangeChangesNothing(store, Draw(42, 3000));
    }
    {
        JournalStore store;
        ASSERT_EQ(store.Open(path).state, Opened::ReadWrite);
        EXPECT_EQ(Content(store).size(), 50u);
    }
    EXPECT_EQ(IntegrityOf(path), QStringLiteral("ok"));
    ::umount2(where.c_str(), MNT_DETACH);
}

// Damaged and foreign files ------------------------------------------------------------------------

TEST_F(JournalStoreTest, ADamagedOrForeignFileIsKeptAsideAndAFreshJournalStarts)
{
    // A real journal to damage.
    QByteArray journalBytes;
    {
        QTemporaryDir other;
        const QString path = other.filePath(QStringLiteral("journal.db"));
        JournalStore store;
        ASSERT_EQ(store.Open(path).state, Opened::ReadWrite);
        auto entries = Draw(51, 3000);
        ASSERT_EQ(store.Import(entries), Status::Ok);
        store.Close();
        journalBytes = test::Bytes(path);
        ASSERT_GT(journalBytes.size(), 64 * 1024);
    }
    QByteArray foreign;
    {
        QTemporaryDir other;
        const QString path = other.filePath(QStringLiteral("other.db"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
            db.setDatabaseName(path);
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE entries (id INTEGER PRIMARY KEY, x TEXT)")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
        foreign = test::Bytes(path);
    }
    QByteArray torn = journalBytes;
    for (qsizetype i = torn.size() / 2; i < torn.size() / 2 + 8192; ++i)
        torn[i] = static_cast<char>(i * 37);
    const std::pair<const char*, QByteArray> cases[] = {
        {"text", QByteArray("[TIP]\r\n手续费=3\r\n")},
        {"cut short", journalBytes.left(journalBytes.size() / 3)},
        {"pages overwritten", torn},
        {"another program's database", foreign},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("journal.db"));
        ASSERT_TRUE(test::PutBytes(path, bytes));
        JournalStore store;
        const auto opened = store.Open(path);
        ASSERT_EQ(opened.state, Opened::ReadWrite) << opened.error.toStdString();
        ASSERT_EQ(Aside(dir.path()).size(), 1) << Aside(dir.path()).join(' ').toStdString();
        EXPECT_EQ(QFileInfo(opened.keptAside).fileName(), Aside(dir.path()).front());
        EXPECT_TRUE(QFileInfo(opened.keptAside).fileName().contains(
            QRegularExpression(QStringLiteral("^journal\\.db\\.damaged-\\d{8}-\\d{6}$"))));
        EXPECT_EQ(test::Bytes(opened.keptAside), bytes) << "the old file is kept as it was";
        EXPECT_EQ(store.Count(), 0);
        Entry e = Draw(52, 1).front();
        EXPECT_EQ(store.Add(e), Status::Ok);

        // Damaged again in the same second, found by the check in the background this time: a
        // second name, the first file untouched, and nothing written into the damaged one.
        store.Close();
        ASSERT_TRUE(test::PutBytes(path, bytes));
        auto again = store.Open(path, 0, JournalStore::Verify::InBackground);
        ASSERT_EQ(again.state, Opened::ReadWrite);
        if (again.keptAside.isEmpty()) {
            Entry late = Draw(53, 1).front();
            EXPECT_EQ(store.Add(late), Status::WriteFailed);
            EXPECT_EQ(test::Bytes(path), bytes);
            again = store.FinishCheck();
            EXPECT_EQ(again.state, Opened::ReadWrite);
        }
        EXPECT_EQ(Aside(dir.path()).size(), 2);
        EXPECT_NE(again.keptAside, opened.keptAside);
        EXPECT_EQ(test::Bytes(again.keptAside), bytes);
        EXPECT_EQ(test::Bytes(opened.keptAside), bytes);
        EXPECT_EQ(store.Count(), 0);
        EXPECT_EQ(store.Add(e), Status::Ok);
    }
}

// A sound journal checked in the background is written as soon as the check is done.
TEST_F(JournalStoreTest, ACheckInTheBackgroundHoldsWritesUntilItIsDone)
{
    {
        JournalStore store;
        ASSERT_EQ(store.Open(Path()).state, Opened::ReadWrite);
        auto entries = Draw(55, 20000);
        ASSERT_EQ(store.Import(entries), Status::Ok);
    }
    JournalStore store;
    ASSERT_EQ(store.Open(Path(), 0, JournalStore::Verify::InBackground).state, Opened::ReadWrite);
    EXPECT_EQ(store.Page(0, 10).size(), 10u);
    Entry e = Draw(56, 1).front();
    EXPECT_EQ(store.Add(e), Status::Ok);
    EXPECT_FALSE(store.CheckPending());
    const auto finished = store.FinishCheck();
    EXPECT_EQ(finished.state, Opened::ReadWrite);
    EXPECT_TRUE(finished.keptAside.isEmpty());
    EXPECT_EQ(store.Count(), 20001);
    EXPECT_TRUE(Aside(dir_.path()).isEmpty());
    // A journal this large is read for the holdings in two halves at once: in order all the same.
    EXPECT_EQ(store.ForHoldings(), ForHoldings(store.All()));
}

TEST_F(JournalStoreTest, AnEmptyFileIsAFreshJournal)
{
    ASSERT_TRUE(test::PutBytes(Path(), {}));
    JournalStore store;
    const auto opened = store.Open(Path());
    EXPECT_EQ(opened.state, Opened::ReadWrite);
    EXPECT_TRUE(opened.keptAside.isEmpty());
    EXPECT_TRUE(Aside(dir_.path()).isEmpty());
}

// A second program ----------------------------------------------------------------------------------

TEST_F(JournalStoreTest, ASecondProgramOnTheJournalOpensItReadOnly)
{
    {
        JournalStore store;
        ASSERT_EQ(store.Open(Path()).state, Opened::ReadWrite);
        auto entries = Draw(61, 20);
        ASSERT_EQ(store.Import(entries), Status::Ok);
    }
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t first = ::fork();
    if (first == 0) {
        JournalStore store;
        const bool ok = store.Open(Path()).state == Opened::ReadWrite;
        Entry e = Draw(62, 1).front();
        store.Add(e);  // a change of its own, in the log
        const char c = ok ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        ::pause();
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');

    JournalStore second;
    const auto opened = second.Open(Path(), 100);
    EXPECT_EQ(opened.state, Opened::ReadOnlyBusy);
    EXPECT_TRUE(second.IsReadOnly());
    EXPECT_EQ(second.Count(), 21) << "the first program's change is seen";
    Entry e = Draw(63, 1).front();
    EXPECT_EQ(second.Add(e), Status::ReadOnly);
    EXPECT_EQ(second.Remove(std::vector<std::int64_t>{1}), Status::ReadOnly);
    EXPECT_EQ(second.Count(), 21);
    EXPECT_TRUE(Aside(dir_.path()).isEmpty());

    // The first dies without closing: its lock is taken over.
    ::kill(first, SIGKILL);
    ::waitpid(first, nullptr, 0);
    second.Close();
    EXPECT_EQ(second.Open(Path(), 100).state, Opened::ReadWrite);
    EXPECT_EQ(second.Count(), 21);
    ::close(ready[0]);
    ::close(ready[1]);
}

// Versions -----------------------------------------------------------------------------------------

TEST_F(JournalStoreTest, AMigrationCopiesTheJournalAsideFirst)
{
    std::vector<Entry> entries = Draw(71, 200);
    {
        JournalStore store;
        ASSERT_EQ(store.Open(Path()).state, Opened::ReadWrite);
        ASSERT_EQ(store.Import(entries), Status::Ok);
    }
    JournalSchema next = CurrentJournalSchema();
    ++next.version;
    next.steps.push_back({QStringLiteral("ALTER TABLE entries ADD COLUMN broker TEXT NOT NULL DEFAULT ''")});

    // A step that fails: the journal stays as it was, at its version.
    JournalSchema broken = next;
    broken.steps.back().push_back(QStringLiteral("CREATE TABLE entries (x)"));
    {
        JournalStore store(broken);
        EXPECT_EQ(store.Open(Path()).state, Opened::Failed);
    }
    {
        JournalStore store;
        ASSERT_EQ(store.Open(Path()).state, Opened::ReadWrite) << "the failed migration changed the version";
        EXPECT_EQ(Content(store), entries);
    }
    const QString backup = Path() + QStringLiteral(".v%1.bak").arg(CurrentJournalSchema().version);
    ASSERT_TRUE(QFile::remove(backup));

    {
        JournalStore store(next);
        ASSERT_EQ(store.Open(Path()).state, Opened::ReadWrite) << store.LastError().toStdString();
        EXPECT_EQ(Content(store), entries);
        QSqlQuery q(QSqlDatabase::database(store.ConnectionName()));
        ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA user_version")) && q.next());
        EXPECT_EQ(q.value(0).toInt(), next.version);
    }
    ASSERT_TRUE(QFileInfo::exists(backup));
    EXPECT_EQ(IntegrityOf(backup), QStringLiteral("ok"));
    {
        // The copy is the old journal, whole: this program's version opens it as it was.
        QTemporaryDir other;
        const QString copy = other.filePath(QStringLiteral("journal.db"));
        ASSERT_TRUE(QFile::copy(backup, copy));
        JournalStore store;
        ASSERT_EQ(store.Open(copy).state, Opened::ReadWrite);
        EXPECT_EQ(Content(store), entries);
    }
    // Now newer than this program: shown, never changed.
    JournalStore older;
    EXPECT_EQ(older.Open(Path()).state, Opened::ReadOnlyNewer);
    EXPECT_EQ(Content(older), entries);
    Entry e = entries.front();
    EXPECT_EQ(older.Add(e), Status::ReadOnly);
}

TEST_F(JournalStoreTest, AJournalOfTheFirstVersionGainsSourcesAndKeepsItsEntries)
{
    std::vector<Entry> entries = Draw(72, 300);
    for (Entry& e : entries)
        e.source.clear();  // the first version had none
    {
        // A journal as the first version wrote it, row by row in its own columns.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v1"));
        db.setDatabaseName(Path());
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (const QString& sql : CurrentJournalSchema().steps.front())
            ASSERT_TRUE(q.exec(sql));
        ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA application_id = %1").arg(0x51434A4C)));
        ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA user_version = 1")));
        q.prepare(QStringLiteral("INSERT INTO entries (date, time, seconds, code, product, kind, price, quantity,"
                                 " amount, commission, commission_typed, stamp_duty, stamp_duty_typed, transfer_fee,"
                                 " transfer_fee_typed, other_fees, other_fees_typed, note)"
                                 " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (const Entry& e : entries) {
            int i = 0;
            for (const QVariant& v :
                 {QVariant(QString::fromStdString(e.date)), QVariant(QString::fromStdString(e.time)),
                  QVariant(journal::SecondsOfTime(e.time).value_or(-1)), QVariant(QString::fromStdString(e.code)),
                  QVariant(QString::fromStdString(e.product)), QVariant(static_cast<int>(e.kind)),
                  QVariant(static_cast<qlonglong>(e.price.Raw())), QVariant(static_cast<qlonglong>(e.quantity)),
                  QVariant(static_cast<qlonglong>(e.amount.Raw()))})
                q.bindValue(i++, v);
            for (const journal::Fee* fee : {&e.commission, &e.stampDuty, &e.transferFee, &e.otherFees}) {
                q.bindValue(i++, static_cast<qlonglong>(fee->value.Raw()));
                q.bindValue(i++, fee->typed ? 1 : 0);
            }
            q.bindValue(i++, QString::fromStdString(e.note));
            ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("v1"));

    JournalStore store;
    ASSERT_EQ(store.Open(Path()).state, Opened::ReadWrite) << store.LastError().toStdString();
    std::vector<Entry> kept = Content(store);
    ASSERT_EQ(kept.size(), entries.size());
    for (Entry& e : kept)
        e.id = 0;
    std::vector<Entry> oldestFirst = entries;
    std::stable_sort(oldestFirst.begin(), oldestFirst.end(), [](const Entry& a, const Entry& b) {
        return std::pair(a.date, journal::SecondsOfTime(a.time).value_or(-1)) <
               std::pair(b.date, journal::SecondsOfTime(b.time).value_or(-1));
    });
    EXPECT_EQ(kept, oldestFirst);
    EXPECT_TRUE(QFileInfo::exists(Path() + QStringLiteral(".v1.bak")));
    EXPECT_TRUE(store.Sources().empty());

    // The new column is written and read, and found by the imports that follow.
    std::vector<Entry> imported = Draw(73, 20);
    for (std::size_t i = 0; i < imported.size(); ++i)
        imported[i].source = "key" + std::to_string(i);
    ASSERT_EQ(store.Import(imported), Status::Ok);
    EXPECT_TRUE(store.HoldsSource("key7"));
    EXPECT_FALSE(store.HoldsSource("key20"));
    EXPECT_FALSE(store.HoldsSource(""));
    EXPECT_EQ(store.Sources().size(), imported.size());
    EXPECT_EQ(store.Get(imported[3].id)->source, "key3");
    const auto forHoldings = store.ForHoldings(imported[3].code);
    EXPECT_TRUE(std::any_of(forHoldings.begin(), forHoldings.end(),
                            [&](const Entry& e) { return e.source == "key3"; }));
}

} // namespace
} // namespace qcal::settings
