#pragma once
// The kinds of security the program knows, one row each: the text the market list shows, the
// codes that are of the kind, the exchange, the price tick, how many are bought at least and in
// which steps, how a holding is sold, which fees the kind pays, and which entry of the program's
// own rules stands for it. Everything that differs from one kind to another is a value of its row;
// the fee schedules (core/schedules/) read the rows, and nothing else looks at a market text. A
// text that is no row of the table is the unknown kind, which pays a commission only and has no
// break-even.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "core/civil_date.h"
#include "core/money.h"
#include "core/rule_table.h"

namespace qcal {

inline constexpr std::string_view kShanghai = "上海A股";
inline constexpr std::string_view kShenzhen = "深圳A股";
inline constexpr std::string_view kChiNext = "创业板";
inline constexpr std::string_view kStar = "科创板";
inline constexpr std::string_view kBeijing = "北交所";
inline constexpr std::string_view kFunds = "基金、权证";
inline constexpr std::string_view kBonds = "可转债";

// The rows of the program's own rules by name, for callers that hold one of them (tests, programs
// outside the windows); any other row is Other.
enum class Market { Shanghai, Shenzhen, Funds, Other };

enum class Exchange { Shanghai, Shenzhen, Beijing, Either, None };

// Which trades of the kind pay a fee under the current rules.
enum class Charged { Never, OnSells, OnBoth };

// Whose commission the broker charges: the shares' rate (the main window's list), or the rates and
// minimums its terms give funds and convertible bonds.
enum class CommissionKind { Shares, Funds, Bonds };

// How a holding may be sold.
enum class SellRule {
    WholeLotsOrOddRemainder,  // whole lots; an odd remainder below one lot is sold all at once
    AtLeastOrAllBelow,        // at least the least (then any number); a holding below it all at once
    WholeLots,                // whole lots only
};

// How the program's own model charges the kind (its fees were laid down per market).
enum class OwnModel {
    ShanghaiShares,  // commission, stamp duty on both sides, 0.001 yuan a share transfer fee (at least 1)
    ShenzhenShares,  // commission and stamp duty on both sides
    Funds,           // commission only
    Unknown,         // commission and stamp duty; no break-even
};

struct Instrument {
    std::string_view name = {};         // as the market list shows it, and as QCAL.INI stores it
    Market market = Market::Other;
    Exchange exchange = Exchange::None;
    const char* menuItem = nullptr;  // the 设置 menu's item for it; nullptr when it has none
    std::string_view codes = {};        // the first digits of its six-digit codes, comma-separated
    std::string_view formerCodes = {};  // codes that were of the kind until formerCodesUntil (that day included)
    std::string_view formerCodesUntil = {};
    Money tick = {};                    // the price step of the exchange (current rules)
    Money leastBuy = {};                // a buy is at least this many …
    Money buyStep = {};                 // … and then in these steps
    SellRule sellRule = SellRule::WholeLots;
    Money sellLot = {};                 // the lot a sale is made of, or the least of a sale
    Charged stampDuty = Charged::Never;    // current rules
    Charged transferFee = Charged::Never;  // current rules
    CommissionKind commission = CommissionKind::Shares;
    OwnModel own = OwnModel::Unknown;      // the program's own rules
    std::string_view ownEntry = {};     // the program's own rules' entry that stands for it
    std::string_view feeGroup = kSharesGroup;  // whose rates by date it pays (the rule table's 品种)
    bool breakEven = false;        // a break-even price is searched for it
    std::string_view unit = {};         // 股 or 张
    std::string_view buyRule = {};      // the buy rule in words, for a refusal
    std::string_view sellRuleText = {}; // the sell rule in words
};

using InstrumentTable = std::span<const Instrument>;

// The table the program ships: 上海A股, 深圳A股, 创业板, 科创板, 北交所, 基金、权证, 可转债.
InstrumentTable BuiltInInstruments();

// The row of that name in the table (the built-in one when none is given); the unknown row when
// the name is no row's.
const Instrument& FindInstrument(std::string_view name, InstrumentTable table = BuiltInInstruments());

// The row for a text that names no kind.
const Instrument& UnknownInstrument();

// Whether the row is an entry of the program's own rules (its own entry is itself).
bool IsOwnRulesEntry(const Instrument& row);

// Whether a text is a security code: six digits, nothing else.
bool IsSixDigits(std::string_view code);

// The row whose codes a six-digit code starts with on that trade date; nullptr when the text is
// not six digits or no row has it.
const Instrument* InstrumentOfCode(std::string_view code, CivilDate date, InstrumentTable table = BuiltInInstruments());

// Whether the exchange takes a purchase of `quantity` of the kind: at least the least, then in steps.
bool IsValidBuy(const Instrument& row, Money quantity);
// Whether it takes a sale of `quantity` out of `held` (unknown: any odd remainder may be the last).
bool IsValidSell(const Instrument& row, Money quantity, std::optional<Money> held);

// The valid purchases in order: least + k × step, k = 0, 1, 2, …
Money NthValidBuy(const Instrument& row, std::int64_t k);

// The built-in row of a market (Other: the unknown row).
const Instrument& InstrumentOf(Market market);

// The built-in row's market of a text; Other for any other text.
Market MarketOf(std::string_view marketText);

// The exchange's price tick of a built-in row: 0.01 for A shares, 0.001 for funds.
Money PriceTick(Market market);

} // namespace qcal
