#pragma once
// Captions and tool tips of the main window's labels that the calculations and Clear change,
// in one place so that the window, Clear and the calculations agree on every character.

#include <string>
#include <string_view>

namespace qcal::caption {

// Label1, buy price.
inline constexpr std::string_view kBuyPrice = "买入价格";
inline constexpr std::string_view kBuyPriceTip =
    "每股买入的价格，就是成交价。成交价有可能低于打入的价格：例如打入9.45元，成交的价格有可能是9.43元";

// Label2, buy quantity: the caption is also the switch that tells whether bonus shares were folded in.
inline constexpr std::string_view kBuyQuantity = "买入数量";
inline constexpr std::string_view kBuyQuantityTip =
    "买入股票的数量，100股为1手。买入的数量必须是100的整数倍，最小单位为100股，既1手";
inline constexpr std::string_view kHolding = "持有股票";
inline constexpr std::string_view kHoldingTip = "所持有的股票为 买入股票数量+送股的数量";
inline constexpr std::string_view kBatchTotal = "持股总数";  // set by the multi-batch buy window

// Label8, break-even price; the partial-sale tool tip has the sold quantity text between its two halves.
inline constexpr std::string_view kBreakEven = "保本价格";
inline constexpr std::string_view kBreakEvenTip = "每股的保本价格，既扣除买入卖出的各种费用后保证不亏损的每股价格";
inline constexpr std::string_view kRemainingBreakEvenTipHead = "剩余股票每股的保本价格，卖出的";
inline constexpr std::string_view kRemainingBreakEvenTipTail = "股的各种费用计入剩余股票成本里面。";

// Label10, sell price.
inline constexpr std::string_view kSellPrice = "卖出价格";
inline constexpr std::string_view kSellPriceTip =
    "每股卖出的价格，就是成交价。一般你打入多少就是多少，极少数情况下会比打入的价格高1～2分钱";

// Label11, sell quantity.
inline constexpr std::string_view kSellQuantity = "卖出数量";
inline constexpr std::string_view kSellQuantityTip =
    "卖出股票的数量。因为配股的原因，所以有可能出现零头，既不满1手（不满100股）";

// Label17, profit or loss; in a partial sale the count of the remaining shares.
inline constexpr std::string_view kProfitLoss = "盈亏金额";
inline constexpr std::string_view kProfitLossTip = "一轮买入卖出后的盈亏金额，既扣除各种费用后赚了多少钱，或亏了多少钱";
inline constexpr std::string_view kGain = "大赚特赚";
inline constexpr std::string_view kLoss = "大亏特亏";
inline constexpr std::string_view kRemainingShares = "剩余股票";

// The settings frame's note when the program's own rules do not know the kind chosen before.
inline std::string MappedMarketNote(std::string_view kind, std::string_view entry)
{
    return "原来的规则没有" + std::string(kind) + "，改按" + std::string(entry) + "计费。";
}

// Text23's tip once a code chose the kind.
inline std::string CodeTip(std::string_view code, std::string_view kind, std::string_view entry)
{
    std::string tip = std::string(code) + "是" + std::string(kind);
    if (entry != kind)
        tip += "，原来的规则按" + std::string(entry) + "计费";
    return tip;
}

// Label26, the profit of the part sold in a partial sale (Text24).
inline constexpr std::string_view kRealisedProfit = "卖出盈亏";
inline constexpr std::string_view kRealisedProfitTip =
    "按现行规则部分卖出时，卖出这部分股票的盈亏：实收金额减去这部分股票分摊的实付金额（按卖出股数占持有股数的比例）；"
    "收益率也按这部分计算";

// Label27, under the settings: the rules in force, in plain words (the current rules' rates are
// those of the trade date and the kind, see CurrentRulesNote).
inline constexpr std::string_view kRulesNoteCurrent = "{}起的费率：";
inline constexpr std::string_view kRulesNoteStampDuty = "印花税只在卖出时收{}‰，";
inline constexpr std::string_view kRulesNoteNoStampDuty = "不收印花税，";
inline constexpr std::string_view kRulesNoteTransferFee = "过户费双向{}‰，";
inline constexpr std::string_view kRulesNoteNoTransferFee = "不收过户费，";
inline constexpr std::string_view kRulesNoteOnTop = "规费另收{}‰，";
inline constexpr std::string_view kRulesNoteMinimum = "佣金每笔最低{}元。";
inline constexpr std::string_view kRulesNoteWaived = "免五：佣金不设最低。";
inline constexpr std::string_view kRulesNoteNoRates = "按现行规则计费：所选的交易日期或佣金没有可用的费率。";
inline constexpr std::string_view kRulesNoteOwn = "按本程序原来的规则计费：印花税买卖都收，上海过户费每千股1元。";

// Label18, yield.
inline constexpr std::string_view kYield = "收 益 率";

// The multi-batch windows' relabelling of the main window's price and quantity fields (Label1,
// Label2, Label10, Label11).
inline constexpr std::string_view kBatchAveragePrice = "买入均价";
inline constexpr std::string_view kBatchAveragePriceTip = "多次买入后，所有的股票的平均价格";
inline constexpr std::string_view kBatchTotalTip = "多次买入所持有的股票";
inline constexpr std::string_view kBatchSellAveragePrice = "卖出均价";
inline constexpr std::string_view kBatchSellAveragePriceTip = "多次卖出的所有股票的平均价格";
inline constexpr std::string_view kBatchSellTotal = "卖出总数";
inline constexpr std::string_view kBatchSellTotalTip = "多次卖出的所有股票的总数";

// The choice of rules (Check3 and its menu item XXGZ) and the waived minimum (Check4, MW).
inline constexpr std::string_view kCurrentRules = "按现行规则计费";
inline constexpr std::string_view kCurrentRulesMenu = "按现行规则计费（2023年8月28日起）";
inline constexpr std::string_view kCurrentRulesTip =
    "勾上后按现行规则计费：印花税只在卖出时收取，为成交金额的0.5‰（2023年8月28日起）；过户费为成交金额的0.01‰，"
    "沪深两市买卖双方都收（2022年4月29日起）；基金不收印花税和过户费；佣金最高3‰，每笔最低5元。"
    "不勾则按本程序原来的规则计费。";
inline constexpr std::string_view kWaiveMinimum = "免五";
inline constexpr std::string_view kWaiveMinimumMenu = "免收最低佣金（免五）";
inline constexpr std::string_view kBrokerTermsMenu = "券商费率…";
inline constexpr std::string_view kWaiveMinimumTip =
    "账户免收最低佣金（免五）：佣金按费率计算，不足5元也不再按5元收取。只在按现行规则计费时可用。";

// Under the current rules, the tool tips of the stamp duty and transfer fee labels say the rule.
inline constexpr std::string_view kStampDutyCurrentTip =
    "现行规则：印花税只在卖出时收取，为成交金额的0.5‰（2023年8月28日起），买入不收，基金不收";
inline constexpr std::string_view kTransferFeeCurrentTip =
    "现行规则：过户费为成交金额的0.01‰，沪深两市买卖双方都收（2022年4月29日起），基金不收";

// The averaging-down window's remark on a holding whose money has all come back.
inline constexpr std::string_view kRecoveredNote =
    "分红和卖出已收回全部投入：每股成本按0计，补仓和做T照常计算。";

// Units of Label19(17), after the profit field.
inline constexpr std::string_view kUnitYuan = "元";
inline constexpr std::string_view kUnitShares = "股";
// The columns of a broker's statement, as the reader names them to the user.
inline constexpr std::string_view kStatementDate = "成交日期";
inline constexpr std::string_view kStatementTime = "成交时间";
inline constexpr std::string_view kStatementCode = "证券代码";
inline constexpr std::string_view kStatementName = "证券名称";
inline constexpr std::string_view kStatementKind = "操作";
inline constexpr std::string_view kStatementQuantity = "成交数量";
inline constexpr std::string_view kStatementPrice = "成交价格";
inline constexpr std::string_view kStatementAmount = "成交金额";
inline constexpr std::string_view kStatementCommission = "佣金";
inline constexpr std::string_view kStatementStampDuty = "印花税";
inline constexpr std::string_view kStatementTransferFee = "过户费";
inline constexpr std::string_view kStatementOtherFee = "其他费";
inline constexpr std::string_view kStatementHandlingFee = "经手费";
inline constexpr std::string_view kStatementRegulatoryFee = "证管费";
inline constexpr std::string_view kStatementNet = "发生金额";
inline constexpr std::string_view kStatementNumber = "成交编号";

// The kinds of the trade journal's entries.
inline constexpr std::string_view kJournalBuy = "买入";
inline constexpr std::string_view kJournalSell = "卖出";
inline constexpr std::string_view kJournalDividend = "红利";
inline constexpr std::string_view kJournalBonusShares = "送股";
inline constexpr std::string_view kJournalReserveShares = "转增";

// The import preview's note on the encoding, "{}" the encoding's name.
inline constexpr std::string_view kImportEncodingUnsure = "未能确定文件的编码，现按{}读取；如有乱码，请改选编码";
inline constexpr std::string_view kImportUndecodable = "有 {} 处无法按{}解码，请检查编码";

// The journal window's fee audit (费用核对): its summary, each "{}" filled in order.
inline constexpr std::string_view kAuditSummary = "共 {} 笔交易有实收费用：多收 {} 元，少收 {} 元，{} 笔有差额";
inline constexpr std::string_view kAuditUncomputable = "；{} 笔无法按规则计算";
inline constexpr std::string_view kAuditNothing = "交易记录中没有按交割单录入的费用，无可核对";

} // namespace qcal::caption
