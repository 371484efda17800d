#pragma once
// The main window. Its public face, used by the side windows and the settings procedures:
// the controls by name, the calculation view (Snapshot / Apply), the side-window slots and
// the way back into the main window (ComeBack).

#include <array>
#include <memory>
#include <optional>
#include <string_view>

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include "core/fees.h"
#include "core/input_checks.h"
#include "core/main_state.h"
#include "core/outcome.h"
#include "settings/rule_file.h"
#include "ui/common/main_feed.h"
#include "ui/tools/side_window.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;

namespace qcal::settings {
class SettingsFile;
}

namespace qcal::ui {

// The lists and check boxes of the settings frame: Combo n and Check n.
enum MainCombo : int { CommissionCombo = 1, StampDutyCombo, MarketCombo };
enum MainCheck : int { OnTopCheck = 1, RememberBuyCheck, CurrentRulesCheck, WaiveMinimumCheck };

class Form1 : public QMainWindow, public MainLink {
    Q_OBJECT
public:
    Form1();                                      // QCAL.INI where the settings live (ini_location.h)
    explicit Form1(const QString& iniDirectory);  // tests hand in a temporary directory
    ~Form1() override;

    QString IniPath() const;
    // QCAL.INI for this session: read at start, saved in the background, finished before closing.
    qcal::settings::SettingsFile& Settings() const override { return *settings_; }

    // Whether the buy side shows figures computed from its inputs (Text10 the money paid).
    bool HasComputedBuy() const;

    // Controls by their names: Text(1) is Text1 (Field names them), Label(19, 17) is Label19(17),
    // Check(1) is Check1.
    QLineEdit* Text(int index) const;
    QLabel* Label(int index) const;
    QLabel* Label(int group, int element) const;
    QComboBox* Combo(int index) const;
    QCheckBox* Check(int index) const;
    QAction* Action(const char* name) const;

    // Widgets → calculation state (texts, labels, locks, lists and the Money figures), and back.
    // Apply publishes the new view to the side windows.
    qcal::MainWindowState Snapshot() const override;
    void Apply(const qcal::MainWindowState& state) override;
    qcal::FeeSettings Fees() const;

    // The broker's terms (券商费率). SetTerms takes them as the settings file gives them;
    // ApplyBrokerTerms takes what the dialog gives, with the shares' rate and 免五, recomputes and
    // saves it all in one write.
    const qcal::BrokerTerms& Terms() const { return terms_; }
    void SetTerms(const qcal::BrokerTerms& terms) { terms_ = terms; }
    void ApplyBrokerTerms(const QString& sharesRate, const qcal::BrokerTerms& terms, bool waiveMinimum);
    // The trade date's box (DTPicker1), and the rates by date the current rules charge.
    QDateEdit* TradeDateBox() const { return tradeDate_; }
    const qcal::RuleTable& RuleTable() const { return rules_.table; }

    // What the side windows take from this window: the holding and the fee settings on screen.
    const MainFeed& Feed() const override { return feed_; }
    QWidget& Window() override { return *this; }
    bool BuySideLocked() const override;
    void CarryIntoBuy(const QString& price, const QString& shares) override;

    // One slot per side window. The opener creates them lazily; Clear closes the batch windows,
    // the converter and the mini window, and Exit closes all of them.
    QPointer<QWidget>& SideWindow(SideWindowId id) override;
    QString JournalPath() const override;

    // A side window hands control back: show, raise, activate and run Form_Activate.
    // Does nothing once the program is exiting.
    void ComeBack() override;
    bool IsExiting() const;

    // Form_Activate: the program calls it itself when the main window becomes the program's
    // active window (start-up, and coming back from a side window); not on Qt's activation events.
    void Form_Activate();

    void QK();
    void WZ();

private:
    void CreateControls();
    void CreateMenus();
    void ConnectHandlers();
    void SetTabOrder();
    void PutPictures();
    void Form_Load();

