#pragma once
// The trade journal window (交易记录): the investor's trades and corporate actions, newest first,
// kept in journal.db beside QCAL.INI; a frame to add, change and delete them (fees left empty are
// computed by the fee rules, fees typed are kept as charged); the main window's buy and sale
// recorded in one click; one step of undo; and what the journal comes to per code: the shares
// held, the money invested, the cost by both methods, the break-even, the profit of every sale and
// of every year, the dividend tax each sale costs and the lots behind it. Exports both as CSV.
// Opened from 其他功能 without blocking; the main window stays in sight.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/journal.h"
#include "core/journal_csv.h"
#include "core/journal_fields.h"
#include "settings/csv_file.h"
#include "settings/journal_store.h"
#include "ui/tools/side_window.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QTabWidget;
class QTableView;
class QTableWidget;

namespace qcal::ui {

class JournalModel;

class Form9 : public SideWindow {
    Q_OBJECT
public:
    explicit Form9(MainLink& main);
    ~Form9() override;

    // Text(1) … Text(9) as journal::Field names them, Text(10) the current price of the holding
    // selected. Command(1) 记入主窗口的交易, Command(2) 撤销, Command(3) 新增, Command(4) 修改,
    // Command(5) 删除, Command(6) 导出记录, Command(7) 导出持仓, Command(8) 返回.
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
    JournalModel& Model() const { return *model_; }
    qcal::settings::JournalStore& Store() { return store_; }

    // The exports the buttons make after their file dialog; false after a message.
    bool ExportJournal(const QString& path, qcal::settings::CsvEncoding encoding);
    bool ExportHoldings(const QString& path, qcal::settings::CsvEncoding encoding);

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

    void Export(bool holdings);
    bool Exported(qcal::settings::CsvWrite written, const QString& path);

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
    QLabel* lotsCaption_ = nullptr;
    QSize layoutSize_;

    std::string openMessage_;   // what opening found, shown once the window is up
    bool holdingsComputed_ = false;
    std::map<std::string, qcal::journal::CodeHoldings> holdingsByCode_;
    std::map<std::string, qcal::Money> prices_;  // current prices typed, by code
    std::int64_t editing_ = 0;  // the entry the frame was filled from
};

} // namespace qcal::ui
