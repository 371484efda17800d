#include "ui/tools/form9.h"

#include <algorithm>
#include <memory>
#include <set>
#include <unordered_set>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "core/captions.h"
#include "core/fee_audit.h"
#include "core/input_checks.h"
#include "core/journal_csv.h"
#include "core/journal_fees.h"
#include "core/main_state.h"
#include "core/messages.h"
#include "core/numtext.h"
#include "core/picture.h"
#include "ui/common/colours.h"
#include "settings/journal_export.h"
#include "settings/settings_file.h"
#include "settings/statement_settings.h"
#include "settings/statement_text.h"
#include "ui/common/field_keys.h"
#include "ui/common/message_box.h"
#include "ui/common/text.h"
#include "ui/tools/audit_model.h"
#include "ui/tools/form11.h"
#include "ui/tools/form12.h"
#include "ui/tools/journal_model.h"

namespace qcal::ui {

namespace {

namespace jf = qcal::journal;
namespace st = qcal::statement;
using jf::Entry;
using EntryKind = jf::Kind;
using Status = qcal::settings::JournalStore::Status;
using Opened = qcal::settings::JournalStore::Opened;

constexpr int kFieldLeft = 1020, kFieldWidth = 2520, kUnitLeft = kFieldLeft + kFieldWidth + 60;
constexpr int kFrameWidth = 4200;
constexpr int kTabsLeft = 120 + kFrameWidth + 120, kTabsTop = 120;
constexpr int kClientWidth = 17400, kClientHeight = 9000;
constexpr int kBottomRow = kClientHeight - 120 - 495;
constexpr int kTabsWidth = kClientWidth - kTabsLeft - 120, kTabsHeight = kBottomRow - 60 - kTabsTop;
constexpr int kRecordTop = 6720;
constexpr int Row(int n) { return 300 + 390 * n; }

constexpr std::string_view kFeeTip = "留空即按规则计算；填写则按交割单上的金额保存";

// The entry frame's rows: caption, field, unit. The date, the product and the kind are made in
// code or are lists; they have their rows here for their captions.
constexpr ControlSpec kControls[] = {
    {"Frame1", Kind::Frame, nullptr, 120, 120, kFrameWidth, Row(14) + 495 + 180, "记录", {}},
    {"Label1", Kind::Label, "Frame1", 120, Row(0), 900, 315, "日期", {}},
    {"Label2", Kind::Label, "Frame1", 120, Row(1), 900, 315, "时间", {}},
    {"Text1", Kind::TextBox, "Frame1", kFieldLeft, Row(1), kFieldWidth, 315, {}, "成交时间，如09:30或09:30:15，可以不填"},
    {"Label3", Kind::Label, "Frame1", 120, Row(2), 900, 315, "代码", {}},
    {"Text2", Kind::TextBox, "Frame1", kFieldLeft, Row(2), kFieldWidth, 315, {}, "6位证券代码，如600000"},
    {"Label4", Kind::Label, "Frame1", 120, Row(3), 900, 315, "品种", {}},
    {"Combo1", Kind::ComboList, "Frame1", kFieldLeft, Row(3) - 15, kFieldWidth, 345, {}, "证券的品种：由代码决定，程序不认识的代码按这里选的品种计费"},
    {"Label5", Kind::Label, "Frame1", 120, Row(4), 900, 315, "类别", {}},
    {"Combo2", Kind::ComboList, "Frame1", kFieldLeft, Row(4) - 15, kFieldWidth, 345, {}, "买入、卖出，或分红送转"},
    {"Label6", Kind::Label, "Frame1", 120, Row(5), 900, 315, "价格", {}},
    {"Text3", Kind::TextBox, "Frame1", kFieldLeft, Row(5), kFieldWidth, 315, {},
     "买卖的成交价；分红送转时为每10股派的现金或送转的股数"},
    {"Label16", Kind::Label, "Frame1", kUnitLeft, Row(5), 480, 315, qcal::caption::kUnitYuan, {}},
    {"Label7", Kind::Label, "Frame1", 120, Row(6), 900, 315, "数量", {}},
    {"Text4", Kind::TextBox, "Frame1", kFieldLeft, Row(6), kFieldWidth, 315, {},
     "成交的股数；送股、转增时为到账的股数，不填则按比例计算"},
    {"Label17", Kind::Label, "Frame1", kUnitLeft, Row(6), 480, 315, qcal::caption::kUnitShares, {}},
    {"Label8", Kind::Label, "Frame1", 120, Row(7), 900, 315, "佣金", {}},
    {"Text5", Kind::TextBox, "Frame1", kFieldLeft, Row(7), kFieldWidth, 315, {}, kFeeTip},
    {"Label18", Kind::Label, "Frame1", kUnitLeft, Row(7), 480, 315, qcal::caption::kUnitYuan, {}},
    {"Label9", Kind::Label, "Frame1", 120, Row(8), 900, 315, "印花税", {}},
    {"Text6", Kind::TextBox, "Frame1", kFieldLeft, Row(8), kFieldWidth, 315, {}, kFeeTip},
    {"Label19", Kind::Label, "Frame1", kUnitLeft, Row(8), 480, 315, qcal::caption::kUnitYuan, {}},
    {"Label10", Kind::Label, "Frame1", 120, Row(9), 900, 315, "过户费", {}},
    {"Text7", Kind::TextBox, "Frame1", kFieldLeft, Row(9), kFieldWidth, 315, {}, kFeeTip},
    {"Label20", Kind::Label, "Frame1", kUnitLeft, Row(9), 480, 315, qcal::caption::kUnitYuan, {}},
    {"Label11", Kind::Label, "Frame1", 120, Row(10), 900, 315, "规费", {}},
    {"Text8", Kind::TextBox, "Frame1", kFieldLeft, Row(10), kFieldWidth, 315, {},
     "经手费、证管费等其他费用；按规则计算时为0，填写则按交割单保存"},
    {"Label21", Kind::Label, "Frame1", kUnitLeft, Row(10), 480, 315, qcal::caption::kUnitYuan, {}},
    {"Label12", Kind::Label, "Frame1", 120, Row(11), 900, 315, "备注", {}},
    {"Text9", Kind::TextBox, "Frame1", kFieldLeft, Row(11), kFieldWidth, 315, {}, "随便写点什么，回车即新增这条记录"},
    {"Label13", Kind::Note, "Frame1", 120, Row(12), kFrameWidth - 240, 700, 
     "费用留空的按代码所属品种的现行规则和主窗口的费率计算；填了的按交割单保存，表中以*标出。", {}},
    {"Command3", Kind::Button, "Frame1", 120, Row(14), 1200, 495, "新 增", "把上面的内容作为一条新记录"},
    {"Command4", Kind::Button, "Frame1", 1440, Row(14), 1200, 495, "修 改", "用上面的内容改写表中选中的记录"},
    {"Command5", Kind::Button, "Frame1", 2760, Row(14), 1200, 495, "删 除", "删除表中选中的记录"},

    {"Frame2", Kind::Frame, nullptr, 120, kRecordTop, kFrameWidth, 1260, "主窗口的交易", {}},
    {"Label14", Kind::Label, "Frame2", 120, Row(0), 900, 315, "成交日期", {}},
    {"Command1", Kind::Button, "Frame2", 120, Row(1) + 60, kFrameWidth - 240, 495, "记入主窗口的交易",
     "把主窗口算出的买入（和卖出）按上面的成交日期记入交易记录，代码取记录框里的代码"},

    // The holdings page's price: built here for its number, moved into the page.
    {"Label22", Kind::Label, nullptr, 0, 0, 600, 315, "现价", {}},
    {"Text10", Kind::TextBox, nullptr, 600, 0, 1800, 315, {}, "选中的代码现在的价格，回车即算出浮动盈亏"},
    {"Label23", Kind::Label, nullptr, 2400, 0, 300, 315, qcal::caption::kUnitYuan, {}},

    {"Label15", Kind::Label, nullptr, 120, kBottomRow, kFrameWidth, 495, {}, {}},
    {"Command2", Kind::Button, nullptr, kTabsLeft, kBottomRow, 1200, 495, "撤 销", "撤销最近一次新增、修改、删除或记入"},
    {"Command6", Kind::Button, nullptr, kTabsLeft + 1320, kBottomRow, 1440, 495, "导出记录…",
     "把全部交易记录导出为CSV文件（UTF-8或GBK编码）"},
    {"Command7", Kind::Button, nullptr, kTabsLeft + 2880, kBottomRow, 1440, 495, "导出持仓…",
     "把持仓、每笔卖出的盈亏和每年的盈亏导出为CSV文件"},
    {"Command9", Kind::Button, nullptr, kTabsLeft + 4440, kBottomRow, 1680, 495, "导入交割单…",
     "把券商导出的交割单（CSV或文本，UTF-8或GBK编码）导入交易记录：先预览，再一次全部导入"},
    {"Command8", Kind::Button, nullptr, kClientWidth - 120 - 1200, kBottomRow, 1200, 495, "返 回", "关闭本窗口"},

    // The audit page's filter, summary and export: built here for their numbers, moved into the page.
    {"Check1", Kind::CheckBox, nullptr, 0, 0, 3000, 315, "只显示差额超过0.01的", "只列出实收与应收相差超过0.01元的费用"},
    {"Label25", Kind::Label, nullptr, 0, 0, 6000, 315, {}, {}},
    {"Command10", Kind::Button, nullptr, 0, 0, 1440, 495, "导出核对…",
     "把实收与应收不符的费用和合计导出为CSV文件（UTF-8或GBK编码）"},
};

QTableWidget* MakeGrid(QWidget* parent, const char* name, const char* spokenName, std::initializer_list<const char*> headings)
{
    auto* grid = new QTableWidget(parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setAccessibleName(QString::fromUtf8(spokenName));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->setVisible(false);
    QStringList labels;
    for (const char* heading : headings)
        labels << QString::fromUtf8(heading);
    grid->setColumnCount(static_cast<int>(labels.size()));
    grid->setHorizontalHeaderLabels(labels);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid->verticalHeader()->setDefaultSectionSize(TwipsToPx(parent, 300));
    return grid;
}

void Put(QTableWidget* grid, int row, int column, const QString& text, bool number = true)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    grid->setItem(row, column, item);
}

QString Amount(qcal::Money value) { return Q(FormatPicture(value, kExactAmountPicture)); }
QString Cost(std::optional<qcal::Money> value) { return value ? Q(FormatPicture(*value, kThousandthsPicture)) : QString(); }
QString Price(std::optional<qcal::Money> value) { return value ? Q(FormatPicture(*value, kThousandthsPicture)) : QString(); }
QString Shares(std::int64_t shares) { return SharesText(shares); }

void Colour(QTableWidget* grid, int row, int column, qcal::Money profit)
{
    if (QTableWidgetItem* item = grid->item(row, column))
        item->setForeground(ToQColor(qcal::ProfitColour(profit)));
}

qcal::CivilDate CivilDateOf(const QDate& day)
{
    return qcal::CivilDate::FromYmd(day.year(), day.month(), day.day()).value_or(qcal::CivilDate());
}

qcal::CivilDate Today() { return CivilDateOf(QDate::currentDate()); }

// A message that names a file, in the system's own way of writing its path.
std::string PathMessage(std::string_view message, const QString& path)
{
    return qcal::MessageText({qcal::Reason::None, 0, message}, S(QDir::toNativeSeparators(path)));
}

QString DateText(const QDate& date) { return date.toString(QStringLiteral("yyyy-MM-dd")); }

QDateEdit* MakeDateEdit(QWidget* parent, const char* name, const char* spokenName)
{
    auto* edit = new QDateEdit(QDate::currentDate(), parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(QString::fromUtf8(spokenName));
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setCalendarPopup(true);
    edit->setMinimumDate(QDate(1990, 1, 1));
    edit->setMaximumDate(QDate(9999, 12, 31));
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edit->setFont(SimSunFont());
    return edit;
}

// The caption and unit of the price field, by kind.
struct PriceCaption {
    const char* caption;
    std::string_view unit;
};
PriceCaption PriceCaptionOf(EntryKind kind)
{
    switch (kind) {
    case EntryKind::CashDividend: return {"每10股派", qcal::caption::kUnitYuan};
    case EntryKind::BonusShares: return {"每10股送", qcal::caption::kUnitShares};
    case EntryKind::ReserveShares: return {"每10股转", qcal::caption::kUnitShares};
    default: return {"价格", qcal::caption::kUnitYuan};
    }
}

constexpr EntryKind kKinds[] = {EntryKind::Buy, EntryKind::Sell, EntryKind::CashDividend, EntryKind::BonusShares, EntryKind::ReserveShares};

} // namespace

Form9::Form9(MainLink& main)
    : SideWindow(main, {"Form9", "交易记录", kControls, kClientWidth, kClientHeight, false})
{
    layoutSize_ = size();
    product_ = findChild<QComboBox*>(QStringLiteral("Combo1"));
    for (const qcal::Instrument& product : qcal::BuiltInInstruments())
        product_->addItem(Q(product.name));
    kind_ = findChild<QComboBox*>(QStringLiteral("Combo2"));
    for (EntryKind kind : kKinds)
        kind_->addItem(Q(jf::KindName(kind)));

    auto* frame1 = findChild<QWidget*>(QStringLiteral("Frame1"));
    entryDate_ = MakeDateEdit(frame1, "DateEdit1", "日期");
    entryDate_->setGeometry(TwipsRect(this, kFieldLeft, Row(0) - 15, kFieldWidth, 345));
    auto* frame2 = findChild<QWidget*>(QStringLiteral("Frame2"));
    tradeDate_ = MakeDateEdit(frame2, "DateEdit2", "成交日期");
    tradeDate_->setGeometry(TwipsRect(this, kFieldLeft, Row(0) - 15, kFieldWidth, 345));
    Text(jf::Note)->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);  // words, not a number
    Text(jf::Time)->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Text(jf::Code)->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QWidget::setTabOrder(entryDate_, Text(jf::Time));

