#include "ui/common/colours.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

namespace qcal::ui {

namespace {

// The colour a label was given, kept on the label so that it reads back exactly.
constexpr const char* kColourProperty = "qcalColour";

} // namespace

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

} // namespace qcal::ui
