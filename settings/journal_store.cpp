#include "settings/journal_store.h"

#include <atomic>
#include <cerrno>
#include <set>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qcal::settings {

namespace {

using journal::Entry;
using journal::Fee;
using journal::Kind;

// PRAGMA application_id of a journal: "QCJL". A database without it is some other program's.
constexpr int kApplicationId = 0x51434A4C;

// Kinds are stored by number: the order of journal::Kind, which must therefore never change.
static_assert(static_cast<int>(Kind::Buy) == 0 && static_cast<int>(Kind::Sell) == 1 &&
              static_cast<int>(Kind::CashDividend) == 2 && static_cast<int>(Kind::BonusShares) == 3 &&
              static_cast<int>(Kind::ReserveShares) == 4);

#define QCAL_JOURNAL_COLUMNS                                                                                     \
    "id, date, time, code, product, kind, price, quantity, amount, commission, commission_typed, stamp_duty, "     \
    "stamp_duty_typed, transfer_fee, transfer_fee_typed, other_fees, other_fees_typed, note, source"
// What the holdings read: 18 columns cost twice the time of these 10, a million entries at a time.
#define QCAL_HOLDINGS_COLUMNS \
    "id, date, time, code, product, kind, price, quantity, amount, commission + stamp_duty + transfer_fee + other_fees, " \
    "source"
#define QCAL_NEWEST_FIRST " ORDER BY date DESC, seconds DESC, id DESC"
#define QCAL_OLDEST_FIRST " ORDER BY date, seconds, id"

QString NextConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("qcal-journal-%1").arg(++counter);
}

// A name beside `base` that no file has yet: base, then base-2, base-3, …
QString FreeName(const QString& base)
{
    QString name = base;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo::exists(name + QStringLiteral("-wal")); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    return name;
}

} // namespace

// The journal's owner holds an exclusive flock on journal.db.lock for as long as it has the journal
// open. The kernel lets go of it when the owner exits in any way, a kill included, so a lock is
// never left behind (a lock file with the owner's process id would be, when the kill comes between
// creating the file and writing the id into it).
class JournalLock {
public:
    ~JournalLock()
    {
        if (fd_ >= 0)
            ::close(fd_);  // lets go of the lock
    }

    // Tries for busyMs; false when another holds it (or the file cannot be made).
    bool Acquire(const QString& path, int busyMs)
    {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0)
            return false;
        for (int waited = 0;; waited += 20) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
                return true;
            if (errno != EWOULDBLOCK || waited >= busyMs)
                return false;
            QThread::msleep(20);
        }
    }

private:
    int fd_ = -1;
};

