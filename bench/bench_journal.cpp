// Recomputing the holdings of a journal of a million entries: a thousand codes in date order (as
// the store reads them), the same shuffled, and one code with half a million lots held while half
// a million dividends are paid.

#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "core/journal.h"
#include "journal_draw.h"

namespace {

using qcal::journal::Entry;

std::vector<Entry> ThousandCodes(bool shuffle)
{
    std::mt19937_64 rng(1);
    // About ten years of trading days, a few hundred entries a day.
    return qcal::test::DrawJournal(rng, {1000000, 1000, 10000, 3, 3, shuffle});
}

std::vector<Entry> ManyLotsManyDividends()
{
    std::mt19937_64 rng(2);
    std::vector<Entry> entries = qcal::test::DrawJournal(rng, {500000, 1, 1000, 3, 3, false});
    for (Entry& e : entries) {  // every one a buy: the lots pile up
        if (e.kind != qcal::journal::Kind::Buy) {
            e.kind = qcal::journal::Kind::Buy;
            e.quantity = 100;
            e.price = qcal::Money::FromWhole(10);
            e.amount = qcal::Money::FromWhole(1000);
        }
    }
    Entry dividend = entries.back();
    dividend.kind = qcal::journal::Kind::CashDividend;
    dividend.price = qcal::Money::FromRaw(1234);
    for (int i = 0; i < 500000; ++i) {
        dividend.id = static_cast<std::int64_t>(entries.size()) + 1;
        entries.push_back(dividend);
    }
    return entries;
}

void Run(benchmark::State& state, const std::vector<Entry>& entries)
{
    for (auto _ : state) {
        const qcal::journal::Holdings holdings = qcal::journal::ComputeHoldings(entries);
        if (holdings.refusal)
            state.SkipWithError("refused");
        benchmark::DoNotOptimize(holdings);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(entries.size()));
}

void BM_Journal_ThousandCodes_InOrder(benchmark::State& state)
{
    static const std::vector<Entry> entries = ThousandCodes(false);
    Run(state, entries);
}
BENCHMARK(BM_Journal_ThousandCodes_InOrder)->Unit(benchmark::kMillisecond);

void BM_Journal_ThousandCodes_Shuffled(benchmark::State& state)
{
    static const std::vector<Entry> entries = ThousandCodes(true);
    Run(state, entries);
}
BENCHMARK(BM_Journal_ThousandCodes_Shuffled)->Unit(benchmark::kMillisecond);

void BM_Journal_ManyLotsManyDividends(benchmark::State& state)
{
    static const std::vector<Entry> entries = ManyLotsManyDividends();
    Run(state, entries);
}
BENCHMARK(BM_Journal_ManyLotsManyDividends)->Unit(benchmark::kMillisecond);

} // namespace