    BuildPages();
    setMinimumSize(layoutSize_);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);

    // Enter goes down the frame; on the last field it adds the entry.
    QWidget* order[] = {Text(jf::Time), Text(jf::Code), Text(jf::Price), Text(jf::Quantity), Text(jf::Commission),
                        Text(jf::StampDuty), Text(jf::TransferFee), Text(jf::OtherFees), Text(jf::Note)};
    for (std::size_t i = 0; i < std::size(order); ++i) {
        auto* field = static_cast<QLineEdit*>(order[i]);
        SelectAllOnFocus(field);
        QWidget* up = i > 0 ? order[i - 1] : nullptr;
        QWidget* down = i + 1 < std::size(order) ? order[i + 1] : nullptr;
        const auto enter = down ? std::function<void()>([i, order] {
            // The next field the kind reads.
            for (std::size_t j = i + 1; j < std::size(order); ++j) {
                if (order[j]->isEnabled()) {
                    FocusAndSelectAll(order[j]);
                    return;
                }
            }
        })
                                : std::function<void()>([this] { Command3_Click(); });
        OnFieldKeys(field, {enter, up, down});
    }
    SelectAllOnFocus(Text(10));
    OnFieldKeys(Text(10), {[this] { Text10_KeyPress(); }, nullptr, nullptr});

