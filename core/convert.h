#pragma once
// The amount-to-shares converter: how many whole lots of 100 shares a sum of money buys after the
// fees of the purchase, what they cost and what is left. Everything works on the window's texts,
// as the window shows them; the window only moves texts, focus and messages.

#include <string>
#include <string_view>

#include "core/fees.h"

namespace qcal {

// The converter's five fields: Text1 sum, Text2 price, Text3 shares, Text4 payment, Text5 money left.
struct ConverterFields {
    std::string amount;
    std::string price;
    std::string shares;
    std::string payment;
    std::string left;
    friend bool operator==(const ConverterFields&, const ConverterFields&) = default;
};

enum class ConvertFailure {
    None,
    Amount,          // the sum is not a number of at least 0.01
    Price,           // the price is not a number of at least 0.01
    TooSmall,        // not even one lot is affordable: shares "0", payment and money left emptied
    AmountTooLarge,  // the sum is beyond the 32-bit rounding of the payment
    CommissionRate,  // Combo1 is not a usable rate
    StampDutyRate,   // Combo2 is not a usable rate
};

struct ConvertOutcome {
    ConvertFailure failure = ConvertFailure::None;
    std::string_view message;  // what to show when failure is not None
    bool ok() const { return failure == ConvertFailure::None; }
};

// Enter in Text1: checks the sum and rewrites it with "###,###,##0.00".
ConvertOutcome ConfirmAmount(ConverterFields& fields);

// Enter in Text2, before the computation: checks the sum, then the price; rewrites the price with
// "###,###,##0.00##" (two to four decimals, so that a fund price of 1.234 stays 1.234 and the
// shares are counted at the price that is carried on). On a failed check nothing changes.
ConvertOutcome ConfirmPrice(ConverterFields& fields);

// The computation: the largest number of lots, counting down from what the sum buys before fees,
// whose payment (fees unrounded one by one, the total taken to 0.01) does not exceed the sum.
// Writes shares, payment and money left; on a refused input or rate it changes nothing.
ConvertOutcome ConvertAmount(ConverterFields& fields, const FeeSettings& settings);

// "加入计算": the message that refuses carrying price and shares into the main window, or an empty
// view when they may go. A locked buy side (multi-batch or holding mode) takes nothing; neither
// does a converter without computed shares or without a usable price.
std::string_view CarryRefusal(const ConverterFields& fields, bool buySideLocked);

} // namespace qcal
