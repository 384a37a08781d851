#pragma once

#include "metadata/RVMetaData.h"

#include <string_view>
#include <vector>

// The line scan shared by the NMEA-based readers. Each GGA line sets the pending altitude
// (metres; NaN until the first one), each RMC line appends a point carrying it together with
// its speed (km/h). The reader decides what to do with every other line.
class RVNmeaTrackBuilder final
{
public:
    RVNmeaTrackBuilder();

    // Reads a GGA or RMC line into the track; false for any other line.
    bool addLine(std::string_view line);

    bool isEmpty() const { return m_points.empty(); }
    const RVPoint& lastPoint() const { return m_points.back(); }

    // Makes room for the fixes a text of this many bytes can hold, so that a long log is
    // not copied again and again as the track grows.
    void reserveForText(std::size_t textBytes);

    // Moves the track into data (points and speeds), trimming a large spare capacity: a
    // day's track holds close to a million points.
    void moveInto(RVMetaData& data);

private:
    // Maps the next stretch of the reserved track in one call rather than a page fault per
    // 4 KiB as the points are written.
    void prefaultAhead();

    std::vector<RVPoint> m_points;
    std::vector<double> m_speeds;
    double m_pendingAltitude;
    std::size_t m_prefaulted = 0; // points (and speeds) of the reservation mapped so far
};
