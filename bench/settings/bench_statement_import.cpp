// A statement of 100,000 trades imported into an empty journal on the build directory's disk, the
// whole of what `qcal --import` does after reading the file: the text read, the import planned
// against the journal's keys, the entries written in one transaction, and every fee audited.

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "core/fee_audit.h"
#include "core/statement_import.h"
#include "settings/journal_store.h"
#include "tests/core/statement_gen.h"

namespace {

void BM_ImportStatement100k(benchmark::State& state)
{
    qcal::test::StatementShape shape;
    shape.rows = 100000;
    shape.noisy = false;
    const std::string text = qcal::test::GenerateStatement(shape).text;
    qcal::FeeSettings broker;
    broker.rules = qcal::FeeRules::Current;
    broker.commission = "0.25";
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/import-XXXXXX"));
        qcal::settings::JournalStore store;
        store.Open(dir.filePath(QStringLiteral("journal.db")));
        state.ResumeTiming();

        const auto statement = qcal::statement::Read(text);
        const auto sources = store.Sources();
        const qcal::statement::JournalView view{[&sources](const std::string& key) { return sources.count(key) > 0; },
                                                [&store](const std::string& code) { return store.ForHoldings(code); }};
        const auto plan = qcal::statement::PlanImport(statement, broker, view);
        auto entries = plan.Entries();
        if (store.Import(entries) != qcal::settings::JournalStore::Status::Ok)
            state.SkipWithError("the import failed");
        const auto audit = qcal::audit::AuditFees(entries, broker);
        benchmark::DoNotOptimize(audit.summary.trades);
        if (plan.trades < shape.rows * 9 / 10)
            state.SkipWithError("rows lost");

        state.PauseTiming();
        store.Close();
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(shape.rows);
}
BENCHMARK(BM_ImportStatement100k)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace
