// The target-price window (Form7) as the user meets it: opened from 其它功能 beside the main
// window, filled from the main window's buy or typed, refusing what it cannot use, with its ladder
// and chart.

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "core/messages.h"
#include "support/ui_fixture.h"
#include "ui/main/form1.h"
#include "ui/tools/form7.h"
#include "ui/tools/profit_chart.h"

using qcal::test::PressEnter;
using qcal::test::Str;
using qcal::test::TypeInto;
using qcal::ui::Form1;
using qcal::ui::Form7;
namespace tf = qcal::target;

namespace {

void Enter(QLineEdit* field, const QString& text)
{
    TypeInto(field, text);
    PressEnter(field);
}

Form7* OpenTarget(Form1& form)
{
    form.Action("MBJ")->trigger();
    auto* window = qobject_cast<Form7*>(form.SideWindow(qcal::ui::TargetWindow).data());
    if (window)
        qcal::test::Activate(window);
    return window;
}

// The rows of the ladder that carry a mark, by their mark.
QStringList Marked(const QTableWidget* grid)
{
    QStringList marks;
    for (int r = 0; r < grid->rowCount(); ++r) {
        if (!grid->item(r, Form7::kMarkColumn)->text().isEmpty())
            marks << grid->item(r, 0)->text() + QLatin1Char(' ') + grid->item(r, Form7::kMarkColumn)->text();
    }
    return marks;
}

} // namespace

class TestTargetWindow : public QObject {
    Q_OBJECT
private slots:
    void opensBesideTheMainWindowWithItsControls();
    void takesTheMainWindowsComputedBuy();
    void typedPurchaseAndBothTargets();
    void theCurrentRulesCharge();
    void aRefusedInputSaysWhyAndSelectsTheField();
    void theChartGrowsWithTheWindow();
};

void TestTargetWindow::opensBesideTheMainWindowWithItsControls()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    QCOMPARE(form.Action("MBJ")->text(), QStringLiteral("目标价与盈亏表"));
    Form7* target = OpenTarget(form);
    QVERIFY(target);
    QCOMPARE(target->windowTitle(), QStringLiteral("目标价与盈亏表"));
    QVERIFY(target->isVisible());
    QVERIFY(form.isVisible());  // unlike the converter, the main window stays
    for (int i = 1; i <= tf::kFieldCount; ++i)
        QVERIFY2(target->Text(i), qPrintable(QString::number(i)));
    QCOMPARE(target->Grid1()->objectName(), QStringLiteral("Grid1"));
    QCOMPARE(target->Picture1()->objectName(), QStringLiteral("Picture1"));
    QCOMPARE(target->Command(1)->text(), QStringLiteral("计 算"));
    QCOMPARE(target->Command(2)->text(), QStringLiteral("返 回"));
    QCOMPARE(target->focusWidget(), target->Text(tf::BuyPrice));
    QVERIFY(target->Text(tf::BuyPrice)->text().isEmpty());
    target->Command(2)->click();
    QVERIFY(!target->isVisible());
    QVERIFY(form.isVisible());
    QCOMPARE(w.boxes.Pending(), 0);
}

void TestTargetWindow::takesTheMainWindowsComputedBuy()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    qcal::test::UseRates(form, "3.0", "3", qcal::kShanghai);
    Enter(form.Text(qcal::BuyPrice), QStringLiteral("10"));
    Enter(form.Text(qcal::BuyQuantity), QStringLiteral("1000"));
    Form7* target = OpenTarget(form);
    QCOMPARE(target->Text(tf::BuyPrice)->text(), QStringLiteral("10.00"));
    QCOMPARE(target->Text(tf::Quantity)->text(), QStringLiteral("1,000"));
    QCOMPARE(target->Text(tf::Paid)->text(), QStringLiteral("10,061.00"));
    QCOMPARE(target->Text(tf::Yield)->text(), QStringLiteral("5.00"));
    QCOMPARE(target->Text(tf::Price)->text(), QStringLiteral("10.63"));
    QCOMPARE(target->Text(tf::Received)->text(), QStringLiteral("10,565.22"));
    QCOMPARE(target->Text(tf::ProfitAtPrice)->text(), QStringLiteral("504.22"));
    QCOMPARE(target->Text(tf::YieldAtPrice)->text(), QStringLiteral("5.01"));
    QCOMPARE(target->Text(tf::BreakEven)->text(), QStringLiteral("10.13"));
    QCOMPARE(target->Grid1()->rowCount(), 23);
    QCOMPARE(Marked(target->Grid1()), (QStringList{"10.13 保本价", "10.63 目标价"}));
    QVERIFY(target->Picture1()->Curve().size() > 100);

    // Another quantity typed without Enter is another purchase: the money paid is found for it.
    TypeInto(target->Text(tf::Quantity), QStringLiteral("2000"));
    target->Command(1)->click();
    QCOMPARE(target->Text(tf::Paid)->text(), QStringLiteral("20,122.00"));
    QCOMPARE(w.boxes.Pending(), 0);
}

