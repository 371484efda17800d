#include "ui/tools/form8.h"

#include <vector>

#include <QLineEdit>
#include <QPushButton>

#include "core/captions.h"
#include "ui/common/field_keys.h"
#include "ui/common/text.h"
#include "ui/main/form1.h"

namespace qcal::ui {

namespace {

namespace pf = qcal::position;

constexpr int kClientWidth = 7200;
constexpr int kClientHeight = 6300;
constexpr int kFramesTop = 1000;
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
        out.push_back({line.field, line.input ? Kind::TextBox : Kind::ResultBox, frame, 1260, Row(n), 1680, 315, {},
                       line.tip});
        out.push_back({line.unit, Kind::Label, frame, 3000, Row(n), 300, 315, line.unitCaption, {}});
        ++n;
    }
}

std::vector<ControlSpec> MakeControls()
{
    std::vector<ControlSpec> rows = {
        {"Frame1", Kind::Frame, nullptr, 120, 120, 6960, 760, "持仓", {}},
        {"Label1", Kind::Label, "Frame1", 120, 300, 960, 315, "持有股数", {}},
        {"Text1", Kind::TextBox, "Frame1", 1080, 300, 1080, 315, {}, "现在持有的股数（含送股）"},
        {"Label18", Kind::Label, "Frame1", 2190, 300, 240, 315, kUnitShares, {}},
        {"Label2", Kind::Label, "Frame1", 2460, 300, 960, 315, "每股成本", {}},
        {"Text2", Kind::TextBox, "Frame1", 3420, 300, 1080, 315, {}, "每股成本（含买入费用），主窗口的买入成本"},
        {"Label19", Kind::Label, "Frame1", 4530, 300, 240, 315, kUnitYuan, {}},
        {"Label20", Kind::Label, "Frame1", 4800, 300, 960, 315, "投入金额", {}},
        {"Text18", Kind::ResultBox, "Frame1", 5760, 300, 960, 315, {},
         "这些股票花的钱：取主窗口的实付金额，否则为持有股数 × 每股成本"},
        {"Label36", Kind::Label, "Frame1", 6750, 300, 180, 315, kUnitYuan, {}},
        {"Frame2", Kind::Frame, nullptr, 120, kFramesTop, 3420, 3420, "补仓", {}},
        {"Frame3", Kind::Frame, nullptr, 3660, kFramesTop, 3420, 4500, "做T", {}},
    };
    AddLines(rows, "Frame2", kAverageDown);
    rows.push_back({"Command1", Kind::Button, "Frame2", 1260, Row(6) + 120, 1200, 495, "计 算", "按目标成本计算补仓"});
    AddLines(rows, "Frame3", kRoundTrip);
    rows.push_back({"Command2", Kind::Button, "Frame3", 1260, Row(9) + 60, 1200, 495, "计 算", "计算这次做T"});
    rows.push_back({"Command3", Kind::Button, nullptr, 3000, 5640, 1200, 495, "返 回", "关闭本窗口"});
    return rows;
}

const std::vector<ControlSpec>& Controls()
{
    static const std::vector<ControlSpec> table = MakeControls();
    return table;
}

} // namespace

Form8::Form8(Form1& main) : SideWindow(main, {"Form8", "补仓与做T", Controls(), kClientWidth, kClientHeight, false})
{
    const pf::Field inputs[] = {pf::Held, pf::Cost, pf::Price, pf::TargetCost, pf::SharesToBuy,
                                pf::TripShares, pf::SellPrice, pf::BuyBackPrice};
    for (pf::Field field : inputs)
        SelectAllOnFocus(Text(field));
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
    Form1& main = Main();
    if (main.HasComputedBuy()) {
        auto fields = Fields();
        fields.text[pf::Held] = S(main.Text(qcal::BuyQuantity)->text());
        fields.text[pf::Cost] = S(main.Text(qcal::BuyCost)->text());
        fields.text[pf::Invested] = S(main.Text(qcal::Paid)->text());
        qcal::AdoptInvested(fields);
        SetFields(fields);
        FocusAndSelectAll(Text(pf::Price));
        return;
    }
    FocusAndSelectAll(Text(pf::Held));
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
    if (field == pf::Cost && !qcal::ComputeInvested(fields).ok())
        fields.text[pf::Invested].clear();
    SetFields(fields);
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
void Form8::Run(qcal::Outcome (*compute)(qcal::PositionFields&, const qcal::FeeSettings&))
{
    auto fields = Fields();
    const qcal::Outcome outcome = compute(fields, Main().Fees());
    if (!outcome.ok()) {
        Report(outcome);
        return;
    }
    SetFields(fields);
}

} // namespace qcal::ui
