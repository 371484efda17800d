#include "core/mini.h"

#include "core/input_checks.h"
#include "core/messages.h"
#include "core/money.h"
#include "core/numtext.h"
#include "core/picture.h"

namespace qcal {

namespace {

constexpr MiniOutcome Fail(MiniFailure failure, std::string_view message) { return {failure, message}; }

// Beyond this a whole number of shares no longer shows exactly in 15 significant digits.
constexpr double kQuantityLimit = 1e15;

} // namespace

MiniOutcome ConfirmMiniPrice(MiniFields& fields)
{
    if (!IsPositiveAmountText(fields.price))
        return Fail(MiniFailure::Price, msg::kInputError);
    fields.price = FormatPicture(*ParseNumber(fields.price), "###,###,##0.00##");
    return {};
}

MiniOutcome ComputeMini(MiniFields& fields, const FeeSettings& settings)
{
    if (!IsPositiveAmountText(fields.price))
        return Fail(MiniFailure::Price, msg::kInputError);
    // Below one share the quantity would show as an empty text and the search would divide by zero.
    const auto q = ParseNumber(fields.quantity);
    if (!q || *q < 1)
        return Fail(MiniFailure::Quantity, msg::kInputError);
    if (*q >= kQuantityLimit)
        return Fail(MiniFailure::OutOfRange, msg::kOutOfRange);

    if (!ReadRates(settings)) {
        if (DiagnoseRates(settings) == RateProblem::StampDuty)
            return Fail(MiniFailure::StampDutyRate, msg::kInputError);
        return Fail(MiniFailure::CommissionRate, msg::kCommission);
    }

    const std::string quantity = FormatPicture(*q, "###,###,###");
    std::optional<Money> breakEven;
    try {
        const Money price = Money::FromDouble(*ParseNumber(fields.price));
        const Money shares = Money::FromDouble(*ParseNumber(quantity));
        breakEven = BreakEvenPrice(price, shares, settings);
    } catch (const OutOfRange&) {
        breakEven.reset();
    }
    if (!breakEven)
        return Fail(MiniFailure::OutOfRange, msg::kOutOfRange);

    fields.quantity = quantity;
    fields.breakEven = FormatPicture(breakEven->ToDouble(), "###,###,##0.00##");
    return {};
}

} // namespace qcal
