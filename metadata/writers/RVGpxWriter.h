#pragma once

#include "core/RVTimestamp.h"
#include "metadata/RVPoint.h"

#include <QString>

#include <cstdint>
#include <span>

class RVExportSink;

// What a GPX document is made of: a node's name, when it starts, how long it plays, its track
// and its speed series (km/h, normally one entry per point).
struct RVGpxTrack final
{
    QString name;
    RVTimestamp created;
    float durationSeconds = 0;
    std::span<const RVPoint> points;
    std::span<const double> speeds;
    // When not empty (one per point): each point's own time, milliseconds since 1970-01-01
    // UTC, written instead of the spread below (a clip's points keep their moments across the
    // joins of its files).
    std::span<const std::int64_t> times{};
};

// A track as a GPX 1.1 document with one track and one segment. Each point with a position
// becomes a <trkpt> with
//   ele:    the point's altitude in metres, "%f"; left out when not known (NaN).
//   time:   created + i * duration / N (i the point's index among all N points, zero points
//           included), so the points are spread evenly over the node's playing length; the
//           points' own times are not used, unless the track carries them (times). UTC,
//           to the millisecond: "...T09:05:00.100Z", and "...T09:05:00Z" on a whole second. Left
//           out when it cannot be computed (no start time, or a length that is not a finite
//           number).
//   speed:  speed-series entry floor(V * i / N) (V entries) in m/s: km/h * 0.27777, "%f".
//           Left out when the node has no speeds at all, or the entry is not finite. A track
//           with its own times and one speed per point takes entry i.
//   course: the point's azimut in degrees, "%f"; left out when not finite.
// The document's own time (metadata) is the start time in whole seconds, left out without one.
class RVGpxWriter final
{
public:
    RVGpxWriter() = delete;

    static void write(RVExportSink& sink, const RVGpxTrack& track);
    // "yyyy-MM-ddTHH:mm:ssZ" of whole seconds since 1970-01-01 UTC, into out (at least 32
    // bytes); returns the length written.
    static std::size_t formatUtcSeconds(std::int64_t seconds, char* out);
};
