// The journal window end to end on a real journal file: the worked example typed through the
// entry frame and recorded from the main window, with every figure of its holdings; undo; every
// refusal naming its field; a second program and a damaged file; the exports.

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include "core/fees.h"
#include "core/journal_fields.h"
#include "core/messages.h"
#include "settings/journal_store.h"
#include "tests/settings/file_helpers.h"
#include "support/ui_fixture.h"
#include "ui/main/form1.h"
#include "ui/tools/form9.h"
#include "ui/tools/journal_model.h"

using qcal::test::Str;
using qcal::ui::Form1;
using qcal::ui::Form9;
using qcal::ui::JournalModel;
namespace jf = qcal::journal;

namespace {

Form9* OpenJournal(Form1& form)
{
    form.Action("JYJL")->trigger();
    auto* window = qobject_cast<Form9*>(form.SideWindow(qcal::ui::JournalWindow).data());
    if (window)
        qcal::test::Activate(window);
    return window;
}

// The main window at commission 0.25 ‰ in Shanghai, and the journal opened from it.
Form9* OpenAtQuarterPerMille(qcal::test::MainWindow& w)
{
    Form1& form = w.Open();
    qcal::test::UseRates(form, "0.25", "1", qcal::kShanghai);
    return OpenJournal(form);
}

struct Typed {
    const char* date;
    const char* kind;
    const char* price;
    const char* quantity = "";
    const char* commission = "";
    const char* code = "600000";
    const char* time = "";
    const char* note = "";
};

// Fills the entry frame as a user would leave it, and presses 新增.
void Add(Form9* j, const Typed& t)
{
    j->EntryDate()->setDate(QDate::fromString(QString::fromLatin1(t.date), Qt::ISODate));
    j->ProductList()->setCurrentText(Str(qcal::kShanghai));
    j->KindList()->setCurrentText(QString::fromUtf8(t.kind));
    const std::pair<jf::Field, const char*> texts[] = {{jf::Time, t.time},   {jf::Code, t.code},
                                                        {jf::Price, t.price}, {jf::Quantity, t.quantity},
                                                        {jf::Commission, t.commission}};
    j->Text(jf::Note)->setText(QString::fromUtf8(t.note));
    for (int f = 1; f <= jf::kEntryFieldCount; ++f)
        if (f != jf::Note)
            j->Text(f)->clear();
    for (const auto& [field, text] : texts)
        j->Text(field)->setText(QString::fromLatin1(text));
    j->Command(3)->click();
}

// A buy computed on the main window, then recorded by the journal as a trade of `day`.
void RecordMainBuy(Form1& form, Form9* j, const char* price, const char* quantity, QDate day, const char* code)
{
    qcal::test::TypeInto(form.Text(qcal::BuyPrice), QString::fromLatin1(price));
    qcal::test::PressEnter(form.Text(qcal::BuyPrice));
    qcal::test::TypeInto(form.Text(qcal::BuyQuantity), QString::fromLatin1(quantity));
    qcal::test::PressEnter(form.Text(qcal::BuyQuantity));
    j->TradeDate()->setDate(day);
    j->Text(jf::Code)->setText(QString::fromLatin1(code));
    j->Command(1)->click();
}

QString Cell(Form9* j, int row, int column) { return j->Model().data(j->Model().index(row, column), Qt::DisplayRole).toString(); }
QString Cell(QTableWidget* grid, int row, int column)
{
    return grid->item(row, column) ? grid->item(row, column)->text() : QStringLiteral("<none>");
}

// The fees of the journal's newest row: commission, stamp duty, transfer fee, other, net.
QStringList NewestFees(Form9* j)
{
    return {Cell(j, 0, JournalModel::Commission), Cell(j, 0, JournalModel::StampDuty), Cell(j, 0, JournalModel::TransferFee),
            Cell(j, 0, JournalModel::OtherFees), Cell(j, 0, JournalModel::Net)};
}

} // namespace

