// The trade journal of a million entries on the build directory's disk: opening the journal window
// until its first screen is painted, recomputing every holding, and adding a trade (to the store,
// and through the window with its checks and its table). The journal is made once, beside the
// benchmark program (journal-bench/journal.db), and reused while it holds the million.

#include <random>

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include <benchmark/benchmark.h>

#include "core/journal.h"
#include "settings/journal_store.h"
#include "tests/core/journal_draw.h"
#include "ui/main/form1.h"
#include "ui/tools/form9.h"
#include "ui/tools/journal_model.h"
#include "ui/tools/side_windows.h"

namespace {

using qcal::journal::Entry;
using qcal::settings::JournalStore;

constexpr std::int64_t kEntries = 1000000;

// The directory of QCAL.INI and journal.db, the journal filled when it is not yet.
QString JournalDirectory()
{
    static const QString dir = [] {
        const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("journal-bench"));
        QDir().mkpath(path);
        JournalStore store;
        store.Open(QDir(path).filePath(QStringLiteral("journal.db")));
        if (store.Count() != kEntries) {
            store.Close();
            for (const char* suffix : {"", "-wal", "-shm"})
                QFile::remove(QDir(path).filePath(QStringLiteral("journal.db") + QString::fromLatin1(suffix)));
            store.Open(QDir(path).filePath(QStringLiteral("journal.db")));
            // About ten years of trading days, a thousand codes, a few hundred entries a day.
            std::mt19937_64 rng(1);
            std::vector<Entry> entries = qcal::test::DrawJournal(rng, {kEntries, 1000, 10000, 3, 3, false});
            for (Entry& e : entries)
                e.id = 0;
            store.Import(entries);
        }
        return path;
    }();
    return dir;
}

// Opening the window and painting its first screen; closing it is not counted.
void JournalWindow_OpenFirstScreen(benchmark::State& state)
{
    qcal::ui::Form1 form(JournalDirectory());
    form.show();
    for (auto _ : state) {
        auto* window = qobject_cast<qcal::ui::Form9*>(qcal::ui::OpenSideWindow(form, qcal::ui::JournalWindow));
        window->grab();  // paints the window and its table
        benchmark::DoNotOptimize(window->Model().rowCount());
        state.PauseTiming();
        if (window->Model().rowCount() != kEntries)
            state.SkipWithError("the journal is not all there");
        window->Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

// Reading every entry and computing every code's holdings, as the holdings tab does first.
void Journal_RecomputeAllHoldings(benchmark::State& state)
{
    JournalStore store;
    store.Open(QDir(JournalDirectory()).filePath(QStringLiteral("journal.db")));
    for (auto _ : state) {
        const qcal::journal::Holdings holdings = qcal::journal::ComputeHoldings(store.ForHoldings());
        if (holdings.refusal)
            state.SkipWithError("refused");
        benchmark::DoNotOptimize(holdings);
    }
}

// One trade into the million, one transaction synced to the disk; undone outside the timing.
void Journal_AddTrade(benchmark::State& state)
{
    JournalStore store;
    store.Open(QDir(JournalDirectory()).filePath(QStringLiteral("journal.db")));
    Entry trade = store.Page(0, 1).front();
    trade.id = 0;
    for (auto _ : state) {
        Entry e = trade;
        if (store.Add(e) != JournalStore::Status::Ok)
            state.SkipWithError("not added");
        state.PauseTiming();
        store.Undo();
        state.ResumeTiming();
    }
}

// The same through the window: the frame read, the fees computed, the code's holdings checked,
// the entry written and the table shown anew.
void JournalWindow_AddTrade(benchmark::State& state)
{
    qcal::ui::Form1 form(JournalDirectory());
    auto* window = qobject_cast<qcal::ui::Form9*>(qcal::ui::OpenSideWindow(form, qcal::ui::JournalWindow));
    window->Store().FinishCheck();
    const Entry newest = window->Store().Page(0, 1).front();
    // On the newest entry's day: a buy before later bonus shares credited would not add up.
    window->EntryDate()->setDate(QDate::fromString(QString::fromStdString(newest.date), Qt::ISODate));
    window->Text(qcal::journal::Code)->setText(QString::fromStdString(newest.code));
    window->Text(qcal::journal::Price)->setText(QStringLiteral("10"));
    window->Text(qcal::journal::Quantity)->setText(QStringLiteral("100"));
    for (auto _ : state) {
        window->Command(3)->click();
        window->grab();
        state.PauseTiming();
        if (window->Model().rowCount() != kEntries + 1)
            state.SkipWithError("not added");
        window->Command(2)->click();
        state.ResumeTiming();
    }
    window->Unload();
}

BENCHMARK(JournalWindow_OpenFirstScreen)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(Journal_RecomputeAllHoldings)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(Journal_AddTrade)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(JournalWindow_AddTrade)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
