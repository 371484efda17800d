#include "core/statement_import.h"

#include <algorithm>
#include <limits>
#include <map>
#include <unordered_map>

#include "core/civil_date.h"
#include "core/journal_fees.h"
#include "core/messages.h"
#include "core/numtext.h"
#include "core/outcome.h"
#include "core/picture.h"

namespace qcal::statement {

namespace {

using journal::Entry;

std::optional<journal::Kind> JournalKind(Kind kind)
{
    switch (kind) {
    case Kind::Buy: return journal::Kind::Buy;
    case Kind::Sell: return journal::Kind::Sell;
    case Kind::CashDividend: return journal::Kind::CashDividend;
    case Kind::BonusShares: return journal::Kind::BonusShares;
    case Kind::ReserveShares: return journal::Kind::ReserveShares;
    case Kind::Skipped: break;
    }
    return std::nullopt;
}

std::string Trimmed(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// The order the journal takes a code's entries in: by day, then time (none first), then as given.
struct Moment {
    std::string date;
    std::int32_t seconds = -1;
    std::size_t order = 0;
    friend auto operator<=>(const Moment&, const Moment&) = default;
};

Moment MomentOf(const Entry& e, std::size_t order)
{
    return {e.date, journal::SecondsOfTime(e.time).value_or(-1), order};
}

// The shares of one code held at a moment: the journal's entries and the import's earlier ones,
// counted share by share (a bonus credited from its rate rounds down, as the journal's does).
class SharesOfCode {
public:
    explicit SharesOfCode(std::vector<Entry> journal)
    {
        for (Entry& e : journal)
            Add(std::move(e));
    }
    void Add(Entry e)
    {
        const std::size_t order = entries_.size();
        entries_.emplace_back(MomentOf(e, order), std::move(e));
    }
    // Before `at`, an entry not yet added.
    std::int64_t HeldBefore(const Moment& at) const
    {
        std::vector<const std::pair<Moment, Entry>*> before;
        for (const auto& item : entries_)
            if (std::pair(item.first.date, item.first.seconds) < std::pair(at.date, at.seconds))
                before.push_back(&item);
        std::sort(before.begin(), before.end(), [](auto* a, auto* b) { return a->first < b->first; });
        // Wide, so that no count of shares a file can hold wraps; beyond Money's range is "none".
        Int128 held = 0;
        constexpr Int128 kMost = std::numeric_limits<std::int64_t>::max() / Money::kScale;
        for (const auto* item : before) {
            const Entry& e = item->second;
            switch (e.kind) {
            case journal::Kind::Buy: held += e.quantity; break;
            case journal::Kind::Sell: held -= e.quantity; break;
            case journal::Kind::CashDividend: break;
            case journal::Kind::BonusShares:
            case journal::Kind::ReserveShares:
                if (e.quantity > 0)
                    held += e.quantity;
                else if (held > 0 && held <= kMost)
                    held += held * e.price.Raw() / Money::kScale / 10;
                break;
            }
            if (held > kMost || held < -kMost)
                return 0;
        }
        return static_cast<std::int64_t>(held);
    }

private:
    std::vector<std::pair<Moment, Entry>> entries_;
};

// A figure per 10 shares held, to four decimals (the journal's precision of a rate); nullopt
// beyond Money's range.
std::optional<Money> PerTen(Money total, std::int64_t held)
{
    const Int128 raw = static_cast<Int128>(total.Raw()) * 10;
    Int128 q = raw / held;
    if ((raw % held) * 2 >= held)
        ++q;
    if (q > std::numeric_limits<std::int64_t>::max())
        return std::nullopt;
    return Money::FromRaw(static_cast<std::int64_t>(q));
}

std::string Shares(Money m) { return FormatPicture(m, "0"); }

} // namespace

std::vector<Entry> ImportPlan::Entries() const
{
    std::vector<Entry> entries;
    entries.reserve(trades + events);
    for (const PlannedRow& row : rows)
        if (row.fate == Fate::Import && row.entry)
            entries.push_back(*row.entry);
    return entries;
}

ImportPlan PlanImport(const Statement& statement, const FeeSettings& broker, const JournalView& journal)
{
    ImportPlan plan;
    plan.rows.reserve(statement.records.size());
    std::unordered_map<std::string, std::size_t> seen;  // duplicate key → its first line
    seen.reserve(statement.records.size());
    std::unordered_map<std::string, std::vector<std::size_t>> importedOf;  // trades to import, by code
    std::map<std::string, std::vector<std::size_t>> eventsOf;               // events to import, by code

    auto skip = [&plan](PlannedRow& row, std::string reason) {
        row.fate = Fate::Skip;
        row.reason = std::move(reason);
        row.entry.reset();
        ++plan.skipped;
    };

    for (const Record& r : statement.records) {
        PlannedRow& row = plan.rows.emplace_back();
        row.line = r.line;
        row.kindText = r.kindText;
        const auto kind = JournalKind(r.kind);
        if (!kind) {
            skip(row, r.reason);
            continue;
        }
        Entry e;
        e.date = r.date;
        e.time = journal::SecondsOfTime(r.time) ? r.time : std::string();
        e.code = r.code;
        const auto date = CivilDate::Parse(r.date);
        e.product = std::string(journal::ProductOf(r.code, {}, date.value_or(CivilDate()),
                                                   broker.instruments ? *broker.instruments : BuiltInInstruments())
                                    .name);
        e.kind = *kind;
        e.source = DuplicateKey(r);

        if (*kind != journal::Kind::CashDividend) {
            if (r.quantity.Raw() % Money::kScale != 0) {
                skip(row, FillIn(msg::kSkipNotWholeShares, {FieldCaption(Field::Quantity)}));
                continue;
            }
            e.quantity = r.quantity.Raw() / Money::kScale;
        }
        if (journal::IsTrade(*kind)) {
            e.price = r.price;
            e.amount = r.amount;
            const auto put = [](journal::Fee& fee, const std::optional<Money>& given) {
                if (given)
                    fee = {*given, true};
            };
            put(e.commission, r.commission);
            put(e.stampDuty, r.stampDuty);
            put(e.transferFee, r.transferFee);
            put(e.otherFees, r.otherFee);
            const Outcome filled = journal::FillComputedFees(e, broker);
            if (!filled.ok()) {
                skip(row, FillIn(msg::kSkipFees, {Trimmed(MessageText(filled, {}))}));
                continue;
            }
        }

        // A duplicate is found before an event's rate is worked out: it is not imported either way.
        if (journal.holds && journal.holds(e.source)) {
            row.fate = Fate::InJournal;
            row.reason = msg::kInJournal;
            row.entry = std::move(e);
            ++plan.duplicates;
            continue;
        }
        if (const auto [at, fresh] = seen.emplace(e.source, r.line); !fresh) {
            row.fate = Fate::TwiceInFile;
            row.reason = FillIn(msg::kTwiceInFile, {std::to_string(at->second)});
            row.entry = std::move(e);
            ++plan.duplicates;
            continue;
        }

        // An event's rate waits for every trade of the file: a statement need not be in date order.
        if (!journal::IsTrade(*kind)) {
            row.entry = std::move(e);
            eventsOf[row.entry->code].push_back(plan.rows.size() - 1);
            continue;
        }

        // A trade the journal would refuse in itself is skipped here, with the journal's words.
        if (const auto problem = journal::ProblemInItself(e)) {
            skip(row, FillIn(msg::kSkipEntry, {Trimmed(std::string(journal::ProblemText(*problem)))}));
            continue;
        }

        ++plan.trades;
        importedOf[e.code].push_back(plan.rows.size() - 1);
        row.entry = std::move(e);
    }

    // The events of each code, in the order the journal takes them, on the shares held before each.
    for (auto& [code, events] : eventsOf) {
        std::vector<Entry> known = journal.entriesOf ? journal.entriesOf(code) : std::vector<Entry>();
        for (const std::size_t i : importedOf[code])
            known.push_back(*plan.rows[i].entry);
        SharesOfCode shares(std::move(known));
        std::sort(events.begin(), events.end(), [&plan](std::size_t a, std::size_t b) {
            return MomentOf(*plan.rows[a].entry, a) < MomentOf(*plan.rows[b].entry, b);
        });
        for (const std::size_t i : events) {
            PlannedRow& row = plan.rows[i];
            Entry& e = *row.entry;
            const Record& r = statement.records[i];
            const std::int64_t held = shares.HeldBefore(MomentOf(e, 0));
            if (held <= 0) {
                skip(row, std::string(msg::kSkipNothingHeld));
                continue;
            }
            const bool cash = e.kind == journal::Kind::CashDividend;
            const Money given = cash ? r.amount : r.quantity;
            const auto rate = PerTen(given, held);
            if (!rate) {
                skip(row, FillIn(msg::kSkipOutOfRange, {FieldCaption(Field::Amount)}));
                continue;
            }
            e.price = *rate;
            e.note = FillIn(msg::kImportEventNote,
                            {r.kindText, cash ? FormatPicture(given, "0.00") : Shares(given), std::to_string(held)});
            ++plan.events;
            shares.Add(e);
        }
    }
    return plan;
}

std::string SummaryText(const ImportPlan& plan)
{
    return FillIn(msg::kImportSummary, {std::to_string(plan.trades), std::to_string(plan.events),
                                        std::to_string(plan.skipped), std::to_string(plan.duplicates)});
}

} // namespace qcal::statement
