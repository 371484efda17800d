#pragma once
// The fee schedules of one trade and the break-even price searches, under either set of rules:
// the program's own model (stamp duty on both sides at the chosen rate, a Shanghai transfer fee per
// share, its own break-even search) or the rules in force today (现行规则: stamp duty 0.5 ‰ on
// sells only, a transfer fee of 0.01 ‰ of the amount on both sides in Shanghai and Shenzhen, every
// fee exact in decimals and rounded to 0.01 halves up, the break-even on the exchange's price tick).

#include <optional>
#include <string>
#include <string_view>

#include "core/money.h"
#include "core/numtext.h"
#include "core/outcome.h"

namespace qcal {

inline constexpr std::string_view kShanghai = "上海A股";
inline constexpr std::string_view kShenzhen = "深圳A股";
inline constexpr std::string_view kFunds = "基金、权证";

// Which schedule charges the fees.
enum class FeeRules { Own, Current };

// The texts of Combo1 (commission, per mille), Combo2 (stamp duty, per mille) and Combo3 (market),
// UTF-8, and the choice of rules (Check3) with the waived minimum (Check4, current rules only).
struct FeeSettings {
    std::string commission;
    std::string stampDuty;
    std::string market;
    FeeRules rules = FeeRules::Own;
    bool waiveMinimum = false;  // 免五: no 5-yuan minimum commission
    friend bool operator==(const FeeSettings&, const FeeSettings&) = default;
};

enum class Side { Buy, Sell };

enum class Market { Shanghai, Shenzhen, Funds, Other };

Market MarketOf(std::string_view marketText);

// The rates as numbers, read with the fields' own grammar (never the locale's).
struct Rates {
    double commission = 0;  // per mille, for the program's own model
    double stampDuty = 0;   // per mille, for the program's own model
    Market market = Market::Other;
    FeeRules rules = FeeRules::Own;
    bool waiveMinimum = false;      // current rules only
    ExactDecimal commissionExact;   // per mille, exactly as typed, for the current rules
};

// Under the current rules a commission is at most 3 per mille, the legal maximum.
inline constexpr ExactDecimal kCommissionCap{3, 0};

// The settings texts read once per computation: the usable rates, or which text is unusable
// (not numeric, negative, or commission + stamp duty reaching 1000 per mille, where the sell side
// would never pay back its own fees; under the current rules a commission above the legal cap or
// not readable exactly, while the stamp duty list, not used, is not read). Every fee and
// break-even computation takes the Rates.
struct RateReading {
    std::optional<Rates> rates;
    Reason problem = Reason::None;  // CommissionRate or StampDutyRate when rates is empty
};
RateReading ReadFeeSettings(const FeeSettings& settings);

std::optional<Rates> ReadRates(const FeeSettings& settings);  // ReadFeeSettings(settings).rates

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

// The fees of one trade of one side under the chosen rules (the program's own charge both sides
// alike); nullopt when a value leaves the supported range.
std::optional<SideFeeResult> TradeFees(Money amount, Money quantity, Side side, const Rates& rates);

// Their total, rounded to the cent once (halves to even: the program's own Shanghai transfer fee
// has four decimals; under the current rules every fee is in cents already).
std::optional<Money> TradeFeesTotal(Money amount, Money quantity, Side side, const Rates& rates);

// The program's own model: the lowest selling price at which selling `quantity` gives back
// price × quantity after the search's own buy and sell fees; 0 for a market text other than the three.
// nullopt when a value leaves the supported range, or no price within the 32-bit step counter
// breaks even.
std::optional<Money> BreakEvenPrice(Money price, Money quantity, const Rates& rates);
// The same from the settings texts; nullopt also when a rate text is unusable.
std::optional<Money> BreakEvenPrice(Money price, Money quantity, const FeeSettings& settings);

// The current rules: the lowest price on the exchange's tick (0.01 for A shares, 0.001 for funds) at
// which selling `shares` brings in, after that sale's own fees, at least `toRecover`; 0 when nothing
// is left to recover, and for a market text other than the three. nullopt when no price within
// Money's range does.
std::optional<Money> CurrentBreakEven(Money toRecover, Money shares, const Rates& rates);

// The lowest price on the exchange's tick at which selling `shares` brings in, after that sale's own
// fees under the chosen rules, at least `target` (a positive sum); nullopt when no price within
// Money's range does, or, for the program's own rates within a hair of 1000 per mille, where the
// rounding of the fees would decide it.
std::optional<Money> LowestSalePriceReaching(Money target, Money shares, const Rates& rates);

// The exchange's price tick: 0.01 for A shares, 0.001 for funds.
Money PriceTick(Market market);

// A holding whose break-even is wanted, as each set of rules sees it: the program's own search
// starts from a price (the buy price, or the cost carried by each share left), the current rules
// recover money (the amount paid, less what a sale brought in).
struct Holding {
    Money price;
    Money shares;
    Money toRecover;
};
std::optional<Money> HoldingBreakEven(const Holding& holding, const Rates& rates);

} // namespace qcal