    connect(kind_, &QComboBox::currentIndexChanged, this, [this] { KindChanged(); });
    connect(product_, &QComboBox::currentIndexChanged, this, [this] { KindChanged(); });
    connect(Command(1), &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command(2), &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command(3), &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command(4), &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command(5), &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(Command(6), &QPushButton::clicked, this, [this] { Export(ExportKind::Journal); });
    connect(Command(7), &QPushButton::clicked, this, [this] { Export(ExportKind::Holdings); });
    connect(Command(8), &QPushButton::clicked, this, [this] { close(); });
    connect(Command(9), &QPushButton::clicked, this, [this] { Command9_Click(); });
    connect(Command(10), &QPushButton::clicked, this, [this] { Export(ExportKind::Audit); });
    KindChanged();
    OpenJournal();
}

Form9::~Form9() = default;

void Form9::BuildPages()
{
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("Tab1"));
    tabs_->setGeometry(TwipsRect(this, kTabsLeft, kTabsTop, kTabsWidth, kTabsHeight));

    // The journal: a view over the store's pages, never a widget per cell.
    auto* journalPage = new QWidget;
    auto* journalLayout = new QVBoxLayout(journalPage);
    grid1_ = MakeRowsView(journalPage, "Grid1", "交易记录");
    grid1_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    journalLayout->addWidget(grid1_);
    tabs_->addTab(journalPage, QStringLiteral("交易记录"));

    // The holdings: the price to value at, a row per code, the sales and lots of the code
    // selected, the totals of every year.
    auto* holdingsPage = new QWidget;
    auto* layout = new QGridLayout(holdingsPage);
    auto* priceRow = new QHBoxLayout;
    for (const char* name : {"Label22", "Text10", "Label23"})
        priceRow->addWidget(findChild<QWidget*>(QString::fromLatin1(name)));
    Text(10)->setFixedWidth(TwipsToPx(this, 1800));
    priceRow->addStretch();
    layout->addLayout(priceRow, 0, 0, 1, 2);
    holdings_ = MakeGrid(holdingsPage, "Grid2", "持仓",
                         {"代码", "品种", "持有股数", "投入金额", "摊薄成本", "先进先出成本", "保本价（摊薄）",
                          "保本价（先进先出）", "现价", "浮动盈亏（摊薄）", "浮动盈亏（先进先出）", "已实现盈亏（摊薄）",
                          "已实现盈亏（先进先出）", "红利"});
    layout->addWidget(holdings_, 1, 0, 1, 2);
    auto* salesCaption = new QLabel(QStringLiteral("这个代码的每笔卖出"), holdingsPage);
    lotsCaption_ = new QLabel(QStringLiteral("持有的批次（持有期和红利税按今天卖出算）"), holdingsPage);
    lotsCaption_->setObjectName(QStringLiteral("Label24"));
    layout->addWidget(salesCaption, 2, 0);
    layout->addWidget(lotsCaption_, 2, 1);
    sales_ = MakeGrid(holdingsPage, "Grid3", "每笔卖出",
                      {"卖出日期", "记录号", "股数", "实收金额", "成本（摊薄）", "成本（先进先出）", "红利税", "盈亏（摊薄）",
                       "盈亏（先进先出）"});
    lots_ = MakeGrid(holdingsPage, "Grid4", "批次",
                     {"买入记录号", "买入日期", "股数", "成本", "每股成本", "红利", "持有期", "税率", "红利税"});
    layout->addWidget(sales_, 3, 0);
    layout->addWidget(lots_, 3, 1);
    layout->addWidget(new QLabel(QStringLiteral("每年的盈亏（全部代码）"), holdingsPage), 4, 0, 1, 2);
    years_ = MakeGrid(holdingsPage, "Grid5", "每年的盈亏", {"年度", "盈亏（摊薄）", "盈亏（先进先出）", "红利", "红利税"});
    layout->addWidget(years_, 5, 0, 1, 2);
    layout->setRowStretch(1, 3);
    layout->setRowStretch(3, 2);
    layout->setRowStretch(5, 1);
    tabs_->addTab(holdingsPage, QStringLiteral("持仓与盈亏"));

