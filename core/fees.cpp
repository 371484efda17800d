#include "core/fees.h"

#include "core/schedules/own.h"

namespace qcal {

std::optional<SideFeeResult> SideFees(Money amount, Money quantity, const Rates& rates)
{
    try {
        return OwnRulesModel().Charge(rates, Side::Buy, amount, quantity);
    } catch (const OutOfRange&) {
        return std::nullopt;
    }
}

std::optional<SideFeeResult> SideFees(Money amount, Money quantity, const FeeSettings& settings)
{
    const auto rates = ReadRates(settings);
    if (!rates)
        return std::nullopt;
    return SideFees(amount, quantity, *rates);
}

std::optional<SideFeeResult> TradeFees(Money amount, Money quantity, Side side, const Rates& rates)
{
    return FeeSchedule(rates).Charge(side, amount, quantity);
}

std::optional<Money> TradeFeesTotal(Money amount, Money quantity, Side side, const Rates& rates)
{
    return FeeSchedule(rates).ChargeTotal(side, amount, quantity);
}

std::optional<Money> BreakEvenPrice(Money price, Money quantity, const Rates& rates)
{
    return OwnBreakEvenPrice(price, quantity, rates);
}

std::optional<Money> BreakEvenPrice(Money price, Money quantity, const FeeSettings& settings)
{
    const auto rates = ReadRates(settings);
    if (!rates)
        return std::nullopt;
    return BreakEvenPrice(price, quantity, *rates);
}

std::optional<Money> CurrentBreakEven(Money toRecover, Money shares, const Rates& rates)
{
    return SaleBreakEven(FeeSchedule(rates), toRecover, shares);
}

std::optional<Money> LowestSalePriceReaching(Money target, Money shares, const Rates& rates)
{
    return FeeSchedule(rates).LowestSalePriceReaching(target, shares);
}

std::optional<Money> HoldingBreakEven(const Holding& holding, const Rates& rates)
{
    return FeeSchedule(rates).HoldingBreakEven(holding);
}

} // namespace qcal