class TestJournalWindow : public QObject {
    Q_OBJECT
private slots:
    void theWorkedExample();
    void refusalsNameTheirFieldAndChangeNothing();
    void theCodeNamesTheProduct();
    void aJournalThatCannotBeWrittenSaysWhy_data();
    void aJournalThatCannotBeWrittenSaysWhy();
    void exportsInBothEncodings();
};

// Commission 0.25 ‰ under the current rules, 上海A股: buy 10.00 × 1,000 on 2024-03-01 and 8.00 ×
// 1,000 on 2024-06-03, 10派2 on 2024-07-10, sell 1,500 at 9.50 on 2024-07-25.
void TestJournalWindow::theWorkedExample()
{
    qcal::test::MainWindow w;
    Form9* j = OpenAtQuarterPerMille(w);
    QVERIFY(j);
    Form1& form = w.form();
    QCOMPARE(j->Model().rowCount(), 0);

    // Typed, seen with its fees, undone.
    Add(j, {"2024-03-01", "买入", "10", "1000"});
    QVERIFY(w.boxes.Take().isEmpty());
    QCOMPARE(j->Model().rowCount(), 1);
    QCOMPARE(NewestFees(j), (QStringList{"5.00", "0.00", "0.10", "0.00", "10,005.10"}));
    QCOMPARE(Cell(j, 0, JournalModel::Date), QStringLiteral("2024-03-01"));
    QCOMPARE(Cell(j, 0, JournalModel::Amount), QStringLiteral("10,000.00"));
    j->Command(2)->click();
    QCOMPARE(j->Model().rowCount(), 0);
    j->Command(2)->click();  // nothing left to undo
    QCOMPARE(w.boxes.Take().front().text, Str(qcal::msg::kJournalNothingToUndo));

    // The same buy recorded from the main window, on the day shown.
    RecordMainBuy(form, j, "10", "1000", QDate(2024, 3, 1), "600000");
    QVERIFY(w.boxes.Take().isEmpty());
    QCOMPARE(j->Model().rowCount(), 1);
    QCOMPARE(NewestFees(j), (QStringList{"5.00", "0.00", "0.10", "0.00", "10,005.10"}));
    QCOMPARE(Cell(j, 0, JournalModel::Product), Str(qcal::kShanghai));

    // A typed fee is kept and marked.
    Add(j, {"2024-06-03", "买入", "8", "1000", "5"});
    QCOMPARE(NewestFees(j), (QStringList{"5.00*", "0.00", "0.08", "0.00", "8,005.08"}));
    QCOMPARE(j->Model().data(j->Model().index(0, JournalModel::Commission), Qt::ToolTipRole).toString(),
             QStringLiteral("按交割单录入"));
    QCOMPARE(j->Model().data(j->Model().index(0, JournalModel::TransferFee), Qt::ToolTipRole).toString(), QString());

    j->Tabs()->setCurrentIndex(1);
    QTableWidget* holdings = j->Grid2();
    QCOMPARE(holdings->rowCount(), 1);
    QCOMPARE(Cell(holdings, 0, Form9::HShares), QStringLiteral("2,000"));
    QCOMPARE(Cell(holdings, 0, Form9::HInvested), QStringLiteral("18,010.18"));
    QCOMPARE(Cell(holdings, 0, Form9::HAverageCost), QStringLiteral("9.006"));
    QCOMPARE(Cell(holdings, 0, Form9::HFifoCost), QStringLiteral("9.006"));
    holdings->selectRow(0);
    QCOMPARE(j->Grid4()->rowCount(), 2);
    QCOMPARE(Cell(j->Grid4(), 0, 4), QStringLiteral("10.006"));
    QCOMPARE(Cell(j->Grid4(), 1, 4), QStringLiteral("8.006"));

    // A typed current price values what is held, by both methods.
    qcal::test::TypeInto(j->Text(10), QStringLiteral("9.5"));
    qcal::test::PressEnter(j->Text(10));
    QVERIFY(w.boxes.Take().isEmpty());
    // 19,000 less 5.00 commission, 9.50 stamp duty and 0.19 transfer fee, less 18,010.18.
    QCOMPARE(Cell(holdings, 0, Form9::HProfitAverage), QStringLiteral("975.13"));
    QCOMPARE(Cell(holdings, 0, Form9::HProfitFifo), QStringLiteral("975.13"));

    Add(j, {"2024-07-10", "红利", "2"});
    QVERIFY(w.boxes.Take().isEmpty());
    QCOMPARE(Cell(j, 0, JournalModel::Price), QStringLiteral("10派2.00"));
    QCOMPARE(Cell(holdings, 0, Form9::HDividends), QStringLiteral("400.00"));

    Add(j, {"2024-07-25", "卖出", "9.5", "1500"});
    QVERIFY(w.boxes.Take().isEmpty());
    // 14,250 less 5.00, 7.13 and 0.14.
    QCOMPARE(NewestFees(j), (QStringList{"5.00", "7.13", "0.14", "0.00", "14,237.73"}));
    QCOMPARE(Cell(holdings, 0, Form9::HShares), QStringLiteral("500"));
    QTableWidget* sales = j->Grid3();
    QCOMPARE(sales->rowCount(), 1);
    QCOMPARE(Cell(sales, 0, 3), QStringLiteral("14,237.73"));
    QCOMPARE(Cell(sales, 0, 4), QStringLiteral("13,207.64"));  // 17,610.18 × 1,500 / 2,000
    QCOMPARE(Cell(sales, 0, 5), QStringLiteral("14,007.64"));  // 10,005.10 + half of 8,005.08
    QCOMPARE(Cell(sales, 0, 6), QStringLiteral("30.00"));
    QCOMPARE(Cell(sales, 0, 7), QStringLiteral("1,000.09"));
    QCOMPARE(Cell(sales, 0, 8), QStringLiteral("200.09"));
    sales->selectRow(0);
    QCOMPARE(j->Grid4()->rowCount(), 2);
    QCOMPARE(Cell(j->Grid4(), 0, 8), QStringLiteral("20.00"));
    QCOMPARE(Cell(j->Grid4(), 1, 8), QStringLiteral("10.00"));
    QCOMPARE(Cell(j->Grid4(), 1, 7), QStringLiteral("10%"));
    // The year and the whole journal.
    QCOMPARE(j->Grid5()->rowCount(), 2);
    QCOMPARE(Cell(j->Grid5(), 0, 0), QStringLiteral("2024"));
    QCOMPARE(Cell(j->Grid5(), 0, 1), QStringLiteral("1,000.09"));
    QCOMPARE(Cell(j->Grid5(), 1, 0), QStringLiteral("合计"));
    QCOMPARE(Cell(j->Grid5(), 1, 3), QStringLiteral("400.00"));
    QCOMPARE(Cell(j->Grid5(), 1, 4), QStringLiteral("30.00"));

    // Undo the sale: the holdings follow.
    j->Command(2)->click();
    QCOMPARE(Cell(holdings, 0, Form9::HShares), QStringLiteral("2,000"));
    QCOMPARE(j->Grid3()->rowCount(), 0);

    // The journal is on disk, beside QCAL.INI, held by this window.
    qcal::settings::JournalStore store;
    QCOMPARE(store.Open(w.Directory() + QStringLiteral("/journal.db"), 0).state, qcal::settings::JournalStore::Opened::ReadOnlyBusy);
    QCOMPARE(store.Count(), 3);
}

