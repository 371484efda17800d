#include "ui/tools/form7.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QTableWidget>

#include "core/captions.h"
#include "core/main_state.h"
#include "ui/common/colours.h"
#include "ui/common/field_keys.h"
#include "ui/common/text.h"
#include "ui/tools/profit_chart.h"

namespace qcal::ui {

namespace {

namespace tf = qcal::target;

// The fields are wide enough for the widest figure they can show (a sum near Money's limit, negative,
// with its separators).
constexpr int kFieldWidth = 2160;
constexpr int kFrameWidth = 1200 + kFieldWidth + 60 + 300;
constexpr int kUnitLeft = 1200 + kFieldWidth + 60;
constexpr int kGridLeft = 120 + kFrameWidth + 120, kGridTop = 220, kGridWidth = 6240, kGridHeight = 3600;
constexpr int kChartTop = 3960, kChartHeight = 4140;
constexpr int kClientWidth = kGridLeft + kGridWidth + 120;
constexpr int kClientHeight = 8220;

// A row of a frame: caption, field and unit, 420 twips apart.
constexpr int Row(int n) { return 300 + 420 * n; }

constexpr ControlSpec kControls[] = {
    {"Frame1", Kind::Frame, nullptr, 120, 120, kFrameWidth, 1560, "买入", {}},
    {"Label1", Kind::Label, "Frame1", 120, Row(0), 1080, 315, qcal::caption::kBuyPrice, {}},
    {"Text1", Kind::TextBox, "Frame1", 1200, Row(0), kFieldWidth, 315, {}, "每股买入的价格"},
    {"Label11", Kind::Label, "Frame1", kUnitLeft, Row(0), 300, 315, qcal::caption::kUnitYuan, {}},
    {"Label2", Kind::Label, "Frame1", 120, Row(1), 1080, 315, qcal::caption::kBuyQuantity, {}},
    {"Text2", Kind::TextBox, "Frame1", 1200, Row(1), kFieldWidth, 315, {}, "买入股票的数量，也就是要卖出的数量"},
    {"Label12", Kind::Label, "Frame1", kUnitLeft, Row(1), 300, 315, qcal::caption::kUnitShares, {}},
    {"Label10", Kind::Label, "Frame1", 120, Row(2), 1080, 315, "实付金额", {}},
    {"Text10", Kind::ResultBox, "Frame1", 1200, Row(2), kFieldWidth, 315, {},
     "买入实际付出的金额：主窗口算过买入时取主窗口的实付金额，否则为交易金额加买入费用"},
    {"Label13", Kind::Label, "Frame1", kUnitLeft, Row(2), 300, 315, qcal::caption::kUnitYuan, {}},

    {"Frame2", Kind::Frame, nullptr, 120, 1800, kFrameWidth, 1140, "目标", {}},
    {"Label3", Kind::Label, "Frame2", 120, Row(0), 1080, 315, "目标收益率", {}},
    {"Text3", Kind::TextBox, "Frame2", 1200, Row(0), kFieldWidth, 315, {}, "想要的收益率，止损时为负数，例如 -5"},
    {"Label14", Kind::Label, "Frame2", kUnitLeft, Row(0), 300, 315, "％", {}},
    {"Label4", Kind::Label, "Frame2", 120, Row(1), 1080, 315, "目标盈亏", {}},
    {"Text4", Kind::TextBox, "Frame2", 1200, Row(1), kFieldWidth, 315, {}, "想要赚的金额，止损时为负数"},
    {"Label15", Kind::Label, "Frame2", kUnitLeft, Row(1), 300, 315, qcal::caption::kUnitYuan, {}},

    {"Frame3", Kind::Frame, nullptr, 120, 3060, kFrameWidth, 2400, "结果", {}},
    {"Label5", Kind::Label, "Frame3", 120, Row(0), 1080, 315, "目标卖出价", {}},
    {"Text5", Kind::ResultBox, "Frame3", 1200, Row(0), kFieldWidth, 315, {},
     "交易所价位上达到目标的最低卖出价（A股 0.01 元一档，基金 0.001 元一档）"},
    {"Label16", Kind::Label, "Frame3", kUnitLeft, Row(0), 300, 315, qcal::caption::kUnitYuan, {}},
    {"Label6", Kind::Label, "Frame3", 120, Row(1), 1080, 315, "实收金额", {}},
    {"Text6", Kind::ResultBox, "Frame3", 1200, Row(1), kFieldWidth, 315, {}, "以目标卖出价全部卖出，扣除卖出费用后收到的金额"},
    {"Label17", Kind::Label, "Frame3", kUnitLeft, Row(1), 300, 315, qcal::caption::kUnitYuan, {}},
    {"Label7", Kind::Label, "Frame3", 120, Row(2), 1080, 315, qcal::caption::kProfitLoss, {}},
    {"Text7", Kind::ResultBox, "Frame3", 1200, Row(2), kFieldWidth, 315, {}, "实收金额减去实付金额"},
    {"Label18", Kind::Label, "Frame3", kUnitLeft, Row(2), 300, 315, qcal::caption::kUnitYuan, {}},
    {"Label8", Kind::Label, "Frame3", 120, Row(3), 1080, 315, qcal::caption::kYield, {}},
    {"Text8", Kind::ResultBox, "Frame3", 1200, Row(3), kFieldWidth, 315, {}, "盈亏金额占实付金额的百分比"},
    {"Label19", Kind::Label, "Frame3", kUnitLeft, Row(3), 300, 315, "％", {}},
    {"Label9", Kind::Label, "Frame3", 120, Row(4), 1080, 315, qcal::caption::kBreakEven, {}},
    {"Text9", Kind::ResultBox, "Frame3", 1200, Row(4), kFieldWidth, 315, {}, "交易所价位上不亏损的最低卖出价"},
    {"Label20", Kind::Label, "Frame3", kUnitLeft, Row(4), 300, 315, qcal::caption::kUnitYuan, {}},

    {"Command1", Kind::Button, nullptr, 480, 5640, 1200, 495, "计 算", "按字段里现在的内容计算：最后改动的是目标收益率还是目标盈亏，就按哪一个"},
    {"Command2", Kind::Button, nullptr, 2280, 5640, 1200, 495, "返 回", "关闭本窗口"},
    // A remark when some figures have no meaning (a yield on no money paid).
    {"Label22", Kind::Note, nullptr, 120, 6300, kFrameWidth, 900, {}, {}},

    {"Label21", Kind::Label, nullptr, kGridLeft, 0, kGridWidth, 220, "盈亏表", {}},
    {"Grid1", Kind::Grid, nullptr, kGridLeft, kGridTop, kGridWidth, kGridHeight, {},
     "买入价上下约 10% 的卖出价格下全部卖出的结果；保本价和目标价所在的行已标出"},
};

const QStringList kColumns = {QStringLiteral("卖出价格"), QStringLiteral("实收金额"), QStringLiteral("卖出费用"),
                              QStringLiteral("盈亏金额"), QStringLiteral("收益率％"), QStringLiteral("说明")};

// The marked rows of the ladder stand out.
const QColor kMarkedRow(255, 246, 200);

} // namespace

constexpr const char* kUnitLabels[] = {"Label12"};

Form7::Form7(MainLink& main)
    : SideWindow(main, {"Form7", "目标价与盈亏表", kControls, kClientWidth, kClientHeight, false, kUnitLabels})
{
    layoutSize_ = size();
    grid_ = findChild<QTableWidget*>(QStringLiteral("Grid1"));
    grid_->setColumnCount(static_cast<int>(kColumns.size()));
    grid_->setHorizontalHeaderLabels(kColumns);
    // Each column as wide as its widest figure (a sum over a million included); the remarks take
    // what is left, and a ladder wider than its view scrolls rather than cut a number.
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->verticalHeader()->setDefaultSectionSize(TwipsToPx(this, 300));

    chart_ = new ProfitChart(this);
    chart_->setObjectName(QStringLiteral("Picture1"));
    chart_->setGeometry(TwipsRect(this, kGridLeft, kChartTop, kGridWidth, kChartHeight));

    // The ladder and the chart grow with the window; the rest keeps its place.
    setMinimumSize(layoutSize_);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);

