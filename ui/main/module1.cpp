#include "ui/main/module1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>

#include "core/input_checks.h"
#include "core/messages.h"

namespace qcal::ui::Module1 {

int InputValid = 0;

namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The shape every field check shares: refuse with the message and the field reselected, or
// rewrite the text and report acceptance through InputValid.
void RunFieldCheck(QLineEdit* field, CheckOutcome (*check)(std::string_view))
{
    const CheckOutcome outcome = check(field->text().toStdString());
    if (!outcome.accepted) {
        ShowMessage(field->window(), outcome.message);
        Reselect(field);
        return;
    }
    field->setText(QString::fromStdString(outcome.text));
    InputValid = 1;
}

} // namespace

void ShowMessage(QWidget* parent, std::string_view text)
{
    // Without a window manager nothing becomes active again once the box closes; hand the
    // activation back ourselves so that the focus set after the message reaches its field.
    QPointer<QWidget> before = QApplication::activeWindow();
    if (!before && parent)
        before = parent->window();

    QMessageBox box(QMessageBox::Warning, FromUtf8(msg::kTitle), FromUtf8(text), QMessageBox::Ok, parent);
    // Ours, not Qt's translation: the box reads 确定 even where Qt's translations are not installed.
    box.button(QMessageBox::Ok)->setText(FromUtf8(msg::kOk));
    box.exec();

    if (before && before->isVisible() && !QApplication::activeWindow())
        before->activateWindow();
}

void SelectAllText(QLineEdit* field) { field->setSelection(0, static_cast<int>(field->text().size())); }

void Reselect(QLineEdit* field)
{
    field->setFocus(Qt::OtherFocusReason);
    SelectAllText(field);
}

void Refuse(QLineEdit* field, std::string_view message)
{
    ShowMessage(field->window(), message);
    Reselect(field);
}

void CheckBuyPrice(QLineEdit* field) { RunFieldCheck(field, CheckBuyPriceText); }
void CheckBuyQuantity(QLineEdit* field) { RunFieldCheck(field, CheckBuyQuantityText); }
void CheckSellPrice(QLineEdit* field) { RunFieldCheck(field, CheckSellPriceText); }
void CheckSellQuantity(QLineEdit* field) { RunFieldCheck(field, CheckSellQuantityText); }

} // namespace qcal::ui::Module1
