#pragma once
// The field checks of the buy and sell inputs, shared by the main window and the multi-batch
// windows: a check rewrites its field when it accepts it and says so through InputValid, or
// refuses it with its message and the field reselected.

class QLineEdit;

namespace qcal::ui::Module1 {

// Set to 1 by a field check that accepted its field; the caller resets it to 0.
extern int InputValid;

void CheckBuyPrice(QLineEdit* field);
void CheckBuyQuantity(QLineEdit* field);
void CheckSellPrice(QLineEdit* field);
void CheckSellQuantity(QLineEdit* field);

} // namespace qcal::ui::Module1
