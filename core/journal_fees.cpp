#include "core/journal_fees.h"

namespace qcal::journal {

const Instrument& ProductOf(std::string_view code, std::string_view product, CivilDate date, InstrumentTable table)
{
    if (const Instrument* named = InstrumentOfCode(code, date, table))
        return *named;
    return FindInstrument(product, table);
}

ScheduleReading ScheduleFor(std::string_view code, std::string_view product, CivilDate date,
                            const FeeSettings& broker)
{
    FeeSettings rules = broker;
    rules.rules = FeeRules::Current;
    rules.market = std::string(
        ProductOf(code, product, date, broker.instruments ? *broker.instruments : BuiltInInstruments()).name);
    rules.tradeDate = date.Format();
    return ReadSchedule(rules);
}

EntryFees FeesFor(const Entry& entry, const FeeSettings& broker)
{
    const auto date = CivilDate::Parse(entry.date);
    const ScheduleReading reading = ScheduleFor(entry.code, entry.product, date.value_or(CivilDate()), broker);
    if (!reading.schedule)
        return {std::nullopt, reading.problem, reading.subject};
    const Side side = entry.kind == Kind::Sell ? Side::Sell : Side::Buy;
    try {
        const auto fees = reading.schedule->Charge(side, entry.amount, Money::FromWhole(entry.quantity));
        return {fees, fees ? Reason::None : Reason::OutOfRange};
    } catch (const OutOfRange&) {
        return {std::nullopt, Reason::OutOfRange};  // shares beyond Money's range
    }
}

Outcome FillComputedFees(Entry& entry, const FeeSettings& broker)
{
    if (!IsTrade(entry.kind)) {
        entry.commission = entry.stampDuty = entry.transferFee = entry.otherFees = {};
        return {};
    }
    const bool allTyped =
        entry.commission.typed && entry.stampDuty.typed && entry.transferFee.typed && entry.otherFees.typed;
    if (allTyped)
        return {};
    const EntryFees computed = FeesFor(entry, broker);
    if (!computed.fees)
        return qcal::Refusal(computed.problem, 0, computed.subject);
    const auto put = [](Fee& fee, Money value) {
        if (!fee.typed)
            fee.value = value;
    };
    put(entry.commission, computed.fees->commission);
    put(entry.stampDuty, computed.fees->stampDuty);
    put(entry.transferFee, computed.fees->transferFee);
    put(entry.otherFees, computed.fees->otherFees);
    return {};
}

SaleNet SaleNetOf(const std::optional<FeeSchedule>& schedule)
{
    if (!schedule)
        return [](Money, Money) { return std::optional<Money>(); };
    return [schedule = *schedule](Money price, Money shares) -> std::optional<Money> {
        try {
            const Money amount = price * shares;
            const auto fees = schedule.Charge(Side::Sell, amount, shares);
            if (!fees)
                return std::nullopt;
            return amount - fees->Total();
        } catch (const OutOfRange&) {
            return std::nullopt;
        }
    };
}

BreakEvenSearch BreakEvenSearchOf(const std::optional<FeeSchedule>& schedule)
{
    if (!schedule)
        return [](Money, Money) { return std::optional<Money>(); };
    return [schedule = *schedule](Money toRecover, Money shares) { return SaleBreakEven(schedule, toRecover, shares); };
}

} // namespace qcal::journal
