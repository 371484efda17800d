// The journal's holdings against a brute-force model on random journals. The model keeps every
// share on its own in first-in-first-out order, each naming its lot; it pays a dividend share by
// share, counts a lot's shares by looking, finds the holding period with its own calendar, and
// sorts the entries by their texts. What they must agree on: every sale, every lot behind it with
// its dividends, band and tax, every distribution, the lots left, the money invested, the years.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/journal.h"
#include "journal_draw.h"

namespace qcal::journal {
namespace {

struct Ymd {
    int y = 0, m = 0, d = 0;
    friend auto operator<=>(const Ymd&, const Ymd&) = default;
};

Ymd YmdOf(const std::string& text)
{
    Ymd date;
    std::sscanf(text.c_str(), "%d-%d-%d", &date.y, &date.m, &date.d);
    return date;
}

CivilDate Civil(const Ymd& date) { return CivilDate::FromYmd(date.y, date.m, date.d).value(); }

int DaysIn(int y, int m)
{
    if (m == 2)
        return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0 ? 29 : 28;
    return m == 4 || m == 6 || m == 9 || m == 11 ? 30 : 31;
}

// Held from `acquired` to the day before `sold`: within n calendar months when the sale is on or
// before the same day n months on, or that month's last day.
bool WithinMonths(const Ymd& acquired, const Ymd& sold, int n)
{
    const int index = acquired.y * 12 + acquired.m - 1 + n;
    const Ymd limit{index / 12, index % 12 + 1, std::min(acquired.d, DaysIn(index / 12, index % 12 + 1))};
    return sold <= limit;
}

HoldingBand BandOf(const Ymd& acquired, const Ymd& sold)
{
    if (WithinMonths(acquired, sold, 1))
        return HoldingBand::UpToOneMonth;
    return WithinMonths(acquired, sold, 12) ? HoldingBand::UpToOneYear : HoldingBand::OverOneYear;
}

// n / d to the nearest whole number, halves away from zero (d > 0).
Int128 Nearest(Int128 n, Int128 d)
{
    Int128 q = n / d;
    const Int128 r = n % d;
    if (2 * (r < 0 ? -r : r) >= d)
        q += n < 0 ? -1 : 1;
    return q;
}

Money Cents(Int128 cents) { return Money::FromRaw(static_cast<std::int64_t>(cents * 100)); }

// `part` of `whole` shares' part of a sum, to the cent; all of it for all the shares.
Money PartOf(Money sum, std::int64_t part, std::int64_t whole)
{
    return part == whole ? sum : Cents(Nearest(static_cast<Int128>(sum.Raw()) * part, static_cast<Int128>(whole) * 100));
}

struct ModelLot {
    std::int64_t id;
    Ymd acquired;
    Money cost;
    std::int64_t dividends = 0;
};

struct Model {
    Position out;
    std::vector<int> shares;  // the lot of every share held, oldest first
    std::vector<ModelLot> lots;

    std::int64_t CountOf(int lot) const { return std::count(shares.begin(), shares.end(), lot); }

    Totals& Year(int year)
    {
        for (Totals& t : out.years)
            if (t.year == year)
                return t;
        out.years.push_back({year, {}, {}, {}, {}});
        return out.years.back();
    }

