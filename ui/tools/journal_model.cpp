#include "ui/tools/journal_model.h"

#include <limits>

#include "core/picture.h"
#include "settings/journal_store.h"
#include "ui/common/text.h"

namespace qcal::ui {

namespace {

QString Figure(qcal::Money value, std::string_view picture = qcal::kExactAmountPicture)
{
    return Q(qcal::FormatPicture(value, picture));
}

using qcal::journal::Entry;
using qcal::journal::Fee;
using qcal::journal::IsTrade;
using qcal::journal::Kind;

const char* const kHeadings[] = {"日期", "代码", "品种", "类别", "价格", "数量", "金额", "佣金", "印花税", "过户费",
                                 "规费", "实付/实收", "备注"};
static_assert(std::size(kHeadings) == JournalModel::kColumnCount);

// A fee typed as charged is marked, so that it is not taken for one the rules computed.
constexpr char kTypedMark[] = "*";
constexpr char kTypedTip[] = "按交割单录入";

QString Shares(std::int64_t shares) { return SharesText(shares); }

const Fee* FeeOf(const Entry& e, int column)
{
    switch (column) {
    case JournalModel::Commission: return &e.commission;
    case JournalModel::StampDuty: return &e.stampDuty;
    case JournalModel::TransferFee: return &e.transferFee;
    case JournalModel::OtherFees: return &e.otherFees;
    default: return nullptr;
    }
}

// An event's rate as the exchanges write it: 10派2.00, 10送3, 10转5.
QString Rate(const Entry& e)
{
    const char* verb = e.kind == Kind::CashDividend ? "派" : e.kind == Kind::BonusShares ? "送" : "转";
    return QStringLiteral("10") + QString::fromUtf8(verb) +
           Figure(e.price, e.kind == Kind::CashDividend ? kPricePicture : "##0.####");
}

QString Cell(const Entry& e, int column)
{
    const bool trade = IsTrade(e.kind);
    switch (column) {
    case JournalModel::Date: return e.time.empty() ? Q(e.date) : Q(e.date) + QLatin1Char(' ') + Q(e.time);
    case JournalModel::Code: return Q(e.code);
    case JournalModel::Product: return Q(e.product);
    case JournalModel::KindColumn: return Q(qcal::journal::KindName(e.kind));
    case JournalModel::Price: return trade ? Figure(e.price, kPricePicture) : Rate(e);
    case JournalModel::Quantity: return trade || e.quantity > 0 ? Shares(e.quantity) : QString();
    case JournalModel::Amount: return trade ? Figure(e.amount) : QString();
    case JournalModel::Net:
        if (!trade)
            return {};
        try {
            return Figure(e.kind == Kind::Buy ? e.amount + e.Fees() : e.amount - e.Fees());
        } catch (const OutOfRange&) {
            return {};
        }
    case JournalModel::Note: return Q(e.note);
    default: break;
    }
    if (const Fee* fee = FeeOf(e, column); fee && trade)
        return Figure(fee->value) + (fee->typed ? QString::fromLatin1(kTypedMark) : QString());
    return {};
}

} // namespace

QString JournalCell(const Entry& entry, int column) { return Cell(entry, column); }

QString SharesText(std::int64_t shares)
{
    if (shares <= 0 || shares > std::numeric_limits<std::int64_t>::max() / Money::kScale)
        return QString::number(shares);
    return Figure(Money::FromWhole(shares), kSharesPicture);
}

JournalModel::JournalModel(qcal::settings::JournalStore& store, QObject* parent)
    : QAbstractTableModel(parent), store_(store)
{
    Reload();
}

void JournalModel::Reload()
{
    beginResetModel();
    pages_.clear();
    count_ = store_.Count();
    endResetModel();
}

int JournalModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(std::min<std::int64_t>(count_, std::numeric_limits<int>::max()));
}

int JournalModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

const JournalModel::Page* JournalModel::PageOf(std::int64_t number) const
{
    for (auto it = pages_.begin(); it != pages_.end(); ++it) {
        if (it->number == number) {
            pages_.splice(pages_.begin(), pages_, it);
            return &pages_.front();
        }
    }
    // Scrolling goes page by page: the page before, when kept, says where this one starts, without
    // the store counting every row up to it.
    Page page{number, {}};
    const auto before = std::find_if(pages_.begin(), pages_.end(), [number](const Page& p) { return p.number == number - 1; });
    if (before != pages_.end() && before->entries.size() == static_cast<std::size_t>(kPageRows))
        page.entries = store_.PageAfter(before->entries.back(), kPageRows);
    else
        page.entries = store_.Page(number * kPageRows, kPageRows);
    pages_.push_front(std::move(page));
    if (pages_.size() > kPagesKept)
        pages_.pop_back();
    return &pages_.front();
}

const Entry* JournalModel::EntryAt(int row) const
{
    if (row < 0 || row >= count_)
        return nullptr;
    const Page* page = PageOf(row / kPageRows);
    const auto at = static_cast<std::size_t>(row % kPageRows);
    return at < page->entries.size() ? &page->entries[at] : nullptr;
}

int JournalModel::RowOf(std::int64_t id, int within) const
{
    const int rows = std::min(rowCount(), within);
    for (int row = 0; row < rows; ++row) {
        if (const Entry* e = EntryAt(row); e && e->id == id)
            return row;
    }
    return -1;
}

QVariant JournalModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const Entry* e = EntryAt(index.row());
    if (!e)
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: return Cell(*e, column);
    case Qt::TextAlignmentRole:
        return static_cast<int>((column >= Price && column <= Net ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        if (const Fee* fee = FeeOf(*e, column); fee && fee->typed && IsTrade(e->kind))
            return QString::fromUtf8(kTypedTip);
        if (column == Note && !e->note.empty())
            return Q(e->note);
        return {};
    default: return {};
    }
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return section >= 0 && section < kColumnCount ? QString::fromUtf8(kHeadings[section]) : QVariant();
}

} // namespace qcal::ui