namespace {

// A prepared statement of the connection's native handle, finalised when it goes.
class Statement {
public:
    Statement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            error_ = QString::fromUtf8(sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Bind(std::initializer_list<QVariant> values)
    {
        int i = 0;
        for (const QVariant& value : values) {
            ++i;
            const int rc = value.typeId() == QMetaType::QString
                               ? BindText(i, value.toString().toUtf8())
                               : sqlite3_bind_int64(stmt_, i, value.toLongLong());
            if (rc != SQLITE_OK)
                return false;
        }
        return true;
    }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int Step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
    sqlite3_stmt* get() const { return stmt_; }
    bool ok() const { return stmt_ != nullptr; }
    QString Error() const { return error_; }

private:
    int BindText(int i, const QByteArray& utf8)
    {
        return sqlite3_bind_text(stmt_, i, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    }

    sqlite3_stmt* stmt_ = nullptr;
    QString error_;
};

std::string TextOf(sqlite3_stmt* s, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(s, column))) : std::string();
}

// The columns both readings start with: an entry but for its fees and note.
Entry TradeFromRow(sqlite3_stmt* s)
{
    Entry e;
    e.id = sqlite3_column_int64(s, 0);
    e.date = TextOf(s, 1);
    e.time = TextOf(s, 2);
    e.code = TextOf(s, 3);
    e.product = TextOf(s, 4);
    e.kind = static_cast<Kind>(sqlite3_column_int(s, 5));
    e.price = Money::FromRaw(sqlite3_column_int64(s, 6));
    e.quantity = sqlite3_column_int64(s, 7);
    e.amount = Money::FromRaw(sqlite3_column_int64(s, 8));
    return e;
}

// An entry from a row of QCAL_JOURNAL_COLUMNS.
Entry FromRow(sqlite3_stmt* s)
{
    const auto fee = [s](int value) {
        return Fee{Money::FromRaw(sqlite3_column_int64(s, value)), sqlite3_column_int(s, value + 1) != 0};
    };
    Entry e = TradeFromRow(s);
    e.commission = fee(9);
    e.stampDuty = fee(11);
    e.transferFee = fee(13);
    e.otherFees = fee(15);
    e.note = TextOf(s, 17);
    e.source = TextOf(s, 18);
    return e;
}

// What ComputeHoldings reads of an entry, from a row of QCAL_HOLDINGS_COLUMNS: the fees come summed.
Entry HoldingsFromRow(sqlite3_stmt* s)
{
    Entry e = TradeFromRow(s);
    e.commission.value = Money::FromRaw(sqlite3_column_int64(s, 9));
    e.source = TextOf(s, 10);
    return e;
}

QString Text(const std::string& s) { return QString::fromStdString(s); }

// SQLite's full check of the file on a read-only connection of its own (any thread): empty when
// it is sound, else what is wrong with it.
QString QuickCheck(const QString& path)
{
    sqlite3* db = nullptr;
    QString verdict;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        verdict = QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        sqlite3_busy_timeout(db, 5000);
        Statement check(db, "PRAGMA quick_check");
        const int rc = check.Step();
        if (rc != SQLITE_ROW)
            verdict = check.ok() ? QString::fromUtf8(sqlite3_errmsg(db)) : check.Error();
        else if (TextOf(check.get(), 0) != "ok")
            verdict = QString::fromStdString(TextOf(check.get(), 0));
        if (verdict.isEmpty() && rc != SQLITE_ROW)
            verdict = QStringLiteral("quick_check failed");
    }
    sqlite3_close(db);
    return verdict;
}

// What a SELECT of entries read, and what stopped it when it failed.
struct Rows {
    std::vector<Entry> entries;
    QString error;
};

// Runs a SELECT of the entries' columns (all of them, or what the holdings read) followed by `tail`
// on the connection, binding integers and texts in turn.
Rows ReadRows(sqlite3* db, bool forHoldings, const char* tail, std::initializer_list<QVariant> values, std::size_t reserve)
{
    Rows rows;
    const char* columns = forHoldings ? QCAL_HOLDINGS_COLUMNS : QCAL_JOURNAL_COLUMNS;
    Statement select(db, (std::string("SELECT ") + columns + " FROM entries" + tail).c_str());
    if (!select.ok() || !select.Bind(values)) {
        rows.error = select.ok() ? QString::fromUtf8(sqlite3_errmsg(db)) : select.Error();
        return rows;
    }
    rows.entries.reserve(reserve);
    const auto decode = forHoldings ? HoldingsFromRow : FromRow;
    int rc = SQLITE_ROW;
    while ((rc = select.Step()) == SQLITE_ROW)
        rows.entries.push_back(decode(select.get()));
    if (rc != SQLITE_DONE)
        rows.error = QString::fromUtf8(sqlite3_errmsg(db));
    return rows;
}

// The same on a read-only connection of its own, for another thread.
Rows ReadRowsApart(const QString& path, const char* tail, const std::string& value, std::size_t reserve)
{
    sqlite3* db = nullptr;
    Rows rows;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) ==
        SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        rows = ReadRows(db, true, tail, {QString::fromStdString(value)}, reserve);
    } else {
        rows.error = QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_close(db);
    return rows;
}

} // namespace

