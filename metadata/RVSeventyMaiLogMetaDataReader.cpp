// 70mai cameras of the A810 and Omni X800 generation keep no track inside the video. They
// append every fix to a running text log in the card's root, "GPSData000001.txt" (the number
// counts up; the file may carry the hidden attribute), shared by all recordings:
//
//   $V02                                  first line: layout version
//   1740170756,A,46.840330,29.463088,32500,777,-65,5,44,NO20250222-064554-000000F.MP4,0,0,0
//
// Thirteen comma-separated fields a line:
//   0  time, seconds since 1970 (UTC)
//   1  status: "A" a fix, anything else none (the line gives no point)
//   2  latitude, 3 longitude: signed decimal degrees
//   4  course, hundredths of a degree
//   5  speed, hundredths of a metre a second
//   6, 7, 8  acceleration on the camera's three axes, hundredths of g, gravity included
//   9  the recording being written: its file name, front camera
//   10-12 not read
// A "$V02" line may appear again where the camera restarted. The camera writes about one
// line a second, 90 bytes: 330 KB an hour.
//
// A recording takes the lines naming it, or naming a file of the same mode whose start time
// in the name lies within the family's pairing tolerance of its own (the rear camera's file
// of the same moment has its own sequence number, so its name is never in the log). Names
// and the recording are both on the camera's clock, so no time zone is involved.
//
// The log is not reported as a side file of the recording: it is shared by every recording
// on the card and still written to by the camera, so locking it with one recording would stop
// the camera's logging and deleting it would take the track of all the others.

#include "metadata/RVSeventyMaiLogMetaDataReader.h"

#include "core/RVTextSplit.h"
#include "metadata/RVMetaPath.h"
#include "metadata/RVRecordingName.h"

#include <QDir>
#include <QRegularExpression>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr std::size_t kFields = 13;
constexpr double kHundredths = 100.0;
constexpr double kKmhPerMetrePerSecond = 3.6;
// A log read whole: 330 KB an hour, so 64 MiB hold some 200 hours of driving.
constexpr qint64 kLogLimit = 64 << 20;
// Logs of one folder read for a recording at most: the camera starts a new one rarely.
constexpr int kMaxLogs = 16;
// Folders above the video searched for logs: the card's "Normal/Front/" is two deep.
constexpr int kMaxLevelsUp = 3;

template <typename T>
std::optional<T> number(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r'))
        text.remove_suffix(1);
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r'))
        text.remove_suffix(1);
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    return text;
}

bool isVersionLine(std::string_view line)
{
    return line.size() >= 4 && line.substr(0, 2) == "$V" && line[2] >= '0' && line[2] <= '9';
}

// Whether the log names the recording `name` under `logged`.
bool sameRecording(const RVRecordingName& name, std::string_view logged)
{
    const std::optional<RVRecordingName> other =
        parseRecordingName(QString::fromLatin1(logged.data(), qsizetype(logged.size())));
    if (!other || other->family != name.family || other->modeCode != name.modeCode)
        return false;
    const qint64 apart = std::llabs(other->start.secsTo(name.start));
    return apart <= name.pairingToleranceSeconds;
}

} // namespace

QStringList RVSeventyMaiLogMetaDataReader::findLogs(const QString& videoPath)
{
    static const QRegularExpression logName(QStringLiteral("^GPSData\\d+\\.txt$"),
                                            QRegularExpression::CaseInsensitiveOption);
    for (int up = 1; up <= kMaxLevelsUp + 1; ++up) {
        const QString folder = RVMetaPath::withoutLastComponents(videoPath, up);
        if (folder.isEmpty())
            break;
        const QDir dir(folder);
        QStringList logs;
        for (const QString& entry :
             dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
            if (logName.match(entry).hasMatch())
                logs.append(dir.filePath(entry));
            if (logs.size() == kMaxLogs)
                break;
        }
        if (!logs.isEmpty())
            return logs;
        if (folder == QLatin1String("/"))
            break;
    }
    return {};
}

