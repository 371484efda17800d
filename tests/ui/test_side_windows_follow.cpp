// The side windows take the main window's holding and fee settings from what it publishes, and follow
// every change at once: a partial sale, a batch sale, 免五, the market, the commission. Every figure is
// the worked example, compared as the screen shows it.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "core/messages.h"
#include "support/ui_fixture.h"
#include "ui/main/form1.h"
#include "ui/tools/batch_window.h"
#include "ui/tools/form7.h"
#include "ui/tools/form8.h"

using qcal::test::PressEnter;
using qcal::test::Str;
using qcal::test::TypeInto;
using qcal::ui::Form1;
using qcal::ui::Form7;
using qcal::ui::Form8;
namespace pf = qcal::position;
namespace tf = qcal::target;

namespace {

void Enter(QLineEdit* field, const QString& text)
{
    TypeInto(field, text);
    PressEnter(field);
}

template <typename Window>
Window* Open(Form1& form, const char* action, qcal::ui::SideWindowId id)
{
    form.Action(action)->trigger();
    auto* window = qobject_cast<Window*>(form.SideWindow(id).data());
    if (window)
        qcal::test::Activate(window);
    return window;
}

Form8* OpenAverageDown(Form1& form) { return Open<Form8>(form, "BCZT", qcal::ui::AverageDownWindow); }
Form7* OpenTarget(Form1& form) { return Open<Form7>(form, "MBJ", qcal::ui::TargetWindow); }

// 深圳A股, commission 0.25 ‰, the current rules: buy 10.00 × 1,000 (paid 10,005.10).
void BuyInShenzhen(Form1& form, bool waive = false)
{
    qcal::test::UseRates(form, "0.25", "1", qcal::kShenzhen);
    form.Check(qcal::ui::CurrentRulesCheck)->setChecked(true);
    form.Check(qcal::ui::WaiveMinimumCheck)->setChecked(waive);
    Enter(form.Text(qcal::BuyPrice), QStringLiteral("10"));
    Enter(form.Text(qcal::BuyQuantity), QStringLiteral("1000"));
}

QString Shown(QLineEdit* field) { return field->text(); }

} // namespace

class TestSideWindowsFollow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void aPartialSaleIsTheHoldingTheyTake();
    void aBatchSaleIsTooAndFullSalesLeaveNothing();
    void aChangedSettingReachesAnOpenWindowAtOnce();
    void theMainWindowRecomputesForMarketAndCommission();
    void aChangedInputDropsItsResults();
    void dividendsAboveTheCostLeaveYieldsEmptyAndTheRestWorking();
    void targetWindowCalculatesWhatIsTyped();
    void refusalsNameTheField();
    void escapeReturnsFromEverySideWindow();
};

void TestSideWindowsFollow::aPartialSaleIsTheHoldingTheyTake()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    BuyInShenzhen(form);
    Enter(form.Text(qcal::SellPrice), QStringLiteral("10.5"));
    Enter(form.Text(qcal::SellQuantity), QStringLiteral("500"));
    QCOMPARE(Shown(form.Text(qcal::ProfitOrShares)), QStringLiteral("500"));
    QCOMPARE(Shown(form.Text(qcal::BreakEven)), QStringLiteral("9.550"));
    // The part sold: 5,242.32 received less half of 10,005.10 paid.
    QCOMPARE(Shown(form.Text(qcal::RealisedProfit)), QStringLiteral("239.77"));
    QCOMPARE(Shown(form.Text(qcal::Yield)), QStringLiteral("4.79"));

    Form8* down = OpenAverageDown(form);
    QCOMPARE(Shown(down->Text(pf::Held)), QStringLiteral("500"));
    QCOMPARE(Shown(down->Text(pf::Invested)), QStringLiteral("4,762.78"));
    Enter(down->Text(pf::Price), QStringLiteral("8"));
    Enter(down->Text(pf::TargetCost), QStringLiteral("9"));
    QCOMPARE(Shown(down->Text(pf::SharesToBuy)), QStringLiteral("300"));
    QCOMPARE(Shown(down->Text(pf::Needed)), QStringLiteral("2,405.02"));
    QCOMPARE(Shown(down->Text(pf::NewCost)), QStringLiteral("8.960"));
    QCOMPARE(Shown(down->Text(pf::NewBreakEven)), QStringLiteral("8.980"));
    Enter(down->Text(pf::TripShares), QStringLiteral("501"));
    Enter(down->Text(pf::SellPrice), QStringLiteral("10.5"));
    Enter(down->Text(pf::BuyBackPrice), QStringLiteral("10.2"));
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kTripSharesAboveHeld));

    Form7* target = OpenTarget(form);
    QCOMPARE(Shown(target->Text(tf::Quantity)), QStringLiteral("500"));
    QCOMPARE(Shown(target->Text(tf::Paid)), QStringLiteral("4,762.78"));
    QCOMPARE(Shown(target->Text(tf::BreakEven)), QStringLiteral("9.55"));
    QCOMPARE(w.boxes.Pending(), 0);
}

