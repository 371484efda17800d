// The multi-batch buy and sell windows with the main window, headless.

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "core/captions.h"
#include "core/messages.h"
#include "support/ui_fixture.h"
#include "ui/common/colours.h"
#include "ui/main/form1.h"
#include "ui/tools/batch_window.h"

using qcal::test::Str;
using qcal::ui::BatchWindow;
using qcal::ui::Form1;

namespace {

void Click(Form1& form, const char* button)
{
    form.centralWidget()->findChild<QPushButton*>(QString::fromLatin1(button))->click();
}

// Shanghai, commission 3‰, stamp duty 1‰.
void UseRates(Form1& form) { qcal::test::UseRates(form, "3.0", "1", qcal::kShanghai); }

// Opens a batch window with the main window's button and waits for it to be active.
BatchWindow* OpenBatch(Form1& form, int formNumber)
{
    Click(form, formNumber == 4 ? "Command5" : "Command6");
    auto* window = qobject_cast<BatchWindow*>(form.SideWindow(qcal::ui::SideWindowId(formNumber)).data());
    if (window)
        qcal::test::Activate(window);
    return window;
}

// Types each batch's price and quantity and confirms each with Enter.
void EnterBatches(BatchWindow* window, const QStringList& texts)
{
    for (int i = 0; i < texts.size(); ++i) {
        qcal::test::TypeInto(window->Text(i + 1), texts[i]);
        qcal::test::PressEnter(window->Text(i + 1));
    }
}

const QStringList kShanghaiBuys = {"10", "100", "10", "1000", "10", "1550"};

} // namespace

class TestBatchWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void opensWithControlsAndFocus_data();
    void opensWithControlsAndFocus();
    void nothingIsClipped();
    void enterInText6PostsMarksAndFocusesOk();
    void figuresStayTheBatchWindowsAfterComingBack();
    void okWithEmptyFieldsChangesNothingAndHides();
    void okKeepsTextsAndTagsForTheNextOpening();
    void clearAfterOkUnlocksButKeepsCaptions();
    void mainClearRestoresEverything();
    void calculateRefusesInMultiBatchMode();
    void enterInLockedPriceFieldsChangesNothing();
    void sellWindowPostsAndMarksTheSellSide();
    void partialBatchSellKeepsTheRemainingBreakEven();
    void outOfRangeLeavesMainWindowAndKeepsWindowOpen();
    void arrowsWalkTheSixFields();
    void closingUnloadsAndNextOpeningStartsEmpty();
    void staysVisibleWhenMainWindowHides();
};