    // The audit: every fee given as charged against the rules, fee by fee; a view over its rows.
    auto* auditPage = new QWidget;
    auto* auditLayout = new QVBoxLayout(auditPage);
    auto* auditRow = new QHBoxLayout;
    onlyDiffering_ = findChild<QCheckBox*>(QStringLiteral("Check1"));
    auditSummary_ = findChild<QLabel*>(QStringLiteral("Label25"));
    auditRow->addWidget(onlyDiffering_);
    auditRow->addWidget(auditSummary_, 1);
    auditRow->addWidget(Command(10));
    auditLayout->addLayout(auditRow);
    auditModel_ = new AuditModel(this);
    audit_ = MakeRowsView(auditPage, "Grid6", "费用核对");
    audit_->setModel(auditModel_);
    constexpr int kAuditWidths[] = {1100, 900, 600, 800, 1000, 1000, 1000};  // 可能原因 takes the rest
    SetColumnWidths(audit_, kAuditWidths);
    auditLayout->addWidget(audit_);
    tabs_->addTab(auditPage, QStringLiteral("费用核对"));
    connect(onlyDiffering_, &QCheckBox::toggled, this, [this](bool only) { auditModel_->SetOnlyDiffering(only); });

    connect(tabs_, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == HoldingsPage && !holdingsComputed_)
            ComputeAllHoldings();
        if (page == AuditPage && !auditComputed_)
            ComputeAudit();
    });
    connect(holdings_, &QTableWidget::itemSelectionChanged, this, [this] { HoldingSelected(); });
    connect(sales_, &QTableWidget::itemSelectionChanged, this, [this] { SaleSelected(); });
}

void Form9::resizeEvent(QResizeEvent* event)
{
    SideWindow::resizeEvent(event);
    if (!tabs_)
        return;
    const QSize extra = (event->size() - layoutSize_).expandedTo(QSize(0, 0));
    tabs_->setGeometry(TwipsRect(this, kTabsLeft, kTabsTop, kTabsWidth, kTabsHeight).adjusted(0, 0, extra.width(), extra.height()));
    // The bottom row keeps to the bottom, 返回 to the right.
    for (const char* name : {"Label15", "Command2", "Command6", "Command7", "Command9", "Command8"}) {
        const ControlSpec* spec = FindControl(kControls, name);
        const int right = std::string_view(name) == "Command8" ? extra.width() : 0;
        findChild<QWidget*>(QString::fromLatin1(name))
            ->setGeometry(TwipsRect(this, spec->left, spec->top, spec->width, spec->height).translated(right, extra.height()));
    }
}

// Opening ------------------------------------------------------------------------------------------

void Form9::OpenJournal()
{
    const QString path = Main().JournalPath();
    const auto opened = store_.Open(path, 1500, qcal::settings::JournalStore::Verify::InBackground);
    openMessage_.clear();
    switch (opened.state) {
    case Opened::ReadWrite: break;
    case Opened::ReadOnlyBusy: openMessage_ = qcal::msg::kJournalBusy; break;
    case Opened::ReadOnlyNewer: openMessage_ = qcal::msg::kJournalNewer; break;
    case Opened::Failed: openMessage_ = PathMessage(qcal::msg::kJournalCannotOpen, path); break;
    }
    if (!opened.keptAside.isEmpty())
        openMessage_ = PathMessage(qcal::msg::kJournalDamaged, opened.keptAside);
    model_ = new JournalModel(store_, this);
    grid1_->setModel(model_);
    // Wide enough for a date with its time, a price of four decimals, a sum of millions.
    constexpr int kWidths[] = {1950, 700, 900, 500, 1050, 900, 1250, 750, 750, 750, 600, 1250, 1350};  // twips
    SetColumnWidths(grid1_, kWidths);
    connect(grid1_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { RowSelected(); });
    ShowStatus();
    // The file's check reads all of it; it runs while the first entries are on screen.
    if (store_.CheckPending()) {
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [this, poll] {
            if (store_.CheckPending())
                return;
            poll->deleteLater();
            CheckSettled();
        });
        poll->start(100);
    }
}

bool Form9::CheckSettled()
{
    const auto result = store_.FinishCheck();
    if (result.keptAside.isEmpty() && result.state != Opened::Failed)
        return true;
    // The journal on screen is gone: a fresh one, or none.
    model_->Reload();
    holdingsComputed_ = false;
    holdingsByCode_.clear();
    if (tabs_->currentIndex() == HoldingsPage)
        ComputeAllHoldings();
    AuditChanged();
    ShowStatus();
    ShowMessage(this, result.keptAside.isEmpty() ? PathMessage(qcal::msg::kJournalCannotOpen, store_.Path())
                                                          : PathMessage(qcal::msg::kJournalDamaged, result.keptAside));
    return false;
}

void Form9::ShowStatus()
{
    QString status = QStringLiteral("共 %1 条记录").arg(model_->rowCount());
    if (store_.IsReadOnly())
        status += QStringLiteral("（只能查看）");
    findChild<QLabel*>(QStringLiteral("Label15"))->setText(status);
    const bool writable = !store_.IsReadOnly();
    for (int n : {1, 2, 3, 4, 5, 9})
        Command(n)->setEnabled(writable);
}

void Form9::Form_Activate()
{
    if (!openMessage_.empty()) {
        const std::string message = std::move(openMessage_);
        openMessage_.clear();
        ShowMessage(this, message);
    }
    FocusAndSelectAll(Text(jf::Code));
}

void Form9::MainChanged()
{
    // The broker's terms decide what each fee should have been.
    AuditChanged();
    if (!holdingsComputed_)
        return;
    for (int row = 0; row < holdings_->rowCount(); ++row)
        ShowHoldingRow(row, S(holdings_->item(row, HCode)->text()));
}

// The entry frame --------------------------------------------------------------------------------

jf::EntryFields Form9::Fields() const
{
    jf::EntryFields fields;
    fields.date = S(DateText(entryDate_->date()));
    fields.product = S(product_->currentText());
    fields.kind = kKinds[std::max(0, kind_->currentIndex())];
    ReadTexts(fields.text);
    return fields;
}

void Form9::SetFields(const jf::EntryFields& fields)
{
    entryDate_->setDate(QDate::fromString(Q(fields.date), QStringLiteral("yyyy-MM-dd")));
    if (const int at = product_->findText(Q(fields.product)); at >= 0)
        product_->setCurrentIndex(at);
    kind_->setCurrentIndex(static_cast<int>(std::find(std::begin(kKinds), std::end(kKinds), fields.kind) - std::begin(kKinds)));
    WriteTexts(fields.text);
}

