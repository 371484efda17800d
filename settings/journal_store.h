#pragma once
// The trade journal on disk: one SQLite file, journal.db, in the settings folder (beside QCAL.INI).
//
// What keeps the entries safe:
// - Every change is one transaction (BEGIN IMMEDIATE … COMMIT) in WAL mode with full syncs: a kill,
//   a crash or a full disk at any moment leaves the journal as it was before the change or as it
//   is after it, never in between. A change that fails is rolled back and reported.
// - At open the file is checked (PRAGMA quick_check). A file that is damaged, or is not a journal
//   (another program's database, any other file), is renamed journal.db.damaged-YYYYMMDD-HHMMSS
//   (never over an existing file) and a fresh journal is started; the caller tells the user where
//   the old file went. The check reads the whole file (about 0.4 s for a million entries), so a
//   window may have it run in the background while it shows the first entries: then every write
//   waits for it, and FinishCheck settles what it found.
// - The schema has a version (PRAGMA user_version). Opening a journal of an older version copies it
//   aside first (journal.db.v<N>.bak) and then migrates it in one transaction. A journal of a newer
//   version, written by a later program, is opened read-only.
// - A second copy of the program on the same journal waits briefly for the first's lock (an flock
//   on journal.db.lock) and then opens the journal read-only: it can show it, never write it. The
//   lock dies with its owner, however the owner ends.
//
// Money is kept exact: every figure is stored as Money's raw count of ten-thousandths.
//
// Writes go through Qt SQL. Reads step SQLite's statements on the same connection's native handle:
// Qt SQL turns every value of every row into a QVariant, which made reading a million entries take
// 1.7 s instead of a fraction of that.

#include <cstdint>
#include <future>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

#include <QString>
#include <QStringList>
#include <QVariant>

#include "core/journal.h"
#include "settings/ini_location.h"  // kJournalFileName

class QSqlQuery;
struct sqlite3;
struct sqlite3_stmt;

namespace qcal::settings {

class JournalLock;

// The journal's schema: its version and the steps that bring a file from each version to the
// next (step 0 creates a fresh journal). Tests hand in a longer list to try a migration.
struct JournalSchema {
    int version = 0;
    std::vector<QStringList> steps;  // steps[v]: the statements from version v to v + 1
};
const JournalSchema& CurrentJournalSchema();

class JournalStore {
public:
    enum class Opened {
        ReadWrite,
        ReadOnlyBusy,   // another program holds the journal
        ReadOnlyNewer,  // written by a later version of the program
        Failed,         // nothing could be opened (see error)
    };
    struct OpenResult {
        Opened state = Opened::Failed;
        QString keptAside;  // where a damaged or foreign file was moved, when one was
        QString error;      // for Failed: what went wrong, in SQLite's or the system's words
    };

    enum class Status {
        Ok,
        ReadOnly,       // the journal is open read-only, or not open
        WriteFailed,    // the disk refused (full, read-only, I/O error): nothing changed
        NotFound,       // no entry has that id
        NothingToUndo,
    };

    explicit JournalStore(JournalSchema schema = CurrentJournalSchema());
    ~JournalStore();
    JournalStore(const JournalStore&) = delete;
    JournalStore& operator=(const JournalStore&) = delete;

    enum class Verify { AtOnce, InBackground };

    // Opens (creating when missing) the journal file at path; busyMs is how long to wait for
    // another program's lock before opening read-only. With Verify::InBackground the file's full
    // check runs on a thread of its own after Open returns (see FinishCheck).
    OpenResult Open(const QString& path, int busyMs = 1500, Verify verify = Verify::AtOnce);
    // Whether a check started in the background is still running.
    bool CheckPending() const;
    // Waits for the background check and acts on it as Open would have: a damaged file is kept
    // aside and a fresh journal started (keptAside says where it went; the entries read before are
    // gone), or, when this program may not move it, the journal is closed (Failed). Without a
    // background check, the result of Open again, keptAside empty.
    OpenResult FinishCheck();
    void Close();
    bool IsOpen() const;
    bool IsReadOnly() const { return readOnly_; }
    QString Path() const { return path_; }
    // What the last failure was, in SQLite's words (for a log or a test's message).
    QString LastError() const { return lastError_; }

