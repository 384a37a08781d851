#include "library/RVTrackImport.h"

#include "core/RVFixedSix.h"
#include "library/RVTripStats.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kKmhPerMs = 3.6;

double metresBetween(const RVTrackFix& a, const RVTrackFix& b)
{
    return greatCircleMetres(a.latitude, a.longitude, b.latitude, b.longitude);
}

// The speed of the way between two fixes, NaN when they share an instant.
double kmhBetween(const RVTrackFix& a, const RVTrackFix& b)
{
    const double seconds = double(b.time.msecsSinceEpoch() - a.time.msecsSinceEpoch()) / 1000.0;
    return seconds > 0 ? metresBetween(a, b) / seconds * kKmhPerMs : RVTrackFix::kUnknown;
}

std::string_view sixDecimals(double degrees, char* buffer, std::size_t size)
{
    char* end = RVFixedSix::write(buffer, buffer + size, degrees);
    return std::string_view(buffer, std::size_t(end - buffer));
}

} // namespace

RVMatchedTrack matchTrackToRecording(const std::vector<RVTrackFix>& fixes, RVTimestamp start,
                                     double durationSeconds)
{
    RVMatchedTrack track;
    if (!start.isValid() || !(durationSeconds > 0))
        return track;
    const std::int64_t from = start.msecsSinceEpoch();
    const std::int64_t until = from + std::llround(durationSeconds * 1000.0);
    const auto byTime = [](const RVTrackFix& fix, std::int64_t ms) {
        return fix.time.msecsSinceEpoch() < ms;
    };
    const auto first = std::lower_bound(fixes.begin(), fixes.end(), from, byTime);
    const auto last = std::lower_bound(first, fixes.end(), until, byTime);
    track.points.reserve(std::size_t(last - first));
    track.speeds.reserve(std::size_t(last - first));
    for (auto it = first; it != last; ++it) {
        const RVTrackFix& fix = *it;
        double kmh = fix.speedKmh;
        if (std::isnan(kmh) && it != fixes.begin())
            kmh = kmhBetween(*(it - 1), fix);
        if (std::isnan(kmh) && it + 1 != fixes.end())
            kmh = kmhBetween(fix, *(it + 1));
        if (std::isnan(kmh))
            kmh = 0;
        char latitude[32];
        char longitude[32];
        track.points.emplace_back(
            sixDecimals(fix.latitude, latitude, sizeof latitude),
            sixDecimals(fix.longitude, longitude, sizeof longitude), fix.altitude,
            std::isnan(fix.courseDegrees) ? 0.0 : fix.courseDegrees, kmh, fix.time);
        track.speeds.push_back(kmh);
    }
    return track;
}
