// The statement reader on 100,000 rows: one broker's plain layout, and the noisy mix of layouts,
// quotes, signs and date forms that the reader's tests use.

#include <string>

#include <benchmark/benchmark.h>

#include "core/statement.h"
#include "statement_gen.h"

namespace {

void ReadStatement(benchmark::State& state, bool noisy)
{
    qcal::test::StatementShape shape;
    shape.rows = 100000;
    shape.noisy = noisy;
    const std::string text = qcal::test::GenerateStatement(shape).text;
    qcal::statement::ReadOptions options;
    for (auto _ : state) {
        const auto statement = qcal::statement::Read(text, options);
        benchmark::DoNotOptimize(statement.records.data());
        if (statement.records.size() < shape.rows)
            state.SkipWithError("rows lost");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["rows"] = static_cast<double>(shape.rows);
}

void BM_ReadStatement100kPlain(benchmark::State& state) { ReadStatement(state, false); }
void BM_ReadStatement100kNoisy(benchmark::State& state) { ReadStatement(state, true); }
BENCHMARK(BM_ReadStatement100kPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadStatement100kNoisy)->Unit(benchmark::kMillisecond);

} // namespace
