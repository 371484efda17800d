#include "ui/tools/import_model.h"

#include <QColor>

#include "core/picture.h"
#include "ui/common/text.h"
#include "ui/tools/journal_model.h"

namespace qcal::ui {

namespace {

namespace st = qcal::statement;
using qcal::Money;

const char* const kHeadings[] = {"行号", "成交日期", "证券代码", "证券名称", "业务", "数量", "价格", "金额",
                                 "佣金", "印花税", "过户费", "规费", "处理"};
static_assert(std::size(kHeadings) == ImportModel::kColumnCount);

QString Figure(Money value, std::string_view picture) { return Q(qcal::FormatPicture(value, picture)); }

// A skipped row's values are whatever could be read: a zero there is nothing written.
QString Value(Money value, std::string_view picture, bool shownWhenZero)
{
    return value.Raw() == 0 && !shownWhenZero ? QString() : Figure(value, picture);
}

QString StatedFee(const std::optional<Money>& fee) { return fee ? Figure(*fee, qcal::kExactAmountPicture) : QString(); }

bool IsDuplicate(st::Fate fate) { return fate == st::Fate::InJournal || fate == st::Fate::TwiceInFile; }

bool Kept(ImportModel::Show show, st::Fate fate)
{
    switch (show) {
    case ImportModel::Show::All: return true;
    case ImportModel::Show::Imported: return fate == st::Fate::Import;
    case ImportModel::Show::Skipped: return fate == st::Fate::Skip;
    case ImportModel::Show::Duplicates: return IsDuplicate(fate);
    }
    return true;
}

} // namespace

QString FateText(const st::PlannedRow& row)
{
    switch (row.fate) {
    case st::Fate::Import: return QStringLiteral("导入");
    case st::Fate::Skip: return QStringLiteral("跳过：") + Q(row.reason);
    case st::Fate::InJournal:
    case st::Fate::TwiceInFile: return QStringLiteral("重复：") + Q(row.reason);
    }
    return {};
}

ImportModel::ImportModel(QObject* parent) : QAbstractTableModel(parent) {}

void ImportModel::SetPlan(std::vector<st::Record> records, st::ImportPlan plan)
{
    beginResetModel();
    records_ = std::move(records);
    plan_ = std::move(plan);
    Select();
    endResetModel();
}

void ImportModel::SetFilter(Show show)
{
    beginResetModel();
    show_ = show;
    Select();
    endResetModel();
}

void ImportModel::Select()
{
    // The plan has a row for every record, in file order; matched by line all the same, so that a
    // row is never shown with another's values.
    recordOf_.assign(plan_.rows.size(), nullptr);
    std::size_t r = 0;
    for (std::size_t i = 0; i < plan_.rows.size(); ++i) {
        while (r < records_.size() && records_[r].line < plan_.rows[i].line)
            ++r;
        if (r < records_.size() && records_[r].line == plan_.rows[i].line)
            recordOf_[i] = &records_[r];
    }
    shown_.clear();
    for (std::size_t i = 0; i < plan_.rows.size(); ++i) {
        if (Kept(show_, plan_.rows[i].fate))
            shown_.push_back(i);
    }
}

int ImportModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int ImportModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant ImportModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const std::size_t at = shown_[static_cast<std::size_t>(index.row())];
    const st::PlannedRow& planned = plan_.rows[at];
    const int column = index.column();
    if (role == Qt::TextAlignmentRole) {
        const bool words = column == Date || column == Code || column == Name || column == Business || column == Fate;
        return QVariant::fromValue((words ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
    }
    if (role == Qt::ForegroundRole) {
        // Black is imported; what is left out is greyed, what is there already stands out.
        if (planned.fate == st::Fate::Skip)
            return QColor(Qt::darkGray);
        if (IsDuplicate(planned.fate))
            return QColor(0xA0, 0x50, 0x00);
        return {};
    }
    if (role == Qt::ToolTipRole && column == Fate)
        return FateText(planned);
    if (role != Qt::DisplayRole)
        return {};

    // The statement's own values; the fees as the journal will keep them (those the statement
    // leaves out computed), or as the statement gives them for a row that is not imported.
    const st::Record* record = recordOf_[at];
    const bool trade = record && record->IsTrade();
    const auto fee = [&](int journalColumn, const std::optional<Money>& stated) {
        if (planned.entry)
            return JournalCell(*planned.entry, journalColumn);
        return StatedFee(stated);
    };
    switch (column) {
    case Line: return QString::number(planned.line);
    case Business: return Q(planned.kindText);
    case Fate: return FateText(planned);
    default: break;
    }
    if (!record)
        return {};
    switch (column) {
    case Date: return Q(record->date);
    case Code: return Q(record->code);
    case Name: return Q(record->name);
    case Quantity: return Value(record->quantity, qcal::kHoldingPicture, trade);
    case Price: return Value(record->price, qcal::kPricePicture, trade);
    case Amount: return Value(record->amount, qcal::kExactAmountPicture, trade);
    case Commission: return fee(JournalModel::Commission, record->commission);
    case StampDuty: return fee(JournalModel::StampDuty, record->stampDuty);
    case TransferFee: return fee(JournalModel::TransferFee, record->transferFee);
    case OtherFees: return fee(JournalModel::OtherFees, record->otherFee);
    default: return {};
    }
}

QVariant ImportModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount)
        return {};
    return QString::fromUtf8(kHeadings[section]);
}

} // namespace qcal::ui