void Form9::KindChanged()
{
    const EntryKind kind = kKinds[std::max(0, kind_->currentIndex())];
    const PriceCaption caption = PriceCaptionOf(kind);
    findChild<QLabel*>(QStringLiteral("Label6"))->setText(QString::fromUtf8(caption.caption));
    findChild<QLabel*>(QStringLiteral("Label16"))->setText(Q(caption.unit));
    // A trade's quantity in the product's unit (张 for bonds); bonus shares are shares.
    const bool trade = jf::IsTrade(kind);
    findChild<QLabel*>(QStringLiteral("Label17"))
        ->setText(Q(trade ? qcal::FindInstrument(S(product_->currentText())).unit : qcal::caption::kUnitShares));
    Text(jf::Price)->setAccessibleName(QString::fromUtf8(caption.caption));
    for (int field = 1; field <= jf::kEntryFieldCount; ++field)
        Text(field)->setEnabled(jf::FieldUsed(kind, static_cast<jf::Field>(field)));
}

void Form9::RowSelected()
{
    const auto ids = SelectedIds();
    if (ids.size() != 1)
        return;
    const auto entry = store_.Get(ids.front());
    if (!entry)
        return;
    editing_ = entry->id;
    SetFields(jf::FieldsOf(*entry));
}

std::vector<std::int64_t> Form9::SelectedIds() const
{
    std::vector<std::int64_t> ids;
    for (const QModelIndex& index : grid1_->selectionModel()->selectedRows()) {
        if (const Entry* e = model_->EntryAt(index.row()))
            ids.push_back(e->id);
    }
    return ids;
}

void Form9::ReportField(const qcal::Outcome& outcome)
{
    if (outcome.reason == qcal::Reason::JournalDate) {
        Refuse(this, outcome.message, entryDate_);
        return;
    }
    Report(outcome);
}

std::optional<Entry> Form9::FrameEntry()
{
    const jf::EntryReading reading = jf::ReadEntryFields(Fields());
    if (!reading.outcome.ok()) {
        ReportField(reading.outcome);
        return std::nullopt;
    }
    SetFields(reading.fields);
    Entry entry = reading.entry;
    if (const qcal::Outcome fees = jf::FillComputedFees(entry, View().fees); !fees.ok()) {
        ShowMessage(this, qcal::MessageText(fees, {}));
        return std::nullopt;
    }
    return entry;
}

// Changes --------------------------------------------------------------------------------------------

// A change is refused when a code whose holdings compute now would not compute after it: the
// journal stays one that can be summed up. A code that already cannot (an import's) may be mended.
bool Form9::Acceptable(const std::vector<Entry>& added, const std::vector<std::int64_t>& removed)
{
    // New entries take ids above every stored one, in their order, as the store will give them.
    constexpr std::int64_t kNewIds = std::int64_t{1} << 62;
    std::set<std::string> codes;
    for (const Entry& e : added)
        codes.insert(e.code);
    std::set<std::int64_t> gone(removed.begin(), removed.end());
    for (const std::int64_t id : removed) {
        if (const auto e = store_.Get(id))
            codes.insert(e->code);
    }
    for (const std::string& code : codes) {
        const std::vector<Entry> before = store_.ForHoldings(code);
        if (jf::ComputeHoldings(before).refusal)
            continue;
        std::vector<Entry> after;
        for (const Entry& e : before) {
            if (!gone.count(e.id))
                after.push_back(e);
        }
        std::int64_t next = kNewIds;
        for (const Entry& e : added) {
            if (e.code != code)
                continue;
            after.push_back(e);
            if (after.back().id == 0)
                after.back().id = next++;
        }
        const auto refused = jf::ComputeHoldings(after).refusal;
        if (!refused)
            continue;
        std::string text(qcal::msg::kJournalChangeBreaks);
        text += refused->entryId >= kNewIds ? std::string("这条记录：") + std::string(jf::ProblemText(refused->problem))
                                           : jf::RefusalText(*refused);
        ShowMessage(this, text);
        return false;
    }
    return true;
}

bool Form9::Done(Status status, std::vector<std::string> codes, std::int64_t select)
{
    switch (status) {
    case Status::Ok: break;
    case Status::ReadOnly: ShowMessage(this, qcal::msg::kJournalReadOnly); return false;
    case Status::NothingToUndo: ShowMessage(this, qcal::msg::kJournalNothingToUndo); return false;
    case Status::NotFound:
    case Status::WriteFailed: ShowMessage(this, qcal::msg::kJournalWriteFailed); return false;
    }
    model_->Reload();
    ShowStatus();
    if (holdingsComputed_)
        ComputeHoldings(codes);
    AuditChanged();
    if (select != 0) {
        editing_ = select;
        if (const int row = model_->RowOf(select, JournalModel::kPageRows); row >= 0) {
            grid1_->selectRow(row);
            grid1_->scrollTo(model_->index(row, 0));
        }
    }
    return true;
}

void Form9::Command3_Click()
{
    if (!CheckSettled())
        return;
    auto entry = FrameEntry();
    if (!entry || !Acceptable({*entry}, {}))
        return;
    if (Done(store_.Add(*entry), {entry->code}, entry->id))
        FocusAndSelectAll(Text(jf::Price));
}

void Form9::Command4_Click()
{
    if (!CheckSettled())
        return;
    const auto ids = SelectedIds();
    if (ids.size() != 1) {
        ShowMessage(this, qcal::msg::kJournalPickEntry);
        return;
    }
    const auto old = store_.Get(ids.front());
    auto entry = FrameEntry();
    if (!old || !entry)
        return;
    entry->id = old->id;
    if (!Acceptable({*entry}, {old->id}))
        return;
    Done(store_.Update(*entry), {old->code, entry->code}, entry->id);
}

void Form9::Command5_Click()
{
    if (!CheckSettled())
        return;
    const auto ids = SelectedIds();
    if (ids.empty()) {
        ShowMessage(this, qcal::msg::kJournalPickEntry);
        return;
    }
    if (!Acceptable({}, ids))
        return;
    std::vector<std::string> codes;
    for (const std::int64_t id : ids) {
        if (const auto e = store_.Get(id))
            codes.push_back(e->code);
    }
    Done(store_.Remove(ids), codes);
}

void Form9::Command2_Click()
{
    if (!CheckSettled())
        return;
    // The codes first: once undone, the change they belong to is gone.
    std::vector<std::string> codes = store_.UndoCodes();
    Done(store_.Undo(), std::move(codes));
}

