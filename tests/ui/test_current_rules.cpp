// The current rules (现行规则) and 免五 as the user meets them: the check boxes and their menu
// items, the look of the settings frame, the worked examples typed into the real windows, the
// switch that recomputes what is on screen, and the two keys of QCAL.INI.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "core/captions.h"
#include "core/messages.h"
#include "support/ui_fixture.h"
#include "ui/main/form1.h"
#include "ui/tools/batch_window.h"
#include "ui/tools/form5.h"
#include "ui/tools/form6.h"
#include "ui/tools/side_windows.h"

using qcal::test::PressEnter;
using qcal::test::Str;
using qcal::test::TypeInto;
using qcal::ui::Form1;

namespace {

void Enter(QLineEdit* field, const QString& text)
{
    TypeInto(field, text);
    PressEnter(field);
}

QCheckBox* CurrentRules(Form1& form) { return form.Check(qcal::ui::CurrentRulesCheck); }
QCheckBox* WaiveMinimum(Form1& form) { return form.Check(qcal::ui::WaiveMinimumCheck); }

// The worked example's buy, 1,000 at 10, typed and confirmed with Enter.
void BuyTenThousand(Form1& form)
{
    Enter(form.Text(qcal::BuyPrice), QStringLiteral("10"));
    Enter(form.Text(qcal::BuyQuantity), QStringLiteral("1000"));
}

QString Stored(const qcal::test::MainWindow& w, const char* key) { return w.Stored(key); }

} // namespace

class TestCurrentRules : public QObject {
    Q_OBJECT
private slots:
    void boxesAndMenuItemsMirrorEachOther();
    void theSettingsFrameShowsTheRulesInForce();
    void workedExampleThroughTheMainWindow();
    void switchingRecomputesWhatIsOnScreen();
    void switchingRecomputesAClosedBatchBuyAndABuyAfterEnter();
    void waivedMinimumLowersTheSmallBuy();
    void aCommissionAboveTheCapIsRefused();
    void theChoiceSurvivesARestart();
    void anOlderFileLoadsWithTheProgramsOwnRules();
    void everySideWindowChargesByTheCurrentRules();
};

void TestCurrentRules::boxesAndMenuItemsMirrorEachOther()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    QAction* xxgz = form.Action("XXGZ");
    QAction* mw = form.Action("MW");
    QVERIFY(xxgz && mw);
    QCOMPARE(xxgz->text(), Str(qcal::caption::kCurrentRulesMenu));
    QCOMPARE(mw->text(), Str(qcal::caption::kWaiveMinimumMenu));
    QVERIFY(!CurrentRules(form)->isChecked());
    QVERIFY(!WaiveMinimum(form)->isEnabled());
    QVERIFY(!mw->isEnabled());

    xxgz->trigger();
    QVERIFY(CurrentRules(form)->isChecked());
    QVERIFY(WaiveMinimum(form)->isEnabled());
    QVERIFY(mw->isEnabled());
    mw->trigger();
    QVERIFY(WaiveMinimum(form)->isChecked());
    WaiveMinimum(form)->click();
    QVERIFY(!mw->isChecked());
    CurrentRules(form)->click();
    QVERIFY(!xxgz->isChecked());
    QVERIFY(!WaiveMinimum(form)->isEnabled());
    QVERIFY(!mw->isEnabled());
}

void TestCurrentRules::theSettingsFrameShowsTheRulesInForce()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    qcal::test::UseRates(form, "3.0", "1", qcal::kShanghai);
    const QString ownStampTip = form.Label(qcal::BuyStampDutyLabel)->toolTip();
    CurrentRules(form)->setChecked(true);
    QVERIFY(!form.Combo(qcal::ui::StampDutyCombo)->isEnabled());
    QCOMPARE(form.Combo(qcal::ui::StampDutyCombo)->currentText(), QStringLiteral("1"));  // kept for the own rules
    for (int label : {qcal::BuyStampDutyLabel, qcal::SellStampDutyLabel, qcal::StampDutyListLabel})
        QCOMPARE(form.Label(label)->toolTip(), Str(qcal::caption::kStampDutyCurrentTip));
    for (int label : {qcal::BuyTransferFeeLabel, qcal::SellTransferFeeLabel})
        QCOMPARE(form.Label(label)->toolTip(), Str(qcal::caption::kTransferFeeCurrentTip));

    CurrentRules(form)->setChecked(false);
    QVERIFY(form.Combo(qcal::ui::StampDutyCombo)->isEnabled());
    QCOMPARE(form.Label(qcal::BuyStampDutyLabel)->toolTip(), ownStampTip);

    // Funds pay no stamp duty under either rules: the list stays greyed for them.
    qcal::test::UseRates(form, "3.0", "1", qcal::kFunds);
    QVERIFY(!form.Combo(qcal::ui::StampDutyCombo)->isEnabled());
}