    void Take(const Entry& e)
    {
        const Ymd date = YmdOf(e.date);
        const auto held = static_cast<std::int64_t>(shares.size());
        if (e.kind == Kind::Buy) {
            lots.push_back({e.id, date, e.amount + e.Fees()});
            shares.insert(shares.end(), static_cast<std::size_t>(e.quantity), static_cast<int>(lots.size() - 1));
            out.invested += e.amount + e.Fees();
        } else if (e.kind == Kind::Sell) {
            ASSERT_LE(e.quantity, held);
            Sale sale;
            sale.entryId = e.id;
            sale.date = Civil(date);
            sale.shares = e.quantity;
            sale.received = e.amount - e.Fees();
            sale.costAverage = PartOf(out.invested, e.quantity, held);
            sale.firstLot = out.lotsSold.size();
            for (std::int64_t i = 0; i < e.quantity;) {
                const int l = shares[static_cast<std::size_t>(i)];
                std::int64_t run = 0;
                while (i + run < e.quantity && shares[static_cast<std::size_t>(i + run)] == l)
                    ++run;
                ModelLot& lot = lots[static_cast<std::size_t>(l)];
                const std::int64_t n = CountOf(l);
                LotSold piece;
                piece.lotEntryId = lot.id;
                piece.acquired = Civil(lot.acquired);
                piece.shares = run;
                piece.cost = PartOf(lot.cost, run, n);
                piece.dividends = run == n ? lot.dividends
                                           : static_cast<std::int64_t>(Nearest(static_cast<Int128>(lot.dividends) * run, n));
                piece.band = BandOf(lot.acquired, date);
                const int percent = piece.band == HoldingBand::UpToOneMonth ? 20 : piece.band == HoldingBand::UpToOneYear ? 10 : 0;
                piece.tax = Cents((static_cast<Int128>(piece.dividends) * percent + 50000) / 100000);
                lot.cost -= piece.cost;
                lot.dividends -= piece.dividends;
                sale.costFifo += piece.cost;
                sale.dividendTax += piece.tax;
                out.lotsSold.push_back(piece);
                i += run;
            }
            sale.lotCount = out.lotsSold.size() - sale.firstLot;
            shares.erase(shares.begin(), shares.begin() + e.quantity);
            out.invested -= sale.costAverage;
            for (Totals* t : {&Year(date.y), &out.total}) {
                t->profitFifo += sale.ProfitFifo();
                t->profitAverage += sale.ProfitAverage();
                t->dividendTax += sale.dividendTax;
            }
            out.sales.push_back(sale);
        } else if (e.kind == Kind::CashDividend) {
            for (const int l : shares)
                lots[static_cast<std::size_t>(l)].dividends += e.price.Raw();  // price / 10 a share
            const Money cash = Cents(Nearest(static_cast<Int128>(held) * e.price.Raw(), 1000));
            out.invested -= cash;
            for (Totals* t : {&Year(date.y), &out.total})
                t->dividends += cash;
            out.distributions.push_back({e.id, Civil(date), e.kind, held, cash, 0});
        } else {
            const std::int64_t total = e.quantity > 0 ? e.quantity : held * e.price.Raw() / 100000;
            // The lots' runs in order, each followed by its share of the new shares.
            std::vector<int> after;
            std::int64_t upToBefore = 0, seen = 0;
            for (std::size_t i = 0; i < shares.size();) {
                const int l = shares[i];
                const std::int64_t n = CountOf(l);
                after.insert(after.end(), static_cast<std::size_t>(n), l);
                seen += n;
                const std::int64_t upTo = seen * total / held;
                after.insert(after.end(), static_cast<std::size_t>(upTo - upToBefore), l);
                if (e.kind == Kind::BonusShares)
                    lots[static_cast<std::size_t>(l)].dividends += (upTo - upToBefore) * 100000;  // par 1.00
                upToBefore = upTo;
                i += static_cast<std::size_t>(n);
            }
            shares = std::move(after);
            out.distributions.push_back({e.id, Civil(date), e.kind, held, Money(), total});
        }
        out.shares = static_cast<std::int64_t>(shares.size());
    }

    void Finish()
    {
        for (std::size_t i = 0; i < shares.size();) {
            const int l = shares[i];
            const ModelLot& lot = lots[static_cast<std::size_t>(l)];
            const std::int64_t n = CountOf(l);
            out.lots.push_back({lot.id, Civil(lot.acquired), n, lot.cost, lot.dividends});
            i += static_cast<std::size_t>(n);
        }
        std::sort(out.years.begin(), out.years.end(), [](const Totals& a, const Totals& b) { return a.year < b.year; });
    }
};

std::vector<Position> ModelHoldings(std::vector<Entry> entries)
{
    // By date, then time (none first; all times here are "HH:MM"), then id.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return std::tie(a.date, a.time, a.id) < std::tie(b.date, b.time, b.id);
    });
    std::map<std::string, Model> byCode;
    for (const Entry& e : entries) {
        auto [at, added] = byCode.try_emplace(e.code);
        if (added) {
            at->second.out.code = e.code;
            at->second.out.product = e.product;
        }
        at->second.Take(e);
    }
    std::vector<Position> out;
    for (auto& [code, model] : byCode) {
        model.Finish();
        out.push_back(std::move(model.out));
    }
    return out;
}

