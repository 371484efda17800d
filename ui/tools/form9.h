#pragma once
// The trade journal window (交易记录): the investor's trades and corporate actions, newest first,
// kept in journal.db beside QCAL.INI; a frame to add, change and delete them (fees left empty are
// computed by the fee rules, fees typed are kept as charged); the main window's buy and sale
// recorded in one click; one step of undo; and what the journal comes to per code: the shares
// held, the money invested, the cost by both methods, the break-even, the profit of every sale and
// of every year, the dividend tax each sale costs and the lots behind it. Exports both as CSV.
// Imports a broker's statement (导入交割单…: the column mapping when needed, a preview, one
// transaction), and audits every fee charged against the rules (the 费用核对 page, exported as CSV).
// Opened from 其他功能 without blocking; the main window stays in sight.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/journal.h"
#include "core/journal_csv.h"
#include "core/journal_fields.h"
#include "core/statement.h"
#include "core/statement_import.h"
#include "settings/csv_file.h"
#include "settings/journal_store.h"
#include "ui/tools/side_window.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QTabWidget;
class QTableView;
class QTableWidget;

namespace qcal::ui {

class AuditModel;
class JournalModel;

class Form9 : public SideWindow {
    Q_OBJECT
public:
    explicit Form9(MainLink& main);
    ~Form9() override;

    // Text(1) … Text(9) as journal::Field names them, Text(10) the current price of the holding
    // selected. Command(1) 记入主窗口的交易, Command(2) 撤销, Command(3) 新增, Command(4) 修改,
    // Command(5) 删除, Command(6) 导出记录, Command(7) 导出持仓, Command(8) 返回, Command(9) 导入交割单,
    // Command(10) 导出核对 (on the audit page, with Check1 只显示差额超过0.01的 and the summary Label25).
    QDateEdit* EntryDate() const { return entryDate_; }   // the entry frame's date
    QDateEdit* TradeDate() const { return tradeDate_; }   // the day 记入主窗口的交易 records
    QComboBox* ProductList() const { return product_; }
    QComboBox* KindList() const { return kind_; }
    QTabWidget* Tabs() const { return tabs_; }
    QTableView* Grid1() const { return grid1_; }          // the journal
    QTableWidget* Grid2() const { return holdings_; }     // a row per code
    QTableWidget* Grid3() const { return sales_; }        // the sales of the code selected
    QTableWidget* Grid4() const { return lots_; }         // its lots held, or the lots a sale took
    QTableWidget* Grid5() const { return years_; }        // the totals of every year
    QTableView* Grid6() const { return audit_; }          // the fees charged, fee by fee
    JournalModel& Model() const { return *model_; }
    AuditModel& Audit() const { return *auditModel_; }
    QCheckBox* Check1() const { return onlyDiffering_; }
    QLabel* AuditSummary() const { return auditSummary_; }

    // The pages of Tabs(), in order.
    enum Page { JournalPage, HoldingsPage, AuditPage };
    qcal::settings::JournalStore& Store() { return store_; }

    // The exports the buttons make after their file dialog; false after a message.
    bool ExportJournal(const QString& path, qcal::settings::CsvEncoding encoding);
    bool ExportHoldings(const QString& path, qcal::settings::CsvEncoding encoding);
    bool ExportAudit(const QString& path, qcal::settings::CsvEncoding encoding);

    // What 导入交割单… does with the file chosen: a message for a file that cannot be read as a
    // statement; the column mapping (Form12) when a needed column is not recognised and no mapping
    // remembered fits its header; then the preview (Form11), which imports.
    void ImportStatement(const QString& path);
    void Form_Activate() override;
    // The fee settings changed: the break-evens and the values of the holdings follow.
    void MainChanged() override;

    // Grid2's columns.
    enum HoldingColumn {
        HCode, HProduct, HShares, HInvested, HAverageCost, HFifoCost, HBreakEvenAverage, HBreakEvenFifo, HPrice,
        HProfitAverage, HProfitFifo, HRealisedAverage, HRealisedFifo, HDividends, kHoldingColumns
    };

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildPages();
    void OpenJournal();
    // Settles the background check of the file; false (after a message) when the journal changed
    // under the window, which then shows it anew.
    bool CheckSettled();
    void ShowStatus();

    // The entry frame.
    qcal::journal::EntryFields Fields() const;
    void SetFields(const qcal::journal::EntryFields& fields);
    // The kind or the product chosen: the price's caption, the units, the fields the kind reads.
    void KindChanged();
    void RowSelected();
    void ReportField(const qcal::Outcome& outcome);
    // The entry the frame holds, its fees computed, or nullopt after a message.
    std::optional<qcal::journal::Entry> FrameEntry();

    // The changes: each one transaction, refused (with the message) when it would leave a code's
    // holdings uncomputable that were computable before.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command9_Click();
    bool Acceptable(const std::vector<qcal::journal::Entry>& added, const std::vector<std::int64_t>& removed);
    bool Done(qcal::settings::JournalStore::Status status, std::vector<std::string> codes, std::int64_t select = 0);
    std::vector<std::int64_t> SelectedIds() const;

    // The holdings.
    void ComputeAllHoldings();
    void ComputeHoldings(const std::vector<std::string>& codes);
    void ShowHoldings();
    void ShowHoldingRow(int row, const std::string& code);
    void HoldingSelected();
    void SaleSelected();
    // A row of Grid4: a lot held (its tax as if sold today) or a piece of one a sale took.
    void ShowLot(int row, const qcal::journal::LotSold& lot);
    void ShowYears();
    void Text10_KeyPress();
    qcal::journal::PositionFigures FiguresOf(const qcal::journal::Position& position) const;
    std::string SelectedCode() const;

    enum class ExportKind { Journal, Holdings, Audit };
    void Export(ExportKind kind);
    bool Exported(qcal::settings::CsvWrite written, const QString& path);

    // The import: reading the file (with the user's mapping, when given), the plan against the
    // journal, the import of the plan's entries in one transaction.
    void ReadForImport(const QString& path, std::optional<qcal::statement::ColumnMap> userMap);
    qcal::statement::ImportPlan PlanOf(const qcal::statement::Statement& statement);
    QString IniPath() const;
    void ImportPlanned(const qcal::statement::ImportPlan& plan);

    // The audit of every fee in the journal given as charged, with the main window's broker terms;
    // computed when its page is shown, again after each change while it is.
    void ComputeAudit();
    void AuditChanged();

    qcal::settings::JournalStore store_;
    JournalModel* model_ = nullptr;
    QDateEdit* entryDate_ = nullptr;
    QDateEdit* tradeDate_ = nullptr;
    QComboBox* product_ = nullptr;
    QComboBox* kind_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QTableView* grid1_ = nullptr;
    QTableWidget* holdings_ = nullptr;
    QTableWidget* sales_ = nullptr;
    QTableWidget* lots_ = nullptr;
    QTableWidget* years_ = nullptr;
    QTableView* audit_ = nullptr;
    AuditModel* auditModel_ = nullptr;
    QCheckBox* onlyDiffering_ = nullptr;
    QLabel* auditSummary_ = nullptr;
    QLabel* lotsCaption_ = nullptr;
    QSize layoutSize_;

    std::string openMessage_;   // what opening found, shown once the window is up
    bool holdingsComputed_ = false;
    bool auditComputed_ = false;
    std::map<std::string, qcal::journal::CodeHoldings> holdingsByCode_;
    std::map<std::string, qcal::Money> prices_;  // current prices typed, by code
    std::int64_t editing_ = 0;  // the entry the frame was filled from
};

} // namespace qcal::ui
