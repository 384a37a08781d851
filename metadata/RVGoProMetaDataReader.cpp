// GoPro cameras (HERO5 and later, MAX).
//
// The data lives in a timed metadata track of the video (handler "meta", sample format
// "gpmd"), one sample a second or so, each sample a GPMF tree (RVGpmf.h):
//   DEVC (nest: one device)
//     STRM (nest: one sensor stream)
//       GPSF  'L'  fix: 0 none, 2 two-dimensional, 3 three-dimensional (GPS5 streams)
//       GPSU  'U' or 'c'  UTC time of the stream's first fix, "yymmddhhmmss.sss"
//       SCAL  divisors, one for the whole sample or one per element
//       GPS5  'l'  20-byte fixes: latitude, longitude (deg x 10^7), altitude (m x 1000),
//                  2D speed (m/s x 1000), 3D speed (m/s x 100), at about 18 Hz
//       GPS9  '?'  32-byte fixes of TYPE "lllllllSS": latitude, longitude, altitude, 2D and
//                  3D speed as in GPS5, days since 2000-01-01, seconds since midnight
//                  (x 1000), precision (x 100), fix (0, 2, 3); at 10 Hz (HERO11 and later)
//       ACCL  's'  accelerometer, three axes in m/s² after SCAL, at about 200 Hz
// The divisors given by SCAL apply element by element. GPS5 fixes carry no time: the first
// is at GPSU and the rest are spread over the sample's duration. Fixes of a stream without
// a fix (GPSF 0, or GPS9's own fix field 0) give no point. The accelerometer is averaged
// down to ten samples a second, which is what the graphs show.

#include "metadata/RVGoProMetaDataReader.h"

#include "core/RVCivilTime.h"
#include "metadata/RVDegreesPoint.h"
#include "metadata/RVGpmf.h"
#include "metadata/RVInVideoReading.h"
#include "metadata/RVMetaPath.h"
#include "metadata/RVSampleTable.h"

#include <QFile>

#include <cmath>
#include <cstdint>

namespace {

constexpr double kKmhPerMetrePerSecond = 3.6;
constexpr double kStandardGravity = 9.80665;
constexpr double kSensorRateHz = 10;
constexpr int kMaxDepth = 4;
// Days from 1970-01-01 to 2000-01-01.
constexpr std::int64_t kDays1970To2000 = 10957;

struct Stream
{
    std::vector<double> scale;
    std::optional<std::uint32_t> fix;
    RVTimestamp time;
    std::string_view type; // the TYPE item's text
};

double scaled(double value, const std::vector<double>& scale, std::size_t element)
{
    if (scale.empty())
        return value;
    const double divisor = scale[element % scale.size()];
    return divisor != 0 ? value / divisor : value;
}

// "yymmddhhmmss.sss" (UTC).
RVTimestamp readGpsTime(std::string_view text)
{
    if (text.size() < 12)
        return RVTimestamp();
    RVCivilTime::Fields f;
    if (!RVCivilTime::parseTimeOfDay(text.substr(6, text.size() > 16 ? 10 : text.size() - 6), f))
        return RVTimestamp();
    // ddmmyy from yymmdd.
    const std::string ddmmyy{text[4], text[5], text[2], text[3], text[0], text[1]};
    if (!RVCivilTime::parseDayMonthYear(ddmmyy, f))
        return RVTimestamp();
    return RVCivilTime::utcInstant(f);
}

RVTimestamp plusSeconds(RVTimestamp time, double seconds)
{
    return time.isValid() ? RVTimestamp::fromMSecsSinceEpoch(
                                time.msecsSinceEpoch() + std::int64_t(std::llround(seconds * 1000)))
                          : RVTimestamp();
}

void addFix(RVMetaData& data, double lat, double lon, double alt, double speed, RVTimestamp time)
{
    // A fix outside the globe is a broken record, not a place.
    if (!std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > 90 || std::fabs(lon) > 180)
        return;
    const double kmh = std::isfinite(speed) ? speed * kKmhPerMetrePerSecond : 0;
    RVDegreesPoint::append(
        data, RVDegreesPoint::make(lat, lon, std::isfinite(alt) ? alt : NAN, 0, kmh, time));
}

void readGps5(const RVGpmfItem& item, const Stream& stream, double durationSeconds,
              RVMetaData& data)
{
    if (item.type != 'l' || item.structSize < 20 || (stream.fix && *stream.fix == 0))
        return;
    const std::size_t perFix = item.structSize / 4;
    for (std::size_t i = 0; i < item.repeat; ++i) {
        const auto value = [&](std::size_t e) {
            return scaled(*RVGpmf::number(item.data, 'l', i * perFix + e), stream.scale, e);
        };
        const RVTimestamp time =
            plusSeconds(stream.time, durationSeconds * double(i) / item.repeat);
        addFix(data, value(0), value(1), value(2), value(3), time);
    }
}

void readGps9(const RVGpmfItem& item, const Stream& stream, RVMetaData& data)
{
    if (item.type != '?' || item.structSize != 32 ||
        (!stream.type.empty() && stream.type.substr(0, 9) != "lllllllSS"))
        return;
    for (std::size_t i = 0; i < item.repeat; ++i) {
        const std::string_view fix = item.data.substr(i * 32, 32);
        const auto value = [&](std::size_t e) {
            const double raw =
                e < 7 ? *RVGpmf::number(fix, 'l', e) : *RVGpmf::number(fix.substr(28), 'S', e - 7);
            return scaled(raw, stream.scale, e);
        };
        if (value(8) == 0)
            continue;
        const double seconds = (double(kDays1970To2000) + value(5)) * 86400.0 + value(6);
        const RVTimestamp time = RVTimestamp::fromMSecsSinceEpoch(std::llround(seconds * 1000));
        addFix(data, value(0), value(1), value(2), value(3), time);
    }
}

void readAccel(const RVGpmfItem& item, const Stream& stream, double durationSeconds,
               RVTimestamp sampleTime, RVMetaData& data)
{
    const std::size_t size = RVGpmf::valueSize(item.type);
    if (size == 0 || item.type == 'c' || item.structSize != 3 * size || item.repeat == 0)
        return;
    // Samples averaged into one, so that at most kSensorRateHz remain a second.
    const std::size_t group = std::max<std::size_t>(
        1, std::size_t(item.repeat / std::max(1.0, durationSeconds * kSensorRateHz)));
    for (std::size_t first = 0; first + group <= item.repeat; first += group) {
        double axes[3] = {0, 0, 0};
        for (std::size_t i = first; i < first + group; ++i) {
            for (std::size_t e = 0; e < 3; ++e)
                axes[e] +=
                    scaled(*RVGpmf::number(item.data, item.type, 3 * i + e), stream.scale, e);
        }
        for (double& a : axes)
            a /= double(group) * kStandardGravity;
        const double at = durationSeconds * double(first) / item.repeat;
        data.gSensorData.emplace_back(
            axes[0], axes[1], axes[2],
            std::sqrt(axes[0] * axes[0] + axes[1] * axes[1] + axes[2] * axes[2]),
            RVSensorLabel::instant(plusSeconds(sampleTime, at)));
    }
}

// The sample's GPS time (the first GPSU anywhere in it), which also labels the sensor samples
// of streams that come before the GPS stream.
RVTimestamp findGpsTime(std::string_view bytes, int depth)
{
    RVGpmfWalker walker(bytes);
    while (const std::optional<RVGpmfItem> item = walker.next()) {
        if (item->isNest() && depth < kMaxDepth) {
            const RVTimestamp time = findGpsTime(item->data, depth + 1);
            if (time.isValid())
                return time;
        } else if (item->is("GPSU") && (item->type == 'U' || item->type == 'c')) {
            return readGpsTime(item->data);
        }
    }
    return RVTimestamp();
}

// The items of one nest; a stream's sticky items come before its data.
bool readNest(std::string_view bytes, int depth, double durationSeconds, RVTimestamp sampleTime,
              RVMetaData& data)
{
    RVGpmfWalker walker(bytes);
    Stream stream;
    bool any = false;
    while (const std::optional<RVGpmfItem> item = walker.next()) {
        any = true;
        if (item->isNest()) {
            if (depth < kMaxDepth)
                readNest(item->data, depth + 1, durationSeconds, sampleTime, data);
        } else if (item->is("SCAL")) {
            stream.scale = RVGpmf::numbers(*item);
        } else if (item->is("TYPE") && item->type == 'c') {
            stream.type = item->data;
        } else if (item->is("GPSF")) {
            // A value no fix code can be (negative, too large, not a number) says nothing.
            const std::optional<double> fix = RVGpmf::number(item->data, item->type, 0);
            if (fix && *fix >= 0 && *fix <= double(UINT32_MAX))
                stream.fix = std::uint32_t(*fix);
        } else if (item->is("GPSU") && (item->type == 'U' || item->type == 'c')) {
            stream.time = readGpsTime(item->data);
        } else if (item->is("GPS5")) {
            readGps5(*item, stream, durationSeconds, data);
        } else if (item->is("GPS9")) {
            readGps9(*item, stream, data);
        } else if (item->is("ACCL")) {
            readAccel(*item, stream, durationSeconds, sampleTime, data);
        }
    }
    return any;
}

} // namespace

