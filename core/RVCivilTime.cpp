#include "core/RVCivilTime.h"

#include <ctime>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Two decimal digits at text[at], or -1.
int twoDigits(std::string_view text, std::size_t at)
{
    if (at + 2 > text.size() || !isDigit(text[at]) || !isDigit(text[at + 1]))
        return -1;
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

} // namespace

std::int64_t RVCivilTime::daysFromCivil(int year, int month, int day)
{
    // Howard Hinnant's days_from_civil: years counted from March so that the leap day ends
    // the year, eras of 400 years (146097 days).
    const std::int64_t y = std::int64_t(year) - (month <= 2 ? 1 : 0);
    const std::int64_t era = floorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int RVCivilTime::daysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0))
        return 29;
    return kDays[month - 1];
}

bool RVCivilTime::parseTimeOfDay(std::string_view text, Fields& fields)
{
    const int hour = twoDigits(text, 0);
    const int minute = twoDigits(text, 2);
    const int second = twoDigits(text, 4);
    if (hour < 0 || minute < 0 || second < 0 || hour > 23 || minute > 59 || second > 60)
        return false;
    int millisecond = 0;
    if (text.size() > 6) {
        if (text[6] != '.')
            return false;
        int scale = 100;
        for (std::size_t i = 7; i < text.size(); ++i) {
            if (!isDigit(text[i]))
                return false;
            millisecond += (text[i] - '0') * scale;
            scale /= 10;
        }
    }
    fields.hour = hour;
    fields.minute = minute;
    fields.second = second;
    fields.millisecond = millisecond;
    return true;
}

bool RVCivilTime::parseDayMonthYear(std::string_view text, Fields& fields)
{
    if (text.size() != 6)
        return false;
    const int day = twoDigits(text, 0);
    const int month = twoDigits(text, 2);
    const int year = twoDigits(text, 4);
    if (day < 1 || month < 1 || month > 12 || year < 0)
        return false;
    if (day > daysInMonth(2000 + year, month))
        return false;
    fields.day = day;
    fields.month = month;
    fields.year = 2000 + year;
    return true;
}

RVTimestamp RVCivilTime::utcInstant(const Fields& f)
{
    const std::int64_t days = daysFromCivil(f.year, f.month, f.day);
    const std::int64_t seconds = days * 86400 + f.hour * 3600 + f.minute * 60 + f.second;
    return RVTimestamp::fromMSecsSinceEpoch(seconds * 1000 + f.millisecond);
}

RVTimestamp RVCivilTime::localInstant(const Fields& f)
{
    std::tm tm{};
    tm.tm_year = f.year - 1900;
    tm.tm_mon = f.month - 1;
    tm.tm_mday = f.day;
    tm.tm_hour = f.hour;
    tm.tm_min = f.minute;
    tm.tm_sec = f.second;
    tm.tm_isdst = -1; // let the zone decide whether daylight saving time applies
    // mktime is thread-safe (it takes the C library's time zone lock); -1 is also a valid
    // result for 1969-12-31 23:59:59, which two-digit years cannot reach.
    const std::time_t seconds = std::mktime(&tm);
    if (seconds == std::time_t(-1))
        return RVTimestamp();
    return RVTimestamp::fromMSecsSinceEpoch(std::int64_t(seconds) * 1000 + f.millisecond);
}

std::optional<RVCivilTime::Fields> RVCivilTime::localFields(RVTimestamp time)
{
    if (!time.isValid())
        return std::nullopt;
    const std::int64_t ms = time.msecsSinceEpoch();
    const std::int64_t seconds = floorDiv(ms, 1000);
    const std::time_t t = std::time_t(seconds);
    std::tm tm{};
    if (!localtime_r(&t, &tm))
        return std::nullopt;
    Fields f;
    f.year = tm.tm_year + 1900;
    f.month = tm.tm_mon + 1;
    f.day = tm.tm_mday;
    f.hour = tm.tm_hour;
    f.minute = tm.tm_min;
    f.second = tm.tm_sec;
    f.millisecond = int(ms - seconds * 1000);
    return f;
}
