#include "ui/main/form1.h"
#include "ui/tools/side_windows.h"

namespace qcal::ui {

// Placeholders until the multi-batch windows exist.
void OpenBatchBuy(Form1&) {}
void OpenBatchSell(Form1&) {}
void ClearBatchFields(Form1&) {}

} // namespace qcal::ui