void TestBatchWindows::initTestCase()
{
    // Closing a batch window must not end the test run when it is the last one shown.
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestBatchWindows::opensWithControlsAndFocus_data()
{
    QTest::addColumn<int>("formNumber");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QString>("priceCaption");
    QTest::addColumn<QString>("quantityCaption");
    QTest::newRow("buy") << 4 << "睿衡算股多批买入" << QStringList{"第一批买入", "第二批买入", "第三批买入"}
                         << "买入价格"
                         << "买入数量";
    QTest::newRow("sell") << 3 << "睿衡算股多批卖出" << QStringList{"第一批卖出", "第二批卖出", "第三批卖出"}
                          << "卖出价格"
                          << "卖出数量";
}

void TestBatchWindows::opensWithControlsAndFocus()
{
    QFETCH(int, formNumber);
    QFETCH(QString, caption);
    QFETCH(QStringList, frames);
    QFETCH(QString, priceCaption);
    QFETCH(QString, quantityCaption);

    qcal::test::MainWindow w;
    Form1& form = w.Open();
    BatchWindow* window = OpenBatch(form, formNumber);
    QVERIFY(window);
    QCOMPARE(window->objectName(), QStringLiteral("Form%1").arg(formNumber));
    QCOMPARE(window->windowTitle(), caption);
    QVERIFY(window->isVisible());
    QVERIFY(form.isVisible());
    QCOMPARE(window->focusWidget(), window->Text(1));

    for (int f = 0; f < 3; ++f) {
        auto* frame = window->findChild<QGroupBox*>(QStringLiteral("Frame1_%1").arg(f));
        QVERIFY(frame);
        QCOMPARE(frame->title(), frames[f]);
        const QString captions[4] = {priceCaption, "元", quantityCaption, "股"};
        for (int k = 0; k < 4; ++k) {
            auto* label = frame->findChild<QLabel*>(QStringLiteral("Label1_%1").arg(f * 4 + k));
            QVERIFY(label);
            QCOMPARE(label->text(), captions[k]);
        }
        QCOMPARE(window->Text(f * 2 + 1)->parentWidget(), frame);
        QCOMPARE(window->Text(f * 2 + 2)->parentWidget(), frame);
        // The price field above the quantity field, the caption on the left, the unit on the right.
        QVERIFY(window->Text(f * 2 + 1)->y() < window->Text(f * 2 + 2)->y());
    }
    QCOMPARE(window->Command1()->text(), QStringLiteral("确 定"));
    QCOMPARE(window->Command2()->text(), QStringLiteral("清 空"));
    for (int i = 1; i <= 6; ++i) {
        QCOMPARE(window->Text(i)->objectName(), QStringLiteral("Text%1").arg(i));
        QVERIFY(window->Text(i)->text().isEmpty());
        QVERIFY(window->Tag(i).isEmpty());
    }

    // Entering a field selects its text; opening again brings back the same window.
    qcal::test::TypeInto(window->Text(1), "9.5");
    window->Text(2)->setFocus(Qt::TabFocusReason);
    window->Text(1)->setFocus(Qt::TabFocusReason);
    QCOMPARE(window->Text(1)->selectedText(), QStringLiteral("9.5"));
    window->hide();
    QCOMPARE(OpenBatch(form, formNumber), window);
    QCOMPARE(window->focusWidget(), window->Text(1));
    QCOMPARE(window->Text(1)->selectedText(), QStringLiteral("9.5"));
}

// Every caption fits its control in the face the program uses.
void TestBatchWindows::nothingIsClipped()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    for (int formNumber : {3, 4}) {
        BatchWindow* window = OpenBatch(form, formNumber);
        QVERIFY(window);
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->objectName()));
            QVERIFY2(label->fontMetrics().height() <= label->height(), qPrintable(label->objectName()));
        }
        for (const QPushButton* button : window->findChildren<QPushButton*>()) {
            QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) + 8 <= button->width(),
                     qPrintable(button->objectName()));
            QVERIFY(window->rect().contains(button->geometry()));
        }
        for (const QLineEdit* field : window->findChildren<QLineEdit*>()) {
            QVERIFY2(field->minimumSizeHint().height() <= field->height(), qPrintable(field->objectName()));
            QVERIFY(window->rect().contains(field->mapTo(window, field->rect().bottomRight())));
        }
        for (const QGroupBox* frame : window->findChildren<QGroupBox*>()) {
            QVERIFY(window->rect().contains(frame->geometry()));
            QVERIFY(frame->fontMetrics().horizontalAdvance(frame->title()) + 16 <= frame->width());
        }
    }
}

