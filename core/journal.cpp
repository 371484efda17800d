#include "core/journal.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <utility>

#include "core/captions.h"
#include "core/messages.h"

namespace qcal::journal {

namespace {

// A problem found while taking an entry: ComputeHoldings names the entry.
struct Refused {
    Problem problem;
};

std::int64_t CheckedAdd(std::int64_t a, std::int64_t b)
{
    std::int64_t r = 0;
    if (__builtin_add_overflow(a, b, &r))
        throw OutOfRange();
    return r;
}

std::int64_t CheckedMul(std::int64_t a, std::int64_t b)
{
    std::int64_t r = 0;
    if (__builtin_mul_overflow(a, b, &r))
        throw OutOfRange();
    return r;
}

std::int64_t Narrow(Int128 value)
{
    if (value > std::numeric_limits<std::int64_t>::max() || value < std::numeric_limits<std::int64_t>::min())
        throw OutOfRange();
    return static_cast<std::int64_t>(value);
}

// numerator / denominator (denominator > 0) to the nearest whole number, halves away from zero.
Int128 DivideRounded(Int128 numerator, Int128 denominator)
{
    const Int128 half = (numerator >= 0 ? numerator * 2 + denominator : numerator * 2 - denominator);
    return half / (denominator * 2);
}

// total × part / whole to the cent, halves away from zero: the cost that `part` of `whole` shares
// carry. All of it when part is whole, so that what is left is never a cent out.
Money ShareOf(Money total, std::int64_t part, std::int64_t whole)
{
    if (part == whole)
        return total;
    constexpr std::int64_t rawPerCent = Money::kScale / 100;
    const Int128 cents = DivideRounded(static_cast<Int128>(total.Raw()) * part, static_cast<Int128>(whole) * rawPerCent);
    return Money::FromRaw(Narrow(cents * rawPerCent));
}

// The same for dividends, in hundred-thousandths of a yuan (exact for all the shares).
std::int64_t DividendsOf(std::int64_t dividends, std::int64_t part, std::int64_t whole)
{
    return Narrow(DivideRounded(static_cast<Int128>(dividends) * part, whole));
}

// total / shares rounded up to 0.001.
std::optional<Money> CostPerShare(Money total, std::int64_t shares)
{
    if (shares <= 0)
        return std::nullopt;
    constexpr std::int64_t rawPerThousandth = Money::kScale / 1000;
    const Int128 divisor = static_cast<Int128>(shares) * rawPerThousandth;
    const Int128 raw = total.Raw();
    const Int128 thousandths = raw >= 0 ? (raw + divisor - 1) / divisor : -(-raw / divisor);
    return Money::FromRaw(Narrow(thousandths * rawPerThousandth));
}

} // namespace

std::optional<std::int32_t> SecondsOfTime(std::string_view text)
{
    if (text.empty())
        return -1;
    if ((text.size() != 5 && text.size() != 8) || text[2] != ':' || (text.size() == 8 && text[5] != ':'))
        return std::nullopt;
    std::int32_t parts[3] = {0, 0, 0};
    for (std::size_t i = 0; i * 3 < text.size(); ++i) {
        const char a = text[i * 3], b = text[i * 3 + 1];
        if (a < '0' || a > '9' || b < '0' || b > '9')
            return std::nullopt;
        parts[i] = (a - '0') * 10 + (b - '0');
    }
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59)
        return std::nullopt;
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

namespace {

// The code as a number; nullopt unless it is six digits.
std::optional<std::int32_t> CodeNumber(std::string_view code)
{
    if (code.size() != 6)
        return std::nullopt;
    std::int32_t n = 0;
    for (const char c : code) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

// What is wrong with the entry in itself, whatever else the journal holds.
std::optional<Problem> CheckFields(const Entry& e)
{
    if (!CodeNumber(e.code))
        return Problem::CodeNotSixDigits;
    if (IsTrade(e.kind)) {
        if (e.quantity <= 0)
            return Problem::QuantityNotPositive;
        if (e.price <= Money())
            return Problem::PriceNotPositive;
        if (e.amount <= Money())
            return Problem::AmountNotPositive;
        for (const Fee* fee : {&e.commission, &e.stampDuty, &e.transferFee, &e.otherFees})
            if (fee->value < Money())
                return Problem::FeeNegative;
        return std::nullopt;
    }
    if (e.price <= Money())
        return Problem::RateNotPositive;
    if (e.kind != Kind::CashDividend && e.quantity < 0)
        return Problem::QuantityNotPositive;
    return std::nullopt;
}

// The order in which entries are taken: day, time (none first), id, then as given.
struct Key {
    std::int64_t when;  // day number × seconds a day, plus the time's seconds + 1
    std::int64_t id;
    std::uint32_t index;
    std::int32_t code;
    CivilDate date;

    friend bool operator<(const Key& a, const Key& b)
    {
        if (a.when != b.when)
            return a.when < b.when;
        if (a.id != b.id)
            return a.id < b.id;
        return a.index < b.index;
    }
};
constexpr std::int64_t kSecondsADay = 86400 + 1;

struct LotState {
    std::int64_t entryId;
    CivilDate acquired;
    std::int64_t shares;
    Money cost;
    std::int64_t dividends;  // up to the running sum `mark`
    std::int64_t mark;       // the position's running cash dividend a share when `dividends` was brought up to date
};

class PositionState {
public:
    explicit PositionState(const Entry& first)
    {
        out_.code = first.code;
        out_.product = first.product;
    }

    void Take(const Entry& e, CivilDate date)
    {
        switch (e.kind) {
        case Kind::Buy: return Buy(e, date);
        case Kind::Sell: return Sell(e, date);
        case Kind::CashDividend: return CashDividend(e, date);
        case Kind::BonusShares:
        case Kind::ReserveShares: return NewShares(e, date);
        }
    }

    Position Finish() &&
    {
        out_.lots.reserve(lots_.size() - head_);
        for (std::size_t i = head_; i < lots_.size(); ++i) {
            LotState& lot = lots_[i];
            BringUpToDate(lot);
            out_.lots.push_back({lot.entryId, lot.acquired, lot.shares, lot.cost, lot.dividends});
        }
        return std::move(out_);
    }

private:
    void Buy(const Entry& e, CivilDate date)
    {
        const Money paid = e.amount + e.Fees();
        lots_.push_back({e.id, date, e.quantity, paid, 0, perShare_});
        out_.shares = CheckedAdd(out_.shares, e.quantity);
        out_.invested += paid;
    }

    void Sell(const Entry& e, CivilDate date)
    {
        if (e.quantity > out_.shares)
            throw Refused{Problem::SaleAboveHeld};
        Sale sale;
        sale.entryId = e.id;
        sale.date = date;
        sale.shares = e.quantity;
        sale.received = e.amount - e.Fees();
        sale.costAverage = ShareOf(out_.invested, e.quantity, out_.shares);
        sale.firstLot = out_.lotsSold.size();
        for (std::int64_t left = e.quantity; left > 0;) {
            LotState& lot = lots_[head_];
            BringUpToDate(lot);
            LotSold piece;
            piece.lotEntryId = lot.entryId;
            piece.acquired = lot.acquired;
            piece.shares = std::min(left, lot.shares);
            piece.cost = ShareOf(lot.cost, piece.shares, lot.shares);
            piece.dividends = DividendsOf(lot.dividends, piece.shares, lot.shares);
            piece.band = HoldingBandOf(lot.acquired, date);
            piece.tax = DividendTax(piece.dividends, piece.band);
            lot.shares -= piece.shares;
            lot.cost -= piece.cost;
            lot.dividends -= piece.dividends;
            if (lot.shares == 0)
                ++head_;
            left -= piece.shares;
            sale.costFifo += piece.cost;
            sale.dividendTax += piece.tax;
            out_.lotsSold.push_back(piece);
        }
        sale.lotCount = out_.lotsSold.size() - sale.firstLot;
        DropSoldLots();

        out_.shares -= e.quantity;
        out_.invested -= sale.costAverage;
        for (Totals* totals : {&YearOf(date), &out_.total}) {
            totals->profitFifo += sale.ProfitFifo();
            totals->profitAverage += sale.ProfitAverage();
            totals->dividendTax += sale.dividendTax;
        }
        out_.sales.push_back(sale);
    }

    void CashDividend(const Entry& e, CivilDate date)
    {
        if (out_.shares == 0)
            throw Refused{Problem::NoSharesHeld};
        // price / 10 yuan a share is price's raw count in hundred-thousandths of a yuan.
        static_assert(kDividendScale == Money::kScale * 10);
        const std::int64_t perShare = e.price.Raw();
        const Int128 exact = static_cast<Int128>(out_.shares) * perShare;
        constexpr std::int64_t perCent = kDividendScale / 100;
        const Money cash = Money::FromRaw(Narrow(DivideRounded(exact, perCent) * (Money::kScale / 100)));
        perShare_ = CheckedAdd(perShare_, perShare);
        Record(Narrow(exact));
        out_.invested -= cash;
        for (Totals* totals : {&YearOf(date), &out_.total})
            totals->dividends += cash;
        out_.distributions.push_back({e.id, date, e.kind, out_.shares, cash, 0});
    }

    void NewShares(const Entry& e, CivilDate date)
    {
        if (out_.shares == 0)
            throw Refused{Problem::NoSharesHeld};
        // shares × price / 10 new shares, price in ten-thousandths.
        const Int128 exact = static_cast<Int128>(out_.shares) * e.price.Raw();
        constexpr Int128 perShare = Money::kScale * 10;
        std::int64_t total = Narrow(exact / perShare);
        if (e.quantity > 0) {
            const bool fraction = exact % perShare != 0;
            if (e.quantity != total && !(fraction && e.quantity == total + 1))
                throw Refused{Problem::BonusSharesMismatch};
            total = e.quantity;
        }
        const std::int64_t held = out_.shares;
        out_.shares = CheckedAdd(held, total);  // first: no lot can then grow beyond range
        const std::int64_t par = e.kind == Kind::BonusShares ? kDividendScale : 0;
        std::int64_t before = 0, given = 0;
        for (std::size_t i = head_; i < lots_.size(); ++i) {
            LotState& lot = lots_[i];
            BringUpToDate(lot);
            before += lot.shares;
            const std::int64_t upTo = Narrow(static_cast<Int128>(before) * total / held);
            const std::int64_t part = upTo - given;
            given = upTo;
            lot.shares += part;
            lot.dividends = CheckedAdd(lot.dividends, CheckedMul(part, par));
        }
        Record(CheckedMul(total, par));
        out_.distributions.push_back({e.id, date, e.kind, held, Money(), total});
    }

    // No lot carries more dividends than the position was ever given, so while their sum stays in
    // range no lot's can leave it, even when brought up to date long after (in Finish, say).
    void Record(std::int64_t dividends) { recorded_ = CheckedAdd(recorded_, dividends); }

    void BringUpToDate(LotState& lot) const
    {
        lot.dividends = CheckedAdd(lot.dividends, CheckedMul(lot.shares, perShare_ - lot.mark));
        lot.mark = perShare_;
    }

    // Sold lots stay at the front until they are as many as the lots held, so that dropping them
    // costs a constant time per lot.
    void DropSoldLots()
    {
        if (head_ >= 64 && head_ * 2 >= lots_.size()) {
            lots_.erase(lots_.begin(), lots_.begin() + static_cast<std::ptrdiff_t>(head_));
            head_ = 0;
        }
    }

    // Entries come in date order, so a year is either the last one or a new one.
    Totals& YearOf(CivilDate date)
    {
        if (out_.years.empty() || out_.years.back().year != date.Year())
            out_.years.push_back(Totals{date.Year(), {}, {}, {}, {}});
        return out_.years.back();
    }

    Position out_;
    std::vector<LotState> lots_;  // lots_[head_...] are held
    std::size_t head_ = 0;
    std::int64_t perShare_ = 0;  // the cash dividends a share so far, hundred-thousandths of a yuan
    std::int64_t recorded_ = 0;  // all the dividends given to the lots so far, the same unit
};

Holdings Refuse(Problem problem, std::int64_t entryId) { return {{}, Refusal{problem, entryId}}; }

} // namespace

std::string_view KindName(Kind kind)
{
    switch (kind) {
    case Kind::Buy: return caption::kJournalBuy;
    case Kind::Sell: return caption::kJournalSell;
    case Kind::CashDividend: return caption::kJournalDividend;
    case Kind::BonusShares: return caption::kJournalBonusShares;
    case Kind::ReserveShares: return caption::kJournalReserveShares;
    }
    return {};
}

std::optional<Kind> KindFromName(std::string_view name)
{
    for (const Kind kind : {Kind::Buy, Kind::Sell, Kind::CashDividend, Kind::BonusShares, Kind::ReserveShares})
        if (KindName(kind) == name)
            return kind;
    return std::nullopt;
}

std::string_view ProblemText(Problem problem)
{
    switch (problem) {
    case Problem::DateNotADate: return msg::kJournalDate;
    case Problem::TimeNotATime: return msg::kJournalTime;
    case Problem::CodeNotSixDigits: return msg::kJournalCode;
    case Problem::QuantityNotPositive: return msg::kJournalQuantity;
    case Problem::PriceNotPositive: return msg::kJournalPrice;
    case Problem::AmountNotPositive: return msg::kJournalAmount;
    case Problem::FeeNegative: return msg::kJournalFee;
    case Problem::RateNotPositive: return msg::kJournalRate;
    case Problem::BonusSharesMismatch: return msg::kJournalBonusShares;
    case Problem::SaleAboveHeld: return msg::kJournalSaleAboveHeld;
    case Problem::NoSharesHeld: return msg::kJournalNoShares;
    case Problem::OutOfRange: return msg::kOutOfRange;
    }
    return msg::kInputError;
}

std::string RefusalText(const Refusal& refusal)
{
    std::string text(msg::kJournalEntryHead);
    text += std::to_string(refusal.entryId);
    text += msg::kJournalEntryTail;
    text += ProblemText(refusal.problem);
    return text;
}

Money Position::LotsCost() const
{
    Money sum;
    for (const Lot& lot : lots)
        sum += lot.cost;
    return sum;
}

std::optional<Money> Lot::CostPerShare() const { return journal::CostPerShare(cost, shares); }
std::optional<Money> Position::AverageCost() const { return CostPerShare(invested, shares); }
std::optional<Money> Position::FifoCost() const { return CostPerShare(LotsCost(), shares); }

std::optional<Problem> ProblemInItself(const Entry& e)
{
    if (!CivilDate::Parse(e.date))
        return Problem::DateNotADate;
    if (!SecondsOfTime(e.time))
        return Problem::TimeNotATime;
    return CheckFields(e);
}

Holdings ComputeHoldings(std::span<const Entry> entries)
{
    if (entries.size() > std::numeric_limits<std::uint32_t>::max())
        return Refuse(Problem::OutOfRange, entries.back().id);
    std::vector<Key> keys;
    keys.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        // ProblemInItself's checks, keeping the day and time they read.
        const auto date = CivilDate::Parse(e.date);
        if (!date)
            return Refuse(Problem::DateNotADate, e.id);
        const auto seconds = SecondsOfTime(e.time);
        if (!seconds)
            return Refuse(Problem::TimeNotATime, e.id);
        if (const auto problem = CheckFields(e))
            return Refuse(*problem, e.id);
        keys.push_back({static_cast<std::int64_t>(date->DayNumber()) * kSecondsADay + *seconds + 1, e.id,
                        static_cast<std::uint32_t>(i), *CodeNumber(e.code), *date});
    }
    // A journal read in date order needs no sorting.
    if (!std::is_sorted(keys.begin(), keys.end()))
        std::sort(keys.begin(), keys.end());

