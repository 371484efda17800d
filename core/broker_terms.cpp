#include "core/broker_terms.h"

#include <cstdint>

#include "core/numtext.h"

namespace qcal {

namespace {

constexpr Money kLargestMinimum = Money::FromRaw(10000 * Money::kScale);

} // namespace

BrokerForm FormOf(const BrokerTerms& terms, std::string_view sharesRate, bool waiveMinimum)
{
    BrokerForm form;
    form.text[broker::FundsRate] = terms.fundsCommission;
    form.text[broker::FundsMinimum] = terms.fundsMinimum;
    form.text[broker::BondsRate] = terms.bondsCommission;
    form.text[broker::BondsMinimum] = terms.bondsMinimum;
    form.text[broker::SharesRate] = std::string(sharesRate);
    form.text[broker::SharesMinimum] = terms.sharesMinimum;
    form.feesOnTop = terms.feesOnTop;
    form.waiveMinimum = waiveMinimum;
    return form;
}

bool IsBrokerRate(std::string_view text)
{
    const auto rate = ParseExactDecimal(text);
    if (!rate || rate->units < 0)
        return false;
    return !ExactAbove(*rate, kCommissionCap);
}

bool IsBrokerMinimum(std::string_view text)
{
    // In cents, exactly as typed: "5.001" is not rounded into a minimum of 5.00.
    const auto exact = ParseExactDecimal(text);
    if (!exact)
        return false;
    std::int64_t beyondCents = 1;
    for (int i = 2; i < exact->scale; ++i)
        beyondCents *= 10;
    const auto money = ParseMoney(text);
    return exact->units % beyondCents == 0 && money && *money >= Money() && *money <= kLargestMinimum;
}

BrokerReading ReadBrokerForm(const BrokerForm& form)
{
    BrokerReading reading;
    // In the dialog's order: shares, funds, bonds.
    for (const int field : {broker::SharesRate, broker::SharesMinimum, broker::FundsRate, broker::FundsMinimum,
                            broker::BondsRate, broker::BondsMinimum}) {
        const std::string& text = form.text[static_cast<std::size_t>(field)];
        const bool rate = field == broker::FundsRate || field == broker::BondsRate || field == broker::SharesRate;
        if (field == broker::FundsRate && text.empty())
            continue;
        if (rate ? !IsBrokerRate(text) : !IsBrokerMinimum(text)) {
            reading.outcome = Refusal(rate ? Reason::BrokerRate : Reason::BrokerMinimum, field);
            return reading;
        }
    }
    BrokerTerms& terms = reading.terms;
    terms.fundsCommission = form.text[broker::FundsRate];
    terms.fundsMinimum = form.text[broker::FundsMinimum];
    terms.bondsCommission = form.text[broker::BondsRate];
    terms.bondsMinimum = form.text[broker::BondsMinimum];
    terms.sharesMinimum = form.text[broker::SharesMinimum];
    terms.feesOnTop = form.feesOnTop;
    return reading;
}

} // namespace qcal
