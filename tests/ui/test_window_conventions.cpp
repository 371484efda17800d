// What every window shares: numbers right-aligned, fields named for screen readers, the message
// box in Chinese, windows that fit a small screen, and a guide that always opens.

#include <QAbstractSpinBox>
#include <QApplication>
#include <QDateEdit>
#include <QComboBox>
#include <QIcon>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QTextBrowser>

#include "core/messages.h"
#include "support/ui_fixture.h"
#include "ui/common/application.h"
#include "ui/common/window_fit.h"
#include "ui/main/form1.h"
#include "ui/tools/form2.h"
#include "ui/tools/form5.h"

using qcal::test::Str;
using qcal::ui::Form1;

namespace {

// Every side window, opened from the main window's menus and buttons.
QList<QWidget*> OpenEveryWindow(Form1& form)
{
    QList<QWidget*> windows{&form};
    form.findChild<QPushButton*>(QStringLiteral("Command5"))->click();
    form.findChild<QPushButton*>(QStringLiteral("Command6"))->click();
    for (auto id : {qcal::ui::BatchSellWindow, qcal::ui::BatchBuyWindow})
        windows << form.SideWindow(id).data();
    const std::pair<const char*, qcal::ui::SideWindowId> kItems[] = {
        {"MBJ", qcal::ui::TargetWindow}, {"BCZT", qcal::ui::AverageDownWindow}, {"JHG", qcal::ui::ConverterWindow}, {"MNCK", qcal::ui::MiniWindow},
        {"GY", qcal::ui::AboutWindow}};
    for (const auto& [item, id] : kItems) {
        form.Action(item)->trigger();
        windows << form.SideWindow(id).data();
    }
    form.Action("QSFL")->trigger();
    windows << form.findChild<QWidget*>(QStringLiteral("Form10"));
    return windows;
}

} // namespace

class TestWindowConventions : public QObject {
    Q_OBJECT
private slots:
    void everyNumberIsRightAligned();
    void fieldsAreNamedByTheirLabels();
    void theMessageBoxReadsInChinese();
    void aWindowLargerThanTheScreenScrolls();
    void theGuideOpensWithoutABrowser();
    void everyWindowCarriesTheProgramsIcon();
};

void TestWindowConventions::everyNumberIsRightAligned()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    int fields = 0;
    for (QWidget* window : OpenEveryWindow(form)) {
        QVERIFY(window);
        for (QLineEdit* field : window->findChildren<QLineEdit*>()) {
            QVERIFY2(field->alignment() & Qt::AlignRight,
                     qPrintable(window->objectName() + QStringLiteral(".") + field->objectName()));
            ++fields;
        }
    }
    QVERIFY(fields >= 22 + 6 + 6 + 10 + 18 + 5 + 3);
}

void TestWindowConventions::fieldsAreNamedByTheirLabels()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    QCOMPARE(form.Text(1)->accessibleName(), QStringLiteral("买入价格"));
    QCOMPARE(form.Text(4)->accessibleName(), QStringLiteral("佣金"));  // "佣    金" read without its blanks
    QCOMPARE(form.Text(18)->accessibleName(), QStringLiteral("收益率"));
    QCOMPARE(form.Text(21)->accessibleName(), QStringLiteral("10股送"));
    QCOMPARE(form.Combo(1)->accessibleName(), QStringLiteral("佣金"));
    QCOMPARE(form.Combo(3)->accessibleName(), QStringLiteral("证交所"));
    QCOMPARE(form.TradeDateBox()->accessibleName(), QStringLiteral("交易日期"));
    for (QWidget* window : OpenEveryWindow(form)) {
        for (QLineEdit* field : window->findChildren<QLineEdit*>()) {
            if (qobject_cast<QComboBox*>(field->parentWidget()) || qobject_cast<QAbstractSpinBox*>(field->parentWidget()))
                continue;  // the list's or the date box's own edit; the box carries the name
            QVERIFY2(!field->accessibleName().isEmpty(),
                     qPrintable(window->objectName() + QStringLiteral(".") + field->objectName()));
        }
    }
}

void TestWindowConventions::theMessageBoxReadsInChinese()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    qcal::test::TypeInto(form.Text(1), QStringLiteral("abc"));
    qcal::test::PressEnter(form.Text(1));
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].okText, Str(qcal::msg::kOk));
}

void TestWindowConventions::aWindowLargerThanTheScreenScrolls()
{
    qcal::test::MainWindow w;
    Form1& form = w.Create();
    const QSize full = form.size();
    const QSize room(full.width() - 100, full.height() - 120);
    qcal::ui::FitToScreen(&form, room);
    auto* scroll = qobject_cast<QScrollArea*>(form.centralWidget());
    QVERIFY(scroll);
    QVERIFY(form.size().width() <= room.width() && form.size().height() <= room.height());
    QVERIFY(form.maximumSize().width() <= room.width());
    QVERIFY(form.Text(22));  // every control still there, inside the scroll area
    QVERIFY(scroll->widget()->isAncestorOf(form.Text(22)));

    Form1& main = w.Open();
    main.Action("JHG")->trigger();
    auto* converter = qobject_cast<qcal::ui::Form5*>(main.SideWindow(qcal::ui::ConverterWindow).data());
    QVERIFY(converter);
    const QSize wanted = converter->size();
    qcal::ui::FitToScreen(converter, wanted / 2);
    QVERIFY(converter->findChild<QScrollArea*>());
    QCOMPARE(converter->size(), wanted / 2);
    QVERIFY(converter->Text(5));
    QVERIFY(converter->Text(1)->isVisibleTo(converter));
    converter->close();
}

void TestWindowConventions::theGuideOpensWithoutABrowser()
{
    auto& opener = qcal::ui::Form2::BrowserOpener();
    const auto saved = opener;
    int tried = 0;
    opener = [&tried](const QUrl&) {
        ++tried;
        return false;
    };
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    form.Action("GY")->trigger();
    auto* about = qobject_cast<qcal::ui::Form2*>(form.SideWindow(qcal::ui::AboutWindow).data());
    QVERIFY(about);
    QTest::mouseClick(about->Image1(), Qt::LeftButton, {}, QPoint(100, 45));
    opener = saved;
    QCOMPARE(tried, 1);
    QTextBrowser* guide = about->GuideViewer();
    QVERIFY(guide);
    QVERIFY(guide->isVisible());
    QVERIFY(guide->isReadOnly());
    QVERIFY2(guide->toPlainText().contains(QStringLiteral("保本价格")), qPrintable(qcal::ui::Form2::GuidePath()));
    about->close();
}

void TestWindowConventions::everyWindowCarriesTheProgramsIcon()
{
    qcal::ui::PrepareApplication(*qApp);
    const QIcon icon = QApplication::windowIcon();
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.availableSizes(), (QList<QSize>{QSize(48, 48), QSize(256, 256)}));
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    for (QWidget* window : OpenEveryWindow(form))
        QCOMPARE(window->windowIcon().availableSizes(), icon.availableSizes());
}

QTEST_MAIN(TestWindowConventions)
#include "test_window_conventions.moc"
