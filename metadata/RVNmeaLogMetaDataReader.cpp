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
// BlackVue's ".gps" track (each line prefixed by "[milliseconds]") is read by the BlackVue
// reader, which is asked first.

#include "metadata/RVNmeaLogMetaDataReader.h"

#include "core/RVTextSplit.h"
#include "metadata/RVMetaPath.h"
#include "metadata/RVNmeaTrackBuilder.h"

namespace {

// Extensions tried in this order; the upper-case ones matter on case-sensitive file systems.
constexpr const char* kExtensions[] = {"nmea", "NMEA", "log", "LOG", "gps", "GPS"};

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
    while (lines.next(line)) {
        if (line.empty() || line.front() != '$')
            continue;
        anySentence = track.addLine(line) || anySentence;
    }
    if (!anySentence)
        return std::nullopt;
    RVMetaData data;
    track.moveInto(data);
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