void TestJournalWindow::refusalsNameTheirFieldAndChangeNothing()
{
    qcal::test::MainWindow w;
    Form9* j = OpenAtQuarterPerMille(w);
    QVERIFY(j);
    Add(j, {"2024-03-01", "买入", "10", "1000"});
    QVERIFY(w.boxes.Take().isEmpty());

    struct Case {
        Typed typed;
        QString message;
        int field;
    };
    const Case cases[] = {
        {{"2024-03-02", "买入", "10", "100", "", "60000"}, Str(qcal::msg::kJournalCode), jf::Code},
        {{"2024-03-02", "买入", "10", "100", "", "600000", "9:30"}, Str(qcal::msg::kJournalTime), jf::Time},
        {{"2024-03-02", "买入", "abc", "100"}, QStringLiteral("输入错误，价格必须输入数字，请重新输入       "), jf::Price},
        {{"2024-03-02", "买入", "0", "100"}, QStringLiteral("输入错误，价格必须大于0，请重新输入       "), jf::Price},
        {{"2024-03-02", "买入", "10", "100.5"}, Str(qcal::msg::kJournalQuantity), jf::Quantity},
        {{"2024-03-02", "买入", "10", "100", "-1"}, Str(qcal::msg::kJournalFee), jf::Commission},
        {{"2024-03-02", "红利", "x"}, QStringLiteral("输入错误，每10股派必须输入数字，请重新输入       "), jf::Price},
        // Held 1,000: a sale of more is refused before it is written.
        {{"2024-03-02", "卖出", "11", "1001"},
         Str(qcal::msg::kJournalChangeBreaks) + QStringLiteral("这条记录：") + Str(qcal::msg::kJournalSaleAboveHeld), 0},
        {{"2024-02-01", "红利", "1"},
         Str(qcal::msg::kJournalChangeBreaks) + QStringLiteral("这条记录：") + Str(qcal::msg::kJournalNoShares), 0},
    };
    for (const Case& c : cases) {
        Add(j, c.typed);
        const auto boxes = w.boxes.Take();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, c.message);
        QCOMPARE(j->Model().rowCount(), 1);
        if (c.field != 0)
            QCOMPARE(j->focusWidget(), j->Text(c.field));
    }

    // Deleting the buy would leave its sale without shares.
    Add(j, {"2024-03-05", "卖出", "11", "400"});
    QVERIFY(w.boxes.Take().isEmpty());
    j->Grid1()->selectRow(1);
    QCOMPARE(j->Text(jf::Price)->text(), QStringLiteral("10.00"));  // the row selected fills the frame
    j->Command(5)->click();
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes[0].text.startsWith(Str(qcal::msg::kJournalChangeBreaks) + QStringLiteral("第")), qPrintable(boxes[0].text));
    QCOMPARE(j->Model().rowCount(), 2);
    // Changing it to a smaller buy is refused the same way; to a larger one is done.
    j->Text(jf::Quantity)->setText(QStringLiteral("300"));
    j->Command(4)->click();
    QCOMPARE(w.boxes.Take().size(), 1);
    j->Grid1()->selectRow(1);
    j->Text(jf::Quantity)->setText(QStringLiteral("2000"));
    j->Command(4)->click();
    QVERIFY(w.boxes.Take().isEmpty());
    QCOMPARE(Cell(j, 1, JournalModel::Quantity), QStringLiteral("2,000"));
    QCOMPARE(j->Model().rowCount(), 2);

    // A disk that is full: the change is told as not saved, and nothing changed.
    {
        QSqlQuery q(QSqlDatabase::database(j->Store().ConnectionName()));
        QVERIFY(q.exec(QStringLiteral("PRAGMA page_count")) && q.next());
        QVERIFY(q.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(q.value(0).toInt())));
    }
    j->Text(jf::Note)->setText(QString(20000, QLatin1Char('x')));
    j->Command(3)->click();
    const auto full = w.boxes.Take();
    QCOMPARE(full.size(), 1);
    QCOMPARE(full[0].text, Str(qcal::msg::kJournalWriteFailed));
    QCOMPARE(j->Model().rowCount(), 2);
    j->Command(2)->click();  // the undo is still the last change that was made
    QVERIFY(w.boxes.Take().isEmpty());
    QCOMPARE(Cell(j, 1, JournalModel::Quantity), QStringLiteral("1,000"));
}