void TestCurrentRules::workedExampleThroughTheMainWindow()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    qcal::test::UseRates(form, "3.0", "3", qcal::kShanghai);
    CurrentRules(form)->setChecked(true);
    BuyTenThousand(form);
    const std::pair<int, const char*> buy[] = {{qcal::BuyAmount, "10,000.00"}, {qcal::BuyCommission, "30.00"},
                                               {qcal::BuyStampDuty, "0.00"},   {qcal::BuyTransferFee, "0.10"},
                                               {qcal::BuyFees, "30.10"},       {qcal::BuyCost, "10.031"},
                                               {qcal::Paid, "10,030.10"},      {qcal::BreakEven, "10.070"}};
    for (const auto& [field, text] : buy)
        QCOMPARE(form.Text(field)->text(), QString::fromLatin1(text));

    Enter(form.Text(qcal::SellPrice), QStringLiteral("11"));
    Enter(form.Text(qcal::SellQuantity), QStringLiteral("500"));
    QCOMPARE(form.Text(qcal::SellStampDuty)->text(), QStringLiteral("2.75"));
    QCOMPARE(form.Text(qcal::SellTransferFee)->text(), QStringLiteral("0.06"));
    QCOMPARE(form.Text(qcal::Received)->text(), QStringLiteral("5,480.69"));
    QCOMPARE(form.Text(qcal::BreakEven)->text(), QStringLiteral("9.140"));
    QCOMPARE(w.boxes.Pending(), 0);
}

void TestCurrentRules::switchingRecomputesWhatIsOnScreen()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    qcal::test::UseRates(form, "3.0", "3", qcal::kShanghai);
    BuyTenThousand(form);
    Enter(form.Text(qcal::SellPrice), QStringLiteral("11"));
    PressEnter(form.Text(qcal::SellQuantity));
    QCOMPARE(form.Text(qcal::BuyStampDuty)->text(), QStringLiteral("30.00"));
    QCOMPARE(form.Text(qcal::Received)->text(), QStringLiteral("10,933.00"));

    form.Action("XXGZ")->trigger();
    QCOMPARE(form.Text(qcal::BuyStampDuty)->text(), QStringLiteral("0.00"));
    QCOMPARE(form.Text(qcal::Paid)->text(), QStringLiteral("10,030.10"));
    QCOMPARE(form.Text(qcal::Received)->text(), QStringLiteral("10,961.39"));
    QCOMPARE(form.Text(qcal::ProfitOrShares)->text(), QStringLiteral("931.29"));
    QCOMPARE(form.Text(qcal::Yield)->text(), QStringLiteral("9.28"));

    form.Action("XXGZ")->trigger();
    QCOMPARE(form.Text(qcal::BuyStampDuty)->text(), QStringLiteral("30.00"));
    QCOMPARE(form.Text(qcal::Received)->text(), QStringLiteral("10,933.00"));
    QCOMPARE(form.Text(qcal::BreakEven)->text(), QStringLiteral("10.123"));
    QCOMPARE(w.boxes.Pending(), 0);
}

