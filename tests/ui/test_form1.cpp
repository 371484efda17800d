// The main window on the real widgets: Enter walk, input checks, Calculate, Clear, the market
// menu, the commission check and activation.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QApplication>
#include <QPushButton>
#include <QStringDecoder>
#include <QTest>

#include "core/captions.h"
#include "core/messages.h"
#include "support/ui_fixture.h"
#include "ui/common/colours.h"
#include "ui/main/form1.h"

using qcal::test::MainWindow;
using qcal::test::PressEnter;
using qcal::test::Str;
using qcal::test::TypeInto;
using qcal::ui::Form1;

namespace {

// The worked example's rates: commission 3.0 per mille, stamp duty 3, Shanghai.
void UseExampleRates(Form1& form) { qcal::test::UseRates(form, "3.0", "3", qcal::kShanghai); }

void EnterIn(Form1& form, int field, const QString& text)
{
    TypeInto(form.Text(field), text);
    PressEnter(form.Text(field));
}

QStringList Texts(const Form1& form)
{
    QStringList texts;
    for (int i = 1; i <= 22; ++i)
        texts << form.Text(i)->text();
    return texts;
}

// Fills all four inputs without pressing Enter.
void FillInputs(Form1& form, const char* buyPrice, const char* buyQuantity, const char* sellPrice,
                const char* sellQuantity)
{
    form.Text(1)->setText(QString::fromUtf8(buyPrice));
    form.Text(2)->setText(QString::fromUtf8(buyQuantity));
    form.Text(11)->setText(QString::fromUtf8(sellPrice));
    form.Text(12)->setText(QString::fromUtf8(sellQuantity));
}

void ClickCalculate(Form1& form)
{
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
}

} // namespace

class TestForm1 : public QObject {
    Q_OBJECT
private slots:
    void controlsCarryTheirNames();
    void windowAndFieldsAsCreated();
    void applyAndSnapshotMirrorEachOther();
    void enterWalkComputesTheWorkedExample_data();
    void enterWalkComputesTheWorkedExample();
    void rejectedInputReselectsTheField_data();
    void rejectedInputReselectsTheField();
    void acceptedInputIsRewritten_data();
    void acceptedInputIsRewritten();
    void enterInEmptyFieldsMovesOn();
    void arrowKeysMoveTheFocus_data();
    void arrowKeysMoveTheFocus();
    void lockedQuantityIgnoresEnter();
    void clickingAFieldSelectsItsText();
    void calculateWithBadBuyPriceStillSells();
    void calculateWithFractionalQuantityKeepsBuyResults();
    void calculateWithEverythingEmptyDoesNothing();
    void calculateWhenLockedAsksToClear();
    void outOfRangeCalculationChangesNothing();
    void refusedBonusOrDividendStopsTheCalculation_data();
    void refusedBonusOrDividendStopsTheCalculation();
    void clearRestoresTheWindow();
    void marketMenuMarksAndStampDuty_data();
    void marketMenuMarksAndStampDuty();
    void commissionCheckedWhenLeft_data();
    void commissionCheckedWhenLeft();
    void badCommissionReportedOnceByCalculate();
    void checkBoxesAndMenuMirrorEachOther();
    void comingBackRecomputesTheBuySide();
    void comingBackAfterAPartialSaleChangesNothing();
    void comingBackWithNewRatesRecomputesBothSides();
    void activationSkipsInputsThatFailTheChecks_data();
    void activationSkipsInputsThatFailTheChecks();
    void activationAfterBatchBuyTakesValuesOnly();
    void activationInHoldingModeAddsNoBonusAgain();
    void exitClosesEverything();
    void titleSurvivesRedraw();
};

void TestForm1::controlsCarryTheirNames()
{
    MainWindow w;
    Form1& form = w.Create();
    QStringList names;
    for (int i = 1; i <= 22; ++i)
        names << QStringLiteral("Text%1").arg(i);
    for (int i = 1; i <= 25; ++i)
        if (i != 19 && i != 20)
            names << QStringLiteral("Label%1").arg(i);
    for (int i = 0; i < 20; ++i)
        names << QStringLiteral("Label19_%1").arg(i);
    for (int i = 0; i < 6; ++i)
        names << QStringLiteral("Label20_%1").arg(i);
    for (const char* n : {"Combo1", "Combo2", "Combo3", "Check1", "Check2", "Frame2", "Frame3", "Frame4", "Frame5",
                          "Command1", "Command2", "Command3", "Command4", "Command5", "Command6", "WJ", "QTGN", "SZ",
                          "BZ"})
        names << QString::fromLatin1(n);
    for (const QString& name : names)
        QVERIFY2(form.findChild<QWidget*>(name), qPrintable(name));
    for (const char* n : {"TC", "MNCK", "JHG", "SHAG", "SZAG", "JJQZ", "YH", "CKZD", "JYMR", "GY"})
        QVERIFY2(form.Action(n), n);
    QCOMPARE(form.Label(19, 17)->objectName(), QStringLiteral("Label19_17"));
    QCOMPARE(form.Label(20, 3)->text(), QStringLiteral("10股送"));
    // The divider keeps its name and caption and cannot be chosen.
    QCOMPARE(form.Action("YH")->text(), QStringLiteral("———————"));
    QVERIFY(!form.Action("YH")->isEnabled());
    QVERIFY(!form.Action("YH")->isSeparator());
}

