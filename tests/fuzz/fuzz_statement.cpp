// libFuzzer target of the statement reader (scripts/fuzz-statement): any bytes, decoded in each
// encoding and read with the usual and with tight limits. Besides crashes, hangs and sanitizer
// findings it stops on a broken promise: text that is not UTF-8 out of the decoder, a different
// result when the same text is fed in pieces, a problem without a message, a mapping text that
// does not read back as itself. What it reads is then planned for import and audited: every row
// has one fate and the counts add up, every entry to import carries its row's key, no fee given is
// changed, the audit's totals are its lines'.

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/fee_audit.h"
#include "core/statement.h"
#include "core/statement_import.h"
#include "settings/statement_text.h"

namespace {

using namespace qcal::statement;

void Require(bool promise)
{
    if (!promise)
        std::abort();
}

void PlanAndAudit(const Statement& statement, bool waiveMinimum)
{
    qcal::FeeSettings broker;
    broker.rules = qcal::FeeRules::Current;
    broker.commission = "0.25";
    broker.waiveMinimum = waiveMinimum;
    // The journal holds every other key it is asked about, and one share of every code.
    std::size_t asked = 0;
    const JournalView journal{[&asked](const std::string&) { return ++asked % 2 == 0; },
                              [](const std::string& code) {
                                  qcal::journal::Entry e;
                                  e.date = "2000-01-04";
                                  e.code = code;
                                  e.quantity = 1;
                                  return std::vector<qcal::journal::Entry>{e};
                              }};
    const ImportPlan plan = PlanImport(statement, broker, journal);
    Require(plan.rows.size() == statement.records.size());
    Require(plan.trades + plan.events + plan.skipped + plan.duplicates == plan.rows.size());
    for (std::size_t i = 0; i < plan.rows.size(); ++i) {
        const PlannedRow& row = plan.rows[i];
        const Record& r = statement.records[i];
        Require(row.line == r.line);
        Require((row.fate == Fate::Skip) == !row.entry.has_value());
        Require(row.fate == Fate::Import || !row.reason.empty());
        if (!row.entry)
            continue;
        Require(row.entry->source == DuplicateKey(r));
        if (!r.IsTrade())
            continue;
        if (r.commission)
            Require(row.entry->commission.typed && row.entry->commission.value == *r.commission);
        if (r.otherFee)
            Require(row.entry->otherFees.typed && row.entry->otherFees.value == *r.otherFee);
    }
    const auto entries = plan.Entries();
    Require(entries.size() == plan.trades + plan.events);
    const qcal::audit::Audit audit = qcal::audit::AuditFees(entries, broker);
    qcal::Money tooMuch, tooLittle;
    std::size_t differing = 0;
    for (const auto& trade : audit.trades) {
        differing += trade.Differs();
        for (const auto& line : trade.fees) {
            if (!line.Differs())
                continue;
            (line.Difference() > qcal::Money() ? tooMuch : tooLittle) += line.Difference();
            Require(line.cause == qcal::audit::Cause::Unknown || !qcal::audit::CauseText(line, broker).empty());
        }
    }
    Require(audit.summary.tooMuch == tooMuch && qcal::Money() - audit.summary.tooLittle == tooLittle);
    Require(audit.summary.differing == differing);
    Require(qcal::audit::AuditCsv(audit).ends_with("\r\n"));
}

void ReadEveryWay(std::string_view text, const ReadOptions& options, std::size_t cut)
{
    const Statement whole = Read(text, options);
    PlanAndAudit(whole, cut % 2 == 0);
    Require(whole.Ok() == whole.message.empty());
    Reader pieces(options);
    cut = text.empty() ? 0 : cut % text.size();
    pieces.Feed(text.substr(0, cut));
    for (std::size_t at = cut; at < text.size(); at += 7)
        pieces.Feed(text.substr(at, 7));
    Require(pieces.Finish() == whole);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    const std::size_t cut = size ? data[0] * 131u + data[size - 1] : 0;
    for (const auto choice : {qcal::settings::EncodingChoice::Detect, qcal::settings::EncodingChoice::Utf8,
                              qcal::settings::EncodingChoice::Gbk}) {
        const auto text = qcal::settings::DecodeStatement(bytes, choice);
        EncodingScanner check;
        check.Feed(text.utf8);
        Require(check.ValidUtf8());
        if (choice == qcal::settings::EncodingChoice::Detect) {
            ReadEveryWay(text.utf8, {}, cut);
            ReadOptions tight;
            tight.limits = {64, 8, 5};
            ReadEveryWay(text.utf8, tight, cut);
        }
    }
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    if (const auto map = ColumnMapFromText(raw)) {
        const auto again = ColumnMapFromText(ToText(*map));
        Require(again && *again == *map);
        ReadEveryWay(raw, {map, {}}, cut);
    }
    return 0;
}