void TestBatchWindows::enterInText6PostsMarksAndFocusesOk()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    UseRates(form);
    BatchWindow* window = OpenBatch(form, 4);

    EnterBatches(window, kShanghaiBuys);

    QCOMPARE(form.Text(1)->text(), QStringLiteral("10.00"));
    QCOMPARE(form.Text(2)->text(), QStringLiteral("2,650"));
    QCOMPARE(form.Text(3)->text(), QStringLiteral("26,500.00"));
    QCOMPARE(form.Text(6)->text(), QStringLiteral("3.55"));  // 1 + 1 + 1.55: each batch its own minimum
    QVERIFY(form.Text(1)->isReadOnly());
    QVERIFY(form.Text(2)->isReadOnly());
    QCOMPARE(form.Label(1)->text(), QStringLiteral("买入均价"));
    QCOMPARE(form.Label(1)->toolTip(), QStringLiteral("多次买入后，所有的股票的平均价格"));
    QCOMPARE(form.Label(2)->text(), QStringLiteral("持股总数"));
    QCOMPARE(form.Label(2)->toolTip(), QStringLiteral("多次买入所持有的股票"));
    QCOMPARE(window->focusWidget(), window->Command1());
    QVERIFY(window->isVisible());
    // The quantity tags hold the batch fees until the next capture.
    QCOMPARE(window->Tag(6), QStringLiteral("1.55"));
    QCOMPARE(window->Text(6)->text(), QStringLiteral("1,550"));
}

void TestBatchWindows::figuresStayTheBatchWindowsAfterComingBack()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    UseRates(form);
    BatchWindow* window = OpenBatch(form, 4);
    EnterBatches(window, kShanghaiBuys);
    const qcal::MainWindowState posted = form.Snapshot();

    qcal::test::PressEnter(window->Command1());  // the focus is on OK: Enter presses it

    QVERIFY(!window->isVisible());
    QCOMPARE(w.Focused(), form.Text(11));
    qcal::MainWindowState after = form.Snapshot();
    for (int i = 1; i <= 10; ++i)
        QCOMPARE(after.text[i], posted.text[i]);
    QCOMPARE(form.Text(6)->text(), QStringLiteral("3.55"));
    QCOMPARE(after.buy.quantity, qcal::Money::FromWhole(2650));
    QCOMPARE(after.buy.price, qcal::Money::FromWhole(10));

    // Clicking back into the main window later changes nothing either.
    form.Form_Activate();
    after = form.Snapshot();
    for (int i = 1; i <= 10; ++i)
        QCOMPARE(after.text[i], posted.text[i]);
}

void TestBatchWindows::okWithEmptyFieldsChangesNothingAndHides()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    UseRates(form);
    for (int formNumber : {4, 3}) {
        BatchWindow* window = OpenBatch(form, formNumber);
        // A quantity too small to count, typed without Enter, is as good as none.
        window->Text(1)->setText("10");
        window->Text(2)->setText("0.3");
        const qcal::MainWindowState before = form.Snapshot();

        window->Command1()->click();

        QVERIFY(!window->isVisible());
        QVERIFY(form.Snapshot() == before);
        QVERIFY(!form.Text(1)->isReadOnly() && !form.Text(11)->isReadOnly());
        QCOMPARE(window->Tag(1), QStringLiteral("10"));
        QCOMPARE(window->Tag(2), QStringLiteral("0"));
    }
}

void TestBatchWindows::okKeepsTextsAndTagsForTheNextOpening()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    UseRates(form);
    BatchWindow* window = OpenBatch(form, 4);
    EnterBatches(window, {"10", "1000", "11", "1000"});
    window->Command1()->click();
    QVERIFY(!window->isVisible());
    QCOMPARE(form.Text(1)->text(), QStringLiteral("10.50"));
    QCOMPARE(form.Text(2)->text(), QStringLiteral("2,000"));
    QCOMPARE(form.Text(3)->text(), QStringLiteral("21,000.00"));

    QCOMPARE(OpenBatch(form, 4), window);
    QCOMPARE(window->Text(3)->text(), QStringLiteral("11.00"));
    QCOMPARE(window->Text(4)->text(), QStringLiteral("1,000"));
    QCOMPARE(window->Tag(4), QStringLiteral("1"));  // the batch fee of 1,000 shares on "上海A股"
}