// The main window's buy, and its sale when one is on screen, as trades of the day shown.
void Form9::Command1_Click()
{
    if (!CheckSettled())
        return;
    const qcal::MainView& view = View();
    if (!view.buy) {
        ShowMessage(this, qcal::msg::kJournalNothingOnMain);
        return;
    }
    const std::string code = S(Text(jf::Code)->text().trimmed());
    if (!qcal::IsSixDigits(code)) {
        Report(qcal::Refusal(qcal::Reason::JournalCode, jf::Code));
        return;
    }
    const qcal::CivilDate date = CivilDateOf(tradeDate_->date());
    // The product the code names; for a code of no product the program knows, the main window's
    // market when it is a product, else the list's.
    const qcal::Instrument& market = qcal::FindInstrument(view.fees.market);
    const std::string product(
        jf::ProductOf(code, market.name.empty() ? S(product_->currentText()) : std::string(market.name), date).name);
    std::vector<Entry> trades;
    for (const auto& [kind, shown] : {std::pair{EntryKind::Buy, view.buy}, std::pair{EntryKind::Sell, view.sale}}) {
        if (!shown)
            continue;
        if (shown->quantity.Raw() % qcal::Money::kScale != 0) {
            ShowMessage(this, qcal::msg::kJournalNotWholeShares);
            return;
        }
        Entry e;
        e.date = date.Format();
        e.code = code;
        e.product = product;
        e.kind = kind;
        e.price = shown->price;
        e.quantity = shown->quantity.Raw() / qcal::Money::kScale;
        e.amount = shown->amount;
        if (const qcal::Outcome fees = jf::FillComputedFees(e, view.fees); !fees.ok()) {
            ShowMessage(this, qcal::MessageText(fees, {}));
            return;
        }
        trades.push_back(std::move(e));
    }
    if (!Acceptable(trades, {}))
        return;
    Done(store_.Import(trades), {trades.front().code}, trades.back().id);
}

// Holdings --------------------------------------------------------------------------------------------

void Form9::ComputeAllHoldings()
{
    holdingsByCode_.clear();
    for (jf::CodeHoldings& h : jf::HoldingsOfEachCode(store_.ForHoldings()))
        holdingsByCode_[h.code] = std::move(h);
    holdingsComputed_ = true;
    ShowHoldings();
}

void Form9::ComputeHoldings(const std::vector<std::string>& codes)
{
    for (const std::string& code : codes) {
        holdingsByCode_.erase(code);
        for (jf::CodeHoldings& h : jf::HoldingsOfEachCode(store_.ForHoldings(code)))
            holdingsByCode_[h.code] = std::move(h);
    }
    ShowHoldings();
}

jf::PositionFigures Form9::FiguresOf(const jf::Position& p) const
{
    const auto price = prices_.find(p.code);
    return jf::FiguresFor(p, View().fees, Today(), price == prices_.end() ? std::nullopt : std::optional(price->second));
}

void Form9::ShowHoldings()
{
    const std::string selected = SelectedCode();
    holdings_->setRowCount(static_cast<int>(holdingsByCode_.size()));
    int row = 0;
    int reselect = -1;
    for (const auto& [code, holding] : holdingsByCode_) {
        if (code == selected)
            reselect = row;
        ShowHoldingRow(row++, code);
    }
    {
        // The sales and lots shown follow the figures even when the selection stays where it was.
        const QSignalBlocker quiet(holdings_);
        if (reselect >= 0)
            holdings_->selectRow(reselect);
    }
    HoldingSelected();
    ShowYears();
}

void Form9::ShowHoldingRow(int row, const std::string& code)
{
    const auto found = holdingsByCode_.find(code);
    if (found == holdingsByCode_.end())
        return;
    const jf::CodeHoldings& holding = found->second;
    for (int c = 0; c < kHoldingColumns; ++c)
        Put(holdings_, row, c, {});
    Put(holdings_, row, HCode, Q(code), false);
    if (!holding.position) {
        Put(holdings_, row, HProduct, Q(jf::RefusalText(*holding.refusal)), false);
        holdings_->setSpan(row, HProduct, 1, kHoldingColumns - HProduct);
        return;
    }
    if (holdings_->columnSpan(row, HProduct) > 1)
        holdings_->setSpan(row, HProduct, 1, 1);
    const jf::Position& p = *holding.position;
    const jf::PositionFigures figures = FiguresOf(p);
    Put(holdings_, row, HProduct, Q(p.product), false);
    Put(holdings_, row, HShares, Shares(p.shares));
    Put(holdings_, row, HInvested, Amount(p.invested));
    Put(holdings_, row, HAverageCost, Cost(p.AverageCost()));
    Put(holdings_, row, HFifoCost, Cost(p.FifoCost()));
    Put(holdings_, row, HBreakEvenAverage, p.shares > 0 ? Price(figures.breakEvenAverage) : QString());
    Put(holdings_, row, HBreakEvenFifo, p.shares > 0 ? Price(figures.breakEvenFifo) : QString());
    if (figures.price)
        Put(holdings_, row, HPrice, Q(FormatPicture(*figures.price, kPricePicture)));
    if (figures.value) {
        Put(holdings_, row, HProfitAverage, Amount(figures.value->profitAverage));
        Put(holdings_, row, HProfitFifo, Amount(figures.value->profitFifo));
        Colour(holdings_, row, HProfitAverage, figures.value->profitAverage);
        Colour(holdings_, row, HProfitFifo, figures.value->profitFifo);
    }
    Put(holdings_, row, HRealisedAverage, Amount(p.total.profitAverage));
    Put(holdings_, row, HRealisedFifo, Amount(p.total.profitFifo));
    Colour(holdings_, row, HRealisedAverage, p.total.profitAverage);
    Colour(holdings_, row, HRealisedFifo, p.total.profitFifo);
    Put(holdings_, row, HDividends, Amount(p.total.dividends));
}

std::string Form9::SelectedCode() const
{
    const auto rows = holdings_->selectionModel()->selectedRows();
    if (rows.isEmpty() || !holdings_->item(rows.front().row(), HCode))
        return {};
    return S(holdings_->item(rows.front().row(), HCode)->text());
}

