#pragma once
// The fee schedule of one side of a trade and the break-even price search.

#include <optional>
#include <string>
#include <string_view>

#include "core/money.h"
#include "core/outcome.h"

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
struct Rates {
    double commission = 0;  // per mille
    double stampDuty = 0;   // per mille
    Market market = Market::Other;
};

// The settings texts read once per computation: the usable rates, or which text is unusable
// (not numeric, negative, or commission + stamp duty reaching 1000 per mille, where the sell side
// would never pay back its own fees). Every fee and break-even computation takes the Rates.
struct RateReading {
    std::optional<Rates> rates;
    Reason problem = Reason::None;  // CommissionRate or StampDutyRate when rates is empty
};
RateReading ReadFeeSettings(const FeeSettings& settings);

std::optional<Rates> ReadRates(const FeeSettings& settings);  // ReadFeeSettings(settings).rates
Reason DiagnoseRates(const FeeSettings& settings);            // ReadFeeSettings(settings).problem

struct SideFeeResult {
    Money commission;
    Money stampDuty;
    Money transferFee;
};

// The fees of one trade of `quantity` shares for `amount`; nullopt when a value leaves the
// supported range.
std::optional<SideFeeResult> SideFees(Money amount, Money quantity, const Rates& rates);
// The same from the settings texts; nullopt also when a rate text is unusable.
std::optional<SideFeeResult> SideFees(Money amount, Money quantity, const FeeSettings& settings);

// The lowest selling price at which selling `quantity` gives back price × quantity after the
// search's own buy and sell fees; 0 for a market text other than the three.
// nullopt when a value leaves the supported range, or no price within the 32-bit step counter
// breaks even.
std::optional<Money> BreakEvenPrice(Money price, Money quantity, const Rates& rates);
// The same from the settings texts; nullopt also when a rate text is unusable.
std::optional<Money> BreakEvenPrice(Money price, Money quantity, const FeeSettings& settings);

} // namespace qcal
