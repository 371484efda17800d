#pragma once
// The trade journal: the investor's real trades and corporate actions, and what they come to per
// security code: the shares held, the money still invested, the lots held, the profit realised by
// every sale by two methods, the dividend tax each sale costs, per year and in total.
//
// The fees of each trade are given (as charged, or computed elsewhere by the fee rules); nothing
// here computes a fee. A buy pays amount + its fees; a sale receives amount − its fees.
//
// Two ways of counting cost:
// - Average (摊薄): the money still invested is what the buys paid, less the cost taken out by each
//   sale and less the cash dividends received. A sale of s of H shares takes invested × s / H, the
//   exact share of the money, to the cent halves up (all of it when s = H). The cost per share is
//   invested / H rounded up to 0.001.
// - First in first out: every buy is a lot costing its amount and its own fees. A sale takes the
//   oldest lots first; from a lot of n shares it takes s shares at cost × s / n to the cent halves
//   up, the rest staying with the lot, so a lot sold in pieces charges exactly its cost. Dividends
//   do not change a lot's cost: the profit of this method is that of the trades alone, and the cash
//   dividends are shown beside it (Totals::dividends).
// Both profits of a sale are less the dividend tax it costs.
//
// Corporate actions go to every lot held on their day (see the ordering below):
// - 红利, cash dividend of `price` yuan per 10 shares: H × price / 10 received, to the cent halves
//   up; every lot records its own n × price / 10 as taxable dividends, exactly.
// - 送股 and 转增, `price` new shares per 10: H × price / 10 new shares rounded down to whole
//   shares (the clearing house pools the fractions and may credit one more; the entry's quantity,
//   when given, says what was credited). They are shared among the lots pro rata by cumulative
//   rounding (the lots up to each one get, together, their exact share rounded down), so each
//   lot's part is within a share of its exact share and the parts add up. The cost is unchanged.
//   They keep their lot's acquisition day, since the tax law counts a bonus share's holding period
//   from that of the shares it came with. 送股 adds their par value, 1.00 yuan a share, to the
//   lot's taxable dividends; 转增 adds nothing.
// A lot's dividends belong to all its shares alike: s shares sold from a lot of n with dividends
// D carry D × s / n (in hundred-thousandths of a yuan, halves up; the rest stays with the lot).
// The tax on them is core/dividend_tax.h's, per lot sold, to the cent.
//
// Order: the entries of one day are taken by time, an entry without a time first, then by id. A
// dividend dated its ex-date without a time thus goes to the shares held at the start of that day,
// which are the ones that had it.
//
// Speed: one pass over the entries in date order, one position per code. A cash dividend is
// recorded on the lots lazily (one running sum a share per position), so it costs the same
// however many lots are held; a sale touches only the lots it takes; only 送股 and 转增 walk the
// lots held.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/civil_date.h"
#include "core/dividend_tax.h"
#include "core/money.h"

namespace qcal::journal {

enum class Kind {
    Buy,            // 买入
    Sell,           // 卖出
    CashDividend,   // 红利
    BonusShares,    // 送股: shares from profits, taxed at par
    ReserveShares,  // 转增: shares from the capital reserve, not taxed
};

// A buy or a sale: the entries with an amount and fees.
constexpr bool IsTrade(Kind kind) { return kind == Kind::Buy || kind == Kind::Sell; }

std::string_view KindName(Kind kind);
std::optional<Kind> KindFromName(std::string_view name);

// A fee as the journal holds it: typed means the user entered it as charged, otherwise the fee
// rules computed it.
struct Fee {
    Money value;
    bool typed = false;
    friend bool operator==(const Fee&, const Fee&) = default;
};

struct Entry {
    std::int64_t id = 0;
    std::string date;     // "YYYY-MM-DD"
    std::string time;     // "", "HH:MM" or "HH:MM:SS"
    std::string code;     // six digits
    std::string product;  // 上海A股, 深圳A股, ...
    Kind kind = Kind::Buy;
    // Buy and sell: the price a share. 红利: yuan per 10 shares. 送股, 转增: shares per 10 shares.
    Money price;
    // Buy and sell: the shares traded. 送股, 转增: the shares credited, or 0 to count them from the
    // rate. 红利: not read.
    std::int64_t quantity = 0;
    Money amount;  // buy and sell: the amount traded, as charged; not read otherwise
    Fee commission, stampDuty, transferFee, otherFees;  // buy and sell only
    std::string note;
    // For an entry imported from a broker's statement: the row's duplicate key (statement.h), so
    // that importing the same rows again finds them. Empty for an entry typed in.
    std::string source = {};

    Money Fees() const { return commission.value + stampDuty.value + transferFee.value + otherFees.value; }
    friend bool operator==(const Entry&, const Entry&) = default;
};

// Why a journal cannot be computed, and which entry is at fault.
enum class Problem {
    DateNotADate,         // the date text is not a day "YYYY-MM-DD"
    TimeNotATime,         // the time text is neither empty, "HH:MM" nor "HH:MM:SS"
    CodeNotSixDigits,
    QuantityNotPositive,  // a trade of 0 or fewer shares; a negative count of bonus shares
    PriceNotPositive,     // a trade's price
    AmountNotPositive,    // a trade's amount
    FeeNegative,
    RateNotPositive,      // a dividend's or bonus's rate per 10 shares
    BonusSharesMismatch,  // bonus shares credited other than the rate gives (rounded down or up)
    SaleAboveHeld,        // a sale of more shares than are held
    NoSharesHeld,         // a dividend or bonus on a day no share is held
    OutOfRange,           // a figure beyond what Money holds
};

struct Refusal {
    Problem problem;
    std::int64_t entryId = 0;
    friend bool operator==(const Refusal&, const Refusal&) = default;
};

// The message for the user, in Chinese, naming the entry by its id; and the message alone.
std::string RefusalText(const Refusal& refusal);
std::string_view ProblemText(Problem problem);

// Seconds into the day of an entry's time "HH:MM" or "HH:MM:SS", -1 for no time (such an entry
// comes first on its day); nullopt when the text is no time. The order entries are taken in.
std::optional<std::int32_t> SecondsOfTime(std::string_view text);

// A lot held: what is left of one buy.
struct Lot {
    std::int64_t entryId = 0;  // the buy
    CivilDate acquired;
    std::int64_t shares = 0;
    Money cost;                 // what is left of its amount and fees
    std::int64_t dividends = 0; // taxable dividends carried, hundred-thousandths of a yuan