void TestForm1::windowAndFieldsAsCreated()
{
    MainWindow w;
    Form1& form = w.Open();
    QCOMPARE(form.windowTitle(), QStringLiteral("股票交易费用成本睿衡计算器3.31版"));
    const int dpi = form.logicalDpiX();
    QCOMPARE(form.centralWidget()->size(), QSize(qRound(10965.0 * dpi / 1440), qRound(7690.0 * dpi / 1440)));
    QCOMPARE(form.Combo(1)->count(), 31);
    QCOMPARE(form.Combo(1)->itemText(0), QStringLiteral("3.0"));
    QCOMPARE(form.Combo(1)->itemText(30), QStringLiteral("0.0"));
    QCOMPARE(form.Combo(2)->count(), 7);
    QVERIFY(form.Combo(1)->isEditable());
    QVERIFY(!form.Combo(2)->isEditable() && !form.Combo(3)->isEditable());
    for (int i = 1; i <= 22; ++i) {
        const bool input = i == 1 || i == 2 || i == 11 || i == 12 || i == 21 || i == 22;
        QCOMPARE(form.Text(i)->isReadOnly(), !input);
        const QColor expected = input ? qcal::ui::WindowBackgroundColour() : qcal::ui::ButtonFaceColour();
        QCOMPARE(form.Text(i)->palette().color(QPalette::Base), expected);
    }
    QCOMPARE(form.Text(21)->text(), QStringLiteral("0"));
    QCOMPARE(form.Text(22)->text(), QStringLiteral("0.00"));
    QCOMPARE(form.Label(6)->toolTip(), QStringLiteral("过户费每100股0.1元，起点1元（深交所不收） "));
    QCOMPARE(form.Label(19, 5)->toolTip(), form.Text(6)->toolTip());
    // A start without remembered inputs puts the focus in Text1.
    QCOMPARE(w.Focused(), form.Text(1));
    // Tab walks the six inputs, then Clear, Calculate, About, Exit.
    QWidget* at = form.Text(1);
    for (const char* next : {"Text2", "Text11", "Text12", "Text21", "Text22", "Command4", "Command1", "Command3",
                             "Command2"}) {
        at = at->nextInFocusChain();
        while (at->focusPolicy() == Qt::NoFocus || !(at->focusPolicy() & Qt::TabFocus))
            at = at->nextInFocusChain();
        QCOMPARE(at->objectName(), QString::fromLatin1(next));
    }
}