const JournalSchema& CurrentJournalSchema()
{
    static const JournalSchema schema{
        2,
        {
            // 0 → 1: the journal as first made.
            {QStringLiteral("CREATE TABLE entries ("
                            " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                            " date TEXT NOT NULL,"
                            " time TEXT NOT NULL DEFAULT '',"
                            " seconds INTEGER NOT NULL,"  // of time, -1 for none: the order within a day
                            " code TEXT NOT NULL,"
                            " product TEXT NOT NULL,"
                            " kind INTEGER NOT NULL CHECK (kind BETWEEN 0 AND 4),"
                            " price INTEGER NOT NULL,"
                            " quantity INTEGER NOT NULL,"
                            " amount INTEGER NOT NULL,"
                            " commission INTEGER NOT NULL, commission_typed INTEGER NOT NULL,"
                            " stamp_duty INTEGER NOT NULL, stamp_duty_typed INTEGER NOT NULL,"
                            " transfer_fee INTEGER NOT NULL, transfer_fee_typed INTEGER NOT NULL,"
                            " other_fees INTEGER NOT NULL, other_fees_typed INTEGER NOT NULL,"
                            " note TEXT NOT NULL DEFAULT '')"),
             QStringLiteral("CREATE INDEX entries_by_date ON entries (date, seconds, id)"),
             QStringLiteral("CREATE INDEX entries_by_code ON entries (code, date, seconds, id)")},
            // 1 → 2: the statement row an entry was imported from (its duplicate key), looked up by
            // every import.
            {QStringLiteral("ALTER TABLE entries ADD COLUMN source TEXT NOT NULL DEFAULT ''"),
             QStringLiteral("CREATE INDEX entries_by_source ON entries (source)")},
        }};
    return schema;
}

JournalStore::JournalStore(JournalSchema schema) : schema_(std::move(schema)) {}

JournalStore::~JournalStore() { Close(); }

bool JournalStore::IsOpen() const { return !connection_.isEmpty(); }

void JournalStore::Close()
{
    if (check_.valid())
        check_.wait();
    check_ = {};
    Disconnect();
    undo_.reset();
    count_.reset();
    readOnly_ = true;
    lock_.reset();
}

