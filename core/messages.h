#pragma once
// Every message the program shows, in one place. Each ends in the program's seven blanks.

#include <string>
#include <string_view>

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
// The target-price window's own.
inline constexpr std::string_view kTargetYield = "输入错误，目标收益率必须是大于-100的数字，请重新输入       ";
inline constexpr std::string_view kTargetProfit = "输入错误，目标盈亏必须是数字，亏损不能超过实付金额，请重新输入       ";
// The averaging-down window's own.
inline constexpr std::string_view kTargetCostUnreachable = "目标成本太低，以现在的价格补仓无法达到，请重新输入       ";
inline constexpr std::string_view kTripSharesAboveHeld = "做T股数不能超过持有股数，请重新输入       ";
// Our own, for a value beyond what the calculation can hold.
inline constexpr std::string_view kOutOfRange = "数值超出可计算的范围，请重新输入       ";

} // namespace qcal::msg
