#pragma once
// The fee audit's table for a QTableView (the journal window's 费用核对 page): a row per trade and
// fee charged, the fee as charged, as the rules give it, the difference and its likely cause; a
// trade the rules cannot charge has one row that says why. A filter keeps the fees that differ.

#include <cstddef>
#include <vector>

#include <QAbstractTableModel>

#include "core/fee_audit.h"
#include "core/fee_settings.h"

namespace qcal::ui {

class AuditModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Date, Code, Side, Fee, Charged, Computed, Difference, Cause, kColumnCount };

    explicit AuditModel(QObject* parent = nullptr);

    // The causes are put in words with the broker's terms the audit was made with.
    void SetAudit(qcal::audit::Audit audit, const qcal::FeeSettings& broker);
    void SetOnlyDiffering(bool only);
    const qcal::audit::Audit& Audit() const { return audit_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Row {
        std::size_t trade;
        const qcal::audit::FeeLine* fee;  // nullptr: the trade's problem
        QString cause;
    };
    void Select();

    qcal::audit::Audit audit_;
    std::vector<Row> rows_;
    bool onlyDiffering_ = false;
    std::vector<std::size_t> shown_;
};

// The page's summary: the trades audited, charged too much and too little, how many differ.
QString AuditSummaryText(const qcal::audit::Summary& summary);

} // namespace qcal::ui