// On 上海A股 under the program's own rules a batch post leaves the transfer fees where the window kept
// the quantities; the batches must still be posted again as typed, with their window closed.
void TestCurrentRules::switchingRecomputesAClosedBatchBuyAndABuyAfterEnter()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    qcal::test::UseRates(form, "3.0", "3", qcal::kShanghai);
    auto* buy = qobject_cast<qcal::ui::BatchWindow*>(qcal::ui::OpenSideWindow(form, qcal::ui::BatchBuyWindow));
    QVERIFY(buy);
    const char* batches[] = {"10", "1000", "11", "1000"};
    for (int i = 0; i < 4; ++i)
        TypeInto(buy->Text(i + 1), QString::fromLatin1(batches[i]));
    buy->Command1()->click();
    QVERIFY(!buy->isVisible());
    const QString ownPaid = form.Text(qcal::Paid)->text();
    QCOMPARE(form.Text(qcal::BuyQuantity)->text(), QStringLiteral("2,000"));

    CurrentRules(form)->setChecked(true);
    QCOMPARE(form.Text(qcal::BuyQuantity)->text(), QStringLiteral("2,000"));
    QCOMPARE(form.Text(qcal::BuyCommission)->text(), QStringLiteral("63.00"));  // 30.00 + 33.00
    QCOMPARE(form.Text(qcal::BuyTransferFee)->text(), QStringLiteral("0.21"));  // 0.10 + 0.11
    QCOMPARE(form.Text(qcal::Paid)->text(), QStringLiteral("21,063.21"));
    CurrentRules(form)->setChecked(false);
    QCOMPARE(form.Text(qcal::Paid)->text(), ownPaid);
    QCOMPARE(w.boxes.Pending(), 0);

    // A single buy whose calculation Enter in the price field has since reset.
    form.findChild<QPushButton*>(QStringLiteral("Command4"))->click();
    BuyTenThousand(form);
    PressEnter(form.Text(qcal::BuyPrice));
    CurrentRules(form)->setChecked(true);
    QCOMPARE(form.Text(qcal::Paid)->text(), QStringLiteral("10,030.10"));
    QCOMPARE(form.Text(qcal::BreakEven)->text(), QStringLiteral("10.070"));
    QCOMPARE(w.boxes.Pending(), 0);
}

void TestCurrentRules::waivedMinimumLowersTheSmallBuy()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    qcal::test::UseRates(form, "2.5", "3", qcal::kShenzhen);
    CurrentRules(form)->setChecked(true);
    Enter(form.Text(qcal::BuyPrice), QStringLiteral("10"));
    Enter(form.Text(qcal::BuyQuantity), QStringLiteral("100"));
    QCOMPARE(form.Text(qcal::BuyFees)->text(), QStringLiteral("5.01"));
    QCOMPARE(form.Text(qcal::BreakEven)->text(), QStringLiteral("10.110"));
    WaiveMinimum(form)->setChecked(true);
    QCOMPARE(form.Text(qcal::BuyCommission)->text(), QStringLiteral("2.50"));
    QCOMPARE(form.Text(qcal::Paid)->text(), QStringLiteral("1,002.51"));
    QCOMPARE(form.Text(qcal::BreakEven)->text(), QStringLiteral("10.060"));
}

void TestCurrentRules::aCommissionAboveTheCapIsRefused()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    qcal::test::UseRates(form, "5", "3", qcal::kShanghai);
    CurrentRules(form)->setChecked(true);
    form.Text(qcal::BuyPrice)->setText(QStringLiteral("10"));
    form.Text(qcal::BuyQuantity)->setText(QStringLiteral("1000"));
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kCommissionAboveCap));
    QVERIFY(form.Text(qcal::BuyAmount)->text().isEmpty());
    QCOMPARE(w.Focused(), form.Combo(qcal::ui::CommissionCombo));
}

void TestCurrentRules::theChoiceSurvivesARestart()
{
    qcal::test::MainWindow w;
    {
        Form1& form = w.Open();
        CurrentRules(form)->setChecked(true);
        WaiveMinimum(form)->setChecked(true);
        QCOMPARE(Stored(w, "现行规则"), QStringLiteral("1"));
        QCOMPARE(Stored(w, "免五"), QStringLiteral("1"));
    }
    Form1 next(w.Directory());
    QVERIFY(CurrentRules(next)->isChecked());
    QVERIFY(WaiveMinimum(next)->isChecked());
    QVERIFY(WaiveMinimum(next)->isEnabled());
    QVERIFY(next.Action("XXGZ")->isChecked());
    QVERIFY(next.Action("MW")->isChecked());
    QCOMPARE(next.Fees().rules, qcal::FeeRules::Current);
    QVERIFY(next.Fees().waiveMinimum);
}

