#pragma once
// The fee schedule of one side of a trade and the break-even price search.

#include <optional>
#include <string>
#include <string_view>

#include "core/money.h"

namespace qcal {

inline constexpr std::string_view kShanghai = "上海A股";
inline constexpr std::string_view kShenzhen = "深圳A股";
inline constexpr std::string_view kFunds = "基金、权证";

// The texts of Combo1 (commission, per mille), Combo2 (stamp duty, per mille) and Combo3 (market), UTF-8.
struct FeeSettings {
    std::string commission;
    std::string stampDuty;
    std::string market;
    friend bool operator==(const FeeSettings&, const FeeSettings&) = default;
};

enum class Market { Shanghai, Shenzhen, Funds, Other };

Market MarketOf(std::string_view marketText);

// The rates as numbers, read with the fields' own grammar (never the locale's).
// nullopt when a rate text is not numeric, is negative, or commission + stamp duty reach
// 1000 per mille (the sell side would then never pay back its own fees).
struct Rates {
    double commission = 0;
    double stampDuty = 0;
    Market market = Market::Other;
};
std::optional<Rates> ReadRates(const FeeSettings& settings);

// Which rate text ReadRates refused; for choosing the message and the field to focus.
enum class RateProblem { None, Commission, StampDuty };
RateProblem DiagnoseRates(const FeeSettings& settings);

struct SideFeeResult {
    Money commission;
    Money stampDuty;
    Money transferFee;
};

// nullopt when a rate text is unusable or a value leaves the supported range.
std::optional<SideFeeResult> SideFees(Money amount, Money quantity, const FeeSettings& settings);

// The lowest selling price at which selling `quantity` gives back price × quantity after the
// search's own buy and sell fees; 0 for a market text other than the three.
// nullopt when a rate text is unusable, a value leaves the supported range, or no price
// within the 32-bit step counter breaks even.
std::optional<Money> BreakEvenPrice(Money price, Money quantity, const FeeSettings& settings);

} // namespace qcal
