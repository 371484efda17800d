#pragma once
// The amount-to-shares converter: a sum of money and a price give the whole lots the sum buys
// after fees, what they cost and what is left; "加入计算" carries price and shares into the main window.

#include "core/convert.h"
#include "ui/tools/side_window.h"

namespace qcal::ui {

class Form5 : public SideWindow {
    Q_OBJECT
public:
    explicit Form5(MainLink& main);

    // Text(1) … Text(5) as converter::Field names them; Command(1) "返 回", Command(2) "加入计算".
    void ClearFields();
    void ConvertAmount();
    void Form_Activate() override;
    // Shares and payment found under other fee settings are found again (or cleared).
    void MainChanged() override;

protected:
    void Return() override { Command1_Click(); }

private:
    void Text1_KeyPress();
    void Text2_KeyPress();
    void Command1_Click();
    void Command2_Click();

    qcal::ConverterFields Fields() const;
    void SetFields(const qcal::ConverterFields& fields);
};

} // namespace qcal::ui
