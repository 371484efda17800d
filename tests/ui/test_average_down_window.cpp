// The averaging-down and round-trip window (Form8) as the user meets it: opened from 其它功能
// beside the main window, on the main window's holding or a typed one.

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "core/messages.h"
#include "support/ui_fixture.h"
#include "ui/main/form1.h"
#include "ui/tools/form8.h"

using qcal::test::PressEnter;
using qcal::test::Str;
using qcal::test::TypeInto;
using qcal::ui::Form1;
using qcal::ui::Form8;
namespace pf = qcal::position;

namespace {

void Enter(QLineEdit* field, const QString& text)
{
    TypeInto(field, text);
    PressEnter(field);
}

Form8* OpenWindow(Form1& form)
{
    form.Action("BCZT")->trigger();
    auto* window = qobject_cast<Form8*>(form.SideWindow(qcal::ui::AverageDownWindow).data());
    if (window)
        qcal::test::Activate(window);
    return window;
}

// The worked example's holding in the main window: 1,000 shares at 10 under the current rules.
void BuyUnderTheCurrentRules(Form1& form)
{
    qcal::test::UseRates(form, "3.0", "3", qcal::kShanghai);
    form.Check(qcal::ui::CurrentRulesCheck)->setChecked(true);
    Enter(form.Text(qcal::BuyPrice), QStringLiteral("10"));
    Enter(form.Text(qcal::BuyQuantity), QStringLiteral("1000"));
}

} // namespace

class TestAverageDownWindow : public QObject {
    Q_OBJECT
private slots:
    void opensBesideTheMainWindowWithItsControls();
    void averagesDownTheMainWindowsHolding();
    void theRoundTripOnTheSameHolding();
    void anUnreachableTargetSaysSo();
    void aTypedHoldingCostsSharesTimesCost();
};

void TestAverageDownWindow::opensBesideTheMainWindowWithItsControls()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    QCOMPARE(form.Action("BCZT")->text(), QStringLiteral("补仓与做T"));
    Form8* window = OpenWindow(form);
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("补仓与做T"));
    QVERIFY(form.isVisible());
    for (int i = 1; i <= 17; ++i)
        QVERIFY2(window->Text(i), qPrintable(QString::number(i)));
    QCOMPARE(window->Command(1)->text(), QStringLiteral("计 算"));
    QCOMPARE(window->Command(2)->text(), QStringLiteral("计 算"));
    QCOMPARE(window->Command(3)->text(), QStringLiteral("返 回"));
    QCOMPARE(window->focusWidget(), window->Text(pf::Held));
    window->Command(3)->click();
    QVERIFY(!window->isVisible());
    QVERIFY(form.isVisible());
}

void TestAverageDownWindow::averagesDownTheMainWindowsHolding()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    BuyUnderTheCurrentRules(form);
    Form8* window = OpenWindow(form);
    QCOMPARE(window->Text(pf::Held)->text(), QStringLiteral("1,000"));
    QCOMPARE(window->Text(pf::Cost)->text(), QStringLiteral("10.031"));
    QCOMPARE(window->Text(pf::Invested)->text(), QStringLiteral("10,030.10"));
    QCOMPARE(window->focusWidget(), window->Text(pf::Price));
    Enter(window->Text(pf::Price), QStringLiteral("8"));
    Enter(window->Text(pf::TargetCost), QStringLiteral("9"));
    QCOMPARE(window->Text(pf::SharesToBuy)->text(), QStringLiteral("1,100"));
    QCOMPARE(window->Text(pf::Needed)->text(), QStringLiteral("8,826.49"));
    QCOMPARE(window->Text(pf::NewCost)->text(), QStringLiteral("8.980"));
    QCOMPARE(window->Text(pf::NewBreakEven)->text(), QStringLiteral("9.020"));
    // The other way round.
    Enter(window->Text(pf::SharesToBuy), QStringLiteral("1000"));
    QCOMPARE(window->Text(pf::NewCost)->text(), QStringLiteral("9.028"));
    QCOMPARE(w.boxes.Pending(), 0);
}

void TestAverageDownWindow::theRoundTripOnTheSameHolding()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    BuyUnderTheCurrentRules(form);
    Form8* window = OpenWindow(form);
    Enter(window->Text(pf::TripShares), QStringLiteral("500"));
    QCOMPARE(window->focusWidget(), window->Text(pf::SellPrice));
    Enter(window->Text(pf::SellPrice), QStringLiteral("10.5"));
    Enter(window->Text(pf::BuyBackPrice), QStringLiteral("10.2"));
    QCOMPARE(window->Text(pf::SaleFees)->text(), QStringLiteral("18.43"));
    QCOMPARE(window->Text(pf::BuyBackFees)->text(), QStringLiteral("15.35"));
    QCOMPARE(window->Text(pf::TripProfit)->text(), QStringLiteral("116.22"));
    QCOMPARE(window->Text(pf::TripCost)->text(), QStringLiteral("9.914"));
    QCOMPARE(window->Text(pf::TripBreakEven)->text(), QStringLiteral("9.950"));
    QCOMPARE(window->Text(pf::TripSellPrice)->text(), QStringLiteral("10.27"));
    QCOMPARE(w.boxes.Pending(), 0);

    // A holding typed without Enter is no longer the main window's: it cost shares × cost.
    TypeInto(window->Text(pf::Held), QStringLiteral("2000"));
    window->Command(2)->click();
    QCOMPARE(window->Text(pf::Invested)->text(), QStringLiteral("20,062.00"));
    QCOMPARE(w.boxes.Pending(), 0);

    TypeInto(window->Text(pf::TripShares), QStringLiteral("2001"));
    window->Command(2)->click();
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kTripSharesAboveHeld));
    QCOMPARE(window->focusWidget(), window->Text(pf::TripShares));
}

void TestAverageDownWindow::anUnreachableTargetSaysSo()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    BuyUnderTheCurrentRules(form);
    Form8* window = OpenWindow(form);
    Enter(window->Text(pf::Price), QStringLiteral("8"));
    Enter(window->Text(pf::TargetCost), QStringLiteral("7.5"));
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kTargetCostUnreachable));
    QVERIFY(boxes[0].text.endsWith(QStringLiteral("       ")));
    QCOMPARE(boxes[0].title, Str(qcal::msg::kTitle));
    QCOMPARE(window->focusWidget(), window->Text(pf::TargetCost));
    QCOMPARE(window->Text(pf::TargetCost)->selectedText(), QStringLiteral("7.5"));  // left as typed
    QVERIFY(window->Text(pf::SharesToBuy)->text().isEmpty());
}

void TestAverageDownWindow::aTypedHoldingCostsSharesTimesCost()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    Form8* window = OpenWindow(form);
    Enter(window->Text(pf::Held), QStringLiteral("2000"));
    Enter(window->Text(pf::Cost), QStringLiteral("15.5"));
    QCOMPARE(window->Text(pf::Held)->text(), QStringLiteral("2,000"));
    QCOMPARE(window->Text(pf::Cost)->text(), QStringLiteral("15.500"));
    QCOMPARE(window->Text(pf::Invested)->text(), QStringLiteral("31,000.00"));
    QCOMPARE(window->focusWidget(), window->Text(pf::Price));
    Enter(window->Text(pf::Held), QStringLiteral("abc"));
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, QStringLiteral("输入错误，持有股数必须输入数字，请重新输入       "));
}

QTEST_MAIN(TestAverageDownWindow)
#include "test_average_down_window.moc"