// One line per figure, so that a difference shows as a diff.
std::string Describe(const std::vector<Position>& positions)
{
    std::ostringstream s;
    auto money = [](Money m) { return std::to_string(m.Raw()); };
    auto totals = [&](const Totals& t) {
        s << " year " << t.year << " fifo " << money(t.profitFifo) << " average " << money(t.profitAverage) << " tax "
          << money(t.dividendTax) << " dividends " << money(t.dividends) << '\n';
    };
    for (const Position& p : positions) {
        s << p.code << ' ' << p.product << " shares " << p.shares << " invested " << money(p.invested) << '\n';
        for (const Lot& l : p.lots)
            s << " lot " << l.entryId << ' ' << l.acquired.Format() << " shares " << l.shares << " cost "
              << money(l.cost) << " dividends " << l.dividends << '\n';
        for (const Sale& sale : p.sales) {
            s << " sale " << sale.entryId << ' ' << sale.date.Format() << " shares " << sale.shares << " received "
              << money(sale.received) << " fifo " << money(sale.costFifo) << " average " << money(sale.costAverage)
              << " tax " << money(sale.dividendTax) << " lots " << sale.firstLot << '+' << sale.lotCount << '\n';
        }
        for (const LotSold& l : p.lotsSold)
            s << " sold " << l.lotEntryId << ' ' << l.acquired.Format() << " shares " << l.shares << " cost "
              << money(l.cost) << " dividends " << l.dividends << " band " << static_cast<int>(l.band) << " tax "
              << money(l.tax) << '\n';
        for (const Distribution& d : p.distributions)
            s << " distribution " << d.entryId << ' ' << d.date.Format() << ' ' << KindName(d.kind) << " held "
              << d.sharesHeld << " cash " << money(d.cash) << " new " << d.newShares << '\n';
        for (const Totals& t : p.years)
            totals(t);
        totals(p.total);
    }
    return s.str();
}

// Every day of four years bought, against every day sold for the next fourteen months.
TEST(JournalAgainstModel, HoldingBandsOfEveryDay)
{
    for (CivilDate acquired = Civil({2023, 1, 1}); acquired < Civil({2027, 1, 1}); acquired = acquired.AddDays(1)) {
        const Ymd a{acquired.Year(), acquired.Month(), acquired.Day()};
        for (CivilDate sold = acquired; DaysBetween(acquired, sold) <= 430; sold = sold.AddDays(1)) {
            const HoldingBand want = BandOf(a, {sold.Year(), sold.Month(), sold.Day()});
            ASSERT_EQ(HoldingBandOf(acquired, sold), want) << acquired.Format() << " sold " << sold.Format();
        }
    }
}

TEST(JournalAgainstModel, RandomJournals)
{
    std::mt19937_64 rng(20240725);
    const struct {
        int journals;
        test::JournalDraw draw;
    } runs[] = {
        {3000, {}},                                        // a few codes, a few dozen entries
        {200, {300, 1, 40, 850, 400, true}},               // one code, long chains of small lots
        {200, {200, 2, 300, 300, 3, true}},                // many entries a day, times in order
    };
    int sales = 0, taxed = 0, bonuses = 0;
    for (const auto& run : runs) {
        for (int j = 0; j < run.journals; ++j) {
            const std::vector<Entry> entries = test::DrawJournal(rng, run.draw);
            const Holdings got = ComputeHoldings(entries);
            ASSERT_FALSE(got.refusal) << RefusalText(*got.refusal);
            const std::vector<Position> want = ModelHoldings(entries);
            ASSERT_EQ(Describe(got.positions), Describe(want)) << "journal " << j;
            ASSERT_EQ(got.positions, want);
            for (const Position& p : got.positions) {
                sales += static_cast<int>(p.sales.size());
                taxed += static_cast<int>(std::count_if(p.lotsSold.begin(), p.lotsSold.end(),
                                                        [](const LotSold& l) { return l.tax > Money(); }));
                bonuses += static_cast<int>(std::count_if(p.distributions.begin(), p.distributions.end(),
                                                          [](const Distribution& d) { return d.newShares > 0; }));
            }
        }
    }
    // The draws reach what they are meant to: many sales, taxed lots and bonus shares.
    EXPECT_GT(sales, 20000);
    EXPECT_GT(taxed, 5000);
    EXPECT_GT(bonuses, 3000);
}

} // namespace
} // namespace qcal::journal
