#pragma once
// The one search on a grid: the first step k at which something reaches a target (a sale's net
// reaching the money to recover, a holding's cost coming down to a target), where it grows with k
// but for the rounding of the figures. Every price search of the fee schedules and the averaging
// down over lots use it.
//
// From a step known to be below the target (or the grid's first, probed), it gallops (origin + 1,
// 2, 4, … steps, or first down from a guess) to a step that reaches it or leaves the range,
// bisects to a crossing, and then tries one by one the steps before the crossing where the
// rounding could still let an earlier one reach the target (the scan-back policy says which, and
// whether that can be told at all). So the step found is the first on the grid that reaches the
// target, as a walk over every step from the first would find. A step out of range means every
// later one is out of range too: it ends the bracket like a step that reaches, and is the answer
// of no search.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

namespace qcal::search {

enum class Probe { Below, Reached, OutOfRange };

struct Grid {
    std::int64_t floor = 0;          // the first step that may be probed
    bool belowFloorKnown = false;    // floor − 1 is below the target (never probed); else floor is probed first
    std::optional<std::int64_t> guess;  // where to start (at or above floor); else next to the step below
    std::int64_t last = std::numeric_limits<std::int64_t>::max();  // the last step the grid has
    std::int64_t maxTriedBack = std::numeric_limits<std::int64_t>::max();
};

// ScanBack: bool Decidable(lo, hi) — whether the steps before the crossing lo | hi that rounding
// could let reach the target can be tried at all (false: the search has no answer); bool Near(k,
// lo) — whether step k (< lo) is still among them. A policy without a scan says false to Near.
template <typename ProbeFn, typename ScanBack>
std::optional<std::int64_t> FirstReaching(const Grid& grid, ProbeFn&& probe, ScanBack& scan)
{
    std::int64_t lo = grid.floor - 1;  // below the target
    if (!grid.belowFloorKnown) {
        const Probe first = probe(grid.floor);
        if (first == Probe::Reached)
            return grid.floor;
        if (first == Probe::OutOfRange)
            return std::nullopt;
        lo = grid.floor;
    }
    std::int64_t hi = lo;              // reaches the target or is out of range, once found
    Probe top = Probe::Below;          // what hi is
    std::int64_t origin = lo;
    if (grid.guess && *grid.guess > lo) {
        const Probe atGuess = probe(*grid.guess);
        origin = *grid.guess;
        if (atGuess == Probe::Below) {
            lo = origin;
        } else {
            // Down from the guess until a step is below, or the floor is passed.
            hi = origin;
            top = atGuess;
            for (std::int64_t step = 1; origin - step >= grid.floor; step *= 2) {
                const std::int64_t k = origin - step;
                const Probe p = probe(k);
                if (p == Probe::Below) {
                    lo = k;
                    break;
                }
                hi = k;
                top = p;
                if (step > std::numeric_limits<std::int64_t>::max() / 2)
                    break;
            }
        }
    }
    if (top == Probe::Below) {
        // Up from the origin, in steps that double, to a step that reaches or leaves the range.
        for (std::int64_t step = 1;; step *= 2) {
            if (origin > grid.last - step || step > std::numeric_limits<std::int64_t>::max() / 2) {
                if (lo >= grid.last)
                    return std::nullopt;  // no step of the grid reaches the target
                step = grid.last - origin;
            }
            const std::int64_t k = origin + step;
            const Probe p = probe(k);
            if (p != Probe::Below) {
                hi = k;
                top = p;
                break;
            }
            lo = k;
            if (k >= grid.last)
                return std::nullopt;
        }
    }
    while (hi - lo > 1) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        const Probe p = probe(mid);
        if (p == Probe::Below) {
            lo = mid;
        } else {
            hi = mid;
            top = p;
        }
    }
    if (!scan.Decidable(lo, hi))
        return std::nullopt;
    std::optional<std::int64_t> earlier;
    std::int64_t tried = 0;
    for (std::int64_t k = lo - 1; k >= grid.floor; --k) {
        if (!scan.Near(k, lo))
            break;
        if (++tried > grid.maxTriedBack)
            return std::nullopt;
        if (probe(k) == Probe::Reached)
            earlier = k;
    }
    if (earlier)
        return earlier;
    if (top == Probe::OutOfRange)
        return std::nullopt;
    return hi;
}

// The scan back of a search whose figures have no rounding to make up for.
struct NoScanBack {
    bool Decidable(std::int64_t, std::int64_t) const { return true; }
    bool Near(std::int64_t, std::int64_t) const { return false; }
};

} // namespace qcal::search
