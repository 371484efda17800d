#include "ui/main/form1_layout.h"

#include <vector>

#include "core/captions.h"
#include "core/fees.h"

namespace qcal::ui::form1 {

namespace {

// One row of a calculation frame: caption label, field and unit label.
struct FrameRow {
    const char* label;
    std::string_view caption;
    std::string_view labelTip;
    const char* field;
    std::string_view fieldTip;
    const char* unit;
    std::string_view unitCaption;
};

using namespace qcal::caption;

constexpr std::string_view kOtherFeesTip =
    "交易所的经手费和证管费：券商的佣金不含规费时另外收取，两项相加后四舍五入到分；含规费时为0";

constexpr FrameRow kBuyRows[] = {
    {"Label1", kBuyPrice, kBuyPriceTip, "Text1", "每股买入的价格，就是成交价", "Label19_0", kUnitYuan},
    {"Label2", kBuyQuantity, kBuyQuantityTip, "Text2", "买入股票的数量，100股为1手。", "Label19_1", kUnitShares},
    {"Label3", "交易金额", "本次买入总金额，既买入价格 × 买入数量", "Text3", "本次买入总金额", "Label19_2", "元"},
    {"Label4", "佣    金", "本次买入佣金，既手续费。手续费各个券商自由浮动，但不得高于3.0‰，起点 5 元", "Text4",
     "本次买入手续费", "Label19_3", "元"},
    {"Label5", "印 花 税", "本次买入印花税，既本次买入总金额的3‰，财政部决定2007年5月30日起印花税为3‰", "Text5",
     "本次买入印花税，既本次交易总金额的1‰", "Label19_4", "元"},
    {"Label6", "过 户 费", "过户费每100股0.1元，起点1元（深交所不收） ", "Text6",
     "过户费每100股0.1元，起点1元（深交所不收） ", "Label19_5", "元"},
    {"Label30", "规    费", kOtherFeesTip, "Text25", kOtherFeesTip, "Label19_21", "元"},
    {"Label7", "费用合计", "本次买入各项费用合计，既手续费、印花税、过户费的总和，不包括交易金额", "Text7",
     "本次买入总费用", "Label19_6", "元"},
    {"Label21", "实付金额", "本次买入股票实际交付金额，既 交易金额 + 费用合计，如有分红则减去分红", "Text10",
     "本次买入股票实际交付金额", "Label19_18", "元"},
    {"Label9", "买入成本", "本次买入每股成本价，既加上买入的各种费用后每股成本价", "Text8", "本次买入每股成本价",
     "Label19_7", "元"},
    {"Label8", kBreakEven, kBreakEvenTip, "Text9", "每股的保本价格", "Label19_8", kUnitYuan},
};

constexpr FrameRow kSellRows[] = {
    {"Label10", kSellPrice, kSellPriceTip, "Text11", "每股卖出的价格，就是成交价", "Label19_9", kUnitYuan},
    {"Label11", kSellQuantity, kSellQuantityTip, "Text12", "卖出股票的数量。", "Label19_10", kUnitShares},
    {"Label12", "交易金额", "本次卖出总金额，既卖出价格 × 卖出数量", "Text13", "本次卖出总金额", "Label19_11", "元"},
    {"Label13", "佣    金", "本次卖出佣金，既手续费。手续费各个券商自由浮动，但不得高于3.0‰，起点 5 元", "Text14",
     "本次卖出手续费", "Label19_12", "元"},
    {"Label14", "印 花 税", "本次卖出印花税，既本次买入总金额的3‰，财政部决定2007年5月30日起印花税为3‰", "Text15",
     "本次卖出印花税，既本次交易总金额的1‰", "Label19_13", "元"},
    {"Label15", "过 户 费", "过户费每100股0.1元，起点1元（深交所不收） ", "Text16",
     "过户费每100股0.1元，起点1元（深交所不收） ", "Label19_14", "元"},
    {"Label31", "规    费", kOtherFeesTip, "Text26", kOtherFeesTip, "Label19_22", "元"},
    {"Label16", "费用合计", "本次卖出各项费用合计，既手续费、印花税、过户费的总和，不包括交易金额", "Text17",
     "本次卖出总费用", "Label19_15", "元"},
    {"Label22", "实收金额", "本次卖出股票实际收到的金额，既交易金额 - 费用合计", "Text20", "本次卖出股票实际收到的金额",
     "Label19_19", "元"},
    {"Label26", kRealisedProfit, kRealisedProfitTip, "Text24", kRealisedProfitTip, "Label19_20", "元"},
    {"Label18", kYield, "本次所赚金额在投资金额中所占的百分比既为收益率，例：投资100元，赚1元，收益率既为1%",
     "Text18", "本次所赚金额在投资金额中所占的百分比既为收益率", "Label19_16", "％"},
    {"Label17", kProfitLoss, kProfitLossTip, "Text19", "一轮买入卖出后的盈亏金额", "Label19_17", kUnitYuan},
};

// Rows of the calculation frames: label at 240, field at 1320, unit after it, the first field at
// 360 and the rows 480 apart. A field is wide enough for the widest figure it can show (a sum near
// Money's limit, negative, with its separators: "-922,337,203,685,477.58").
constexpr int kRowTop = 360;
constexpr int kRowStep = 480;
constexpr int kRowHeight = 315;
constexpr int kFieldLeft = 1320;
constexpr int kFieldWidth = 2160;
constexpr int kUnitLeft = kFieldLeft + kFieldWidth + 105;
constexpr int kFrameWidth = kUnitLeft + 300 + 75;
constexpr int kFramesTop = 720;
constexpr int kFrameHeight = kRowTop + 11 * kRowStep + kRowHeight + 180;  // twelve rows
constexpr int kSettingsWidth = 2520;
constexpr int kBuyFrameLeft = 120 + kSettingsWidth + 105;
constexpr int kSellFrameLeft = kBuyFrameLeft + kFrameWidth + 105;
static_assert(kSellFrameLeft + kFrameWidth + 120 <= kClientWidth);
static_assert(kFramesTop + kFrameHeight + 120 <= kClientHeight);

constexpr std::string_view kCommissionTip =
    "佣金费就是手续费，官方叫法为“佣金”，券商称之为“手续费”，目前网上交易一般为2.7‰，国家规定最高为3.0‰";
constexpr std::string_view kStampDutyTip = "历史最高印花税为6‰，最低为1‰，目前为3‰！";
constexpr std::string_view kMarketTip =
    "交易的品种：按现行规则计费时可选上海A股、深圳A股、创业板、科创板、北交所、基金、可转债，各有各的交易单位、价位和费用";
constexpr std::string_view kTradeDateTip =
    "按这一天施行的费率计算印花税、过户费和规费（默认今天，不保存）；核对过去的交易时选成交日期";
constexpr std::string_view kCodeTip = "输入6位证券代码后回车，程序按代码的开头数字选出品种；可以不填";

// The settings frame: rows 400 twips apart, then the check boxes and the note.
constexpr int SettingsRow(int n) { return 300 + 400 * n; }
constexpr int kChecksTop = SettingsRow(4);
constexpr int kNoteTop = kChecksTop + 1290;
constexpr int kNoteHeight = 1125;
constexpr int kSettingsHeight = kNoteTop + kNoteHeight + 45;
constexpr int kDividendTop = 720 + kSettingsHeight + 90;
constexpr int kButtonsTop = kDividendTop + 1215 + 105;
static_assert(kButtonsTop + 585 + 495 + 120 <= kClientHeight);

// Everything but the rows of the two calculation frames, in tab order within each frame.
constexpr ControlSpec kFixed[] = {
    {"Command5", Kind::Button, nullptr, 3960, 240, 975, 495, "多次买入", "多次买入计算，使用后如需计算单次买入，请先点击清空"},
    {"Command6", Kind::Button, nullptr, kSellFrameLeft + 1320, 240, 975, 495, "多次卖出", "多次卖出计算，使用后如需计算单次卖出，请先点击清空"},

    {"Frame4", Kind::Frame, nullptr, 120, 720, kSettingsWidth, kSettingsHeight, "设置", "一些参数和功能设置。参与最后一次计算的参数会自动记忆下来。"},
    {"Label25", Kind::Label, "Frame4", 120, SettingsRow(0), 720, 330, "证交所", {}},
    {"Combo3", Kind::ComboList, "Frame4", 840, SettingsRow(0), 1470, 330, {}, kMarketTip},
    {"Label28", Kind::Label, "Frame4", 120, SettingsRow(1), 720, 330, "代  码", kCodeTip},
    {"Text23", Kind::TextBox, "Frame4", 840, SettingsRow(1), 1470, 330, {}, kCodeTip},
    {"Label23", Kind::Label, "Frame4", 120, SettingsRow(2), 720, 330, "佣  金", kCommissionTip},
    {"Combo1", Kind::ComboEditable, "Frame4", 840, SettingsRow(2), 1170, 330, {}, kCommissionTip},
    {"Label20_0", Kind::Label, "Frame4", 2055, SettingsRow(2), 255, 330, "‰",
     "佣金费就是手续费，官方叫法为“佣金”，券商称之为“手续费”，国家规定最高为3.0‰"},
    {"Label24", Kind::Label, "Frame4", 120, SettingsRow(3), 720, 330, "印花税", kStampDutyTip},
    {"Combo2", Kind::ComboList, "Frame4", 840, SettingsRow(3), 1170, 330, {}, kStampDutyTip},
    {"Label20_1", Kind::Label, "Frame4", 2055, SettingsRow(3), 255, 330, "‰", "历史最高印花税为6‰，最低为1‰"},
    // In the stamp duty list's place, which the current rules do not use: the date whose rates they charge.
    {"Label29", Kind::Label, "Frame4", 120, SettingsRow(3), 720, 330, "交易日期", kTradeDateTip},
    {"DTPicker1", Kind::DateBox, "Frame4", 840, SettingsRow(3), 1470, 330, {}, kTradeDateTip},
    {"Check1", Kind::CheckBox, "Frame4", 120, kChecksTop, 2190, 300, "窗口置顶",
     "勾上后，本窗口会置于所有窗口之上。本以为是一项华而不实的功能，不过还是有一些网友需要。"},
    {"Check2", Kind::CheckBox, "Frame4", 120, kChecksTop + 320, 2190, 300, "记忆买入计算", {}},
    {"Check3", Kind::CheckBox, "Frame4", 120, kChecksTop + 640, 2190, 300, kCurrentRules, kCurrentRulesTip},
    // Indented under the box it depends on.
    {"Check4", Kind::CheckBox, "Frame4", 420, kChecksTop + 960, 1890, 300, kWaiveMinimum, kWaiveMinimumTip},
    // Which rules are in force, in words a newcomer understands (ShowRulesNote writes it).
    {"Label27", Kind::Note, "Frame4", 120, kNoteTop, kSettingsWidth - 225, kNoteHeight, {}, {}},

    {"Frame5", Kind::Frame, nullptr, 120, kDividendTop, kSettingsWidth, 1215, "送股分红除权", {}},
    {"Label20_3", Kind::Label, "Frame5", 120, 360, 840, 315, "10股送", "送股的数量"},
    {"Text21", Kind::TextBox, "Frame5", 960, 360, 1260, 315, {}, "送股的数量"},
    {"Label20_2", Kind::Label, "Frame5", 2280, 360, 225, 315, "股", "送股的数量"},
    {"Label20_4", Kind::Label, "Frame5", 120, 780, 840, 315, "10股派", "分红的数量"},
    {"Text22", Kind::TextBox, "Frame5", 960, 780, 1260, 315, {}, "分红的数量"},
    {"Label20_5", Kind::Label, "Frame5", 2280, 780, 225, 315, "元", "分红的数量"},

    {"Command4", Kind::Button, nullptr, 240, kButtonsTop, 975, 495, "清 空", "清空所有数据，以便重新计算"},
    {"Command1", Kind::Button, nullptr, 1440, kButtonsTop, 975, 495, "计 算", "只计算单次买入卖出费用"},
    {"Command2", Kind::Button, nullptr, 240, kButtonsTop + 585, 975, 495, "退 出", "退出本程序"},
    {"Command3", Kind::Button, nullptr, 1440, kButtonsTop + 585, 975, 495, "关 于", "关于本程序的最初编写原因"},
};

void AddFrame(std::vector<ControlSpec>& out, const char* frame, const char* caption, int left,
              std::span<const FrameRow> rows)
{
    out.push_back({frame, Kind::Frame, nullptr, left, kFramesTop, kFrameWidth, kFrameHeight, caption, {}});
    int top = kRowTop;
    for (const FrameRow& row : rows) {
        const bool input = row.field == std::string_view("Text1") || row.field == std::string_view("Text2") ||
                           row.field == std::string_view("Text11") || row.field == std::string_view("Text12");
        out.push_back({row.label, Kind::Label, frame, 240, top, 1080, kRowHeight, row.caption, row.labelTip});
        out.push_back({row.field, input ? Kind::TextBox : Kind::ResultBox, frame, kFieldLeft, top, kFieldWidth,
                       kRowHeight, {}, row.fieldTip});
        out.push_back({row.unit, Kind::Label, frame, kUnitLeft, top, 300, kRowHeight, row.unitCaption, row.fieldTip});
        top += kRowStep;
    }
}

std::vector<ControlSpec> MakeTable()
{
    std::vector<ControlSpec> table(std::begin(kFixed), std::end(kFixed));
    AddFrame(table, "Frame2", "买入计算", kBuyFrameLeft, kBuyRows);
    AddFrame(table, "Frame3", "卖出计算", kSellFrameLeft, kSellRows);
    return table;
}

} // namespace

std::span<const ControlSpec> Controls()
{
    static const std::vector<ControlSpec> table = MakeTable();
    return table;
}

} // namespace qcal::ui::form1
