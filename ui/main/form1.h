#pragma once
// The main window. Its public face, used by the side windows and the settings procedures:
// the controls by name, the calculation view (Snapshot / Apply), the side-window slots and
// the way back into the main window (ComeBack).

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include "core/fees.h"
#include "core/main_state.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace qcal::ui {

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    Form1();                                   // QCAL.INI beside the executable
    explicit Form1(const QString& iniDirectory);  // tests hand in a temporary directory
    ~Form1() override;

    QString IniPath() const;

    // Controls by their names: Text(1) is Text1, Label(19, 17) is Label19(17), Check(1) is Check1.
    QLineEdit* Text(int index) const;
    QLabel* Label(int index) const;
    QLabel* Label(int group, int element) const;
    QComboBox* Combo(int index) const;
    QCheckBox* Check(int index) const;
    QAction* Action(const char* name) const;

    // Widgets → calculation state (texts, labels, locks, lists and the Money members), and back.
    qcal::MainWindowState Snapshot() const;
    void Apply(const qcal::MainWindowState& state);
    qcal::FeeSettings Fees() const;

    // One slot per side window, by form number 2 … 6 (Form2 About, Form3 batch sell,
    // Form4 batch buy, Form5 converter, Form6 mini). The openers create them lazily;
    // Clear closes 3 … 6 and Exit closes all of them.
    QPointer<QWidget>& SideWindow(int formNumber);

    // A side window hands control back: show, raise, activate and run Form_Activate.
    // Does nothing once the program is exiting.
    void ComeBack();
    bool IsExiting() const;

    // Form_Activate: the program calls it itself when the main window becomes the program's
    // active window (start-up, and coming back from a side window); not on Qt's activation events.
    void Form_Activate();

    void QK();
    void WZ();

private:
    struct Impl;
    Impl* d;
    void closeEvent(class QCloseEvent* event) override;
    void paintEvent(class QPaintEvent* event) override;
    friend struct Impl;
};

} // namespace qcal::ui
