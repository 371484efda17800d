#pragma once
// The journal window's entry frame as texts: what the user typed, checked field by field with the
// same rules as the main window's fields, into a journal entry; and an entry back into texts for
// editing. A fee left empty is computed by the fee rules; a fee typed is kept as charged.

#include <array>
#include <string>

#include "core/journal.h"
#include "core/outcome.h"

namespace qcal::journal {

// The entry frame's text fields: Field n is the window's Text<n>.
enum Field : int {
    Time = 1,
    Code,
    Price,     // a trade's price; an event's rate per 10 shares
    Quantity,  // a trade's shares; bonus shares credited (empty: from the rate); unused for 红利
    Commission,
    StampDuty,
    TransferFee,
    OtherFees,
    Note,
};
inline constexpr int kEntryFieldCount = Note;

struct EntryFields {
    std::string date;     // "YYYY-MM-DD", from the date control
    std::string product;  // one of kProducts
    Kind kind = Kind::Buy;
    std::array<std::string, kEntryFieldCount + 1> text{};  // by Field; index 0 unused
    friend bool operator==(const EntryFields&, const EntryFields&) = default;
};

// Whether a field is read for the kind (the window greys the others).
bool FieldUsed(Kind kind, Field field);

// The entry the fields make (id 0), its texts rewritten as they are kept (prices with two to four
// decimals, shares grouped, fees with two to four decimals), or the first field refused and why.
// The fees not typed are left 0 and untyped: FillComputedFees puts them in.
struct EntryReading {
    Outcome outcome;
    Entry entry;
    EntryFields fields;  // rewritten
};
EntryReading ReadEntryFields(const EntryFields& fields);

// The texts of an entry for editing: computed fees empty, so that they are computed again.
EntryFields FieldsOf(const Entry& entry);

} // namespace qcal::journal