void Form9::HoldingSelected()
{
    sales_->setRowCount(0);
    lots_->setRowCount(0);
    lotsCaption_->setText(QStringLiteral("持有的批次（持有期和红利税按今天卖出算）"));
    const auto found = holdingsByCode_.find(SelectedCode());
    if (found == holdingsByCode_.end() || !found->second.position)
        return;
    const jf::Position& p = *found->second.position;
    if (const auto price = prices_.find(p.code); price != prices_.end())
        Text(10)->setText(Q(FormatPicture(price->second, kPricePicture)));
    else
        Text(10)->clear();
    sales_->setRowCount(static_cast<int>(p.sales.size()));
    // Newest first, as the journal.
    for (int row = 0; row < sales_->rowCount(); ++row) {
        const jf::Sale& s = p.sales[p.sales.size() - 1 - static_cast<std::size_t>(row)];
        Put(sales_, row, 0, Q(s.date.Format()), false);
        Put(sales_, row, 1, QString::number(s.entryId));
        Put(sales_, row, 2, Shares(s.shares));
        Put(sales_, row, 3, Amount(s.received));
        Put(sales_, row, 4, Amount(s.costAverage));
        Put(sales_, row, 5, Amount(s.costFifo));
        Put(sales_, row, 6, Amount(s.dividendTax));
        Put(sales_, row, 7, Amount(s.ProfitAverage()));
        Put(sales_, row, 8, Amount(s.ProfitFifo()));
        Colour(sales_, row, 7, s.ProfitAverage());
        Colour(sales_, row, 8, s.ProfitFifo());
    }
    // Each lot held, with the tax its dividends would cost if it were sold today.
    const qcal::CivilDate today = Today();
    lots_->setRowCount(static_cast<int>(p.lots.size()));
    for (int row = 0; row < lots_->rowCount(); ++row) {
        const jf::Lot& lot = p.lots[static_cast<std::size_t>(row)];
        const qcal::HoldingBand band = qcal::HoldingBandOf(lot.acquired, today);
        ShowLot(row, {lot.entryId, lot.acquired, lot.shares, lot.cost, lot.dividends, band,
                      qcal::DividendTax(lot.dividends, band)});
    }
}

void Form9::ShowLot(int row, const jf::LotSold& lot)
{
    Put(lots_, row, 0, QString::number(lot.lotEntryId));
    Put(lots_, row, 1, Q(lot.acquired.Format()), false);
    Put(lots_, row, 2, Shares(lot.shares));
    Put(lots_, row, 3, Amount(lot.cost));
    Put(lots_, row, 4, Cost(jf::Lot{lot.lotEntryId, lot.acquired, lot.shares, lot.cost, lot.dividends}.CostPerShare()));
    Put(lots_, row, 5, Q(FormatPicture(qcal::DividendsAsMoney(lot.dividends), kExactAmountPicture)));
    const char* band = lot.band == qcal::HoldingBand::UpToOneMonth  ? "1个月以内"
                       : lot.band == qcal::HoldingBand::UpToOneYear ? "1个月至1年"
                                                                     : "1年以上";
    Put(lots_, row, 6, QString::fromUtf8(band), false);
    Put(lots_, row, 7, QStringLiteral("%1%").arg(qcal::DividendTaxPercent(lot.band)));
    Put(lots_, row, 8, Amount(lot.tax));
}

void Form9::SaleSelected()
{
    const auto found = holdingsByCode_.find(SelectedCode());
    const auto rows = sales_->selectionModel()->selectedRows();
    if (found == holdingsByCode_.end() || !found->second.position || rows.isEmpty())
        return;
    const jf::Position& p = *found->second.position;
    const jf::Sale& s = p.sales[p.sales.size() - 1 - static_cast<std::size_t>(rows.front().row())];
    lotsCaption_->setText(QStringLiteral("%1 卖出的批次").arg(Q(s.date.Format())));
    lots_->setRowCount(static_cast<int>(s.lotCount));
    for (int row = 0; row < lots_->rowCount(); ++row)
        ShowLot(row, p.lotsSold[s.firstLot + static_cast<std::size_t>(row)]);
}

void Form9::ShowYears()
{
    std::vector<jf::CodeHoldings> all;
    for (const auto& [code, holding] : holdingsByCode_)
        all.push_back(holding);
    std::vector<jf::Totals> totals;
    try {
        totals = jf::YearTotals(all);
    } catch (const qcal::OutOfRange&) {
        totals.clear();
    }
    years_->setRowCount(static_cast<int>(totals.size()));
    for (int row = 0; row < years_->rowCount(); ++row) {
        const jf::Totals& t = totals[static_cast<std::size_t>(row)];
        Put(years_, row, 0, t.year == 0 ? QStringLiteral("合计") : QString::number(t.year), false);
        Put(years_, row, 1, Amount(t.profitAverage));
        Put(years_, row, 2, Amount(t.profitFifo));
        Put(years_, row, 3, Amount(t.dividends));
        Put(years_, row, 4, Amount(t.dividendTax));
        Colour(years_, row, 1, t.profitAverage);
        Colour(years_, row, 2, t.profitFifo);
    }
}

void Form9::Text10_KeyPress()
{
    const std::string code = SelectedCode();
    if (code.empty()) {
        ShowMessage(this, qcal::msg::kJournalPickEntry);
        return;
    }
    const std::string text = S(Text(10)->text());
    if (text.empty()) {
        prices_.erase(code);
    } else {
        const qcal::CheckOutcome check = qcal::CheckPriceText(text, qcal::kNamedFieldPrice);
        if (!check.accepted) {
            Report(qcal::Refusal(check.reason, 10));
            return;
        }
        prices_[code] = *qcal::ParseMoney(check.text);
        Text(10)->setText(Q(check.text));
    }
    for (int row = 0; row < holdings_->rowCount(); ++row) {
        if (S(holdings_->item(row, HCode)->text()) == code)
            ShowHoldingRow(row, code);
    }
    FocusAndSelectAll(Text(10));
}

// Export ----------------------------------------------------------------------------------------------

bool Form9::ExportJournal(const QString& path, qcal::settings::CsvEncoding encoding)
{
    return Exported(qcal::settings::ExportJournalCsv(store_, path, encoding), path);
}

bool Form9::ExportHoldings(const QString& path, qcal::settings::CsvEncoding encoding)
{
    return Exported(qcal::settings::ExportHoldingsCsv(store_, path, encoding, View().fees, Today(), prices_), path);
}

bool Form9::Exported(qcal::settings::CsvWrite written, const QString& path)
{
    switch (written) {
    case qcal::settings::CsvWrite::Ok: return true;
    case qcal::settings::CsvWrite::NotEncodable: ShowMessage(this, qcal::msg::kJournalNotGbk); return false;
    case qcal::settings::CsvWrite::Failed: break;
    }
    ShowMessage(this, PathMessage(qcal::msg::kJournalExportFailed, path));
    return false;
}

