#pragma once
// The mini window: the break-even price of one purchase, from the texts of its two input fields
// and the main window's fee settings.

#include <string>
#include <string_view>

#include "core/fees.h"

namespace qcal {

// The mini window's fields: Text1 buy price, Text2 quantity, Text3 break-even price.
struct MiniFields {
    std::string price;
    std::string quantity;
    std::string breakEven;
    friend bool operator==(const MiniFields&, const MiniFields&) = default;
};

enum class MiniFailure {
    None,
    Price,           // not a number of at least 0.01
    Quantity,        // not a number of at least one share
    CommissionRate,  // Combo1 is not a usable rate
    StampDutyRate,   // Combo2 is not a usable rate
    OutOfRange,      // the price or the quantity is beyond what the break-even search can hold
};

struct MiniOutcome {
    MiniFailure failure = MiniFailure::None;
    std::string_view message;  // what to show when failure is not None
    bool ok() const { return failure == MiniFailure::None; }
};

// Enter in Text1: checks the price and rewrites it with "###,###,##0.00##".
MiniOutcome ConfirmMiniPrice(MiniFields& fields);

// Enter in Text2: checks the price again and the quantity, rewrites the quantity with
// "###,###,###" and writes the break-even price with "###,###,##0.00##".
// On any failure nothing changes.
MiniOutcome ComputeMini(MiniFields& fields, const FeeSettings& settings);

} // namespace qcal
