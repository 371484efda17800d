// The break-even search, walked step by step (the reference of the tests) and bisected (core),
// on the worked examples and the worst cases; and one whole Calculate through core.

#include <string>

#include <benchmark/benchmark.h>

#include "core/captions.h"
#include "core/fees.h"
#include "core/trade.h"
#include "literal_search.h"

namespace {

using qcal::FeeSettings;
using qcal::Money;

struct SearchCase {
    const char* name;
    double price, quantity;
    const char* commission;
    const char* stampDuty;
    std::string_view market;
};

const SearchCase kCases[] = {
    {"Shanghai_10x1000", 10, 1000, "3", "3", qcal::kShanghai},
    {"Shenzhen_10x1000", 10, 1000, "3", "3", qcal::kShenzhen},
    {"Shanghai_10x100_min", 10, 100, "3", "3", qcal::kShanghai},
    {"Shenzhen_10x100_min", 10, 100, "3", "3", qcal::kShenzhen},
    {"Funds_1.5x1000_flat", 1.5, 1000, "3", "3", qcal::kFunds},
    {"Funds_1.5x10000", 1.5, 10000, "3", "3", qcal::kFunds},
    {"Funds_1.5x1", 1.5, 1, "3", "3", qcal::kFunds},
    // 100 shares left of 1,000,000 bought at 300 after selling 999,900 at 240.
    {"Remaining100_Funds", 616439.28, 100, "3", "3", qcal::kFunds},
    {"Remaining100_Shanghai", 632658.559, 100, "3", "3", qcal::kShanghai},
    // One share left: out of range at once.
    {"Remaining1_Funds", 61620239.28, 1, "3", "3", qcal::kFunds},
};

// The most probes the bisection makes: both phases with counts near 2^31, or a counter that runs out.
const SearchCase kFastOnly[] = {
    {"TwoLongPhases_Shanghai", 1000, 1, "0", "999", qcal::kShanghai},
    {"CounterRunsOut_Shanghai", 1100, 100, "999", "0", qcal::kShanghai},
    {"CounterRunsOut_Funds", 1100, 1, "999", "0", qcal::kFunds},
};

void Literal(benchmark::State& state, const SearchCase& c)
{
    const FeeSettings f{c.commission, c.stampDuty, std::string(c.market)};
    const Money price = Money::FromDouble(c.price), quantity = Money::FromDouble(c.quantity);
    std::int64_t steps = 0;
    for (auto _ : state) {
        const auto r = qcal::reference::LiteralBreakEven(price, quantity, f);
        steps = r.steps;
        benchmark::DoNotOptimize(r);
    }
    state.counters["steps"] = static_cast<double>(steps);
}

void Fast(benchmark::State& state, const SearchCase& c)
{
    const FeeSettings f{c.commission, c.stampDuty, std::string(c.market)};
    const Money price = Money::FromDouble(c.price), quantity = Money::FromDouble(c.quantity);
    for (auto _ : state)
        benchmark::DoNotOptimize(qcal::BreakEvenPrice(price, quantity, f));
}

// The current rules' search on the tick: money to recover and shares held.
struct CurrentCase {
    const char* name;
    double toRecover, shares;
    const char* commission;
    std::string_view market;
    bool waive;
};

const CurrentCase kCurrentCases[] = {
    {"Shanghai_10x1000", 10030.10, 1000, "3", qcal::kShanghai, false},
    {"Shanghai_10x100_min", 1005.01, 100, "3", qcal::kShanghai, false},
    {"Shenzhen_10x100_waived", 1002.51, 100, "2.5", qcal::kShenzhen, true},
    {"Funds_1.5x10000", 15045, 10000, "3", qcal::kFunds, false},
    {"Funds_1share", 6.5, 1, "3", qcal::kFunds, false},
    {"Remaining100_Shanghai", 63265855.9, 100, "3", qcal::kShanghai, false},
    {"Bonus_fraction_of_a_share", 12345.67, 1100.5, "0.1234", qcal::kShenzhen, true},
    // The largest sums Money holds: the search runs to the end of the range.
    {"Huge_1share", 9.0e14, 1, "3", qcal::kShanghai, false},
    {"OutOfRange_1share", 9.22e14, 1, "3", qcal::kFunds, false},
    // Every product at its worst: the largest sum on the fewest shares it trades.
    {"ChiNext_Huge_1share", 9.0e14, 1, "3", qcal::kChiNext, false},
    {"Star_Huge_1share", 9.0e14, 1, "3", qcal::kStar, false},
    {"Beijing_Huge_1share", 9.0e14, 1, "3", qcal::kBeijing, false},
    {"Bonds_Huge_10", 9.0e14, 10, "3", qcal::kBonds, false},
    {"Bonds_120.5x10_minimum", 1206, 10, "0.2", qcal::kBonds, false},
    {"Star_50x200", 10005.10, 200, "0.25", qcal::kStar, false},
};

void Current(benchmark::State& state, const CurrentCase& c)
{
    const qcal::FeeSettings f{c.commission, "3", std::string(c.market), qcal::FeeRules::Current, c.waive};
    const qcal::Rates rates = *qcal::ReadRates(f);
    const Money toRecover = Money::FromDouble(c.toRecover), shares = Money::FromDouble(c.shares);
    for (auto _ : state)
        benchmark::DoNotOptimize(qcal::CurrentBreakEven(toRecover, shares, rates));
}

qcal::MainWindowState FreshWindow()
{
    using namespace qcal;
    MainWindowState w;
    w.fees = {"3", "3", std::string(kShanghai)};
    w.text[21] = std::string(1, '0');  // not = "0": GCC 12 warns (-Wrestrict) on that assignment inlined here
    w.text[22] = std::string("0.00");
    w.label[2] = {std::string(caption::kBuyQuantity), Colour::Black, std::string(caption::kBuyQuantityTip)};
    w.label[8] = {std::string(caption::kBreakEven), Colour::Black, std::string(caption::kBreakEvenTip)};
    w.label[17] = {std::string(caption::kProfitLoss), Colour::Black, std::string(caption::kProfitLossTip)};
    w.unit[17] = "元";
    return w;
}

// Calculate: the buy calculation, then the sell calculation, on a window with the four inputs in place.
void Calculate(benchmark::State& state, const char* buyPrice, const char* buyQtyText, double buyQty,
               const char* sellPrice, const char* sellQtyText, double sellQty)
{
    qcal::MainWindowState start = FreshWindow();
    start.text[1] = buyPrice;
    start.text[2] = buyQtyText;
    start.text[11] = sellPrice;
    start.text[12] = sellQtyText;
    start.buy.price = Money::FromDouble(std::stod(buyPrice));
    start.buy.quantity = Money::FromDouble(buyQty);
    start.sell.price = Money::FromDouble(std::stod(sellPrice));
    start.sell.quantity = Money::FromDouble(sellQty);
    for (auto _ : state) {
        qcal::MainWindowState w = start;
        const bool ok = qcal::CalculateBuy(w).ok() && qcal::CalculateSell(w).ok();
        if (!ok)
            state.SkipWithError("calculation refused");
        benchmark::DoNotOptimize(w);
    }
}

int Register()
{
    for (const auto& c : kCases) {
        benchmark::RegisterBenchmark((std::string("Literal/") + c.name).c_str(), Literal, c)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("Fast/") + c.name).c_str(), Fast, c)
            ->Unit(benchmark::kMicrosecond);
    }
    for (const auto& c : kCurrentCases)
        benchmark::RegisterBenchmark((std::string("Current/") + c.name).c_str(), Current, c)
            ->Unit(benchmark::kMicrosecond);
    for (const auto& c : kFastOnly)
        benchmark::RegisterBenchmark((std::string("Fast/") + c.name).c_str(), Fast, c)
            ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Calculate/10x1000_sell_all_at_11", Calculate, "10.00", "1,000", 1000.0,
                                 "11.00", "1,000", 1000.0)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Calculate/300x1000000_sell_999900_at_240", Calculate, "300.00", "1,000,000",
                                 1000000.0, "240.00", "999,900", 999900.0)
        ->Unit(benchmark::kMicrosecond);
    return 0;
}

const int kRegistered = Register();

} // namespace

BENCHMARK_MAIN();
