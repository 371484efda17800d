#pragma once
// Which fee rules charge a journal entry's trade, in one place: the current rules with the rates in
// force on the trade's date (core/rule_table.h), for the product the entry's code names
// (core/instrument.h), with the broker's commission, terms and waived minimum from the main
// window's settings. Its callers: the fees of a trade whose fees were
// not typed, the net of a sale for the unrealised profit, and the break-even on the product's tick.

#include <optional>
#include <string>
#include <string_view>

#include "core/civil_date.h"
#include "core/fee_settings.h"
#include "core/instrument.h"
#include "core/journal.h"
#include "core/outcome.h"
#include "core/schedule.h"

namespace qcal::journal {

// The product of a code traded on `date`: the one whose codes it starts with that day; for a code
// of no product the program knows, the product the entry names (the unknown row for a name that is
// none).
const Instrument& ProductOf(std::string_view code, std::string_view product, CivilDate date,
                            InstrumentTable table = BuiltInInstruments());

// The schedule that charges a trade of that product on `date`, or why it cannot: the broker's
// settings (CommissionRate, CommissionAboveCap, BrokerTerms) or a date before the rule table's
// first rates of the product (TradeDateTooEarly, the subject naming the first date).
ScheduleReading ScheduleFor(std::string_view code, std::string_view product, CivilDate date,
                            const FeeSettings& broker);

// The fees the rules give a trade entry (its amount, quantity and side); nullopt when the broker's
// settings cannot be used or a figure leaves Money's range.
struct EntryFees {
    std::optional<SideFeeResult> fees;
    Reason problem = Reason::None;  // the schedule's problem, or OutOfRange, when empty
    std::string subject = {};       // what the problem's message names
};
EntryFees FeesFor(const Entry& entry, const FeeSettings& broker);

// Puts the computed fees into every fee of a trade entry that was not typed; a typed fee is kept.
// Events carry no fees. Nothing to say, or why the fees cannot be computed.
Outcome FillComputedFees(Entry& entry, const FeeSettings& broker);

// Selling a position's shares under a schedule: what a sale brings in after its fees, and the
// lowest price on the product's tick that brings in a sum. Without a schedule both give nothing.
SaleNet SaleNetOf(const std::optional<FeeSchedule>& schedule);
BreakEvenSearch BreakEvenSearchOf(const std::optional<FeeSchedule>& schedule);

} // namespace qcal::journal
