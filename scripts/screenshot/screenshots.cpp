// Draws the pictures of the README and the user guide from the real windows, each in the state of
// the guide's examples, typed the way a user would. Run by scripts/screenshots on an X display, so
// that the windows are rendered as on a desktop.
//
//   qcal_screenshots DIR     writes DIR/main-window.png, DIR/batch-buy.png, … and exits

#include <cstdio>
#include <functional>
#include <map>
#include <random>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "core/fees.h"
#include "core/journal_fees.h"
#include "settings/journal_store.h"
#include "support/ui_fixture.h"
#include "tests/core/journal_draw.h"
#include "ui/common/text.h"
#include "ui/main/form1.h"
#include "ui/common/field_checks.h"
#include "ui/main/module1.h"
#include "ui/tools/batch_window.h"
#include "ui/tools/form5.h"
#include "ui/tools/form6.h"
#include "ui/tools/form7.h"
#include "ui/tools/form8.h"
#include "ui/tools/form11.h"
#include "ui/tools/form9.h"
#include "ui/tools/side_windows.h"

namespace {

using qcal::test::PressEnter;
using qcal::test::TypeInto;
using qcal::ui::Form1;

QString g_dir;
int g_failures = 0;

void Enter(QLineEdit* field, const QString& text)
{
    TypeInto(field, text);
    PressEnter(field);
}

// Waits for the last focus change's select-all, clears every selection and saves the window.
void Save(QWidget* window, const char* name)
{
    QTest::qWait(150);
    for (auto* field : window->findChildren<QLineEdit*>())
        field->deselect();
    const QString path = g_dir + QLatin1Char('/') + QLatin1String(name);
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
        ++g_failures;
        return;
    }
    std::printf("wrote %s\n", qPrintable(path));
}

// Each picture on a main window of its own, on settings of its own: the program's own rules unless
// the scene ticks the current ones.
void Scene(const std::function<void(Form1&)>& draw)
{
    QTemporaryDir dir;
    Form1 form(dir.path());
    form.Check(qcal::ui::CurrentRulesCheck)->setChecked(false);
    form.show();
    qcal::test::Activate(&form);
    form.Form_Activate();
    draw(form);
}

void UseRates(Form1& form, const char* commission, const char* stampDuty, std::string_view market)
{
    form.Combo(qcal::ui::CommissionCombo)->setEditText(QString::fromLatin1(commission));
    form.Combo(qcal::ui::StampDutyCombo)->setCurrentText(QString::fromLatin1(stampDuty));
    form.Combo(qcal::ui::MarketCombo)->setCurrentText(qcal::ui::Q(market));
}

template <typename Window>
Window* Open(Form1& form, qcal::ui::SideWindowId id)
{
    auto* window = qobject_cast<Window*>(qcal::ui::OpenSideWindow(form, id));
    qcal::test::Activate(window);
    return window;
}

void Type(QWidget* window, std::initializer_list<const char*> texts)
{
    auto* side = qobject_cast<qcal::ui::SideWindow*>(window);
    int field = 1;
    for (const char* text : texts)
        Enter(side->Text(field++), QString::fromLatin1(text));
}

