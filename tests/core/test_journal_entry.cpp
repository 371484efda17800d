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
#include "journal_draw.h"

namespace qcal::journal {
namespace {

bool IsTrade(Kind kind) { return kind == Kind::Buy || kind == Kind::Sell; }

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

// Fees by product under the current rules, commission 0.25 ‰ with its 5-yuan minimum: stamp duty
// 0.5 ‰ on sales and transfer fee 0.01 ‰ in Shanghai and Shenzhen, neither on funds and bonds.
TEST(JournalFees, EachProductPaysItsMarketsFees)
{
    const FeeSettings broker{"0.25", "1", "深圳A股", FeeRules::Own, false};
    struct Case {
        const char* product;
        Kind kind;
        Money stampDuty, transferFee;
    };
    const Money amount = Money::FromWhole(100000);  // 0.25 ‰ of it is 25.00: above the minimum
    const Case cases[] = {
        {"上海A股", Kind::Sell, Money::FromWhole(50), Money::FromWhole(1)},
        {"科创板", Kind::Sell, Money::FromWhole(50), Money::FromWhole(1)},
        {"创业板", Kind::Buy, Money(), Money::FromWhole(1)},
        {"北交所", Kind::Sell, Money::FromWhole(50), Money::FromWhole(1)},
        {"基金、权证", Kind::Sell, Money(), Money()},
        {"可转债", Kind::Buy, Money(), Money()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.product);
        Entry e;
        e.date = "2024-03-01";
        e.code = "600000";
        e.product = c.product;
        e.kind = c.kind;
        e.price = Money::FromWhole(10);
        e.quantity = 10000;
        e.amount = amount;
        e.transferFee = {Money::FromWhole(3), true};  // as charged: kept
        ASSERT_EQ(FillComputedFees(e, broker), Reason::None);
        EXPECT_EQ(e.commission, (Fee{Money::FromWhole(25), false}));
        EXPECT_EQ(e.stampDuty, (Fee{c.stampDuty, false}));
        EXPECT_EQ(e.transferFee, (Fee{Money::FromWhole(3), true}));
        EXPECT_EQ(e.otherFees, Fee{});
        e.transferFee = {};
        ASSERT_EQ(FillComputedFees(e, broker), Reason::None);
        EXPECT_EQ(e.transferFee.value, c.transferFee);
    }
    // A commission the current rules do not allow is told, not charged.
    Entry e;
    e.product = "上海A股";
    e.amount = amount;
    e.quantity = 1;
    EXPECT_EQ(FillComputedFees(e, {"3.5", "1", "", FeeRules::Own, false}), Reason::CommissionAboveCap);
    EXPECT_EQ(FillComputedFees(e, {"abc", "1", "", FeeRules::Own, false}), Reason::CommissionRate);
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
