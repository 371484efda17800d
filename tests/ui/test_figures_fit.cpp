// No field ever cuts a number: each shows the widest figure it can be given whole, and every window
// opens whole on the screen, frame included, at 1280 × 800 and at twice the scale.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>

#include "core/average_down.h"
#include "core/target.h"
#include "support/ui_fixture.h"
#include "ui/common/window_fit.h"
#include "ui/main/form1.h"
#include "ui/tools/side_window.h"

using qcal::ui::Form1;

namespace {

// The widest figures, by kind: a sum at the limit of Money (negative), a share count of fifteen
// digits, a cost or break-even at Money's limit, a price at the limit of the price fields, a yield at
// the limit of the 32-bit rounding.
const QString kSum = QStringLiteral("-922,337,203,685,477.58");
const QString kShares = QStringLiteral("999,999,999,999,999");
const QString kCost = QStringLiteral("922337203685477.581");
const QString kPrice = QStringLiteral("214748.3647");
const QString kGroupedPrice = QStringLiteral("214,748.3647");
const QString kYield = QStringLiteral("-21,474,836.48");
const QString kConverterSum = QStringLiteral("21,474,836.47");

struct Widest {
    int field;
    QString text;
};

// Whether the field shows its whole text: the advance of the text within the field's inner width
// (the frame and the line edit's own margin of two pixels a side taken off).
bool Fits(const QLineEdit* field, const QString& text)
{
    const int frame = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field);
    const QMargins margins = field->textMargins();
    const int inner = field->width() - 2 * frame - 4 - margins.left() - margins.right();
    return field->fontMetrics().horizontalAdvance(text) <= inner;
}

QString FitsOrWhy(const QString& window, const QLineEdit* field, const QString& text)
{
    return QStringLiteral("%1 %2: %3 px wide needs %4").arg(window, field->objectName()).arg(field->width())
        .arg(field->fontMetrics().horizontalAdvance(text));
}

} // namespace

class TestFiguresFit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void everyFieldShowsItsWidestFigure();
    void everyWindowOpensWhole();
    void theRulesNoteShowsWhole();
};

void TestFiguresFit::everyFieldShowsItsWidestFigure()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    const std::vector<Widest> main = {
        {qcal::BuyPrice, kPrice},           {qcal::BuyQuantity, kShares},  {qcal::BuyAmount, kSum},
        {qcal::BuyCommission, kSum},        {qcal::BuyStampDuty, kSum},    {qcal::BuyTransferFee, kSum},
        {qcal::BuyFees, kSum},              {qcal::BuyCost, kCost},        {qcal::BreakEven, kCost},
        {qcal::Paid, kSum},                 {qcal::SellPrice, kPrice},     {qcal::SellQuantity, kShares},
        {qcal::SellAmount, kSum},           {qcal::SellCommission, kSum},  {qcal::SellStampDuty, kSum},
        {qcal::SellTransferFee, kSum},      {qcal::SellFees, kSum},        {qcal::Yield, kYield},
        {qcal::ProfitOrShares, kSum},       {qcal::Received, kSum},        {qcal::RealisedProfit, kSum},
        {qcal::Dividend, kConverterSum},
    };
    QStringList cut;
    for (const Widest& wide : main) {
        if (!Fits(form.Text(wide.field), wide.text))
            cut << FitsOrWhy("Form1", form.Text(wide.field), wide.text);
    }

    namespace pf = qcal::position;
    namespace tf = qcal::target;
    const struct {
        const char* action;
        qcal::ui::SideWindowId id;
        std::vector<Widest> fields;
    } sides[] = {
        {"BCZT", qcal::ui::AverageDownWindow,
         {{pf::Held, kShares}, {pf::Cost, kCost}, {pf::Price, kPrice}, {pf::TargetCost, kCost},
          {pf::SharesToBuy, kShares}, {pf::Needed, kSum}, {pf::NewCost, kCost}, {pf::NewBreakEven, kCost},
          {pf::TripShares, kShares}, {pf::SellPrice, kPrice}, {pf::BuyBackPrice, kPrice}, {pf::SaleFees, kSum},
          {pf::BuyBackFees, kSum}, {pf::TripProfit, kSum}, {pf::TripCost, kCost}, {pf::TripBreakEven, kCost},
          {pf::TripSellPrice, kCost}, {pf::Invested, kSum}}},
        {"MBJ", qcal::ui::TargetWindow,
         {{tf::BuyPrice, kPrice}, {tf::Quantity, kShares}, {tf::Yield, QStringLiteral("-999,999.99")},
          {tf::Profit, QStringLiteral("-9,999,999,999,999.99")}, {tf::Price, kPrice}, {tf::Received, kSum},
          {tf::ProfitAtPrice, kSum}, {tf::YieldAtPrice, QStringLiteral("-999,999.99")}, {tf::BreakEven, kPrice},
          {tf::Paid, kSum}}},
        {"JHG", qcal::ui::ConverterWindow,
         {{1, kConverterSum}, {2, kGroupedPrice}, {3, QStringLiteral("2,147,483,600")}, {4, kConverterSum},
          {5, kConverterSum}}},
        {"MNCK", qcal::ui::MiniWindow, {{1, kGroupedPrice}, {2, kShares}, {3, QStringLiteral("214,748,364.7999")}}},
    };
    for (const auto& side : sides) {
        form.Action(side.action)->trigger();
        auto* window = qobject_cast<qcal::ui::SideWindow*>(form.SideWindow(side.id).data());
        QVERIFY(window);
        for (const Widest& wide : side.fields) {
            if (!Fits(window->Text(wide.field), wide.text))
                cut << FitsOrWhy(window->objectName(), window->Text(wide.field), wide.text);
        }
        window->close();
        form.ComeBack();
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
}