void TestForm1::applyAndSnapshotMirrorEachOther()
{
    MainWindow w;
    Form1& form = w.Open();
    qcal::MainWindowState state = form.Snapshot();
    state.text[2] = "1300";
    state.text[19] = "872.00";
    state.locked[2] = true;
    state.label[2] = {Str(qcal::caption::kHolding).toStdString(), qcal::Colour::Red, "tip"};
    state.label[17].colour = qcal::Colour::Blue;
    state.unit[17] = "股";
    state.buy.quantity = qcal::Money::FromWhole(1300);
    state.buyBreakEven = "10.117";
    form.Apply(state);

    QCOMPARE(form.Text(2)->text(), QStringLiteral("1300"));
    QCOMPARE(form.Text(19)->text(), QStringLiteral("872.00"));
    QVERIFY(form.Text(2)->isReadOnly());
    QCOMPARE(form.Text(2)->palette().color(QPalette::Base), qcal::ui::ButtonFaceColour());
    QCOMPARE(form.Label(2)->text(), Str(qcal::caption::kHolding));
    QCOMPARE(form.Label(2)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(form.Label(17)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(form.Label(2)->toolTip(), QStringLiteral("tip"));
    QCOMPARE(form.Label(19, 17)->text(), QStringLiteral("股"));
    QVERIFY(form.Snapshot() == state);

    state.locked[2] = false;
    form.Apply(state);
    QCOMPARE(form.Text(2)->palette().color(QPalette::Base), qcal::ui::WindowBackgroundColour());
}

void TestForm1::enterWalkComputesTheWorkedExample_data()
{
    QTest::addColumn<bool>("keypad");
    QTest::newRow("Return") << false;
    QTest::newRow("keypad Enter") << true;
}

void TestForm1::enterWalkComputesTheWorkedExample()
{
    QFETCH(bool, keypad);
    MainWindow w;
    Form1& form = w.Open();
    UseExampleRates(form);

    TypeInto(form.Text(1), QStringLiteral("10"));
    PressEnter(form.Text(1), keypad);
    QCOMPARE(form.Text(1)->text(), QStringLiteral("10.00"));
    QVERIFY(form.Text(3)->text().isEmpty());  // nothing is calculated yet
    QVERIFY(w.FocusedWithAllSelected(form.Text(2)));

    qcal::test::Type(form.Text(2), QStringLiteral("1000"));
    PressEnter(form.Text(2), keypad);
    QCOMPARE(form.Text(2)->text(), QStringLiteral("1,000"));
    const QStringList buy = {"10,000.00", "30.00", "30.00", "1.00", "61.00", "10.061"};
    for (int i = 0; i < buy.size(); ++i)
        QCOMPARE(form.Text(3 + i)->text(), buy[i]);
    QCOMPARE(form.Text(10)->text(), QStringLiteral("10,061.00"));
    QVERIFY(!form.Text(9)->text().isEmpty());
    QCOMPARE(form.Snapshot().buy.quantity, qcal::Money::FromWhole(1000));
    QCOMPARE(w.Focused(), form.Text(11));

    qcal::test::Type(form.Text(11), QStringLiteral("11"));
    PressEnter(form.Text(11), keypad);
    QCOMPARE(form.Text(11)->text(), QStringLiteral("11.00"));
    QCOMPARE(form.Text(12)->text(), QStringLiteral("1,000"));
    QVERIFY(form.Text(13)->text().isEmpty());
    QVERIFY(w.FocusedWithAllSelected(form.Text(12)));

    PressEnter(form.Text(12), keypad);
    QCOMPARE(form.Text(13)->text(), QStringLiteral("11,000.00"));
    QCOMPARE(form.Text(17)->text(), QStringLiteral("67.00"));
    QCOMPARE(form.Text(20)->text(), QStringLiteral("10,933.00"));
    QCOMPARE(form.Text(19)->text(), QStringLiteral("872.00"));
    QCOMPARE(qcal::ui::LabelColour(form.Label(17)), qcal::Colour::Red);
    QVERIFY(w.FocusedWithAllSelected(form.Text(21)));

    PressEnter(form.Text(21), keypad);
    QVERIFY(w.FocusedWithAllSelected(form.Text(22)));
    PressEnter(form.Text(22), keypad);
    QVERIFY(w.FocusedWithAllSelected(form.Text(1)));
}

void TestForm1::rejectedInputReselectsTheField_data()
{
    QTest::addColumn<int>("before");  // a field filled first (0: none), with beforeText
    QTest::addColumn<QString>("beforeText");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rejected");  // the field that gets the focus back
    QTest::addColumn<QString>("message");

    const auto row = [](const char* name, int before, const char* beforeText, int field, const char* text,
                        int rejected, std::string_view message) {
        QTest::newRow(name) << before << QString::fromUtf8(beforeText) << field << QString::fromUtf8(text)
                            << rejected << Str(message);
    };
    row("buy price abc", 0, "", 1, "abc", 1, qcal::msg::kBuyPriceNotNumeric);
    row("buy price 0", 0, "", 1, "0", 1, qcal::msg::kBuyPriceRange);
    row("buy price -1", 0, "", 1, "-1", 1, qcal::msg::kBuyPriceRange);
    row("buy price 214748.3648", 0, "", 1, "214748.3648", 1, qcal::msg::kBuyPriceRange);
    row("buy price checked again from Text2", 1, "1e", 2, "1000", 1, qcal::msg::kBuyPriceNotNumeric);
    row("buy quantity 0.5", 1, "10", 2, "0.5", 2, qcal::msg::kBuyQuantityRange);
    row("buy quantity abc", 1, "10", 2, "abc", 2, qcal::msg::kBuyQuantityNotNumeric);
    row("sell price abc", 0, "", 11, "abc", 11, qcal::msg::kSellPriceNotNumeric);
    row("sell price 0", 0, "", 11, "0", 11, qcal::msg::kSellPriceRange);
    row("sell quantity 0", 11, "11", 12, "0", 12, qcal::msg::kSellQuantityRange);
    row("sell quantity x", 11, "11", 12, "x", 12, qcal::msg::kSellQuantityNotNumeric);
    row("bonus 11", 0, "", 21, "11", 21, qcal::msg::kBonusTooLarge);
    row("bonus 10.5", 0, "", 21, "10.5", 21, qcal::msg::kBonusTooLarge);
    row("bonus -1", 0, "", 21, "-1", 21, qcal::msg::kBonusNotNumeric);
    row("bonus empty", 0, "", 21, "", 21, qcal::msg::kBonusNotNumeric);
    row("dividend abc", 0, "", 22, "abc", 22, qcal::msg::kDividendNotNumeric);
    row("dividend -1", 0, "", 22, "-1", 22, qcal::msg::kDividendNotNumeric);
    row("Chinese text", 0, "", 1, "十元", 1, qcal::msg::kBuyPriceNotNumeric);
}

void TestForm1::rejectedInputReselectsTheField()
{
    QFETCH(int, before);
    QFETCH(QString, beforeText);
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(int, rejected);
    QFETCH(QString, message);
    MainWindow w;
    Form1& form = w.Open();
    if (before)
        form.Text(before)->setText(beforeText);
    const QString rejectedText = rejected == field ? text : beforeText;

    TypeInto(form.Text(field), text);
    PressEnter(form.Text(field));

    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, message);
    QVERIFY(boxes[0].text.endsWith(QStringLiteral("       ")));
    QCOMPARE(boxes[0].title, QStringLiteral("股票计算器提示"));
    QCOMPARE(boxes[0].icon, QMessageBox::Warning);
    QCOMPARE(boxes[0].buttonCount, 1);
    QCOMPARE(form.Text(rejected)->text(), rejectedText);  // left as typed
    QVERIFY(w.FocusedWithAllSelected(form.Text(rejected)));
    QVERIFY(form.Text(3)->text().isEmpty());
    QVERIFY(form.Text(13)->text().isEmpty());
}

void TestForm1::acceptedInputIsRewritten_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("next");
    QTest::newRow("9.4") << 1 << "9.4" << "9.40" << 2;
    QTest::newRow("9.12345678") << 1 << "9.12345678" << "9.1235" << 2;
    QTest::newRow("214748.3647") << 1 << "214748.3647" << "214748.3647" << 2;
    QTest::newRow("sell 9.45") << 11 << "9.45" << "9.45" << 12;
    QTest::newRow("bonus 2.5") << 21 << "2.5" << "2" << 22;
    QTest::newRow("bonus 3.5") << 21 << "3.5" << "4" << 22;
    QTest::newRow("bonus 10") << 21 << "10" << "10" << 22;
    QTest::newRow("dividend 1.234") << 22 << "1.234" << "1.23" << 1;
    QTest::newRow("dividend 0") << 22 << "0" << "0.00" << 1;
}

