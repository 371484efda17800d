// The products in the main window: the market list and the 设置 menu follow the rules in force, a
// code picks its product, a quantity the exchange would not take is refused with the product's
// rule, and the units follow the product.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStringDecoder>
#include <QTest>

#include "core/messages.h"
#include "support/ui_fixture.h"
#include "ui/main/form1.h"
#include "ui/main/module1.h"

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

QStringList Offered(const Form1& form)
{
    QStringList entries;
    for (int i = 0; i < form.Combo(qcal::ui::MarketCombo)->count(); ++i)
        entries << form.Combo(qcal::ui::MarketCombo)->itemText(i);
    return entries;
}

// The market items the 设置 menu shows, and which is checked.
QStringList MenuMarkets(const Form1& form, QString* checked)
{
    QStringList items;
    for (const char* name : {"SHAG", "SZAG", "CYB", "KCB", "BJS", "JJQZ", "KZZ"}) {
        QAction* action = form.Action(name);
        if (action->isVisible())
            items << action->text();
        if (action->isChecked())
            *checked = action->text();
    }
    return items;
}

} // namespace

class TestProductsWindow : public QObject {
    Q_OBJECT
private slots:
    void theListAndTheMenuFollowTheRules();
    void aCodePicksItsProductAndIsRemembered();
    void aQuantityTheExchangeWouldNotTakeIsRefused();
};

void TestProductsWindow::theListAndTheMenuFollowTheRules()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    const QStringList all = {"上海A股", "深圳A股", "创业板", "科创板", "北交所", "基金、权证", "可转债"};
    const QStringList own = {"上海A股", "深圳A股", "基金、权证"};
    QCOMPARE(Offered(form), own);
    form.Check(qcal::ui::CurrentRulesCheck)->setChecked(true);
    QCOMPARE(Offered(form), all);
    QString checked;
    QCOMPARE(MenuMarkets(form, &checked), all);

    // A product the program's own rules do not know goes to the entry that stands for it, and
    // the settings frame says so; going back keeps that valid entry.
    form.Combo(qcal::ui::MarketCombo)->setCurrentText(QStringLiteral("可转债"));
    QCOMPARE(form.Label(19, 1)->text(), QStringLiteral("张"));
    MenuMarkets(form, &checked);
    QCOMPARE(checked, QStringLiteral("可转债"));
    form.Check(qcal::ui::CurrentRulesCheck)->setChecked(false);
    QCOMPARE(Offered(form), own);
    QCOMPARE(form.Combo(qcal::ui::MarketCombo)->currentText(), QStringLiteral("基金、权证"));
    QVERIFY(form.Label(qcal::RulesNoteLabel)->text().contains(QStringLiteral("原来的规则没有可转债，改按基金、权证计费")));
    QCOMPARE(MenuMarkets(form, &checked), own);
    QCOMPARE(checked, QStringLiteral("基金、权证"));
    QCOMPARE(form.Label(19, 1)->text(), QStringLiteral("股"));
    form.Check(qcal::ui::CurrentRulesCheck)->setChecked(true);
    QCOMPARE(form.Combo(qcal::ui::MarketCombo)->currentText(), QStringLiteral("基金、权证"));
    QVERIFY(!form.Label(qcal::RulesNoteLabel)->text().contains(QStringLiteral("改按")));
    QCOMPARE(w.boxes.Pending(), 0);
}

void TestProductsWindow::aCodePicksItsProductAndIsRemembered()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    form.Check(qcal::ui::CurrentRulesCheck)->setChecked(true);
    QLineEdit* code = form.Text(qcal::SecurityCode);
    Enter(code, QStringLiteral("688981"));
    QCOMPARE(form.Combo(qcal::ui::MarketCombo)->currentText(), QStringLiteral("科创板"));
    QCOMPARE(code->toolTip(), QStringLiteral("688981是科创板"));
    Enter(code, QStringLiteral("113050"));
    QCOMPARE(form.Combo(qcal::ui::MarketCombo)->currentText(), QStringLiteral("可转债"));

    Enter(code, QStringLiteral("900901"));
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::msg::kSecurityCode));
    QCOMPARE(form.focusWidget(), code);
    QCOMPARE(code->selectedText(), QStringLiteral("900901"));

    // Under the program's own rules a code picks the entry that stands for its product.
    form.Check(qcal::ui::CurrentRulesCheck)->setChecked(false);
    Enter(code, QStringLiteral("300750"));
    QCOMPARE(form.Combo(qcal::ui::MarketCombo)->currentText(), QStringLiteral("深圳A股"));
    QCOMPARE(code->toolTip(), QStringLiteral("300750是创业板，原来的规则按深圳A股计费"));

    qcal::ui::Module1::FinishPendingSaves();
    QFile ini(form.IniPath());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QString stored = QStringDecoder("GBK").decode(ini.readAll());
    QVERIFY(stored.contains(QStringLiteral("证券代码=300750")));
}

void TestProductsWindow::aQuantityTheExchangeWouldNotTakeIsRefused()
{
    qcal::test::MainWindow w;
    Form1& form = w.Open();
    form.Check(qcal::ui::CurrentRulesCheck)->setChecked(true);
    form.Combo(qcal::ui::MarketCombo)->setCurrentText(QStringLiteral("科创板"));
    Enter(form.Text(qcal::BuyPrice), QStringLiteral("50"));
    Enter(form.Text(qcal::BuyQuantity), QStringLiteral("150"));
    auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, QStringLiteral("输入错误，科创板买入至少200股，超过200股的部分可按1股递增，请重新输入       "));
    QCOMPARE(form.focusWidget(), form.Text(qcal::BuyQuantity));
    QVERIFY(form.Text(qcal::Paid)->text().isEmpty());

    Enter(form.Text(qcal::BuyQuantity), QStringLiteral("350"));
    QCOMPARE(form.Text(qcal::Paid)->text(), QStringLiteral("17,547.43"));  // 17,500 + 47.25 (2.7 ‰) + 0.18
    Enter(form.Text(qcal::SellPrice), QStringLiteral("55"));
    Enter(form.Text(qcal::SellQuantity), QStringLiteral("150"));
    boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, QStringLiteral("输入错误，科创板卖出至少200股，剩余不足200股时须一次卖出，请重新输入       "));
    Enter(form.Text(qcal::SellQuantity), QStringLiteral("350"));
    QVERIFY(!form.Text(qcal::Received)->text().isEmpty());
    QCOMPARE(w.boxes.Pending(), 0);
}

QTEST_MAIN(TestProductsWindow)
#include "test_products_window.moc"
