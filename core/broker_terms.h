#pragma once
// The broker's terms as the 券商费率 dialog edits them: the commission rate and minimum of each
// kind of product, whether the exchanges' fees are charged on top, and 免五. The dialog's texts
// are checked here, each refusal naming its field; the settings file's values go through the same
// checks, a value that fails them reading as its default.

#include <array>
#include <string>
#include <string_view>

#include "core/fee_settings.h"
#include "core/outcome.h"

namespace qcal {

// The dialog's fields: Field n is the control Text<n>.
namespace broker {
enum Field : int { FundsRate = 1, FundsMinimum, BondsRate, BondsMinimum, SharesRate, SharesMinimum };
inline constexpr int kFieldCount = 6;
} // namespace broker

struct BrokerForm {
    std::array<std::string, broker::kFieldCount + 1> text{};  // index 0 unused
    bool feesOnTop = false;
    bool waiveMinimum = false;
};

// What the dialog shows for the terms in force and the shares' rate of the main window's list.
BrokerForm FormOf(const BrokerTerms& terms, std::string_view sharesRate, bool waiveMinimum);

// A commission rate: a number from 0 to 3 per mille. A minimum: an amount from 0 to 10,000.00 with
// at most two decimals.
bool IsBrokerRate(std::string_view text);
bool IsBrokerMinimum(std::string_view text);

// The terms the form gives, or the refusal of its first unusable field (the funds' rate may be
// empty: the shares' rate).
struct BrokerReading {
    BrokerTerms terms;
    Outcome outcome;
};
BrokerReading ReadBrokerForm(const BrokerForm& form);

} // namespace qcal