void TestForm1::acceptedInputIsRewritten()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(int, next);
    MainWindow w;
    Form1& form = w.Open();
    EnterIn(form, field, text);
    QCOMPARE(form.Text(field)->text(), shown);
    QVERIFY(w.FocusedWithAllSelected(form.Text(next)));
}

void TestForm1::enterInEmptyFieldsMovesOn()
{
    MainWindow w;
    Form1& form = w.Open();
    PressEnter(form.Text(1));
    QCOMPARE(w.Focused(), form.Text(2));
    TypeInto(form.Text(2), QStringLiteral("1000"));
    PressEnter(form.Text(2));  // Text1 empty: nothing checked, nothing calculated
    QCOMPARE(w.Focused(), form.Text(11));
    QCOMPARE(form.Text(2)->text(), QStringLiteral("1000"));
    QVERIFY(form.Text(3)->text().isEmpty());
    PressEnter(form.Text(11));
    QCOMPARE(w.Focused(), form.Text(12));
    PressEnter(form.Text(12));
    QCOMPARE(w.Focused(), form.Text(21));
}

void TestForm1::arrowKeysMoveTheFocus_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");
    QTest::newRow("Text1 down") << 1 << int(Qt::Key_Down) << 2;
    QTest::newRow("Text1 up stays") << 1 << int(Qt::Key_Up) << 1;
    QTest::newRow("Text2 down") << 2 << int(Qt::Key_Down) << 11;
    QTest::newRow("Text2 up") << 2 << int(Qt::Key_Up) << 1;
    QTest::newRow("Text11 down") << 11 << int(Qt::Key_Down) << 12;
    QTest::newRow("Text11 up") << 11 << int(Qt::Key_Up) << 2;
    QTest::newRow("Text12 up") << 12 << int(Qt::Key_Up) << 11;
    QTest::newRow("Text12 down stays") << 12 << int(Qt::Key_Down) << 12;
}

void TestForm1::arrowKeysMoveTheFocus()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);
    MainWindow w;
    Form1& form = w.Open();
    form.Text(to)->setText(QStringLiteral("12"));
    form.Text(from)->setFocus();
    QTest::keyClick(form.Text(from), Qt::Key(key));
    QCOMPARE(w.Focused(), form.Text(to));
    if (to != from)
        QVERIFY(w.FocusedWithAllSelected(form.Text(to)));
}

void TestForm1::lockedQuantityIgnoresEnter()
{
    MainWindow w;
    Form1& form = w.Open();
    FillInputs(form, "10", "abc", "11", "abc");
    qcal::ui::SetFieldLocked(form.Text(2), true);
    qcal::ui::SetFieldLocked(form.Text(12), true);
    for (int field : {2, 12}) {
        form.Text(field)->setFocus();
        PressEnter(form.Text(field));
        QCOMPARE(w.Focused(), form.Text(field));
        QCOMPARE(form.Text(field)->text(), QStringLiteral("abc"));
    }
    QVERIFY(form.Text(3)->text().isEmpty());
    QTest::keyClick(form.Text(12), Qt::Key_Up);
    QCOMPARE(w.Focused(), form.Text(11));
}

