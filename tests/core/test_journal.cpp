// The trade journal: the worked example of two buys, a dividend and a sale; the holding periods at
// their edges; every refusal naming its entry; selling everything at a price and the break-even.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/journal.h"
#include "core/messages.h"

namespace qcal::journal {
namespace {

Money M(double yuan) { return Money::FromDouble(yuan); }
CivilDate D(const char* text) { return CivilDate::Parse(text).value(); }

Entry Trade(std::int64_t id, const char* date, Kind kind, double price, std::int64_t quantity, double fees)
{
    Entry e;
    e.id = id;
    e.date = date;
    e.code = "600000";
    e.product = "上海A股";
    e.kind = kind;
    e.price = M(price);
    e.quantity = quantity;
    e.amount = e.price.TimesWhole(quantity);
    e.commission = {M(fees), true};
    return e;
}

Entry Action(std::int64_t id, const char* date, Kind kind, double perTen, std::int64_t credited = 0)
{
    Entry e = Trade(id, date, kind, perTen, credited, 0);
    e.amount = Money();
    return e;
}

// 上海A股, commission 0.25 ‰ with its 5.00 minimum, the fees of the rules in force.
std::vector<Entry> WorkedExample()
{
    Entry sale = Trade(4, "2024-07-25", Kind::Sell, 9.50, 1500, 5.00);
    sale.stampDuty = {M(7.13), false};    // 0.5 ‰ of 14,250.00 = 7.125, halves up
    sale.transferFee = {M(0.14), false};  // 0.01 ‰: 0.1425
    return {Trade(1, "2024-03-01", Kind::Buy, 10.00, 1000, 5.10), Trade(2, "2024-06-03", Kind::Buy, 8.00, 1000, 5.08),
            Action(3, "2024-07-10", Kind::CashDividend, 2), sale};
}

TEST(Journal, WorkedExample)
{
    std::vector<Entry> entries = WorkedExample();
    entries.pop_back();
    Holdings before = ComputeHoldings(entries);
    ASSERT_FALSE(before.refusal);
    ASSERT_EQ(before.positions.size(), 1u);
    const Position& held = before.positions[0];
    EXPECT_EQ(held.shares, 2000);
    EXPECT_EQ(held.invested, M(18010.18 - 400));
    EXPECT_EQ(held.LotsCost(), M(18010.18));
    ASSERT_EQ(held.lots.size(), 2u);
    EXPECT_EQ(held.lots[0].cost, M(10005.10));
    EXPECT_EQ(held.lots[0].CostPerShare(), M(10.006));  // each lot with its own fees
    EXPECT_EQ(held.lots[1].CostPerShare(), M(8.006));
    EXPECT_EQ(held.lots[1].dividends, 200 * kDividendScale);
    ASSERT_EQ(held.distributions.size(), 1u);
    EXPECT_EQ(held.distributions[0].cash, M(400));
    EXPECT_EQ(held.distributions[0].sharesHeld, 2000);
    // Before the dividend the average cost was 18,010.18 / 2,000 = 9.00509, rounded up.
    entries.pop_back();
    EXPECT_EQ(ComputeHoldings(entries).positions[0].AverageCost(), M(9.006));
    EXPECT_EQ(held.FifoCost(), M(9.006));

    const Holdings after = ComputeHoldings(WorkedExample());
    ASSERT_FALSE(after.refusal);
    const Position& p = after.positions[0];
    ASSERT_EQ(p.sales.size(), 1u);
    const Sale& sale = p.sales[0];
    EXPECT_EQ(sale.received, M(14237.73));
    EXPECT_EQ(sale.costFifo, M(10005.10 + 4002.54));
    EXPECT_EQ(sale.costAverage, M(13207.64));  // 17,610.18 × 1,500 / 2,000 = 13,207.635
    EXPECT_EQ(sale.dividendTax, M(30));
    EXPECT_EQ(sale.ProfitFifo(), M(200.09));
    EXPECT_EQ(sale.ProfitAverage(), M(1000.09));
    ASSERT_EQ(sale.lotCount, 2u);
    const LotSold& first = p.lotsSold[sale.firstLot];
    const LotSold& second = p.lotsSold[sale.firstLot + 1];
    EXPECT_EQ(first.lotEntryId, 1);
    EXPECT_EQ(first.shares, 1000);
    EXPECT_EQ(DividendsAsMoney(first.dividends), M(200));
    EXPECT_EQ(first.band, HoldingBand::UpToOneYear);
    EXPECT_EQ(first.tax, M(20));
    EXPECT_EQ(second.lotEntryId, 2);
    EXPECT_EQ(second.shares, 500);
    EXPECT_EQ(second.cost, M(4002.54));
    EXPECT_EQ(second.dividends, 100 * kDividendScale);
    EXPECT_EQ(second.tax, M(10));

    EXPECT_EQ(p.shares, 500);
    EXPECT_EQ(p.invested, M(4402.54));
    EXPECT_EQ(p.AverageCost(), M(8.806));
    EXPECT_EQ(p.FifoCost(), M(8.006));
    ASSERT_EQ(p.years.size(), 1u);
    EXPECT_EQ(p.years[0].year, 2024);
    EXPECT_EQ(p.years[0].dividends, M(400));
    EXPECT_EQ(p.total.profitFifo, M(200.09));
    EXPECT_EQ(p.total.dividendTax, M(30));
}

TEST(Journal, HoldingPeriodEdges)
{
    const struct {
        const char* acquired;
        const char* sold;
        HoldingBand band;
    } cases[] = {
        {"2024-03-01", "2024-03-01", HoldingBand::UpToOneMonth},
        {"2024-03-01", "2024-04-01", HoldingBand::UpToOneMonth},  // held 03-01 ... 03-31: one month
        {"2024-03-01", "2024-04-02", HoldingBand::UpToOneYear},   // a month and a day
        {"2024-03-01", "2025-03-01", HoldingBand::UpToOneYear},   // one year
        {"2024-03-01", "2025-03-02", HoldingBand::OverOneYear},   // a year and a day
        {"2023-01-31", "2023-02-28", HoldingBand::UpToOneMonth},
        {"2023-01-31", "2023-03-01", HoldingBand::UpToOneYear},
        {"2024-01-31", "2024-02-29", HoldingBand::UpToOneMonth},
        {"2024-01-31", "2024-03-01", HoldingBand::UpToOneYear},
        {"2024-01-30", "2024-02-29", HoldingBand::UpToOneMonth},
        {"2024-02-29", "2024-03-29", HoldingBand::UpToOneMonth},
        {"2024-02-29", "2024-03-30", HoldingBand::UpToOneYear},
        {"2024-02-29", "2025-02-28", HoldingBand::UpToOneYear},
        {"2024-02-29", "2025-03-01", HoldingBand::OverOneYear},
        {"2023-03-31", "2023-04-30", HoldingBand::UpToOneMonth},
        {"2023-03-31", "2023-05-01", HoldingBand::UpToOneYear},
        {"2024-12-31", "2025-01-31", HoldingBand::UpToOneMonth},
        {"2024-12-31", "2025-02-01", HoldingBand::UpToOneYear},
        {"2024-12-31", "2025-12-31", HoldingBand::UpToOneYear},
        {"2024-12-31", "2026-01-01", HoldingBand::OverOneYear},
        {"9999-12-31", "9999-12-31", HoldingBand::UpToOneMonth},  // a month on is past the calendar
        {"9999-01-15", "9999-12-31", HoldingBand::UpToOneYear},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HoldingBandOf(D(c.acquired), D(c.sold)), c.band) << c.acquired << " sold " << c.sold;
    // The tax to the cent, halves up: 10 % of 0.05 is 0.005.
    EXPECT_EQ(DividendTax(5000, HoldingBand::UpToOneYear), M(0.01));
    EXPECT_EQ(DividendTax(4999, HoldingBand::UpToOneYear), M(0));
    EXPECT_EQ(DividendTax(2500, HoldingBand::UpToOneMonth), M(0.01));
    EXPECT_EQ(DividendTax(100 * kDividendScale, HoldingBand::OverOneYear), M(0));
    // 10派0.0005 on a share is 0.00005: shown to the ten-thousandth, halves up.
    EXPECT_EQ(DividendsAsMoney(5), Money::FromRaw(1));
    EXPECT_EQ(DividendsAsMoney(4), Money());
}

// A bonus share from profits is taxed at par and keeps its lot's day; one from reserves is not taxed.
TEST(Journal, BonusSharesKeepTheirLotsDay)
{
    for (const Kind kind : {Kind::BonusShares, Kind::ReserveShares}) {
        const std::vector<Entry> entries = {
            Trade(1, "2024-01-31", Kind::Buy, 10, 1000, 5), Action(2, "2024-02-10", kind, 3),
            Trade(3, "2024-02-29", Kind::Sell, 11, 1300, 5),  // a month after 01-31: 20 %
        };
        const Holdings h = ComputeHoldings(entries);
        ASSERT_FALSE(h.refusal);
        const Position& p = h.positions[0];
        EXPECT_EQ(p.distributions.at(0).newShares, 300);
        ASSERT_EQ(p.lotsSold.size(), 1u);
        EXPECT_EQ(p.lotsSold[0].acquired, D("2024-01-31"));
        EXPECT_EQ(p.lotsSold[0].band, HoldingBand::UpToOneMonth);
        EXPECT_EQ(p.lotsSold[0].tax, kind == Kind::BonusShares ? M(60) : M(0));  // 20 % of 300 × 1.00
        EXPECT_EQ(p.sales[0].costFifo, M(10005));
    }
}

TEST(Journal, RefusalsNameTheEntry)
{
    auto with = [](auto change) {
        std::vector<Entry> entries = {Trade(1, "2024-03-01", Kind::Buy, 10, 1000, 5),
                                      Trade(2, "2024-03-05", Kind::Sell, 11, 400, 5)};
        change(entries);
        return entries;
    };
    const struct {
        const char* name;
        std::vector<Entry> entries;
        Problem problem;
        std::int64_t id;
    } cases[] = {
        {"date", with([](auto& e) { e[1].date = "2024-02-30"; }), Problem::DateNotADate, 2},
        {"in the order given", with([](auto& e) { e[0].quantity = 0, e[1].date = "2024-3-5"; }), Problem::QuantityNotPositive, 1},
        {"in itself before in turn", with([](auto& e) { e[0].date = "2024-04-01", e[1].price = Money(); }), Problem::PriceNotPositive, 2},
        {"time", with([](auto& e) { e[0].time = "24:00"; }), Problem::TimeNotATime, 1},
        {"time 9:30", with([](auto& e) { e[0].time = "9:30"; }), Problem::TimeNotATime, 1},
        {"code", with([](auto& e) { e[1].code = "60000"; }), Problem::CodeNotSixDigits, 2},
        {"code letters", with([](auto& e) { e[1].code = "60000A"; }), Problem::CodeNotSixDigits, 2},
        {"no shares", with([](auto& e) { e[0].quantity = 0; }), Problem::QuantityNotPositive, 1},
        {"negative shares", with([](auto& e) { e[1].quantity = -5; }), Problem::QuantityNotPositive, 2},
        {"price", with([](auto& e) { e[1].price = Money(); }), Problem::PriceNotPositive, 2},
        {"amount", with([](auto& e) { e[0].amount = M(-1); }), Problem::AmountNotPositive, 1},
        {"fee", with([](auto& e) { e[1].otherFees.value = M(-0.01); }), Problem::FeeNegative, 2},
        {"sale above held", with([](auto& e) { e[1].quantity = 1001; }), Problem::SaleAboveHeld, 2},
        {"sale before the buy", with([](auto& e) { e[1].date = "2024-02-29"; }), Problem::SaleAboveHeld, 2},
        {"sale of another code", with([](auto& e) { e[1].code = "600001"; }), Problem::SaleAboveHeld, 2},
        {"dividend before the buy", with([](auto& e) { e[1] = Action(2, "2024-02-01", Kind::CashDividend, 1); }),
         Problem::NoSharesHeld, 2},
        {"bonus after selling all", with([](auto& e) { e[1].quantity = 1000, e.push_back(Action(3, "2024-04-01", Kind::BonusShares, 1)); }),
         Problem::NoSharesHeld, 3},
        {"rate", with([](auto& e) { e[1] = Action(2, "2024-04-01", Kind::CashDividend, 0); }), Problem::RateNotPositive, 2},
        // 1,000 × 3.3333 / 10 = 333.33: 333 or 334 shares credited, not 335.
        {"credited", with([](auto& e) { e[1] = Action(2, "2024-04-01", Kind::ReserveShares, 3.3333, 335); }),
         Problem::BonusSharesMismatch, 2},
        {"credited exact", with([](auto& e) { e[1] = Action(2, "2024-04-01", Kind::BonusShares, 3, 301); }),
         Problem::BonusSharesMismatch, 2},
        {"negative credited", with([](auto& e) { e[1] = Action(2, "2024-04-01", Kind::BonusShares, 3, -1); }),
         Problem::QuantityNotPositive, 2},
        {"overflow", with([](auto& e) { e.push_back(Trade(3, "2024-04-01", Kind::Buy, 10, 1000, 5)), e[2].amount = Money::FromRaw(INT64_MAX); }),
         Problem::OutOfRange, 3},
        // Each dividend fits, together they would not: refused at the second, not left to the end.
        {"dividends beyond range", with([](auto& e) {
             e[0].quantity = 1000000, e[0].amount = M(1000000);
             e[1] = Action(2, "2024-04-01", Kind::CashDividend, 900000000);
             e.push_back(Action(3, "2024-05-01", Kind::CashDividend, 900000000));
         }),
         Problem::OutOfRange, 3},
    };
    for (const auto& c : cases) {
        const Holdings h = ComputeHoldings(c.entries);
        ASSERT_TRUE(h.refusal) << c.name;
        EXPECT_EQ(*h.refusal, (Refusal{c.problem, c.id})) << c.name;
        EXPECT_TRUE(h.positions.empty()) << c.name;
    }
    EXPECT_FALSE(ComputeHoldings(with([](auto& e) { e[1] = Action(2, "2024-04-01", Kind::ReserveShares, 3.3333, 334); })).refusal);
    EXPECT_EQ(RefusalText({Problem::SaleAboveHeld, 17}), "第17号记录：" + std::string(msg::kJournalSaleAboveHeld));
    for (const Kind kind : {Kind::Buy, Kind::Sell, Kind::CashDividend, Kind::BonusShares, Kind::ReserveShares})
        EXPECT_EQ(KindFromName(KindName(kind)), kind);
    EXPECT_FALSE(KindFromName("配股"));
}

// The entries of a day: without a time first, then by time, then by id; a dividend dated the
// ex-date goes to the shares held before that day's buy.
TEST(Journal, OrderWithinADay)
{
    Entry buy = Trade(1, "2024-07-10", Kind::Buy, 10, 1000, 5);
    buy.time = "09:30";
    Entry later = Trade(2, "2024-07-10", Kind::Buy, 10, 500, 5);
    later.time = "09:30:00";
    const std::vector<Entry> entries = {Trade(5, "2024-07-01", Kind::Buy, 10, 100, 5), later, buy,
                                        Action(9, "2024-07-10", Kind::CashDividend, 10)};
    const Holdings h = ComputeHoldings(entries);
    ASSERT_FALSE(h.refusal);
    EXPECT_EQ(h.positions[0].distributions.at(0).sharesHeld, 100);
    ASSERT_EQ(h.positions[0].lots.size(), 3u);
    EXPECT_EQ(h.positions[0].lots[1].entryId, 1);  // the same second: by id
}

TEST(Journal, ValueAndBreakEven)
{
    const Position p = ComputeHoldings(WorkedExample()).positions.at(0);  // 500 shares, lot of 2024-06-03
    // The remaining lot carries 100.00 of dividends: 10 % sold by 2025-06-03, nothing after.
    EXPECT_EQ(PendingDividendTax(p, D("2025-06-03")), M(10));
    EXPECT_EQ(PendingDividendTax(p, D("2025-06-04")), M(0));
    EXPECT_EQ(PendingDividendTax(p, D("2024-07-03")), M(20));

    const auto plain = Value(p, M(9), nullptr, std::nullopt);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->net, M(4500));
    EXPECT_EQ(plain->profitAverage, M(4500 - 4402.54));
    EXPECT_EQ(plain->profitFifo, M(4500 - 4002.54));

