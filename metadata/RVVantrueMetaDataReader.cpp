// Vantrue cameras (N2S).
//
// The data lives in a timed metadata track whose sample format is "gpmd" (GoPro's name, but
// not GoPro's format), one 160-byte record a sample, little-endian:
//   +0    "FMAS" and four zero bytes
//   +0x48 "OFNIMMAS", +0x50 "SAMM"
//   +0x60 u16 year, u8 month, day, hour, minute, second (the camera's clock, local time)
//   +0x6C three floats: the G-sensor (the first one is Z in the samples seen), in g
//   +0x78 'A' (fix valid), then 'E'/'W', 'N'/'S'
//   +0x7B longitude: u8 degrees, u8 minutes, a zero byte, u16 hundredths of a second of arc
//   +0x80 latitude:  u8 degrees, u8 minutes, u16 hundredths of a second of arc
//   +0x84 u16 speed in miles per hour, +0x86 u16 course in degrees
// A record without 'A' holds no fix.

#include "metadata/RVVantrueMetaDataReader.h"

#include "core/RVCivilTime.h"
#include "metadata/RVByteReader.h"
#include "metadata/RVDegreesPoint.h"
#include "metadata/RVInVideoReading.h"
#include "metadata/RVMetaPath.h"
#include "metadata/RVSampleTable.h"

#include <QFile>

#include <cmath>

namespace {

constexpr std::size_t kRecordBytes = 160;
constexpr double kKmhPerMph = 1.609344;

bool isRecord(std::string_view record)
{
    return record.size() >= kRecordBytes &&
           record.substr(0, 8) == std::string_view("FMAS\0\0\0\0", 8) &&
           record.substr(0x50, 4) == "SAMM";
}

double degrees(unsigned whole, unsigned minutes, unsigned hundredthSeconds)
{
    return whole + (minutes + hundredthSeconds / 6000.0) / 60.0;
}

} // namespace

bool RVVantrueMetaDataReader::readRecord(std::string_view record, RVMetaData& data)
{
    if (!isRecord(record))
        return false;
    const RVByteReader r(record);
    const auto byte = [&](std::size_t at) {
        return unsigned(static_cast<unsigned char>(record[at]));
    };
    const auto u16le = [&](std::size_t at) { return byte(at) | (byte(at + 1) << 8); };
    RVCivilTime::Fields f;
    f.year = int(u16le(0x60));
    f.month = int(byte(0x62));
    f.day = int(byte(0x63));
    f.hour = int(byte(0x64));
    f.minute = int(byte(0x65));
    f.second = int(byte(0x66));
    const bool validDate = f.month >= 1 && f.month <= 12 && f.day >= 1 &&
                           f.day <= RVCivilTime::daysInMonth(f.year, f.month) && f.hour < 24 &&
                           f.minute < 60 && f.second < 61;
    const RVTimestamp time = validDate ? RVCivilTime::localInstant(f) : RVTimestamp();

    // Three zeros are no reading: at rest the sensor feels gravity, so a record written before
    // the sensor runs (or without one) would otherwise draw 0 g.
    const double z = *r.f32le(0x6C), x = *r.f32le(0x70), y = *r.f32le(0x74);
    if (std::isfinite(x) && std::isfinite(y) && std::isfinite(z) && !(x == 0 && y == 0 && z == 0))
        data.gSensorData.emplace_back(x, y, z, std::sqrt(x * x + y * y + z * z),
                                      RVSensorLabel::instant(time));

    const char status = record[0x78], ew = record[0x79], ns = record[0x7A];
    if (status != 'A' || (ew != 'E' && ew != 'W') || (ns != 'N' && ns != 'S'))
        return true;
    const double longitude = degrees(byte(0x7B), byte(0x7C), u16le(0x7E));
    const double latitude = degrees(byte(0x80), byte(0x81), u16le(0x82));
    RVDegreesPoint::append(data, RVDegreesPoint::make(ns == 'S' ? -latitude : latitude,
                                                      ew == 'W' ? -longitude : longitude, NAN,
                                                      double(u16le(0x86)), u16le(0x84) * kKmhPerMph,
                                                      time));
    return true;
}

std::optional<RVMetaData>
RVVantrueMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVVantrueMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                         RVDecline& why) const
{
    return RVInVideoReading::read(videoPath, why, &readMetaData);
}

std::optional<RVMetaData> RVVantrueMetaDataReader::readMetaData(QIODevice& device, qint64 fileSize,
                                                                RVDecline* why)
{
    RVDecline ignored;
    RVDecline& decline = why ? *why : ignored;
    decline = {RVDecline::Kind::NotMine, {}};
    const std::optional<RVSampleTable::Movie> movie = RVSampleTable::readMovie(device, fileSize);
    const RVTimedTrack* track = movie ? RVSampleTable::find(*movie, "gpmd") : nullptr;
    if (!track || track->samples.empty())
        return std::nullopt;
    const QByteArray first = RVSampleTable::readSample(device, track->samples.front());
    if (!isRecord(std::string_view(first.constData(), std::size_t(first.size()))))
        return std::nullopt;
    RVMetaData data;
    for (const RVTrackSample& sample : track->samples) {
        const QByteArray bytes = RVSampleTable::readSample(device, sample);
        readRecord(std::string_view(bytes.constData(), std::size_t(bytes.size())), data);
    }
    if (data.points.empty() && data.gSensorData.empty()) {
        decline = {RVDecline::Kind::NoFixYet,
                   RVSampleTable::sampleAt("gpmd", track->samples.front()) +
                       QStringLiteral(" and the rest: FMAS records without a fix")};
        return std::nullopt;
    }
    return data;
}
