// Vueroid cameras (S1 4K Infinite and kin).
//
// The data lives in a track with handler "tvxt" and sample format "mp4s", one 72-byte record
// a sample (about 20 a second), little-endian:
//   +0x28, +0x2C, +0x30  f32  G-sensor, three axes in g
//   +0x34  u16  the hemispheres: 0x0001 north and west, 0x0005 north and east (bit 0 north,
//               bit 2 east; recordings from the south are not known)
//   +0x38  f32  speed in km/h
//   +0x3C  f32  latitude, NMEA ddmm.mmmm  +0x40  f32  longitude, dddmm.mmmm
//   +0x44  u32  the camera's clock: its local time counted in seconds as if it were UTC
// A zeroed record (before the first fix, and the last one) holds no fix. Records with other
// bits in the hemisphere word, or whose minutes or degrees are out of range, are not this
// layout and give nothing. These records are known from real recordings made public with their
// coordinates replaced (one from the west, one from the east), not from the maker.

#include "metadata/RVVueroidMetaDataReader.h"

#include "metadata/RVByteReader.h"
#include "metadata/RVCoordinate.h"
#include "metadata/RVInVideoReading.h"
#include "metadata/RVMetaPath.h"
#include "metadata/RVSampleTable.h"

#include <QFile>

#include <cmath>
#include <limits>

namespace {

constexpr std::size_t kRecordBytes = 72;

// The camera's clock: seconds whose UTC calendar fields are the local time. They are kept as
// written (RVMetaData::localClock): the dispatcher reads them by the card's clock rule, as it
// reads the recording's name.
RVTimestamp clockTime(std::uint32_t seconds)
{
    // Before 2001 the camera's clock was never set.
    if (seconds < 978307200u)
        return RVTimestamp();
    return RVTimestamp::fromMSecsSinceEpoch(qint64(seconds) * 1000);
}

bool plausibleNmea(float value, float maxDegrees)
{
    if (!std::isfinite(value) || value < 0)
        return false;
    const float degrees = std::floor(value / 100);
    return degrees <= maxDegrees && value - degrees * 100 < 60;
}

} // namespace

bool RVVueroidMetaDataReader::readRecord(std::string_view record, RVMetaData& data)
{
    if (record.size() != kRecordBytes)
        return false;
    const RVByteReader r(record);
    const unsigned hemispheres = static_cast<unsigned char>(record[0x34]) |
                                 unsigned(static_cast<unsigned char>(record[0x35])) << 8;
    const bool north = hemispheres & 1, east = hemispheres & 4;
    const float latitude = *r.f32le(0x3C);
    const float longitude = *r.f32le(0x40);
    if ((hemispheres & ~5u) != 0 || (latitude == 0 && longitude == 0) ||
        !plausibleNmea(latitude, 90) || !plausibleNmea(longitude, 180))
        return false;
    const RVTimestamp time = clockTime(*r.u32le(0x44));
    const float speed = *r.f32le(0x38);
    const double kmh = std::isfinite(speed) && speed >= 0 ? double(speed) : 0.0;
    char lat[RVCoordinate::kBufferSize];
    char lon[RVCoordinate::kBufferSize];
    data.points.emplace_back(RVCoordinate::toDecimalDegrees(latitude, !north, lat),
                             RVCoordinate::toDecimalDegrees(longitude, !east, lon),
                             std::numeric_limits<double>::quiet_NaN(), 0.0, kmh, time);
    data.velocityData.push_back(kmh);
    const double x = *r.f32le(0x28), y = *r.f32le(0x2C), z = *r.f32le(0x30);
    if (std::isfinite(x) && std::isfinite(y) && std::isfinite(z))
        data.gSensorData.emplace_back(x, y, z, std::sqrt(x * x + y * y + z * z),
                                      RVSensorLabel::instant(time));
    return true;
}

std::optional<RVMetaData>
RVVueroidMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVVueroidMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                         RVDecline& why) const
{
    return RVInVideoReading::read(videoPath, why, &readMetaData);
}

std::optional<RVMetaData> RVVueroidMetaDataReader::readMetaData(QIODevice& device, qint64 fileSize,
                                                                RVDecline* why)
{
    RVDecline ignored;
    RVDecline& decline = why ? *why : ignored;
    decline = {RVDecline::Kind::NotMine, {}};
    const std::optional<RVSampleTable::Movie> movie = RVSampleTable::readMovie(device, fileSize);
    const RVTimedTrack* track = movie ? RVSampleTable::find(*movie, "tvxt") : nullptr;
    if (!track || !track->codecIs("mp4s"))
        return std::nullopt;
    RVMetaData data;
    bool mine = false;
    for (const RVTrackSample& sample : track->samples) {
        if (sample.size != kRecordBytes) {
            // The records are all 72 bytes long.
            decline = {RVDecline::Kind::UnknownLayout,
                       RVSampleTable::sampleAt("tvxt", sample) +
                           QStringLiteral(": unknown layout of %1 bytes").arg(sample.size)};
            return std::nullopt;
        }
        const QByteArray bytes = RVSampleTable::readSample(device, sample);
        mine |= readRecord(std::string_view(bytes.constData(), std::size_t(bytes.size())), data);
    }
    if (!mine) {
        decline = {RVDecline::Kind::NoFixYet,
                   QStringLiteral("%1 tvxt records: no fix").arg(track->samples.size())};
        return std::nullopt;
    }
    data.localClock = true;
    return data;
}
