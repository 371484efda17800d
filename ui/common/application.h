#pragma once
// What the program sets up once its application object exists.

class QApplication;

namespace qcal::ui {

// The program's name (which names the configuration directory of an installed copy, ~/.config/qcal),
// its icon on every window, and Qt's own texts (standard buttons, the fields' context menus) in Simplified Chinese, where
// the system has Qt's translations installed.
void PrepareApplication(QApplication& app);

} // namespace qcal::ui