void JournalStore::Disconnect()
{
    if (connection_.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
    connection_.clear();
}

bool JournalStore::Connect(bool readOnly)
{
    Disconnect();
    connection_ = NextConnectionName();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.setDatabaseName(path_);
    // The busy timeout covers the moments a reader and the writer meet; the lock decides who writes.
    db.setConnectOptions(readOnly ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000")
                                  : QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!db.open() || !Handle()) {
        lastError_ = db.isOpen() ? QStringLiteral("no SQLite handle") : db.lastError().text();
        Disconnect();
        return false;
    }
    return true;
}

sqlite3* JournalStore::Handle() const
{
    if (connection_.isEmpty())
        return nullptr;
    const QVariant handle = QSqlDatabase::database(connection_, false).driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

JournalStore::OpenResult JournalStore::Open(const QString& path, int busyMs, Verify verify)
{
    Close();
    lastError_.clear();
    path_ = QFileInfo(path).absoluteFilePath();
    const QString directory = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(directory))
        return {Opened::Failed, {}, QStringLiteral("cannot create ") + directory};

    lock_ = std::make_unique<JournalLock>();
    const bool owner = lock_->Acquire(path_ + QStringLiteral(".lock"), busyMs);
    if (!owner)
        lock_.reset();
    OpenResult result = OpenFile(!owner, verify);
    if (result.state == Opened::Failed)
        Close();
    else if (!owner)
        result.state = Opened::ReadOnlyBusy;
    opened_ = result;
    opened_.keptAside.clear();
    return result;
}

JournalStore::OpenResult JournalStore::OpenFile(bool readOnly, Verify verify)
{
    readOnly_ = true;
    if (readOnly && !QFileInfo::exists(path_))
        return {Opened::Failed, {}, QStringLiteral("no journal yet at ") + path_};
    if (!Connect(readOnly))
        return {Opened::Failed, {}, lastError_};
    int version = 0;
    const Check check = Inspect(version);
    if (check == Check::Damaged)
        return readOnly ? OpenResult{Opened::Failed, {}, lastError_} : Restart(lastError_);
    if (!lastError_.isEmpty())
        return {Opened::Failed, {}, lastError_};
    // Only the owner of a journal of this version checks it in the background: a migration, and a
    // second program's look, wait for the check, since neither may act on a damaged file.
    const bool later =
        check == Check::Journal && verify == Verify::InBackground && !readOnly && version == schema_.version;
    if (check == Check::Journal && !later) {
        if (const QString damage = QuickCheck(path_); !damage.isEmpty())
            return readOnly ? OpenResult{Opened::Failed, {}, damage} : Restart(damage);
    }
    if (readOnly)
        return {version > schema_.version ? Opened::ReadOnlyNewer : Opened::ReadOnlyBusy, {}, {}};
    if (version > schema_.version) {
        // A later program's journal: shown, never changed by this one.
        if (!Connect(true))
            return {Opened::Failed, {}, lastError_};
        return {Opened::ReadOnlyNewer, {}, {}};
    }
    if (!Configure() || (version < schema_.version && !Migrate(version)))
        return {Opened::Failed, {}, lastError_};
    // Started once the journal mode is set: switching it needs the file to itself.
    if (later)
        check_ = std::async(std::launch::async, QuickCheck, path_).share();
    readOnly_ = false;
    return {Opened::ReadWrite, {}, {}};
}

// The file is damaged: kept aside, and a fresh journal started in its place.
JournalStore::OpenResult JournalStore::Restart(const QString& damage)
{
    lastError_ = damage;
    count_.reset();
    const QString aside = KeepAside();
    if (aside.isEmpty())
        return {Opened::Failed, {}, lastError_};
    OpenResult fresh = OpenFile(false, Verify::AtOnce);
    fresh.keptAside = aside;
    return fresh;
}

bool JournalStore::CheckPending() const
{
    return check_.valid() && check_.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

JournalStore::OpenResult JournalStore::FinishCheck()
{
    if (!check_.valid())
        return opened_;
    const QString damage = check_.get();
    check_ = {};
    if (damage.isEmpty())
        return opened_;
    undo_.reset();
    OpenResult result = lock_ ? Restart(damage) : OpenResult{Opened::Failed, {}, damage};
    if (result.state == Opened::Failed)
        Close();
    opened_ = result;
    opened_.keptAside.clear();
    return result;
}

JournalStore::Check JournalStore::Inspect(int& version)
{
    lastError_.clear();
    Statement header(Handle(), "SELECT (SELECT application_id FROM pragma_application_id),"
                               " (SELECT user_version FROM pragma_user_version),"
                               " (SELECT count(*) FROM sqlite_master)");
    const int rc = header.Step();
    if (rc != SQLITE_ROW) {
        lastError_ = header.ok() ? QString::fromUtf8(sqlite3_errmsg(Handle())) : header.Error();
        const int code = sqlite3_errcode(Handle()) & 0xff;
        return code == SQLITE_CORRUPT || code == SQLITE_NOTADB ? Check::Damaged : Check::Journal;
    }
    const auto id = sqlite3_column_int64(header.get(), 0);
    version = sqlite3_column_int(header.get(), 1);
    const auto objects = sqlite3_column_int64(header.get(), 2);
    if (id == kApplicationId)
        return Check::Journal;
    if (id == 0 && version == 0 && objects == 0)
        return Check::Fresh;
    lastError_ = QStringLiteral("not a journal (application_id %1)").arg(id);
    return Check::Damaged;
}

QString JournalStore::KeepAside()
{
    Disconnect();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString aside = FreeName(path_ + QStringLiteral(".damaged-") + stamp);
    if (!QFile::rename(path_, aside)) {
        lastError_ = QStringLiteral("cannot rename ") + path_;
        return {};
    }
    // What SQLite kept beside it belongs to it: its log goes along, its shared memory index is rebuilt.
    for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-journal")}) {
        if (QFileInfo::exists(path_ + suffix))
            QFile::rename(path_ + suffix, aside + suffix);
    }
    QFile::remove(path_ + QStringLiteral("-shm"));
    return aside;
}

bool JournalStore::Configure()
{
    QSqlQuery q(QSqlDatabase::database(connection_));
    // Full syncs: a change reported saved is on the disk, even through a power cut.
    // A page cache of up to 64 MiB: with SQLite's 2 MiB, a transaction of 100,000 entries spilled
    // the pages of its indexes into the log again and again (190,000 page writes instead of 10,000).
    for (const char* pragma : {"PRAGMA journal_mode = WAL", "PRAGMA synchronous = FULL", "PRAGMA foreign_keys = ON",
                               "PRAGMA cache_size = -65536"}) {
        if (!q.exec(QString::fromLatin1(pragma))) {
            lastError_ = q.lastError().text();
            return false;
        }
    }
    return true;
}

bool JournalStore::Migrate(int from)
{
    QSqlDatabase db = QSqlDatabase::database(connection_);
    QSqlQuery q(db);
    if (from > 0) {
        // The journal as it was, whole and consistent (the log folded in), before anything changes.
        q.prepare(QStringLiteral("VACUUM INTO ?"));
        q.addBindValue(FreeName(path_ + QStringLiteral(".v%1.bak").arg(from)));
        if (!q.exec()) {
            lastError_ = q.lastError().text();
            return false;
        }
    }
    if (!Begin())
        return false;
    for (int v = from; v < schema_.version; ++v) {
        for (const QString& sql : schema_.steps[static_cast<std::size_t>(v)]) {
            if (!q.exec(sql)) {
                Fail();
                return false;
            }
        }
    }
    if (!q.exec(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId)) ||
        !q.exec(QStringLiteral("PRAGMA user_version = %1").arg(schema_.version))) {
        Fail();
        return false;
    }
    return Commit() == Status::Ok;
}

