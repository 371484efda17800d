#pragma once
// The main window's procedures of the settings file (QCAL.INI) and the always-on-top calls. The
// field checks the batch windows share are in ui/common/field_checks.h, the message box and the
// refusal in ui/common/message_box.h.

#include <memory>
#include <string_view>

#include "settings/profile_file.h"
#include "settings/settings_file.h"
#include "settings/topmost.h"

class QLineEdit;
class QWidget;

namespace qcal::ui {
class Form1;
}

namespace qcal::ui::Module1 {

// QCAL.INI. The saves of one user action are one write of the file: open a SaveBatch around
// them (SaveSettings and SaveBuyInputs open their own, so a lone save is queued at once). The
// outermost batch queues the write when it ends; the file is written in the background (see
// settings/settings_file.h) and a failure is told once, until a save succeeds again.
class SaveBatch {
public:
    explicit SaveBatch(Form1& form);
    ~SaveBatch();
    SaveBatch(const SaveBatch&) = delete;
    SaveBatch& operator=(const SaveBatch&) = delete;
};

void SaveSettings(Form1& form);
void SaveBuyInputs(Form1& form);
// The window's settings file for the session, telling a failed save with the one message box.
std::unique_ptr<qcal::settings::SettingsFile> OpenSettingsFile(Form1& form);
// Start-up reads the file once and restores from what it read. A file that cannot be read, or
// holds a value too long to be read whole, reads as empty: the session runs on the defaults and
// leaves the file alone.
qcal::settings::Profile ReadSettingsFile(Form1& form);
void LoadBuyInputs(Form1& form, const qcal::settings::Profile& stored);
void LoadSettings(Form1& form, const qcal::settings::Profile& stored);
// Tells, once, that the settings file could not be read (at the first activation, once the window
// is on screen).
void TellSettingsTrouble(Form1& form);
// Waits until every window's queued saves are written, telling a failure as usual: before a test
// reads QCAL.INI.
void FinishPendingSaves();

using qcal::settings::ClearTopmost;
using qcal::settings::SetTopmost;

} // namespace qcal::ui::Module1
