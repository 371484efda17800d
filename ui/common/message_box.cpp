#include "ui/common/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>

#include "core/messages.h"
#include "core/outcome.h"
#include "ui/common/field_keys.h"
#include "ui/common/text.h"

namespace qcal::ui {

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

void Refuse(QWidget* window, std::string_view message, QWidget* focus)
{
    ShowMessage(window, message);
    if (auto* list = qobject_cast<QComboBox*>(focus)) {
        list->setFocus(Qt::OtherFocusReason);
        if (QLineEdit* edit = list->lineEdit())
            edit->selectAll();
    } else if (focus) {
        FocusAndSelectAll(focus);
    }
}

void Refuse(QWidget* window, const qcal::Outcome& outcome, QWidget* focus)
{
    const std::string name = focus ? S(focus->accessibleName()) : std::string();
    Refuse(window, qcal::MessageText(outcome, name), focus);
}

} // namespace qcal::ui
