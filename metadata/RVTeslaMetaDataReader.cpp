// Tesla cars' recordings (files named by the Tesla rule of RVRecordingName, one a camera and
// minute, below "TeslaCam").
//
// Event folders ("SavedClips/<time>/", "SentryClips/<time>/") hold an "event.json" (and a
// "thumb.png") beside the clips of the minutes before the event:
//   {"timestamp":"2024-05-01T12:34:56","city":"Palo Alto","est_lat":"37.4","est_lon":"-122.1",
//    "reason":"user_interaction_dashcam_icon_tapped","camera":"0"}
// timestamp is the car's local time; est_lat and est_lon are degrees, written as text or as
// numbers. The event belongs to the clip it falls in (start to start + 60 s); both files
// belong to every clip of the folder.
//
// Newer cars write telemetry into the video (RVTeslaTelemetry): one SEI message per frame in
// the samples of the video track (RVMp4VideoTrack), each NAL unit behind a length prefix of
// the size avcC gives. The front camera's file is read (every camera carries the same
// messages). Frames are kept at most ten a second; each gives a point at the clip's start
// (from its name) plus the frame's time, speed in km/h, heading, and the extra series below.
//
// Encrypted recordings (an "encv" sample entry, a "sinf" protection scheme) are declined as
// encrypted: their names still list and date them.

#include "metadata/RVTeslaMetaDataReader.h"

#include "metadata/RVMetaPath.h"
#include "metadata/RVMp4VideoTrack.h"
#include "metadata/RVRecordingName.h"
#include "metadata/RVTeslaTelemetry.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

// A clip lasts a minute; the event falls in the clip that starts at most this long before it.
constexpr qint64 kClipSeconds = 60;
// event.json is one short object.
constexpr qint64 kEventLimit = 64 << 10;
// Kept frames are at least this far apart: cars write 36 a second.
constexpr double kFrameSpacingSeconds = 0.1;
// One SEI unit is a few dozen bytes; a sample's NAL units are looked at only up to this size.
constexpr std::uint32_t kMaxSeiBytes = 4096;
constexpr double kKmhPerMetrePerSecond = 3.6;

double jsonNumber(const QJsonValue& value)
{
    if (value.isDouble())
        return value.toDouble();
    bool ok = false;
    const double number = value.toString().trimmed().toDouble(&ok);
    return ok && std::isfinite(number) ? number : std::numeric_limits<double>::quiet_NaN();
}

QString folderOf(const QString& path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')));
}

QString lastComponent(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

std::string_view view(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), std::size_t(bytes.size()));
}

// The telemetry of the video's frames as points and series.
void readTelemetry(QFile& video, const RVMp4VideoTrack& track, RVTimestamp start, RVMetaData& data)
{
    std::vector<double> steering, accelerator, brake, assistance, gear;
    double lastKept = -std::numeric_limits<double>::infinity();
    for (const RVMp4VideoTrack::Sample& sample : track.samples) {
        if (sample.seconds - lastKept < kFrameSpacingSeconds)
            continue;
        // The SEI unit comes first in a sample: read the start of it only.
        if (!video.seek(sample.offset))
            break;
        const QByteArray bytes = video.read(std::min(sample.size, kMaxSeiBytes));
        std::size_t at = 0;
        const std::size_t lengthSize = std::size_t(track.nalLengthSize);
        std::optional<RVTeslaFrame> frame;
        while (!frame && at + lengthSize <= std::size_t(bytes.size())) {
            std::size_t length = 0;
            for (std::size_t i = 0; i < lengthSize; ++i)
                length = (length << 8) | static_cast<unsigned char>(bytes[qsizetype(at + i)]);
            at += lengthSize;
            if (length > std::size_t(bytes.size()) - at)
                break;
            frame = RVTeslaTelemetry::readNalUnit(view(bytes).substr(at, length));
            at += length;
        }
        if (!frame || !std::isfinite(frame->latitude) || !std::isfinite(frame->longitude) ||
            (frame->latitude == 0 && frame->longitude == 0))
            continue;
        lastKept = sample.seconds;
        char lat[48];
        char lon[48];
        const int latLength = std::snprintf(lat, sizeof lat, "%.06f", frame->latitude);
        const int lonLength = std::snprintf(lon, sizeof lon, "%.06f", frame->longitude);
        if (latLength <= 0 || lonLength <= 0 || std::size_t(latLength) >= sizeof lat ||
            std::size_t(lonLength) >= sizeof lon)
            continue;
        const double kmh = frame->speedMetresPerSecond * kKmhPerMetrePerSecond;
        const RVTimestamp time =
            start.isValid()
                ? RVTimestamp::fromMSecsSinceEpoch(
                      start.msecsSinceEpoch() + std::int64_t(std::llround(sample.seconds * 1000)))
                : RVTimestamp();
        data.points.emplace_back(std::string_view(lat, std::size_t(latLength)),
                                 std::string_view(lon, std::size_t(lonLength)),
                                 std::numeric_limits<double>::quiet_NaN(), frame->headingDegrees,
                                 kmh, time);
        data.velocityData.push_back(kmh);
        steering.push_back(frame->steeringAngleDegrees);
        accelerator.push_back(frame->acceleratorPedal);
        brake.push_back(frame->brakeApplied ? 1 : 0);
        assistance.push_back(frame->autopilotState);
        gear.push_back(frame->gear);
    }
    if (data.points.empty())
        return;
    data.extraSeries.emplace_back(QStringLiteral("steering angle"), std::move(steering));
    data.extraSeries.emplace_back(QStringLiteral("accelerator pedal"), std::move(accelerator));
    data.extraSeries.emplace_back(QStringLiteral("brake"), std::move(brake));
    data.extraSeries.emplace_back(QStringLiteral("driver assistance"), std::move(assistance));
    data.extraSeries.emplace_back(QStringLiteral("gear"), std::move(gear));
}

} // namespace

