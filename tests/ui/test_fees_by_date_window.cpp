// The trade date and the broker's terms in the main window: a date recomputes what is on screen, a
// date the table has no rates for is told naming its first day, the 券商费率 dialog applies its
// terms (the worked examples of 规费 on top), refuses a wrong field by name, survives a restart and
// keeps its change in force when the settings file cannot be written.

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QTest>

#include "core/broker_terms.h"
#include "core/messages.h"
#include "support/ui_fixture.h"
#include "ui/main/form1.h"
#include "ui/main/form10.h"
#include "ui/main/module1.h"
#include "ui/tools/form6.h"
#include "ui/tools/side_windows.h"

using qcal::test::PressEnter;
using qcal::test::TypeInto;
using qcal::ui::Form1;
using qcal::ui::Form10;

namespace {

void Enter(QLineEdit* field, const QString& text)
{
    TypeInto(field, text);
    PressEnter(field);
}

void SetDate(Form1& form, int year, int month, int day) { form.TradeDateBox()->setDate(QDate(year, month, day)); }

Form10& OpenTerms(Form1& form)
{
    form.Action("QSFL")->trigger();
    // One closed a moment ago may wait for its deletion.
    for (Form10* dialog : form.findChildren<Form10*>()) {
        if (dialog->isVisible())
            return *dialog;
    }
    qFatal("the dialog did not open");
}

void Click(QWidget& dialog, const char* button)
{
    QTest::mouseClick(dialog.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
}

} // namespace

class TestFeesByDateWindow : public QObject {
    Q_OBJECT
private slots:
    void theTradeDateRecomputesAndAnEarlyDateIsTold();
    void theBrokersTermsChargeFeesOnTopAndSurviveARestart();
    void aReadOnlySettingsFileKeepsTheTermsForTheSession();
};

void TestFeesByDateWindow::theTradeDateRecomputesAndAnEarlyDateIsTold()
{
    qcal::test::MainWindow w(qcal::test::MainWindow::Start::FirstStart);
    Form1& form = w.Open();
    QVERIFY(form.TradeDateBox()->isVisible());
    QVERIFY(!form.Combo(qcal::ui::StampDutyCombo)->isVisible());
    QCOMPARE(form.TradeDateBox()->date(), QDate::currentDate());
    form.Combo(qcal::ui::CommissionCombo)->setEditText(QStringLiteral("0.25"));
    SetDate(form, 2024, 1, 10);
    Enter(form.Text(qcal::SellPrice), QStringLiteral("10"));
    Enter(form.Text(qcal::SellQuantity), QStringLiteral("1000"));
    QCOMPARE(form.Text(qcal::SellFees)->text(), QStringLiteral("10.10"));

    SetDate(form, 2021, 6, 1);
    QCOMPARE(form.Text(qcal::SellStampDuty)->text(), QStringLiteral("10.00"));
    QCOMPARE(form.Text(qcal::SellTransferFee)->text(), QStringLiteral("0.20"));
    QCOMPARE(form.Text(qcal::SellFees)->text(), QStringLiteral("15.20"));
    QVERIFY(form.Label(qcal::RulesNoteLabel)->text().contains(QStringLiteral("2015-08-01起的费率")));
    SetDate(form, 2023, 1, 10);
    QCOMPARE(form.Text(qcal::SellFees)->text(), QStringLiteral("15.10"));

    // A side window follows: the mini window's break-even of 10 × 1,000 bears 1 ‰ stamp duty in 2021.
    auto* mini = qobject_cast<qcal::ui::Form6*>(qcal::ui::OpenSideWindow(form, qcal::ui::MiniWindow));
    Enter(mini->Text(qcal::mini::Price), QStringLiteral("10"));
    Enter(mini->Text(qcal::mini::Quantity), QStringLiteral("1000"));
    SetDate(form, 2024, 1, 10);
    QCOMPARE(mini->Text(qcal::mini::BreakEven)->text(), QStringLiteral("10.02"));
    SetDate(form, 2021, 6, 1);
    QCOMPARE(mini->Text(qcal::mini::BreakEven)->text(), QStringLiteral("10.03"));
    mini->close();

    // Told when the box is left, with the first day the table covers; the focus goes back to it.
    SetDate(form, 2015, 7, 31);
    QCOMPARE(w.boxes.Take().size(), 0);
    emit form.TradeDateBox()->editingFinished();
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes[0].text.contains(QStringLiteral("2015-08-01")));
    QCOMPARE(w.Focused(), form.TradeDateBox());
    // Under the program's own rules the date is not asked for.
    form.Check(qcal::ui::CurrentRulesCheck)->setChecked(false);
    QVERIFY(!form.TradeDateBox()->isVisible());
    QVERIFY(form.Combo(qcal::ui::StampDutyCombo)->isVisible());
}