void Form9::Export(ExportKind kind)
{
    struct Dialog {
        const char* title;
        const char* file;
    };
    const Dialog dialog = kind == ExportKind::Holdings ? Dialog{"导出持仓", "持仓.csv"}
                          : kind == ExportKind::Audit  ? Dialog{"导出费用核对", "费用核对.csv"}
                                                       : Dialog{"导出交易记录", "交易记录.csv"};
    const QString utf8 = QStringLiteral("CSV 文件，UTF-8 编码（*.csv）");
    const QString gbk = QStringLiteral("CSV 文件，GBK 编码（*.csv）");
    QString filter = utf8;
    const QString path = QFileDialog::getSaveFileName(this, QString::fromUtf8(dialog.title),
                                                      QDir(QDir::homePath()).filePath(QString::fromUtf8(dialog.file)),
                                                      utf8 + QStringLiteral(";;") + gbk, &filter);
    if (path.isEmpty())
        return;
    const auto encoding = filter == gbk ? qcal::settings::CsvEncoding::Gbk : qcal::settings::CsvEncoding::Utf8WithMark;
    switch (kind) {
    case ExportKind::Journal: ExportJournal(path, encoding); break;
    case ExportKind::Holdings: ExportHoldings(path, encoding); break;
    case ExportKind::Audit: ExportAudit(path, encoding); break;
    }
}

bool Form9::ExportAudit(const QString& path, qcal::settings::CsvEncoding encoding)
{
    if (!auditComputed_)
        ComputeAudit();
    return Exported(qcal::settings::WriteCsvFile(path, qcal::audit::AuditCsv(auditModel_->Audit()), encoding), path);
}

// The audit --------------------------------------------------------------------------------------------

void Form9::ComputeAudit()
{
    const std::vector<Entry> entries = store_.All();
    const qcal::FeeSettings& broker = View().fees;
    auditModel_->SetAudit(qcal::audit::AuditFees(entries, broker), broker);
    auditSummary_->setText(AuditSummaryText(auditModel_->Audit().summary));
    auditComputed_ = true;
}

void Form9::AuditChanged()
{
    auditComputed_ = false;
    if (tabs_->currentIndex() == AuditPage)
        ComputeAudit();
}

// Importing a statement ----------------------------------------------------------------------------------

void Form9::Command9_Click()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("导入交割单"), QDir::homePath(),
                                                      QStringLiteral("交割单（*.csv *.txt *.tsv *.xls）;;所有文件（*）"));
    if (!path.isEmpty())
        ImportStatement(path);
}

void Form9::ImportStatement(const QString& path) { ReadForImport(path, std::nullopt); }

namespace {

// A header the reader found without every needed column, or lines that may hold one under names it
// does not know: the user can say which column is which.
bool MappingWanted(const st::Statement& statement)
{
    switch (statement.problem) {
    case st::Problem::MissingColumns:
    case st::Problem::BadMapping: return true;
    case st::Problem::NoHeader: return statement.columns.size() >= st::kNeededFields.size();
    default: return false;
    }
}

} // namespace

void Form9::ReadForImport(const QString& path, std::optional<st::ColumnMap> userMap)
{
    if (!CheckSettled())
        return;
    if (store_.IsReadOnly()) {
        ShowMessage(this, qcal::msg::kJournalReadOnly);
        return;
    }
    st::ReadOptions options;
    options.map = userMap;
    qcal::settings::StatementFile file;
    if (userMap) {
        file = qcal::settings::ReadStatementFile(path, qcal::settings::EncodingChoice::Detect, options);
    } else {
        // A header seen before is read as the user said then, without asking again; a mapping given
        // a moment ago may still be on its way to the file.
        Main().Settings().Finish();
        auto read = qcal::settings::ReadStatementRemembering(path, IniPath());
        file = std::move(read.file);
        options.map = std::move(read.map);
    }
    const std::string shownPath = S(QDir::toNativeSeparators(path));
    if (!file.readable) {
        ShowMessage(this, qcal::FillIn(qcal::msg::kImportFileProblem, {shownPath, file.message}));
        return;
    }
    if (MappingWanted(file.statement)) {
        const QString problem = Q(qcal::FillIn(qcal::msg::kImportFileProblem, {shownPath, file.statement.message})).trimmed();
        auto* dialog = new Form12(this, problem, file.statement, [this, path](const st::ColumnMap& map) {
            ReadForImport(path, map);
        });
        dialog->Open();
        return;
    }
    if (!file.statement.Ok()) {
        ShowMessage(this, qcal::FillIn(qcal::msg::kImportFileProblem, {shownPath, file.statement.message}));
        return;
    }
    if (userMap)
        Main().Settings().Save({qcal::settings::ColumnMapEntry(file.statement.columns, *userMap)});
    auto* preview = new Form11(this, path, std::move(file), options,
                               {[this](const st::Statement& statement) { return PlanOf(statement); },
                                [this](const st::ImportPlan& plan) { ImportPlanned(plan); }});
    preview->Open();
}

QString Form9::IniPath() const
{
    // The journal lives beside QCAL.INI.
    return QFileInfo(Main().JournalPath()).dir().filePath(QString::fromLatin1(qcal::settings::kIniFileName));
}

st::ImportPlan Form9::PlanOf(const st::Statement& statement)
{
    // Every source at once: a statement of many rows asks about each.
    auto sources = std::make_shared<const std::unordered_set<std::string>>(store_.Sources());
    st::JournalView journal;
    journal.holds = [sources](const std::string& source) { return sources->count(source) > 0; };
    journal.entriesOf = [this](const std::string& code) { return store_.OfCode(code); };
    return st::PlanImport(statement, View().fees, journal);
}

void Form9::ImportPlanned(const st::ImportPlan& plan)
{
    if (!CheckSettled())
        return;
    std::vector<Entry> entries = plan.Entries();
    if (entries.empty())
        return;
    std::set<std::string> touched;
    for (const Entry& e : entries)
        touched.insert(e.code);
    if (!Done(store_.Import(entries), std::vector<std::string>(touched.begin(), touched.end())))
        return;
    ShowMessage(this, qcal::FillIn(qcal::msg::kImportDone, {st::SummaryText(plan)}));
    // A fee charged otherwise than the rules say is what the user will want to see next.
    if (!auditComputed_)
        ComputeAudit();
    if (auditModel_->Audit().summary.differing > 0)
        tabs_->setCurrentIndex(AuditPage);
    activateWindow();
}

} // namespace qcal::ui
