#pragma once

#include "core/RVTimestamp.h"

#include <cstdint>
#include <optional>
#include <string_view>

// Calendar arithmetic and the lenient reading of the compact time texts that receivers and
// cameras write. Pure functions, safe on any thread; none of them touches QDateTime, so they
// can run once per track line.
namespace RVCivilTime {

// A broken-down calendar time: year (full), month 1-12, day 1-31, hour 0-23, minute, second
// (0-60, 60 being a leap second) and milliseconds.
struct Fields
{
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Days from 1970-01-01 to the given proleptic Gregorian date (negative before it).
std::int64_t daysFromCivil(int year, int month, int day);
int daysInMonth(int year, int month);

// hhmmss with an optional fraction: "134501", "134501.", "134501.5", "134501.123456".
// Fraction digits beyond milliseconds are dropped. Nothing when the text is anything else
// or a field is out of range.
bool parseTimeOfDay(std::string_view text, Fields& fields);
// ddmmyy; two-digit years mean 2000 to 2099. Nothing for an impossible date (31 April).
bool parseDayMonthYear(std::string_view text, Fields& fields);

// The instant of fields read as UTC, and as the system's local time.
RVTimestamp utcInstant(const Fields& fields);
RVTimestamp localInstant(const Fields& fields);
// The local calendar time of an instant (thread-safe: localtime_r).
std::optional<Fields> localFields(RVTimestamp time);

} // namespace RVCivilTime