void TestBatchWindows::clearAfterOkUnlocksButKeepsCaptions()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    UseRates(form);
    BatchWindow* window = OpenBatch(form, 4);
    EnterBatches(window, {"10", "1000"});
    window->Command1()->click();
    OpenBatch(form, 4);

    window->Command2()->click();

    QVERIFY(window->isVisible());
    for (int i = 1; i <= 6; ++i) {
        QVERIFY(window->Text(i)->text().isEmpty());
        QVERIFY(window->Tag(i).isEmpty());
    }
    QVERIFY(!form.Text(1)->isReadOnly());
    QVERIFY(!form.Text(2)->isReadOnly());
    QCOMPARE(form.Text(1)->palette().color(QPalette::Base), qcal::ui::WindowBackgroundColour());
    QCOMPARE(form.Label(1)->text(), QStringLiteral("买入均价"));
    QCOMPARE(form.Label(2)->text(), QStringLiteral("持股总数"));
    QCOMPARE(form.Text(1)->text(), QStringLiteral("10.00"));  // results stay
    QCOMPARE(form.Text(10)->text().isEmpty(), false);
}

void TestBatchWindows::mainClearRestoresEverything()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    UseRates(form);
    BatchWindow* buy = OpenBatch(form, 4);
    EnterBatches(buy, {"10", "1000"});
    buy->Command1()->click();
    BatchWindow* sell = OpenBatch(form, 3);
    EnterBatches(sell, {"12", "500"});
    sell->Command1()->click();
    QVERIFY(form.Text(11)->isReadOnly());

    Click(form, "Command4");
    QTest::qWait(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QVERIFY(form.SideWindow(qcal::ui::BatchSellWindow).isNull());
    QVERIFY(form.SideWindow(qcal::ui::BatchBuyWindow).isNull());
    for (int i : {1, 2, 11, 12}) {
        QVERIFY(!form.Text(i)->isReadOnly());
        QVERIFY(form.Text(i)->text().isEmpty());
    }
    QCOMPARE(form.Label(1)->text(), Str(qcal::caption::kBuyPrice));
    QCOMPARE(form.Label(1)->toolTip(), Str(qcal::caption::kBuyPriceTip));
    QCOMPARE(form.Label(2)->text(), Str(qcal::caption::kBuyQuantity));
    QCOMPARE(form.Label(10)->text(), Str(qcal::caption::kSellPrice));
    QCOMPARE(form.Label(11)->text(), Str(qcal::caption::kSellQuantity));
    QCOMPARE(form.Label(11)->toolTip(), Str(qcal::caption::kSellQuantityTip));

    // Loaded afresh: empty, and a single buy computes as usual again.
    BatchWindow* fresh = OpenBatch(form, 4);
    QVERIFY(fresh->Text(1)->text().isEmpty() && fresh->Tag(2).isEmpty());
}

void TestBatchWindows::calculateRefusesInMultiBatchMode()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    UseRates(form);

    // After a multi-batch sell alone the buy side is computed, then the message.
    form.Text(1)->setText("10");
    form.Text(2)->setText("1000");
    BatchWindow* sell = OpenBatch(form, 3);
    EnterBatches(sell, {"12", "500"});
    sell->Command1()->click();
    const QString received = form.Text(20)->text();
    Click(form, "Command1");
    auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kClearFirst));
    QCOMPARE(form.Text(3)->text(), QStringLiteral("10,000.00"));
    QCOMPARE(form.Text(20)->text(), received);

    // After a multi-batch buy: the message once, nothing computed.
    BatchWindow* buy = OpenBatch(form, 4);
    EnterBatches(buy, {"10", "1000", "11", "1000"});
    buy->Command1()->click();
    const qcal::MainWindowState before = form.Snapshot();
    Click(form, "Command1");
    boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kClearFirst));
    const qcal::MainWindowState after = form.Snapshot();
    for (int i = 1; i <= 22; ++i)
        QCOMPARE(after.text[i], before.text[i]);
    // The refusal keeps the batch's holding for a later single sell.
    QCOMPARE(after.buy.quantity, qcal::Money::FromWhole(2000));
}