// Transactions -------------------------------------------------------------------------------------

bool JournalStore::Begin()
{
    // Nothing is written into a file before its check has found it sound.
    if (check_.valid() && !check_.get().isEmpty()) {
        lastError_ = check_.get();
        return false;
    }
    QSqlQuery q(QSqlDatabase::database(connection_));
    if (q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return true;
    lastError_ = q.lastError().text();
    return false;
}

JournalStore::Status JournalStore::Commit()
{
    QSqlQuery q(QSqlDatabase::database(connection_));
    if (q.exec(QStringLiteral("COMMIT")))
        return Status::Ok;
    lastError_ = q.lastError().text();
    q.exec(QStringLiteral("ROLLBACK"));
    return Status::WriteFailed;
}

JournalStore::Status JournalStore::Fail()
{
    QSqlQuery q(QSqlDatabase::database(connection_));
    q.exec(QStringLiteral("ROLLBACK"));
    return Status::WriteFailed;
}

// The INSERT of an entry's columns. OR REPLACE only where an entry is put back under its id: it
// makes SQLite keep a copy of every page an insert touches (a statement journal), which made an
// import of 100,000 entries write 2 GB of copies.
std::string JournalStore::InsertSql(Replacing replacing)
{
    return std::string(replacing == Replacing::Yes ? "INSERT OR REPLACE" : "INSERT") +
           " INTO entries (" QCAL_JOURNAL_COLUMNS ", seconds) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?,"
           " ?, ?, ?)";
}

// Writes the entry (with its own id, replacing the entry of that id, or with a new one) through the
// native handle: Qt SQL's QVariant and UTF-16 round trip of every value cost more than SQLite's
// work on an import. Its id, or nullopt when the write failed.
std::optional<std::int64_t> JournalStore::Insert(sqlite3_stmt* s, const Entry& e, bool withId)
{
    if (!s) {
        lastError_ = QString::fromUtf8(sqlite3_errmsg(Handle()));
        return std::nullopt;
    }
    sqlite3_reset(s);
    int i = 0;
    const auto text = [s, &i](const std::string& t) {
        sqlite3_bind_text(s, ++i, t.data(), static_cast<int>(t.size()), SQLITE_STATIC);
    };
    const auto number = [s, &i](std::int64_t n) { sqlite3_bind_int64(s, ++i, n); };
    if (withId)
        number(e.id);
    else
        sqlite3_bind_null(s, ++i);
    text(e.date);
    text(e.time);
    text(e.code);
    text(e.product);
    number(static_cast<int>(e.kind));
    number(e.price.Raw());
    number(e.quantity);
    number(e.amount.Raw());
    for (const Fee* fee : {&e.commission, &e.stampDuty, &e.transferFee, &e.otherFees}) {
        number(fee->value.Raw());
        number(fee->typed ? 1 : 0);
    }
    text(e.note);
    text(e.source);
    number(journal::SecondsOfTime(e.time).value_or(-1));
    const int rc = sqlite3_step(s);
    sqlite3_clear_bindings(s);
    if (rc != SQLITE_DONE) {
        lastError_ = QString::fromUtf8(sqlite3_errmsg(Handle()));
        sqlite3_reset(s);
        return std::nullopt;
    }
    return sqlite3_last_insert_rowid(Handle());
}

// Reading ------------------------------------------------------------------------------------------

std::vector<Entry> JournalStore::Select(const char* tail, std::initializer_list<QVariant> values, std::size_t reserve,
                                        RowReader reader)
{
    if (!IsOpen())
        return {};
    Rows rows = ReadRows(Handle(), reader == RowReader::Holdings, tail, values, reserve);
    if (!rows.error.isEmpty())
        lastError_ = rows.error;
    return std::move(rows.entries);
}

std::int64_t JournalStore::Count()
{
    if (!IsOpen())
        return 0;
    // Counting reads a whole index (10 ms for a million entries); the writer keeps the count as it
    // writes. A reader counts each time: the owner may have written since.
    if (count_ && !readOnly_)
        return *count_;
    Statement count(Handle(), "SELECT count(*) FROM entries");
    if (count.Step() != SQLITE_ROW) {
        lastError_ = QString::fromUtf8(sqlite3_errmsg(Handle()));
        return 0;
    }
    count_ = sqlite3_column_int64(count.get(), 0);
    return *count_;
}

std::vector<Entry> JournalStore::Page(std::int64_t offset, int limit)
{
    return Select(QCAL_NEWEST_FIRST " LIMIT ? OFFSET ?", {limit, static_cast<qlonglong>(offset)});
}

std::vector<Entry> JournalStore::PageAfter(const Entry& last, int limit)
{
    return Select(" WHERE (date, seconds, id) < (?, ?, ?)" QCAL_NEWEST_FIRST " LIMIT ?",
                  {Text(last.date), journal::SecondsOfTime(last.time).value_or(-1), static_cast<qlonglong>(last.id),
                   limit});
}

std::optional<Entry> JournalStore::Get(std::int64_t id)
{
    auto found = Select(" WHERE id = ?", {static_cast<qlonglong>(id)});
    if (found.empty())
        return std::nullopt;
    return std::move(found.front());
}

std::vector<Entry> JournalStore::All()
{
    return Select(QCAL_OLDEST_FIRST, {}, static_cast<std::size_t>(Count()));
}

std::vector<Entry> JournalStore::OfCode(const std::string& code)
{
    return Select(" WHERE code = ?" QCAL_OLDEST_FIRST, {Text(code)});
}

std::vector<Entry> JournalStore::ForHoldings(const std::string& code)
{
    if (!code.empty())
        return Select(" WHERE code = ?" QCAL_OLDEST_FIRST, {Text(code)}, 0, RowReader::Holdings);
    const auto count = static_cast<std::size_t>(Count());
    if (count < 10000)
        return Select(QCAL_OLDEST_FIRST, {}, count, RowReader::Holdings);
    // Reading is most of the time a large journal takes: the later half by date is read at the same
    // time on a second connection. No write comes between the two: writes are this thread's.
    Statement middle(Handle(), "SELECT date FROM entries ORDER BY date LIMIT 1 OFFSET ?");
    if (!middle.Bind({static_cast<qlonglong>(count / 2)}) || middle.Step() != SQLITE_ROW)
        return Select(QCAL_OLDEST_FIRST, {}, count, RowReader::Holdings);
    const std::string date = TextOf(middle.get(), 0);
    auto later = std::async(std::launch::async, ReadRowsApart, path_, " WHERE date >= ?" QCAL_OLDEST_FIRST, date, count / 2);
    Rows earlier = ReadRows(Handle(), true, " WHERE date < ?" QCAL_OLDEST_FIRST, {Text(date)}, count);
    Rows rest = later.get();
    if (!earlier.error.isEmpty() || !rest.error.isEmpty()) {
        lastError_ = earlier.error.isEmpty() ? rest.error : earlier.error;
        return Select(QCAL_OLDEST_FIRST, {}, count, RowReader::Holdings);
    }
    earlier.entries.insert(earlier.entries.end(), std::make_move_iterator(rest.entries.begin()),
                           std::make_move_iterator(rest.entries.end()));
    return std::move(earlier.entries);
}

bool JournalStore::HoldsSource(const std::string& source)
{
    if (!IsOpen() || source.empty())
        return false;
    Statement find(Handle(), "SELECT 1 FROM entries WHERE source = ? LIMIT 1");
    return find.Bind({Text(source)}) && find.Step() == SQLITE_ROW;
}

std::unordered_set<std::string> JournalStore::Sources()
{
    std::unordered_set<std::string> sources;
    if (!IsOpen())
        return sources;
    Statement all(Handle(), "SELECT source FROM entries WHERE source != ''");
    int rc = SQLITE_ROW;
    while ((rc = all.Step()) == SQLITE_ROW)
        sources.insert(TextOf(all.get(), 0));
    if (rc != SQLITE_DONE)
        lastError_ = QString::fromUtf8(sqlite3_errmsg(Handle()));
    return sources;
}

// Writing ------------------------------------------------------------------------------------------

JournalStore::Status JournalStore::Add(Entry& entry)
{
    std::vector<Entry> one{entry};
    const Status status = Import(one);
    if (status == Status::Ok)
        entry.id = one.front().id;
    return status;
}

JournalStore::Status JournalStore::Import(std::vector<Entry>& entries)
{
    if (readOnly_ || !IsOpen())
        return Status::ReadOnly;
    if (!Begin())
        return Status::WriteFailed;
    Inverse inverse;
    inverse.remove.reserve(entries.size());
    Statement insert(Handle(), InsertSql(Replacing::No).c_str());
    for (const Entry& e : entries) {
        const auto id = Insert(insert.get(), e, false);
        if (!id)
            return Fail();
        inverse.remove.push_back(*id);
    }
    const Status status = Commit();
    if (status != Status::Ok)
        return status;
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i].id = inverse.remove[i];
    if (count_)
        *count_ += static_cast<std::int64_t>(entries.size());
    undo_ = std::move(inverse);
    return status;
}