void TestFeesByDateWindow::theBrokersTermsChargeFeesOnTopAndSurviveARestart()
{
    qcal::test::MainWindow w(qcal::test::MainWindow::Start::FirstStart);
    {
        Form1& form = w.Open();
        SetDate(form, 2024, 1, 10);
        Form10& dialog = OpenTerms(form);
        QCOMPARE(dialog.Text(qcal::broker::SharesRate)->text(), QStringLiteral("2.7"));
        QCOMPARE(dialog.Text(qcal::broker::BondsRate)->text(), QStringLiteral("0.2"));
        // A wrong field is named, the dialog stays with the field selected.
        dialog.Text(qcal::broker::SharesRate)->setText(QStringLiteral("0.085"));
        dialog.Text(qcal::broker::BondsMinimum)->setText(QStringLiteral("1.005"));
        Click(dialog, "Command1");
        auto boxes = w.boxes.Take();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, qcal::test::Str(qcal::FillIn(qcal::msg::kBrokerMinimum, {"可转债最低佣金"})));
        QVERIFY(dialog.isVisible());
        dialog.Text(qcal::broker::BondsMinimum)->setText(QStringLiteral("0.50"));
        dialog.Check(1)->setChecked(true);
        dialog.Check(2)->setChecked(true);
        Click(dialog, "Command1");
        QCOMPARE(form.Combo(qcal::ui::CommissionCombo)->currentText(), QStringLiteral("0.085"));
        QVERIFY(form.Check(qcal::ui::WaiveMinimumCheck)->isChecked());

        // 0.085 ‰ 不含规费 免五: commission 8.50, transfer 1.00, 规费 5.41.
        Enter(form.Text(qcal::BuyPrice), QStringLiteral("10"));
        Enter(form.Text(qcal::BuyQuantity), QStringLiteral("10000"));
        QCOMPARE(form.Text(qcal::BuyCommission)->text(), QStringLiteral("8.50"));
        QCOMPARE(form.Text(qcal::BuyTransferFee)->text(), QStringLiteral("1.00"));
        QCOMPARE(form.Text(qcal::BuyOtherFees)->text(), QStringLiteral("5.41"));
        QCOMPARE(form.Text(qcal::BuyFees)->text(), QStringLiteral("14.91"));
        QCOMPARE(form.Text(qcal::Paid)->text(), QStringLiteral("100,014.91"));
        SetDate(form, 2023, 1, 10);
        QCOMPARE(form.Text(qcal::BuyOtherFees)->text(), QStringLiteral("6.87"));
        QCOMPARE(form.Text(qcal::BuyFees)->text(), QStringLiteral("16.37"));

        // 取消 leaves everything as it was.
        Form10& again = OpenTerms(form);
        QCOMPARE(again.Text(qcal::broker::BondsMinimum)->text(), QStringLiteral("0.50"));
        again.Check(1)->setChecked(false);
        Click(again, "Command2");
        QVERIFY(form.Terms().feesOnTop);
        QCOMPARE(form.Text(qcal::BuyOtherFees)->text(), QStringLiteral("6.87"));
        form.close();
    }
    // The section follows TIP, in GBK; a new session has the terms back.
    QFile ini(QDir(w.Directory()).filePath(QStringLiteral("QCAL.INI")));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray bytes = ini.readAll();
    QStringEncoder gbk("GBK");
    const QByteArray section = gbk.encode(QStringLiteral("[券商费率]"));
    QVERIFY(bytes.indexOf("[TIP]") >= 0 && bytes.indexOf(section) > bytes.indexOf("[TIP]"));
    Form1 restarted(w.Directory());
    QVERIFY(restarted.Terms().feesOnTop);
    QCOMPARE(restarted.Terms().bondsMinimum, std::string("0.50"));
    QCOMPARE(restarted.Combo(qcal::ui::CommissionCombo)->currentText(), QStringLiteral("0.085"));
}

void TestFeesByDateWindow::aReadOnlySettingsFileKeepsTheTermsForTheSession()
{
    qcal::test::MainWindow w(qcal::test::MainWindow::Start::FirstStart);
    const QString ini = QDir(w.Directory()).filePath(QStringLiteral("QCAL.INI"));
    QFile file(ini);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[TIP]\r\n\xcf\xd6\xd0\xd0\xb9\xe6\xd4\xf2=1\r\n");  // 现行规则=1 in GBK
    file.close();
    QVERIFY(QFile::setPermissions(ini, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    Form1& form = w.Open();
    Form10& dialog = OpenTerms(form);
    dialog.Check(1)->setChecked(true);
    Click(dialog, "Command1");
    qcal::ui::Module1::FinishPendingSaves();
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, qcal::test::Str(qcal::msg::SettingsUnsaved(ini.toStdString())));
    QVERIFY(form.Terms().feesOnTop);
    QVERIFY(form.Label(qcal::RulesNoteLabel)->text().contains(QStringLiteral("规费另收0.0541‰")));
}

QTEST_MAIN(TestFeesByDateWindow)
#include "test_fees_by_date_window.moc"
