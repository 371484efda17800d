#pragma once
// What the calculations of the main window and the batch windows share: the pictures of their
// fields, the way a step refuses, reading back a field as shown, and running the steps on
// copies so that a refused calculation leaves everything as it was.

#include <string_view>

#include "core/fees.h"
#include "core/main_state.h"
#include "core/numtext.h"
#include "core/outcome.h"
#include "core/picture.h"

namespace qcal::steps {

// Thrown inside a calculation to abandon its working copies and report why.
struct Refused {
    Outcome outcome;
};

// The rates of the settings, read once for the whole calculation.
inline Rates RatesOrRefuse(const FeeSettings& fees)
{
    const RateReading reading = ReadFeeSettings(fees);
    if (!reading.rates)
        throw Refused{Refusal(reading.problem)};
    return *reading.rates;
}

inline Money BreakEvenOrRefuse(const Holding& holding, const Rates& rates)
{
    const auto p = HoldingBreakEven(holding, rates);
    if (!p)  // the rates were read already, so only the range is left
        throw Refused{Refusal(Reason::OutOfRange)};
    return *p;
}

// Later steps read back what earlier ones wrote: they work on the figures as shown.
inline double Shown(const MainWindowState& s, Field field) { return NumberOrZero(s.text[field]); }

inline void Show(MainWindowState& s, Field field, double value, std::string_view picture)
{
    s.text[field] = FormatPicture(value, picture);
}

// Money is shown from its digits, every one of them.
inline void Show(MainWindowState& s, Field field, Money value, std::string_view picture)
{
    s.text[field] = FormatPicture(value, picture);
}

// A figure as shown, read back exactly: the current rules work in decimals to the last digit, where
// a double would lose the cents of a 16-digit sum. Beyond Money's range it throws OutOfRange.
inline Money ShownMoney(const MainWindowState& s, Field field) { return MoneyOrZero(s.text[field]); }

// One figure as shown less another: exactly under the current rules, in doubles (rounded to four
// decimals) in the program's own model, which computes in doubles.
inline Money ShownDifference(const MainWindowState& s, Field a, Field b, FeeRules rules)
{
    if (rules == FeeRules::Current)
        return ShownMoney(s, a) - ShownMoney(s, b);
    return Money::FromDouble(Shown(s, a) - Shown(s, b));
}

// Runs the steps and tells why they stopped, if they did; the caller works on copies and keeps
// them only when the outcome is ok.
template <typename Steps>
Outcome Attempt(Steps&& run)
{
    try {
        run();
    } catch (const Refused& r) {
        return r.outcome;
    } catch (const OutOfRange&) {
        return Refusal(Reason::OutOfRange);
    }
    return {};
}

} // namespace qcal::steps