JournalStore::Status JournalStore::Update(const Entry& entry)
{
    if (readOnly_ || !IsOpen())
        return Status::ReadOnly;
    if (!Begin())
        return Status::WriteFailed;
    auto old = Get(entry.id);
    if (!old) {
        Fail();
        return Status::NotFound;
    }
    Statement insert(Handle(), InsertSql(Replacing::Yes).c_str());
    if (!Insert(insert.get(), entry, true))
        return Fail();
    const Status status = Commit();
    if (status == Status::Ok)
        undo_ = Inverse{{}, {std::move(*old)}, 1};
    return status;
}

JournalStore::Status JournalStore::Remove(std::span<const std::int64_t> ids)
{
    if (readOnly_ || !IsOpen())
        return Status::ReadOnly;
    if (!Begin())
        return Status::WriteFailed;
    Inverse inverse;
    QSqlQuery remove(QSqlDatabase::database(connection_));
    remove.prepare(QStringLiteral("DELETE FROM entries WHERE id = ?"));
    for (const std::int64_t id : ids) {
        auto old = Get(id);
        if (!old) {
            Fail();
            return Status::NotFound;
        }
        inverse.restore.push_back(std::move(*old));
        remove.bindValue(0, static_cast<qlonglong>(id));
        if (!remove.exec()) {
            lastError_ = remove.lastError().text();
            return Fail();
        }
    }
    const Status status = Commit();
    if (status == Status::Ok) {
        if (count_)
            *count_ -= static_cast<std::int64_t>(ids.size());
        undo_ = std::move(inverse);
    }
    return status;
}

