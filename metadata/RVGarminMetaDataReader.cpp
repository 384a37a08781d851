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

#include "metadata/RVGarminMetaDataReader.h"

#include "metadata/RVByteReader.h"
#include "metadata/RVDegreesPoint.h"
#include "metadata/RVInVideoReading.h"
#include "metadata/RVMetaPath.h"
#include "metadata/RVSampleTable.h"

#include <QFile>

#include <cmath>

namespace {

constexpr double kKmhPerMph = 1.609344;
constexpr double kDegreesPerUnit = 180.0 / 2147483648.0;
constexpr std::size_t kRecordBytes = 20;

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
    decline.detail = QStringLiteral("no PNDM record in a text track");
    return std::nullopt;
}
