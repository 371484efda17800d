#include "ui/common/controls.h"

#include <cmath>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>

#include "ui/common/colours.h"
#include "ui/common/text.h"

namespace qcal::ui {

namespace {

QWidget* MakeControl(const ControlSpec& row, QWidget* parent)
{
    const QString text = Q(row.text);
    switch (row.kind) {
    case Kind::Frame:
        return new QGroupBox(text, parent);
    case Kind::Label: {
        auto* label = new QLabel(text, parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return label;
    }
    case Kind::Note: {
        auto* note = new QLabel(text, parent);
        note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        note->setWordWrap(true);
        return note;
    }
    case Kind::TextBox:
    case Kind::ResultBox: {
        auto* field = new QLineEdit(text, parent);
        SetFieldLocked(field, row.kind == Kind::ResultBox);
        // Every field holds a number: right-aligned, the decimal points of a column line up.
        field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return field;
    }
    case Kind::Button:
        return new QPushButton(text, parent);
    case Kind::ComboEditable:
    case Kind::ComboList: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(row.kind == Kind::ComboEditable);
        if (combo->isEditable()) {
            combo->setInsertPolicy(QComboBox::NoInsert);  // typed text is a value, not a new entry
            combo->lineEdit()->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        return combo;
    }
    case Kind::CheckBox:
        return new QCheckBox(text, parent);
    case Kind::Line: {
        auto* line = new QFrame(parent);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    }
    case Kind::DateBox: {
        auto* date = new QDateEdit(parent);
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));  // the form every date of the program takes
        date->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return date;
    }
    case Kind::Grid: {
        auto* grid = new QTableWidget(parent);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->verticalHeader()->setVisible(false);
        return grid;
    }
    }
    return nullptr;
}

// A label's caption as a name to be read out: without the blanks that space its characters
// ("佣    金" is 佣金).
QString SpokenCaption(std::string_view caption)
{
    QString name = Q(caption);
    name.remove(u' ');
    name.remove(QChar(0x3000));
    return name;
}

bool TakesLabelAsName(Kind kind)
{
    return kind == Kind::TextBox || kind == Kind::ResultBox || kind == Kind::ComboEditable ||
           kind == Kind::ComboList || kind == Kind::Grid || kind == Kind::DateBox;
}

} // namespace

int TwipsToPx(const QWidget* widget, int twips)
{
    return static_cast<int>(std::lround(twips * widget->logicalDpiX() / 1440.0));
}

QRect TwipsRect(const QWidget* widget, int left, int top, int width, int height)
{
    return QRect(TwipsToPx(widget, left), TwipsToPx(widget, top), TwipsToPx(widget, width),
                 TwipsToPx(widget, height));
}

QFont SimSunFont(qreal pointSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("WenQuanYi Micro Hei")});
    font.setPointSizeF(pointSize);
    return font;
}

QWidget* BuildControls(QWidget* client, std::span<const ControlSpec> controls)
{
    const QFont font = SimSunFont();
    // The caption of the label that stands before a field names it for screen readers.
    std::string_view lastCaption;
    for (const ControlSpec& row : controls) {
        QWidget* parent = client;
        if (row.parent) {
            parent = client->findChild<QWidget*>(QString::fromLatin1(row.parent));
            Q_ASSERT_X(parent, "BuildControls", "a frame must come before its children");
            if (!parent)
                parent = client;
        }
        QWidget* control = MakeControl(row, parent);
        control->setObjectName(QString::fromLatin1(row.name));
        control->setFont(font);
        control->setGeometry(TwipsRect(client, row.left, row.top, row.width, row.height));
        if (!row.toolTip.empty())
            control->setToolTip(Q(row.toolTip));
        if (row.kind == Kind::Label && !row.text.empty())
            lastCaption = row.text;
        else if (TakesLabelAsName(row.kind) && !lastCaption.empty())
            control->setAccessibleName(SpokenCaption(lastCaption));
    }
    return client;
}

const ControlSpec* FindControl(std::span<const ControlSpec> controls, std::string_view name)
{
    for (const ControlSpec& row : controls) {
        if (name == row.name)
            return &row;
    }
    return nullptr;
}

QTableView* MakeRowsView(QWidget* parent, const char* name, std::string_view spokenName)
{
    auto* view = new QTableView(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setAccessibleName(Q(spokenName));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setWordWrap(false);
    view->verticalHeader()->setVisible(false);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(TwipsToPx(parent, 300));
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

void SetColumnWidths(QTableView* view, std::span<const int> twips)
{
    for (std::size_t c = 0; c < twips.size(); ++c)
        view->setColumnWidth(static_cast<int>(c), TwipsToPx(view, twips[c]));
}

} // namespace qcal::ui
