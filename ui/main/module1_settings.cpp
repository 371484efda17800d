#include "ui/main/form1.h"
#include "ui/main/module1.h"

namespace qcal::ui::Module1 {

// Placeholders until QCAL.INI is wired in.
void SaveSettings(Form1&) {}
void LoadSettings(Form1&) {}
void SaveBuyInputs(Form1&) {}
void LoadBuyInputs(Form1&) {}

} // namespace qcal::ui::Module1