// Placed by the program, every window and its frame lie on the screen's available area.
void TestFiguresFit::everyWindowOpensWhole()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    const QRect room = form.screen()->availableGeometry();
    const auto whole = [&room](const QWidget* window) {
        const QRect frame(window->pos(), window->size() + qcal::ui::FrameAllowance());
        return room.contains(frame);
    };
    QVERIFY(whole(&form));
    for (const char* action : {"MBJ", "BCZT", "JHG", "MNCK", "GY"}) {
        form.Action(action)->trigger();
        QWidget* window = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : nullptr;
        for (qcal::ui::SideWindowId id : qcal::ui::kSideWindows) {
            if (form.SideWindow(id) && form.SideWindow(id)->isVisible())
                window = form.SideWindow(id);
        }
        QVERIFY2(window, action);
        QVERIFY2(whole(window), qPrintable(QStringLiteral("%1 at %2,%3 size %4x%5 on %6x%7")
                                               .arg(action).arg(window->x()).arg(window->y())
                                               .arg(window->width()).arg(window->height())
                                               .arg(room.width()).arg(room.height())));
        window->close();
        form.ComeBack();
    }
}

// The note under the settings says which rules charge and how, in every combination of product,
// 规费 on top, 免五 and trade date, and which entry a product became on going back to the program's
// own rules: all of it within the label.
void TestFiguresFit::theRulesNoteShowsWhole()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    QLabel* note = form.Label(qcal::RulesNoteLabel);
    QComboBox* market = form.Combo(3);
    QStringList cut;
    const auto check = [&](const QString& what) {
        if (note->heightForWidth(note->width()) > note->height())
            cut << QStringLiteral("%1: %2 px high needs %3 for %4")
                       .arg(what).arg(note->height()).arg(note->heightForWidth(note->width())).arg(note->text());
    };
    const auto currentRules = [&form](bool on) {
        if (form.Check(3)->isChecked() != on)
            form.Check(3)->click();
    };
    currentRules(true);
    const QStringList products = [market] {
        QStringList names;
        for (int i = 0; i < market->count(); ++i)
            names << market->itemText(i);
        return names;
    }();
    for (const QString& product : products) {
        for (const bool onTop : {false, true}) {
            for (const bool waive : {false, true}) {
                qcal::BrokerTerms terms;
                terms.feesOnTop = onTop;
                form.ApplyBrokerTerms(QStringLiteral("0.085"), terms, waive);
                for (const QDate date : {QDate(2015, 8, 1), QDate(2022, 4, 28), QDate(2024, 1, 10)}) {
                    market->setCurrentIndex(market->findText(product));
                    form.TradeDateBox()->setDate(date);
                    check(QStringLiteral("%1 %2 %3 %4").arg(product).arg(onTop).arg(waive).arg(date.toString(Qt::ISODate)));
                }
            }
        }
    }
    for (const QString& product : products) {
        currentRules(true);
        market->setCurrentIndex(market->findText(product));
        currentRules(false);
        check(QStringLiteral("own rules from %1").arg(product));
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
}

QTEST_MAIN(TestFiguresFit)
#include "test_figures_fit.moc"
