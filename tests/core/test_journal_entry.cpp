// What the journal window's frame, its fee rules and its exports do with an entry: any entry the
// journal holds goes into the frame's texts and reads back as itself; the fees follow each
// product's market; and every CSV cell, whatever text it holds, reads back from the file.

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/journal_csv.h"
#include "core/journal_fees.h"
#include "core/journal_fields.h"
#include "core/numtext.h"
#include "journal_draw.h"

namespace qcal::journal {
namespace {

// What the frame keeps of an entry: no id; events without fees; bonus shares counted from the
// rate when none were credited; every fee the frame left empty comes back 0 and untyped.
Entry AsKept(Entry e)
{
    e.id = 0;
    if (!IsTrade(e.kind)) {
        e.amount = Money();
        e.commission = e.stampDuty = e.transferFee = e.otherFees = {};
        if (e.kind == Kind::CashDividend)
            e.quantity = 0;
    }
    for (Fee* fee : {&e.commission, &e.stampDuty, &e.transferFee, &e.otherFees}) {
        if (!fee->typed)
            *fee = {};
    }
    return e;
}

// Every entry of random journals, and some at the edges of what the fields take, goes into the
// frame's texts and reads back as the same entry.
TEST(JournalFields, EveryEntryReadsBackFromItsTexts)
{
    std::mt19937_64 rng(5);
    std::vector<Entry> entries;
    for (int round = 0; round < 20; ++round) {
        auto drawn = qcal::test::DrawJournal(rng, {200, 4, 5000000, 850, 400, false});
        entries.insert(entries.end(), drawn.begin(), drawn.end());
    }
    for (Entry& e : entries) {
        e.note = "第" + std::to_string(e.id) + "笔, \"备注\"";
        if (IsTrade(e.kind))
            e.amount = e.price * Money::FromWhole(e.quantity);
    }
    Entry edge = entries.front();
    edge.kind = Kind::Buy;
    edge.price = Money::FromRaw(2147483647);  // 214,748.3647, the highest price a field takes
    edge.quantity = 42949672;
    edge.amount = edge.price * Money::FromWhole(edge.quantity);
    edge.commission = {Money::FromRaw(1), true};  // a ten-thousandth, typed
    edge.time = "23:59:59";
    entries.push_back(edge);
    edge.price = Money::FromRaw(1);
    edge.quantity = 1;
    edge.amount = Money::FromRaw(1);
    entries.push_back(edge);

    for (const Entry& e : entries) {
        const EntryFields fields = FieldsOf(e);
        const EntryReading reading = ReadEntryFields(fields);
        ASSERT_TRUE(reading.outcome.ok()) << "entry " << e.id << ": field " << reading.outcome.field << " refused "
                                          << fields.text[static_cast<std::size_t>(reading.outcome.field)];
        ASSERT_EQ(reading.entry, AsKept(e)) << "entry " << e.id;
        // The texts as rewritten are a fixed point: shown again, they read the same.
        ASSERT_EQ(ReadEntryFields(reading.fields).fields, reading.fields);
    }
}

// Fees by product under the current rules, commission 0.25 ‰ with its 5-yuan minimum and the
// broker's default terms (funds at the shares' rate, bonds at 0.2 ‰): stamp duty 0.5 ‰ on sales,
// transfer fee 0.01 ‰ on the A shares but Beijing's, neither on funds and bonds. The code decides
// the product, whatever the entry's list says, on the entry's day (Beijing's former codes until
// their switch); the list decides only for a code of no product the program knows.
TEST(JournalFees, EachEntryPaysItsCodesProductsFees)
{
    const FeeSettings broker{"0.25", "1", "深圳A股", FeeRules::Own, false};
    struct Case {
        const char* code;
        const char* date;
        const char* listed;   // the entry's own product
        const char* charged;  // the product it is charged as, and reads back as from the frame
        Kind kind;
        Money commission, stampDuty, transferFee;
    };
    const Money amount = Money::FromWhole(100000);  // 0.25 ‰ of it is 25.00: above the minimum
    const Money c25 = Money::FromWhole(25), duty = Money::FromWhole(50), fee = Money::FromWhole(1);
    const Case cases[] = {
        {"600000", "2024-03-01", "可转债", "上海A股", Kind::Sell, c25, duty, fee},
        {"688981", "2024-03-01", "上海A股", "科创板", Kind::Sell, c25, duty, fee},
        {"300750", "2024-03-01", "深圳A股", "创业板", Kind::Buy, c25, Money(), fee},
        {"920118", "2024-03-01", "深圳A股", "北交所", Kind::Sell, c25, duty, Money()},
        {"430047", "2024-03-01", "深圳A股", "北交所", Kind::Sell, c25, duty, Money()},
        {"430047", "2025-10-09", "北交所", "北交所", Kind::Sell, c25, duty, Money()},  // by its list now
        {"510300", "2024-03-01", "上海A股", "基金、权证", Kind::Sell, c25, Money(), Money()},
        {"113050", "2024-03-01", "上海A股", "可转债", Kind::Buy, Money::FromWhole(20), Money(), Money()},
        {"900901", "2024-03-01", "深圳A股", "深圳A股", Kind::Sell, c25, duty, fee},  // no product of ours
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.code) + " " + c.date);
        Entry e;
        e.date = c.date;
        e.code = c.code;
        e.product = c.listed;
        e.kind = c.kind;
        e.price = Money::FromWhole(10);
        e.quantity = 10000;
        e.amount = amount;
        EXPECT_EQ(ProductOf(e.code, e.product, *CivilDate::Parse(e.date)).name, c.charged);
        EXPECT_EQ(ReadEntryFields(FieldsOf(e)).entry.product, c.charged);
        e.transferFee = {Money::FromWhole(3), true};  // as charged: kept
        ASSERT_EQ(FillComputedFees(e, broker).reason, Reason::None);
        EXPECT_EQ(e.commission, (Fee{c.commission, false}));
        EXPECT_EQ(e.stampDuty, (Fee{c.stampDuty, false}));
        EXPECT_EQ(e.transferFee, (Fee{Money::FromWhole(3), true}));
        EXPECT_EQ(e.otherFees, Fee{});
        e.transferFee = {};
        ASSERT_EQ(FillComputedFees(e, broker).reason, Reason::None);
        EXPECT_EQ(e.transferFee.value, c.transferFee);
    }
    // Settings the current rules cannot use are told, not charged: the commission for every
    // product, a term of the broker's only for the products it is about.
    Entry e;
    e.date = "2024-03-01";
    e.code = "600000";
    e.amount = amount;
    e.quantity = 1;
    EXPECT_EQ(FillComputedFees(e, {"3.5", "1", "", FeeRules::Own, false}).reason, Reason::CommissionAboveCap);
    EXPECT_EQ(FillComputedFees(e, {"abc", "1", "", FeeRules::Own, false}).reason, Reason::CommissionRate);
    FeeSettings badBonds = broker;
    badBonds.terms.bondsCommission = "x";
    EXPECT_EQ(FillComputedFees(e, badBonds).reason, Reason::None);
    e.code = "113050";
    e.commission = {};
    EXPECT_EQ(FillComputedFees(e, badBonds).reason, Reason::BrokerTerms);

