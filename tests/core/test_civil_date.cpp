// Civil dates: every day of two centuries walked one by one against a plain calendar, the texts
// refused, and adding months at the month ends.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/civil_date.h"
#include "core/money.h"

namespace qcal {
namespace {

CivilDate D(const char* text)
{
    const auto date = CivilDate::Parse(text);
    EXPECT_TRUE(date.has_value()) << text;
    return date.value_or(CivilDate());
}

// The calendar as the rules state it, for the walk.
int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

TEST(CivilDate, WalkTwoCenturiesDayByDay)
{
    int y = 1899, m = 12, d = 25;
    CivilDate previous = D("1899-12-24");
    for (int step = 0; step < 80000; ++step) {
        char text[40];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
        const auto date = CivilDate::Parse(text);
        ASSERT_TRUE(date) << text;
        ASSERT_EQ(date->Format(), text);
        ASSERT_EQ(date->Year() * 10000 + date->Month() * 100 + date->Day(), y * 10000 + m * 100 + d);
        ASSERT_LT(previous, *date) << text;
        ASSERT_EQ(previous.AddDays(1), *date) << text;
        ASSERT_EQ(DaysBetween(previous, *date), 1) << text;
        ASSERT_EQ(CivilDate::FromDayNumber(date->DayNumber()), *date) << text;
        ASSERT_EQ(CivilDate::FromYmd(y, m, d), date) << text;
        // The day past the month's end is no day.
        if (d == DaysInMonth(y, m)) {
            ASSERT_FALSE(CivilDate::FromYmd(y, m, d + 1)) << text;
        }
        previous = *date;
        if (++d > DaysInMonth(y, m)) {
            d = 1;
            if (++m > 12) {
                m = 1;
                ++y;
            }
        }
    }
    EXPECT_EQ(previous.Format(), "2119-01-05");
    EXPECT_EQ(D("1970-01-01").DayNumber(), 0);
    EXPECT_EQ(CivilDate(), D("1970-01-01"));
    EXPECT_EQ(DaysBetween(D("2024-03-01"), D("2024-07-24")), 145);
    EXPECT_EQ(DaysBetween(D("2024-07-24"), D("2024-03-01")), -145);
}

TEST(CivilDate, TextsThatAreNotDays)
{
    for (const char* text : {"2023-02-29", "1900-02-29", "2024-04-31", "2024-13-01", "2024-00-10", "2024-01-00",
                             "2024-01-32", "0000-01-01", "2024-1-01", "2024-01-1", " 2024-01-01", "2024-01-01 ",
                             "2024/01/01", "20240101", "", "2024-01-01T09:30", "+024-01-01", "2024-0a-01",
                             "２０２４-01-01", "-001-01-01"})
        EXPECT_FALSE(CivilDate::Parse(text)) << text;
    for (const char* text : {"0001-01-01", "9999-12-31", "2000-02-29", "2024-02-29", "1900-02-28"})
        EXPECT_EQ(D(text).Format(), text);
    EXPECT_THROW(D("9999-12-31").AddDays(1), OutOfRange);
    EXPECT_THROW(D("0001-01-01").AddDays(-1), OutOfRange);
    EXPECT_THROW(D("2024-01-01").AddDays(2147483647), OutOfRange);
    EXPECT_THROW(CivilDate::FromDayNumber(2147483647), OutOfRange);
    EXPECT_THROW(CivilDate::FromDayNumber(-2147483647 - 1), OutOfRange);
}

TEST(CivilDate, AddMonthsClampsToTheMonthEnd)
{
    const struct {
        const char* from;
        int months;
        const char* to;
    } cases[] = {
        {"2024-01-31", 1, "2024-02-29"},  {"2023-01-31", 1, "2023-02-28"},  {"2024-02-29", 12, "2025-02-28"},
        {"2024-02-29", 48, "2028-02-29"}, {"2024-03-31", -1, "2024-02-29"}, {"2024-05-31", 1, "2024-06-30"},
        {"2024-12-15", 1, "2025-01-15"},  {"2024-01-15", -1, "2023-12-15"}, {"2024-03-01", -13, "2023-02-01"},
        {"2024-03-01", 0, "2024-03-01"},  {"2024-08-31", 6, "2025-02-28"},  {"0001-01-31", 1, "0001-02-28"},
        {"9999-11-30", 1, "9999-12-30"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(D(c.from).AddMonths(c.months).Format(), c.to) << c.from << " + " << c.months;
    EXPECT_THROW(D("9999-12-31").AddMonths(1), OutOfRange);
    EXPECT_THROW(D("0001-01-31").AddMonths(-1), OutOfRange);
    EXPECT_THROW(D("2024-01-01").AddMonths(2147483647), OutOfRange);
}

} // namespace
} // namespace qcal
