#pragma once
// Every message the program shows, in one place. Each ends in the program's seven blanks.

#include <initializer_list>
#include <string>
#include <string_view>

namespace qcal {

// The pattern with each "{}" standing for the next value, in order.
inline std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values)
{
    std::string text(pattern);
    std::size_t from = 0;
    for (const auto value : values) {
        const auto at = text.find("{}", from);
        if (at == std::string::npos)
            break;
        text.replace(at, 2, value);
        from = at + value.size();
    }
    return text;
}

} // namespace qcal

namespace qcal::msg {

inline constexpr std::string_view kTitle = "股票计算器提示";
inline constexpr std::string_view kOk = "确定";  // the message box's one button

inline constexpr std::string_view kInputError = "输入错误，请重新输入       ";
inline constexpr std::string_view kBuyPriceNotNumeric = "输入错误，买入价格必须输入数字，请重新输入       ";
inline constexpr std::string_view kBuyPriceRange = "买入价格输入错误，请重新输入       ";
inline constexpr std::string_view kBuyQuantityNotNumeric = "输入错误，买入数量必须输入数字，请重新输入       ";
inline constexpr std::string_view kBuyQuantityRange = "输入错误，买入数量不能小于1，请重新输入       ";
inline constexpr std::string_view kSellPriceNotNumeric = "输入错误，卖出价格必须输入数字，请重新输入       ";
inline constexpr std::string_view kSellPriceRange = "卖出价格输入错误，请重新输入       ";
inline constexpr std::string_view kSellQuantityNotNumeric = "输入错误，卖出数量必须输入数字，请重新输入       ";
inline constexpr std::string_view kSellQuantityRange = "输入错误，买出的数量至少要1股，请重新输入       ";
inline constexpr std::string_view kBonusNotNumeric =
    "输入错误，送股数量必须输入数字，如无送股则输入“0”，请重新输入       ";
inline constexpr std::string_view kBonusTooLarge = "输入错误，送股的数量不得大于10股，请重新输入       ";
inline constexpr std::string_view kDividendNotNumeric = "输入错误，必须输入数字，如无分红则输入“0”，请重新输入       ";
inline constexpr std::string_view kCommission = "佣金输入错误，请重新输入       ";
inline constexpr std::string_view kCommissionAboveCap = "按现行规则，佣金最高为3‰，请重新输入       ";
inline constexpr std::string_view kClearFirst = "若要重新计算，请先清空原有数据！       ";
inline constexpr std::string_view kWriteError = "写文件时出错,无法写入       ";
// The settings file, told once a session, with where it is and what to do.
inline std::string SettingsUnreadable(std::string_view path)
{
    return "无法读取设置文件：" + std::string(path) +
           "\n本次运行使用默认设置，所作的更改不会写入该文件，以免覆盖其中的内容。"
           "请检查该文件：应是可以读取的文件（不是文件夹，有读取权限），其中每项设置不超过999字节；"
           "改好后重新启动本程序。       ";
}
inline std::string SettingsUnsaved(std::string_view path)
{
    return std::string(kWriteError.substr(0, kWriteError.find(' '))) + "：" + std::string(path) +
           "\n本次运行中的设置仍然有效，但没有保存。请确认该文件不是只读的、所在文件夹可以写入；"
           "以后每次更改设置都会再次保存。       ";
}
// A rule file beside the settings that cannot be used: told once at start, the built-in table used.
inline std::string RuleFileUnusable(std::string_view path, int line, std::string_view why)
{
    return "费率表文件有误：" + std::string(path) + "\n第" + std::to_string(line) + "行：" + std::string(why) +
           "\n本次运行使用程序内置的费率表。请改正该文件后重新启动本程序。       ";
}
inline std::string RuleFileUnreadable(std::string_view path)
{
    return "无法读取费率表文件：" + std::string(path) +
           "\n本次运行使用程序内置的费率表。请检查该文件是可以读取的文本文件。       ";
}
// The target-price window's own.
inline constexpr std::string_view kTargetYield = "输入错误，目标收益率必须是大于-100的数字，请重新输入       ";
inline constexpr std::string_view kTargetProfit = "输入错误，目标盈亏必须是数字，亏损不能超过实付金额，请重新输入       ";
inline constexpr std::string_view kNothingPaidNote =
    "分红和卖出已收回全部投入，没有可计算收益率的本金：收益率留空，可按目标盈亏计算。";
// The averaging-down window's own.
inline constexpr std::string_view kTargetCostUnreachable = "目标成本太低，以现在的价格补仓无法达到，请重新输入       ";
inline constexpr std::string_view kTripSharesAboveHeld = "做T股数不能超过持有股数，请重新输入       ";
// The side windows' field checks: "{}" stands for the caption of the field refused.
inline constexpr std::string_view kFieldNotNumeric = "输入错误，{}必须输入数字，请重新输入       ";
inline constexpr std::string_view kFieldNotPositive = "输入错误，{}必须大于0，请重新输入       ";
inline constexpr std::string_view kFieldBelowOneShare = "输入错误，{}至少要1股，请重新输入       ";
inline constexpr std::string_view kFieldOutOfRange = "{}的数值超出可计算的范围，请重新输入       ";
inline constexpr std::string_view kFieldNotWholeLot = "输入错误，{}必须是整手（100股的整数倍），请重新输入       ";
inline constexpr std::string_view kTargetProfitTooLarge = "输入错误，目标盈亏太大，收益率超出可计算的范围，请重新输入       ";
inline constexpr std::string_view kTargetPriceTooHigh = "目标太高，达到它的卖出价超出了可输入的价格范围，请重新输入       ";
// The trade journal's: an entry that cannot be taken (RefusalText puts the entry's id before them).
inline constexpr std::string_view kJournalEntryHead = "第";
inline constexpr std::string_view kJournalEntryTail = "号记录：";
inline constexpr std::string_view kJournalDate = "日期输入错误，日期应为“年-月-日”，如2024-03-01，请重新输入       ";
inline constexpr std::string_view kJournalTime = "时间输入错误，时间应为“时:分”或“时:分:秒”，如09:30，或不填，请重新输入       ";
inline constexpr std::string_view kJournalCode = "证券代码输入错误，代码应为6位数字，请重新输入       ";
inline constexpr std::string_view kJournalQuantity = "数量输入错误，买卖的数量必须是大于0的整数，送转股数不能为负数，请重新输入       ";
inline constexpr std::string_view kJournalPrice = "价格输入错误，成交价格必须大于0，请重新输入       ";
inline constexpr std::string_view kJournalAmount = "成交金额输入错误，成交金额必须大于0，请重新输入       ";
inline constexpr std::string_view kJournalFee = "费用输入错误，佣金、印花税、过户费和规费都不能为负数，请重新输入       ";
inline constexpr std::string_view kJournalRate = "每10股派息或送转的数量必须大于0，请重新输入       ";
inline constexpr std::string_view kJournalBonusShares = "送转的股数与每10股送转的比例不符，请重新输入       ";
inline constexpr std::string_view kJournalSaleAboveHeld = "卖出的数量超过了当时持有的股数，请检查此前的买卖记录       ";
inline constexpr std::string_view kJournalNoShares = "当日没有持股，不能分红或送转股，请检查日期       ";
// The journal window's and its file's. "{}" stands for a file's path.
inline constexpr std::string_view kJournalNothingOnMain = "主窗口还没有算出买入，没有可以记入的交易       ";
inline constexpr std::string_view kJournalNotWholeShares = "主窗口的股数不是整数，不能记入交易记录       ";
inline constexpr std::string_view kJournalPickEntry = "请先在交易记录表中选中一条记录       ";
inline constexpr std::string_view kJournalNothingToUndo = "没有可以撤销的修改       ";
inline constexpr std::string_view kJournalChangeBreaks = "这样改了以后持仓无法计算，没有保存。";
inline constexpr std::string_view kJournalReadOnly = "交易记录现在只能查看，不能修改       ";
inline constexpr std::string_view kJournalWriteFailed =
    "交易记录写入失败（磁盘已满或无法写入），这次修改没有保存，原有的记录不变       ";
inline constexpr std::string_view kJournalBusy =
    "交易记录正由另一个打开的本程序使用，这里只能查看，不能修改。关闭另一个后重新打开本窗口即可修改       ";
inline constexpr std::string_view kJournalNewer = "交易记录文件是更新版本的本程序写的，这里只能查看，不能修改       ";
inline constexpr std::string_view kJournalDamaged =
    "交易记录文件已损坏或不是交易记录，原文件已改名保存为{}，现已新建一个空的交易记录       ";
inline constexpr std::string_view kJournalCannotOpen = "无法打开交易记录文件{}，交易记录不能使用       ";
inline constexpr std::string_view kJournalExportFailed = "导出失败，无法写入文件{}       ";
inline constexpr std::string_view kJournalNotGbk = "有的文字无法用GBK编码保存，请改用UTF-8导出       ";
// A quantity the exchange does not take: "{}" is the kind's rule ("科创板买入至少200股…").
inline constexpr std::string_view kNotTradable = "输入错误，{}，请重新输入       ";
inline constexpr std::string_view kSecurityCode =
    "证券代码输入错误：请输入6位证券代码；程序不认识这个代码时，请在证交所列表中选择品种       ";
inline constexpr std::string_view kTradeDate = "交易日期输入错误，请重新选择       ";
inline constexpr std::string_view kTradeDateTooEarly =
    "交易日期太早：费率表从{}起才有这个品种的费率，请选择这一天或以后的日期       ";
inline constexpr std::string_view kBrokerRate = "{}输入错误：请输入0到3之间的佣金率（单位‰）       ";
inline constexpr std::string_view kBrokerMinimum =
    "{}输入错误：请输入0到10000之间、最多两位小数的金额（单位元）       ";
inline constexpr std::string_view kBrokerTerms = "券商费率输入错误，请在“设置 → 券商费率”中改正       ";
// Our own, for a value beyond what the calculation can hold.
inline constexpr std::string_view kOutOfRange = "数值超出可计算的范围，请重新输入       ";
// Reading a broker's statement. "{}" stands for a line number, a count or a list of columns,
// filled in order.
inline constexpr std::string_view kStatementEmpty = "文件是空的，没有可读取的交割单       ";
inline constexpr std::string_view kStatementNoHeader =
    "没有找到表头：没有一行同时含有成交日期、证券代码和成交数量的列名，请指定各列的位置       ";
inline constexpr std::string_view kStatementMissingColumns = "交割单缺少以下各列：{}，请指定它们的位置       ";
inline constexpr std::string_view kStatementBadMapping = "指定的列超出了表头的列数（共{}列），请重新指定       ";
inline constexpr std::string_view kStatementLineTooLong = "第{}行超过{}字节，不像是交割单，无法读取       ";
inline constexpr std::string_view kStatementTooManyColumns = "第{}行超过{}列，不像是交割单，无法读取       ";
inline constexpr std::string_view kStatementTooManyRows = "交割单超过{}行（到第{}行为止），无法一次读取       ";
inline constexpr std::string_view kStatementUnreadable = "无法读取文件：{}       ";
// Importing a statement into the journal (the journal window): "{}" filled in order.
inline constexpr std::string_view kImportFileProblem = "交割单{}无法导入：{}";
inline constexpr std::string_view kImportDone = "导入完成：{}       ";
inline constexpr std::string_view kImportEncodingFailed = "按{}编码无法读取这个交割单：{}";
inline constexpr std::string_view kMappingNeeded = "请为“{}”选择交割单中的一列       ";
inline constexpr std::string_view kMappingSameColumn = "“{}”和“{}”不能是同一列，请重新选择       ";
// Why a row of a statement is skipped: words in a list, not boxes (no blanks after them).
inline constexpr std::string_view kSkipBankTransfer = "银行转账";
inline constexpr std::string_view kSkipInterest = "利息";
inline constexpr std::string_view kSkipUnknownKind = "未知业务";
inline constexpr std::string_view kSkipIncomplete = "数据不全";
inline constexpr std::string_view kSkipMissing = "缺少{}";
inline constexpr std::string_view kSkipNotNumber = "{}不是数字";
inline constexpr std::string_view kSkipOutOfRange = "{}的数值超出范围";
inline constexpr std::string_view kSkipNotPositive = "{}必须大于0";
inline constexpr std::string_view kSkipNotDate = "{}不是日期";
inline constexpr std::string_view kSkipNotCode = "{}不是6位数字";
inline constexpr std::string_view kSkipNotWholeShares = "{}不是整数";
inline constexpr std::string_view kSkipNothingHeld = "当日没有持股，无法折算每10股的数量";
inline constexpr std::string_view kSkipFees = "费用无法计算：{}";
inline constexpr std::string_view kSkipEntry = "无法记入：{}";
inline constexpr std::string_view kInJournal = "已在交易记录中";
inline constexpr std::string_view kTwiceInFile = "与第{}行重复";
// The import's summary, and the note an event keeps of what the statement said.
inline constexpr std::string_view kImportSummary = "导入交易 {} 笔、事件 {} 笔；跳过 {} 行；重复 {} 行";
inline constexpr std::string_view kImportEventNote = "交割单：{} {}，当日持股 {}";
// The command line's: one line on stderr each.
inline constexpr std::string_view kCliDescription = "股票交易费用成本睿衡计算器：不开窗口导入交割单、核对费用、导出交易记录";
inline constexpr std::string_view kCliImport = "把交割单导入设置文件夹中的交易记录，并显示汇总";
inline constexpr std::string_view kCliAudit = "核对交割单中每笔交易的费用（不导入），以CSV输出到标准输出";
inline constexpr std::string_view kCliExport = "导出交易记录（journal）或持仓（holdings）的CSV文件";
inline constexpr std::string_view kCliEncoding = "交割单的编码 gbk 或 utf-8（默认自动识别）；导出时为CSV的编码";
inline constexpr std::string_view kCliFile = "文件";
inline constexpr std::string_view kCliOneAction = "请指定 --import、--audit、--export 中的一项（只能一项）";
inline constexpr std::string_view kCliExportWhat = "--export 之后请写 journal 或 holdings，再写要导出的文件";
inline constexpr std::string_view kCliEncodingName = "不认识的编码：{}（可用 gbk 或 utf-8）";
inline constexpr std::string_view kCliWriteFailed = "无法写入文件{}";
inline constexpr std::string_view kCliRowLine = "第{}行 {}：{}";
// The likely cause of a fee charged otherwise than the rules give.
inline constexpr std::string_view kAuditMinimumOnWaived = "免五账户收取了最低佣金";
inline constexpr std::string_view kAuditRateAboveTerms = "佣金率 {}‰ 高于约定的 {}‰";
inline constexpr std::string_view kAuditStampDutyOnBuy = "买入收取了印花税";
inline constexpr std::string_view kAuditChargedTwice = "重复收取";
inline constexpr std::string_view kAuditOldRate = "按旧费率收取";

} // namespace qcal::msg