void TestSideWindowsFollow::aBatchSaleIsTooAndFullSalesLeaveNothing()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    BuyInShenzhen(form);
    Form8* down = OpenAverageDown(form);
    Enter(down->Text(pf::Price), QStringLiteral("8"));
    Enter(down->Text(pf::TargetCost), QStringLiteral("9"));

    // Two batches of the same sale, each a trade of its own: 6.61 and 6.07 of fees.
    form.centralWidget()->findChild<QPushButton*>(QStringLiteral("Command6"))->click();
    auto* batches = qobject_cast<qcal::ui::BatchWindow*>(form.SideWindow(qcal::ui::BatchSellWindow).data());
    const QStringList texts = {"10.5", "300", "10.5", "200"};
    for (int i = 0; i < texts.size(); ++i)
        Enter(batches->Text(i + 1), texts[i]);
    batches->Command(1)->click();
    QCOMPARE(Shown(form.Text(qcal::Received)), QStringLiteral("5,237.32"));
    QCOMPARE(Shown(down->Text(pf::Held)), QStringLiteral("500"));
    QCOMPARE(Shown(down->Text(pf::Invested)), QStringLiteral("4,767.78"));
    QVERIFY(!down->Text(pf::SharesToBuy)->text().isEmpty());  // computed again for the new holding
    QCOMPARE(Shown(down->Text(pf::Needed)), QStringLiteral("2,405.02"));

    // Selling everything leaves nothing held: the holding and what was computed on it go.
    form.centralWidget()->findChild<QPushButton*>(QStringLiteral("Command4"))->click();
    BuyInShenzhen(form);
    Enter(form.Text(qcal::SellPrice), QStringLiteral("10.5"));
    Enter(form.Text(qcal::SellQuantity), QStringLiteral("1000"));
    Form8* again = OpenAverageDown(form);
    QVERIFY(again->Text(pf::Held)->text().isEmpty());
    QVERIFY(again->Text(pf::NewCost)->text().isEmpty());
    QCOMPARE(w.boxes.Pending(), 0);
}

void TestSideWindowsFollow::aChangedSettingReachesAnOpenWindowAtOnce()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    BuyInShenzhen(form);
    Form8* down = OpenAverageDown(form);
    Enter(down->Text(pf::Price), QStringLiteral("8"));
    Enter(down->Text(pf::TargetCost), QStringLiteral("9"));
    QCOMPARE(Shown(down->Text(pf::Needed)), QStringLiteral("8,805.09"));
    Form7* target = OpenTarget(form);
    QCOMPARE(Shown(target->Text(tf::Paid)), QStringLiteral("10,005.10"));

    form.Check(qcal::ui::WaiveMinimumCheck)->setChecked(true);
    QCOMPARE(Shown(down->Text(pf::Invested)), QStringLiteral("10,002.60"));
    QVERIFY(Shown(down->Text(pf::Needed)) != QStringLiteral("8,805.09"));
    QCOMPARE(Shown(down->Text(pf::NewCost)), QStringLiteral("8.955"));
    down->Command(1)->click();
    QCOMPARE(Shown(down->Text(pf::NewCost)), QStringLiteral("8.955"));
    QCOMPARE(Shown(target->Text(tf::Paid)), QStringLiteral("10,002.60"));

    // A commission that cannot be used: nothing stays that was charged otherwise.
    form.Combo(qcal::ui::CommissionCombo)->setEditText(QStringLiteral("x"));
    QVERIFY(down->Text(pf::NewCost)->text().isEmpty());
    QVERIFY(target->Text(tf::Price)->text().isEmpty());
    QCOMPARE(target->Grid1()->rowCount(), 0);
    QCOMPARE(w.boxes.Pending(), 0);
}