std::optional<RVCameraEvent> RVTeslaMetaDataReader::readEvent(const QByteArray& json,
                                                              const QString& kind)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    RVCameraEvent event;
    event.kind = kind;
    const QDateTime time =
        QDateTime::fromString(object.value(QLatin1String("timestamp")).toString(), Qt::ISODate);
    event.time = RVTimestamp::fromDateTime(time);
    event.reason = object.value(QLatin1String("reason")).toString().left(200);
    event.city = object.value(QLatin1String("city")).toString().left(200);
    event.latitude = jsonNumber(object.value(QLatin1String("est_lat")));
    event.longitude = jsonNumber(object.value(QLatin1String("est_lon")));
    if (!(std::fabs(event.latitude) <= 90) || !(std::fabs(event.longitude) <= 180)) {
        event.latitude = std::numeric_limits<double>::quiet_NaN();
        event.longitude = std::numeric_limits<double>::quiet_NaN();
    }
    return event;
}

std::optional<RVMetaData>
RVTeslaMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVTeslaMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                       RVDecline& why) const
{
    why = {RVDecline::Kind::NotMine, {}};
    const std::optional<RVRecordingName> name = parseRecordingName(videoPath);
    if (!name || name->family != RVCameraFamily::Tesla)
        return std::nullopt;

    RVRegularFile video;
    if (!RVMetaPath::openRegularFile(video, videoPath, QIODevice::Unbuffered)) {
        why = {RVDecline::Kind::Unreadable, videoPath + QStringLiteral(": could not be opened")};
        return std::nullopt;
    }
    const std::optional<RVMp4VideoTrack> track = RVMp4VideoTrack::read(video, video.size());
    if (track && track->encrypted) {
        why = {RVDecline::Kind::Encrypted,
               videoPath + QStringLiteral(": the video samples are encrypted (\"%1\")")
                               .arg(QLatin1String(track->sampleEntry.data(), 4))};
        return std::nullopt;
    }

    RVMetaData data;
    const RVTimestamp start = RVTimestamp::fromDateTime(name->start);
    if (track)
        readTelemetry(video, *track, start, data);

    const QString folder = folderOf(videoPath);
    const QString parent = lastComponent(folderOf(folder));
    const QString kind = parent == QLatin1String("SavedClips")    ? QStringLiteral("saved")
                         : parent == QLatin1String("SentryClips") ? QStringLiteral("sentry")
                                                                  : QString();
    if (!kind.isEmpty()) {
        const QString eventPath = folder + QStringLiteral("/event.json");
        if (RVMetaPath::exists(eventPath)) {
            data.relatedFiles.append(eventPath);
            const std::optional<QByteArray> json =
                RVMetaPath::readWholeFile(eventPath, kEventLimit);
            const std::optional<RVCameraEvent> event = json ? readEvent(*json, kind) : std::nullopt;
            if (event && event->time.isValid() && start.isValid()) {
                const qint64 after = event->time.msecsSinceEpoch() - start.msecsSinceEpoch();
                if (after >= 0 && after < kClipSeconds * 1000)
                    data.events.push_back(*event);
            }
        }
        const QString thumbnail = folder + QStringLiteral("/thumb.png");
        if (RVMetaPath::exists(thumbnail))
            data.relatedFiles.append(thumbnail);
    }
    return data;
}