// A journal of a few hundred trades in lots of 100 over two years, five codes, the fees those of
// the current rules at 0.25 ‰, a few typed as charged.
void FillJournal(const QString& path)
{
    std::mt19937_64 rng(3);
    auto entries = qcal::test::DrawJournal(rng, {300, 5, 30, 700, 6, false});
    const qcal::FeeSettings broker{"0.25", "1", std::string(qcal::kShanghai), qcal::FeeRules::Current, false};
    for (qcal::journal::Entry& e : entries) {
        e.date.replace(0, 4, std::to_string(std::stoi(e.date.substr(0, 4)) + 4));
        // The drawn codes 600000, 600007, … stand for five securities of the five boards.
        static const std::map<std::string, std::pair<const char*, const char*>> kSecurities = {
            {"600000", {"600036", "上海A股"}}, {"600007", {"601318", "上海A股"}}, {"600014", {"000001", "深圳A股"}},
            {"600021", {"300750", "创业板"}},  {"600028", {"688981", "科创板"}}};
        const auto& [code, product] = kSecurities.at(e.code);
        e.code = code;
        e.product = product;
        if (e.kind == qcal::journal::Kind::Buy || e.kind == qcal::journal::Kind::Sell) {
            e.quantity *= 100;
            e.amount = e.price.TimesWhole(e.quantity);
            const bool typed = e.commission.typed;
            e.commission = e.stampDuty = e.transferFee = e.otherFees = {};
            if (typed)
                e.commission = {qcal::Money::FromWhole(5), true};
            qcal::journal::FillComputedFees(e, broker);
        } else {
            e.quantity = 0;
        }
    }
    // Lots of 100 change what the bonus shares come to: the few entries that no longer add up go.
    while (const auto refused = qcal::journal::ComputeHoldings(entries).refusal) {
        std::erase_if(entries, [&](const qcal::journal::Entry& e) { return e.id == refused->entryId; });
    }
    for (qcal::journal::Entry& e : entries)
        e.id = 0;
    qcal::settings::JournalStore store;
    store.Open(path);
    store.Import(entries);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    qcal::ui::Module1::InputValid = 0;
    if (argc != 2) {
        std::fprintf(stderr, "usage: qcal_screenshots DIR\n");
        return 2;
    }
    g_dir = QString::fromLocal8Bit(argv[1]);

    // The worked example: buy 1,000 at 10, sell them at 11.
    Scene([](Form1& form) {
        UseRates(form, "3.0", "3", qcal::kShanghai);
        Enter(form.Text(qcal::BuyPrice), QStringLiteral("10"));
        Enter(form.Text(qcal::BuyQuantity), QStringLiteral("1000"));
        Enter(form.Text(qcal::SellPrice), QStringLiteral("11"));
        PressEnter(form.Text(qcal::SellQuantity));
        Save(&form, "main-window.png");
    });

    // The same under the current rules.
    Scene([](Form1& form) {
        UseRates(form, "3.0", "3", qcal::kShanghai);
        form.Check(qcal::ui::CurrentRulesCheck)->setChecked(true);
        Enter(form.Text(qcal::BuyPrice), QStringLiteral("10"));
        Enter(form.Text(qcal::BuyQuantity), QStringLiteral("1000"));
        Enter(form.Text(qcal::SellPrice), QStringLiteral("11"));
        PressEnter(form.Text(qcal::SellQuantity));
        Save(&form, "current-rules.png");
    });

    Scene([](Form1& form) {
        UseRates(form, "3.0", "1", qcal::kShanghai);
        auto* buy = Open<qcal::ui::BatchWindow>(form, qcal::ui::BatchBuyWindow);
        Type(buy, {"10.12", "1000", "10.13", "501", "10.2", "1550"});
        Save(buy, "batch-buy.png");
        buy->Command1()->click();

        auto* sell = Open<qcal::ui::BatchWindow>(form, qcal::ui::BatchSellWindow);
        Type(sell, {"12", "500", "12.55", "1200", "13.0888", "800"});
        Save(sell, "batch-sell.png");
        sell->Command1()->click();
    });

    Scene([](Form1& form) {
        UseRates(form, "3.0", "3", qcal::kShanghai);
        auto* converter = Open<qcal::ui::Form5>(form, qcal::ui::ConverterWindow);
        Type(converter, {"10000", "10"});
        converter->Command(2)->setFocus();
        Save(converter, "converter.png");
        converter->close();

        auto* mini = Open<qcal::ui::Form6>(form, qcal::ui::MiniWindow);
        Type(mini, {"10", "1000"});
        mini->Check1()->setChecked(true);
        Save(mini, "mini.png");
        mini->close();

        auto* about = Open<qcal::ui::SideWindow>(form, qcal::ui::AboutWindow);
        Save(about, "about.png");
        about->close();
    });
    // The target-price window over the worked example's purchase, aiming at 5 %.
    Scene([](Form1& form) {
        UseRates(form, "3.0", "3", qcal::kShanghai);
        Enter(form.Text(qcal::BuyPrice), QStringLiteral("10"));
        Enter(form.Text(qcal::BuyQuantity), QStringLiteral("1000"));
        auto* target = Open<qcal::ui::SideWindow>(form, qcal::ui::TargetWindow);
        Enter(target->Text(qcal::target::Yield), QStringLiteral("5"));
        Save(target, "target.png");
        target->close();
    });
    // 补仓与做T on the worked example's holding, under the current rules.
    Scene([](Form1& form) {
        UseRates(form, "3.0", "3", qcal::kShanghai);
        form.Check(qcal::ui::CurrentRulesCheck)->setChecked(true);
        Enter(form.Text(qcal::BuyPrice), QStringLiteral("10"));
        Enter(form.Text(qcal::BuyQuantity), QStringLiteral("1000"));
        auto* window = Open<qcal::ui::SideWindow>(form, qcal::ui::AverageDownWindow);
        Enter(window->Text(qcal::position::Price), QStringLiteral("8"));
        Enter(window->Text(qcal::position::TargetCost), QStringLiteral("9"));
        Enter(window->Text(qcal::position::TripShares), QStringLiteral("500"));
        Enter(window->Text(qcal::position::SellPrice), QStringLiteral("10.5"));
        Enter(window->Text(qcal::position::BuyBackPrice), QStringLiteral("10.2"));
        Save(window, "average-down.png");
        window->close();
    });
    // The journal window on a few hundred trades; then its holdings, a code and a sale selected.
    Scene([](Form1& form) {
        UseRates(form, "0.25", "1", qcal::kShanghai);
        form.Check(qcal::ui::CurrentRulesCheck)->setChecked(true);
        FillJournal(form.JournalPath());
        auto* journal = Open<qcal::ui::Form9>(form, qcal::ui::JournalWindow);
        journal->Grid1()->selectRow(2);
        Save(journal, "journal.png");
        journal->Tabs()->setCurrentIndex(1);
        journal->Grid2()->selectRow(1);
        journal->Grid3()->selectRow(0);
        Save(journal, "journal-holdings.png");
        journal->close();
    });
    // A statement with transfers, interest, events and two fees charged wrongly: its preview, then,
    // imported, the audit of every fee it charged (commission 0.2 ‰, at least 5.00, 规费 inside).
    Scene([](Form1& form) {
        UseRates(form, "0.2", "1", qcal::kShanghai);
        form.Check(qcal::ui::CurrentRulesCheck)->setChecked(true);
        auto* journal = Open<qcal::ui::Form9>(form, qcal::ui::JournalWindow);
        // Under a name a user's download would have, not the source tree's path.
        QTemporaryDir files;
        const QString statement = QDir(files.path()).filePath(QStringLiteral("交割单20231231.csv"));
        QFile::copy(QStringLiteral(QCAL_TEST_DATA "/statements/layout-c.csv"), statement);
        journal->ImportStatement(statement);
        auto* preview = journal->findChild<qcal::ui::Form11*>();
        if (!preview) {
            std::fprintf(stderr, "the import preview did not open\n");
            ++g_failures;
            return;
        }
        Save(preview, "import.png");
        qcal::test::BoxCatcher summary;
        preview->Command(1)->click();
        summary.Take();
        Save(journal, "audit.png");
        journal->close();
    });
    return g_failures == 0 ? 0 : 1;
}