void TestSideWindowsFollow::theMainWindowRecomputesForMarketAndCommission()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    BuyInShenzhen(form);
    QCOMPARE(Shown(form.Text(qcal::BuyTransferFee)), QStringLiteral("0.10"));
    form.Combo(qcal::ui::MarketCombo)->setCurrentText(Str(qcal::kFunds));
    QCOMPARE(Shown(form.Text(qcal::BuyTransferFee)), QStringLiteral("0.00"));
    QCOMPARE(Shown(form.Text(qcal::Paid)), QStringLiteral("10,005.00"));
    QComboBox* commission = form.Combo(qcal::ui::CommissionCombo);
    commission->setFocus();
    commission->setEditText(QStringLiteral("3.0"));
    PressEnter(commission->lineEdit());
    QCOMPARE(Shown(form.Text(qcal::BuyCommission)), QStringLiteral("30.00"));
    QCOMPARE(w.boxes.Pending(), 0);
}

void TestSideWindowsFollow::aChangedInputDropsItsResults()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    BuyInShenzhen(form);
    Form8* down = OpenAverageDown(form);
    Enter(down->Text(pf::Price), QStringLiteral("8"));
    Enter(down->Text(pf::TargetCost), QStringLiteral("9"));
    QCOMPARE(Shown(down->Text(pf::SharesToBuy)), QStringLiteral("1,100"));
    TypeInto(down->Text(pf::Held), QStringLiteral("150"));
    QVERIFY(down->Text(pf::SharesToBuy)->text().isEmpty());
    QVERIFY(down->Text(pf::Needed)->text().isEmpty());
    QVERIFY(down->Text(pf::Invested)->text().isEmpty());
    // A purchase is of whole lots.
    Enter(down->Text(pf::Held), QStringLiteral("1000"));
    Enter(down->Text(pf::Cost), QStringLiteral("10"));
    Enter(down->Text(pf::SharesToBuy), QStringLiteral("150"));
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, QStringLiteral("输入错误，补仓股数必须是整手（100股的整数倍），请重新输入       "));
}

void TestSideWindowsFollow::dividendsAboveTheCostLeaveYieldsEmptyAndTheRestWorking()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    qcal::test::UseRates(form, "2.7", "3", qcal::kShanghai);
    form.Check(qcal::ui::CurrentRulesCheck)->setChecked(true);
    Enter(form.Text(qcal::Dividend), QStringLiteral("110"));
    Enter(form.Text(qcal::BuyPrice), QStringLiteral("10"));
    Enter(form.Text(qcal::BuyQuantity), QStringLiteral("1000"));
    QCOMPARE(Shown(form.Text(qcal::Paid)), QStringLiteral("-972.90"));
    QCOMPARE(Shown(form.Text(qcal::BreakEven)), QStringLiteral("0.000"));

    Form7* target = OpenTarget(form);
    QCOMPARE(Shown(target->Text(tf::Paid)), QStringLiteral("-972.90"));
    QCOMPARE(Shown(target->Text(tf::BreakEven)), QStringLiteral("0.00"));
    QVERIFY(target->Text(tf::YieldAtPrice)->text().isEmpty());
    QVERIFY(!target->findChild<QLabel*>(QStringLiteral("Label22"))->text().isEmpty());
    QVERIFY(target->Grid1()->rowCount() > 10);
    Enter(target->Text(tf::Profit), QStringLiteral("2000"));  // 1,027.10 to come from the sale
    QCOMPARE(Shown(target->Text(tf::Price)), QStringLiteral("1.04"));
    QVERIFY(target->Text(tf::Yield)->text().isEmpty());

    Form8* down = OpenAverageDown(form);
    QCOMPARE(Shown(down->Text(pf::Cost)), QStringLiteral("0.000"));
    QCOMPARE(Shown(down->Text(pf::Invested)), QStringLiteral("-972.90"));
    QVERIFY(!down->findChild<QLabel*>(QStringLiteral("Label37"))->text().isEmpty());
    Enter(down->Text(pf::TripShares), QStringLiteral("500"));
    Enter(down->Text(pf::SellPrice), QStringLiteral("10.5"));
    Enter(down->Text(pf::BuyBackPrice), QStringLiteral("10.2"));
    QCOMPARE(Shown(down->Text(pf::TripCost)), QStringLiteral("0.000"));
    QCOMPARE(Shown(down->Text(pf::TripBreakEven)), QStringLiteral("0.000"));
    QCOMPARE(w.boxes.Pending(), 0);
}

