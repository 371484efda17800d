#pragma once
// Why a check or a computation refused, in one vocabulary for every window: the reason, the
// message it shows (MessageFor is the one place that says which), and where the user is sent
// to correct it.

#include <string>
#include <string_view>
#include <utility>

#include "core/messages.h"

namespace qcal {

enum class Reason {
    None,
    CommissionRate,          // the commission text (Combo1) cannot be used
    StampDutyRate,           // the stamp duty text (Combo2) cannot be used
    CommissionAboveCap,      // under the current rules, above the legal maximum of 3 per mille
    OutOfRange,              // a value beyond what can be computed
    InputError,              // a field of a side window refused
    NotEnoughMoney,          // the converter's sum does not buy one lot
    ClearFirst,              // the buy side is locked (multi-batch or holding): Clear first
    BuyPriceNotNumeric,
    BuyPriceRange,
    BuyQuantityNotNumeric,
    BuyQuantityRange,
    SellPriceNotNumeric,
    SellPriceRange,
    SellQuantityNotNumeric,
    SellQuantityRange,
    BonusNotNumeric,
    BonusTooLarge,
    DividendNotNumeric,
    TargetYield,             // the target-price window's yield: a number above −100
    TargetProfit,            // its profit: a number, a loss smaller than the money paid
    TargetCostUnreachable,   // averaging down: no number of shares brings the cost that low
    TripSharesAboveHeld,     // a same-day round trip of more shares than are held
    // A side window's field, named in the message by its caption.
    FieldNotNumeric,
    FieldNotPositive,        // a price or cost of 0 or less
    FieldBelowOneShare,      // a quantity below one share
    FieldNotWholeLot,        // a quantity to buy that is not a whole number of lots
    FieldOutOfRange,         // a value beyond what the calculation can hold
    TargetProfitTooLarge,    // a target profit whose yield passes what can be computed
    TargetPriceTooHigh,      // a target whose price passes the prices a field accepts
    // The journal window's entry fields.
    JournalDate,
    JournalTime,
    JournalCode,
    JournalQuantity,         // a trade's shares not a whole number above 0, bonus shares below 0
    JournalFee,              // a fee below 0
    JournalNothingOnMain,    // nothing computed on the main window to record
    BrokerTerms,             // a rate or minimum of the broker's terms cannot be used
    NotTradableBuy,          // a quantity the exchange does not take for a purchase of the kind
    NotTradableSell,         // nor for a sale
    SecurityCode,            // a code of no kind the program knows
    BrokerRate,              // a commission rate of the broker's terms: not a number from 0 to 3 per mille
    BrokerMinimum,           // a minimum commission: not an amount from 0 to 10,000.00 in cents
    TradeDate,               // a trade date that is not a day
    TradeDateTooEarly,       // before the rule table's first rates of the kind (the subject names them)
};

constexpr std::string_view MessageFor(Reason reason)
{
    switch (reason) {
    case Reason::None: return {};
    case Reason::CommissionRate: return msg::kCommission;
    case Reason::StampDutyRate: return msg::kInputError;
    case Reason::CommissionAboveCap: return msg::kCommissionAboveCap;
    case Reason::OutOfRange: return msg::kOutOfRange;
    case Reason::InputError: return msg::kInputError;
    case Reason::NotEnoughMoney: return msg::kInputError;
    case Reason::ClearFirst: return msg::kClearFirst;
    case Reason::BuyPriceNotNumeric: return msg::kBuyPriceNotNumeric;
    case Reason::BuyPriceRange: return msg::kBuyPriceRange;
    case Reason::BuyQuantityNotNumeric: return msg::kBuyQuantityNotNumeric;
    case Reason::BuyQuantityRange: return msg::kBuyQuantityRange;
    case Reason::SellPriceNotNumeric: return msg::kSellPriceNotNumeric;
    case Reason::SellPriceRange: return msg::kSellPriceRange;
    case Reason::SellQuantityNotNumeric: return msg::kSellQuantityNotNumeric;
    case Reason::SellQuantityRange: return msg::kSellQuantityRange;
    case Reason::BonusNotNumeric: return msg::kBonusNotNumeric;
    case Reason::BonusTooLarge: return msg::kBonusTooLarge;
    case Reason::DividendNotNumeric: return msg::kDividendNotNumeric;
    case Reason::TargetYield: return msg::kTargetYield;
    case Reason::TargetProfit: return msg::kTargetProfit;
    case Reason::TargetCostUnreachable: return msg::kTargetCostUnreachable;
    case Reason::TripSharesAboveHeld: return msg::kTripSharesAboveHeld;
    case Reason::FieldNotNumeric: return msg::kFieldNotNumeric;
    case Reason::FieldNotPositive: return msg::kFieldNotPositive;
    case Reason::FieldBelowOneShare: return msg::kFieldBelowOneShare;
    case Reason::FieldNotWholeLot: return msg::kFieldNotWholeLot;
    case Reason::FieldOutOfRange: return msg::kFieldOutOfRange;
    case Reason::TargetProfitTooLarge: return msg::kTargetProfitTooLarge;
    case Reason::TargetPriceTooHigh: return msg::kTargetPriceTooHigh;
    case Reason::JournalDate: return msg::kJournalDate;
    case Reason::JournalTime: return msg::kJournalTime;
    case Reason::JournalCode: return msg::kJournalCode;
    case Reason::JournalQuantity: return msg::kJournalQuantity;
    case Reason::JournalFee: return msg::kJournalFee;
    case Reason::JournalNothingOnMain: return msg::kJournalNothingOnMain;
    case Reason::BrokerTerms: return msg::kBrokerTerms;
    case Reason::NotTradableBuy:
    case Reason::NotTradableSell: return msg::kNotTradable;
    case Reason::SecurityCode: return msg::kSecurityCode;
    case Reason::BrokerRate: return msg::kBrokerRate;
    case Reason::BrokerMinimum: return msg::kBrokerMinimum;
    case Reason::TradeDate: return msg::kTradeDate;
    case Reason::TradeDateTooEarly: return msg::kTradeDateTooEarly;
    }
    return {};
}

// Where the user goes after the message: the main window's rate lists or trade date, the field of
// the window that refused (Outcome::field), or nowhere.
enum class FocusTarget { None, CommissionList, StampDutyList, TradeDate, Field };

// What a check or a computation came to: nothing to say, or a reason with its message and,
// when it is about one of the window's fields, that field's number.
struct Outcome {
    Reason reason = Reason::None;
    int field = 0;
    std::string_view message;
    std::string subject = {};  // what "{}" in the message stands for, when not the field's caption

