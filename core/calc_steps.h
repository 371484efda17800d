#pragma once
// What the calculations of the main window and the batch windows share: the pictures of their
// fields, the way a step refuses, reading back a field as shown, and running the steps on
// copies so that a refused calculation leaves everything as it was.

#include <string_view>

#include "core/fees.h"
#include "core/main_state.h"
#include "core/numtext.h"
#include "core/picture.h"
#include "core/trade.h"

namespace qcal::steps {

inline constexpr std::string_view kPricePicture = "##0.00##";
inline constexpr std::string_view kAmountPicture = "###,##0.00";
inline constexpr std::string_view kCostPicture = "###,##0.000";
inline constexpr std::string_view kBreakEvenPicture = "##0.000";
inline constexpr std::string_view kSharesPicture = "###,###";

// Thrown inside a calculation to abandon its working copies and report why.
struct Refused {
    CalcFailure failure;
};

inline Rates RatesOrRefuse(const FeeSettings& fees)
{
    switch (DiagnoseRates(fees)) {
    case RateProblem::Commission: throw Refused{CalcFailure::CommissionRate};
    case RateProblem::StampDuty: throw Refused{CalcFailure::StampDutyRate};
    case RateProblem::None: break;
    }
    const auto rates = ReadRates(fees);
    if (!rates)  // ReadRates refuses nothing that DiagnoseRates passes; the commission box is the one typed into
        throw Refused{CalcFailure::CommissionRate};
    return *rates;
}

inline Money BreakEvenOrRefuse(Money price, Money quantity, const FeeSettings& fees)
{
    const auto p = BreakEvenPrice(price, quantity, fees);
    if (!p)  // the rates were read already, so only the range is left
        throw Refused{CalcFailure::OutOfRange};
    return *p;
}

// Later steps read back what earlier ones wrote: they work on the figures as shown.
inline double Shown(const MainWindowState& s, int field) { return NumberOrZero(s.text[field]); }

inline void Show(MainWindowState& s, int field, double value, std::string_view picture)
{
    s.text[field] = FormatPicture(value, picture);
}

// Runs the steps and tells why they stopped, if they did; the caller works on copies and keeps
// them only when this returns CalcFailure::None.
template <typename Steps>
CalcFailure Attempt(Steps&& run)
{
    try {
        run();
    } catch (const Refused& r) {
        return r.failure;
    } catch (const OutOfRange&) {
        return CalcFailure::OutOfRange;
    }
    return CalcFailure::None;
}

} // namespace qcal::steps