// The product and its fees follow the code, whatever the list or the main window's market says;
// the list decides only for a code of no product the program knows.
void TestJournalWindow::theCodeNamesTheProduct()
{
    qcal::test::MainWindow w;
    Form9* j = OpenAtQuarterPerMille(w);
    QVERIFY(j);
    Form1& form = w.form();

    Add(j, {"2024-03-01", "买入", "30", "200", "", "688981"});
    QVERIFY(w.boxes.Take().isEmpty());
    QCOMPARE(Cell(j, 0, JournalModel::Product), Str(qcal::kStar));
    QCOMPARE(j->ProductList()->currentText(), Str(qcal::kStar));

    // A bond bought on the main window, which shows 上海A股: the bonds' commission, 0.2 ‰ of
    // 10,000, and neither transfer fee nor stamp duty.
    RecordMainBuy(form, j, "100", "100", QDate(2024, 3, 4), "113050");
    QVERIFY(w.boxes.Take().isEmpty());
    QCOMPARE(Cell(j, 0, JournalModel::Product), Str(qcal::kBonds));
    QCOMPARE(NewestFees(j), (QStringList{"2.00", "0.00", "0.00", "0.00", "10,002.00"}));

    // A bond's quantity is in 张; bonus shares are shares whatever the product.
    auto* unit = j->findChild<QLabel*>(QStringLiteral("Label17"));
    j->KindList()->setCurrentText(QStringLiteral("买入"));
    j->ProductList()->setCurrentText(Str(qcal::kBonds));
    QCOMPARE(unit->text(), QStringLiteral("张"));
    j->KindList()->setCurrentText(QStringLiteral("送股"));
    QCOMPARE(unit->text(), QStringLiteral("股"));

    // A B share: the list's product.
    j->Grid1()->clearSelection();
    j->EntryDate()->setDate(QDate(2024, 3, 5));
    j->ProductList()->setCurrentText(Str(qcal::kShenzhen));
    j->KindList()->setCurrentText(QStringLiteral("买入"));
    j->Text(jf::Code)->setText(QStringLiteral("900901"));
    j->Text(jf::Price)->setText(QStringLiteral("1"));
    j->Text(jf::Quantity)->setText(QStringLiteral("100"));
    for (jf::Field fee : {jf::Commission, jf::StampDuty, jf::TransferFee, jf::OtherFees})
        j->Text(fee)->clear();
    j->Command(3)->click();
    QVERIFY(w.boxes.Take().isEmpty());
    QCOMPARE(Cell(j, 0, JournalModel::Product), Str(qcal::kShenzhen));
    QCOMPARE(j->Model().rowCount(), 3);
}

