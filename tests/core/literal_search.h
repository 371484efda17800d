#pragma once
// The break-even search written as a plain walk, one step after another: the reference the
// bisecting search in core/fees.cpp is compared with. Header-only, so that the benchmark can
// use it too.

#include <cstdint>
#include <limits>
#include <optional>

#include "core/fees.h"
#include "core/money.h"
#include "core/rounding.h"

namespace qcal::reference {

struct LiteralResult {
    std::optional<Money> price;  // nullopt: a value left its range, or the counter ran out
    bool capped = false;         // stopped after maxSteps steps: no answer either way
    std::int64_t steps = 0;      // steps tried over all phases
    bool minimumPhase = false;   // the second phase, with the minimum commission, ran
};

inline LiteralResult LiteralBreakEven(Money price, Money quantity, const FeeSettings& settings,
                                      std::int64_t maxSteps = std::numeric_limits<std::int64_t>::max())
{
    LiteralResult out;
    const auto rates = ReadRates(settings);
    if (!rates || quantity <= Money())
        return out;
    const double c = rates->commission;
    const double s = rates->stampDuty;
    const Market market = rates->market;
    if (market == Market::Other) {
        out.price = Money();
        return out;
    }
    const Money five = Money::FromWhole(5);

    // The walk of one phase: k = 0, 1, 2, … until net(S) >= A; the counter is a signed 32-bit one.
    // Returns false when it stops without an answer (out of range or capped).
    auto walk = [&](Money U, Money Q, Money A, double step, auto net, std::int32_t& k) -> bool {
        for (std::int64_t kk = 0;; ++kk) {
            if (kk > std::numeric_limits<std::int32_t>::max())
                return false;
            if (out.steps >= maxSteps) {
                out.capped = true;
                return false;
            }
            ++out.steps;
            const Money p = U + Money::FromDouble(static_cast<double>(kk) * step);
            const Money S = p * Q;
            if (net(S) >= A) {
                k = static_cast<std::int32_t>(kk);
                return true;
            }
        }
    };
    auto roundUp = [](Money r) {
        const Money x = r.TimesWhole(1000);
        const std::int32_t n = RoundInt32(static_cast<double>(x.ToWhole()));
        if (Money::FromWhole(n) < x)
            return Money::FromDouble(n / 1000.0 + 0.001);
        return Money::FromDouble(n / 1000.0);
    };

    try {
        const Money A = price * quantity;
        const Money Q = quantity;
        const double q = Q.ToDouble();
        std::int32_t k = 0;

        if (market == Market::Shanghai || market == Market::Shenzhen) {
            const bool sh = market == Market::Shanghai;
            const Money cb = Money::FromDouble(RoundInt32(c * A.ToDouble() * 0.001 * 1000) / 1000.0);
            const Money sb = Money::FromDouble(RoundInt32(s * A.ToDouble() * 0.001 * 1000) / 1000.0);
            const Money tb = sh ? Money::FromDouble(q * 0.001) : Money();
            const Money U = Money::FromDouble(RoundInt32((A + cb + sb + tb).ToDouble() / q * 1000) / 1000.0);
            const Money B = sh ? Money::FromDouble(q * 0.001 + (sb + cb).ToDouble()) : sb + cb;
            const double step = 0.001;

            bool found = false;
            if (sh)
                found = walk(U, Q, A, step, [&](Money S) {
                    const double sd = S.ToDouble();
                    return S - B - Money::FromDouble(q * 0.001 + (s * sd * 0.001 + c * sd * 0.001));
                }, k);
            else
                found = walk(U, Q, A, step, [&](Money S) {
                    const double sd = S.ToDouble();
                    return S - B - Money::FromDouble(s * sd * 0.001 + c * sd * 0.001);
                }, k);
            if (!found)
                return out;

            Money p = U + Money::FromDouble(k * step);
            if (c * (p * Q).ToDouble() * 0.001 < 5) {
                out.minimumPhase = true;
                if (!sh)
                    found = walk(U, Q, A, step, [&](Money S) {
                        return S - B - Money::FromDouble(s * S.ToDouble() * 0.001 + 5);
                    }, k);
                else if (q * 0.001 >= 1)
                    found = walk(U, Q, A, step, [&](Money S) {
                        return S - B - Money::FromDouble(q * 0.001 + (s * S.ToDouble() * 0.001 + 5));
                    }, k);
                else
                    found = walk(U, Q, A, step, [&](Money S) {
                        return S - B - Money::FromDouble(s * S.ToDouble() * 0.001 + 5 + 1);
                    }, k);
                if (!found)
                    return out;
                p = U + Money::FromDouble(k * step);
            }
            out.price = roundUp(p);
        } else {
            const Money cb = Money::FromDouble(RoundInt32(c * A.ToDouble() * 0.001 * 1000) / 1000.0);
            const Money U = Money::FromDouble(RoundInt32((A + cb).ToDouble() / q * 1000) / 1000.0);
            const Money B = cb;
            const double step = 0.0001;
            bool found = false;
            if (c * (U * Q).ToDouble() * 0.001 > 5)
                found = walk(U, Q, A, step, [&](Money S) {
                    return S - B - Money::FromDouble(c * S.ToDouble() * 0.001);
                }, k);
            else
                found = walk(U, Q, A, step, [&](Money S) { return S - five - five; }, k);
            if (!found)
                return out;
            out.price = roundUp(U + Money::FromDouble(k * step));
        }
    } catch (const OutOfRange&) {
        out.price.reset();
    }
    return out;
}

} // namespace qcal::reference
