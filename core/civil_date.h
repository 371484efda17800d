#pragma once
// A day of the Gregorian calendar, without time or zone: the trade date of a journal entry.
// Years 1 to 9999, so that every date has the four-digit text form "YYYY-MM-DD" the journal
// stores. Anything that would leave that range throws OutOfRange.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qcal {

class CivilDate {
public:
    // 1970-01-01, day number 0.
    constexpr CivilDate() = default;

    // nullopt when there is no such day (2023-02-29, month 13, year 0).
    static std::optional<CivilDate> FromYmd(int year, int month, int day);
    // Exactly "YYYY-MM-DD" with leading zeros: no blanks, no other separators, no time.
    static std::optional<CivilDate> Parse(std::string_view text);
    // Days since 1970-01-01 (negative before it).
    static CivilDate FromDayNumber(std::int32_t days);

    int Year() const { return year_; }
    int Month() const { return month_; }
    int Day() const { return day_; }
    std::int32_t DayNumber() const;
    std::string Format() const;

    // The same day of the month `months` later (or earlier, when negative); on the month's last
    // day when the month is shorter: 2024-01-31 plus one month is 2024-02-29, 2023-01-31 plus one
    // is 2023-02-28, 2024-02-29 plus twelve is 2025-02-28.
    CivilDate AddMonths(int months) const;
    CivilDate AddDays(std::int32_t days) const;

    // Members in the order year, month, day: the defaulted comparison is the calendar's.
    friend constexpr bool operator==(CivilDate, CivilDate) = default;
    friend constexpr auto operator<=>(CivilDate, CivilDate) = default;

private:
    constexpr CivilDate(int year, int month, int day)
        : year_(static_cast<std::int16_t>(year)), month_(static_cast<std::uint8_t>(month)),
          day_(static_cast<std::uint8_t>(day))
    {
    }

    std::int16_t year_ = 1970;
    std::uint8_t month_ = 1;
    std::uint8_t day_ = 1;
};

// to − from in days: 1 from one day to the next.
std::int32_t DaysBetween(CivilDate from, CivilDate to);

} // namespace qcal
