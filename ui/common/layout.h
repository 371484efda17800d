#pragma once
// Windows laid out as data. A window describes its controls in a table of ControlSpec rows
// (positions and sizes in twips, 1440 to the inch) and hands the table to BuildControls,
// which creates the widgets, names them, places them and gives them the program's font.
// The windows then find their controls by name (findChild<QLineEdit*>("Text1")).
//
//   static constexpr ControlSpec kControls[] = {
//       {"Frame1", Kind::Frame, nullptr, 120, 120, 3000, 2000, "批次", nullptr},
//       {"Text1", Kind::TextBox, "Frame1", 240, 360, 1575, 300, nullptr, "买入价格"},
//   };
//   BuildControls(client, kControls);
//
// A row's parent is the name of a frame built by an earlier row, or nullptr for the client
// widget itself; a child's Left and Top are measured from its frame's top-left corner.

#include <functional>
#include <span>
#include <string>

#include <QColor>
#include <QFont>
#include <QRect>

#include "core/main_state.h"

class QLabel;
class QLineEdit;
class QWidget;

namespace qcal::ui {

enum class Kind {
    Frame,          // QGroupBox, text is its caption
    Label,          // QLabel
    TextBox,        // QLineEdit, editable (window background)
    ResultBox,      // QLineEdit, read-only (button-face background)
    Button,         // QPushButton
    ComboEditable,  // QComboBox that also takes typed text
    ComboList,      // QComboBox, choice from its entries only
    CheckBox,       // QCheckBox
    Line,           // a sunken horizontal QFrame line; text unused
};

struct ControlSpec {
    const char* name;
    Kind kind;
    const char* parent;  // a frame built earlier in the same table, or nullptr for the client
    int left, top, width, height;  // twips
    const char* text;     // caption or initial text (UTF-8), may be nullptr
    const char* toolTip;  // UTF-8, may be nullptr
};

// Creates the controls in table order (which is also their tab order among siblings).
// Returns the client widget.
QWidget* BuildControls(QWidget* client, std::span<const ControlSpec> controls);

// Twips to pixels by the widget's logical DPI: round(twips × dpi / 1440).
int TwipsToPx(const QWidget* widget, int twips);
QRect TwipsRect(const QWidget* widget, int left, int top, int width, int height);

// The program's face: SimSun where present, else the CJK fonts that stand in for it.
inline constexpr qreal kFontPointSize = 9;
QFont SimSunFont(qreal pointSize = kFontPointSize);

// System colour 5 (window background, editable fields) and 15 (button face, read-only fields).
QColor WindowBackgroundColour();
QColor ButtonFaceColour();

// A field's lock: read-only with the button-face background, or editable with the window background.
void SetFieldLocked(QLineEdit* field, bool locked);

// Label foreground colours: black, pure red RGB(255,0,0), pure blue RGB(0,0,255).
QColor ToQColor(qcal::Colour colour);
void SetLabelColour(QLabel* label, qcal::Colour colour);
qcal::Colour LabelColour(const QLabel* label);

} // namespace qcal::ui

namespace qcal::ui {

// Entering the field (by keyboard, by code or by mouse) selects its whole text, so that typing
// replaces it. A click would otherwise put the cursor under the mouse after the focus arrived;
// the selection is made again on that first release unless the user dragged a selection.
void SelectAllOnFocus(QLineEdit* field);

// Enter (Return or the keypad's Enter) runs onEnter instead of reaching the field; Up and Down
// move the focus to the given neighbour (nullptr: stay) and still reach the field.
void OnFieldKeys(QLineEdit* field, std::function<void()> onEnter, QLineEdit* up, QLineEdit* down);

// Writes a field's text only when it differs, so that an unchanged field keeps its selection.
void SetTextIfChanged(QLineEdit* field, const std::string& text);

} // namespace qcal::ui