    // The rates are those of the trade's date: 1 ‰ stamp duty and 0.02 ‰ transfer in 2021, 规费 on
    // top at that day's 0.0687 ‰; before the table's first day the fees must be typed.
    Entry sale;
    sale.date = "2021-06-01";
    sale.code = "600000";
    sale.kind = Kind::Sell;
    sale.amount = Money::FromWhole(100000);
    sale.quantity = 10000;
    FeeSettings net = broker;
    net.terms.feesOnTop = true;
    ASSERT_TRUE(FillComputedFees(sale, net).ok());
    EXPECT_EQ(sale.stampDuty.value, Money::FromWhole(100));
    EXPECT_EQ(sale.transferFee.value, Money::FromWhole(2));
    EXPECT_EQ(sale.otherFees.value, *ParseMoney("6.87"));
    sale.date = "2015-07-31";
    sale.commission = sale.stampDuty = sale.transferFee = sale.otherFees = {};
    const Outcome early = FillComputedFees(sale, net);
    EXPECT_EQ(early.reason, Reason::TradeDateTooEarly);
    EXPECT_NE(MessageText(early, {}).find("2015-08-01"), std::string::npos);
}

// A minimal reader of the CSV written: cells split at commas outside quotes, "" for a quote.
std::vector<std::vector<std::string>> ReadCsv(const std::string& text)
{
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& cell = rows.back().back();
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            rows.emplace_back(1);
        } else {
            cell += c;
        }
    }
    rows.pop_back();  // after the last line's end
    return rows;
}

// Notes of every awkward sort come back cell for cell; a note a spreadsheet would take for a
// formula comes back as text behind an apostrophe.
TEST(JournalCsv, EveryNoteReadsBackCellForCell)
{
    std::mt19937_64 rng(9);
    const std::string pieces[] = {",", "\"", "\r\n", "\n", "\r", "=", "+", "-", "@", "\t", " ", "第一笔", "a", "'"};
    std::vector<Entry> entries = qcal::test::DrawJournal(rng, {300, 3, 1000, 850, 40, false});
    for (Entry& e : entries) {
        e.note.clear();
        for (auto n = rng() % 6; n > 0; --n)
            e.note += pieces[rng() % std::size(pieces)];
    }
    const auto rows = ReadCsv(JournalCsv(entries));
    ASSERT_EQ(rows.size(), entries.size() + 1);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        const auto& row = rows[i + 1];
        ASSERT_EQ(row.size(), rows[0].size()) << "entry " << e.id << " note [" << e.note << "]";
        const bool formula = !e.note.empty() && std::string("=+-@\t\r").find(e.note[0]) != std::string::npos;
        EXPECT_EQ(row[14], formula ? "'" + e.note : e.note);
        EXPECT_EQ(row[0], std::to_string(e.id));
        EXPECT_EQ(row[3], e.code);
        EXPECT_EQ(row[5], KindName(e.kind));
    }
}

// One code's faulty entry does not hide the others: every code comes out as it would alone.
TEST(JournalHoldings, EachCodeComesOutAsItWouldAlone)
{
    std::mt19937_64 rng(13);
    for (int round = 0; round < 50; ++round) {
        std::vector<Entry> entries = qcal::test::DrawJournal(rng, {120, 4, 300, 850, 60, true});
        if (round % 2 == 0) {
            // A sale of more than is held, in one of the codes.
            Entry& e = entries[rng() % entries.size()];
            e.kind = Kind::Sell;
            e.quantity = 1000000;
            e.price = Money::FromWhole(1);
            e.amount = Money::FromWhole(1000000);
        }
        std::map<std::string, std::vector<Entry>> byCode;
        for (const Entry& e : entries)
            byCode[e.code].push_back(e);
        const std::vector<CodeHoldings> each = HoldingsOfEachCode(entries);
        ASSERT_EQ(each.size(), byCode.size());
        for (const CodeHoldings& h : each) {
            const Holdings alone = ComputeHoldings(byCode.at(h.code));
            ASSERT_EQ(h.refusal, alone.refusal) << h.code;
            if (!alone.refusal) {
                ASSERT_EQ(h.position, alone.positions.front()) << h.code;
            }
        }
    }
}

} // namespace
} // namespace qcal::journal