    for (tf::Field field : {tf::BuyPrice, tf::Quantity, tf::Yield, tf::Profit}) {
        SelectAllOnFocus(Text(field));
        // A changed input drops what was computed from the old one; a target typed is the one that counts.
        connect(Text(field), &QLineEdit::textEdited, this, [this, field] {
            if (field == tf::Yield || field == tf::Profit)
                lastBy_ = field == tf::Yield ? qcal::TargetBy::Yield : qcal::TargetBy::Profit;
            ClearResults();
        });
    }
    OnFieldKeys(Text(tf::BuyPrice), {[this] { Text1_KeyPress(); }, nullptr, Text(tf::Quantity)});
    OnFieldKeys(Text(tf::Quantity), {[this] { Text2_KeyPress(); }, Text(tf::BuyPrice), Text(tf::Yield)});
    OnFieldKeys(Text(tf::Yield), {[this] { Text3_KeyPress(); }, Text(tf::Quantity), Text(tf::Profit)});
    OnFieldKeys(Text(tf::Profit), {[this] { Text4_KeyPress(); }, Text(tf::Yield), nullptr});
    connect(Command(1), &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command(2), &QPushButton::clicked, this, [this] { close(); });
    Text(tf::Yield)->setText(QStringLiteral("5.00"));
}