// 计算 takes the target typed last, Enter or not; the ladder and the chart reach a far target.
void TestSideWindowsFollow::targetWindowCalculatesWhatIsTyped()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    BuyInShenzhen(form);
    Form7* target = OpenTarget(form);
    TypeInto(target->Text(tf::Profit), QStringLiteral("1000"));
    target->Command(1)->click();
    QCOMPARE(Shown(target->Text(tf::Profit)), QStringLiteral("1,000.00"));
    QCOMPARE(Shown(target->Text(tf::Yield)), QStringLiteral("9.99"));

    Enter(target->Text(tf::Yield), QStringLiteral("50"));
    const QString price = Shown(target->Text(tf::Price));
    QCOMPARE(price, QStringLiteral("15.03"));
    bool marked = false;
    for (int r = 0; r < target->Grid1()->rowCount(); ++r)
        marked = marked || (target->Grid1()->item(r, 0)->text() == price &&
                            target->Grid1()->item(r, Form7::kMarkColumn)->text().contains(QStringLiteral("目标价")));
    QVERIFY(marked);
    QVERIFY(target->Grid1()->rowCount() <= 30);
}

void TestSideWindowsFollow::refusalsNameTheField()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    BuyInShenzhen(form);
    Form8* down = OpenAverageDown(form);
    Enter(down->Text(pf::Price), QStringLiteral("abc"));
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, QStringLiteral("输入错误，补仓价格必须输入数字，请重新输入       "));
    QCOMPARE(down->focusWidget(), down->Text(pf::Price));
    QCOMPARE(down->Text(pf::Price)->selectedText(), QStringLiteral("abc"));
}

void TestSideWindowsFollow::escapeReturnsFromEverySideWindow()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    const auto open = [&form](qcal::ui::SideWindowId id) {
        if (id == qcal::ui::BatchBuyWindow || id == qcal::ui::BatchSellWindow) {
            const char* button = id == qcal::ui::BatchBuyWindow ? "Command5" : "Command6";
            form.centralWidget()->findChild<QPushButton*>(QString::fromLatin1(button))->click();
            return;
        }
        const char* actions[] = {"", "", "GY", "", "", "JHG", "MNCK", "MBJ", "BCZT", "JYJL"};
        form.Action(actions[id])->trigger();
    };
    for (qcal::ui::SideWindowId id : qcal::ui::kSideWindows) {
        open(id);
        QWidget* window = form.SideWindow(id);
        QVERIFY2(window && window->isVisible(), qPrintable(QString::number(id)));
        QVERIFY(qcal::test::Activate(window));
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY2(!window->isVisible(), qPrintable(QString::number(id)));
        QVERIFY2(form.isVisible(), qPrintable(QString::number(id)));
        QTRY_COMPARE(QApplication::activeWindow(), &form);
    }
}

QTEST_MAIN(TestSideWindowsFollow)
#include "test_side_windows_follow.moc"
