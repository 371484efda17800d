#pragma once
// The mini window: the break-even price of one purchase, from the texts of its two input fields
// and the main window's fee settings.

#include <string>
#include <string_view>

#include "core/fees.h"
#include "core/outcome.h"

namespace qcal {

// The mini window's fields: Field n is the control Text<n>.
namespace mini {
enum Field : int { Price = 1, Quantity, BreakEven };
inline constexpr int kFieldCount = 3;
} // namespace mini

struct MiniFields {
    std::string price;
    std::string quantity;
    std::string breakEven;
    friend bool operator==(const MiniFields&, const MiniFields&) = default;
};

// A refusal names the field at fault: InputError for a price (mini::Price) that is not a number
// of at least 0.01 or a quantity (mini::Quantity) below one share; OutOfRange (the quantity) for
// a price or quantity beyond what the break-even search can hold; or an unusable rate.
using MiniOutcome = Outcome;

// Enter in Text1: checks the price and rewrites it with "###,###,##0.00##".
MiniOutcome ConfirmMiniPrice(MiniFields& fields);

// Enter in Text2: checks the price again and the quantity, rewrites the quantity with
// "###,###,###" and writes the break-even price with "###,###,##0.00##".
// On any failure nothing changes.
MiniOutcome ComputeMini(MiniFields& fields, const FeeSettings& settings);

} // namespace qcal
