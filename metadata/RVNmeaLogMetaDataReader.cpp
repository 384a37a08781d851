// Cameras that log their receiver's NMEA sentences to a text file beside the video, named
// after it: /CARD/DCIM/FILE0001.MP4 with /CARD/DCIM/FILE0001.nmea (or .NMEA, as Mio MiVue
// writes it, .log or .gps, in either case).
//
// Text: one sentence a line ("\n" or "\r\n"), each beginning with "$" (a line that does not
// is skipped: banners, blank lines, a receiver's binary bytes). GGA gives the altitude in
// metres, RMC the fix with its UTC date and time, speed in knots and course; the rest is
// ignored (RVNmea, RVNmeaTrackBuilder). A log is this reader's only when it holds at least one
// GGA or RMC sentence, so a ".log" of another kind beside a video is left alone.
//
// Mio MiVue and Navman cameras add their G-sensor once a second, after the second's sentences:
// "$GSENSORD,<x>,<y>,<z>" in g (newer models append more fields, such as
// "[-0.724,-0.066,0.617],0.096, 1447001", which are not read). A sample is labelled with the
// latest fix's time, or 0 before the first fix.
//
// BlackVue's ".gps" track (each line prefixed by "[milliseconds]") is read by the BlackVue
// reader, which is asked first.

#include "metadata/RVNmeaLogMetaDataReader.h"

#include "core/RVNumber.h"
#include "core/RVTextSplit.h"
#include "metadata/RVMetaPath.h"
#include "metadata/RVNmeaTrackBuilder.h"

#include <algorithm>
#include <cmath>

namespace {

// Extensions tried in this order; the upper-case ones matter on case-sensitive file systems.
constexpr const char* kExtensions[] = {"nmea", "NMEA", "log", "LOG", "gps", "GPS"};

constexpr std::string_view kSensorTag = "$GSENSORD,";

// The three accelerations after the tag; nothing unless all three are numbers.
std::optional<RVSensorData> readSensor(std::string_view line, RVSensorLabel label)
{
    double g[3];
    std::size_t at = kSensorTag.size();
    for (double& value : g) {
        const std::size_t end = std::min(line.find(',', at), line.size());
        if (at >= end || line.find_first_of("0123456789", at) >= end)
            return std::nullopt;
        value = RVNumber::leadingValue(line.substr(at, end - at));
        at = end + 1;
    }
    return RVSensorData(g[0], g[1], g[2], std::sqrt(g[0] * g[0] + g[1] * g[1] + g[2] * g[2]),
                        label);
}

} // namespace

QString RVNmeaLogMetaDataReader::findLog(const QString& videoPath)
{
    const QString stem = RVMetaPath::withoutExtension(videoPath);
    if (stem.isEmpty() || stem == videoPath)
        return {};
    for (const char* extension : kExtensions) {
        const QString path = stem + QLatin1Char('.') + QLatin1String(extension);
        if (RVMetaPath::exists(path))
            return path;
    }
    return {};
}

std::optional<RVMetaData> RVNmeaLogMetaDataReader::readLogText(std::string_view text)
{
    RVNmeaTrackBuilder track;
    track.reserveForText(text.size());
    bool anySentence = false;
    RVLineSplitter lines(text);
    std::string_view line;
    std::vector<RVSensorData> samples;
    while (lines.next(line)) {
        if (line.empty() || line.front() != '$')
            continue;
        if (line.starts_with(kSensorTag)) {
            const RVSensorLabel label = track.isEmpty()
                                            ? RVSensorLabel::number(0)
                                            : RVSensorLabel::instant(track.lastPoint().time());
            if (const std::optional<RVSensorData> sample = readSensor(line, label))
                samples.push_back(*sample);
            continue;
        }
        anySentence = track.addLine(line) || anySentence;
    }
    if (!anySentence)
        return std::nullopt;
    RVMetaData data;
    track.moveInto(data);
    data.gSensorData = std::move(samples);
    return data;
}

std::optional<RVMetaData>
RVNmeaLogMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVNmeaLogMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                         RVDecline& why) const
{
    const QString logPath = findLog(videoPath);
    if (logPath.isEmpty()) {
        why = {RVDecline::Kind::NotMine, {}};
        return std::nullopt;
    }
    const std::optional<QByteArray> text =
        RVMetaPath::readWholeFile(logPath, RVMetaPath::Limits::kNmeaText);
    if (!text) {
        why = {RVDecline::Kind::Unreadable, logPath + QStringLiteral(": could not be read")};
        return std::nullopt;
    }
    std::optional<RVMetaData> data =
        readLogText(std::string_view(text->constData(), std::size_t(text->size())));
    if (!data) {
        why = {RVDecline::Kind::NotMine, logPath + QStringLiteral(": no NMEA fix sentences")};
        return std::nullopt;
    }
    data->relatedFiles = QStringList{logPath};
    return data;
}
