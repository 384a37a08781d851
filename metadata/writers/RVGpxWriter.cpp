#include "metadata/writers/RVGpxWriter.h"

#include "core/RVFixedSix.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/writers/RVExportPosition.h"
#include "metadata/writers/RVExportSink.h"
#include "metadata/writers/RVXmlText.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

constexpr std::string_view kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\n"
    "\n"
    "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" "
    "xmlns:gpxx=\"http://www.garmin.com/xmlschemas/GpxExtensions/v3\" "
    "xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v1\" "
    "creator=\"Korvela Player\" version=\"1.1\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
    "http://www.topografix.com/GPX/1/1/gpx.xsd "
    "http://www.garmin.com/xmlschemas/GpxExtensions/v3 "
    "http://www.garmin.com/xmlschemas/GpxExtensionsv3.xsd "
    "http://www.garmin.com/xmlschemas/TrackPointExtension/v1 "
    "http://www.garmin.com/xmlschemas/TrackPointExtensionv1.xsd\">\n"
    "    <metadata>\n"
    "        <link href=\"https://www.korvela.invalid/\">\n"
    "            <text>KorvelaPlayer</text>\n"
    "        </link>\n";
constexpr std::string_view kAfterLink = "    </metadata>\n"
                                        "    <trk>\n"
                                        "        <name>";
constexpr std::string_view kAfterName = "</name>\n"
                                        "        <trkseg>\n";
constexpr std::string_view kTail = "        </trkseg>\n"
                                   "    </trk>\n"
                                   "</gpx>";

// The speed element wants metres per second; the factor is the one the files have always
// carried (slightly below 1/3.6).
constexpr double kKmhToMetresPerSecond = 0.27777;

// Proleptic Gregorian date of a day count since 1970-01-01 (H. Hinnant's civil_from_days).
void civilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = unsigned(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = std::int64_t(yearOfEra) + era * 400 + (month <= 2);
}

char* twoDigits(char* out, unsigned value)
{
    out[0] = char('0' + value / 10);
    out[1] = char('0' + value % 10);
    return out + 2;
}

char* put(char* out, std::string_view text)
{
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

// Track points are written into this buffer and handed to the sink a batch at a time, one
// call per 64 KiB rather than two per point. A row has room for the largest element: every
// number is at most 309 digits before the point, so one never needs more than ~330 bytes.
class RowBatch final
{
public:
    static constexpr std::size_t kRowBytes = 1536;

    explicit RowBatch(RVExportSink& sink) : m_sink(sink) {}

    // Where the next row goes; it may use kRowBytes from there.
    char* row()
    {
        if (sizeof m_bytes - m_used < kRowBytes)
            flush();
        return m_bytes + m_used;
    }
    void commit(const char* rowEnd) { m_used = std::size_t(rowEnd - m_bytes); }
    void flush()
    {
        m_sink.append(std::string_view(m_bytes, m_used));
        m_used = 0;
    }

private:
    RVExportSink& m_sink;
    char m_bytes[64 * 1024];
    std::size_t m_used = 0;
};

} // namespace

std::size_t RVGpxWriter::formatUtcSeconds(std::int64_t seconds, char* out)
{
    constexpr std::int64_t kDay = 86400;
    std::int64_t days = seconds / kDay;
    std::int64_t rest = seconds % kDay;
    if (rest < 0) {
        rest += kDay;
        --days;
    }
    std::int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    civilFromDays(days, year, month, day);
    char* p = out;
    // At least four digits for the year, as the date pattern "yyyy" gives.
    if (year >= 0 && year < 10000) {
        p = twoDigits(p, unsigned(year / 100));
        p = twoDigits(p, unsigned(year % 100));
    } else {
        p = std::to_chars(p, out + 24, year).ptr;
    }
    *p++ = '-';
    p = twoDigits(p, month);
    *p++ = '-';
    p = twoDigits(p, day);
    *p++ = 'T';
    p = twoDigits(p, unsigned(rest / 3600));
    *p++ = ':';
    p = twoDigits(p, unsigned(rest / 60 % 60));
    *p++ = ':';
    p = twoDigits(p, unsigned(rest % 60));
    *p++ = 'Z';
    return std::size_t(p - out);
}

