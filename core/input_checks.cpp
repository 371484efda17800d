#include "core/input_checks.h"

#include <cmath>

#include "core/numtext.h"
#include "core/picture.h"

namespace qcal {

namespace {

CheckOutcome Accept(std::string text) { return CheckOutcome{true, std::move(text), Reason::None, {}}; }
CheckOutcome Refuse(Reason reason) { return CheckOutcome{false, {}, reason, MessageFor(reason)}; }

// 2^31: the first value the 32-bit whole-number rounding cannot hold.
constexpr double kInt32Limit = 2147483648.0;

// Quantities from this value on are refused as out of range: beyond it a whole number no longer
// shows exactly in 15 significant digits, and every amount it makes leaves Money's range anyway.
constexpr double kQuantityLimit = 1e15;

// A rewritten text must pass its own check again: a value that its picture shows as nothing
// (0.00004 as 0.00) or rounds over a limit (999999999999999.9 as 1,000,000,000,000,000) is refused
// now, with the message the shown value would get, rather than at the next Enter.
template <typename Check>
CheckOutcome Settled(Check check, std::string_view text)
{
    CheckOutcome first = check(text);
    if (!first.accepted)
        return first;
    const CheckOutcome again = check(first.text);
    if (!again.accepted)
        return Refuse(again.reason);
    return first;
}

// Prices: the value times 10000, rounded halves to even, must stay below 2^31 (the 32-bit limit
// of the rounding): a value at or above 214748.3648 is refused with the second message, and so is a
// value just below it that would round up to it (214748.36475 and above).
CheckOutcome PriceOnce(std::string_view text, const FieldReasons& reasons)
{
    const auto v = ParseNumber(text);
    if (!v)
        return Refuse(IsTooLargeNumber(text) ? reasons.tooLarge : reasons.notNumeric);
    if (*v <= 0)
        return Refuse(reasons.tooSmall);
    if (*v >= 214748.3648)
        return Refuse(reasons.tooLarge);
    const double tenThousandths = std::nearbyint(*v * 10000.0);  // halves to even
    if (tenThousandths >= kInt32Limit)
        return Refuse(reasons.tooLarge);
    return Accept(FormatPicture(tenThousandths / 10000.0, kPricePicture));
}

// Quantities: at least 1; a value of 1e15 or more is refused as out of range (our own message),
// since the field's second message ("less than 1") would be wrong for it.
CheckOutcome QuantityOnce(std::string_view text, const FieldReasons& reasons)
{
    const auto v = ParseNumber(text);
    if (!v)
        return Refuse(IsTooLargeNumber(text) ? reasons.tooLarge : reasons.notNumeric);
    if (*v < 1)
        return Refuse(reasons.tooSmall);
    if (*v >= kQuantityLimit)
        return Refuse(reasons.tooLarge);
    return Accept(FormatPicture(*v, "###,###,###"));
}

// Bonus shares per 10: a whole number from 0 to 10 (halves to even: 2.5 -> 2, 3.5 -> 4).
CheckOutcome BonusOnce(std::string_view text)
{
    const auto v = ParseNumber(text);
    if (!v)
        return Refuse(IsTooLargeNumber(text) ? Reason::BonusTooLarge : Reason::BonusNotNumeric);
    if (*v < 0)
        return Refuse(Reason::BonusNotNumeric);
    if (*v > 10)
        return Refuse(Reason::BonusTooLarge);
    return Accept(FormatPicture(std::nearbyint(*v) + 0.0, "#0"));  // + 0.0: never "-0"
}

// Dividends: the value times 100, rounded halves to even, must stay below 2^31 (the 32-bit limit
// of the rounding). A value at or above 21474836.48, or one that would round up to it
// (21474836.475 and above), is a number beyond what can be computed.
CheckOutcome DividendOnce(std::string_view text)
{
    const auto v = ParseNumber(text);
    if (!v)
        return Refuse(IsTooLargeNumber(text) ? Reason::OutOfRange : Reason::DividendNotNumeric);
    if (*v < 0)
        return Refuse(Reason::DividendNotNumeric);
    const double hundredths = std::nearbyint(*v * 100.0);
    if (*v >= 21474836.48 || hundredths >= kInt32Limit)
        return Refuse(Reason::OutOfRange);
    return Accept(FormatPicture(hundredths / 100.0 + 0.0, "##0.00"));
}

} // namespace

bool IsPositiveAmountText(std::string_view text)
{
    const auto v = ParseNumber(text);
    return v && *v >= 0.01;
}

CheckOutcome CheckPriceText(std::string_view text, const FieldReasons& reasons)
{
    return Settled([&](std::string_view t) { return PriceOnce(t, reasons); }, text);
}

CheckOutcome CheckQuantityText(std::string_view text, const FieldReasons& reasons)
{
    return Settled([&](std::string_view t) { return QuantityOnce(t, reasons); }, text);
}

CheckOutcome CheckPriceText(std::string_view text, Reason notNumeric, Reason outOfRange)
{
    return CheckPriceText(text, {notNumeric, outOfRange, outOfRange});
}

CheckOutcome CheckQuantityText(std::string_view text, Reason notNumeric, Reason outOfRange)
{
    return CheckQuantityText(text, {notNumeric, outOfRange, Reason::OutOfRange});
}

CheckOutcome CheckBuyPriceText(std::string_view text)
{
    return CheckPriceText(text, Reason::BuyPriceNotNumeric, Reason::BuyPriceRange);
}

CheckOutcome CheckBuyQuantityText(std::string_view text)
{
    return CheckQuantityText(text, Reason::BuyQuantityNotNumeric, Reason::BuyQuantityRange);
}

CheckOutcome CheckSellPriceText(std::string_view text)
{
    return CheckPriceText(text, Reason::SellPriceNotNumeric, Reason::SellPriceRange);
}

CheckOutcome CheckSellQuantityText(std::string_view text)
{
    return CheckQuantityText(text, Reason::SellQuantityNotNumeric, Reason::SellQuantityRange);
}

CheckOutcome CheckBonusText(std::string_view text) { return Settled(BonusOnce, text); }

CheckOutcome CheckDividendText(std::string_view text) { return Settled(DividendOnce, text); }

} // namespace qcal
