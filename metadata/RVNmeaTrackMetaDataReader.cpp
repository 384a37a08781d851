// NMEA sentences in a subtitle track, from cameras whose track carries nothing of its own.
//
// The data lives in a timed text track of the video (handler "text" or "sbtl", or sample
// format "tx3g"): each cue is a u16 big-endian length and that much text (or the bare text),
// holding one or more whole sentences ("$GPRMC,...*cc", "$GNGGA,...") separated by CR, LF,
// NUL or ';'. The sentences are read by the NMEA rules every NMEA-based reader follows: RMC
// gives the fix (time UTC, knots read as km/h), GGA the altitude in metres. Every other line
// is skipped. Thinkware's tracks, with their G-sensor and car lines, are read by their own
// reader, asked before this one; this reader takes the first subtitle track with a sentence.

#include "metadata/RVNmeaTrackMetaDataReader.h"

#include "metadata/RVInVideoReading.h"
#include "metadata/RVMetaPath.h"
#include "metadata/RVNmeaTrackBuilder.h"
#include "metadata/RVSampleTable.h"

#include <QFile>

#include <string>

namespace {

bool isSeparator(char c)
{
    return c == ';' || c == '\0' || c == '\r' || c == '\n';
}

// Feeds the cue's sentences to the track; true when one of them was an RMC or GGA.
bool addCue(std::string_view cue, RVNmeaTrackBuilder& track)
{
    bool known = false;
    std::size_t begin = 0;
    while (begin < cue.size()) {
        std::size_t end = begin;
        while (end < cue.size() && !isSeparator(cue[end]))
            ++end;
        std::string_view line = cue.substr(begin, end - begin);
        begin = end + 1;
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.starts_with('$'))
            known |= track.addLine(line);
    }
    return known;
}

} // namespace

std::optional<RVMetaData>
RVNmeaTrackMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVNmeaTrackMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                           RVDecline& why) const
{
    return RVInVideoReading::read(videoPath, why, &readMetaData);
}

std::optional<RVMetaData> RVNmeaTrackMetaDataReader::readMetaData(QIODevice& device,
                                                                  qint64 fileSize, RVDecline* why)
{
    if (why)
        *why = {RVDecline::Kind::NotMine, {}};
    const std::optional<RVSampleTable::Movie> movie = RVSampleTable::readMovie(device, fileSize);
    if (!movie)
        return std::nullopt;
    for (const RVTimedTrack& track : movie->tracks) {
        if (!track.handlerIs("text") && !track.handlerIs("sbtl") && !track.codecIs("tx3g"))
            continue;
        RVNmeaTrackBuilder builder;
        bool known = false;
        for (const RVTrackSample& sample : track.samples) {
            const QByteArray bytes = RVSampleTable::readSample(device, sample);
            known |= addCue(RVSampleTable::subtitleText(
                                std::string_view(bytes.constData(), std::size_t(bytes.size()))),
                            builder);
        }
        if (known) {
            RVMetaData data;
            builder.moveInto(data);
            return data;
        }
    }
    return std::nullopt;
}
