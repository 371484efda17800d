#pragma once
// The main window. Its public face, used by the side windows and the settings procedures:
// the controls by name, the calculation view (Snapshot / Apply), the side-window slots and
// the way back into the main window (ComeBack).

#include <array>
#include <optional>
#include <string_view>

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include "core/fees.h"
#include "core/input_checks.h"
#include "core/main_state.h"
#include "core/trade.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace qcal::ui {

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    Form1();                                   // QCAL.INI where the settings live (ini_location.h)
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
    // One row of the input-field table: the keys of Text1, Text2, Text11, Text12, Text21, Text22.
    struct InputField;
    const InputField* FindInputField(const QObject* watched) const;

    void CreateControls();
    void CreateMenus();
    void ConnectHandlers();
    void SetTabOrder();
    void PutPictures();
    void Form_Load();

    // Commands and menus.
    void Command1_Click();  // 计 算
    void Command2_Click();  // 退 出
    void Command3_Click();  // 关 于
    void Command4_Click();  // 清 空
    void Command5_Click();  // 多次买入
    void Command6_Click();  // 多次卖出
    void TC_Click();
    void MNCK_Click();
    void JHG_Click();
    void GY_Click();
    void ShowHidingSideWindow(int formNumber, void (*open)(Form1&));

    // The settings panel.
    void Combo3_Click();
    void Combo1_Validate();
    void MarketMenu_Click(QAction* item, std::string_view market);
    void Check1_Click();
    void Check2_Click();
    void CKZD_Click();
    void JYMR_Click();

    // Enter in the six input fields, and the arrow keys.
    void Text1_KeyPress();
    void Text2_KeyPress();
    void Text11_KeyPress();
    void Text12_KeyPress();
    void Text21_KeyPress();
    void Text22_KeyPress();
    void FocusField(int index);
    bool RewriteChecked(int field, qcal::CheckOutcome (*check)(std::string_view));

    // The calculations: true when they ran (or had nothing to do); on failure the user has seen
    // the message, the offending control has the focus, and no field has changed.
    bool RunBuy();
    bool RunSell();
    void RecomputeShownSale();
    void ReportFailure(qcal::CalcFailure failure, int rangeField);
    void ReportOutOfRange(int field);
    // The value of a field that a check has just accepted; nullopt (after the message) when it
    // does not fit Money.
    std::optional<qcal::Money> AcceptedValue(int field);
    // Runs a field check of Module1 on the field (InputValid back to 0 afterwards): the accepted
    // value, or nullopt when the check refused it.
    std::optional<qcal::Money> CheckedValue(int field, void (*check)(QLineEdit*));
    bool BuySideIsNormal() const;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(class QCloseEvent* event) override;

    QString iniDirectory_;
    qcal::MainWindowState calc_;  // the Money members; the widgets hold the rest
    std::array<QLineEdit*, 23> text_{};
    std::array<QLabel*, 26> label_{};
    std::array<QLabel*, 20> label19_{};
    std::array<QLabel*, 6> label20_{};
    std::array<QComboBox*, 4> combo_{};
    std::array<QCheckBox*, 3> check_{};
    std::array<QPointer<QWidget>, 7> side_{};
    bool exiting_ = false;
    class Client;
    Client* client_ = nullptr;
};

} // namespace qcal::ui
