#include "metadata/RVNmeaTrackBuilder.h"

#include "core/platform/RVPlatformFile.h"
#include "metadata/RVNmea.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

RVNmeaTrackBuilder::RVNmeaTrackBuilder()
    : m_pendingAltitude(std::numeric_limits<double>::quiet_NaN())
{}

bool RVNmeaTrackBuilder::addLine(std::string_view line)
{
    // A GGA line is only ever an altitude; the altitude stays pending for every later RMC.
    const double altitude = RVNmea::readAltitudeFromNmea(line);
    if (!std::isnan(altitude)) {
        m_pendingAltitude = altitude;
        return true;
    }
    std::optional<RVPoint> point = RVNmea::readPointFromNmea(line);
    if (!point)
        return false;
    point->setAltitude(m_pendingAltitude);
    if (m_points.size() == m_prefaulted)
        prefaultAhead();
    m_speeds.push_back(point->velocity());
    m_points.push_back(std::move(*point));
    return true;
}

void RVNmeaTrackBuilder::reserveForText(std::size_t textBytes)
{
    // A fix is an RMC line (about 70 bytes) and usually a GGA line (about 75); the guess is
    // a little high for such logs, and far too high only for logs full of other sentences,
    // whose spare room moveInto gives back.
    constexpr std::size_t kBytesPerFix = 130;
    const std::size_t fixes = textBytes / kBytesPerFix + 1;
    m_points.reserve(fixes);
    m_speeds.reserve(fixes);
}

void RVNmeaTrackBuilder::prefaultAhead()
{
    // A megabyte of points at a time: the reservation is a guess, far too high for a log
    // full of other sentences, and only the part the track grows into is mapped.
    constexpr std::size_t kPointsAhead = (std::size_t(1) << 20) / sizeof(RVPoint);
    const std::size_t until = std::min(m_points.capacity(), m_prefaulted + kPointsAhead);
    if (until <= m_prefaulted || m_speeds.capacity() < until)
        return;
    const std::size_t count = until - m_prefaulted;
    RVPlatformFile::prefaultForWriting(m_points.data() + m_prefaulted, count * sizeof(RVPoint));
    RVPlatformFile::prefaultForWriting(m_speeds.data() + m_prefaulted, count * sizeof(double));
    m_prefaulted = until;
}

void RVNmeaTrackBuilder::moveInto(RVMetaData& data)
{
    // Trimming copies the whole track, so a quarter spare is kept rather than copied away.
    if (m_points.capacity() - m_points.size() > m_points.size() / 4) {
        m_points.shrink_to_fit();
        m_speeds.shrink_to_fit();
    }
    data.points = std::move(m_points);
    data.velocityData = std::move(m_speeds);
    m_points = {};
    m_speeds = {};
    m_prefaulted = 0;
}
