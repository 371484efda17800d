#include "ui/common/field_keys.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "ui/common/text.h"

namespace qcal::ui {

namespace {

bool IsEnter(const QKeyEvent* key) { return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter; }

class FieldKeysFilter : public QObject {
public:
    FieldKeysFilter(QLineEdit* field, FieldKeys keys) : QObject(field), keys_(std::move(keys)) {}

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (IsEnter(key)) {
            if (keys_.enter)
                keys_.enter();
            return true;
        }
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            if (QWidget* next = key->key() == Qt::Key_Up ? keys_.up : keys_.down)
                FocusAndSelectAll(next);
            return true;
        }
        return false;
    }

private:
    FieldKeys keys_;
};

class PressOnEnterFilter : public QObject {
public:
    explicit PressOnEnterFilter(QPushButton* button) : QObject(button), button_(button) {}

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !IsEnter(static_cast<QKeyEvent*>(event)))
            return false;
        button_->click();
        return true;
    }

private:
    QPushButton* button_;
};

class SelectAllFilter : public QObject {
public:
    explicit SelectAllFilter(QLineEdit* field) : QObject(field), field_(field) {}

    bool eventFilter(QObject*, QEvent* event) override
    {
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

void OnFieldKeys(QLineEdit* field, FieldKeys keys)
{
    field->installEventFilter(new FieldKeysFilter(field, std::move(keys)));
}

void PressOnEnter(QPushButton* button) { button->installEventFilter(new PressOnEnterFilter(button)); }

void SelectAllOnFocus(QLineEdit* field) { field->installEventFilter(new SelectAllFilter(field)); }

void FocusAndSelectAll(QWidget* target)
{
    target->setFocus(Qt::OtherFocusReason);
    if (auto* field = qobject_cast<QLineEdit*>(target))
        field->setSelection(0, static_cast<int>(field->text().size()));
}

void SetTextIfChanged(QLineEdit* field, const std::string& text)
{
    const QString value = Q(text);
    if (field->text() != value)
        field->setText(value);
}

} // namespace qcal::ui
