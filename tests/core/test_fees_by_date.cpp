// Fees by trade date and by the broker's terms: the worked examples in every window that charges a
// trade, the dates where a rate changed, a walk over random trades against the rate table written
// out by hand, the user's rule file and its refusals, and the broker dialog's checks.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/batch.h"
#include "core/broker_terms.h"
#include "core/convert.h"
#include "core/numtext.h"
#include "core/picture.h"
#include "core/rule_table.h"
#include "core/schedule.h"
#include "main_state_fixture.h"

namespace qcal {
namespace {

Money M(const char* text) { return *ParseMoney(text); }

FeeSettings OnDate(std::string_view product, const char* date, const char* commission = "0.25",
                   bool feesOnTop = false, bool waive = false)
{
    FeeSettings fees{commission, "1", std::string(product), FeeRules::Current, waive};
    fees.terms.feesOnTop = feesOnTop;
    fees.tradeDate = date;
    return fees;
}

struct Example {
    const char* name;
    Side side;
    const char* price;
    const char* quantity;
    FeeSettings fees;
    const char* commission;
    const char* stampDuty;
    const char* transfer;
    const char* otherFees;
    const char* total;
};

void PrintTo(const Example& e, std::ostream* os) { *os << e.name; }

class DatedExample : public ::testing::TestWithParam<Example> {};

// The side's fields of the main window, whether typed or posted from one batch.
void ExpectSide(const MainWindowState& w, const Example& e)
{
    const bool buy = e.side == Side::Buy;
    EXPECT_EQ(w.text[buy ? BuyCommission : SellCommission], e.commission);
    EXPECT_EQ(w.text[buy ? BuyStampDuty : SellStampDuty], e.stampDuty);
    EXPECT_EQ(w.text[buy ? BuyTransferFee : SellTransferFee], e.transfer);
    EXPECT_EQ(w.text[buy ? BuyOtherFees : SellOtherFees], e.otherFees);
    EXPECT_EQ(w.text[buy ? BuyFees : SellFees], e.total);
}

TEST_P(DatedExample, MainWindow)
{
    const Example& e = GetParam();
    MainWindowState w = test::ClearedWindow();
    w.fees = e.fees;
    if (e.side == Side::Buy)
        test::Buy(w, e.price, e.quantity);
    else
        test::Sell(w, e.price, e.quantity);
    ExpectSide(w, e);
}

TEST_P(DatedExample, OneBatch)
{
    const Example& e = GetParam();
    MainWindowState w = test::ClearedWindow();
    w.fees = e.fees;
    BatchFields b;
    b.text = {"", e.price, e.quantity, "", "", "", ""};
    StoreBatchInputs(b);
    const BatchResult posted = e.side == Side::Buy ? PostBuyBatches(b, w) : PostSellBatches(b, w);
    ASSERT_TRUE(posted.ok() && posted.posted);
    ExpectSide(w, e);
}

class DatedPurchase : public DatedExample {};

// The converter spends exactly what the purchase costs on exactly its quantity.
TEST_P(DatedPurchase, Converter)
{
    const Example& e = GetParam();
    const Money paid = M(e.price) * M(e.quantity) + M(e.total);
    ConverterFields fields{FormatPicture(paid, "0.00"), e.price, "", "", ""};
    ASSERT_TRUE(ConvertAmount(fields, e.fees).ok());
    EXPECT_EQ(MoneyOrZero(fields.shares), M(e.quantity));
    EXPECT_EQ(MoneyOrZero(fields.payment), paid);
}

const Example kSales[] = {
    // Commission 2.50 raised to 5.00; 1 ‰ stamp duty; 0.02 ‰ transfer.
    {"Sell2021", Side::Sell, "10.00", "1000", OnDate(kShanghai, "2021-06-01"), "5.00", "10.00", "0.20", "0.00", "15.20"},
    {"Sell2023", Side::Sell, "10.00", "1000", OnDate(kShanghai, "2023-01-10"), "5.00", "10.00", "0.10", "0.00", "15.10"},
    {"Sell2024", Side::Sell, "10.00", "1000", OnDate(kShanghai, "2024-01-10"), "5.00", "5.00", "0.10", "0.00", "10.10"},
};
const Example kPurchases[] = {
    // 0.085 ‰ 不含规费 免五: (0.0341 ‰ + 0.02 ‰) × 100,000 = 5.41 on top.
    {"NetCommission2024", Side::Buy, "10.00", "10000", OnDate(kShanghai, "2024-01-10", "0.085", true, true), "8.50",
     "0.00", "1.00", "5.41", "14.91"},
    // (0.0487 ‰ + 0.02 ‰) × 100,000 = 6.87.
    {"NetCommission2023", Side::Buy, "10.00", "10000", OnDate(kShanghai, "2023-01-10", "0.085", true, true), "8.50",
     "0.00", "1.00", "6.87", "16.37"},
};
const auto kName = [](const auto& info) { return std::string(info.param.name); };
INSTANTIATE_TEST_SUITE_P(Sales, DatedExample, ::testing::ValuesIn(kSales), kName);
INSTANTIATE_TEST_SUITE_P(Purchases, DatedExample, ::testing::ValuesIn(kPurchases), kName);
INSTANTIATE_TEST_SUITE_P(Purchases, DatedPurchase, ::testing::ValuesIn(kPurchases), kName);

// The rates of a sale of 100,000.00 on each side of the days a rate changed.
TEST(FeesByDate, TheDaysARateChanged)
{
    const struct {
        std::string_view product;
        const char* date;
        const char* stampDuty;
        const char* transfer;
        const char* onTop;  // 规费 when charged on top
    } cases[] = {
        {kShanghai, "2015-08-01", "100.00", "2.00", "6.87"},
        {kShanghai, "2022-04-28", "100.00", "2.00", "6.87"},
        {kShanghai, "2022-04-29", "100.00", "1.00", "6.87"},
        {kShenzhen, "2023-08-27", "100.00", "1.00", "6.87"},
        {kStar, "2023-08-28", "50.00", "1.00", "5.41"},
        {kBeijing, "2021-11-15", "100.00", "0.00", "25.00"},
        {kBeijing, "2023-08-27", "100.00", "0.00", "25.00"},
        {kBeijing, "2023-08-28", "50.00", "0.00", "12.50"},
        {kFunds, "2021-07-18", "0.00", "0.00", "0.00"},
        {kFunds, "2021-07-19", "0.00", "0.00", "4.00"},
        {kBonds, "2015-08-01", "0.00", "0.00", "0.00"},
    };
    for (const auto& c : cases) {
        const auto reading = ReadSchedule(OnDate(c.product, c.date, "0.25", true));
        ASSERT_TRUE(reading.schedule) << c.product << " " << c.date;
        const auto fees = reading.schedule->Charge(Side::Sell, M("100000"), M("10000"));
        ASSERT_TRUE(fees);
        EXPECT_EQ(fees->stampDuty, M(c.stampDuty)) << c.product << " " << c.date;
        EXPECT_EQ(fees->transferFee, M(c.transfer)) << c.product << " " << c.date;
        EXPECT_EQ(fees->otherFees, M(c.onTop)) << c.product << " " << c.date;
    }
}

// Before a group's first rates the current rules have none: the refusal names the first date.
TEST(FeesByDate, ADateBeforeTheTableIsRefusedNamingItsFirstDay)
{
    const struct {
        std::string_view product;
        const char* date;
        const char* firstDay;
    } cases[] = {
        {kShanghai, "2015-07-31", "2015-08-01"},
        {kFunds, "2001-01-01", "2015-08-01"},
        {kBeijing, "2021-11-14", "2021-11-15"},
    };
    for (const auto& c : cases) {
        const auto reading = ReadSchedule(OnDate(c.product, c.date));
        ASSERT_FALSE(reading.schedule) << c.date;
        const Outcome refusal = ScheduleRefusal(reading);
        EXPECT_EQ(refusal.reason, Reason::TradeDateTooEarly);
        EXPECT_NE(MessageText(refusal, {}).find(c.firstDay), std::string::npos) << MessageText(refusal, {});
    }
    EXPECT_EQ(ReadSchedule(OnDate(kShanghai, "2023-02-29")).problem, Reason::TradeDate);
    // The main window refuses the calculation, and leaves its fields as they were.
    MainWindowState w = test::ClearedWindow();
    w.fees = OnDate(kShanghai, "2015-07-31");
    w.text[BuyPrice] = "10";
    w.text[BuyQuantity] = "100";
    w.buy.price = M("10");
    w.buy.quantity = M("100");
    const MainWindowState before = w;
    EXPECT_EQ(CalculateBuy(w).reason, Reason::TradeDateTooEarly);
    EXPECT_EQ(w.text, before.text);
}

// The design's rates, in 1/10,000 ‰, walked by hand: group, first day, stamp duty, transfer fee,
// handling and regulatory fees.
struct HandRow {
    std::string_view group;
    int year, month, day;
    std::int64_t stamp, transfer, handling, regulatory;
};
constexpr HandRow kHandTable[] = {
    {"A股", 2015, 8, 1, 10000, 200, 487, 200},  {"A股", 2022, 4, 29, 10000, 100, 487, 200},
    {"A股", 2023, 8, 28, 5000, 100, 341, 200},  {"北交所", 2021, 11, 15, 10000, 0, 2500, 0},
    {"北交所", 2023, 8, 28, 5000, 0, 1250, 0},  {"基金", 2015, 8, 1, 0, 0, 0, 0},
    {"基金", 2021, 7, 19, 0, 0, 400, 0},        {"可转债", 2015, 8, 1, 0, 0, 0, 0},
};

// amount (cents) × rate (1/10,000 ‰) to the cent, halves up.
std::int64_t HandFee(std::int64_t cents, std::int64_t rate)
{
    const std::int64_t scaled = cents * rate;  // in 1e-7 cents: below 1e11 × 1e4, it fits
    return (scaled + 5'000'000) / 10'000'000;
}

TEST(FeesByDate, RandomTradesAgreeWithTheTableWalkedByHand)
{
    std::mt19937_64 random(20261209);
    const std::string_view products[] = {kShanghai, kShenzhen, kChiNext, kStar, kBeijing, kFunds, kBonds};
    const CivilDate first = *CivilDate::FromYmd(2015, 8, 1);
    for (int i = 0; i < 3000; ++i) {
        const std::string_view product = products[random() % std::size(products)];
        const Instrument& row = FindInstrument(product, BuiltInInstruments());
        const CivilDate date = first.AddDays(static_cast<std::int32_t>(random() % 4200));
        const bool onTop = random() % 2 == 0;
        const bool waive = random() % 3 == 0;
        const Side side = random() % 2 == 0 ? Side::Buy : Side::Sell;
        const std::int64_t cents = static_cast<std::int64_t>(random() % 100'000'000'000ULL);
        const FeeSettings settings = OnDate(product, date.Format().c_str(), "0.25", onTop, waive);
        const HandRow* rates = nullptr;
        for (const HandRow& r : kHandTable) {
            if (r.group == row.feeGroup && *CivilDate::FromYmd(r.year, r.month, r.day) <= date)
                rates = &r;
        }
        const auto reading = ReadSchedule(settings);
        if (!rates) {  // before the Beijing exchange opened
            EXPECT_EQ(reading.problem, Reason::TradeDateTooEarly) << product << " " << date.Format();
            continue;
        }
        ASSERT_TRUE(reading.schedule) << product << " " << date.Format();
        const auto fees = reading.schedule->Charge(side, Money::FromRaw(cents * 100), M("100"));
        ASSERT_TRUE(fees);
        const bool bonds = row.commission == CommissionKind::Bonds;
        std::int64_t commission = HandFee(cents, bonds ? 2000 : 2500);
        const std::int64_t minimum = bonds ? 100 : 500;
        if (!waive && commission < minimum)
            commission = minimum;
        const bool paysStamp = row.stampDuty == Charged::OnSells && side == Side::Sell;
        const bool paysTransfer = row.transferFee == Charged::OnBoth;
        const std::string what = std::string(product) + " " + date.Format() + " " + std::to_string(cents);
        EXPECT_EQ(fees->commission, Money::FromRaw(commission * 100)) << what;
        EXPECT_EQ(fees->stampDuty, Money::FromRaw(paysStamp ? HandFee(cents, rates->stamp) * 100 : 0)) << what;
        EXPECT_EQ(fees->transferFee, Money::FromRaw(paysTransfer ? HandFee(cents, rates->transfer) * 100 : 0)) << what;
        EXPECT_EQ(fees->otherFees,
                  Money::FromRaw(onTop ? HandFee(cents, rates->handling + rates->regulatory) * 100 : 0))
            << what;
    }
}

// A user's file that corrects one rate: only that row's trades change, and the sale's break-even
// follows the new rate.
TEST(RuleFile, ARowOfTheUsersFileReplacesTheBuiltInOne)
{
    const auto file = ReadRuleFile("# 印花税改为0.6‰\n"
                                   "品种,起始日期,印花税,过户费,经手费,证管费\n"
                                   "A股,2023-08-28,0.6,0.01,0.0341,0.02   # 更正\n");
    ASSERT_TRUE(file.table) << file.error.message;
    const RuleTable table = RuleTable::BuiltIn().With(*file.table);
    EXPECT_EQ(table.Rows().size(), RuleTable::BuiltIn().Rows().size());
    FeeSettings settings = OnDate(kShanghai, "2024-01-10");
    settings.ruleTable = &table;
    const auto fees = ReadSchedule(settings).schedule->Charge(Side::Sell, M("100000"), M("10000"));
    EXPECT_EQ(fees->stampDuty, M("60.00"));
    settings.tradeDate = "2023-01-10";
    EXPECT_EQ(ReadSchedule(settings).schedule->Charge(Side::Sell, M("100000"), M("10000"))->stampDuty, M("100.00"));
    // The column order is the file's; columns left out are 0.
    const auto reordered = ReadRuleFile("证管费\t品种\t起始日期\n0.03\t基金\t2030-01-01\n");
    ASSERT_TRUE(reordered.table);
    const RuleTable merged = RuleTable::BuiltIn().With(*reordered.table);
    const RuleRow* funds = merged.Latest(kFundsGroup);
    EXPECT_EQ(funds->regulatoryFee, (ExactDecimal{3, 2}));
    EXPECT_EQ(funds->handlingFee, (ExactDecimal{0, 0}));
}

TEST(RuleFile, AFileThatCannotBeUsedIsRefusedWithItsLine)
{
    std::string tooMany = "品种 起始日期 印花税\n";
    for (int i = 0; i < 250'000; ++i)  // some 10 MB
        tooMany += "A股 " + CivilDate::FromDayNumber(i).Format() + " 1.000000000000000000000000\n";
    const struct {
        const char* name;
        std::string text;
        int line;
    } cases[] = {
        {"a rate that is not a number", "品种 起始日期 印花税\nA股 2024-01-01 0.5\nA股 2025-01-01 五\n", 3},
        {"a negative rate", "品种 起始日期 印花税\nA股 2024-01-01 -0.5\n", 2},
        {"a rate beyond any fee", "品种 起始日期 印花税\nA股 2024-01-01 100.5\n", 2},
        {"an unknown column", "# 表\n\n品种 起始日期 佣金\n", 3},
        {"no group column", "起始日期 印花税\n", 1},
        {"a date that is not one", "品种 起始日期\nA股 2024-02-30\n", 2},
        {"dates out of order", "品种 起始日期\nA股 2024-01-01\n基金 2020-01-01\nA股 2023-01-01\n", 4},
        {"a row given twice", "品种 起始日期\nA股 2024-01-01\nA股 2024-01-01\n", 3},
        {"an unknown group", "品种 起始日期\n港股 2024-01-01\n", 2},
        {"a row short of a cell", "品种 起始日期 印花税\nA股 2024-01-01\n", 2},
        {"binary garbage", std::string("\x7f" "ELF\x02\x01\x01\0\0\0\xff\xfe\n", 14), 1},
        {"only comments", "# 空\n", 1},
        {"a line of a megabyte", "品种 起始日期\n" + std::string(1 << 20, '1'), 2},
        {"some 10 MB of rows", tooMany, 10'002},
    };
    for (const auto& c : cases) {
        const RuleFileReading reading = ReadRuleFile(c.text);
        EXPECT_FALSE(reading.table) << c.name;
        EXPECT_EQ(reading.error.line, c.line) << c.name << ": " << reading.error.message;
        EXPECT_FALSE(reading.error.message.empty()) << c.name;
    }
}

TEST(BrokerTerms, EachFieldIsCheckedAndNamed)
{
    const struct {
        const char* text;
        bool rate, minimum;
    } texts[] = {
        {"0", true, true},        {"3", true, true},         {"3.000000000000000001", false, false},
        {"0.085", true, false},   {"2.7", true, true},      {"-0.1", false, false},
        {"5.00", false, true},    {"5.001", false, false},   {"10000", false, true},
        {"10000.01", false, false}, {"abc", false, false},   {"", false, false},
    };
    for (const auto& t : texts) {
        EXPECT_EQ(IsBrokerRate(t.text), t.rate) << t.text;
        EXPECT_EQ(IsBrokerMinimum(t.text), t.minimum) << t.text;
    }
    BrokerForm form = FormOf(BrokerTerms{}, "0.25", false);
    form.text[broker::FundsRate] = "";  // the shares' rate
    EXPECT_TRUE(ReadBrokerForm(form).outcome.ok());
    form.text[broker::BondsMinimum] = "1.005";
    form.text[broker::SharesRate] = "4";
    const Outcome refusal = ReadBrokerForm(form).outcome;
    EXPECT_EQ(refusal.reason, Reason::BrokerRate);
    EXPECT_EQ(refusal.field, broker::SharesRate);  // the first in the dialog's order: shares, funds, bonds
}

} // namespace
} // namespace qcal
