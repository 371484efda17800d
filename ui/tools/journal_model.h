#pragma once
// The journal's table for a QTableView, newest first, over the store: it keeps only the pages of
// rows the view has asked for (a few hundred rows each, the last few pages used), so that a
// journal of a million entries shows its first screen as fast as one of ten, and the scroll bar
// spans the whole journal.

#include <cstdint>
#include <list>
#include <optional>
#include <vector>

#include <QAbstractTableModel>

#include "core/journal.h"

namespace qcal::settings {
class JournalStore;
}

namespace qcal::ui {

class JournalModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Date, Code, Product, KindColumn, Price, Quantity, Amount, Commission, StampDuty, TransferFee,
                  OtherFees, Net, Note, kColumnCount };

    explicit JournalModel(qcal::settings::JournalStore& store, QObject* parent = nullptr);

    // Reads the count again and forgets every page: after any change to the journal.
    void Reload();
    // The entry shown in a row (nullptr beyond the journal or when it cannot be read).
    const qcal::journal::Entry* EntryAt(int row) const;
    // The row of an entry among the first `within` rows, or -1.
    int RowOf(std::int64_t id, int within = 1000) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static constexpr int kPageRows = 256;
    static constexpr std::size_t kPagesKept = 16;

private:
    struct Page {
        std::int64_t number;
        std::vector<qcal::journal::Entry> entries;
    };
    const Page* PageOf(std::int64_t number) const;

    qcal::settings::JournalStore& store_;
    std::int64_t count_ = 0;
    mutable std::list<Page> pages_;  // most recently used first
};

// The text of one cell, as the table and the tests read it.
QString JournalCell(const qcal::journal::Entry& entry, int column);
// A count of shares grouped by thousands ("1,500").
QString SharesText(std::int64_t shares);

} // namespace qcal::ui
