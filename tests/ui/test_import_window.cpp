// A broker's statement through the journal window, on real files: the preview of each sample
// statement against its sidecar (every row's fate), cancel and re-import (nothing changed, then
// everything found twice), the column mapping asked once and remembered, a file that is no
// statement told by name, and the audit page and its CSV against the sidecar's planted errors.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <map>
#include <optional>
#include <vector>

#include "core/broker_terms.h"
#include "core/captions.h"
#include "core/fee_audit.h"
#include "core/messages.h"
#include "core/numtext.h"
#include "core/picture.h"
#include "core/statement.h"
#include "settings/statement_settings.h"
#include "settings/statement_text.h"
#include "support/ui_fixture.h"
#include "ui/main/form1.h"
#include "ui/main/form10.h"
#include "ui/tools/audit_model.h"
#include "ui/tools/form11.h"
#include "ui/tools/form12.h"
#include "ui/tools/form9.h"
#include "ui/tools/import_model.h"
#include "ui/tools/journal_model.h"

using qcal::Money;
using qcal::test::Str;
using qcal::ui::Form1;
using qcal::ui::Form11;
using qcal::ui::Form12;
using qcal::ui::Form9;
namespace st = qcal::statement;

namespace {

QString Sample(const QString& name) { return QStringLiteral(QCAL_TEST_DATA "/statements/") + name; }

// What a sample's sidecar says: the broker's terms, each trade's right fees and the one planted
// error it may carry, the rows skipped and why.
struct Sidecar {
    QString rate;
    QString minimum;
    bool feesInside = true;
    struct Trade {
        std::size_t line = 0;
        Money fees[qcal::audit::kFeeKinds];
        std::optional<std::pair<std::size_t, Money>> error;  // the fee charged wrongly and what was charged
    };
    std::vector<Trade> trades;
    std::map<std::size_t, QString> skips;
};

Money Figure(const QString& text)
{
    const auto money = qcal::ParseMoney(text.trimmed().remove(QLatin1Char(',')).toStdString());
    if (!money)
        qFatal("not a figure: %s", qPrintable(text));
    return *money;
}

Sidecar ReadSidecar(const QString& statement)
{
    QFile file(Sample(statement).section(QLatin1Char('.'), 0, -2) + QStringLiteral(".expected"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("no sidecar for %s", qPrintable(statement));
    Sidecar sidecar;
    const QStringList feeNames = {"commission", "stamp", "transfer", "other"};
    for (const QString& raw : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QStringList words = raw.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty() || words[0].startsWith(QLatin1Char('#')))
            continue;
        std::map<QString, QString> named;
        for (const QString& word : words) {
            if (word.contains(QLatin1Char('=')))
                named[word.section(QLatin1Char('='), 0, 0)] = word.section(QLatin1Char('='), 1);
        }
        if (words[0] == QStringLiteral("account")) {
            sidecar.rate = named["rate"];
            sidecar.minimum = named["minimum"];
            sidecar.feesInside = named["fees-inside"] == QStringLiteral("yes");
        } else if (words[0] == QStringLiteral("skip")) {
            sidecar.skips[words[1].toULong()] = words[2];
        } else if (words[0] == QStringLiteral("trade")) {
            Sidecar::Trade trade;
            trade.line = words[1].toULong();
            for (std::size_t f = 0; f < qcal::audit::kFeeKinds; ++f)
                trade.fees[f] = Figure(words[2 + static_cast<int>(f)]);
            if (named.count("error"))
                trade.error = std::pair{static_cast<std::size_t>(feeNames.indexOf(named["field"])), Figure(named["charged"])};
            sidecar.trades.push_back(trade);
        }
    }
    return sidecar;
}

template <class Dialog>
Dialog* Shown(QWidget* over)
{
    // One closed a moment ago may wait for its deletion.
    for (Dialog* dialog : over->findChildren<Dialog*>()) {
        if (dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

// The main window under the current rules with the sidecar's broker terms (a minimum of 0.00 is
// 免五), and the journal opened from it.
Form9* OpenWithTerms(qcal::test::MainWindow& w, const Sidecar& sidecar)
{
    Form1& form = w.Open();
    form.Action("QSFL")->trigger();
    auto* terms = Shown<qcal::ui::Form10>(&form);
    if (!terms)
        return nullptr;
    const bool waived = Figure(sidecar.minimum).Raw() == 0;
    for (auto [rate, minimum] : {std::pair{qcal::broker::SharesRate, qcal::broker::SharesMinimum},
                                 std::pair{qcal::broker::FundsRate, qcal::broker::FundsMinimum}}) {
        terms->Text(rate)->setText(sidecar.rate);
        terms->Text(minimum)->setText(waived ? QStringLiteral("5") : sidecar.minimum);
    }
    terms->Check(1)->setChecked(!sidecar.feesInside);
    terms->Check(2)->setChecked(waived);
    terms->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    if (Shown<qcal::ui::Form10>(&form))
        return nullptr;
    form.Action("JYJL")->trigger();
    auto* journal = qobject_cast<Form9*>(form.SideWindow(qcal::ui::JournalWindow).data());
    if (journal)
        qcal::test::Activate(journal);
    return journal;
}

// Each row of the preview (all of them shown): its line and the text of its fate.
std::map<std::size_t, QString> Fates(Form11* preview)
{
    std::map<std::size_t, QString> fates;
    qcal::ui::ImportModel& model = preview->Model();
    for (int row = 0; row < model.rowCount(); ++row) {
        fates[model.data(model.index(row, qcal::ui::ImportModel::Line), Qt::DisplayRole).toString().toULong()] =
            model.data(model.index(row, qcal::ui::ImportModel::Fate), Qt::DisplayRole).toString();
    }
    return fates;
}

Form11* Preview(Form9* journal, const QString& path)
{
    journal->ImportStatement(path);
    return Shown<Form11>(journal);
}

// A copy of a sample in the test's directory with one header cell renamed.
QString WithHeaderCell(const QString& dir, const QString& sample, const QString& from, const QString& to)
{
    QFile in(Sample(sample));
    in.open(QIODevice::ReadOnly);
    QByteArray bytes = in.readAll();
    bytes.replace(from.toUtf8(), to.toUtf8());
    const QString path = QDir(dir).filePath(QStringLiteral("renamed-") + sample);
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    out.write(bytes);
    return path;
}

} // namespace

class TestImportWindow : public QObject {
    Q_OBJECT
private slots:
    void thePreviewShowsEveryRowsFate_data();
    void thePreviewShowsEveryRowsFate();
    void cancelChangesNothingAndASecondImportFindsEveryRowTwice();
    void aMappingIsAskedOnceAndRemembered();
    void aFileThatIsNoStatementIsToldByName();
    void theAuditListsThePlantedErrorsAndExportsThem_data();
    void theAuditListsThePlantedErrorsAndExportsThem();
};

void TestImportWindow::thePreviewShowsEveryRowsFate_data()
{
    QTest::addColumn<QString>("sample");
    QTest::addColumn<QString>("encoding");
    QTest::newRow("UTF-8 with a mark, commas") << "layout-a.csv" << "UTF-8";
    QTest::newRow("GBK, tabs") << "layout-b.txt" << "GBK";
    QTest::newRow("UTF-8, events and transfers") << "layout-c.csv" << "UTF-8";
}

// Every trade of the sidecar is imported, every skipped row says the reader's reason; the filter
// keeps each kind apart; cancelling leaves the journal empty.
void TestImportWindow::thePreviewShowsEveryRowsFate()
{
    QFETCH(QString, sample);
    QFETCH(QString, encoding);
    const Sidecar sidecar = ReadSidecar(sample);
    qcal::test::MainWindow w(qcal::test::MainWindow::Start::FirstStart);
    Form9* journal = OpenWithTerms(w, sidecar);
    QVERIFY(journal);
    Form11* preview = Preview(journal, Sample(sample));
    QVERIFY(preview);
    QCOMPARE(preview->Combo(1)->currentText(), encoding);

    const auto fates = Fates(preview);
    for (const Sidecar::Trade& trade : sidecar.trades)
        QCOMPARE(fates.at(trade.line), QStringLiteral("导入"));
    for (const auto& [line, word] : sidecar.skips)
        QVERIFY2(fates.at(line).startsWith(QStringLiteral("跳过：") + word), qPrintable(fates.at(line)));
    // Nothing else is skipped or found twice in a journal that is empty: the rest are events.
    const std::size_t others = fates.size() - sidecar.trades.size() - sidecar.skips.size();
    const st::ImportPlan& plan = preview->Model().Plan();
    QCOMPARE(plan.trades, sidecar.trades.size());
    QCOMPARE(plan.events, others);
    QCOMPARE(plan.skipped, sidecar.skips.size());
    QCOMPARE(plan.duplicates, std::size_t{0});
    QCOMPARE(preview->Label(6)->text(), Str(st::SummaryText(plan)));

    const std::pair<int, std::size_t> shown[] = {{1, sidecar.trades.size() + others}, {2, sidecar.skips.size()}, {3, 0}, {0, fates.size()}};
    for (const auto& [choice, rows] : shown) {
        preview->Combo(2)->setCurrentIndex(choice);
        QCOMPARE(static_cast<std::size_t>(preview->Grid1()->model()->rowCount()), rows);
    }

    preview->Command(2)->click();
    QVERIFY(!Shown<Form11>(journal));
    QCOMPARE(journal->Model().rowCount(), 0);
    QVERIFY(w.boxes.Take().isEmpty());
}

// Importing a statement is one change: the summary told, the audit shown for its planted errors,
// one 撤销 takes all of it back. A preview cancelled over a full journal changes nothing, and the
// same statement again is found twice row for row, with nothing left to import.
void TestImportWindow::cancelChangesNothingAndASecondImportFindsEveryRowTwice()
{
    const Sidecar sidecar = ReadSidecar(QStringLiteral("layout-a.csv"));
    qcal::test::MainWindow w(qcal::test::MainWindow::Start::FirstStart);
    Form9* journal = OpenWithTerms(w, sidecar);
    QVERIFY(journal);
    const int trades = static_cast<int>(sidecar.trades.size());

    for (int round = 0; round < 2; ++round) {
        Form11* preview = Preview(journal, Sample(QStringLiteral("layout-a.csv")));
        QVERIFY(preview);
        const std::string summary = st::SummaryText(preview->Model().Plan());
        preview->Command(1)->click();
        QVERIFY(!Shown<Form11>(journal));
        const auto boxes = w.boxes.Take();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, Str(qcal::FillIn(qcal::msg::kImportDone, {summary})));
        QCOMPARE(journal->Model().rowCount(), trades);
        QCOMPARE(journal->Tabs()->currentIndex(), int(Form9::AuditPage));
        if (round == 0) {
            journal->Command(2)->click();  // 撤销
            QCOMPARE(journal->Model().rowCount(), 0);
        }
    }

    Form11* again = Preview(journal, Sample(QStringLiteral("layout-a.csv")));
    QVERIFY(again);
    const auto fates = Fates(again);
    for (const Sidecar::Trade& trade : sidecar.trades)
        QVERIFY2(fates.at(trade.line).startsWith(QStringLiteral("重复：")), qPrintable(fates.at(trade.line)));
    QCOMPARE(again->Model().Plan().duplicates, sidecar.trades.size());
    QVERIFY(!again->Command(1)->isEnabled());
    again->Combo(2)->setCurrentIndex(3);
    QCOMPARE(again->Grid1()->model()->rowCount(), trades);
    QTest::keyClick(again, Qt::Key_Escape);
    QVERIFY(!Shown<Form11>(journal));
    QCOMPARE(journal->Model().rowCount(), trades);
    QVERIFY(w.boxes.Take().isEmpty());
}

// A header whose business column has a name the reader does not know: the mapping dialog starts
// from the columns found, refuses to go on without the needed one, reads the file with the
// choice, and the next file with that header is read with it without asking.
void TestImportWindow::aMappingIsAskedOnceAndRemembered()
{
    const Sidecar sidecar = ReadSidecar(QStringLiteral("layout-a.csv"));
    qcal::test::MainWindow w(qcal::test::MainWindow::Start::FirstStart);
    Form9* journal = OpenWithTerms(w, sidecar);
    QVERIFY(journal);
    const QString path = WithHeaderCell(w.Directory(), QStringLiteral("layout-a.csv"), QStringLiteral(",操作,"),
                                        QStringLiteral(",动作XYZ,"));

    journal->ImportStatement(path);
    QVERIFY(!Shown<Form11>(journal));
    Form12* mapping = Shown<Form12>(journal);
    QVERIFY(mapping);
    QCOMPARE(mapping->ComboOf(st::Field::Kind)->currentIndex(), -1);
    QCOMPARE(mapping->ComboOf(st::Field::Code)->currentIndex(), 2);  // found by its name
    QCOMPARE(mapping->ComboOf(st::Field::Commission)->currentText(), QStringLiteral("第10列：手续费"));
    mapping->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    auto boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, Str(qcal::FillIn(qcal::msg::kMappingNeeded, {st::FieldCaption(st::Field::Kind)})));
    // Two fields in one column are refused too.
    mapping->ComboOf(st::Field::Kind)->setCurrentIndex(3);
    mapping->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    boxes = w.boxes.Take();
    QCOMPARE(boxes.size(), 1);
    QVERIFY(Shown<Form12>(journal));
    QVERIFY(!Shown<Form11>(journal));

    mapping->ComboOf(st::Field::Kind)->setCurrentIndex(4);
    mapping->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    QVERIFY(!Shown<Form12>(journal));
    Form11* preview = Shown<Form11>(journal);
    QVERIFY(preview);
    QCOMPARE(preview->Model().Plan().trades, sidecar.trades.size());
    preview->Command(2)->click();

    const auto header = qcal::settings::ReadStatementFile(path).statement.columns;
    const auto remembered = qcal::settings::RememberedColumnMap(QDir(w.Directory()).filePath(QStringLiteral("QCAL.INI")), header);
    QVERIFY(remembered);
    QCOMPARE((*remembered)[st::Field::Kind], 4);

    preview = Preview(journal, path);
    QVERIFY(!Shown<Form12>(journal));
    QVERIFY(preview);
    QCOMPARE(preview->Model().Plan().trades, sidecar.trades.size());
    preview->Command(2)->click();
    QCOMPARE(journal->Model().rowCount(), 0);
    QVERIFY(w.boxes.Take().isEmpty());
}

void TestImportWindow::aFileThatIsNoStatementIsToldByName()
{
    qcal::test::MainWindow w(qcal::test::MainWindow::Start::FirstStart);
    Form1& form = w.Open();
    form.Action("JYJL")->trigger();
    auto* journal = qobject_cast<Form9*>(form.SideWindow(qcal::ui::JournalWindow).data());
    QVERIFY(journal);
    const QString missing = QDir(w.Directory()).filePath(QStringLiteral("没有这个文件.csv"));
    const QString empty = QDir(w.Directory()).filePath(QStringLiteral("空的.csv"));
    QFile(empty).open(QIODevice::WriteOnly);
    for (const QString& path : {missing, empty}) {
        journal->ImportStatement(path);
        QVERIFY(!Shown<Form11>(journal) && !Shown<Form12>(journal));
        const auto boxes = w.boxes.Take();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].text.contains(QDir::toNativeSeparators(path)), qPrintable(boxes[0].text));
    }
    QCOMPARE(journal->Model().rowCount(), 0);
}