void TestForm1::clickingAFieldSelectsItsText()
{
    MainWindow w;
    Form1& form = w.Open();
    form.Text(2)->setText(QStringLiteral("1,000"));
    QTest::mouseClick(form.Text(2), Qt::LeftButton, {}, QPoint(5, form.Text(2)->height() / 2));
    QVERIFY(w.FocusedWithAllSelected(form.Text(2)));
}

void TestForm1::calculateWithBadBuyPriceStillSells()
{
    MainWindow w;
    Form1& form = w.Open();
    UseExampleRates(form);
    FillInputs(form, "abc", "1000", "11", "1000");
    ClickCalculate(form);
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kBuyPriceNotNumeric));
    QVERIFY(form.Text(3)->text().isEmpty());
    QCOMPARE(form.Text(13)->text(), QStringLiteral("11,000.00"));
    QVERIFY(w.FocusedWithAllSelected(form.Text(1)));
}

void TestForm1::calculateWithFractionalQuantityKeepsBuyResults()
{
    MainWindow w;
    Form1& form = w.Open();
    UseExampleRates(form);
    FillInputs(form, "10", "1000", "", "");
    ClickCalculate(form);
    QCOMPARE(form.Text(3)->text(), QStringLiteral("10,000.00"));

    FillInputs(form, "10", "0.5", "11", "500");
    ClickCalculate(form);
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kBuyQuantityRange));
    QCOMPARE(form.Text(3)->text(), QStringLiteral("10,000.00"));  // not 0.5 shares' worth
    QCOMPARE(form.Text(10)->text(), QStringLiteral("10,061.00"));
    QCOMPARE(form.Text(13)->text(), QStringLiteral("5,500.00"));
    QVERIFY(w.FocusedWithAllSelected(form.Text(2)));
}

void TestForm1::calculateWithEverythingEmptyDoesNothing()
{
    MainWindow w;
    Form1& form = w.Open();
    const QStringList before = Texts(form);
    ClickCalculate(form);
    QCOMPARE(Texts(form), before);
    QCOMPARE(w.boxes.Pending(), 0);
}

void TestForm1::calculateWhenLockedAsksToClear()
{
    MainWindow w;
    Form1& form = w.Open();
    UseExampleRates(form);
    FillInputs(form, "10", "1000", "11", "1000");
    qcal::ui::SetFieldLocked(form.Text(11), true);  // after a multi-batch sell: the buy side still computes
    ClickCalculate(form);
    auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kClearFirst));
    QCOMPARE(form.Text(3)->text(), QStringLiteral("10,000.00"));
    QVERIFY(form.Text(13)->text().isEmpty());

    qcal::ui::SetFieldLocked(form.Text(1), true);  // after a multi-batch buy: neither side
    form.Text(3)->setText(QStringLiteral("kept"));
    ClickCalculate(form);
    boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(form.Text(3)->text(), QStringLiteral("kept"));
}

void TestForm1::outOfRangeCalculationChangesNothing()
{
    MainWindow w;
    Form1& form = w.Open();
    UseExampleRates(form);
    EnterIn(form, 1, QStringLiteral("200000"));
    TypeInto(form.Text(2), QStringLiteral("999999999"));
    const QStringList before = Texts(form);
    PressEnter(form.Text(2));
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kOutOfRange));
    QVERIFY(boxes[0].text.endsWith(QStringLiteral("       ")));
    QStringList after = Texts(form);
    after[1] = before[1];  // the accepted quantity is shown grouped, as the check rewrote it
    QCOMPARE(after, before);
    QCOMPARE(form.Text(2)->text(), QStringLiteral("999,999,999"));
    // The quantity took the amount out of range: it is the field to correct.
    QVERIFY(w.FocusedWithAllSelected(form.Text(2)));

    // The sell side reports the same way and focuses its own quantity.
    EnterIn(form, 1, QStringLiteral("10"));
    FillInputs(form, "10.00", "1000", "200000", "999999999");
    ClickCalculate(form);
    const auto sell = w.boxes.Take();
    QCOMPARE(sell.size(), 1);
    QCOMPARE(sell[0].text, Str(qcal::msg::kOutOfRange));
    QVERIFY(form.Text(13)->text().isEmpty());
    QVERIFY(w.FocusedWithAllSelected(form.Text(12)));
}

void TestForm1::refusedBonusOrDividendStopsTheCalculation_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("bonus abc") << 21 << "abc" << Str(qcal::msg::kBonusNotNumeric);
    QTest::newRow("bonus 11") << 21 << "11" << Str(qcal::msg::kBonusTooLarge);
    QTest::newRow("dividend x") << 22 << "x" << Str(qcal::msg::kDividendNotNumeric);
}