    // Reading. Newest first: by date, time and id, all descending.
    std::int64_t Count();
    std::vector<journal::Entry> Page(std::int64_t offset, int limit);
    // The page that follows `last` newest first (the rows older than it), as Page(offset of last + 1, …)
    // but without counting the rows before it.
    std::vector<journal::Entry> PageAfter(const journal::Entry& last, int limit);
    std::optional<journal::Entry> Get(std::int64_t id);
    // In the order the journal takes them (oldest first), for ComputeHoldings.
    std::vector<journal::Entry> All();
    std::vector<journal::Entry> OfCode(const std::string& code);
    // The same (of every code when code is empty) with only what ComputeHoldings reads: the four fees
    // summed into the commission, no note. Half the time of All() for a large journal.
    std::vector<journal::Entry> ForHoldings(const std::string& code = {});
    // Whether an entry was imported from the statement row of that duplicate key; and every such
    // key at once, for an import that asks about each of its rows (one read, not one per row).
    bool HoldsSource(const std::string& source);
    std::unordered_set<std::string> Sources();

    // Writing: each call is one transaction, and the last one can be undone. Add and Import give
    // the entries their ids.
    Status Add(journal::Entry& entry);
    Status Update(const journal::Entry& entry);
    Status Remove(std::span<const std::int64_t> ids);
    // Many entries at once, all or nothing (a statement's import).
    Status Import(std::vector<journal::Entry>& entries);
    // Undoes the last change, itself one transaction; one level, like the window's 撤销.
    Status Undo();
    bool CanUndo() const { return undo_.has_value(); }
    // The codes the last change touched (what the holdings must compute again after an undo).
    std::vector<std::string> UndoCodes();

    // The connection's name in Qt SQL (for the tests' pragmas and the benchmarks).
    QString ConnectionName() const { return connection_; }

private:
    // What undoes the last change: the entries to remove, and the entries to put back as they were.
    struct Inverse {
        std::vector<std::int64_t> remove;
        std::vector<journal::Entry> restore;
        std::int64_t replaced = 0;  // of the entries restored, those that replace one there now
    };

    OpenResult OpenFile(bool readOnly, Verify verify);
    OpenResult Restart(const QString& damage);
    bool Connect(bool readOnly);
    void Disconnect();
    // What the file's header says: a journal (its version), a fresh file, or damaged (not a journal,
    // not a database); an error other than damage leaves lastError_ set.
    enum class Check { Journal, Fresh, Damaged };
    Check Inspect(int& version);
    bool Migrate(int from);
    bool Configure();
    QString KeepAside();
    sqlite3* Handle() const;

    bool Begin();
    Status Commit();
    Status Fail();
    enum class Replacing { No, Yes };
    static std::string InsertSql(Replacing replacing);
    std::optional<std::int64_t> Insert(sqlite3_stmt* insert, const journal::Entry& entry, bool withId);
    // Runs a SELECT of the entries' columns followed by `tail`, binding integers and texts in turn.
    enum class RowReader { Entry, Holdings };
    std::vector<journal::Entry> Select(const char* tail, std::initializer_list<QVariant> values, std::size_t reserve = 0,
                                       RowReader reader = RowReader::Entry);

    JournalSchema schema_;
    QString path_;
    QString connection_;
    std::unique_ptr<JournalLock> lock_;
    bool readOnly_ = true;
    QString lastError_;
    std::optional<Inverse> undo_;
    std::optional<std::int64_t> count_;  // the entries, as the writer knows them
    OpenResult opened_;                // what Open found
    std::shared_future<QString> check_;  // the background check: empty when sound, else what it found
};

} // namespace qcal::settings
