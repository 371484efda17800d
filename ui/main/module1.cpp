#include "ui/main/module1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>

#include "core/input_checks.h"
#include "core/messages.h"
#include "ui/common/field_keys.h"
#include "ui/common/text.h"

namespace qcal::ui::Module1 {

int InputValid = 0;

namespace {

// The shape every field check shares: refuse with the message and the field reselected, or
// rewrite the text and report acceptance through InputValid.
void RunFieldCheck(QLineEdit* field, CheckOutcome (*check)(std::string_view))
{
    const CheckOutcome outcome = check(S(field->text()));
    if (!outcome.accepted) {
        Refuse(field, outcome.message);
        return;
    }
    field->setText(Q(outcome.text));
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

    QMessageBox box(QMessageBox::Warning, Q(msg::kTitle), Q(text), QMessageBox::Ok, parent);
    // Ours, not Qt's translation: the box reads 确定 even where Qt's translations are not installed.
    box.button(QMessageBox::Ok)->setText(Q(msg::kOk));
    box.exec();

    if (before && before->isVisible() && !QApplication::activeWindow())
        before->activateWindow();
}

void Reselect(QLineEdit* field) { FocusAndSelectAll(field); }

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
