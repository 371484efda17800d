#include "core/civil_date.h"

#include <chrono>

#include "core/money.h"

namespace qcal {

namespace {

constexpr int kFirstYear = 1;
constexpr int kLastYear = 9999;
constexpr std::int32_t kFirstDayNumber = -719162;  // 0001-01-01
constexpr std::int32_t kLastDayNumber = 2932896;   // 9999-12-31

std::chrono::year_month_day Ymd(CivilDate date)
{
    return std::chrono::year_month_day{std::chrono::year{date.Year()},
                                       std::chrono::month{static_cast<unsigned>(date.Month())},
                                       std::chrono::day{static_cast<unsigned>(date.Day())}};
}

// Digits of text[from, from + count) as a number; -1 when any is not a digit.
int Digits(std::string_view text, std::size_t from, std::size_t count)
{
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Writes value into text[from, from + count) with leading zeros.
void PutDigits(char* text, int from, int value, int count)
{
    for (int i = from + count - 1; i >= from; --i) {
        text[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

} // namespace

std::optional<CivilDate> CivilDate::FromYmd(int year, int month, int day)
{
    if (year < kFirstYear || year > kLastYear || month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    const CivilDate date(year, month, day);
    if (!Ymd(date).ok())
        return std::nullopt;
    return date;
}

std::optional<CivilDate> CivilDate::Parse(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    const int year = Digits(text, 0, 4);
    const int month = Digits(text, 5, 2);
    const int day = Digits(text, 8, 2);
    if (year < 0 || month < 0 || day < 0)
        return std::nullopt;
    return FromYmd(year, month, day);
}

CivilDate CivilDate::FromDayNumber(std::int32_t days)
{
    // Outside them the calendar's year would not hold the year.
    if (days < kFirstDayNumber || days > kLastDayNumber)
        throw OutOfRange();
    const std::chrono::year_month_day ymd{std::chrono::sys_days{std::chrono::days{days}}};
    return CivilDate(static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                     static_cast<int>(static_cast<unsigned>(ymd.day())));
}

std::int32_t CivilDate::DayNumber() const
{
    return static_cast<std::int32_t>(std::chrono::sys_days{Ymd(*this)}.time_since_epoch().count());
}

std::string CivilDate::Format() const
{
    char text[] = "0000-00-00";
    PutDigits(text, 0, year_, 4);
    PutDigits(text, 5, month_, 2);
    PutDigits(text, 8, day_, 2);
    return text;
}

CivilDate CivilDate::AddMonths(int months) const
{
    // Months counted from year 0 in 64 bits, so no addition here can wrap.
    const std::int64_t index = static_cast<std::int64_t>(year_) * 12 + (month_ - 1) + months;
    const std::int64_t year = index >= 0 ? index / 12 : (index - 11) / 12;
    if (year < kFirstYear || year > kLastYear)
        throw OutOfRange();
    const int month = static_cast<int>(index - year * 12) + 1;
    const std::chrono::year_month_day_last last{std::chrono::year{static_cast<int>(year)},
                                                std::chrono::month_day_last{std::chrono::month{static_cast<unsigned>(month)}}};
    const int lastDay = static_cast<int>(static_cast<unsigned>(last.day()));
    return CivilDate(static_cast<int>(year), month, day_ <= lastDay ? day_ : lastDay);
}

CivilDate CivilDate::AddDays(std::int32_t days) const
{
    // In 64 bits, so that the sum is checked before it is narrowed.
    const std::int64_t number = static_cast<std::int64_t>(DayNumber()) + days;
    if (number < kFirstDayNumber || number > kLastDayNumber)
        throw OutOfRange();
    return FromDayNumber(static_cast<std::int32_t>(number));
}

std::int32_t DaysBetween(CivilDate from, CivilDate to) { return to.DayNumber() - from.DayNumber(); }

} // namespace qcal
