#pragma once
// The program's colours: system colour 5 (window background) for editable fields, 15 (button
// face) for read-only ones, and the label colours of gains, losses and the normal state.

#include <QColor>

#include "core/main_state.h"

class QLabel;
class QLineEdit;

namespace qcal::ui {

QColor WindowBackgroundColour();
QColor ButtonFaceColour();

// A field's lock: read-only with the button-face background, or editable with the window background.
void SetFieldLocked(QLineEdit* field, bool locked);

// Label foreground colours: black, pure red RGB(255,0,0), pure blue RGB(0,0,255).
QColor ToQColor(qcal::Colour colour);
void SetLabelColour(QLabel* label, qcal::Colour colour);
qcal::Colour LabelColour(const QLabel* label);

} // namespace qcal::ui
