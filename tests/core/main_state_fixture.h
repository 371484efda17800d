#pragma once
// The main window's state as Clear leaves it, for the calculation tests: the settings given, bonus
// "0", dividend "0.00", and the labels the calculations change with their first captions.

#include <string>

#include "core/captions.h"
#include "core/main_state.h"

namespace qcal::test {

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

} // namespace qcal::test