void Form7::Form_Activate()
{
    if (View().holding) {
        TakeMainPurchase();
        Compute(lastBy_);
        FocusAndSelectAll(Text(lastBy_ == qcal::TargetBy::Yield ? tf::Yield : tf::Profit));
        return;
    }
    FocusAndSelectAll(Text(tf::BuyPrice));
}

void Form7::TakeMainPurchase()
{
    auto fields = Fields();
    if (View().holding) {
        qcal::TakePurchase(fields, *View().holding, View().fees);
    } else {
        for (tf::Field field : {tf::BuyPrice, tf::Quantity, tf::Paid})
            fields.text[field].clear();
        fields.paidFor = {};
    }
    SetFields(fields);
}

void Form7::MainChanged()
{
    // A purchase typed here stays; one taken from the main window follows it.
    if (!paidFor_.price.empty() && paidFor_ == qcal::PaidBasis{S(Text(tf::BuyPrice)->text()),
                                                               S(Text(tf::Quantity)->text()), paidFor_.fees}) {
        TakeMainPurchase();
        if (!View().holding) {
            ClearResults();
            return;
        }
    }
    ComputeAgain();
}

void Form7::ComputeAgain()
{
    if (!computed_)
        return;
    auto fields = Fields();
    const qcal::TargetResult result = qcal::ComputeTargetPrice(fields, lastBy_, View().fees);
    if (!result.outcome.ok()) {
        ClearResults();
        return;
    }
    SetFields(fields);
    ShowLadder(result);
}

void Form7::resizeEvent(QResizeEvent* event)
{
    SideWindow::resizeEvent(event);
    const QSize extra = (event->size() - layoutSize_).expandedTo(QSize(0, 0));
    const QRect grid = TwipsRect(this, kGridLeft, kGridTop, kGridWidth, kGridHeight);
    const QRect chart = TwipsRect(this, kGridLeft, kChartTop, kGridWidth, kChartHeight);
    // The extra height is shared: a third to the ladder, the rest to the chart.
    const int gridExtra = extra.height() / 3;
    grid_->setGeometry(grid.adjusted(0, 0, extra.width(), gridExtra));
    chart_->setGeometry(chart.adjusted(0, gridExtra, extra.width(), extra.height()));
}

qcal::TargetFields Form7::Fields() const
{
    qcal::TargetFields fields;
    ReadTexts(fields.text);
    fields.paidFor = paidFor_;
    return fields;
}

void Form7::SetFields(const qcal::TargetFields& fields)
{
    WriteTexts(fields.text);
    paidFor_ = fields.paidFor;
}