void TestJournalWindow::aJournalThatCannotBeWrittenSaysWhy_data()
{
    QTest::addColumn<bool>("busy");
    QTest::newRow("another program has it") << true;
    QTest::newRow("the file is damaged") << false;
}

void TestJournalWindow::aJournalThatCannotBeWrittenSaysWhy()
{
    QFETCH(bool, busy);
    qcal::test::MainWindow w;
    const QString path = w.Directory() + QStringLiteral("/journal.db");
    qcal::settings::JournalStore other;
    if (busy) {
        QCOMPARE(other.Open(path).state, qcal::settings::JournalStore::Opened::ReadWrite);
        jf::Entry e{0, "2024-03-01", "", "600000", "上海A股", jf::Kind::Buy, qcal::Money::FromWhole(10), 100,
                    qcal::Money::FromWhole(1000), {}, {}, {}, {}, "", ""};
        QCOMPARE(other.Add(e), qcal::settings::JournalStore::Status::Ok);
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a journal at all");
    }
    Form1& form = w.Open();
    Form9* j = OpenJournal(form);
    QVERIFY(j);
    const auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    auto* status = j->findChild<QLabel*>(QStringLiteral("Label15"));
    if (busy) {
        QCOMPARE(boxes[0].text, Str(qcal::msg::kJournalBusy));
        QCOMPARE(j->Model().rowCount(), 1);  // shown all the same
        QVERIFY(!j->Command(3)->isEnabled());
        QVERIFY(!j->Command(1)->isEnabled());
        QVERIFY(status->text().contains(QStringLiteral("只能查看")));
    } else {
        QVERIFY2(boxes[0].text.startsWith(QStringLiteral("交易记录文件已损坏或不是交易记录，原文件已改名保存为")),
                 qPrintable(boxes[0].text));
        QVERIFY(boxes[0].text.contains(QStringLiteral("journal.db.damaged-")));
        QVERIFY(j->Command(3)->isEnabled());
        Add(j, {"2024-03-01", "买入", "10", "1000"});
        QVERIFY(w.boxes.Take().isEmpty());
        QCOMPARE(j->Model().rowCount(), 1);
    }
}

