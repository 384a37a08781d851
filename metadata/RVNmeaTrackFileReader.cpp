// An NMEA 0183 log as receivers, loggers and phone apps write it: one sentence a line (LF or
// CRLF), decoded by the same line scan as the cameras' NMEA logs (RVNmeaTrackBuilder):
//   $--RMC: time, date, position, speed (knots -> km/h), course: one fix each
//   $--GGA: altitude (metres), taken by the following RMC fixes
// Other sentences (GSA, GSV, VTG, ZDA, vendor ones) are skipped. Receivers that lose
// characters join two sentences on one line ("...*1E$GPRMC,..."): each "$" starts a sentence.
// Speeds under 3 km/h read as 0 (the receiver's noise when standing), as for the cameras.
// A GGA-only log has no dates, so its fixes cannot be placed in time and are only counted.
#include "metadata/RVNmeaTrackFileReader.h"

#include "metadata/RVGpsProcessor.h"
#include "metadata/RVNmeaTrackBuilder.h"

#include <cmath>
#include <string_view>

namespace {

// The start of the text searched for sentences when recognising a log (bytes).
constexpr std::size_t kRecogniseBytes = 64 << 10;

// Calls f with every sentence of the text: each line, split before every "$" after its first
// character, less the blanks and carriage return around it.
template <typename F>
void forEachSentence(std::string_view text, F&& f)
{
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find_first_of("\n$", begin + 1);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view sentence = text.substr(begin, end - begin);
        while (!sentence.empty() && (sentence.front() == '\n' || sentence.front() == ' ' ||
                                     sentence.front() == '\t' || sentence.front() == '\r'))
            sentence.remove_prefix(1);
        while (!sentence.empty() &&
               (sentence.back() == '\r' || sentence.back() == ' ' || sentence.back() == '\t'))
            sentence.remove_suffix(1);
        if (!sentence.empty())
            f(sentence);
        begin = end;
    }
}

bool isPositionSentence(std::string_view sentence)
{
    if (sentence.size() < 7 || sentence[0] != '$' || sentence[6] != ',')
        return false;
    const std::string_view type = sentence.substr(3, 3);
    return type == "RMC" || type == "GGA";
}

} // namespace

bool RVNmeaTrackFileReader::recognises(const QByteArray& bytes) const
{
    const std::string_view text(bytes.constData(),
                                std::min<std::size_t>(std::size_t(bytes.size()), kRecogniseBytes));
    bool found = false;
    forEachSentence(text, [&found](std::string_view sentence) {
        found = found || isPositionSentence(sentence);
    });
    return found;
}

RVTrackFileReading RVNmeaTrackFileReader::readTrack(const QByteArray& bytes) const
{
    RVTrackFileReading reading;
    reading.format = formatName();
    const std::string_view text(bytes.constData(), std::size_t(bytes.size()));
    RVNmeaTrackBuilder builder;
    builder.reserveForText(text.size());
    int untimedAltitudes = 0; // GGA lines: each a fix, without a date
    bool sawRmc = false;
    forEachSentence(text, [&](std::string_view sentence) {
        if (!builder.addLine(sentence))
            return;
        if (sentence.size() >= 6 && sentence.substr(3, 3) == "GGA")
            ++untimedAltitudes;
        else
            sawRmc = true;
    });
    RVMetaData track;
    builder.moveInto(track);
    reading.fixes.reserve(track.points.size());
    for (const RVPoint& point : track.points) {
        if (!point.time().isValid() || RVGpsProcessor::isZeroPoint(point)) {
            ++reading.untimedPoints;
            continue;
        }
        RVTrackFix fix;
        fix.time = point.time();
        fix.latitude = point.latitudeValue();
        fix.longitude = point.longitudeValue();
        fix.altitude = point.altitude();
        fix.speedKmh = point.velocity();
        fix.courseDegrees = point.azimut();
        reading.fixes.push_back(fix);
    }
    if (!sawRmc)
        reading.untimedPoints += untimedAltitudes;
    return reading;
}
