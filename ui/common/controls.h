#pragma once
// Windows laid out as data. A window describes its controls in a table of ControlSpec rows
// (positions and sizes in twips, 1440 to the inch) and hands the table to BuildControls,
// which creates the widgets, names them, places them and gives them the program's font.
// The windows then find their controls by name (findChild<QLineEdit*>("Text1")).
//
//   static constexpr ControlSpec kControls[] = {
//       {"Frame1", Kind::Frame, nullptr, 120, 120, 3000, 2000, "批次", {}},
//       {"Text1", Kind::TextBox, "Frame1", 240, 360, 1575, 300, {}, "买入价格"},
//   };
//   BuildControls(client, kControls);
//
// A row's parent is the name of a frame built by an earlier row, or nullptr for the client
// widget itself; a child's Left and Top are measured from its frame's top-left corner.
// Every field is right-aligned (they all hold numbers), and every field and list is named for
// screen readers by the caption of the label that stands before it in the table.

#include <span>
#include <string_view>

#include <QFont>
#include <QRect>

class QTableView;
class QWidget;

namespace qcal::ui {

enum class Kind {
    Frame,          // QGroupBox, text is its caption
    Label,          // QLabel
    Note,           // QLabel of a few lines, word-wrapped: a remark beside the controls
    TextBox,        // QLineEdit, editable (window background)
    ResultBox,      // QLineEdit, read-only (button-face background)
    Button,         // QPushButton
    ComboEditable,  // QComboBox that also takes typed text
    ComboList,      // QComboBox, choice from its entries only
    CheckBox,       // QCheckBox
    Line,           // a sunken horizontal QFrame line; text unused
    Grid,           // QTableWidget, read-only rows; text unused
    DateBox,        // QDateEdit with a calendar, YYYY-MM-DD; text unused
};

struct ControlSpec {
    const char* name;
    Kind kind;
    const char* parent;  // a frame built earlier in the same table, or nullptr for the client
    int left, top, width, height;  // twips
    std::string_view text;     // caption or initial text (UTF-8), may be empty
    std::string_view toolTip;  // UTF-8, may be empty
};

// Creates the controls in table order (which is also their tab order among siblings).
// Returns the client widget.
QWidget* BuildControls(QWidget* client, std::span<const ControlSpec> controls);

// The row of a table that made the control of that name, or nullptr.
const ControlSpec* FindControl(std::span<const ControlSpec> controls, std::string_view name);

// A read-only table of whole rows over a model (filled by setModel later), for lists that may be
// long: fixed row heights and column widths in twips (the last column takes the rest), since sizing
// to contents would read every row. Named for screen readers by spokenName (UTF-8).
QTableView* MakeRowsView(QWidget* parent, const char* name, std::string_view spokenName);
void SetColumnWidths(QTableView* view, std::span<const int> twips);

// Twips to pixels by the widget's logical DPI: round(twips × dpi / 1440).
int TwipsToPx(const QWidget* widget, int twips);
QRect TwipsRect(const QWidget* widget, int left, int top, int width, int height);

// The program's face: SimSun where present, else the CJK fonts that stand in for it.
inline constexpr qreal kFontPointSize = 9;
QFont SimSunFont(qreal pointSize = kFontPointSize);

} // namespace qcal::ui
