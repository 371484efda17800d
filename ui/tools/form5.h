#pragma once
// The amount-to-shares converter: a sum of money and a price give the whole lots the sum buys
// after fees, what they cost and what is left; "加入计算" carries price and shares into the main window.

#include <QWidget>

#include "core/convert.h"

class QLineEdit;
class QPushButton;

namespace qcal::ui {

class Form1;

class Form5 : public QWidget {
    Q_OBJECT
public:
    explicit Form5(Form1& main);

    // Text(1) … Text(5), Command(1) "返 回", Command(2) "加入计算".
    QLineEdit* Text(int index) const;
    QPushButton* Command(int index) const;

    void ClearFields();
    void ConvertAmount();
    // Run by the opener each time the window is shown from the main window.
    void Form_Activate();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();
    void Text1_KeyPress();
    void Text2_KeyPress();
    void Command1_Click();
    void Command2_Click();

    qcal::ConverterFields Fields() const;
    void SetFields(const qcal::ConverterFields& fields);

    Form1& main_;
    QLineEdit* text_[6] = {};
    QPushButton* command_[3] = {};
};

} // namespace qcal::ui
