#pragma once

// Pieces the freeGPS layouts share: dates checked before they become instants, points from
// the three ways cameras write coordinates, and the NMEA sentence some blocks carry.

#include "metadata/freegps/RVFreeGps.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace RVFreeGpsParts {

constexpr double kKmhPerKnot = 1.852;
constexpr double kKmhPerMetrePerSecond = 3.6;

// The instant of a date and time read as UTC. Nothing when a field is out of range (month
// 13, 31 April, hour 24) or the year is before 2000 or after 2099.
std::optional<RVTimestamp> utcTime(std::int64_t year, std::int64_t month, std::int64_t day,
                                   std::int64_t hour, std::int64_t minute, double second);

// The bytes [at, at + count) of text as far as it holds them; empty when at lies past its
// end (a block cut short must never make a signature test throw).
inline std::string_view slice(std::string_view text, std::size_t at,
                              std::size_t count = std::string_view::npos)
{
    return at <= text.size() ? text.substr(at, count) : std::string_view();
}

// Years some cameras write less 2000 as full years (values below 100 plus 2000).
inline std::int64_t fullYear(std::int64_t year)
{
    return year >= 0 && year < 100 ? year + 2000 : year;
}

// A point from NMEA ddmm.mmmm magnitudes and hemisphere letters, converted in single
// precision as the cameras' own software does with the floats of their records.
RVPoint fromNmea(double latitude, char ns, double longitude, char ew, double kmh, double course,
                 RVTimestamp time);
// The same for values kept in double precision or as digits, converted in double precision.
RVPoint fromNmeaPrecise(double latitude, char ns, double longitude, char ew, double kmh,
                        double course, RVTimestamp time);
// A point from signed decimal degrees.
RVPoint fromDegrees(double latitude, double longitude, double kmh, double course, RVTimestamp time);

// A sensor sample in g, stamped with the block's time.
RVSensorData sample(double x, double y, double z, RVTimestamp time);

// A run of count ASCII digits at the given place as a number; nothing when any is not a digit.
std::optional<std::int64_t> digits(std::string_view text, std::size_t at, std::size_t count);

// The first "$--RMC" sentence in text (up to its end of line, "*" or NUL). Its point when
// the status is 'A' and its fields read; status says what the sentence held: Fix, NoFix
// (status 'V' or empty coordinates) or Unknown (no RMC sentence).
RVFreeGps::Block::Status readRmc(std::string_view text, RVPoint& point);

// Adds the point, with its speed, to the block, and marks the block as holding a fix.
void addFix(RVFreeGps::Block& block, const RVPoint& point);

} // namespace RVFreeGpsParts
