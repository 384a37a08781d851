// Wolfbox G900 and Redtiger F9 cameras.
//
// The data lives in a timed metadata track whose sample format is "gpmd" (GoPro's name, not
// GoPro's format): one record of at least 0xF8 bytes a sample, little-endian. Values are
// pairs of s64 (value, divisor), the quantity being value / divisor (divisor 0 counts as 1):
//   +0x48 speed in knots          +0x58 course in degrees
//   +0xB0 latitude, NMEA ddmm.mmmm, negative in the south
//   +0xC0 longitude, NMEA dddmm.mmmm, negative in the west
//   +0xE8 altitude in metres
// and u32 fields for the time (UTC): +0x68 day, +0x6C month, +0x70 year, +0xA0 hour,
// +0xA4 minute, +0xA8 second. The record is known by sixteen '0' characters and four capital
// letters at +0x88 (Wolfbox), or "https://www.redtiger" and a NUL there (Redtiger).
// A record whose latitude and longitude are both 0 holds no fix.

#include "metadata/RVWolfboxMetaDataReader.h"

#include "core/RVCivilTime.h"
#include "metadata/RVByteReader.h"
#include "metadata/RVDegreesPoint.h"
#include "metadata/RVInVideoReading.h"
#include "metadata/RVMetaPath.h"
#include "metadata/RVSampleTable.h"

#include <QFile>

#include <cmath>

namespace {

constexpr std::size_t kRecordBytes = 0xF8;
constexpr std::size_t kMark = 0x88;
constexpr double kKmhPerKnot = 1.852;

std::int64_t s64le(std::string_view bytes, std::size_t at)
{
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + std::size_t(i)]);
    return std::int64_t(value);
}

double pair(std::string_view record, std::size_t at)
{
    const std::int64_t divisor = s64le(record, at + 8);
    return double(s64le(record, at)) / double(divisor == 0 ? 1 : divisor);
}

// NMEA ddmm.mmmm (signed) to decimal degrees.
double fromNmea(double value)
{
    const double magnitude = std::fabs(value);
    const double whole = std::floor(magnitude / 100);
    const double result = whole + (magnitude - whole * 100) / 60;
    return value < 0 ? -result : result;
}

} // namespace

bool RVWolfboxMetaDataReader::isRecord(std::string_view record)
{
    if (record.size() < kRecordBytes)
        return false;
    if (record.substr(kMark, 21) == std::string_view("https://www.redtiger\0", 21))
        return true;
    if (record.substr(kMark, 16) != "0000000000000000")
        return false;
    for (std::size_t i = kMark + 16; i < kMark + 20; ++i) {
        if (record[i] < 'A' || record[i] > 'Z')
            return false;
    }
    return true;
}

bool RVWolfboxMetaDataReader::readRecord(std::string_view record, RVMetaData& data)
{
    if (!isRecord(record))
        return false;
    const double latitude = pair(record, 0xB0);
    const double longitude = pair(record, 0xC0);
    if ((latitude == 0 && longitude == 0) || std::fabs(latitude) > 9000 ||
        std::fabs(longitude) > 18000)
        return false;
    const RVByteReader r(record);
    RVCivilTime::Fields f;
    f.day = int(*r.u32le(0x68));
    f.month = int(*r.u32le(0x6C));
    f.year = int(*r.u32le(0x70));
    f.hour = int(*r.u32le(0xA0));
    f.minute = int(*r.u32le(0xA4));
    f.second = int(*r.u32le(0xA8));
    const bool validDate = f.year > 1970 && f.year < 10000 && f.month >= 1 && f.month <= 12 &&
                           f.day >= 1 && f.day <= RVCivilTime::daysInMonth(f.year, f.month) &&
                           f.hour >= 0 && f.hour < 24 && f.minute >= 0 && f.minute < 60 &&
                           f.second >= 0 && f.second < 61;
    RVDegreesPoint::append(
        data, RVDegreesPoint::make(fromNmea(latitude), fromNmea(longitude), pair(record, 0xE8),
                                   pair(record, 0x58), pair(record, 0x48) * kKmhPerKnot,
                                   validDate ? RVCivilTime::utcInstant(f) : RVTimestamp()));
    return true;
}

std::optional<RVMetaData>
RVWolfboxMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVWolfboxMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                         RVDecline& why) const
{
    return RVInVideoReading::read(videoPath, why, &readMetaData);
}

std::optional<RVMetaData> RVWolfboxMetaDataReader::readMetaData(QIODevice& device, qint64 fileSize,
                                                                RVDecline* why)
{
    RVDecline ignored;
    RVDecline& decline = why ? *why : ignored;
    decline = {RVDecline::Kind::NotMine, {}};
    const std::optional<RVSampleTable::Movie> movie = RVSampleTable::readMovie(device, fileSize);
    const RVTimedTrack* track = movie ? RVSampleTable::find(*movie, "gpmd") : nullptr;
    if (!track)
        return std::nullopt;
    RVMetaData data;
    bool mine = false;
    for (const RVTrackSample& sample : track->samples) {
        const QByteArray bytes = RVSampleTable::readSample(device, sample);
        const std::string_view record(bytes.constData(), std::size_t(bytes.size()));
        // The first records of a recording may come before the receiver has a fix, so every
        // record is looked at, not only the first.
        mine |= isRecord(record);
        readRecord(record, data);
        if (!mine && &sample - track->samples.data() >= 8)
            return std::nullopt; // eight samples of something else: not this camera's track
    }
    if (!mine)
        return std::nullopt;
    if (data.points.empty() && data.gSensorData.empty()) {
        decline = {RVDecline::Kind::NoFixYet,
                   RVSampleTable::sampleAt("gpmd", track->samples.front()) +
                       QStringLiteral(" and the rest: value and scale records without a fix")};
        return std::nullopt;
    }
    return data;
}
