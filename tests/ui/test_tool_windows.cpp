// The converter, the mini window and the About window as the user meets them: opened from the
// main window, which is hidden meanwhile and comes back when they go.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "core/messages.h"
#include "support/ui_fixture.h"
#include "ui/common/colours.h"
#include "ui/main/form1.h"
#include "ui/tools/form2.h"
#include "ui/tools/form5.h"
#include "ui/tools/form6.h"

using qcal::test::PressEnter;
using qcal::test::Str;
using qcal::test::TypeInto;
using qcal::ui::Form1;
using qcal::ui::Form2;
using qcal::ui::Form5;
using qcal::ui::Form6;

namespace {

using qcal::test::UseRates;

Form5* OpenConverter(Form1& form)
{
    form.Action("JHG")->trigger();
    auto* converter = qobject_cast<Form5*>(form.SideWindow(qcal::ui::ConverterWindow).data());
    if (converter)
        qcal::test::Activate(converter);
    return converter;
}

Form6* OpenMini(Form1& form)
{
    form.Action("MNCK")->trigger();
    auto* mini = qobject_cast<Form6*>(form.SideWindow(qcal::ui::MiniWindow).data());
    if (mini)
        qcal::test::Activate(mini);
    return mini;
}

Form2* OpenAbout(Form1& form)
{
    form.findChild<QPushButton*>(QStringLiteral("Command3"))->click();
    return qobject_cast<Form2*>(form.SideWindow(qcal::ui::AboutWindow).data());
}

// 10,000 at 10 with 2.7 / 3 / Shanghai: 900 shares.
void Convert(Form5* converter, const QString& amount, const QString& price)
{
    TypeInto(converter->Text(1), amount);
    PressEnter(converter->Text(1));
    TypeInto(converter->Text(2), price);
    PressEnter(converter->Text(2));
}

// Lets deferred deletions of closed windows happen.
void Settle() { QTest::qWait(20); }

} // namespace

class TestToolWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void converterHidesAndBringsBackTheMainWindow();
    void converterBackKeepsItsTexts();
    void converterCarriesPriceAndShares();
    void converterRefusesToCarry_data();
    void converterRefusesToCarry();
    void converterRefusesABadPrice();
    void miniComputesAndRefusesAQuantityBelowOne();
    void miniOnTopIsItsOwn();
    void aboutBringsTheMainWindowBackUnchanged_data();
    void aboutBringsTheMainWindowBackUnchanged();
    void aboutBannerClickBreaksNothing();
    void exitWithASideWindowOpenEndsTheProgram_data();
    void exitWithASideWindowOpenEndsTheProgram();
};

void TestToolWindows::initTestCase()
{
    // Closing the last window would otherwise end the test run itself.
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestToolWindows::converterHidesAndBringsBackTheMainWindow()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    Form5* converter = OpenConverter(form);
    QVERIFY(converter);
    QVERIFY(converter->isVisible());
    QVERIFY(!form.isVisible());
    QCOMPARE(converter->windowTitle(), QStringLiteral("总金额换算股票"));
    QCOMPARE(converter->focusWidget(), converter->Text(1));

    converter->close();  // the title bar's close box
    QVERIFY(form.isVisible());
    Settle();
    QVERIFY(form.SideWindow(qcal::ui::ConverterWindow).isNull());
}

void TestToolWindows::converterBackKeepsItsTexts()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    UseRates(form, "2.7", "3", qcal::kShanghai);
    Form5* converter = OpenConverter(form);
    Convert(converter, "10000", "10");
    QCOMPARE(converter->Text(1)->text(), QStringLiteral("10,000.00"));
    QCOMPARE(converter->Text(2)->text(), QStringLiteral("10.00"));
    QCOMPARE(converter->Text(3)->text(), QStringLiteral("900"));
    QCOMPARE(converter->Text(4)->text(), QStringLiteral("9,052.30"));
    QCOMPARE(converter->Text(5)->text(), QStringLiteral("947.70"));
    QCOMPARE(converter->focusWidget(), converter->Command(2));

    const QPointer<Form5> kept(converter);
    converter->Command(1)->click();  // "返 回"
    QVERIFY(kept && !converter->isVisible());
    QVERIFY(form.isVisible());
    QVERIFY(form.Text(1)->text().isEmpty());  // nothing carried over

    Settle();
    QVERIFY2(kept, "返 回 must hide the converter, not unload it");
    QVERIFY(OpenConverter(form) == kept.data());
    QVERIFY(!form.isVisible());
    QCOMPARE(converter->Text(3)->text(), QStringLiteral("900"));
    QCOMPARE(converter->Text(4)->text(), QStringLiteral("9,052.30"));

    // The main window's Clear unloads the hidden converter without bringing anything back twice.
    converter->Command(1)->click();
    form.findChild<QPushButton*>(QStringLiteral("Command4"))->click();
    Settle();
    QVERIFY(form.SideWindow(qcal::ui::ConverterWindow).isNull());
    QVERIFY(OpenConverter(form)->Text(1)->text().isEmpty());
}

