#include "ui/tools/audit_model.h"

#include "core/captions.h"
#include "core/journal.h"
#include "core/main_state.h"
#include "core/messages.h"
#include "core/picture.h"
#include "ui/common/colours.h"
#include "ui/common/text.h"

namespace qcal::ui {

namespace {

namespace au = qcal::audit;
using qcal::Money;

const char* const kHeadings[] = {"成交日期", "证券代码", "买卖", "费用", "实收", "应收", "差额", "可能原因"};
static_assert(std::size(kHeadings) == AuditModel::kColumnCount);

std::string Amount(Money value) { return qcal::FormatPicture(value, qcal::kExactAmountPicture); }

// A difference with its sign, so that too much and too little read apart even without colour.
QString Signed(Money value) { return value.Raw() > 0 ? QStringLiteral("+") + Q(Amount(value)) : Q(Amount(value)); }

} // namespace

QString AuditSummaryText(const au::Summary& summary)
{
    if (summary.trades == 0)
        return Q(qcal::caption::kAuditNothing);
    std::string text = qcal::FillIn(qcal::caption::kAuditSummary,
                                    {std::to_string(summary.trades), Amount(summary.tooMuch), Amount(summary.tooLittle),
                                     std::to_string(summary.differing)});
    if (summary.uncomputable > 0)
        text += qcal::FillIn(qcal::caption::kAuditUncomputable, {std::to_string(summary.uncomputable)});
    return Q(text);
}

AuditModel::AuditModel(QObject* parent) : QAbstractTableModel(parent) {}

void AuditModel::SetAudit(au::Audit audit, const qcal::FeeSettings& broker)
{
    beginResetModel();
    audit_ = std::move(audit);
    rows_.clear();
    for (std::size_t t = 0; t < audit_.trades.size(); ++t) {
        const au::TradeAudit& trade = audit_.trades[t];
        if (!trade.problem.empty())
            rows_.push_back({t, nullptr, Q(trade.problem)});
        for (const au::FeeLine& line : trade.fees)
            rows_.push_back({t, &line, Q(au::CauseText(line, broker))});
    }
    Select();
    endResetModel();
}

void AuditModel::SetOnlyDiffering(bool only)
{
    beginResetModel();
    onlyDiffering_ = only;
    Select();
    endResetModel();
}

void AuditModel::Select()
{
    shown_.clear();
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        if (!onlyDiffering_ || (rows_[r].fee && rows_[r].fee->Differs()))
            shown_.push_back(r);
    }
}

int AuditModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(shown_.size()); }

int AuditModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant AuditModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row& row = rows_[shown_[static_cast<std::size_t>(index.row())]];
    const qcal::journal::Entry& entry = audit_.trades[row.trade].entry;
    const int column = index.column();
    if (role == Qt::TextAlignmentRole) {
        const bool figure = column == Charged || column == Computed || column == Difference;
        return QVariant::fromValue((figure ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    // Charged too much in red, too little in blue, as the program colours a gain and a loss.
    if (role == Qt::ForegroundRole && row.fee && row.fee->Differs() && (column == Difference || column == Cause))
        return ToQColor(qcal::ProfitColour(row.fee->Difference()));
    if (role == Qt::ToolTipRole && column == Cause)
        return row.cause;
    if (role != Qt::DisplayRole)
        return {};
    switch (column) {
    case Date: return Q(entry.date);
    case Code: return Q(entry.code);
    case Side: return Q(qcal::journal::KindName(entry.kind));
    case Cause: return row.cause;
    default: break;
    }
    if (!row.fee)
        return {};
    switch (column) {
    case Fee: return Q(au::FeeName(row.fee->fee));
    case Charged: return Q(Amount(row.fee->charged));
    case Computed: return Q(Amount(row.fee->computed));
    case Difference: return Signed(row.fee->Difference());
    default: return {};
    }
}

QVariant AuditModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount)
        return {};
    return QString::fromUtf8(kHeadings[section]);
}

} // namespace qcal::ui
