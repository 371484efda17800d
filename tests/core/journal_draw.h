#pragma once
// Random journals that the journal accepts: buys, sales of at most what is held, dividends and
// bonus shares only while shares are held, on dates that cross month ends and leap days, some
// entries of a day with a time; given in a shuffled order, so that the taking order matters.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/civil_date.h"
#include "core/journal.h"

namespace qcal::test {

struct JournalDraw {
    int entries = 40;
    int codes = 3;
    std::int64_t maxShares = 300;  // a buy's largest quantity
    int newDayPerMille = 850;      // how often an entry is on a later day than the one before
    int maxGapDays = 400;          // the longest step between entries' days; from 367 on, the
                                   // steps are mostly whole months and years, and a day either side
    bool shuffle = true;
};

inline std::vector<journal::Entry> DrawJournal(std::mt19937_64& rng, const JournalDraw& draw)
{
    using journal::Entry;
    using journal::Kind;
    auto below = [&](std::int64_t n) { return static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(n)); };
    // Steps of whole months and of a month's length, so that held periods land on the edges.
    const int gaps[] = {1, 1, 2, 3, 7, 28, 29, 30, 31, 32, 59, 61, 334, 365, 366, 367};
    auto gap = [&]() -> int {
        if (below(1000) >= draw.newDayPerMille)
            return 0;
        if (draw.maxGapDays >= 367 && below(4) != 0)
            return gaps[below(std::size(gaps))];
        return static_cast<int>(1 + below(draw.maxGapDays));
    };
    const std::int64_t bonusRates[] = {10000, 20000, 30000, 50000, 100000, 25000, 3333, 1};

    std::vector<Entry> out;
    out.reserve(static_cast<std::size_t>(draw.entries));
    std::unordered_map<int, std::int64_t> held;
    CivilDate day = CivilDate::FromYmd(2019, 1, static_cast<int>(1 + below(31))).value();
    int minute = -1;  // the last time given today; -1 while today's entries have none
    for (int i = 0; i < draw.entries; ++i) {
        if (const int days = gap(); days > 0) {
            day = day.AddDays(days);
            minute = -1;
        }
        // Once a day's entry has a time, the later ones have later times: the journal takes
        // entries without a time first.
        if (minute >= 0 || below(3) == 0)
            minute = std::min(minute + 1 + static_cast<int>(below(5)), 14 * 60);
        const int code = static_cast<int>(below(draw.codes));
        std::int64_t& shares = held[code];

        Entry e;
        e.id = i + 1;
        e.date = day.Format();
        if (minute >= 0) {
            char time[32];
            std::snprintf(time, sizeof time, "%02d:%02d", 9 + minute / 60, minute % 60);
            e.time = time;
        }
        char codeText[32];
        std::snprintf(codeText, sizeof codeText, "%06d", 600000 + code * 7);
        e.code = codeText;
        e.product = "上海A股";
        const std::int64_t roll = below(100);
        if (shares == 0 || roll < 40) {
            e.kind = Kind::Buy;
            e.quantity = 1 + below(draw.maxShares);
        } else if (roll < 75) {
            e.kind = Kind::Sell;
            e.quantity = below(4) == 0 ? shares : 1 + below(shares);
        } else if (roll < 85) {
            e.kind = Kind::CashDividend;
            e.price = Money::FromRaw(1 + below(40000));
        } else {
            e.kind = roll < 93 ? Kind::BonusShares : Kind::ReserveShares;
            e.price = Money::FromRaw(bonusRates[below(std::size(bonusRates))]);
            const std::int64_t exact = shares * e.price.Raw();
            std::int64_t credited = exact / 100000;
            // Now and then the clearing house's extra share for the fraction, as credited.
            if (below(4) == 0) {
                credited += exact % 100000 != 0 && below(2) == 0 ? 1 : 0;
                e.quantity = credited;
            }
            shares += credited;
        }
        if (e.kind == Kind::Buy || e.kind == Kind::Sell) {
            shares += e.kind == Kind::Buy ? e.quantity : -e.quantity;
            e.price = Money::FromRaw(100 * (100 + below(5000)));
            e.amount = e.price.TimesWhole(e.quantity);
            e.commission = {Money::FromRaw(100 * (500 + below(500))), below(2) == 0};
            e.stampDuty = {Money::FromRaw(e.kind == Kind::Sell ? 100 * below(800) : 0), false};
            e.transferFee = {Money::FromRaw(100 * below(30)), false};
            e.otherFees = {Money::FromRaw(100 * below(10)), below(2) == 0};
        }
        out.push_back(std::move(e));
    }
    if (draw.shuffle)
        std::shuffle(out.begin(), out.end(), rng);
    return out;
}

} // namespace qcal::test
