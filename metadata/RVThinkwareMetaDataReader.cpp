// Thinkware cameras (F200 PRO, F800 Pro and their kin).
//
// The data lives in a subtitle track of the front camera's video (handler "text" or "sbtl",
// sample format "tx3g"; the rear file has no such track): one cue about ten times a second,
// each a u16 big-endian length and that much text of segments separated by ';':
//   gsensori,<range>,<counts per g>,<x>,<y>,<z>     accelerations in counts
//   GNRMC,hhmmss.ss,A,ddmm.mmmmm,N,dddmm.mmmmm,W,knots,course,ddmmyy,,,A*cc   about once a
//                                                   second; no "$", and a CR LF before ';'
//   CAR,<values>                                    the car's OBD data (zeros without it)
// for example "gsensori,4,512,-67,-12,100;GNRMC,161313.00,A,4529.87489,N,07337.01215,W,
// 6.225,35.34,310819,,,A*52\r\n;CAR,0,0,0,0.0,0,0,0,0,0,0,0,0". Older models write the
// sentences with their "$" and separate them with NUL bytes instead. The sentences are read
// by the NMEA rules every NMEA-based reader follows (speeds in km/h, times UTC); a G-sensor
// sample is its counts divided by the counts per g, labelled with the latest fix's time.
//
// Other cameras write NMEA into subtitle tracks too, so a track is Thinkware's only by what
// is Thinkware's own: a "gsensori" or "CAR" line, a sentence without its "$" between ';'
// separators, or the older models' sentences ended by NUL bytes. A track of plain sentences
// is left to the generic reader (RVNmeaTrackMetaDataReader).

#include "metadata/RVThinkwareMetaDataReader.h"

#include "core/RVNumber.h"
#include "metadata/RVInVideoReading.h"
#include "metadata/RVMetaPath.h"
#include "metadata/RVNmeaTrackBuilder.h"
#include "metadata/RVSampleTable.h"

#include <QFile>

#include <cmath>
#include <string>

namespace {

constexpr std::string_view kSensorTag = "gsensori,";
constexpr std::string_view kCarTag = "CAR,";

bool isSeparator(char c)
{
    return c == ';' || c == '\0' || c == '\r' || c == '\n';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// "G?RMC," or "G?GGA," at the start of a segment, with or without its "$".
bool isSentence(std::string_view segment)
{
    if (segment.starts_with('$'))
        segment.remove_prefix(1);
    return segment.size() > 6 && segment[0] == 'G' && segment[5] == ',' &&
           (segment.substr(2, 3) == "RMC" || segment.substr(2, 3) == "GGA");
}

// The fields after the tag: range, counts per g, x, y, z.
std::optional<RVSensorData> readSensor(std::string_view segment, RVSensorLabel label)
{
    double fields[5];
    std::size_t at = kSensorTag.size();
    for (int i = 0; i < 5; ++i) {
        if (at > segment.size())
            return std::nullopt;
        const std::size_t comma = segment.find(',', at);
        const std::string_view field = segment.substr(
            at, comma == std::string_view::npos ? std::string_view::npos : comma - at);
        if (field.empty())
            return std::nullopt;
        fields[i] = RVNumber::leadingValue(field);
        at = comma == std::string_view::npos ? segment.size() + 1 : comma + 1;
    }
    const double perG = fields[1];
    if (!(perG > 0) || !std::isfinite(perG))
        return std::nullopt;
    const double x = fields[2] / perG, y = fields[3] / perG, z = fields[4] / perG;
    return RVSensorData(x, y, z, std::sqrt(x * x + y * y + z * z), label);
}

} // namespace

bool RVThinkwareMetaDataReader::CueReader::addCue(std::string_view cue)
{
    bool known = false;
    std::size_t begin = 0;
    while (begin < cue.size()) {
        std::size_t end = begin;
        while (end < cue.size() && !isSeparator(cue[end]))
            ++end;
        const std::string_view segment = trimmed(cue.substr(begin, end - begin));
        const bool endedByNul = end < cue.size() && cue[end] == '\0';
        begin = end + 1;
        if (segment.starts_with(kCarTag))
            m_thinkware = true;
        if (segment.starts_with(kSensorTag)) {
            const RVSensorLabel label = m_track.isEmpty()
                                            ? RVSensorLabel::number(0)
                                            : RVSensorLabel::instant(m_track.lastPoint().time());
            if (const std::optional<RVSensorData> sample = readSensor(segment, label)) {
                m_samples.push_back(*sample);
                known = m_thinkware = true;
            }
        } else if (isSentence(segment)) {
            if (segment.front() != '$' || endedByNul)
                m_thinkware = true;
            m_sentence.clear();
            if (segment.front() != '$')
                m_sentence.push_back('$');
            m_sentence.append(segment.data(), segment.size());
            known |= m_track.addLine(m_sentence);
        }
    }
    return known;
}

RVMetaData RVThinkwareMetaDataReader::CueReader::finish()
{
    RVMetaData data;
    m_track.moveInto(data);
    data.gSensorData = std::move(m_samples);
    return data;
}

std::optional<RVMetaData>
RVThinkwareMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVThinkwareMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                           RVDecline& why) const
{
    return RVInVideoReading::read(videoPath, why, &readMetaData);
}

std::optional<RVMetaData> RVThinkwareMetaDataReader::readMetaData(QIODevice& device,
                                                                  qint64 fileSize, RVDecline* why)
{
    RVDecline ignored;
    RVDecline& decline = why ? *why : ignored;
    decline = {RVDecline::Kind::NotMine, {}};
    const std::optional<RVSampleTable::Movie> movie = RVSampleTable::readMovie(device, fileSize);
    if (!movie)
        return std::nullopt;
    for (std::size_t index = 0; index < movie->tracks.size(); ++index) {
        const RVTimedTrack& track = movie->tracks[index];
        if (!track.handlerIs("text") && !track.handlerIs("sbtl") && !track.codecIs("tx3g"))
            continue;
        CueReader reader;
        bool known = false;
        for (const RVTrackSample& sample : track.samples) {
            const QByteArray bytes = RVSampleTable::readSample(device, sample);
            const std::string_view text = RVSampleTable::subtitleText(
                std::string_view(bytes.constData(), std::size_t(bytes.size())));
            // The first cues of a recording carry the G-sensor line alone.
            known |= reader.addCue(text);
        }
        if (!reader.isThinkware())
            continue;
        if (known)
            return reader.finish();
        decline = {RVDecline::Kind::NoFixYet,
                   QStringLiteral("timed track %1: Thinkware cues without a fix or a G-sensor "
                                  "reading")
                       .arg(index + 1)};
    }
    return std::nullopt;
}