// The bonus fields are read by the buy calculation, not checked by Enter elsewhere: a text left
// unconfirmed in them is refused when Calculate runs.
void TestForm1::refusedBonusOrDividendStopsTheCalculation()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    MainWindow w;
    Form1& form = w.Open();
    FillInputs(form, "10", "1000", "11", "1000");
    form.Text(field)->setText(text);
    ClickCalculate(form);
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, message);
    QVERIFY(form.Text(3)->text().isEmpty());
    QVERIFY(form.Text(13)->text().isEmpty());
    QVERIFY(w.FocusedWithAllSelected(form.Text(field)));
}

void TestForm1::clearRestoresTheWindow()
{
    MainWindow w;
    Form1& form = w.Open();
    UseExampleRates(form);
    form.Combo(1)->setEditText(QStringLiteral("2.5"));
    form.Combo(3)->setCurrentText(Str(qcal::kShenzhen));
    FillInputs(form, "10", "1000", "11", "1000");
    ClickCalculate(form);
    // The batch windows' marks: locked fields, new captions.
    for (int i : {1, 2, 11, 12})
        qcal::ui::SetFieldLocked(form.Text(i), true);
    form.Label(1)->setText(QStringLiteral("平均价格"));
    form.Label(2)->setText(Str(qcal::caption::kBatchTotal));
    qcal::ui::SetLabelColour(form.Label(2), qcal::Colour::Red);
    form.Label(19, 17)->setText(QStringLiteral("股"));
    auto* batchBuy = new QWidget;
    form.SideWindow(qcal::ui::BatchBuyWindow) = batchBuy;
    batchBuy->show();

    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Command4")), Qt::LeftButton);

    for (int i = 1; i <= 20; ++i)
        QVERIFY2(form.Text(i)->text().isEmpty(), qPrintable(QString::number(i)));
    QCOMPARE(form.Text(21)->text(), QStringLiteral("0"));
    QCOMPARE(form.Text(22)->text(), QStringLiteral("0.00"));
    for (int i : {1, 2, 11, 12}) {
        QVERIFY(!form.Text(i)->isReadOnly());
        QCOMPARE(form.Text(i)->palette().color(QPalette::Base), qcal::ui::WindowBackgroundColour());
    }
    QCOMPARE(form.Label(1)->text(), Str(qcal::caption::kBuyPrice));
    QCOMPARE(form.Label(2)->text(), Str(qcal::caption::kBuyQuantity));
    QCOMPARE(form.Label(2)->toolTip(), Str(qcal::caption::kBuyQuantityTip));
    QCOMPARE(qcal::ui::LabelColour(form.Label(2)), qcal::Colour::Black);
    QCOMPARE(form.Label(17)->text(), Str(qcal::caption::kProfitLoss));
    QCOMPARE(qcal::ui::LabelColour(form.Label(17)), qcal::Colour::Black);
    QCOMPARE(qcal::ui::LabelColour(form.Label(18)), qcal::Colour::Black);
    QCOMPARE(form.Label(19, 17)->text(), QStringLiteral("元"));
    QVERIFY(!batchBuy->isVisible());
    QCOMPARE(w.Focused(), form.Text(1));
    QCOMPARE(form.Combo(1)->currentText(), QStringLiteral("2.5"));
    QCOMPARE(form.Combo(3)->currentText(), Str(qcal::kShenzhen));
    QCOMPARE(form.Snapshot().profit, qcal::Money());
    delete batchBuy;
}

void TestForm1::marketMenuMarksAndStampDuty_data()
{
    QTest::addColumn<QString>("how");  // "menu" or "list"
    QTest::newRow("menu") << "menu";
    QTest::newRow("list") << "list";
}

void TestForm1::marketMenuMarksAndStampDuty()
{
    QFETCH(QString, how);
    MainWindow w;
    Form1& form = w.Open();
    const auto marks = [&form] {
        return QList<bool>{form.Action("SHAG")->isChecked(), form.Action("SZAG")->isChecked(),
                           form.Action("JJQZ")->isChecked()};
    };
    QCOMPARE(form.Combo(3)->currentText(), Str(qcal::kShanghai));  // nothing stored: Shanghai
    QCOMPARE(marks(), (QList<bool>{true, false, false}));
    form.Combo(2)->setCurrentText(QStringLiteral("5"));

    const auto choose = [&](const char* item, std::string_view market) {
        if (how == QLatin1String("menu"))
            form.Action(item)->trigger();
        else
            form.Combo(3)->setCurrentText(Str(market));
        QCOMPARE(form.Combo(3)->currentText(), Str(market));
    };
    choose("JJQZ", qcal::kFunds);
    QCOMPARE(marks(), (QList<bool>{false, false, true}));
    QVERIFY(!form.Combo(2)->isEnabled());
    QCOMPARE(form.Combo(2)->currentText(), QStringLiteral("5"));
    choose("SZAG", qcal::kShenzhen);
    QCOMPARE(marks(), (QList<bool>{false, true, false}));
    QVERIFY(form.Combo(2)->isEnabled());
    QCOMPARE(form.Combo(2)->currentText(), QStringLiteral("5"));
    choose("SZAG", qcal::kShenzhen);  // choosing the marked market again keeps its mark
    QCOMPARE(marks(), (QList<bool>{false, true, false}));
    choose("SHAG", qcal::kShanghai);
    QCOMPARE(marks(), (QList<bool>{true, false, false}));
}