    bool ok() const { return reason == Reason::None; }

    FocusTarget Focus() const
    {
        switch (reason) {
        case Reason::CommissionRate:
        case Reason::CommissionAboveCap: return FocusTarget::CommissionList;
        case Reason::StampDutyRate: return FocusTarget::StampDutyList;
        case Reason::TradeDate:
        case Reason::TradeDateTooEarly: return FocusTarget::TradeDate;
        default: return field != 0 ? FocusTarget::Field : FocusTarget::None;
        }
    }
};

inline Outcome Refusal(Reason reason, int field = 0) { return {reason, field, MessageFor(reason)}; }

// A refusal whose message says what it is about: a rule of the kind of security, say.
inline Outcome Refusal(Reason reason, int field, std::string_view subject)
{
    return {reason, field, MessageFor(reason), std::string(subject)};
}

// The message as the user reads it: "{}" stands for the outcome's subject, or else for the caption
// of the field refused (a side window's field message).
inline std::string MessageText(const Outcome& outcome, std::string_view fieldName)
{
    const std::string_view subject = !outcome.subject.empty() ? outcome.subject : fieldName;
    return FillIn(outcome.message, {subject.empty() ? std::string_view("该项") : subject});
}

// Works on a copy of `value` and keeps it only when the steps succeeded: a computation writes all
// of its figures or none. `steps` takes the copy and returns the Outcome.
template <typename T, typename Steps>
Outcome OnCopy(T& value, Steps&& steps)
{
    T work = value;
    const Outcome outcome = steps(work);
    if (outcome.ok())
        value = std::move(work);
    return outcome;
}

} // namespace qcal