void TestToolWindows::converterCarriesPriceAndShares()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    UseRates(form, "2.7", "3", qcal::kShanghai);
    Form5* converter = OpenConverter(form);
    Convert(converter, "10000", "10");
    converter->Command(2)->click();  // "加入计算"
    QVERIFY(form.isVisible());
    QCOMPARE(form.Text(1)->text(), QStringLiteral("10.00"));
    QCOMPARE(form.Text(2)->text(), QStringLiteral("900"));
    // Coming back computed the buy side.
    QCOMPARE(form.Text(3)->text(), QStringLiteral("9,000.00"));

    Settle();
    QVERIFY(form.SideWindow(qcal::ui::ConverterWindow).isNull());
    Form5* again = OpenConverter(form);
    for (int i = 1; i <= 5; ++i)
        QVERIFY2(again->Text(i)->text().isEmpty(), qPrintable(QStringLiteral("Text%1").arg(i)));
}

void TestToolWindows::converterRefusesToCarry_data()
{
    QTest::addColumn<bool>("lockBuySide");
    QTest::addColumn<bool>("compute");
    QTest::addColumn<QString>("message");
    QTest::newRow("locked buy side") << true << true << Str(qcal::msg::kClearFirst);
    QTest::newRow("no shares computed") << false << false << Str(qcal::msg::kInputError);
}

void TestToolWindows::converterRefusesToCarry()
{
    QFETCH(bool, lockBuySide);
    QFETCH(bool, compute);
    QFETCH(QString, message);
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    UseRates(form, "2.7", "3", qcal::kShanghai);
    form.Text(2)->setText(QStringLiteral("1,000"));
    if (lockBuySide)
        qcal::ui::SetFieldLocked(form.Text(2), true);  // holding mode
    Form5* converter = OpenConverter(form);
    if (compute)
        Convert(converter, "10000", "10");
    else
        TypeInto(converter->Text(2), QStringLiteral("10"));

    converter->Command(2)->click();
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, message);
    QVERIFY(converter->isVisible());
    QVERIFY(!form.isVisible());
    QVERIFY(form.Text(1)->text().isEmpty());
    QCOMPARE(form.Text(2)->text(), QStringLiteral("1,000"));
}

void TestToolWindows::converterRefusesABadPrice()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    Form5* converter = OpenConverter(form);
    TypeInto(converter->Text(1), QStringLiteral("10000"));
    TypeInto(converter->Text(2), QStringLiteral("abc"));
    PressEnter(converter->Text(2));
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kInputError));
    QCOMPARE(boxes[0].title, Str(qcal::msg::kTitle));
    QCOMPARE(converter->focusWidget(), converter->Text(2));
    QCOMPARE(converter->Text(2)->selectedText(), QStringLiteral("abc"));
    QVERIFY(converter->Text(3)->text().isEmpty());

    // A sum of exactly one lot before fees: the message, "0" shares, focus to the sum.
    TypeInto(converter->Text(1), QStringLiteral("1000"));
    TypeInto(converter->Text(2), QStringLiteral("10"));
    PressEnter(converter->Text(2));
    QCOMPARE(w.boxes.Take().size(), 1);
    QCOMPARE(converter->Text(3)->text(), QStringLiteral("0"));
    QCOMPARE(converter->focusWidget(), converter->Text(1));
}

void TestToolWindows::miniComputesAndRefusesAQuantityBelowOne()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    UseRates(form, "3.0", "3", qcal::kShanghai);
    Form6* mini = OpenMini(form);
    QVERIFY(mini);
    QVERIFY(!form.isVisible());
    QCOMPARE(mini->windowTitle(), QStringLiteral("迷你小窗口"));
    QCOMPARE(mini->focusWidget(), mini->Text(1));

    TypeInto(mini->Text(1), QStringLiteral("10"));
    PressEnter(mini->Text(1));
    QCOMPARE(mini->Text(1)->text(), QStringLiteral("10.00"));
    QCOMPARE(mini->focusWidget(), mini->Text(2));
    TypeInto(mini->Text(2), QStringLiteral("1000"));
    PressEnter(mini->Text(2));
    QCOMPARE(mini->Text(2)->text(), QStringLiteral("1,000"));
    QCOMPARE(mini->Text(3)->text(), QStringLiteral("10.123"));
    QCOMPARE(mini->focusWidget(), mini->Text(2));

    TypeInto(mini->Text(2), QStringLiteral("0"));
    PressEnter(mini->Text(2));
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kInputError));
    QCOMPARE(mini->Text(2)->selectedText(), QStringLiteral("0"));
    QCOMPARE(mini->Text(3)->text(), QStringLiteral("10.123"));

    mini->close();
    QVERIFY(form.isVisible());
}

