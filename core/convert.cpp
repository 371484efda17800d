#include "core/convert.h"

#include <cmath>
#include <cstdint>
#include <optional>

#include "core/input_checks.h"
#include "core/numtext.h"
#include "core/picture.h"
#include "core/rounding.h"

namespace qcal {


ConvertOutcome ConfirmAmount(ConverterFields& fields)
{
    if (!IsPositiveAmountText(fields.amount))
        return Refusal(Reason::InputError, converter::Amount);
    fields.amount = FormatPicture(*ParseNumber(fields.amount), "###,###,##0.00");
    return {};
}

ConvertOutcome ConfirmPrice(ConverterFields& fields)
{
    if (!IsPositiveAmountText(fields.amount))
        return Refusal(Reason::InputError, converter::Amount);
    if (!IsPositiveAmountText(fields.price))
        return Refusal(Reason::InputError, converter::Price);
    fields.price = FormatPicture(*ParseNumber(fields.price), "###,###,##0.00##");
    return {};
}

ConvertOutcome ConvertAmount(ConverterFields& fields, const FeeSettings& settings)
{
    const auto a = ParseNumber(fields.amount);
    if (!a || *a < 0.01)
        return Refusal(Reason::InputError, converter::Amount);
    const auto p = ParseNumber(fields.price);
    if (!p || *p < 0.01)
        return Refusal(Reason::InputError, converter::Price);
    // The money left is rounded through 32 bits in cents. A sum that fits there also bounds the
    // search: a payment that no longer fits is larger than the sum, so that lot count is unaffordable.
    if (!RoundToInt32(*a * 100))
        return Refusal(Reason::OutOfRange, converter::Amount);

    const ScheduleReading reading = ReadSchedule(settings);
    if (!reading.schedule)
        return Refusal(reading.problem);
    const FeeSchedule& schedule = *reading.schedule;

    const auto tooSmall = [&fields] {
        fields.shares = std::string("0");  // not a bare literal: GCC 12 at -O2 warns falsely (-Wrestrict)
        fields.payment.clear();
        fields.left.clear();
        return Refusal(Reason::NotEnoughMoney, converter::Amount);
    };
    // The kind's least purchase, then its steps: 100 and 100 for shares and funds.
    const double least = schedule.instrument().leastBuy.ToDouble();
    const double step = schedule.instrument().buyStep.ToDouble();
    if (!(*a / *p > least))
        return tooSmall();

    // The most before fees; then one step fewer at a time until the payment fits. The payment only
    // grows with the quantity, so the first affordable quantity from the top is the largest one.
    // The texts are formatted once at the end: the pictures read back exactly the values they show.
    const double stepsBeforeFees = std::floor((*a / *p - least) / step);
    for (double steps = stepsBeforeFees; steps >= 0; --steps) {
        const double n = least + steps * step;
        const auto cents = schedule.PaymentCents(n, *p);
        if (!cents)
            continue;
        const double paid = *cents / 100.0;
        const auto leftCents = RoundToInt32((*a - paid) * 100);
        if (!leftCents || *leftCents < 0)
            continue;
        fields.shares = FormatPicture(n, "###,###,###");
        fields.payment = FormatPicture(paid, "###,###.00");
        fields.left = FormatPicture(*leftCents / 100.0, kAmountPicture);
        return {};
    }
    // The fees make even one lot dearer than the sum: never count below one lot.
    return tooSmall();
}

Outcome CarryRefusal(const ConverterFields& fields, bool buySideLocked)
{
    if (buySideLocked)
        return Refusal(Reason::ClearFirst);
    const auto shares = ParseNumber(fields.shares);
    if (!shares || *shares < 1 || !IsPositiveAmountText(fields.price))
        return Refusal(Reason::InputError);
    return {};
}

} // namespace qcal
