#include "core/dividend_tax.h"

namespace qcal {

namespace {

// Sold on or before the day `months` on from `acquired`. A day past the calendar's last is after
// every sale, so shares bought in 9999 are not refused for it.
bool SoldWithin(CivilDate acquired, CivilDate sold, int months)
{
    try {
        return sold <= acquired.AddMonths(months);
    } catch (const OutOfRange&) {
        return true;
    }
}

} // namespace

HoldingBand HoldingBandOf(CivilDate acquired, CivilDate sold)
{
    if (SoldWithin(acquired, sold, 1))
        return HoldingBand::UpToOneMonth;
    if (SoldWithin(acquired, sold, 12))
        return HoldingBand::UpToOneYear;
    return HoldingBand::OverOneYear;
}

int DividendTaxPercent(HoldingBand band)
{
    switch (band) {
    case HoldingBand::UpToOneMonth: return 20;
    case HoldingBand::UpToOneYear: return 10;
    case HoldingBand::OverOneYear: return 0;
    }
    return 0;
}

Money DividendTax(std::int64_t dividends, HoldingBand band)
{
    // dividends × percent / 100 in hundred-thousandths is dividends × percent / 100,000 in cents.
    const Int128 scaled = static_cast<Int128>(dividends) * DividendTaxPercent(band);
    const Int128 cents = (scaled + kDividendScale / 2) / kDividendScale;
    return Money::FromRaw(static_cast<std::int64_t>(cents)).TimesWhole(100);
}

Money DividendsAsMoney(std::int64_t dividends)
{
    constexpr std::int64_t perRaw = kDividendScale / Money::kScale;
    return Money::FromRaw(dividends / perRaw + (dividends % perRaw * 2 >= perRaw ? 1 : 0));
}

} // namespace qcal