void Form7::ClearResults()
{
    for (tf::Field field : qcal::kTargetResults)
        Text(field)->clear();
    grid_->setRowCount(0);
    chart_->Clear();
    findChild<QLabel*>(QStringLiteral("Label22"))->clear();
    computed_ = false;
}

// A new purchase: the money paid is that of the prices typed here, no longer the main window's.
void Form7::Text1_KeyPress()
{
    auto fields = Fields();
    const auto outcome = qcal::ConfirmTargetBuy(fields, tf::BuyPrice);
    if (!outcome.ok()) {
        Report(outcome);
        return;
    }
    fields.text[tf::Paid].clear();
    SetFields(fields);
    ClearResults();
    FocusAndSelectAll(Text(tf::Quantity));
}

void Form7::Text2_KeyPress()
{
    auto fields = Fields();
    auto outcome = qcal::ConfirmTargetBuy(fields, tf::Quantity);
    if (outcome.ok())
        outcome = qcal::ComputeTargetPaid(fields, View().fees);
    if (!outcome.ok()) {
        Report(outcome);
        return;
    }
    SetFields(fields);
    ClearResults();
    FocusAndSelectAll(Text(tf::Yield));
}

void Form7::Text3_KeyPress()
{
    Compute(qcal::TargetBy::Yield);
}

void Form7::Text4_KeyPress()
{
    Compute(qcal::TargetBy::Profit);
}

// What is in the fields now: the target typed last decides (typed without Enter, too); an empty
// yield beside a typed profit means the profit.
void Form7::Command1_Click()
{
    if (Text(tf::Yield)->text().isEmpty() && !Text(tf::Profit)->text().isEmpty())
        lastBy_ = qcal::TargetBy::Profit;
    Compute(lastBy_);
}

void Form7::Compute(qcal::TargetBy by)
{
    auto fields = Fields();
    const qcal::TargetResult result = qcal::ComputeTargetPrice(fields, by, View().fees);
    if (!result.outcome.ok()) {
        Report(result.outcome);
        return;
    }
    lastBy_ = by;
    SetFields(fields);
    ShowLadder(result);
    FocusAndSelectAll(Text(by == qcal::TargetBy::Yield ? tf::Yield : tf::Profit));
}

void Form7::ShowLadder(const qcal::TargetResult& result)
{
    grid_->setRowCount(static_cast<int>(result.ladder.size()));
    std::optional<double> breakEven, target;
    for (int r = 0; r < grid_->rowCount(); ++r) {
        const qcal::LadderRow& row = result.ladder[static_cast<std::size_t>(r)];
        for (int c = 0; c < kMarkColumn; ++c) {
            auto* item = new QTableWidgetItem(Q(row.text[static_cast<std::size_t>(c)]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid_->setItem(r, c, item);
        }
        // Gains red, losses blue, as the main window's profit; nothing gained or lost in black.
        for (int c : {3, 4})
            grid_->item(r, c)->setForeground(ToQColor(qcal::ProfitColour(row.sale.profit)));
        QString mark;
        if (row.breakEven) {
            mark = QStringLiteral("保本价");
            breakEven = row.sale.price.ToDouble();
        }
        if (row.target) {
            mark = mark.isEmpty() ? QStringLiteral("目标价") : mark + QStringLiteral("、目标价");
            target = row.sale.price.ToDouble();
        }
        grid_->setItem(r, kMarkColumn, new QTableWidgetItem(mark));
        if (!mark.isEmpty()) {
            for (int c = 0; c <= kMarkColumn; ++c)
                grid_->item(r, c)->setBackground(kMarkedRow);
        }
    }
    grid_->resizeColumnsToContents();
    chart_->SetCurve(result.curve, breakEven, target, Q(result.pricePicture));
    findChild<QLabel*>(QStringLiteral("Label22"))->setText(Q(result.note));
    computed_ = true;
    // The break-even's row in sight: the ladder is longer than its view.
    for (int r = 0; r < grid_->rowCount(); ++r) {
        if (result.ladder[static_cast<std::size_t>(r)].breakEven) {
            grid_->scrollToItem(grid_->item(r, 0), QAbstractItemView::PositionAtCenter);
            break;
        }
    }
}

} // namespace qcal::ui
