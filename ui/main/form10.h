#pragma once
// 券商费率: the broker's terms. The commission rate and minimum of shares, funds and convertible
// bonds, 免五 for all of them, and whether the commission includes the exchanges' fees (含规费) or
// has them charged on top (不含规费). 确定 checks every field, then hands the terms to the main
// window, which applies and saves them in one write; 取消 and Esc leave everything as it was.
// The dialog is modal and returns at once: the main window waits behind it.

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace qcal::ui {

class Form1;

class Form10 : public QDialog {
    Q_OBJECT
public:
    explicit Form10(Form1& main);

    // Shows the dialog over the main window.
    void Open();

    QLineEdit* Text(int index) const;
    QCheckBox* Check(int index) const;

private:
    void Command1_Click();  // 确定

    Form1& main_;
};

} // namespace qcal::ui