void TestImportWindow::theAuditListsThePlantedErrorsAndExportsThem_data()
{
    QTest::addColumn<QString>("sample");
    for (const char* sample : {"layout-a.csv", "layout-b.txt", "layout-c.csv"})
        QTest::newRow(sample) << QString::fromLatin1(sample);
}

// The audit page with the filter on lists exactly the sidecar's planted errors, each with what was
// charged and what the rules give; the summary adds them up; the CSV says the same; and without
// the filter every fee of every trade is there.
void TestImportWindow::theAuditListsThePlantedErrorsAndExportsThem()
{
    QFETCH(QString, sample);
    const Sidecar sidecar = ReadSidecar(sample);
    qcal::test::MainWindow w(qcal::test::MainWindow::Start::FirstStart);
    Form9* journal = OpenWithTerms(w, sidecar);
    QVERIFY(journal);
    Form11* preview = Preview(journal, Sample(sample));
    QVERIFY(preview);
    preview->Command(1)->click();
    QCOMPARE(w.boxes.Take().size(), 1);
    QCOMPARE(journal->Tabs()->currentIndex(), int(Form9::AuditPage));

    // The errors as the sidecar plants them: date, code, fee, charged, computed.
    const st::Statement statement = qcal::settings::ReadStatementFile(Sample(sample)).statement;
    const auto recordAt = [&statement](std::size_t line) -> const st::Record& {
        for (const st::Record& r : statement.records)
            if (r.line == line)
                return r;
        qFatal("no row at line %zu", line);
    };
    QStringList expected;
    Money tooMuch, tooLittle;
    for (const Sidecar::Trade& trade : sidecar.trades) {
        if (!trade.error)
            continue;
        const auto [fee, charged] = *trade.error;
        const Money computed = trade.fees[fee];
        const st::Record& record = recordAt(trade.line);
        (charged > computed ? tooMuch : tooLittle) += charged > computed ? charged - computed : computed - charged;
        expected << QStringList{Str(record.date), Str(record.code), Str(qcal::audit::FeeName(static_cast<qcal::audit::FeeKind>(fee))),
                                Str(qcal::FormatPicture(charged, qcal::kExactAmountPicture)),
                                Str(qcal::FormatPicture(computed, qcal::kExactAmountPicture))}
                        .join(QLatin1Char('|'));
    }
    const std::size_t differing = static_cast<std::size_t>(expected.size());

    journal->Check1()->setChecked(true);
    QAbstractItemModel* rows = journal->Grid6()->model();
    QStringList listed;
    for (int row = 0; row < rows->rowCount(); ++row) {
        const auto cell = [&](int column) { return rows->data(rows->index(row, column), Qt::DisplayRole).toString(); };
        using A = qcal::ui::AuditModel;
        listed << QStringList{cell(A::Date), cell(A::Code), cell(A::Fee), cell(A::Charged), cell(A::Computed)}.join(QLatin1Char('|'));
        QCOMPARE(Figure(cell(A::Difference)), Figure(cell(A::Charged)) - Figure(cell(A::Computed)));
        QVERIFY2(!cell(A::Cause).isEmpty(), qPrintable(listed.back()));
    }
    listed.sort();
    expected.sort();
    QCOMPARE(listed, expected);
    QCOMPARE(journal->AuditSummary()->text(),
             Str(qcal::FillIn(qcal::caption::kAuditSummary,
                              {std::to_string(sidecar.trades.size()), qcal::FormatPicture(tooMuch, qcal::kExactAmountPicture),
                               qcal::FormatPicture(tooLittle, qcal::kExactAmountPicture), std::to_string(differing)})));

    // Without the filter: a row per fee charged of every trade (each sample gives all four).
    journal->Check1()->setChecked(false);
    QCOMPARE(static_cast<std::size_t>(rows->rowCount()), sidecar.trades.size() * qcal::audit::kFeeKinds);

    // The CSV: its header, a line per planted error, the totals.
    const QString csv = QDir(w.Directory()).filePath(QStringLiteral("核对.csv"));
    QVERIFY(journal->ExportAudit(csv, qcal::settings::CsvEncoding::Utf8WithMark));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), static_cast<qsizetype>(differing + 2));
    QCOMPARE(lines.front(), QStringLiteral("成交日期,证券代码,买卖,费用,实收,应收,差额"));
    const QStringList totals = lines.back().split(QLatin1Char(','));
    QCOMPARE(totals.size(), 7);
    QCOMPARE(totals[0] + totals[1] + totals[3] + totals[5], QStringLiteral("合计多收少收笔数"));
    QCOMPARE(Figure(totals[2]), tooMuch);
    QCOMPARE(Figure(totals[4]), tooLittle);
    QCOMPARE(totals[6].toULong(), differing);
    QStringList written;
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        const QStringList f = lines[i].split(QLatin1Char(','));
        QCOMPARE(f.size(), 7);
        QCOMPARE(Figure(f[6]), Figure(f[4]) - Figure(f[5]));
        written << QStringList{f[0], f[1], f[3], Str(qcal::FormatPicture(Figure(f[4]), qcal::kExactAmountPicture)),
                               Str(qcal::FormatPicture(Figure(f[5]), qcal::kExactAmountPicture))}
                       .join(QLatin1Char('|'));
    }
    written.sort();
    QCOMPARE(written, expected);
    QVERIFY(w.boxes.Take().isEmpty());
}

QTEST_MAIN(TestImportWindow)
#include "test_import_window.moc"