    std::unordered_map<std::int32_t, std::size_t> byCode;
    std::vector<PositionState> states;
    for (const Key& key : keys) {
        const Entry& e = entries[key.index];
        const auto [at, added] = byCode.try_emplace(key.code, states.size());
        if (added)
            states.emplace_back(e);
        try {
            states[at->second].Take(e, key.date);
        } catch (const Refused& refused) {
            return Refuse(refused.problem, e.id);
        } catch (const OutOfRange&) {
            return Refuse(Problem::OutOfRange, e.id);
        }
    }

    Holdings holdings;
    holdings.positions.reserve(states.size());
    for (PositionState& state : states)
        holdings.positions.push_back(std::move(state).Finish());
    std::sort(holdings.positions.begin(), holdings.positions.end(),
              [](const Position& a, const Position& b) { return a.code < b.code; });
    return holdings;
}

Money PendingDividendTax(const Position& position, CivilDate saleDate)
{
    Money tax;
    for (const Lot& lot : position.lots)
        tax += DividendTax(lot.dividends, HoldingBandOf(lot.acquired, saleDate));
    return tax;
}

std::optional<Valuation> Value(const Position& position, Money price, const SaleNet& net,
                               std::optional<CivilDate> saleDate)
{
    try {
        Valuation value;
        const Money shares = Money::FromWhole(position.shares);
        if (position.shares > 0) {
            if (net) {
                const auto received = net(price, shares);
                if (!received)
                    return std::nullopt;
                value.net = *received;
            } else {
                value.net = price * shares;
            }
        }
        if (saleDate)
            value.dividendTax = PendingDividendTax(position, *saleDate);
        value.profitAverage = value.net - value.dividendTax - position.invested;
        value.profitFifo = value.net - value.dividendTax - position.LotsCost();
        return value;
    } catch (const OutOfRange&) {
        return std::nullopt;
    }
}

std::optional<Money> BreakEven(const Position& position, Method method, const BreakEvenSearch& search,
                               std::optional<CivilDate> saleDate)
{
    if (position.shares <= 0)
        return std::nullopt;
    try {
        Money toRecover = method == Method::Average ? position.invested : position.LotsCost();
        if (saleDate)
            toRecover += PendingDividendTax(position, *saleDate);
        if (toRecover <= Money())
            return Money();
        return search(toRecover, Money::FromWhole(position.shares));
    } catch (const OutOfRange&) {
        return std::nullopt;
    }
}

} // namespace qcal::journal