void TestBatchWindows::enterInLockedPriceFieldsChangesNothing()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    UseRates(form);
    BatchWindow* buy = OpenBatch(form, 4);
    EnterBatches(buy, {"10", "1000", "11", "1000"});
    buy->Command1()->click();
    BatchWindow* sell = OpenBatch(form, 3);
    EnterBatches(sell, {"12", "500"});
    sell->Command1()->click();
    qcal::test::Activate(&form);
    const qcal::MainWindowState before = form.Snapshot();

    // Without the lock check, Enter in Text11 copied the 2,000 held over the 500 sold.
    qcal::test::PressEnter(form.Text(11));
    qcal::test::PressEnter(form.Text(1));

    const qcal::MainWindowState after = form.Snapshot();
    QCOMPARE(w.boxes.Take().size(), 0);
    QCOMPARE(after.text, before.text);
    QCOMPARE(form.Text(12)->text(), QStringLiteral("500"));
    QCOMPARE(after.buy.quantity, qcal::Money::FromWhole(2000));
}

// Coming back from the sell window must not put the whole position's break-even back in Text9.
void TestBatchWindows::partialBatchSellKeepsTheRemainingBreakEven()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    form.Combo(3)->setCurrentText(Str(qcal::kShenzhen));
    form.Combo(1)->setEditText(QStringLiteral("2.6"));
    form.Combo(2)->setCurrentText(QStringLiteral("2"));
    qcal::test::TypeInto(form.Text(1), QStringLiteral("16.97"));
    qcal::test::PressEnter(form.Text(1));
    qcal::test::TypeInto(form.Text(2), QStringLiteral("13584"));
    qcal::test::PressEnter(form.Text(2));
    QCOMPARE(form.Text(9)->text(), QStringLiteral("17.127"));

    BatchWindow* sell = OpenBatch(form, 3);
    QVERIFY(sell);
    EnterBatches(sell, {"13.401", "500"});
    QCOMPARE(form.Text(9)->text(), QStringLiteral("17.349"));
    sell->Command1()->click();
    QVERIFY(form.isVisible());
    QCOMPARE(form.Text(9)->text(), QStringLiteral("17.349"));
    QCOMPARE(w.boxes.Pending(), 0);
}

void TestBatchWindows::sellWindowPostsAndMarksTheSellSide()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    UseRates(form);
    BatchWindow* buy = OpenBatch(form, 4);
    EnterBatches(buy, {"10", "1000", "11", "1000"});
    buy->Command1()->click();

    BatchWindow* sell = OpenBatch(form, 3);
    EnterBatches(sell, {"12", "500", "13", "500"});
    sell->Command1()->click();

    QVERIFY(!sell->isVisible());
    QCOMPARE(form.Text(11)->text(), QStringLiteral("12.50"));
    QCOMPARE(form.Text(12)->text(), QStringLiteral("1,000"));
    QCOMPARE(form.Text(16)->text(), QStringLiteral("2.00"));
    QCOMPARE(form.Text(19)->text(), QStringLiteral("-8,638.00"));
    QCOMPARE(form.Text(9)->text(), QStringLiteral("8.710"));  // the 1,000 shares still held
    QCOMPARE(form.Label(17)->text(), Str(qcal::caption::kLoss));
    QCOMPARE(qcal::ui::LabelColour(form.Label(17)), qcal::Colour::Blue);
    QVERIFY(form.Text(11)->isReadOnly() && form.Text(12)->isReadOnly());
    QCOMPARE(form.Label(10)->text(), QStringLiteral("卖出均价"));
    QCOMPARE(form.Label(10)->toolTip(), QStringLiteral("多次卖出的所有股票的平均价格"));
    QCOMPARE(form.Label(11)->text(), QStringLiteral("卖出总数"));
    QCOMPARE(form.Label(11)->toolTip(), QStringLiteral("多次卖出的所有股票的总数"));
    // The buy side is the batch buy's still.
    QCOMPARE(form.Text(1)->text(), QStringLiteral("10.50"));
    QCOMPARE(form.Label(2)->text(), QStringLiteral("持股总数"));

    // The sell window's clear unlocks its side only.
    OpenBatch(form, 3)->Command2()->click();
    QVERIFY(!form.Text(11)->isReadOnly() && !form.Text(12)->isReadOnly());
    QVERIFY(form.Text(1)->isReadOnly());
    QCOMPARE(form.Label(11)->text(), QStringLiteral("卖出总数"));
}