void TestCurrentRules::anOlderFileLoadsWithTheProgramsOwnRules()
{
    qcal::test::MainWindow w;
    QFile file(w.Directory() + QStringLiteral("/QCAL.INI"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[TIP]\r\n\xCA\xD6\xD0\xF8\xB7\xD1=3.0\r\n");  // 手续费=3.0, in GBK
    file.write("\xCF\xD6\xD0\xD0\xB9\xE6\xD4\xF2=yes\r\n");   // 现行规则=yes: not a value we write
    file.close();
    Form1& form = w.Create();
    QCOMPARE(form.Combo(qcal::ui::CommissionCombo)->currentText(), QStringLiteral("3.0"));
    QVERIFY(!CurrentRules(form)->isChecked());
    QCOMPARE(form.Fees().rules, qcal::FeeRules::Own);
}

void TestCurrentRules::everySideWindowChargesByTheCurrentRules()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    qcal::test::UseRates(form, "3.0", "3", qcal::kShanghai);
    CurrentRules(form)->setChecked(true);

    auto* buy = qobject_cast<qcal::ui::BatchWindow*>(qcal::ui::OpenSideWindow(form, qcal::ui::BatchBuyWindow));
    QVERIFY(buy);
    // The exchange takes Shanghai buys in whole lots: a batch of 1,550 is refused, and says so.
    const char* batches[] = {"10", "100", "11", "1000", "12", "1550"};
    for (int i = 0; i < 6; ++i)
        Enter(buy->Text(i + 1), QString::fromLatin1(batches[i]));
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, QStringLiteral("输入错误，上海A股买入须为100股的整数倍，请重新输入       "));
    QCOMPARE(buy->focusWidget(), buy->Text(6));
    Enter(buy->Text(6), QStringLiteral("1500"));
    QCOMPARE(form.Text(qcal::BuyCommission)->text(), QStringLiteral("92.00"));  // 5.00 + 33.00 + 54.00
    QCOMPARE(form.Text(qcal::BuyTransferFee)->text(), QStringLiteral("0.30"));  // 0.01 + 0.11 + 0.18
    QCOMPARE(form.Text(qcal::Paid)->text(), QStringLiteral("30,092.30"));
    QCOMPARE(form.Text(qcal::BreakEven)->text(), QStringLiteral("11.620"));
    // Back to the program's own rules: the batches are posted again under them.
    CurrentRules(form)->setChecked(false);
    QCOMPARE(form.Text(qcal::BuyStampDuty)->text(), QStringLiteral("90.00"));
    CurrentRules(form)->setChecked(true);
    buy->Command1()->click();
    form.findChild<QPushButton*>(QStringLiteral("Command4"))->click();

    auto* converter = qobject_cast<qcal::ui::Form5*>(qcal::ui::OpenSideWindow(form, qcal::ui::ConverterWindow));
    Enter(converter->Text(qcal::converter::Amount), QStringLiteral("100000"));
    Enter(converter->Text(qcal::converter::Price), QStringLiteral("9.45"));
    QCOMPARE(converter->Text(qcal::converter::Shares)->text(), QStringLiteral("10,500"));
    QCOMPARE(converter->Text(qcal::converter::Payment)->text(), QStringLiteral("99,523.67"));
    QCOMPARE(converter->Text(qcal::converter::Left)->text(), QStringLiteral("476.33"));
    converter->close();

    auto* mini = qobject_cast<qcal::ui::Form6*>(qcal::ui::OpenSideWindow(form, qcal::ui::MiniWindow));
    Enter(mini->Text(qcal::mini::Price), QStringLiteral("10"));
    Enter(mini->Text(qcal::mini::Quantity), QStringLiteral("1000"));
    QCOMPARE(mini->Text(qcal::mini::BreakEven)->text(), QStringLiteral("10.07"));
    mini->close();
    QCOMPARE(w.boxes.Pending(), 0);
}

QTEST_MAIN(TestCurrentRules)
#include "test_current_rules.moc"
