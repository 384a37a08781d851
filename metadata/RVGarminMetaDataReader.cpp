// Garmin dash cameras (Dash Cam series, DriveAssist).
//
// The data lives in a text track of the video (handler "text"; "sbtl" with "tx3g" in joined
// recordings), one record a sample. A sample may open with a u16 length (as subtitle cues do)
// and then a u32 size whose first byte is 0; the record itself, big-endian:
//   +0  "PNDM"
//   +8  u16  speed in miles per hour
//   +12 s32  latitude  x 180 / 2^31 degrees
//   +16 s32  longitude x 180 / 2^31 degrees
// A record has no time of its own: it is the movie's creation time (mvhd, which these
// cameras write in UTC) plus the sample's time in the track.
//
// The DriveAssist 51 and the later Dash Cam models (X310) keep their track elsewhere: a "uuid"
// box in the movie box with the user type 9b630f8d-6374-40ec-8204-bc5ff5091728, then four u32
// little-endian (the second the record size, 20), a u8 count of the records in use, and the
// 20-byte records, big-endian:
//   +0  u32  seconds since 1904-01-01, UTC
//   +5  u8   speed in miles per hour
//   +12 s32  latitude  x 180 / 2^31 degrees
//   +16 s32  longitude x 180 / 2^31 degrees
// A coordinate of -2^31: no fix. Known from ExifTool's reader and from another public decoder
// written against real X310 recordings (which takes the count and the speed's byte); no
// recording is public.

#include "metadata/RVGarminMetaDataReader.h"

#include "metadata/RVBoxWalker.h"
#include "metadata/RVByteReader.h"
#include "metadata/RVDegreesPoint.h"
#include "metadata/RVInVideoReading.h"
#include "metadata/RVMetaPath.h"
#include "metadata/RVSampleTable.h"

#include <QFile>

#include <cmath>
#include <limits>

namespace {

constexpr double kKmhPerMph = 1.609344;
constexpr double kDegreesPerUnit = 180.0 / 2147483648.0;
constexpr std::size_t kRecordBytes = 20;
constexpr std::string_view
    kUserType("\x9b\x63\x0f\x8d\x63\x74\x40\xec\x82\x04\xbc\x5f\xf5\x09\x17\x28", 16);
constexpr std::size_t kUuidRecordSize = 16 + 4;
constexpr std::size_t kUuidCount = 16 + 16;
constexpr std::size_t kUuidRecordsAt = 16 + 17;
constexpr std::int64_t kSecondsFrom1904To1970 = 2082844800;
constexpr std::int32_t kNoFix = std::numeric_limits<std::int32_t>::min();

// The records in the movie box's "uuid" box of Garmin's user type.
std::optional<RVMetaData> readUuidTrack(QIODevice& device, qint64 fileSize)
{
    RVBoxWalker top(device, 0, fileSize);
    const std::optional<RVBox> movie = top.find("moov");
    if (!movie)
        return std::nullopt;
    RVBoxWalker inMovie(device, movie->payloadOffset(), movie->end);
    for (std::optional<RVBox> box = inMovie.find("uuid"); box; box = inMovie.find("uuid")) {
        const RVBoxPayload payload =
            RVBoxPayload::read(device, *box, RVMetaPath::Limits::kGpsRecords);
        const std::string_view bytes(payload.bytes.constData(), std::size_t(payload.bytes.size()));
        const RVByteReader r(bytes);
        if (payload.status != RVBoxPayload::Status::Read || !bytes.starts_with(kUserType) ||
            bytes.size() < kUuidRecordsAt || r.u32le(kUuidRecordSize) != kRecordBytes)
            continue;
        RVMetaData data;
        const std::size_t count = static_cast<unsigned char>(bytes[kUuidCount]);
        for (std::size_t i = 0, o = kUuidRecordsAt; i < count && o + kRecordBytes <= bytes.size();
             ++i, o += kRecordBytes) {
            const std::int32_t latitude = *r.s32(o + 12), longitude = *r.s32(o + 16);
            if (latitude == kNoFix || longitude == kNoFix)
                continue;
            const RVTimestamp time = RVTimestamp::fromMSecsSinceEpoch(
                (std::int64_t(*r.u32(o)) - kSecondsFrom1904To1970) * 1000);
            RVDegreesPoint::append(
                data, RVDegreesPoint::make(
                          latitude * kDegreesPerUnit, longitude * kDegreesPerUnit, NAN, 0,
                          static_cast<unsigned char>(bytes[o + 5]) * kKmhPerMph, time));
        }
        return data;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string_view> RVGarminMetaDataReader::record(std::string_view sample)
{
    for (std::string_view bytes : {RVSampleTable::subtitleText(sample), sample}) {
        if (bytes.size() >= 4 && bytes[0] == '\0' && bytes.substr(4, 4) == "PNDM")
            bytes.remove_prefix(4);
        if (bytes.starts_with("PNDM") && bytes.size() >= kRecordBytes)
            return bytes;
    }
    return std::nullopt;
}

std::optional<RVMetaData>
RVGarminMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVGarminMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                        RVDecline& why) const
{
    return RVInVideoReading::read(videoPath, why, &readMetaData);
}

std::optional<RVMetaData> RVGarminMetaDataReader::readMetaData(QIODevice& device, qint64 fileSize,
                                                               RVDecline* why)
{
    RVDecline ignored;
    RVDecline& decline = why ? *why : ignored;
    decline = {RVDecline::Kind::NotMine, {}};
    const std::optional<RVSampleTable::Movie> movie = RVSampleTable::readMovie(device, fileSize);
    if (!movie)
        return std::nullopt;
    for (const RVTimedTrack& track : movie->tracks) {
        if (!track.handlerIs("text") && !track.handlerIs("sbtl"))
            continue;
        RVMetaData data;
        bool mine = false;
        for (const RVTrackSample& sample : track.samples) {
            const QByteArray bytes = RVSampleTable::readSample(device, sample);
            const std::optional<std::string_view> found =
                record(std::string_view(bytes.constData(), std::size_t(bytes.size())));
            if (!found)
                continue;
            mine = true;
            const RVByteReader r(*found);
            const double latitude = *r.s32(12) * kDegreesPerUnit;
            const double longitude = *r.s32(16) * kDegreesPerUnit;
            const RVTimestamp time =
                movie->created.isValid()
                    ? RVTimestamp::fromMSecsSinceEpoch(
                          movie->created.msecsSinceEpoch() +
                          std::int64_t(std::llround(sample.startSeconds * 1000)))
                    : RVTimestamp();
            RVDegreesPoint::append(data, RVDegreesPoint::make(latitude, longitude, NAN, 0,
                                                              *r.u16(8) * kKmhPerMph, time));
        }
        if (mine)
            return data;
    }
    if (std::optional<RVMetaData> data = readUuidTrack(device, fileSize)) {
        if (!data->points.empty())
            return data;
        decline = {RVDecline::Kind::NoFixYet,
                   QStringLiteral("Garmin \"uuid\" box: no record holds a fix")};
        return std::nullopt;
    }
    decline.detail = QStringLiteral("no PNDM record in a text track");
    return std::nullopt;
}
