#include "library/RVTripStats.h"

#include "metadata/RVGpsProcessor.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
constexpr double kKmhPerMs = 3.6;
// No car on a public road goes faster: a fix that would need more is a receiver's jump.
constexpr double kFastestCarMs = 300.0 / kKmhPerMs;
// A receiver's position wanders this much without the car moving at all; a jump is judged
// only beyond it.
constexpr double kFixErrorMetres = 30.0;
// Fixes further apart than this are a break in the log (camera off, no fix): neither the time
// nor the way between them is known.
constexpr double kLogBreakSeconds = 60.0;
// NMEA readers record anything slower as 0 km/h: below it the car stands.
constexpr double kMovingKmh = 3.0;

struct Fix
{
    std::size_t index = 0;
    double latitude = 0;
    double longitude = 0;
    double seconds = 0; // since the epoch
};

double metresBetween(const Fix& a, const Fix& b)
{
    return greatCircleMetres(a.latitude, a.longitude, b.latitude, b.longitude);
}

bool reachable(const Fix& from, const Fix& to)
{
    const double seconds = to.seconds - from.seconds;
    return metresBetween(from, to) <= kFastestCarMs * std::max(0.0, seconds) + kFixErrorMetres;
}

RVTripPlace placeOf(const Fix& fix)
{
    return {RVTimestamp::fromMSecsSinceEpoch(std::llround(fix.seconds * 1000.0)), fix.latitude,
            fix.longitude};
}

} // namespace

RVTripStats computeTripStats(const std::vector<RVPoint>& points, const std::vector<double>& speeds)
{
    RVTripStats stats;
    stats.topSpeedKmh = kUnknown;
    stats.averageMovingSpeedKmh = kUnknown;
    const auto speedAt = [&speeds](std::size_t i) {
        const double kmh = i < speeds.size() ? speeds[i] : kUnknown;
        // Negative speeds mean "not kept here", and no car is faster than the jump limit.
        return std::isfinite(kmh) && kmh >= 0 && kmh <= kFastestCarMs * kKmhPerMs ? kmh : kUnknown;
    };

    Fix anchor;  // the last fix the track was followed to
    Fix pending; // a fix out of reach of the anchor: a jump, or a new start
    bool anchored = false;
    bool hasPending = false;
    const auto follow = [&](const Fix& from, const Fix& to) {
        const double seconds = to.seconds - from.seconds;
        const double metres = metresBetween(from, to);
        double kmh = std::max(speedAt(from.index), speedAt(to.index));
        if (std::isnan(kmh))
            kmh = seconds > 0 ? metres / seconds * kKmhPerMs : 0.0;
        if (kmh >= kMovingKmh) {
            stats.drivingSeconds += seconds;
            stats.distanceMetres += metres;
        } else {
            stats.stoppedSeconds += seconds;
        }
    };

    for (std::size_t i = 0; i < points.size(); ++i) {
        const RVPoint& point = points[i];
        const double kmh = speedAt(i);
        if (!std::isnan(kmh))
            stats.topSpeedKmh =
                std::isnan(stats.topSpeedKmh) ? kmh : std::max(stats.topSpeedKmh, kmh);
        if (RVGpsProcessor::isZeroPoint(point) || !point.time().isValid())
            continue;
        const Fix fix{i, point.latitudeValue(), point.longitudeValue(),
                      double(point.time().msecsSinceEpoch()) / 1000.0};
        if (!stats.start)
            stats.start = placeOf(fix);
        if (!anchored) {
            anchor = fix;
            anchored = true;
            stats.end = placeOf(anchor);
            continue;
        }
        const double seconds = fix.seconds - anchor.seconds;
        if (seconds < 0 || seconds > kLogBreakSeconds) {
            // Time went back or the log broke off: start following afresh from here.
            anchor = fix;
            hasPending = false;
        } else if (reachable(anchor, fix)) {
            follow(anchor, fix);
            anchor = fix;
            hasPending = false;
        } else if (hasPending && reachable(pending, fix)) {
            // Two fixes agree far from the anchor: the car is there; the way to it is unknown.
            follow(pending, fix);
            anchor = fix;
            hasPending = false;
        } else {
            pending = fix;
            hasPending = true;
        }
        stats.end = placeOf(anchor);
    }
    if (stats.drivingSeconds > 0)
        stats.averageMovingSpeedKmh = stats.distanceMetres / stats.drivingSeconds * kKmhPerMs;
    return stats;
}

RVTripStats joinTripStats(const std::vector<RVTripStatsPtr>& perFile)
{
    RVTripStats trip;
    trip.topSpeedKmh = kUnknown;
    trip.averageMovingSpeedKmh = kUnknown;
    for (const RVTripStatsPtr& file : perFile) {
        if (!file)
            continue;
        trip.distanceMetres += file->distanceMetres;
        trip.drivingSeconds += file->drivingSeconds;
        trip.stoppedSeconds += file->stoppedSeconds;
        if (!std::isnan(file->topSpeedKmh))
            trip.topSpeedKmh = std::isnan(trip.topSpeedKmh)
                                   ? file->topSpeedKmh
                                   : std::max(trip.topSpeedKmh, file->topSpeedKmh);
        if (!trip.start)
            trip.start = file->start;
        if (file->end)
            trip.end = file->end;
    }
    if (trip.drivingSeconds > 0)
        trip.averageMovingSpeedKmh = trip.distanceMetres / trip.drivingSeconds * kKmhPerMs;
    return trip;
}

double greatCircleMetres(double latitude1, double longitude1, double latitude2, double longitude2)
{
    // Mean earth radius (IUGG), metres.
    constexpr double kEarthRadiusMetres = 6371008.8;
    const auto radians = [](double degrees) { return degrees * std::numbers::pi / 180.0; };
    const double dLat = radians(latitude2 - latitude1);
    const double dLon = radians(longitude2 - longitude1);
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(radians(latitude1)) * std::cos(radians(latitude2)) *
                         std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2.0 * kEarthRadiusMetres * std::asin(std::min(1.0, std::sqrt(h)));
}
