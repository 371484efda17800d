#pragma once
// Procedures shared by the windows: the input checks, the message box, the settings file
// and the always-on-top calls.

#include <string_view>

#include "settings/profile_file.h"
#include "settings/topmost.h"

class QLineEdit;
class QWidget;

namespace qcal::ui {
class Form1;
}

namespace qcal::ui::Module1 {

// Set to 1 by a field check that accepted its field; the caller resets it to 0.
extern int InputValid;

// The one message box of the program: modal, title "股票计算器提示", warning icon, OK.
void ShowMessage(QWidget* parent, std::string_view text);

// Gives the field the focus and selects its whole text (after a rejected input).
void Reselect(QLineEdit* field);
// A refused input: the message, then the field focused with its whole text selected.
void Refuse(QLineEdit* field, std::string_view message);

void CheckBuyPrice(QLineEdit* field);
void CheckBuyQuantity(QLineEdit* field);
void CheckSellPrice(QLineEdit* field);
void CheckSellQuantity(QLineEdit* field);

// QCAL.INI. The saves of one user action are one write of the file: open a SaveBatch around
// them (SaveSettings and SaveBuyInputs open their own, so a lone save writes at once). The
// outermost batch writes when it ends and tells a failure once.
class SaveBatch {
public:
    explicit SaveBatch(Form1& form);
    ~SaveBatch();
    SaveBatch(const SaveBatch&) = delete;
    SaveBatch& operator=(const SaveBatch&) = delete;
};

void SaveSettings(Form1& form);
void SaveBuyInputs(Form1& form);
// Start-up reads the file once and restores from what it read.
qcal::settings::Profile ReadSettingsFile(const Form1& form);
void LoadBuyInputs(Form1& form, const qcal::settings::Profile& stored);
void LoadSettings(Form1& form, const qcal::settings::Profile& stored);

using qcal::settings::ClearTopmost;
using qcal::settings::SetTopmost;

} // namespace qcal::ui::Module1
