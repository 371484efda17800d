#pragma once
// The one message box of the program and the one way every window refuses an input: the message,
// then the control to correct given the focus with its text selected.

#include <string_view>

class QWidget;

namespace qcal {
struct Outcome;
}

namespace qcal::ui {

// Modal, title "股票计算器提示", warning icon, OK ("确定").
void ShowMessage(QWidget* parent, std::string_view text);

// A refusal: the message over `window`, then `focus` (a field or a list; may be null) given the
// focus with its whole text selected, its text kept as the user typed it.
void Refuse(QWidget* window, std::string_view message, QWidget* focus);

// The same for an outcome: a field's own message names `focus` by its caption (its accessible
// name, which it takes from the label before it).
void Refuse(QWidget* window, const qcal::Outcome& outcome, QWidget* focus);

} // namespace qcal::ui
