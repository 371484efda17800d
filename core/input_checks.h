#pragma once
// The field checks shared by every window, as logic on texts. The window layer wraps them:
// it shows the message, reselects the field, rewrites the text and sets InputValid.

#include <string>
#include <string_view>

#include "core/outcome.h"

namespace qcal {

struct CheckOutcome {
    bool accepted = false;
    std::string text;              // the rewritten text when accepted
    Reason reason = Reason::None;  // why it was refused
    std::string_view message;      // and the message that says so: MessageFor(reason)
};

bool IsPositiveAmountText(std::string_view text);  // numeric and at least 0.01

CheckOutcome CheckBuyPriceText(std::string_view text);
CheckOutcome CheckBuyQuantityText(std::string_view text);
CheckOutcome CheckSellPriceText(std::string_view text);
CheckOutcome CheckSellQuantityText(std::string_view text);
CheckOutcome CheckBonusText(std::string_view text);     // Text21: whole number 0 … 10, "#0"
CheckOutcome CheckDividendText(std::string_view text);  // Text22: two decimals, "##0.00"

// Why a field is refused: its text is not a number, its value too small, or too large to compute.
struct FieldReasons {
    Reason notNumeric, tooSmall, tooLarge;
};
// The side windows name the field in their messages.
inline constexpr FieldReasons kNamedFieldPrice{Reason::FieldNotNumeric, Reason::FieldNotPositive,
                                               Reason::FieldOutOfRange};
inline constexpr FieldReasons kNamedFieldShares{Reason::FieldNotNumeric, Reason::FieldBelowOneShare,
                                                Reason::FieldOutOfRange};

// A price's check: numeric, above 0, below 214748.3648 (the 32-bit limit of its rounding),
// rewritten to four decimals with "##0.00##". The same rule serves every price field; the two
// reasons are the field's own.
CheckOutcome CheckPriceText(std::string_view text, Reason notNumeric, Reason outOfRange);
CheckOutcome CheckPriceText(std::string_view text, const FieldReasons& reasons);
// A quantity's check: numeric, at least 1, rewritten with "###,###,###".
// A quantity of 1e15 or more is out of range (Reason::OutOfRange in the two-reason form).
CheckOutcome CheckQuantityText(std::string_view text, Reason notNumeric, Reason outOfRange);
CheckOutcome CheckQuantityText(std::string_view text, const FieldReasons& reasons);

} // namespace qcal
