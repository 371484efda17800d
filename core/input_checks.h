#pragma once
// The field checks shared by every window, as logic on texts. The window layer wraps them:
// it shows the message, reselects the field, rewrites the text and sets InputValid.

#include <string>
#include <string_view>

namespace qcal {

struct CheckOutcome {
    bool accepted = false;
    std::string text;          // the rewritten text when accepted
    std::string_view message;  // the message to show when refused
};

bool IsPositiveAmountText(std::string_view text);  // numeric and at least 0.01

CheckOutcome CheckBuyPriceText(std::string_view text);
CheckOutcome CheckBuyQuantityText(std::string_view text);
CheckOutcome CheckSellPriceText(std::string_view text);
CheckOutcome CheckSellQuantityText(std::string_view text);
CheckOutcome CheckBonusText(std::string_view text);     // Text21: whole number 0 … 10, "#0"
CheckOutcome CheckDividendText(std::string_view text);  // Text22: two decimals, "##0.00"

// A price's check: numeric, above 0, below 214748.3648 (the 32-bit limit of its rounding),
// rewritten to four decimals with "##0.00##". The same rule serves every price field.
CheckOutcome CheckPriceText(std::string_view text, std::string_view notNumeric, std::string_view outOfRange);
// A quantity's check: numeric, at least 1, rewritten with "###,###,###".
CheckOutcome CheckQuantityText(std::string_view text, std::string_view notNumeric, std::string_view outOfRange);

} // namespace qcal