void TestForm1::commissionCheckedWhenLeft_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("refused");
    QTest::newRow("abc") << "abc" << true;
    QTest::newRow("-1") << "-1" << true;
    QTest::newRow("2.5") << "2.5" << false;
    QTest::newRow("5") << "5" << false;
}

void TestForm1::commissionCheckedWhenLeft()
{
    QFETCH(QString, typed);
    QFETCH(bool, refused);
    MainWindow w;
    Form1& form = w.Open();
    QLineEdit* box = form.Combo(1)->lineEdit();
    box->setFocus(Qt::TabFocusReason);
    box->selectAll();
    qcal::test::Type(box, typed);
    form.Text(1)->setFocus(Qt::TabFocusReason);

    QCOMPARE(w.boxes.WaitFor(1, refused ? 3000 : 200), refused);
    const auto boxes = w.boxes.Take();
    if (refused)
        QCOMPARE(boxes[0].text, Str(qcal::msg::kCommission));
    QCOMPARE(w.Focused(), form.Text(1));  // the focus went where it was sent
    QCOMPARE(form.Combo(1)->currentText(), typed);
    if (refused)
        QCOMPARE(box->selectedText(), typed);
}

void TestForm1::badCommissionReportedOnceByCalculate()
{
    MainWindow w;
    Form1& form = w.Open();
    FillInputs(form, "10", "1000", "11", "1000");
    form.Combo(1)->setFocus(Qt::TabFocusReason);
    form.Combo(1)->setEditText(QStringLiteral("abc"));
    ClickCalculate(form);  // leaving the box and the calculation both find the rate unusable
    QTest::qWait(50);
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kCommission));
    QVERIFY(form.Text(3)->text().isEmpty());
    QCOMPARE(w.Focused(), form.Combo(1));
    QCOMPARE(form.Combo(1)->lineEdit()->selectedText(), QStringLiteral("abc"));
}

void TestForm1::checkBoxesAndMenuMirrorEachOther()
{
    MainWindow w;
    Form1& form = w.Open();
    form.Action("CKZD")->trigger();
    QVERIFY(form.Check(1)->isChecked());
    QVERIFY(form.Action("CKZD")->isChecked());
    form.Action("CKZD")->trigger();
    QVERIFY(!form.Check(1)->isChecked());
    QVERIFY(!form.Action("CKZD")->isChecked());

    form.Check(2)->setChecked(true);
    QVERIFY(form.Action("JYMR")->isChecked());
    form.Action("JYMR")->trigger();
    QVERIFY(!form.Check(2)->isChecked());
    QVERIFY(!form.Action("JYMR")->isChecked());
}

void TestForm1::comingBackRecomputesTheBuySide()
{
    MainWindow w;
    Form1& form = w.Open();
    UseExampleRates(form);
    form.hide();  // as while the About window is up
    FillInputs(form, "10", "1000", "", "");
    form.ComeBack();
    QVERIFY(form.isVisible());
    QCOMPARE(form.Text(3)->text(), QStringLiteral("10,000.00"));
    QCOMPARE(form.Text(10)->text(), QStringLiteral("10,061.00"));
    QCOMPARE(w.Focused(), form.Text(11));
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(w.boxes.Pending(), 0);
}

// The remaining-shares break-even of a partial sale stays when the window is merely returned to.
void TestForm1::comingBackAfterAPartialSaleChangesNothing()
{
    MainWindow w;
    Form1& form = w.Open();
    UseExampleRates(form);
    FillInputs(form, "10", "1000", "11", "500");
    ClickCalculate(form);
    const QString remaining = form.Text(9)->text();
    QCOMPARE(form.Text(19)->text(), QStringLiteral("500"));
    QVERIFY(remaining.toStdString() != form.Snapshot().buyBreakEven);
    const QStringList before = Texts(form);
    form.hide();  // as while the About window is up
    form.ComeBack();
    QCOMPARE(Texts(form), before);
    QCOMPARE(w.Focused(), form.Text(11));
    QCOMPARE(w.boxes.Pending(), 0);
}