void TestToolWindows::miniOnTopIsItsOwn()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    const QString ini = form.IniPath();
    const auto contents = [&ini] {
        QFile file(ini);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = contents();
    const Qt::WindowFlags mainFlags = form.windowFlags();

    Form6* mini = OpenMini(form);
    mini->Check1()->click();
    QVERIFY(mini->Check1()->isChecked());
    QVERIFY(mini->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(mini->isVisible());
    QVERIFY(!form.Check(1)->isChecked());
    QVERIFY(!form.Action("CKZD")->isChecked());
    QCOMPARE(form.windowFlags(), mainFlags);
    QCOMPARE(contents(), before);

    // The next opening starts ordinary again.
    mini->close();
    Settle();
    Form6* again = OpenMini(form);
    QVERIFY(again != nullptr);
    QVERIFY(!again->Check1()->isChecked());
    QVERIFY(!(again->windowFlags() & Qt::WindowStaysOnTopHint));
    again->close();

    // And the main window's box leaves the mini window alone.
    form.Check(1)->click();
    QVERIFY(form.Check(1)->isChecked());
    Form6* third = OpenMini(form);
    QVERIFY(!third->Check1()->isChecked());
    QVERIFY(!(third->windowFlags() & Qt::WindowStaysOnTopHint));
}

void TestToolWindows::aboutBringsTheMainWindowBackUnchanged_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("确 定") << false;
    QTest::newRow("title bar") << true;
}

void TestToolWindows::aboutBringsTheMainWindowBackUnchanged()
{
    QFETCH(bool, closeBox);
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    UseRates(form, "3.0", "3", qcal::kShanghai);
    TypeInto(form.Text(1), QStringLiteral("10"));
    PressEnter(form.Text(1));
    TypeInto(form.Text(2), QStringLiteral("1000"));
    PressEnter(form.Text(2));
    QCOMPARE(form.Text(9)->text(), QStringLiteral("10.123"));
    const qcal::MainWindowState before = form.Snapshot();

    Form2* about = OpenAbout(form);
    QVERIFY(about);
    QVERIFY(about->isVisible());
    QVERIFY(!form.isVisible());
    QCOMPARE(about->windowTitle(), QStringLiteral("关于股票交易费用睿衡计算器"));
    QVERIFY(!about->Label(1)->text().isEmpty());
    QVERIFY(!about->Label(2)->text().isEmpty());
    QCOMPARE(about->Image1()->size(), QSize(210, 90));

    if (closeBox)
        about->close();
    else
        about->Command1()->click();
    QVERIFY(form.isVisible());
    QVERIFY(form.Snapshot() == before);
    Settle();
    QVERIFY(form.SideWindow(qcal::ui::AboutWindow).isNull());
}

void TestToolWindows::aboutBannerClickBreaksNothing()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    Form2* about = OpenAbout(form);
    // The notice is one line: it must fit its label.
    QLabel* notice = about->Label(2);
    QVERIFY(notice->fontMetrics().horizontalAdvance(notice->text()) <= notice->width());

    // Headless there is no browser to start; the click must leave everything as it was.
    QTest::mouseClick(about->Image1(), Qt::LeftButton, {}, QPoint(100, 45));
    QTest::qWait(20);
    QVERIFY(about->isVisible());
    QVERIFY(!form.isVisible());
    QVERIFY(!QApplication::activeModalWidget());
    about->Command1()->click();
    QVERIFY(form.isVisible());
}

void TestToolWindows::exitWithASideWindowOpenEndsTheProgram_data()
{
    QTest::addColumn<int>("formNumber");
    QTest::newRow("converter") << 5;
    QTest::newRow("converter hidden by 返 回") << -5;
    QTest::newRow("mini") << 6;
    QTest::newRow("about") << 2;
}

void TestToolWindows::exitWithASideWindowOpenEndsTheProgram()
{
    QFETCH(int, formNumber);
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    switch (formNumber) {
    case 5:
    case -5:
        OpenConverter(form);
        break;
    case 6:
        OpenMini(form);
        break;
    default:
        OpenAbout(form);
        break;
    }
    QPointer<QWidget> side = form.SideWindow(qcal::ui::SideWindowId(formNumber < 0 ? -formNumber : formNumber));
    QVERIFY(side);
    if (formNumber == -5)
        qobject_cast<Form5*>(side.data())->Command(1)->click();

    form.close();  // what Exit, the menu's 退出 and the main window's close box do
    QVERIFY(!form.isVisible());
    Settle();
    QVERIFY(side.isNull());
    QVERIFY(!form.isVisible());
}

QTEST_MAIN(TestToolWindows)
#include "test_tool_windows.moc"
