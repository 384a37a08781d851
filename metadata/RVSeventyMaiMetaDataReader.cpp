// 70mai cameras.
//
// The track is a top-level box of type "GPS " (capital letters) in the video, a run of 36-byte
// records, little-endian:
//   +0 u32, +4 u32   not used
//   +8 u32           seconds from the start of the clip
//   +12 u32          speed in km/h x 1000
//   +16 'N'/'S'      +17 s32 latitude, NMEA ddmm.mmm x 1000
//   +21 'E'/'W'      +22 s32 longitude, dddmm.mmm x 1000
//   +26              10 pad bytes
// Records without hemisphere letters hold no fix and give no point. The records carry no date:
// the clip's start comes from its name, NOYYYYMMDD-HHMMSS-nnnnnn<F|B>.MP4 (local time; the
// first two letters tell the kind of recording), and each point is that start plus its
// seconds.

#include "metadata/RVSeventyMaiMetaDataReader.h"

#include "core/RVCivilTime.h"
#include "metadata/RVBoxWalker.h"
#include "metadata/RVByteReader.h"
#include "metadata/RVCoordinate.h"
#include "metadata/RVMetaPath.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {

constexpr std::size_t kRecordBytes = 36;
constexpr double kThousandths = 1000.0;

} // namespace

std::optional<RVMetaData>
RVSeventyMaiMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    QFile video;
    if (!RVMetaPath::openRegularFile(video, videoPath, QIODevice::Unbuffered))
        return std::nullopt;
    return readMetaData(video, video.size(), startFromName(QFileInfo(videoPath).fileName()),
                        videoPath);
}

std::optional<RVMetaData> RVSeventyMaiMetaDataReader::readMetaData(QIODevice& device,
                                                                   qint64 fileSize,
                                                                   RVTimestamp start,
                                                                   const QString& name)
{
    RVBoxWalker top(device, 0, fileSize);
    const std::optional<RVBox> box = top.find("GPS ");
    if (!box)
        return std::nullopt;
    if (box->payloadSize() > RVMetaPath::Limits::kSeventyMaiRecords) {
        RVMetaPath::reportOversize(name, box->payloadSize(),
                                   RVMetaPath::Limits::kSeventyMaiRecords);
        return std::nullopt;
    }
    if (!device.seek(box->payloadOffset()))
        return std::nullopt;
    const QByteArray records = device.read(box->payloadSize());
    if (records.size() != box->payloadSize())
        return std::nullopt;
    return readRecords(std::string_view(records.constData(), std::size_t(records.size())), start);
}

RVMetaData RVSeventyMaiMetaDataReader::readRecords(std::string_view records, RVTimestamp start)
{
    RVMetaData data;
    const RVByteReader r(records);
    for (std::size_t o = 0; o + kRecordBytes <= records.size(); o += kRecordBytes) {
        const char ns = records[o + 16];
        const char ew = records[o + 21];
        if ((ns != 'N' && ns != 'S') || (ew != 'E' && ew != 'W'))
            continue;
        const std::uint32_t seconds = *r.u32le(o + 8);
        const double kmh = *r.u32le(o + 12) / kThousandths;
        // The magnitudes in float, as the coordinate converter computes.
        const float latitude = float(std::fabs(*r.s32le(o + 17) / kThousandths));
        const float longitude = float(std::fabs(*r.s32le(o + 22) / kThousandths));
        char lat[RVCoordinate::kBufferSize];
        char lon[RVCoordinate::kBufferSize];
        const RVTimestamp time =
            start.isValid()
                ? RVTimestamp::fromMSecsSinceEpoch(start.msecsSinceEpoch() + 1000LL * seconds)
                : RVTimestamp();
        data.points.emplace_back(RVCoordinate::toDecimalDegrees(latitude, ns == 'S', lat),
                                 RVCoordinate::toDecimalDegrees(longitude, ew == 'W', lon),
                                 std::numeric_limits<double>::quiet_NaN(), 0.0, kmh, time);
        data.velocityData.push_back(kmh);
    }
    return data;
}

RVTimestamp RVSeventyMaiMetaDataReader::startFromName(const QString& fileName)
{
    static const QRegularExpression pattern(
        QStringLiteral(
            "^[A-Z]{2}(\\d{4})(\\d{2})(\\d{2})-(\\d{2})(\\d{2})(\\d{2})-\\d+[FB]\\.MP4$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (!match.hasMatch())
        return RVTimestamp();
    RVCivilTime::Fields f;
    f.year = match.captured(1).toInt();
    f.month = match.captured(2).toInt();
    f.day = match.captured(3).toInt();
    f.hour = match.captured(4).toInt();
    f.minute = match.captured(5).toInt();
    f.second = match.captured(6).toInt();
    if (f.month < 1 || f.month > 12 || f.day < 1 ||
        f.day > RVCivilTime::daysInMonth(f.year, f.month) || f.hour > 23 || f.minute > 59 ||
        f.second > 59)
        return RVTimestamp();
    return RVCivilTime::localInstant(f);
}
