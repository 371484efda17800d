#pragma once
// The amount-to-shares converter: how many whole lots of 100 shares a sum of money buys after the
// fees of the purchase, what they cost and what is left. Everything works on the window's texts,
// as the window shows them; the window only moves texts, focus and messages.

#include <string>
#include <string_view>

#include "core/fees.h"
#include "core/outcome.h"

namespace qcal {

// The converter's five fields: Field n is the control Text<n>.
namespace converter {
enum Field : int { Amount = 1, Price, Shares, Payment, Left };
inline constexpr int kFieldCount = 5;
} // namespace converter

struct ConverterFields {
    std::string amount;
    std::string price;
    std::string shares;
    std::string payment;
    std::string left;
    friend bool operator==(const ConverterFields&, const ConverterFields&) = default;
};

// A refusal names the field at fault: InputError for a sum (converter::Amount) or a price
// (converter::Price) that is not a number of at least 0.01; NotEnoughMoney (the sum) when not
// even one lot is affordable, which leaves shares "0" and empties payment and money left;
// OutOfRange (the sum) beyond the 32-bit rounding of the payment; or an unusable rate.
using ConvertOutcome = Outcome;

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

// "加入计算": why price and shares may not be carried into the main window, or ok when they may
// go. A locked buy side (multi-batch or holding mode) takes nothing; neither does a converter
// without computed shares or without a usable price.
Outcome CarryRefusal(const ConverterFields& fields, bool buySideLocked);

} // namespace qcal
