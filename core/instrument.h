#pragma once
// The kinds of security the program knows, one row each: the text the market list shows, the
// exchange, the price tick, how many are bought at least and in which steps, how a remainder is
// sold, and which fees the rows pays. Everything that differs from one kind to another is a value
// of its row; the fee schedules (core/schedules/) read the rows, and nothing else looks at a market
// text. A text that is no row of the table is the unknown kind, which pays a commission only and
// has no break-even.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "core/money.h"

namespace qcal {

inline constexpr std::string_view kShanghai = "上海A股";
inline constexpr std::string_view kShenzhen = "深圳A股";
inline constexpr std::string_view kFunds = "基金、权证";

// The rows of the built-in table by name, for callers that hold one of them (the table's own rows,
// tests, programs outside the windows); a made-up or unknown row is Other.
enum class Market { Shanghai, Shenzhen, Funds, Other };

enum class Exchange { Shanghai, Shenzhen, Either, None };

// Which trades of the kind pay a fee under the current rules.
enum class Charged { Never, OnSells, OnBoth };

// How the program's own model charges the kind (its fees were laid down per market).
enum class OwnModel {
    ShanghaiShares,  // commission, stamp duty on both sides, 0.001 yuan a share transfer fee (at least 1)
    ShenzhenShares,  // commission and stamp duty on both sides
    Funds,           // commission only
    Unknown,         // commission and stamp duty; no break-even
};

struct Instrument {
    std::string_view name;      // as the market list shows it, and as QCAL.INI stores it
    Market market;
    Exchange exchange;
    const char* menuItem;       // the 设置 menu's item for it; nullptr when it has none
    Money tick;                 // the price step of the exchange (current rules)
    Money leastBuy;             // a buy is at least this many …
    Money buyStep;              // … and then in these steps
    Money sellLot;              // a sale is of whole lots, or all of a remainder below one
    Charged stampDuty;          // current rules
    Charged transferFee;        // current rules
    OwnModel own;               // the program's own rules
    bool breakEven;             // a break-even price is searched for it
};

using InstrumentTable = std::span<const Instrument>;

// The table the program ships: 上海A股, 深圳A股, 基金、权证.
InstrumentTable BuiltInInstruments();

// The row of that name in the table (the built-in one when none is given); the unknown row when
// the name is no row's.
const Instrument& FindInstrument(std::string_view name, InstrumentTable table = BuiltInInstruments());

// The row for a text that names no kind.
const Instrument& UnknownInstrument();

// The built-in row of a market (Other: the unknown row).
const Instrument& InstrumentOf(Market market);

// The built-in row's market of a text; Other for any other text.
Market MarketOf(std::string_view marketText);

// The exchange's price tick of a built-in row: 0.01 for A shares, 0.001 for funds.
Money PriceTick(Market market);

} // namespace qcal