void TestJournalWindow::exportsInBothEncodings()
{
    qcal::test::MainWindow w;
    Form9* j = OpenAtQuarterPerMille(w);
    QVERIFY(j);
    Add(j, {"2024-03-01", "买入", "10", "1000"});
    Add(j, {"2024-07-25", "卖出", "9.5", "500", "", "600000", "14:55", "=1+1，第一笔"});
    QVERIFY(w.boxes.Take().isEmpty());

    const QString journal = w.Directory() + QStringLiteral("/交易记录.csv");
    QVERIFY(j->ExportJournal(journal, qcal::settings::CsvEncoding::Gbk));
    QFile file(journal);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    const QStringList lines = QString(gbk.decode(file.readAll())).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 4);  // heading, two entries, the empty end
    QVERIFY(lines[0].startsWith(QStringLiteral("记录号,日期,时间,代码,品种,类别,价格,数量,金额,佣金")));
    QCOMPARE(lines[1], QStringLiteral("1,2024-03-01,,600000,上海A股,买入,10.00,1000,10000.00,5.00,0.00,0.10,0.00,10005.10,,"));
    // A note a spreadsheet would take for a formula stays text.
    QVERIFY2(lines[2].startsWith(QStringLiteral("2,2024-07-25,14:55,600000,")), qPrintable(lines[2]));
    QVERIFY2(lines[2].endsWith(QStringLiteral(",'=1+1，第一笔,")), qPrintable(lines[2]));
    file.close();
    const QByteArray exported = qcal::settings::test::Bytes(journal);

    const QString holdings = w.Directory() + QStringLiteral("/持仓.csv");
    QVERIFY(j->ExportHoldings(holdings, qcal::settings::CsvEncoding::Utf8WithMark));
    QFile held(holdings);
    QVERIFY(held.open(QIODevice::ReadOnly));
    const QByteArray bytes = held.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QVERIFY(QString::fromUtf8(bytes).contains(QStringLiteral("600000,上海A股,500,5002.55,10.006,10.006,")));

    // A character GBK lacks is refused with a message, not turned into "?".
    Add(j, {"2024-08-01", "买入", "10", "100"});
    j->Grid1()->selectRow(0);
    j->Text(jf::Note)->setText(QStringLiteral("📈"));
    j->Command(4)->click();
    QVERIFY(w.boxes.Take().isEmpty());
    QVERIFY(!j->ExportJournal(journal, qcal::settings::CsvEncoding::Gbk));
    QCOMPARE(w.boxes.Take().front().text, Str(qcal::msg::kJournalNotGbk));
    QCOMPARE(qcal::settings::test::Bytes(journal), exported);
}

QTEST_MAIN(TestJournalWindow)
#include "test_journal_window.moc"
