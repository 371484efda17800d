#include "ui/common/layout.h"

#include <cmath>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

namespace qcal::ui {

namespace {

// The colour a label was given, kept on the label so that it reads back exactly.
constexpr const char* kColourProperty = "qcalColour";

QWidget* MakeControl(const ControlSpec& row, QWidget* parent)
{
    const QString text = row.text ? QString::fromUtf8(row.text) : QString();
    switch (row.kind) {
    case Kind::Frame:
        return new QGroupBox(text, parent);
    case Kind::Label: {
        auto* label = new QLabel(text, parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return label;
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
    }
    return nullptr;
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

QColor WindowBackgroundColour() { return QApplication::palette().color(QPalette::Active, QPalette::Base); }
QColor ButtonFaceColour() { return QApplication::palette().color(QPalette::Active, QPalette::Button); }

void SetFieldLocked(QLineEdit* field, bool locked)
{
    field->setReadOnly(locked);
    QPalette palette = field->palette();
    const QColor background = locked ? ButtonFaceColour() : WindowBackgroundColour();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, background);
    field->setPalette(palette);
}

QColor ToQColor(qcal::Colour colour)
{
    switch (colour) {
    case qcal::Colour::Red:
        return QColor(255, 0, 0);
    case qcal::Colour::Blue:
        return QColor(0, 0, 255);
    case qcal::Colour::Black:
        break;
    }
    return QColor(0, 0, 0);
}

void SetLabelColour(QLabel* label, qcal::Colour colour)
{
    QPalette palette = label->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::WindowText, ToQColor(colour));
    label->setPalette(palette);
    label->setProperty(kColourProperty, static_cast<int>(colour));
}

qcal::Colour LabelColour(const QLabel* label)
{
    const QVariant stored = label->property(kColourProperty);
    return stored.isValid() ? static_cast<qcal::Colour>(stored.toInt()) : qcal::Colour::Black;
}

namespace {

// A label's caption as a name to be read out: without the blanks that space its characters
// ("佣    金" is 佣金).
QString SpokenCaption(const char* caption)
{
    QString name = QString::fromUtf8(caption);
    name.remove(u' ');
    name.remove(QChar(0x3000));
    return name;
}

bool TakesLabelAsName(Kind kind)
{
    return kind == Kind::TextBox || kind == Kind::ResultBox || kind == Kind::ComboEditable ||
           kind == Kind::ComboList;
}

} // namespace

QWidget* BuildControls(QWidget* client, std::span<const ControlSpec> controls)
{
    const QFont font = SimSunFont();
    // The caption of the label that stands before a field names it for screen readers.
    const char* lastCaption = nullptr;
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
        if (row.toolTip)
            control->setToolTip(QString::fromUtf8(row.toolTip));
        if (row.kind == Kind::Label && row.text)
            lastCaption = row.text;
        else if (TakesLabelAsName(row.kind) && lastCaption)
            control->setAccessibleName(SpokenCaption(lastCaption));
    }
    return client;
}

} // namespace qcal::ui


namespace qcal::ui {

namespace {

class SelectAllFilter : public QObject {
public:
    explicit SelectAllFilter(QLineEdit* field) : QObject(field), field_(field) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != field_)
            return false;
        if (event->type() == QEvent::FocusIn) {
            field_->selectAll();
            armedForRelease_ = static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason;
        } else if (event->type() == QEvent::MouseButtonRelease && armedForRelease_) {
            armedForRelease_ = false;
            if (!field_->hasSelectedText())
                field_->selectAll();
        } else if (event->type() == QEvent::FocusOut) {
            armedForRelease_ = false;
        }
        return false;
    }

private:
    QLineEdit* field_;
    bool armedForRelease_ = false;
};

} // namespace

void SelectAllOnFocus(QLineEdit* field)
{
    field->installEventFilter(new SelectAllFilter(field));
}

namespace {

class FieldKeysFilter : public QObject {
public:
    FieldKeysFilter(QLineEdit* field, std::function<void()> onEnter, QLineEdit* up, QLineEdit* down)
        : QObject(field), field_(field), onEnter_(std::move(onEnter)), up_(up), down_(down)
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != field_ || event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            onEnter_();
            return true;
        }
        if (key == Qt::Key_Up && up_)
            up_->setFocus(Qt::OtherFocusReason);
        else if (key == Qt::Key_Down && down_)
            down_->setFocus(Qt::OtherFocusReason);
        return false;
    }

private:
    QLineEdit* field_;
    std::function<void()> onEnter_;
    QLineEdit* up_;
    QLineEdit* down_;
};

} // namespace

void OnFieldKeys(QLineEdit* field, std::function<void()> onEnter, QLineEdit* up, QLineEdit* down)
{
    field->installEventFilter(new FieldKeysFilter(field, std::move(onEnter), up, down));
}

void SetTextIfChanged(QLineEdit* field, const std::string& text)
{
    const QString value = QString::fromStdString(text);
    if (field->text() != value)
        field->setText(value);
}

} // namespace qcal::ui
