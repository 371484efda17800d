#include "ui/main/form1.h"
#include "ui/tools/side_windows.h"

namespace qcal::ui {

// Placeholders until the converter, the mini window and the About window exist.
void OpenAbout(Form1&) {}
void OpenConverter(Form1&) {}
void OpenMini(Form1&) {}

} // namespace qcal::ui
