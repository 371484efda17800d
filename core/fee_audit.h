#pragma once
// The audit of the fees a broker charged: every trade's fees as charged (typed, as imported from a
// statement) against the fees the rules of its date and product and the broker's terms give, fee
// by fee, with the likely cause of a difference where it is clear.
//
// Only a fee given as charged is audited: a computed fee has nothing to compare. A difference is
// charged − computed; it counts when its magnitude is above 0.01.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/fee_settings.h"
#include "core/journal.h"
#include "core/money.h"

namespace qcal::audit {

enum class FeeKind { Commission, StampDuty, TransferFee, OtherFees };
inline constexpr std::size_t kFeeKinds = 4;

// 佣金, 印花税, 过户费, 规费
std::string_view FeeName(FeeKind fee);

enum class Cause {
    Unknown,          // no clear cause
    MinimumOnWaived,  // a minimum commission charged on an account that waives it (免五)
    RateAboveTerms,   // a commission above the broker's rate (FeeLine::chargedRate says which rate)
    StampDutyOnBuy,   // stamp duty on a buy
    ChargedTwice,     // a fee charged twice: twice the computed fee, or 规费 on top of a commission that includes them
    OldRate,          // the fee of an earlier rate of the rule table (a stamp duty or transfer fee since lowered)
};

struct FeeLine {
    FeeKind fee = FeeKind::Commission;
    Money charged;
    Money computed;
    Cause cause = Cause::Unknown;
    // The commission rate charged, per mille of the amount, to 0.001 halves up (RateAboveTerms).
    std::optional<Money> chargedRate;
    // With it, the rate of the broker's terms for the trade's kind of security, as typed ("0.25").
    std::string termsRate;

    Money Difference() const { return charged - computed; }
    bool Differs() const;  // |difference| > 0.01
};

struct TradeAudit {
    journal::Entry entry;              // as given (its id, date, code, side, amount)
    std::vector<FeeLine> fees;         // the fees charged, in FeeKind order
    std::string problem;               // when the rules cannot charge it (a date before the table): why; fees empty
    bool Differs() const;
};

struct Summary {
    std::size_t trades = 0;            // trades with a fee charged
    std::size_t differing = 0;         // of them, with a fee that differs
    std::size_t uncomputable = 0;      // with a problem
    Money tooMuch;                     // the sum of the differences above +0.01
    Money tooLittle;                   // the magnitude of the sum of those below −0.01
};

struct Audit {
    std::vector<TradeAudit> trades;    // every trade with a fee charged, in the order given
    Summary summary;
};

// The audit of the trades among `entries` (events are passed over).
Audit AuditFees(std::span<const journal::Entry> entries, const FeeSettings& broker);

// The cause in words for the user: "免五账户收取了最低佣金", "佣金率 0.300‰ 高于约定的 0.25‰",
// "买入收取了印花税", "重复收取", "按旧费率收取"; empty for Unknown.
std::string CauseText(const FeeLine& line, const FeeSettings& broker);

// The audit as CSV (UTF-8, CRLF): the header 成交日期,证券代码,买卖,费用,实收,应收,差额, a line for
// each fee that differs, and the last line 合计,多收,X,少收,Y,笔数,N (N: the trades that differ).
std::string AuditCsv(const Audit& audit);

} // namespace qcal::audit