JournalStore::Status JournalStore::Undo()
{
    if (readOnly_ || !IsOpen())
        return Status::ReadOnly;
    if (!undo_)
        return Status::NothingToUndo;
    if (!Begin())
        return Status::WriteFailed;
    QSqlQuery remove(QSqlDatabase::database(connection_));
    remove.prepare(QStringLiteral("DELETE FROM entries WHERE id = ?"));
    for (const std::int64_t id : undo_->remove) {
        remove.bindValue(0, static_cast<qlonglong>(id));
        if (!remove.exec()) {
            lastError_ = remove.lastError().text();
            return Fail();
        }
    }
    Statement insert(Handle(), InsertSql(Replacing::Yes).c_str());
    for (const Entry& e : undo_->restore) {
        if (!Insert(insert.get(), e, true))
            return Fail();
    }
    const Status status = Commit();
    if (status == Status::Ok) {
        if (count_)
            *count_ += static_cast<std::int64_t>(undo_->restore.size()) - undo_->replaced -
                       static_cast<std::int64_t>(undo_->remove.size());
        undo_.reset();
    }
    return status;
}

std::vector<std::string> JournalStore::UndoCodes()
{
    std::set<std::string> codes;
    if (undo_) {
        for (const std::int64_t id : undo_->remove) {
            if (auto e = Get(id))
                codes.insert(e->code);
        }
        for (const Entry& e : undo_->restore) {
            codes.insert(e.code);
            if (auto now = Get(e.id))
                codes.insert(now->code);
        }
    }
    return {codes.begin(), codes.end()};
}

} // namespace qcal::settings
