#include "core/mini.h"

#include "core/input_checks.h"
#include "core/money.h"
#include "core/numtext.h"
#include "core/picture.h"

namespace qcal {

namespace {

// Beyond this a whole number of shares no longer shows exactly in 15 significant digits.
constexpr double kQuantityLimit = 1e15;

} // namespace

MiniOutcome ConfirmMiniPrice(MiniFields& fields)
{
    if (!IsPositiveAmountText(fields.price))
        return Refusal(Reason::InputError, mini::Price);
    fields.price = FormatPicture(*ParseNumber(fields.price), "###,###,##0.00##");
    return {};
}

MiniOutcome ComputeMini(MiniFields& fields, const FeeSettings& settings)
{
    if (!IsPositiveAmountText(fields.price))
        return Refusal(Reason::InputError, mini::Price);
    // Below one share the quantity would show as an empty text and the search would divide by zero.
    const auto q = ParseNumber(fields.quantity);
    if (!q || *q < 1)
        return Refusal(Reason::InputError, mini::Quantity);
    if (*q >= kQuantityLimit)
        return Refusal(Reason::OutOfRange, mini::Quantity);

    const ScheduleReading reading = ReadSchedule(settings);
    if (!reading.schedule)
        return Refusal(reading.problem);

    const std::string quantity = FormatPicture(*q, "###,###,###");
    std::optional<Money> breakEven;
    try {
        const Money price = MoneyOrZero(fields.price);
        const Money shares = MoneyOrZero(quantity);
        breakEven = reading.schedule->PurchaseBreakEven(price, shares);
    } catch (const OutOfRange&) {
        breakEven.reset();
    }
    if (!breakEven)
        return Refusal(Reason::OutOfRange, mini::Quantity);

    fields.quantity = quantity;
    // The own model's break-even is on its grid of 0.001; one on the tick shows the tick's decimals.
    const FeeSchedule& schedule = *reading.schedule;
    fields.breakEven = FormatPicture(*breakEven, schedule.model().BreakEvenOnTheTick() ? TickPicture(schedule.Tick(), true)
                                                                                 : std::string("###,###,##0.00##"));
    return {};
}

} // namespace qcal
