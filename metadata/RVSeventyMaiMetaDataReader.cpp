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
// the clip's start comes from its name, NOYYYYMMDD-HHMMSS-nnnnnn[F|B].MP4 (the camera's local
// clock, read by the card's clock rule; the first two letters tell the kind of recording), and
// each point is that start plus its seconds.

#include "metadata/RVSeventyMaiMetaDataReader.h"

#include "metadata/RVBoxWalker.h"
#include "metadata/RVByteReader.h"
#include "metadata/RVCameraClock.h"
#include "metadata/RVCoordinate.h"
#include "metadata/RVMetaPath.h"

#include <QFile>

#include <cmath>
#include <limits>

namespace {

constexpr std::size_t kRecordBytes = 36;
constexpr double kThousandths = 1000.0;

} // namespace

std::optional<RVMetaData>
RVSeventyMaiMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData>
RVSeventyMaiMetaDataReader::readMetaDataOrDecline(const QString& videoPath, RVDecline& why) const
{
    RVRegularFile video;
    if (!RVMetaPath::openRegularFile(video, videoPath, QIODevice::Unbuffered)) {
        why = RVDecline{};
        return std::nullopt;
    }
    return readMetaData(video, video.size(), RVCameraClock::startFromName(videoPath), videoPath,
                        &why);
}

std::optional<RVMetaData>
RVSeventyMaiMetaDataReader::readMetaData(QIODevice& device, qint64 fileSize, RVTimestamp start,
                                         const QString& name, RVDecline* why)
{
    RVDecline ignored;
    RVDecline& decline = why ? *why : ignored;
    decline = RVDecline{};
    RVBoxWalker top(device, 0, fileSize);
    const std::optional<RVBox> box = top.find("GPS ");
    if (!box)
        return std::nullopt;
    const QString where = QStringLiteral("\"GPS \" box at offset 0x%1").arg(box->offset, 0, 16);
    const RVBoxPayload records =
        RVBoxPayload::read(device, *box, RVMetaPath::Limits::kSeventyMaiRecords);
    if (records.status != RVBoxPayload::Status::Read) {
        if (records.status == RVBoxPayload::Status::TooLarge)
            RVMetaPath::reportOversize(name, box->payloadSize(),
                                       RVMetaPath::Limits::kSeventyMaiRecords);
        decline = {RVDecline::Kind::Unreadable,
                   where + QStringLiteral(": %1 bytes could not be read").arg(box->payloadSize())};
        return std::nullopt;
    }
    RVMetaData data = readRecords(
        std::string_view(records.bytes.constData(), std::size_t(records.bytes.size())), start);
    if (data.points.empty()) {
        decline = {RVDecline::Kind::NoFixYet, where + QStringLiteral(": no record holds a fix")};
        return std::nullopt;
    }
    return data;
}

RVMetaData RVSeventyMaiMetaDataReader::readRecords(std::string_view records, RVTimestamp start)
{
    RVMetaData data;
    data.pointTimes = RVTimeSource::Name;
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