std::optional<RVMetaData> RVSeventyMaiLogMetaDataReader::readLogText(std::string_view text,
                                                                     const QString& videoFileName)
{
    RVLineSplitter lines(text);
    std::string_view line;
    if (!lines.next(line) || !isVersionLine(line))
        return std::nullopt;
    const std::optional<RVRecordingName> name = parseRecordingName(videoFileName);

    RVMetaData data;
    // Consecutive lines name the same recording: the answer for the last name is kept.
    std::string_view lastName;
    bool lastMatched = false;
    while (lines.next(line)) {
        const RVFieldSplitter f(line, kFields);
        if (f.count() < kFields)
            continue;
        const std::string_view logged = trimmed(f[9]);
        if (logged != lastName) {
            lastName = logged;
            lastMatched = logged == videoFileName.toLatin1().toStdString() ||
                          (name && sameRecording(*name, logged));
        }
        if (!lastMatched)
            continue;
        const std::optional<std::int64_t> seconds = number<std::int64_t>(f[0]);
        const std::optional<double> latitude = number<double>(f[2]);
        const std::optional<double> longitude = number<double>(f[3]);
        if (trimmed(f[1]) != "A" || !seconds || !latitude || !longitude ||
            *seconds > std::numeric_limits<std::int64_t>::max() / 1000 || *seconds < 0)
            continue;
        const RVTimestamp time = RVTimestamp::fromMSecsSinceEpoch(*seconds * 1000);
        const double course = number<double>(f[4]).value_or(0) / kHundredths;
        const double kmh =
            number<double>(f[5]).value_or(std::nan("")) / kHundredths * kKmhPerMetrePerSecond;
        char lat[32];
        char lon[32];
        const int latLength = std::snprintf(lat, sizeof lat, "%.06f", *latitude);
        const int lonLength = std::snprintf(lon, sizeof lon, "%.06f", *longitude);
        if (latLength <= 0 || lonLength <= 0 || std::size_t(latLength) >= sizeof lat ||
            std::size_t(lonLength) >= sizeof lon)
            continue;
        data.points.emplace_back(std::string_view(lat, std::size_t(latLength)),
                                 std::string_view(lon, std::size_t(lonLength)),
                                 std::numeric_limits<double>::quiet_NaN(), course, kmh, time);
        data.velocityData.push_back(kmh);
        const std::optional<double> x = number<double>(f[6]);
        const std::optional<double> y = number<double>(f[7]);
        const std::optional<double> z = number<double>(f[8]);
        if (x && y && z) {
            const double gx = *x / kHundredths, gy = *y / kHundredths, gz = *z / kHundredths;
            data.gSensorData.emplace_back(gx, gy, gz, std::sqrt(gx * gx + gy * gy + gz * gz),
                                          RVSensorLabel::instant(time));
        }
    }
    return data;
}

std::optional<RVMetaData>
RVSeventyMaiLogMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData>
RVSeventyMaiLogMetaDataReader::readMetaDataOrDecline(const QString& videoPath, RVDecline& why) const
{
    why = {RVDecline::Kind::NotMine, {}};
    const std::optional<RVRecordingName> name = parseRecordingName(videoPath);
    if (!name || name->family != RVCameraFamily::SeventyMai)
        return std::nullopt;
    const QString fileName = videoPath.mid(videoPath.lastIndexOf(QLatin1Char('/')) + 1);
    std::optional<RVMetaData> found;
    for (const QString& logPath : findLogs(videoPath)) {
        const std::optional<QByteArray> text = RVMetaPath::readWholeFile(logPath, kLogLimit);
        if (!text)
            continue;
        std::optional<RVMetaData> part =
            readLogText(std::string_view(text->constData(), std::size_t(text->size())), fileName);
        if (!part)
            continue;
        if (!found) {
            found = std::move(part);
            continue;
        }
        // A recording written across the start of a new log continues in it.
        found->points.insert(found->points.end(), part->points.begin(), part->points.end());
        found->velocityData.insert(found->velocityData.end(), part->velocityData.begin(),
                                   part->velocityData.end());
        found->gSensorData.insert(found->gSensorData.end(), part->gSensorData.begin(),
                                  part->gSensorData.end());
    }
    if (found && found->points.empty()) {
        why = {RVDecline::Kind::NoFixYet, fileName + QStringLiteral(": not in the GPS logs")};
        return std::nullopt;
    }
    return found;
}