void TestBatchWindows::outOfRangeLeavesMainWindowAndKeepsWindowOpen()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    UseRates(form);
    BatchWindow* window = OpenBatch(form, 4);
    window->Text(1)->setText("300000");  // beyond the average's rounding, typed without Enter
    const qcal::MainWindowState before = form.Snapshot();

    qcal::test::TypeInto(window->Text(2), "1000");
    qcal::test::PressEnter(window->Text(2));

    auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kOutOfRange));
    QCOMPARE(boxes[0].title, Str(qcal::msg::kTitle));
    QVERIFY(form.Snapshot() == before);
    QCOMPARE(window->focusWidget(), window->Text(2));

    window->Command1()->click();
    boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kOutOfRange));
    QVERIFY(window->isVisible());
    QVERIFY(form.Snapshot() == before);
}

void TestBatchWindows::arrowsWalkTheSixFields()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    BatchWindow* window = OpenBatch(form, 3);
    for (int i = 1; i < 6; ++i) {
        QTest::keyClick(window->Text(i), Qt::Key_Down);
        QCOMPARE(window->focusWidget(), window->Text(i + 1));
    }
    QTest::keyClick(window->Text(6), Qt::Key_Down);
    QCOMPARE(window->focusWidget(), window->Text(6));
    for (int i = 6; i > 1; --i) {
        QTest::keyClick(window->Text(i), Qt::Key_Up);
        QCOMPARE(window->focusWidget(), window->Text(i - 1));
    }
    QTest::keyClick(window->Text(1), Qt::Key_Up);
    QCOMPARE(window->focusWidget(), window->Text(1));

    // Enter in a price checks it and moves on without posting; a bad price is reported.
    qcal::test::TypeInto(window->Text(3), "abc");
    qcal::test::PressEnter(window->Text(3));
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kSellPriceNotNumeric));
    QCOMPARE(window->focusWidget(), window->Text(3));
    qcal::test::TypeInto(window->Text(3), "9.4");
    qcal::test::PressEnter(window->Text(3));
    QCOMPARE(window->Text(3)->text(), QStringLiteral("9.40"));
    QCOMPARE(window->Tag(3), QStringLiteral("9.40"));
    QCOMPARE(window->focusWidget(), window->Text(4));
    QVERIFY(form.Text(11)->text().isEmpty());
}

void TestBatchWindows::closingUnloadsAndNextOpeningStartsEmpty()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    BatchWindow* window = OpenBatch(form, 4);
    window->Text(1)->setText("10");
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(form.SideWindow(qcal::ui::BatchBuyWindow).isNull());

    window = OpenBatch(form, 4);
    QVERIFY(window->Text(1)->text().isEmpty());
}

void TestBatchWindows::staysVisibleWhenMainWindowHides()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    UseRates(form);
    BatchWindow* window = OpenBatch(form, 4);
    form.hide();  // as the About window, the converter and the mini window do
    QVERIFY(window->isVisible());

    // OK posts, but does not bring back a main window that another side window has hidden.
    EnterBatches(window, {"10", "1000"});
    window->Command1()->click();
    QVERIFY(!window->isVisible());
    QVERIFY(!form.isVisible());
    QCOMPARE(form.Text(2)->text(), QStringLiteral("1,000"));
    form.show();
}

QTEST_MAIN(TestBatchWindows)
#include "test_batch_windows.moc"