    // Commands and menus.
    void Command1_Click();  // 计 算
    void Command2_Click();  // 退 出
    void Command4_Click();  // 清 空
    void OpenSide(SideWindowId id);
    // Closes the window without handing control back (Clear, Exit).
    void UnloadSideWindow(SideWindowId id);

    // The settings panel.
    void Combo3_Click();
    void Combo1_Validate();
    void MarketMenu_Click(std::string_view market);
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    // A trade date the current rules have no rates for is told when the box is left.
    void DTPicker1_Validate();
    void OpenBrokerTerms();
    // Tells, once, that the user's rule file could not be used.
    void TellRuleFileTrouble();
    // The look of the rules in force: the stamp duty list greyed under the current rules, and
    // the tool tips of the stamp duty and transfer fee labels.
    void ShowRulesInForce();
    // Everything on screen computed again after the rules changed, as Calculate would.
    void RecomputeForNewRules();
    // The same after the market, the commission or the stamp duty changed; a commission that cannot
    // be used is told when the box is left, and the figures wait for a usable one.
    void RecomputeForNewRates();
    // The settings frame's note: which rules are in force, in plain words.
    void ShowRulesNote();
    void OfferMarkets();
    void ShowUnits();
    void Text23_KeyPress();
    // The day the trades on screen are charged as of.
    qcal::CivilDate TradeDate() const;
    // Tells the side windows what is on screen now (nothing when it has not changed).
    void Publish();

    // Enter in the six input fields.
    void Text1_KeyPress();
    void Text2_KeyPress();
    void Text11_KeyPress();
    void Text12_KeyPress();
    void Text21_KeyPress();
    void Text22_KeyPress();
    void FocusField(Field field);
    bool RewriteChecked(Field field, qcal::CheckOutcome (*check)(std::string_view));

    // The calculations: true when they ran (or had nothing to do); on failure the user has seen
    // the message, the offending control has the focus, and no field has changed.
    bool RunBuy();
    bool RunSell();
    void RecomputeShownSale();
    // Runs one of the recalculations of the figures on screen and shows its outcome.
    bool Recompute(qcal::Outcome (*recalculate)(qcal::MainWindowState&));
    void Report(const qcal::Outcome& outcome);
    // The value of a field that a check has just accepted; nullopt (after the message) when it
    // does not fit Money.
    std::optional<qcal::Money> AcceptedValue(Field field);
    // Runs a field check of Module1 on the field (InputValid back to 0 afterwards): the accepted
    // value, or nullopt when the check refused it.
    std::optional<qcal::Money> CheckedValue(Field field, void (*check)(QLineEdit*));
public:
    struct SideInputs {
        Field price, quantity;
        void (*checkPrice)(QLineEdit*);
        void (*checkQuantity)(QLineEdit*);
    };
private:
    std::optional<qcal::Money> CheckedQuantity(const SideInputs& side, qcal::SideFigures& figures);
    bool ConfirmPrice(const SideInputs& side, qcal::SideFigures& figures);
    bool BuySideIsNormal() const;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(class QCloseEvent* event) override;

    QString iniDirectory_;
    std::unique_ptr<qcal::settings::SettingsFile> settings_;
    qcal::MainWindowState calc_;  // the Money figures; the widgets hold the rest
    std::array<QLineEdit*, qcal::kFieldCount + 1> text_{};
    std::array<QLabel*, qcal::kLabelCount + 1> label_{};
    std::array<QLabel*, qcal::kUnitCount> label19_{};
    MainFeed feed_;
    QString marketNote_;  // a kind the rules in force do not know, and what stands for it
    std::array<QLabel*, 6> label20_{};
    std::array<QComboBox*, MarketCombo + 1> combo_{};
    std::array<QCheckBox*, WaiveMinimumCheck + 1> check_{};
    QDateEdit* tradeDate_ = nullptr;
    qcal::BrokerTerms terms_;
    qcal::settings::RuleFileLoad rules_;
    std::array<QPointer<QWidget>, kLastSideWindow + 1> side_{};
    bool exiting_ = false;
    class Client;
    Client* client_ = nullptr;
};

} // namespace qcal::ui
