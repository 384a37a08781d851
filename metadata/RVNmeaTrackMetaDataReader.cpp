// NMEA sentences in a subtitle track, from cameras whose track carries nothing of its own.
//
// The data lives in a timed text track of the video (handler "text" or "sbtl", or sample
// format "tx3g"): each cue is a u16 big-endian length and that much text (or the bare text),
// holding one or more whole sentences ("$GPRMC,...*cc", "$GNGGA,...") separated by CR, LF,
// NUL or ';'. The sentences are read by the NMEA rules every NMEA-based reader follows: RMC
// gives the fix (time UTC, knots read as km/h), GGA the altitude in metres. Every other line
// is skipped. Thinkware's tracks, with their G-sensor and car lines, are read by their own
// reader, asked before this one; this reader takes the first subtitle track with a sentence.
//
// Two cameras scramble their cues; ExifTool's notes give the keys:
// - Roadhawk: every character but the last four ("*", the checksum in the clear, "~") stands
//   for a letter of the table below at its code less 43. The clear text is the G-sensor,
//   "X<x>Y<y>Z<z>G<total>" in g with gravity, then an RMC sentence without its checksum:
//   "X0000.2340Y-000.0720Z0000.9900G0001.0400$GPRMC,082138,A,5330.6683,N,...". The checksum
//   of the one published cue matches the sentence it decodes to.
// - E-PRANCE B47FS: a NUL, the text with every byte moved by one constant, a line feed. The
//   fourth character from the end is the "*" before the checksum, which gives the constant;
//   the text holds the G-sensor's readings (not read) and an RMC sentence.

#include "metadata/RVNmeaTrackMetaDataReader.h"

#include "core/RVNumber.h"
#include "metadata/RVInVideoReading.h"
#include "metadata/RVMetaPath.h"
#include "metadata/RVNmeaTrackBuilder.h"
#include "metadata/RVSampleTable.h"

#include <QFile>

#include <cmath>
#include <string>
#include <vector>

namespace {

bool isSeparator(char c)
{
    return c == ';' || c == '\0' || c == '\r' || c == '\n';
}

constexpr std::string_view kRoadhawkTable = "-I8XQWRVNZOYPUTA0B1C2SJ9K.L,M$D3E4F5G6H7";

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// Roadhawk's clear text, when the cue ends (before its line end) with "*", the checksum and "~".
std::string roadhawkText(std::string_view cue)
{
    while (!cue.empty() && (cue.back() == '\0' || cue.back() == '\r' || cue.back() == '\n'))
        cue.remove_suffix(1);
    const std::size_t n = cue.size();
    if (n <= 4 || cue[n - 4] != '*' || !isHexDigit(cue[n - 3]) || !isHexDigit(cue[n - 2]) ||
        cue[n - 1] != '~')
        return {};
    std::string text;
    for (const char c : cue.substr(0, n - 4)) {
        const int at = int(static_cast<unsigned char>(c)) - 43;
        text += at >= 0 && at < int(kRoadhawkTable.size()) ? kRoadhawkTable[std::size_t(at)] : c;
    }
    return text + std::string(cue.substr(n - 4, 3)); // the checksum, in the clear
}

// E-PRANCE's clear text, when the cue is a NUL, the moved text and a line feed.
std::string epranceText(std::string_view cue)
{
    const std::size_t n = cue.size();
    if (n <= 5 || cue.front() != '\0' || cue.back() != '\n')
        return {};
    const int shift = '*' - int(static_cast<unsigned char>(cue[n - 4]));
    std::string text;
    for (const char c : cue.substr(1, n - 2))
        text += char((int(static_cast<unsigned char>(c)) + shift) & 0xFF);
    return text;
}

// The clear text of a scrambled cue holding an RMC sentence; empty for any other cue.
std::string unscrambled(std::string_view cue)
{
    std::string text = roadhawkText(cue);
    if (text.empty())
        text = epranceText(cue);
    return text.find("RMC,") == std::string::npos ? std::string() : text;
}

// Roadhawk's G-sensor before the sentence: "X<x>Y<y>Z<z>G<total>", in g.
std::optional<RVSensorData> roadhawkSensor(std::string_view text, RVSensorLabel label)
{
    if (!text.starts_with('X'))
        return std::nullopt;
    double g[3];
    std::size_t at = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t next = text.find("YZG"[i], at + 1);
        const std::string_view field = next == std::string_view::npos
                                           ? std::string_view()
                                           : text.substr(at + 1, next - at - 1);
        if (field.find_first_of("0123456789") == std::string_view::npos)
            return std::nullopt;
        g[i] = RVNumber::leadingValue(field);
        at = next;
    }
    return RVSensorData(g[0], g[1], g[2], std::sqrt(g[0] * g[0] + g[1] * g[1] + g[2] * g[2]),
                        label);
}

// Feeds the cue's sentences to the track, and a scrambled cue's G-sensor to the samples; true
// when one of the sentences was an RMC or GGA.
bool addCue(std::string_view cue, RVNmeaTrackBuilder& track, std::vector<RVSensorData>& samples)
{
    const std::string clear = unscrambled(cue);
    if (!clear.empty()) {
        const std::size_t sentence = clear.find('$');
        const bool known = sentence != std::string::npos &&
                           track.addLine(std::string_view(clear).substr(sentence));
        const RVSensorLabel label = track.isEmpty()
                                        ? RVSensorLabel::number(0)
                                        : RVSensorLabel::instant(track.lastPoint().time());
        if (const auto sample = roadhawkSensor(std::string_view(clear).substr(0, sentence), label))
            samples.push_back(*sample);
        return known;
    }

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
        std::vector<RVSensorData> samples;
        bool known = false;
        for (const RVTrackSample& sample : track.samples) {
            const QByteArray bytes = RVSampleTable::readSample(device, sample);
            known |= addCue(RVSampleTable::subtitleText(
                                std::string_view(bytes.constData(), std::size_t(bytes.size()))),
                            builder, samples);
        }
        if (known) {
            RVMetaData data;
            builder.moveInto(data);
            data.gSensorData = std::move(samples);
            return data;
        }
    }
    return std::nullopt;
}
