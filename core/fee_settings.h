#pragma once
// The fee settings as the windows hold them (the texts of the commission, stamp duty and market
// lists, the choice of rules, 免五) and as the fee schedules read them (Rates), with the figures a
// charge and a break-even deal in.

#include <optional>
#include <string>

#include "core/instrument.h"
#include "core/money.h"
#include "core/numtext.h"
#include "core/outcome.h"

namespace qcal {

// Which schedule charges the fees.
enum class FeeRules { Own, Current };

// The broker's terms beside the shares' commission rate (the main window's list), as texts: the
// minimum commission of a trade of shares, and the commission rate (per mille) and minimum of funds
// and of convertible bonds (an empty fund rate is the shares' rate). Current rules only.
struct BrokerTerms {
    std::string sharesMinimum = "5.00";
    std::string fundsCommission;
    std::string fundsMinimum = "5.00";
    std::string bondsCommission = "0.2";
    std::string bondsMinimum = "1.00";
    friend bool operator==(const BrokerTerms&, const BrokerTerms&) = default;
};

// The texts of Combo1 (commission, per mille), Combo2 (stamp duty, per mille) and Combo3 (market),
// UTF-8, and the choice of rules (Check3) with the waived minimum (Check4, current rules only).
// `instruments` is the table the market text is looked up in (the built-in one when null).
struct FeeSettings {
    std::string commission;
    std::string stampDuty;
    std::string market;
    FeeRules rules{};           // the program's own unless chosen
    bool waiveMinimum = false;  // 免五: no minimum commission, of any kind
    BrokerTerms terms = {};
    const InstrumentTable* instruments = nullptr;
    friend bool operator==(const FeeSettings&, const FeeSettings&) = default;
};

enum class Side { Buy, Sell };

// The rates as numbers, read with the fields' own grammar (never the locale's), and the row of the
// kind of security they charge.
struct Rates {
    double commission = 0;  // per mille, for the program's own model
    double stampDuty = 0;   // per mille, for the program's own model
    Market market = Market::Other;  // the built-in row's (Other for an unknown or made-up one)
    FeeRules rules{};
    bool waiveMinimum = false;      // current rules only
    ExactDecimal commissionExact;   // per mille, exactly as typed, for the current rules
    const Instrument* instrument = &UnknownInstrument();
    // The current rules' commission of the kind: its rate (per mille, exact) and its minimum.
    ExactDecimal kindCommission;
    Money kindMinimum;
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

// The fees of one trade of one side: every fee a schedule charges.
struct SideFeeResult {
    Money commission;
    Money stampDuty;
    Money transferFee;
    Money otherFees;  // charged beside the commission (the exchanges' handling and regulatory fees)

    Money Total() const { return commission + stampDuty + transferFee + otherFees; }
};

// A holding whose break-even is wanted, as each set of rules sees it: the program's own search
// starts from a price (the buy price, or the cost carried by each share left), the current rules
// recover money (the amount paid, less what a sale brought in).
struct Holding {
    Money price;
    Money shares;
    Money toRecover;
};

} // namespace qcal
