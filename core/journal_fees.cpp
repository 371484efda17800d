#include "core/journal_fees.h"

#include <algorithm>

namespace qcal::journal {

namespace {

// The market whose fees a product pays today. 创业板 trades in Shenzhen and 科创板 in Shanghai;
// 北交所 pays the A shares' stamp duty and transfer fee, as Shenzhen's; convertible bonds, like
// funds, pay neither and trade on a tick of 0.001.
std::string_view MarketOfProduct(std::string_view product)
{
    if (product == "上海A股" || product == "科创板")
        return kShanghai;
    if (product == "深圳A股" || product == "创业板" || product == "北交所")
        return kShenzhen;
    if (product == "基金、权证" || product == "可转债")
        return kFunds;
    return product;  // an unknown product: commission only, as the main window's other markets
}

bool IsTrade(Kind kind) { return kind == Kind::Buy || kind == Kind::Sell; }

} // namespace

bool IsProduct(std::string_view product)
{
    return std::find(std::begin(kProducts), std::end(kProducts), product) != std::end(kProducts);
}

FeeSettings RulesFor(std::string_view product, std::string_view /*date*/, const FeeSettings& broker)
{
    FeeSettings rules = broker;
    rules.rules = FeeRules::Current;
    rules.market = std::string(MarketOfProduct(product));
    return rules;
}

EntryFees FeesFor(const Entry& entry, const FeeSettings& broker)
{
    const RateReading reading = ReadFeeSettings(RulesFor(entry.product, entry.date, broker));
    if (!reading.rates)
        return {std::nullopt, reading.problem};
    const Side side = entry.kind == Kind::Sell ? Side::Sell : Side::Buy;
    try {
        auto fees = TradeFees(entry.amount, Money::FromWhole(entry.quantity), side, *reading.rates);
        return {fees, fees ? Reason::None : Reason::OutOfRange};
    } catch (const OutOfRange&) {
        return {std::nullopt, Reason::OutOfRange};
    }
}

Reason FillComputedFees(Entry& entry, const FeeSettings& broker)
{
    if (!IsTrade(entry.kind)) {
        entry.commission = entry.stampDuty = entry.transferFee = entry.otherFees = {};
        return Reason::None;
    }
    const bool allTyped =
        entry.commission.typed && entry.stampDuty.typed && entry.transferFee.typed && entry.otherFees.typed;
    if (allTyped)
        return Reason::None;
    const EntryFees computed = FeesFor(entry, broker);
    if (!computed.fees)
        return computed.problem;
    const auto put = [](Fee& fee, Money value) {
        if (!fee.typed)
            fee.value = value;
    };
    put(entry.commission, computed.fees->commission);
    put(entry.stampDuty, computed.fees->stampDuty);
    put(entry.transferFee, computed.fees->transferFee);
    put(entry.otherFees, Money());
    return Reason::None;
}

SaleNet SaleNetFor(std::string_view product, std::string_view date, const FeeSettings& broker)
{
    const auto rates = ReadRates(RulesFor(product, date, broker));
    if (!rates)
        return [](Money, Money) { return std::optional<Money>(); };
    return [rates = *rates](Money price, Money shares) -> std::optional<Money> {
        try {
            const Money amount = price * shares;
            const auto fees = TradeFees(amount, shares, Side::Sell, rates);
            if (!fees)
                return std::nullopt;
            return amount - fees->commission - fees->stampDuty - fees->transferFee;
        } catch (const OutOfRange&) {
            return std::nullopt;
        }
    };
}

BreakEvenSearch BreakEvenSearchFor(std::string_view product, std::string_view date, const FeeSettings& broker)
{
    const auto rates = ReadRates(RulesFor(product, date, broker));
    if (!rates)
        return [](Money, Money) { return std::optional<Money>(); };
    return [rates = *rates](Money toRecover, Money shares) { return LowestSalePriceReaching(toRecover, shares, rates); };
}

} // namespace qcal::journal