    std::optional<Money> CostPerShare() const;  // rounded up to 0.001
    friend bool operator==(const Lot&, const Lot&) = default;
};

// A piece of a lot taken by a sale: the lots behind the sale and the tax each costs.
struct LotSold {
    std::int64_t lotEntryId = 0;
    CivilDate acquired;
    std::int64_t shares = 0;
    Money cost;
    std::int64_t dividends = 0;  // hundred-thousandths of a yuan
    HoldingBand band = HoldingBand::OverOneYear;
    Money tax;
    friend bool operator==(const LotSold&, const LotSold&) = default;
};

struct Sale {
    std::int64_t entryId = 0;
    CivilDate date;
    std::int64_t shares = 0;
    Money received;      // amount − fees
    Money costFifo;      // of the lots taken
    Money costAverage;   // the money invested's share
    Money dividendTax;   // the sum of the lots' taxes
    std::size_t firstLot = 0, lotCount = 0;  // its pieces in Position::lotsSold

    Money ProfitFifo() const { return received - costFifo - dividendTax; }
    Money ProfitAverage() const { return received - costAverage - dividendTax; }
    friend bool operator==(const Sale&, const Sale&) = default;
};

// What a dividend or bonus entry came to.
struct Distribution {
    std::int64_t entryId = 0;
    CivilDate date;
    Kind kind = Kind::CashDividend;
    std::int64_t sharesHeld = 0;
    Money cash;                 // 红利: received
    std::int64_t newShares = 0; // 送股, 转增
    friend bool operator==(const Distribution&, const Distribution&) = default;
};

struct Totals {
    int year = 0;  // 0 for the whole journal
    Money profitFifo, profitAverage;
    Money dividendTax;  // included in both profits
    Money dividends;    // cash received
    friend bool operator==(const Totals&, const Totals&) = default;
};

struct Position {
    std::string code, product;  // the product of the code's first entry
    std::int64_t shares = 0;
    Money invested;  // the average method's money still invested
    std::vector<Lot> lots;  // oldest first
    std::vector<Sale> sales;
    std::vector<LotSold> lotsSold;
    std::vector<Distribution> distributions;
    std::vector<Totals> years;  // the years with a sale or a cash dividend, ascending
    Totals total;

    Money LotsCost() const;
    // Invested / shares and lots' cost / shares, rounded up to 0.001; nullopt when nothing is held.
    std::optional<Money> AverageCost() const;
    std::optional<Money> FifoCost() const;
    friend bool operator==(const Position&, const Position&) = default;
};

struct Holdings {
    std::vector<Position> positions;  // by code; empty when refused
    std::optional<Refusal> refusal;
};

// The holdings the journal comes to, or the entry that cannot be taken and why: first an entry
// wrong in itself (a date or time that is none, a code, quantity, price, amount, fee or rate out of
// place), in the order given; then the first, in the order the entries are taken, that the
// holdings cannot take (a sale of more than is held, a dividend or bonus with nothing held, a
// figure beyond Money's range).
Holdings ComputeHoldings(std::span<const Entry> entries);

// What is wrong with an entry in itself (the first of the checks ComputeHoldings makes of each),
// or nullopt.
std::optional<Problem> ProblemInItself(const Entry& entry);

// The dividend tax a sale of every share held would cost on `saleDate`.
Money PendingDividendTax(const Position& position, CivilDate saleDate);

// The money a sale of `shares` at `price` brings in after that sale's fees; nullopt when it cannot
// be computed. The caller plugs in its fee schedule.
using SaleNet = std::function<std::optional<Money>(Money price, Money shares)>;
// The lowest price at which selling `shares` brings in at least `toRecover` after that sale's fees.
using BreakEvenSearch = std::function<std::optional<Money>(Money toRecover, Money shares)>;

enum class Method { Average, Fifo };

struct Valuation {
    Money net;          // what selling everything would bring in
    Money dividendTax;  // what it would cost in dividend tax (0 without a sale date)
    Money profitAverage, profitFifo;
};

// Selling every share at `price`: with no SaleNet, at price × shares, without the sale's fees.
// With a sale date, less the dividend tax that day. nullopt when the SaleNet gives none or a
// figure leaves Money's range.
std::optional<Valuation> Value(const Position& position, Money price, const SaleNet& net,
                               std::optional<CivilDate> saleDate);

// The lowest price at which selling every share brings back the money the method counts as
// invested (plus the dividend tax, with a sale date); 0 when nothing is left to bring back,
// nullopt when no share is held or the search finds none.
std::optional<Money> BreakEven(const Position& position, Method method, const BreakEvenSearch& search,
                               std::optional<CivilDate> saleDate);

} // namespace qcal::journal
