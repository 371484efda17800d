#pragma once
// The mini window: the break-even price of one purchase in a window small enough to sit beside a
// trading program, optionally above every other window.

#include <QWidget>

#include "core/mini.h"

class QCheckBox;
class QLineEdit;

namespace qcal::ui {

class Form1;

class Form6 : public QWidget {
    Q_OBJECT
public:
    explicit Form6(Form1& main);

    QLineEdit* Text(int index) const;  // Text(1) price, Text(2) quantity, Text(3) break-even
    QCheckBox* Check1() const;

    // Run by the opener each time the window is shown from the main window.
    void Form_Activate();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();
    void Text1_KeyPress();
    void Text2_KeyPress();
    void Check1_Click();

    qcal::MiniFields Fields() const;
    void SetFields(const qcal::MiniFields& fields);

    Form1& main_;
    QLineEdit* text_[4] = {};
    QCheckBox* check1_ = nullptr;
};

} // namespace qcal::ui