void RVGpxWriter::write(RVExportSink& sink, const RVGpxTrack& track)
{
    const std::size_t count = track.points.size();
    sink.reserve(qsizetype(kHead.size() + 512 + count * 190));

    char timeText[40];
    sink.append(kHead);
    if (track.created.isValid()) {
        const std::int64_t ms = track.created.msecsSinceEpoch();
        const std::int64_t seconds = ms / 1000 - (ms % 1000 < 0 ? 1 : 0);
        sink.append("        <time>");
        sink.append(std::string_view(timeText, formatUtcSeconds(seconds, timeText)));
        sink.append("</time>\n");
    }
    sink.append(kAfterLink);
    const QByteArray utf8Name = track.name.toUtf8();
    RVXmlText::append(sink, std::string_view(utf8Name.constData(), std::size_t(utf8Name.size())));
    sink.append(kAfterName);

    const double createdMs = double(track.created.msecsSinceEpoch());
    const std::size_t speedCount = track.speeds.size();
    const float countFloat = float(count);
    RowBatch batch(sink);
    std::int64_t lastSecond = 0;
    std::string_view lastTime;
    for (std::size_t i = 0; i < count; ++i) {
        const RVPoint& point = track.points[i];
        if (RVGpsProcessor::isZeroPoint(point))
            continue;
        const std::string_view latitude = point.latitudeText();
        const std::string_view longitude = point.longitudeText();
        if (!RVExportPosition::hasPlainCoordinates(point)) {
            if (!RVExportPosition::hasFiniteCoordinates(point))
                continue;
            // A damaged coordinate text: the slow path that escapes it.
            batch.flush();
            sink.append("            <trkpt lat=\"");
            RVXmlText::append(sink, latitude);
            sink.append("\" lon=\"");
            RVXmlText::append(sink, longitude);
            sink.append("\">\n");
        } else {
            char* p = put(batch.row(), "            <trkpt lat=\"");
            p = put(p, latitude);
            p = put(p, "\" lon=\"");
            p = put(p, longitude);
            p = put(p, "\">\n");
            batch.commit(p);
        }

        char* const row = batch.row();
        char* const rowEnd = row + RowBatch::kRowBytes;
        char* p = row;
        if (std::isfinite(point.altitude())) {
            p = put(p, "                <ele>");
            p = RVFixedSix::write(p, rowEnd, point.altitude());
            p = put(p, "</ele>\n");
        }
        const bool ownTime = track.times.size() == count;
        if (ownTime || track.created.isValid()) {
            // i * D / N in single precision, as the track's times have always been spread;
            // the sum is taken in double, to the nearest millisecond.
            const float offset = float(i) * track.durationSeconds / countFloat;
            const double whenMs =
                ownTime ? double(track.times[i]) : std::round(createdMs + double(offset) * 1000.0);
            if (std::isfinite(whenMs) && std::fabs(whenMs) < 1e15) {
                const auto ms = std::int64_t(whenMs);
                const std::int64_t second = ms / 1000 - (ms % 1000 < 0 ? 1 : 0);
                const auto millis = unsigned(ms - second * 1000);
                // Points come several to a second: the text of the last second is kept.
                if (second != lastSecond || lastTime.empty()) {
                    lastSecond = second;
                    // Without its "Z", which follows the milliseconds.
                    lastTime = std::string_view(timeText, formatUtcSeconds(second, timeText) - 1);
                }
                p = put(p, "                <time>");
                p = put(p, lastTime);
                if (millis != 0) {
                    *p++ = '.';
                    *p++ = char('0' + millis / 100);
                    p = twoDigits(p, millis % 100);
                }
                p = put(p, "Z</time>\n");
            }
        }
        if (speedCount > 0) {
            // Computed in double: with one speed per point, 22 * (15 / 22) is just below 15,
            // so point 15 of 22 shows speed 14. Clamped against rounding up to the end.
            // A track with its own times pairs each point with its own speed.
            auto j = track.times.size() == count && speedCount == count
                         ? i
                         : std::size_t(double(speedCount) * (double(i) / double(count)));
            if (j >= speedCount)
                j = speedCount - 1;
            const double speed = track.speeds[j] * kKmhToMetresPerSecond;
            if (std::isfinite(speed)) {
                p = put(p, "                <speed>");
                p = RVFixedSix::write(p, rowEnd, speed);
                p = put(p, "</speed>\n");
            }
        }
        if (std::isfinite(point.azimut())) {
            p = put(p, "                <course>");
            p = RVFixedSix::write(p, rowEnd, point.azimut());
            p = put(p, "</course>\n");
        }
        p = put(p, "            </trkpt>\n");
        batch.commit(p);
    }
    batch.flush();
    sink.append(kTail);
}
