#include "core/convert.h"

#include <cmath>
#include <cstdint>
#include <optional>

#include "core/input_checks.h"
#include "core/numtext.h"
#include "core/picture.h"
#include "core/rounding.h"

namespace qcal {

namespace {


// Under the current rules: the amount, exact, and the buy fees of that one trade, each already
// rounded to the cent by its rule.
std::optional<std::int32_t> CurrentPaymentCents(double n, double p, const Rates& rates)
{
    try {
        const Money shares = Money::FromDouble(n);
        const Money amount = Money::FromDouble(p) * shares;
        const auto fees = TradeFees(amount, shares, Side::Buy, rates);
        if (!fees)
            return std::nullopt;
        const Money payment = amount + fees->commission + fees->stampDuty + fees->transferFee;
        return RoundToInt32(static_cast<double>(payment.TimesWhole(100).ToWhole()));
    } catch (const OutOfRange&) {
        return std::nullopt;
    }
}

// The payment of n shares at price p, in cents, or nullopt when it leaves the 32-bit rounding.
// The program's own model: the fees stay unrounded one by one; only the total is rounded, halves
// to even.
std::optional<std::int32_t> PaymentCents(double n, double p, const Rates& rates)
{
    if (rates.rules == FeeRules::Current)
        return CurrentPaymentCents(n, p, rates);
    const double v = n * p;
    const double c = rates.commission * v * 0.001;
    const double commission = c > 5 ? c : 5;
    double fees = 0;  // a market the schedule does not know charges nothing
    switch (rates.market) {
    case Market::Funds:
        fees = commission;
        break;
    case Market::Shenzhen:
        fees = rates.stampDuty * v * 0.001 + commission;
        break;
    case Market::Shanghai: {
        const double t = n * 0.001;  // 0.1 yuan per 100 shares, at least 1 yuan
        fees = rates.stampDuty * v * 0.001 + commission + (t > 1 ? t : 1);
        break;
    }
    case Market::Other:
        break;
    }
    return RoundToInt32((v + fees) * 100);
}

} // namespace

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

    const RateReading reading = ReadFeeSettings(settings);
    if (!reading.rates)
        return Refusal(reading.problem);
    const Rates& rates = *reading.rates;

    const auto tooSmall = [&fields] {
        fields.shares = std::string("0");  // not a bare literal: GCC 12 at -O2 warns falsely (-Wrestrict)
        fields.payment.clear();
        fields.left.clear();
        return Refusal(Reason::NotEnoughMoney, converter::Amount);
    };
    if (!(*a / *p > 100))
        return tooSmall();

    // Lots before fees; then one lot fewer at a time until the payment fits. The payment only
    // grows with the lot count, so the first affordable count from the top is the largest one.
    // The texts are formatted once at the end: the pictures read back exactly the values they show.
    const double lotsBeforeFees = std::floor(*a / *p * 0.01);
    for (double lots = lotsBeforeFees; lots >= 1; --lots) {
        const double n = lots * 100;
        const auto cents = PaymentCents(n, *p, rates);
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
