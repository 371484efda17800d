#pragma once
// The main window's state as Clear leaves it, for the calculation tests: the settings given, bonus
// "0", dividend "0.00", and the labels the calculations change with their first captions; and a buy
// and a sale typed into it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/captions.h"
#include "core/main_state.h"
#include "core/trade.h"

namespace qcal::test {

// The built-in kinds, each bought and sold in single shares: for tests of figures (exactness, worked
// examples with odd quantities) rather than of the exchange's lots.
inline const InstrumentTable* SingleShares()
{
    static const std::vector<Instrument> rows = [] {
        std::vector<Instrument> out(BuiltInInstruments().begin(), BuiltInInstruments().end());
        for (Instrument& row : out) {
            row.leastBuy = row.buyStep = row.sellLot = Money::FromWhole(1);
            row.sellRule = SellRule::WholeLots;
        }
        return out;
    }();
    static const InstrumentTable table = rows;
    return &table;
}

inline MainWindowState ClearedWindow(const char* market = "上海A股", const char* commission = "3",
                                     const char* stampDuty = "3")
{
    MainWindowState w;
    w.fees = {commission, stampDuty, market};
    w.text[Bonus] = "0";
    w.text[Dividend] = "0.00";
    w.label[BuyPriceLabel] = {std::string(caption::kBuyPrice), Colour::Black, std::string(caption::kBuyPriceTip)};
    w.label[BuyQuantityLabel] = {std::string(caption::kBuyQuantity), Colour::Black,
                                 std::string(caption::kBuyQuantityTip)};
    w.label[BreakEvenLabel] = {std::string(caption::kBreakEven), Colour::Black, std::string(caption::kBreakEvenTip)};
    w.label[ProfitLabel] = {std::string(caption::kProfitLoss), Colour::Black, std::string(caption::kProfitLossTip)};
    w.label[YieldLabel] = {std::string(caption::kYield), Colour::Black, {}};
    w.unit[ProfitUnit] = caption::kUnitYuan;
    return w;
}

// A buy and a sale typed and confirmed; the quantities without thousands separators.
inline void Buy(MainWindowState& w, const char* price, const char* quantity)
{
    w.text[BuyPrice] = price;
    w.text[BuyQuantity] = quantity;
    w.buy.price = Money::FromDouble(std::stod(price));
    w.buy.quantity = Money::FromDouble(std::stod(quantity));
    ASSERT_TRUE(CalculateBuy(w).ok());
}

inline void Sell(MainWindowState& w, const char* price, const char* quantity)
{
    w.text[SellPrice] = price;
    w.text[SellQuantity] = quantity;
    w.sell.price = Money::FromDouble(std::stod(price));
    w.sell.quantity = Money::FromDouble(std::stod(quantity));
    ASSERT_TRUE(CalculateSell(w).ok());
}

} // namespace qcal::test