void TestTargetWindow::typedPurchaseAndBothTargets()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    qcal::test::UseRates(form, "3.0", "3", qcal::kShanghai);
    Form7* target = OpenTarget(form);
    Enter(target->Text(tf::BuyPrice), QStringLiteral("10"));
    QCOMPARE(target->focusWidget(), target->Text(tf::Quantity));
    Enter(target->Text(tf::Quantity), QStringLiteral("1000"));
    QCOMPARE(target->Text(tf::Paid)->text(), QStringLiteral("10,061.00"));
    Enter(target->Text(tf::Yield), QStringLiteral("-5"));
    QCOMPARE(target->Text(tf::Profit)->text(), QStringLiteral("-503.05"));
    QCOMPARE(target->Text(tf::Price)->text(), QStringLiteral("9.62"));
    QCOMPARE(target->Text(tf::ProfitAtPrice)->text(), QStringLiteral("-499.72"));
    Enter(target->Text(tf::Profit), QStringLiteral("7.22"));
    QCOMPARE(target->Text(tf::Yield)->text(), QStringLiteral("0.07"));
    QCOMPARE(target->Text(tf::Price)->text(), QStringLiteral("10.13"));
    QCOMPARE(Marked(target->Grid1()), (QStringList{"10.13 保本价、目标价"}));
    // The ladder's losses are blue, its gains red.
    QTableWidget* grid = target->Grid1();
    QCOMPARE(grid->item(0, 3)->foreground().color(), QColor(0, 0, 255));
    QCOMPARE(grid->item(grid->rowCount() - 1, 3)->foreground().color(), QColor(255, 0, 0));
    QCOMPARE(w.boxes.Pending(), 0);
}

void TestTargetWindow::theCurrentRulesCharge()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    qcal::test::UseRates(form, "3.0", "3", qcal::kShanghai);
    form.Check(qcal::ui::CurrentRulesCheck)->setChecked(true);
    Form7* target = OpenTarget(form);
    Enter(target->Text(tf::BuyPrice), QStringLiteral("10"));
    Enter(target->Text(tf::Quantity), QStringLiteral("1000"));
    QCOMPARE(target->Text(tf::Paid)->text(), QStringLiteral("10,030.10"));
    Enter(target->Text(tf::Yield), QStringLiteral("10"));
    QCOMPARE(target->Text(tf::Price)->text(), QStringLiteral("11.08"));
    QCOMPARE(target->Text(tf::Received)->text(), QStringLiteral("11,041.11"));
    QCOMPARE(target->Text(tf::ProfitAtPrice)->text(), QStringLiteral("1,011.01"));
    QCOMPARE(target->Text(tf::BreakEven)->text(), QStringLiteral("10.07"));
}

void TestTargetWindow::aRefusedInputSaysWhyAndSelectsTheField()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    Form7* target = OpenTarget(form);
    Enter(target->Text(tf::BuyPrice), QStringLiteral("abc"));
    auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kBuyPriceNotNumeric));
    QCOMPARE(boxes[0].title, Str(qcal::msg::kTitle));
    QCOMPARE(target->focusWidget(), target->Text(tf::BuyPrice));
    QCOMPARE(target->Text(tf::BuyPrice)->selectedText(), QStringLiteral("abc"));

    Enter(target->Text(tf::BuyPrice), QStringLiteral("10"));
    Enter(target->Text(tf::Quantity), QStringLiteral("1000"));
    Enter(target->Text(tf::Yield), QStringLiteral("-100"));
    boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kTargetYield));
    QVERIFY(boxes[0].text.endsWith(QStringLiteral("       ")));
    QCOMPARE(target->Text(tf::Yield)->selectedText(), QStringLiteral("-100"));
    QVERIFY(target->Text(tf::Price)->text().isEmpty());
}

void TestTargetWindow::theChartGrowsWithTheWindow()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    Form7* target = OpenTarget(form);
    const QSize chart = target->Picture1()->size();
    const QSize grid = target->Grid1()->size();
    target->resize(target->size() + QSize(150, 120));
    QTest::qWait(20);
    QCOMPARE(target->Picture1()->width(), chart.width() + 150);
    QVERIFY(target->Picture1()->height() > chart.height());
    QVERIFY(target->Grid1()->height() > grid.height());
    target->close();
}

QTEST_MAIN(TestTargetWindow)
#include "test_target_window.moc"