std::optional<RVMetaData>
RVGoProMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVGoProMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                       RVDecline& why) const
{
    return RVInVideoReading::read(videoPath, why, &readMetaData);
}

std::optional<RVMetaData> RVGoProMetaDataReader::readMetaData(QIODevice& device, qint64 fileSize,
                                                              RVDecline* why)
{
    RVDecline ignored;
    RVDecline& decline = why ? *why : ignored;
    decline = {RVDecline::Kind::NotMine, {}};
    const std::optional<RVSampleTable::Movie> movie = RVSampleTable::readMovie(device, fileSize);
    if (!movie)
        return std::nullopt;
    const RVTimedTrack* track = RVSampleTable::find(*movie, "gpmd");
    if (!track || track->samples.empty())
        return std::nullopt;
    // Other cameras write their own records into "gpmd" tracks: GPMF opens with a device nest.
    const QByteArray first = RVSampleTable::readSample(device, track->samples.front());
    if (!first.startsWith("DEVC")) {
        decline = {RVDecline::Kind::UnknownLayout,
                   RVSampleTable::sampleAt("gpmd", track->samples.front()) +
                       QStringLiteral(": unknown layout, not GPMF")};
        return std::nullopt;
    }
    RVMetaData data;
    for (const RVTrackSample& sample : track->samples) {
        const QByteArray bytes = RVSampleTable::readSample(device, sample);
        readSample(std::string_view(bytes.constData(), std::size_t(bytes.size())),
                   sample.durationSeconds, data);
    }
    if (data.points.empty() && data.gSensorData.empty()) {
        decline = {RVDecline::Kind::NoFixYet,
                   QStringLiteral("%1 GPMF samples, the first at offset 0x%2: no GPS fix")
                       .arg(track->samples.size())
                       .arg(track->samples.front().offset, 0, 16)};
        return std::nullopt;
    }
    return data;
}

bool RVGoProMetaDataReader::readSample(std::string_view sample, double durationSeconds,
                                       RVMetaData& data)
{
    return readNest(sample, 0, durationSeconds, findGpsTime(sample, 0), data);
}