// Rates changed while away: the buy side is computed again, and the shown sale with it.
void TestForm1::comingBackWithNewRatesRecomputesBothSides()
{
    MainWindow w;
    Form1& form = w.Open();
    UseExampleRates(form);
    FillInputs(form, "10", "1000", "11", "500");
    ClickCalculate(form);
    const QString sellFees = form.Text(17)->text();
    form.hide();
    form.Combo(1)->setEditText(QStringLiteral("1.0"));
    form.ComeBack();
    QCOMPARE(form.Text(4)->text(), QStringLiteral("10.00"));  // the buy commission at 1 per mille
    QVERIFY(form.Text(17)->text() != sellFees);
    QCOMPARE(form.Text(14)->text(), QStringLiteral("5.50"));  // the sale's, at the new rate
    QCOMPARE(form.Text(19)->text(), QStringLiteral("500"));  // still the partial sale's shares left
    QCOMPARE(w.boxes.Pending(), 0);
}

void TestForm1::activationSkipsInputsThatFailTheChecks_data()
{
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<int>("focused");
    QTest::newRow("quantity -100") << "10" << "-100" << 2;
    QTest::newRow("quantity 0.5") << "10" << "0.5" << 2;
    QTest::newRow("price abc") << "abc" << "1000" << 1;
    QTest::newRow("price 214748.3648") << "214748.3648" << "1000" << 1;
}

void TestForm1::activationSkipsInputsThatFailTheChecks()
{
    QFETCH(QString, price);
    QFETCH(QString, quantity);
    QFETCH(int, focused);
    MainWindow w;
    Form1& form = w.Open();
    form.Text(1)->setText(price);
    form.Text(2)->setText(quantity);
    form.ComeBack();
    QVERIFY(form.Text(3)->text().isEmpty());
    QCOMPARE(form.Text(2)->text(), quantity);
    QCOMPARE(w.Focused(), form.Text(focused));
    QCOMPARE(w.boxes.Pending(), 0);
}

void TestForm1::activationAfterBatchBuyTakesValuesOnly()
{
    MainWindow w;
    Form1& form = w.Open();
    // What the multi-batch buy window leaves behind: averages, its own results, locks, caption.
    FillInputs(form, "10.50", "2,000", "", "");
    form.Text(3)->setText(QStringLiteral("21,000.00"));
    qcal::ui::SetFieldLocked(form.Text(1), true);
    qcal::ui::SetFieldLocked(form.Text(2), true);
    form.Label(2)->setText(Str(qcal::caption::kBatchTotal));
    form.ComeBack();
    QCOMPARE(form.Text(3)->text(), QStringLiteral("21,000.00"));
    QVERIFY(form.Text(4)->text().isEmpty());
    QCOMPARE(form.Snapshot().buy.price, qcal::Money::FromRaw(105000));
    QCOMPARE(form.Snapshot().buy.quantity, qcal::Money::FromWhole(2000));
    QCOMPARE(w.Focused(), form.Text(11));
}

void TestForm1::activationInHoldingModeAddsNoBonusAgain()
{
    MainWindow w;
    Form1& form = w.Open();
    UseExampleRates(form);
    form.Text(21)->setText(QStringLiteral("3"));
    EnterIn(form, 1, QStringLiteral("10"));
    EnterIn(form, 2, QStringLiteral("1000"));
    QCOMPARE(form.Label(2)->text(), Str(qcal::caption::kHolding));
    const QStringList before = Texts(form);
    form.ComeBack();
    QCOMPARE(Texts(form), before);
    QCOMPARE(w.Focused(), form.Text(11));
}

void TestForm1::exitClosesEverything()
{
    MainWindow w;
    Form1& form = w.Open();
    auto* about = new QWidget;
    form.SideWindow(qcal::ui::AboutWindow) = about;
    about->show();
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
    // The event loop ends when no window is left on screen.
    for (const QWidget* window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    QVERIFY(form.IsExiting());
    QVERIFY(!form.isVisible());
    QVERIFY(!about->isVisible());
    form.ComeBack();  // a side window closing during exit must not bring the main window back
    QVERIFY(!form.isVisible());
    QFile ini(form.IniPath());  // leaving writes nothing
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(QStringDecoder("GBK").decode(ini.readAll()), qcal::test::Str(MainWindow::kOwnRulesIni));
    delete about;
}

void TestForm1::titleSurvivesRedraw()
{
    MainWindow w;
    Form1& form = w.Open();
    form.repaint();
    const QImage image = form.grab().toImage();
    const QPoint origin = form.centralWidget()->geometry().topLeft();
    int blue = 0;
    int grey = 0;
    for (int y = origin.y(); y < origin.y() + 48; ++y) {
        for (int x = 0; x < 170; ++x) {
            const QRgb pixel = image.pixel(x, y);
            blue += pixel == qRgb(0, 0, 255);
            grey += pixel == qRgb(100, 100, 100);
        }
    }
    QVERIFY(blue > 200);
    QVERIFY(grey > 20);
}

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
