#pragma once
// The mini window: the break-even price of one purchase in a window small enough to sit beside a
// trading program, optionally above every other window.

#include "core/mini.h"
#include "ui/tools/side_window.h"

class QCheckBox;

namespace qcal::ui {

class Form6 : public SideWindow {
    Q_OBJECT
public:
    explicit Form6(MainLink& main);

    // Text(1) price, Text(2) quantity, Text(3) break-even, as mini::Field names them.
    QCheckBox* Check1() const { return check1_; }

    void Form_Activate() override;
    // A break-even found under other fee settings is found again (or cleared).
    void MainChanged() override;

private:
    void Text1_KeyPress();
    void Text2_KeyPress();
    void Check1_Click();

    qcal::MiniFields Fields() const;
    void SetFields(const qcal::MiniFields& fields);

    QCheckBox* check1_ = nullptr;
};

} // namespace qcal::ui
