#include "ui/tools/form8.h"

#include <vector>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/captions.h"
#include "core/numtext.h"
#include "ui/common/field_keys.h"
#include "ui/common/text.h"

namespace qcal::ui {

namespace {

namespace pf = qcal::position;

// Every field is wide enough for the widest figure it can show: a sum near Money's limit with its
// separators, a share count of fifteen digits, a cost of as many.
constexpr int kFieldWidth = 2160;
constexpr int kFrameWidth = 1260 + kFieldWidth + 60 + 300 + 60;
constexpr int kHoldingHeight = 1320;
constexpr int kFramesTop = 120 + kHoldingHeight + 120;
constexpr int kRoundTripHeight = 4500;
constexpr int kClientWidth = 120 + kFrameWidth + 120 + kFrameWidth + 120;
constexpr int kClientHeight = kFramesTop + kRoundTripHeight + 120 + 495 + 120;
constexpr int Row(int n) { return 300 + 400 * n; }

// One row of the 补仓 or the 做T frame: caption, field, unit.
struct Line {
    const char* label;
    std::string_view caption;
    const char* field;
    bool input;
    const char* unit;
    std::string_view unitCaption;
    std::string_view tip;
};

using namespace qcal::caption;

constexpr Line kAverageDown[] = {
    {"Label3", "补仓价格", "Text3", true, "Label21", kUnitYuan, "现在准备买入的价格"},
    {"Label4", "目标成本", "Text4", true, "Label22", kUnitYuan, "希望补仓后每股成本降到多少，回车即算出补仓股数"},
    {"Label5", "补仓股数", "Text5", true, "Label23", kUnitShares,
     "达到目标成本最少要买的股数（整手）；也可以自己输入股数后回车，看补仓后的成本"},
    {"Label6", "所需资金", "Text6", false, "Label24", kUnitYuan, "买入这些股票要付的钱：交易金额加买入费用"},
    {"Label7", "补后成本", "Text7", false, "Label25", kUnitYuan, "补仓后每股成本，保留三位小数向上进位"},
    {"Label8", "补后保本", "Text8", false, "Label26", kUnitYuan, "补仓后全部卖出不亏损的最低价格（交易所价位上）"},
};

constexpr Line kRoundTrip[] = {
    {"Label9", "做T股数", "Text9", true, "Label27", kUnitShares, "先卖后买（或先买后卖）的股数"},
    {"Label10", kSellPrice, "Text10", true, "Label28", kUnitYuan, "这次卖出的价格"},
    {"Label11", "买回价格", "Text11", true, "Label29", kUnitYuan, "同一天买回的价格，回车即计算"},
    {"Label12", "卖出费用", "Text12", false, "Label30", kUnitYuan, "卖出这一笔的佣金、印花税和过户费"},
    {"Label13", "买回费用", "Text13", false, "Label31", kUnitYuan, "买回这一笔的佣金和过户费（以及原来规则的印花税）"},
    {"Label14", "做T盈亏", "Text14", false, "Label32", kUnitYuan, "卖出实收减去买回实付"},
    {"Label15", "做T后成本", "Text15", false, "Label33", kUnitYuan, "做T后持仓的每股成本"},
    {"Label16", "做T后保本", "Text16", false, "Label34", kUnitYuan, "做T后持仓全部卖出不亏损的最低价格"},
    {"Label17", "保本卖价", "Text17", false, "Label35", kUnitYuan, "买回价格不变时，这次做T不亏的最低卖出价格"},
};

void AddLines(std::vector<ControlSpec>& out, const char* frame, std::span<const Line> lines)
{
    int n = 0;
    for (const Line& line : lines) {
        out.push_back({line.label, Kind::Label, frame, 120, Row(n), 1140, 315, line.caption, {}});
        out.push_back({line.field, line.input ? Kind::TextBox : Kind::ResultBox, frame, 1260, Row(n), kFieldWidth, 315,
                       {}, line.tip});
        out.push_back({line.unit, Kind::Label, frame, 1260 + kFieldWidth + 60, Row(n), 300, 315, line.unitCaption, {}});
        ++n;
    }
}

std::vector<ControlSpec> MakeControls()
{
    // The holding: shares and cost on the first row, the money invested and a remark on the second.
    constexpr int kRight = 3960;
    std::vector<ControlSpec> rows = {
        {"Frame1", Kind::Frame, nullptr, 120, 120, 2 * kFrameWidth + 120, kHoldingHeight, "持仓", {}},
        {"Label1", Kind::Label, "Frame1", 120, 300, 960, 315, "持有股数", {}},
        {"Text1", Kind::TextBox, "Frame1", 1080, 300, kFieldWidth, 315, {}, "现在持有的股数（含送股，减去已卖出的）"},
        {"Label18", Kind::Label, "Frame1", 1080 + kFieldWidth + 60, 300, 240, 315, kUnitShares, {}},
        {"Label2", Kind::Label, "Frame1", kRight, 300, 960, 315, "每股成本", {}},
        {"Text2", Kind::TextBox, "Frame1", kRight + 960, 300, kFieldWidth, 315, {},
         "每股成本（含费用），主窗口的买入成本；部分卖出后为剩余股票每股分摊的成本"},
        {"Label19", Kind::Label, "Frame1", kRight + 960 + kFieldWidth + 60, 300, 240, 315, kUnitYuan, {}},
        {"Label20", Kind::Label, "Frame1", 120, 720, 960, 315, "投入金额", {}},
        {"Text18", Kind::ResultBox, "Frame1", 1080, 720, kFieldWidth, 315, {},
         "这些股票还要收回的钱：取主窗口的实付金额（部分卖出后减去实收金额），否则为持有股数 × 每股成本"},
        {"Label36", Kind::Label, "Frame1", 1080 + kFieldWidth + 60, 720, 240, 315, kUnitYuan, {}},
        {"Label37", Kind::Note, "Frame1", kRight, 660, 2 * kFrameWidth - kRight, 600, {}, {}},
        {"Frame2", Kind::Frame, nullptr, 120, kFramesTop, kFrameWidth, 3420, "补仓", {}},
        {"Frame3", Kind::Frame, nullptr, 240 + kFrameWidth, kFramesTop, kFrameWidth, kRoundTripHeight, "做T", {}},
    };
    AddLines(rows, "Frame2", kAverageDown);
    rows.push_back({"Command1", Kind::Button, "Frame2", 1260, Row(6) + 120, 1200, 495, "计 算", "按目标成本计算补仓"});
    AddLines(rows, "Frame3", kRoundTrip);
    rows.push_back({"Command2", Kind::Button, "Frame3", 1260, Row(9) + 60, 1200, 495, "计 算", "计算这次做T"});
    rows.push_back({"Command3", Kind::Button, nullptr, kClientWidth / 2 - 600, kFramesTop + kRoundTripHeight + 120,
                    1200, 495, "返 回", "关闭本窗口"});
    return rows;
}

const std::vector<ControlSpec>& Controls()
{
    static const std::vector<ControlSpec> table = MakeControls();
    return table;
}

} // namespace

constexpr const char* kUnitLabels[] = {"Label18", "Label23", "Label27"};

Form8::Form8(MainLink& main)
    : SideWindow(main, {"Form8", "补仓与做T", Controls(), kClientWidth, kClientHeight, false, kUnitLabels})
{
    const pf::Field inputs[] = {pf::Held, pf::Cost, pf::Price, pf::TargetCost, pf::SharesToBuy,
                                pf::TripShares, pf::SellPrice, pf::BuyBackPrice};
    for (pf::Field field : inputs) {
        SelectAllOnFocus(Text(field));
        connect(Text(field), &QLineEdit::textEdited, this, [this, field] { InputEdited(field); });
    }
    OnFieldKeys(Text(pf::Held), {[this] { EnterHolding(pf::Held); }, nullptr, Text(pf::Cost)});
    OnFieldKeys(Text(pf::Cost), {[this] { EnterHolding(pf::Cost); }, Text(pf::Held), Text(pf::Price)});
    OnFieldKeys(Text(pf::Price), {[this] { EnterInput(pf::Price, Text(pf::TargetCost)); }, Text(pf::Cost),
                                  Text(pf::TargetCost)});
    OnFieldKeys(Text(pf::TargetCost), {[this] { Run(qcal::ComputeAverageDown); }, Text(pf::Price),
                                       Text(pf::SharesToBuy)});
    OnFieldKeys(Text(pf::SharesToBuy), {[this] { Run(qcal::ComputeAverageDownShares); }, Text(pf::TargetCost),
                                        nullptr});
    OnFieldKeys(Text(pf::TripShares), {[this] { EnterInput(pf::TripShares, Text(pf::SellPrice)); }, nullptr,
                                       Text(pf::SellPrice)});
    OnFieldKeys(Text(pf::SellPrice), {[this] { EnterInput(pf::SellPrice, Text(pf::BuyBackPrice)); },
                                      Text(pf::TripShares), Text(pf::BuyBackPrice)});
    OnFieldKeys(Text(pf::BuyBackPrice), {[this] { Run(qcal::ComputeRoundTrip); }, Text(pf::SellPrice), nullptr});
    connect(Command(1), &QPushButton::clicked, this, [this] { Run(qcal::ComputeAverageDown); });
    connect(Command(2), &QPushButton::clicked, this, [this] { Run(qcal::ComputeRoundTrip); });
    connect(Command(3), &QPushButton::clicked, this, [this] { close(); });
}

void Form8::Form_Activate()
{
    if (View().holding) {
        TakeMainHolding();
        RunAgain();
        FocusAndSelectAll(Text(pf::Price));
        return;
    }
    FocusAndSelectAll(Text(pf::Held));
}

void Form8::TakeMainHolding()
{
    auto fields = Fields();
    if (View().holding) {
        qcal::TakeHolding(fields, *View().holding, View().fees);
    } else {
        for (pf::Field field : {pf::Held, pf::Cost, pf::Invested})
            fields.text[field].clear();
        fields.investedFor = {};
    }
    SetFields(fields);
    ShowNote();
}

void Form8::MainChanged()
{
    // A holding typed here stays; one taken from the main window follows it.
    if (qcal::HoldsTakenHolding(Fields(), investedFor_.fees)) {
        TakeMainHolding();
        if (!View().holding) {
            ClearResults(qcal::kAverageDownResults);
            ClearResults(qcal::kRoundTripResults);
            shown_ = {};
            return;
        }
    }
    RunAgain();
}

void Form8::RunAgain()
{
    const auto again = [this](Compute& compute, std::span<const pf::Field> results) {
        if (!compute)
            return;
        auto fields = Fields();
        if (compute(fields, View().fees).ok()) {
            SetFields(fields);
            return;
        }
        ClearResults(results);
        compute = nullptr;
    };
    again(shown_.averageDown, qcal::kAverageDownResults);
    again(shown_.roundTrip, qcal::kRoundTripResults);
}

void Form8::InputEdited(pf::Field field)
{
    switch (field) {
    case pf::Held:
    case pf::Cost:
        Text(pf::Invested)->clear();
        ClearResults(qcal::kAverageDownResults);
        ClearResults(qcal::kRoundTripResults);
        shown_ = {};
        ShowNote();
        break;
    case pf::Price:
    case pf::TargetCost:
        ClearResults(qcal::kAverageDownResults);
        shown_.averageDown = nullptr;
        break;
    case pf::SharesToBuy:
        // The typed count stays: it is the input of the other way round.
        for (pf::Field result : {pf::Needed, pf::NewCost, pf::NewBreakEven})
            Text(result)->clear();
        shown_.averageDown = nullptr;
        break;
    default:
        ClearResults(qcal::kRoundTripResults);
        shown_.roundTrip = nullptr;
        break;
    }
}

void Form8::ClearResults(std::span<const pf::Field> results)
{
    for (pf::Field field : results)
        Text(field)->clear();
}

// A holding whose money has all come back (dividends, a profitable partial sale) costs nothing a share.
void Form8::ShowNote()
{
    const auto invested = qcal::ParseMoney(S(Text(pf::Invested)->text()));
    auto* note = findChild<QLabel*>(QStringLiteral("Label37"));
    note->setText(invested && *invested <= qcal::Money() ? Q(qcal::caption::kRecoveredNote) : QString());
}

qcal::PositionFields Form8::Fields() const
{
    qcal::PositionFields fields;
    ReadTexts(fields.text);
    fields.investedFor = investedFor_;
    return fields;
}

void Form8::SetFields(const qcal::PositionFields& fields)
{
    WriteTexts(fields.text);
    investedFor_ = fields.investedFor;
}

// A holding typed here: the money it cost is its shares times its cost, no longer the main window's.
void Form8::EnterHolding(pf::Field field)
{
    auto fields = Fields();
    const qcal::Outcome outcome = qcal::ConfirmPositionField(fields, field);
    if (!outcome.ok()) {
        Report(outcome);
        return;
    }
    fields.text[pf::Invested].clear();
    fields.investedFor = {};
    if (field == pf::Cost && !qcal::ComputeInvested(fields).ok())
        fields.text[pf::Invested].clear();
    SetFields(fields);
    ShowNote();
    FocusAndSelectAll(Text(field == pf::Held ? pf::Cost : pf::Price));
}

void Form8::EnterInput(pf::Field field, QWidget* next)
{
    auto fields = Fields();
    const qcal::Outcome outcome = qcal::ConfirmPositionField(fields, field);
    if (!outcome.ok()) {
        Report(outcome);
        return;
    }
    SetFields(fields);
    FocusAndSelectAll(next);
}

// The focus stays where it was, so that another target or price can be tried at once.
void Form8::Run(Compute compute)
{
    auto fields = Fields();
    const qcal::Outcome outcome = compute(fields, View().fees);
    if (!outcome.ok()) {
        Report(outcome);
        return;
    }
    SetFields(fields);
    ShowNote();
    (compute == qcal::ComputeRoundTrip ? shown_.roundTrip : shown_.averageDown) = compute;
}

} // namespace qcal::ui
