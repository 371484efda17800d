#pragma once
// The tax on dividends by holding period (差别化红利税) for an individual's A shares.
//
// What is taxed: cash dividends, and bonus shares from profits (送股) at their par value of 1.00
// yuan a share. Shares from the capital reserve (转增) are not income and are not taxed. The tax is
// settled when shares are sold: the shares sold are matched to the lots held first in first out,
// and the dividends those shares carry are taxed at the rate of their lot's holding period.
//
// The holding period runs from the day the shares were acquired to the day before the sale, both
// counted, in calendar months. Bonus shares count from the day the shares they came with were
// acquired, as the tax law counts them. With A the day acquired, S the day sold and A + n months
// the same day of the month n months on (the month's last day when it has no such day, see
// CivilDate::AddMonths):
//   S <= A + 1 month            held one month or less          20 %
//   S <= A + 12 months          more than a month, up to a year 10 %
//   otherwise                   more than a year                 none
// So shares bought 2024-03-01 and sold 2024-04-01 were held 03-01 ... 03-31, exactly one month
// (20 %); sold 2024-04-02, one month and a day (10 %); sold 2025-03-01, exactly a year (10 %);
// sold 2025-03-02, a year and a day (exempt). Bought on a month's last day, 2023-01-31, a month
// is up to 2023-02-28: sold 2023-02-28, 20 %; sold 2023-03-01, 10 %.
//
// Dividends are counted in hundred-thousandths of a yuan (a rate of 10派X with X to four decimals
// is X/10 a share, to five), so that every lot's dividends are exact; the tax is rounded to the
// cent, halves up.

#include <cstdint>

#include "core/civil_date.h"
#include "core/money.h"

namespace qcal {

// Hundred-thousandths of a yuan in a yuan: the unit of taxable dividends.
inline constexpr std::int64_t kDividendScale = 100000;

enum class HoldingBand { UpToOneMonth, UpToOneYear, OverOneYear };

HoldingBand HoldingBandOf(CivilDate acquired, CivilDate sold);

// 20, 10 or 0.
int DividendTaxPercent(HoldingBand band);

// The tax on `dividends` (hundred-thousandths of a yuan, not negative) held for `band`: to the
// cent, halves up.
Money DividendTax(std::int64_t dividends, HoldingBand band);

// Dividends in hundred-thousandths of a yuan as Money, to the ten-thousandth halves up (for showing).
Money DividendsAsMoney(std::int64_t dividends);

} // namespace qcal
