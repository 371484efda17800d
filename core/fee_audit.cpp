#include "core/fee_audit.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "core/civil_date.h"
#include "core/journal_fees.h"
#include "core/messages.h"
#include "core/numtext.h"
#include "core/outcome.h"
#include "core/picture.h"
#include "core/schedule.h"

namespace qcal::audit {

namespace {

using journal::Entry;

constexpr Money kCent = Money::FromRaw(Money::kScale / 100);

// A rate lowered this long ago is no longer a likely slip of the broker's: a fee of twice the
// computed one is then more likely booked twice.
constexpr std::int32_t kOldRateDays = 366;

const journal::Fee& FeeOf(const Entry& e, FeeKind fee)
{
    switch (fee) {
    case FeeKind::Commission: return e.commission;
    case FeeKind::StampDuty: return e.stampDuty;
    case FeeKind::TransferFee: return e.transferFee;
    case FeeKind::OtherFees: break;
    }
    return e.otherFees;
}

Money ValueOf(const SideFeeResult& fees, FeeKind fee)
{
    switch (fee) {
    case FeeKind::Commission: return fees.commission;
    case FeeKind::StampDuty: return fees.stampDuty;
    case FeeKind::TransferFee: return fees.transferFee;
    case FeeKind::OtherFees: break;
    }
    return fees.otherFees;
}

// The fee under rates changed by `change`; nullopt when they charge nothing comparable.
template <typename Change>
std::optional<Money> ChargedUnder(const Rates& rates, Change change, Side side, const Entry& e, FeeKind fee)
{
    Rates other = rates;
    change(other);
    try {
        const auto fees = FeeSchedule(other).Charge(side, e.amount, Money::FromWhole(e.quantity));
        if (fees)
            return ValueOf(*fees, fee);
    } catch (const OutOfRange&) {
    }
    return std::nullopt;
}

// The rate charged, per mille of the amount, to 0.001 halves up.
Money RatePerMille(Money charged, Money amount)
{
    const Int128 thousandths = static_cast<Int128>(charged.Raw()) * 1000000;
    const Int128 whole = amount.Raw();
    Int128 q = thousandths / whole;
    if ((thousandths % whole) * 2 >= whole)
        ++q;
    return Money::FromRaw(static_cast<std::int64_t>(q * 10));
}

struct Context {
    const Entry& entry;
    Side side;
    const Rates& rates;
    CivilDate date;
    const RuleTable& table;
};

Cause CommissionCause(const Context& c, FeeLine& line)
{
    if (line.charged < line.computed)
        return Cause::Unknown;
    if (c.rates.waiveMinimum) {
        const auto withMinimum =
            ChargedUnder(c.rates, [](Rates& r) { r.waiveMinimum = false; }, c.side, c.entry, FeeKind::Commission);
        if (withMinimum && *withMinimum == line.charged)
            return Cause::MinimumOnWaived;
    }
    if (line.computed > Money() && line.Difference() == line.computed)
        return Cause::ChargedTwice;
    if (c.entry.amount > Money()) {
        const Money rate = RatePerMille(line.charged, c.entry.amount);
        if (ExactAbove(ExactDecimal{rate.Raw(), 4}, c.rates.kindCommission)) {
            line.chargedRate = rate;
            return Cause::RateAboveTerms;
        }
    }
    return Cause::Unknown;
}

// The fee at the rates in force before the last change of the kind's rates, when that change is
// recent enough for the broker to have missed it.
std::optional<Money> AtFormerRates(const Context& c, FeeKind fee)
{
    const RuleRow& now = c.rates.rule;
    if (c.date.DayNumber() - now.from.DayNumber() > kOldRateDays)
        return std::nullopt;
    const RuleRow* before = c.table.InForce(now.group, CivilDate::FromDayNumber(now.from.DayNumber() - 1));
    if (!before)
        return std::nullopt;
    return ChargedUnder(c.rates, [before](Rates& r) { r.rule = *before; }, c.side, c.entry, fee);
}

Cause OtherCause(const Context& c, FeeLine& line)
{
    if (line.fee == FeeKind::StampDuty && c.side == Side::Buy && line.computed == Money() && line.charged > Money())
        return Cause::StampDutyOnBuy;
    if (line.charged > line.computed) {
        if (line.fee == FeeKind::OtherFees && !c.rates.feesOnTop && line.computed == Money()) {
            const auto onTop =
                ChargedUnder(c.rates, [](Rates& r) { r.feesOnTop = true; }, c.side, c.entry, FeeKind::OtherFees);
            if (onTop && *onTop == line.charged)
                return Cause::ChargedTwice;
        }
        const auto former = AtFormerRates(c, line.fee);
        if (former && *former == line.charged)
            return Cause::OldRate;
        if (line.computed > Money() && line.Difference() == line.computed)
            return Cause::ChargedTwice;
    }
    return Cause::Unknown;
}

// The rate the broker's terms give the entry's kind of security, as the user typed it.
std::string TermsRate(const Rates& rates) { return FormatExactDecimal(rates.kindCommission); }

std::string Trimmed(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

std::string Amount(Money value) { return FormatPicture(value, "0.00"); }

} // namespace

std::string_view FeeName(FeeKind fee)
{
    switch (fee) {
    case FeeKind::Commission: return "佣金";
    case FeeKind::StampDuty: return "印花税";
    case FeeKind::TransferFee: return "过户费";
    case FeeKind::OtherFees: break;
    }
    return "规费";
}

bool FeeLine::Differs() const
{
    const Money d = Difference();
    return d > kCent || d < Money() - kCent;
}

bool TradeAudit::Differs() const
{
    for (const FeeLine& line : fees)
        if (line.Differs())
            return true;
    return false;
}

Audit AuditFees(std::span<const Entry> entries, const FeeSettings& broker)
{
    Audit audit;
    // Summed wide: only fees no statement could hold would pass Money's range, and they must not
    // stop the audit of the rest.
    Int128 tooMuch = 0, tooLittle = 0;
    const RuleTable& table = broker.ruleTable ? *broker.ruleTable : RuleTable::BuiltIn();
    for (const Entry& e : entries) {
        if (!journal::IsTrade(e.kind))
            continue;
        bool anyTyped = false;
        for (std::size_t k = 0; k < kFeeKinds; ++k)
            anyTyped = anyTyped || FeeOf(e, static_cast<FeeKind>(k)).typed;
        if (!anyTyped)
            continue;
        TradeAudit trade{e, {}, {}};
        ++audit.summary.trades;
        const auto date = CivilDate::Parse(e.date);
        const ScheduleReading reading = journal::ScheduleFor(e.code, e.product, date.value_or(CivilDate()), broker);
        std::optional<SideFeeResult> computed;
        const Side side = e.kind == journal::Kind::Sell ? Side::Sell : Side::Buy;
        Reason problem = reading.problem;
        if (reading.schedule) {
            try {
                computed = reading.schedule->Charge(side, e.amount, Money::FromWhole(e.quantity));
            } catch (const OutOfRange&) {
            }
            if (!computed)
                problem = Reason::OutOfRange;
        }
        if (!computed || !date) {
            trade.problem = Trimmed(MessageText(Refusal(problem, 0, reading.subject), {}));
            ++audit.summary.uncomputable;
            audit.trades.push_back(std::move(trade));
            continue;
        }
        const Context context{e, side, reading.schedule->rates(), *date, table};
        for (std::size_t k = 0; k < kFeeKinds; ++k) {
            const auto kind = static_cast<FeeKind>(k);
            const journal::Fee& fee = FeeOf(e, kind);
            if (!fee.typed)
                continue;
            FeeLine line{kind, fee.value, ValueOf(*computed, kind), Cause::Unknown, std::nullopt, {}};
            if (line.Differs()) {
                line.cause = kind == FeeKind::Commission ? CommissionCause(context, line) : OtherCause(context, line);
                if (line.cause == Cause::RateAboveTerms)
                    line.termsRate = TermsRate(context.rates);
                const Money d = line.Difference();
                (d > Money() ? tooMuch : tooLittle) += d > Money() ? d.Raw() : -static_cast<Int128>(d.Raw());
            }
            trade.fees.push_back(line);
        }
        if (trade.Differs())
            ++audit.summary.differing;
        audit.trades.push_back(std::move(trade));
    }
    const auto clamp = [](Int128 raw) {
        return Money::FromRaw(static_cast<std::int64_t>(std::min<Int128>(raw, std::numeric_limits<std::int64_t>::max())));
    };
    audit.summary.tooMuch = clamp(tooMuch);
    audit.summary.tooLittle = clamp(tooLittle);
    return audit;
}

std::string CauseText(const FeeLine& line, const FeeSettings& broker)
{
    switch (line.cause) {
    case Cause::Unknown: return {};
    case Cause::MinimumOnWaived: return std::string(msg::kAuditMinimumOnWaived);
    case Cause::RateAboveTerms:
        return FillIn(msg::kAuditRateAboveTerms,
                      {line.chargedRate ? FormatPicture(*line.chargedRate, "0.000") : std::string("?"),
                       line.termsRate.empty() ? std::string_view(broker.commission) : line.termsRate});
    case Cause::StampDutyOnBuy: return std::string(msg::kAuditStampDutyOnBuy);
    case Cause::ChargedTwice: return std::string(msg::kAuditChargedTwice);
    case Cause::OldRate: return std::string(msg::kAuditOldRate);
    }
    return {};
}

std::string AuditCsv(const Audit& audit)
{
    std::string csv = "成交日期,证券代码,买卖,费用,实收,应收,差额\r\n";
    for (const TradeAudit& trade : audit.trades) {
        for (const FeeLine& line : trade.fees) {
            if (!line.Differs())
                continue;
            csv += trade.entry.date + ',' + trade.entry.code + ',' + std::string(journal::KindName(trade.entry.kind)) +
                   ',' + std::string(FeeName(line.fee)) + ',' + Amount(line.charged) + ',' + Amount(line.computed) +
                   ',' + Amount(line.Difference()) + "\r\n";
        }
    }
    csv += "合计,多收," + Amount(audit.summary.tooMuch) + ",少收," + Amount(audit.summary.tooLittle) + ",笔数," +
           std::to_string(audit.summary.differing) + "\r\n";
    return csv;
}

} // namespace qcal::audit
