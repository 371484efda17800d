#pragma once
// What the calculations of the main window and the batch windows share: the pictures of their
// fields, the way a step refuses, reading back a field as shown, and running the steps on
// copies so that a refused calculation leaves everything as it was.

#include <string_view>

#include "core/schedule.h"
#include "core/captions.h"
#include "core/main_state.h"
#include "core/numtext.h"
#include "core/outcome.h"
#include "core/picture.h"
#include "core/rounding.h"

namespace qcal::steps {

// Thrown inside a calculation to abandon its working copies and report why.
struct Refused {
    Outcome outcome;
};

// The fee schedule of the settings, read once for the whole calculation.
inline FeeSchedule ScheduleOrRefuse(const FeeSettings& fees)
{
    const ScheduleReading reading = ReadSchedule(fees);
    if (!reading.schedule)
        throw Refused{Refusal(reading.problem)};
    return *reading.schedule;
}

inline Money BreakEvenOrRefuse(const Holding& holding, const FeeSchedule& schedule)
{
    const auto p = schedule.HoldingBreakEven(holding);
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
inline Money ShownDifference(const MainWindowState& s, Field a, Field b, const FeeSchedule& schedule)
{
    if (schedule.model().ExactDecimals())
        return ShownMoney(s, a) - ShownMoney(s, b);
    return Money::FromDouble(Shown(s, a) - Shown(s, b));
}

// Text18: the yield of a profit on the money paid, or nothing when nothing was paid.
inline void ShowYield(MainWindowState& s, double profit, double paid)
{
    if (const auto yield = YieldPercent(profit, paid))
        Show(s, Yield, *yield, kAmountPicture);
    else
        s.text[Yield].clear();
}

// Label17 says gain or loss, and it and Label18 take the colour of it (nothing either way counts as
// a gain, as the main window always showed it).
inline void ShowProfitLabel(MainWindowState& s, bool loss)
{
    s.label[ProfitLabel].caption = loss ? caption::kLoss : caption::kGain;
    s.label[ProfitLabel].colour = s.label[YieldLabel].colour = loss ? Colour::Blue : Colour::Red;
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
