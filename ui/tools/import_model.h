#pragma once
// The import preview's table for a QTableView: every row of a statement with what becomes of it
// (imported, skipped and why, found twice), read from the plan on demand, never a widget per cell,
// so that a statement of a hundred thousand rows shows at once. A filter keeps one fate's rows.

#include <cstddef>
#include <vector>

#include <QAbstractTableModel>

#include "core/statement.h"
#include "core/statement_import.h"

namespace qcal::ui {

class ImportModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Line, Date, Code, Name, Business, Quantity, Price, Amount, Commission, StampDuty, TransferFee,
                  OtherFees, Fate, kColumnCount };
    // The filter's choices, in the order of the preview's list.
    enum class Show { All, Imported, Skipped, Duplicates };

    explicit ImportModel(QObject* parent = nullptr);

    // The statement's rows and their plan (row for row); the filter stays.
    void SetPlan(std::vector<qcal::statement::Record> records, qcal::statement::ImportPlan plan);
    void SetFilter(Show show);
    Show Filter() const { return show_; }
    const qcal::statement::ImportPlan& Plan() const { return plan_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void Select();

    std::vector<qcal::statement::Record> records_;
    qcal::statement::ImportPlan plan_;
    Show show_ = Show::All;
    std::vector<const qcal::statement::Record*> recordOf_;  // each plan row's record
    std::vector<std::size_t> shown_;  // the plan's rows the filter keeps, in file order
};

// What becomes of a row, in the table's last column: 导入, 跳过：<why>, 重复：<which>.
QString FateText(const qcal::statement::PlannedRow& row);

} // namespace qcal::ui
