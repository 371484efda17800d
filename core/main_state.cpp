#include "core/main_state.h"

namespace qcal {

void MainWindowState::ResetBuySide()
{
    BuyPrice = BuyQuantity = BuyAmount = BuyCommission = BuyStampDuty = BuyTransferFee = BuyFees = Money();
}

void MainWindowState::ResetSellSide()
{
    SellPrice = SellQuantity = SellAmount = SellCommission = SellStampDuty = SellTransferFee = SellFees = Money();
}

} // namespace qcal
