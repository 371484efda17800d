#pragma once
// How the fields of every window behave: the one mechanism for Enter and the arrow keys, entering
// a field selects its whole text, and the one helper that gives a field the focus with its text
// selected.

#include <functional>
#include <string>

class QLineEdit;
class QPushButton;
class QWidget;

namespace qcal::ui {

// Enter (Return or the keypad's Enter) runs `enter` instead of reaching the field; Up and Down move
// the focus to the neighbour with its text selected (nullptr: stay) and go no further.
struct FieldKeys {
    std::function<void()> enter;
    QWidget* up = nullptr;
    QWidget* down = nullptr;
};
void OnFieldKeys(QLineEdit* field, FieldKeys keys);

// Enter on a focused button presses it, as the focus after a window's last field invites.
void PressOnEnter(QPushButton* button);

// Entering the field (by keyboard, by code or by mouse) selects its whole text, so that typing
// replaces it. A click would otherwise put the cursor under the mouse after the focus arrived;
// the selection is made again on that first release unless the user dragged a selection.
void SelectAllOnFocus(QLineEdit* field);

// Gives the widget the focus; a field also gets its whole text selected (it may have the focus
// already, and then entering it selects nothing by itself).
void FocusAndSelectAll(QWidget* target);

// Writes a field's text only when it differs, so that an unchanged field keeps its selection.
void SetTextIfChanged(QLineEdit* field, const std::string& text);

} // namespace qcal::ui
