// Nextbase cameras of the 322GW family.
//
// The data lives in the subtitle track of the video ("tx3g"), one record a cue. After the
// cue's u16 big-endian length (0x0120) the record reads:
//   +0   u32         not known
//   +4   14 digits   the camera's clock, YYYYMMDDhhmmss (local time)
//   +18  s32 LE      Y acceleration, g = value / -1280
//   +22  s32 LE      X acceleration, g = value / 1280
//   +26  s32 LE      Z acceleration, g = value / 1280
//   +30  128 bytes   an RMC sentence, NUL-padded
//   +158 128 bytes   a GGA sentence, NUL-padded
// The sentences follow NMEA except for their checksums, which this program never checks.
// "moov/udta/info" holds the camera model and firmware as text.

#include "metadata/RVNextbaseMetaDataReader.h"

#include "core/RVCivilTime.h"
#include "metadata/RVBoxWalker.h"
#include "metadata/RVByteReader.h"
#include "metadata/RVInVideoReading.h"
#include "metadata/RVMetaPath.h"
#include "metadata/RVNmeaTrackBuilder.h"
#include "metadata/RVSampleTable.h"

#include <QFile>

#include <cmath>

namespace {

constexpr std::size_t kClock = 4;
constexpr std::size_t kAccel = 18;
constexpr std::size_t kRmc = 30;
constexpr std::size_t kGga = 158;
constexpr std::size_t kSentenceBytes = 128;
constexpr double kCountsPerG = 1280.0;
constexpr qint64 kMaxModelBytes = 256;

// The NUL-padded sentence at offset (shorter when the record is cut).
std::string_view sentence(std::string_view record, std::size_t offset)
{
    if (offset >= record.size())
        return {};
    std::string_view text = record.substr(offset, kSentenceBytes);
    return text.substr(0, text.find('\0'));
}

RVTimestamp clockTime(std::string_view record)
{
    RVCivilTime::Fields f;
    int values[6];
    const int widths[6] = {4, 2, 2, 2, 2, 2};
    std::size_t at = kClock;
    for (int i = 0; i < 6; ++i) {
        values[i] = 0;
        for (int k = 0; k < widths[i]; ++k, ++at)
            values[i] = values[i] * 10 + (record[at] - '0');
    }
    f.year = values[0];
    f.month = values[1];
    f.day = values[2];
    f.hour = values[3];
    f.minute = values[4];
    f.second = values[5];
    if (f.month < 1 || f.month > 12 || f.day < 1 ||
        f.day > RVCivilTime::daysInMonth(f.year, f.month) || f.hour > 23 || f.minute > 59 ||
        f.second > 60)
        return RVTimestamp();
    return RVCivilTime::localInstant(f);
}

QString readModel(QIODevice& device, qint64 fileSize)
{
    RVBoxWalker top(device, 0, fileSize);
    const std::optional<RVBox> moov = top.find("moov");
    if (!moov)
        return {};
    RVBoxWalker inMoov(device, moov->payloadOffset(), moov->end);
    const std::optional<RVBox> udta = inMoov.find("udta");
    if (!udta)
        return {};
    RVBoxWalker inUdta(device, udta->payloadOffset(), udta->end);
    const std::optional<RVBox> info = inUdta.find("info");
    if (!info || info->payloadSize() > kMaxModelBytes || !device.seek(info->payloadOffset()))
        return {};
    const QByteArray text = device.read(info->payloadSize());
    return QString::fromLatin1(text.left(text.indexOf('\0') < 0 ? text.size() : text.indexOf('\0')))
        .trimmed();
}

} // namespace

bool RVNextbaseMetaDataReader::isRecord(std::string_view cue)
{
    if (cue.size() < kRmc + 7)
        return false;
    for (std::size_t i = kClock; i < kAccel; ++i) {
        if (cue[i] < '0' || cue[i] > '9')
            return false;
    }
    const std::string_view rmc = sentence(cue, kRmc);
    return rmc.starts_with("$G") && rmc.size() > 6 && rmc.substr(3, 3) == "RMC";
}

std::optional<RVMetaData>
RVNextbaseMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVNextbaseMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                          RVDecline& why) const
{
    return RVInVideoReading::read(videoPath, why, &readMetaData);
}

std::optional<RVMetaData> RVNextbaseMetaDataReader::readMetaData(QIODevice& device, qint64 fileSize,
                                                                 RVDecline* why)
{
    RVDecline ignored;
    RVDecline& decline = why ? *why : ignored;
    decline = {RVDecline::Kind::NotMine, {}};
    const std::optional<RVSampleTable::Movie> movie = RVSampleTable::readMovie(device, fileSize);
    if (!movie)
        return std::nullopt;
    for (const RVTimedTrack& track : movie->tracks) {
        if (!track.handlerIs("text") && !track.handlerIs("sbtl") && !track.codecIs("tx3g"))
            continue;
        RVNmeaTrackBuilder builder;
        std::vector<RVSensorData> samples;
        bool mine = false;
        for (const RVTrackSample& sample : track.samples) {
            const QByteArray bytes = RVSampleTable::readSample(device, sample);
            const std::string_view record = RVSampleTable::subtitleText(
                std::string_view(bytes.constData(), std::size_t(bytes.size())));
            if (!isRecord(record))
                continue;
            mine = true;
            // GGA first: the fix of a record takes the altitude of the same record.
            builder.addLine(sentence(record, kGga));
            builder.addLine(sentence(record, kRmc));
            const RVByteReader r(record);
            if (const auto y = r.s32le(kAccel), x = r.s32le(kAccel + 4), z = r.s32le(kAccel + 8);
                x && y && z) {
                const double gx = *x / kCountsPerG, gy = *y / -kCountsPerG, gz = *z / kCountsPerG;
                samples.emplace_back(gx, gy, gz, std::sqrt(gx * gx + gy * gy + gz * gz),
                                     RVSensorLabel::instant(clockTime(record)));
            }
        }
        if (!mine)
            continue;
        RVMetaData data;
        builder.moveInto(data);
        if (data.points.empty() && samples.empty()) {
            decline = {RVDecline::Kind::NoFixYet,
                       RVSampleTable::sampleAt("text", track.samples.front()) +
                           QStringLiteral(" and the rest: records without a fix")};
            continue;
        }
        data.gSensorData = std::move(samples);
        data.cameraModel = readModel(device, fileSize);
        return data;
    }
    return std::nullopt;
}