    Money askedPrice, askedShares;
    const SaleNet net = [&](Money price, Money shares) -> std::optional<Money> {
        askedPrice = price, askedShares = shares;
        return price * shares - M(7.5);
    };
    const auto withFees = Value(p, M(9), net, D("2024-12-31"));
    ASSERT_TRUE(withFees);
    EXPECT_EQ(askedPrice, M(9));
    EXPECT_EQ(askedShares, M(500));
    EXPECT_EQ(withFees->dividendTax, M(10));
    EXPECT_EQ(withFees->profitFifo, M(4500 - 7.5 - 10 - 4002.54));
    EXPECT_FALSE(Value(p, M(9), [](Money, Money) { return std::optional<Money>(); }, std::nullopt));

    Money toRecover;
    const BreakEvenSearch search = [&](Money money, Money shares) -> std::optional<Money> {
        toRecover = money;
        return M(money.ToDouble() / shares.ToDouble());
    };
    EXPECT_TRUE(BreakEven(p, Method::Average, search, std::nullopt));
    EXPECT_EQ(toRecover, M(4402.54));
    EXPECT_TRUE(BreakEven(p, Method::Fifo, search, D("2024-12-31")));
    EXPECT_EQ(toRecover, M(4012.54));

    // Dividends beyond what is still invested: the average cost goes below zero, rounded up, and
    // nothing is left to recover.
    const std::vector<Entry> rich = {Trade(1, "2024-01-02", Kind::Buy, 1, 1000, 5),
                                     Action(2, "2024-06-01", Kind::CashDividend, 10.07)};
    const Position q = ComputeHoldings(rich).positions.at(0);
    EXPECT_EQ(q.invested, M(-2));
    EXPECT_EQ(q.AverageCost(), M(-0.002));
    EXPECT_EQ(BreakEven(q, Method::Average, search, std::nullopt), Money());
    Position none = q;
    none.shares = 0;
    EXPECT_FALSE(none.AverageCost());
    EXPECT_FALSE(BreakEven(none, Method::Fifo, search, std::nullopt));
}

} // namespace
} // namespace qcal::journal
