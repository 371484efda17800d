// The rates by date: looking up the row in force for a trade (every computation does it once per
// schedule), and reading the whole fee settings of a dated trade; in nanoseconds.

#include <benchmark/benchmark.h>

#include <string>

#include "core/rule_table.h"
#include "core/schedule.h"

namespace {

void RuleLookup(benchmark::State& state)
{
    const qcal::RuleTable& table = qcal::RuleTable::BuiltIn();
    const qcal::CivilDate date = *qcal::CivilDate::FromYmd(2023, 1, 10);
    for (auto _ : state)
        benchmark::DoNotOptimize(table.InForce(qcal::kSharesGroup, date));
}
BENCHMARK(RuleLookup)->Unit(benchmark::kNanosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void ReadDatedSchedule(benchmark::State& state)
{
    qcal::FeeSettings settings{"0.25", "1", std::string(qcal::kShanghai), qcal::FeeRules::Current};
    settings.tradeDate = "2023-01-10";
    settings.terms.feesOnTop = true;
    for (auto _ : state)
        benchmark::DoNotOptimize(qcal::ReadSchedule(settings));
}
BENCHMARK(ReadDatedSchedule)->Unit(benchmark::kNanosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
