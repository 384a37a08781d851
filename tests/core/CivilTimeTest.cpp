// Calendar arithmetic and the compact time texts, checked against Qt's calendar. The tests run
// with TZ=Europe/Berlin: UTC+1 in winter, UTC+2 in summer.
#include "core/RVCivilTime.h"

#include <QDateTime>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace RVCivilTime;

TEST(CivilTime, DaysAndInstantsAgreeWithQtOverACentury)
{
    // Every day of a century (leap days, century years, month ends), as UTC and as local time.
    const QDate first(1999, 1, 1);
    for (int day = 0; day < 37600; ++day) {
        const QDate date = first.addDays(day);
        ASSERT_EQ(daysFromCivil(date.year(), date.month(), date.day()),
                  QDate(1970, 1, 1).daysTo(date))
            << date.toString(Qt::ISODate).toStdString();
        ASSERT_EQ(daysInMonth(date.year(), date.month()), date.daysInMonth());
        const Fields noon{date.year(), date.month(), date.day(), 12, 34, 56, 789};
        const QDateTime utc(date, QTime(12, 34, 56, 789), QTimeZone::utc());
        ASSERT_EQ(utcInstant(noon).msecsSinceEpoch(), utc.toMSecsSinceEpoch());
        const QDateTime local(date, QTime(12, 34, 56, 789), Qt::LocalTime);
        ASSERT_EQ(localInstant(noon).msecsSinceEpoch(), local.toMSecsSinceEpoch());
        const std::optional<Fields> back = localFields(localInstant(noon));
        ASSERT_TRUE(back && back->year == date.year() && back->month == date.month() &&
                    back->day == date.day() && back->hour == 12 && back->minute == 34 &&
                    back->second == 56);
    }
    EXPECT_EQ(daysInMonth(2100, 2), 28);
    EXPECT_EQ(daysInMonth(2000, 2), 29);
}

TEST(CivilTime, CompactTextsAreReadLenientlyButNeverOutOfRange)
{
    // ddmmyy: the last day of each kind of month, leap years by the Gregorian rule.
    const std::pair<const char*, bool> dates[] = {
        {"310115", true},  {"320115", false}, {"300415", true},  {"310415", false},
        {"280215", true},  {"290215", false}, {"290216", true},  {"300216", false},
        {"290200", true},  {"311215", true},  {"000115", false}, {"011315", false},
        {"010015", false}, {"01011", false}};
    for (const auto& [date, valid] : dates) {
        Fields fields;
        EXPECT_EQ(parseDayMonthYear(date, fields), valid) << date;
    }
    Fields day;
    ASSERT_TRUE(parseDayMonthYear("050215", day));
    EXPECT_TRUE(day.year == 2015 && day.month == 2 && day.day == 5);
    // hhmmss with an optional fraction; digits beyond milliseconds are dropped.
    const std::pair<const char*, int> times[] = {
        {"134501", 0}, {"134501.", 0}, {"134501.5", 500}, {"134501.123456", 123}};
    for (const auto& [text, ms] : times) {
        Fields fields;
        ASSERT_TRUE(parseTimeOfDay(text, fields)) << text;
        EXPECT_TRUE(fields.hour == 13 && fields.minute == 45 && fields.second == 1 &&
                    fields.millisecond == ms)
            << text;
    }
    Fields midnight;
    EXPECT_TRUE(parseTimeOfDay("000000", midnight) && parseTimeOfDay("235960", midnight));
    for (const char* text :
         {"246000", "236000", "235961", "13450", "134501x", ".5", "", "1345a1"}) {
        Fields fields;
        EXPECT_FALSE(parseTimeOfDay(text, fields)) << text;
    }
    // Summer time in Berlin: 08:00 local is 06:00 UTC.
    const Fields summer{.year = 2017, .month = 7, .day = 9, .hour = 8};
    EXPECT_EQ(localInstant(summer).msecsSinceEpoch(),
              QDateTime(QDate(2017, 7, 9), QTime(6, 0), QTimeZone::utc()).toMSecsSinceEpoch());
}
