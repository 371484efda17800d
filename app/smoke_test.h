#pragma once
// The install check's run of the program (scripts/check-install sets QCAL_SMOKE_TEST): it must show
// the main window, paint it with a face that has the Chinese glyphs, compute the worked example
// (which saves the settings) and quit, with no message box at any point.

class QApplication;

namespace qcal::ui {
class Form1;
}

namespace qcal::app {

// Exit codes the check tells apart; 0 is success.
enum SmokeFailure : int {
    kMessageShown = 3,   // a message box appeared: an installed copy must never show one here
    kGlyphsMissing = 4,  // a caption would be painted as empty boxes: no face for Chinese
    kNeverPainted = 5,   // the main window was not painted in time
};

// Arms the check on the main window before it is shown; app.exec() then returns 0 once it has passed.
void RunSmokeTest(QApplication& app, qcal::ui::Form1& form);

} // namespace qcal::app
