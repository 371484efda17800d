#pragma once
// The rules in force today (现行规则), exact in decimals: every fee is the amount times its rate,
// rounded to 0.01 yuan halves up, from the rate's text as typed (never a binary double); the
// commission's minimum applies after rounding, unless the account waives it; the break-even is the
// lowest price on the exchange's tick at which a sale brings back the money still to recover.

#include "core/schedule.h"

namespace qcal {

const FeeModel& CurrentRulesModel();

} // namespace qcal
