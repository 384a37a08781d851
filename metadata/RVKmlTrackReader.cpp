// KML 2.2 and 2.3: XML, root element <kml>. Timed positions come in two shapes:
//   <Placemark><TimeStamp><when>2024-05-01T10:15:30Z</when></TimeStamp>
//              <Point><coordinates>13.4050,52.5200,34</coordinates></Point></Placemark>
//       one point; coordinates are "longitude,latitude[,altitude]" (degrees, metres)
//   <gx:Track> (KML 2.3: <Track>) with a <when> per point followed or interleaved by as many
//       <gx:coord>13.4050 52.5200 34</gx:coord>: "longitude latitude altitude" separated by
//       blanks; the i-th when belongs to the i-th coord. <gx:MultiTrack> holds several.
// A <LineString> lists positions without times; they are counted, not kept, since nothing
// says when the car was at them. Elements are matched by local name, whatever the prefix.
#include "metadata/RVKmlTrackReader.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// "lon,lat[,alt]" (a Point) or "lon lat alt" (a Track's coord) as a fix without time.
bool parseTuple(QStringView text, QChar separator, RVTrackFix& fix)
{
    const QList<QStringView> parts = text.trimmed().split(separator, Qt::SkipEmptyParts);
    if (parts.size() < 2)
        return false;
    bool lonOk = false;
    bool latOk = false;
    fix.longitude = parts[0].trimmed().toDouble(&lonOk);
    fix.latitude = parts[1].trimmed().toDouble(&latOk);
    if (parts.size() >= 3) {
        bool altOk = false;
        const double altitude = parts[2].trimmed().toDouble(&altOk);
        fix.altitude = altOk && std::isfinite(altitude) ? altitude : RVTrackFix::kUnknown;
    }
    return lonOk && latOk;
}

// Tuples of a <coordinates> text: separated by blanks, each "lon,lat[,alt]".
int countTuples(QStringView text)
{
    return int(text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts).size());
}

class KmlScan final
{
public:
    explicit KmlScan(const QByteArray& bytes) : m_xml(bytes) {}

    void run(RVTrackFileReading& reading)
    {
        while (!m_xml.atEnd()) {
            const QXmlStreamReader::TokenType token = m_xml.readNext();
            if (token == QXmlStreamReader::StartElement)
                start(reading);
            else if (token == QXmlStreamReader::EndElement)
                end(reading);
        }
    }

    const QXmlStreamReader& xml() const { return m_xml; }

private:
    void start(RVTrackFileReading& reading)
    {
        const QStringView name = m_xml.name();
        if (name == u"Placemark") {
            m_inPlacemark = true;
            m_placemarkTime = {};
            m_placemarkPoints.clear();
        } else if (name == u"Track") {
            m_inTrack = true;
            m_trackTimes.clear();
            m_trackFixes.clear();
        } else if (name == u"Point") {
            m_inPoint = true;
        } else if (name == u"LineString" || name == u"LinearRing") {
            m_inLine = true;
        } else if (name == u"when") {
            const RVTimestamp time = RVTrackFiles::parseIsoTime(m_xml.readElementText());
            if (m_inTrack)
                m_trackTimes.push_back(time);
            else if (m_inPlacemark)
                m_placemarkTime = time;
        } else if (name == u"coord" && m_inTrack) {
            RVTrackFix fix;
            const bool ok = parseTuple(m_xml.readElementText(), u' ', fix);
            m_trackFixes.push_back(ok ? std::optional(fix) : std::nullopt);
        } else if (name == u"coordinates") {
            const QString text = m_xml.readElementText();
            if (m_inPoint) {
                RVTrackFix fix;
                if (parseTuple(text, u',', fix))
                    m_placemarkPoints.push_back(fix);
            } else if (m_inLine) {
                reading.untimedPoints += countTuples(text);
            }
        }
    }

    void end(RVTrackFileReading& reading)
    {
        const QStringView name = m_xml.name();
        if (name == u"Track" && m_inTrack) {
            m_inTrack = false;
            const std::size_t paired = std::min(m_trackTimes.size(), m_trackFixes.size());
            for (std::size_t i = 0; i < paired; ++i) {
                if (!m_trackFixes[i])
                    continue;
                if (!m_trackTimes[i].isValid()) {
                    ++reading.untimedPoints;
                    continue;
                }
                RVTrackFix fix = *m_trackFixes[i];
                fix.time = m_trackTimes[i];
                reading.fixes.push_back(fix);
            }
            reading.untimedPoints += int(m_trackFixes.size() - paired);
        } else if (name == u"Point") {
            m_inPoint = false;
        } else if (name == u"LineString" || name == u"LinearRing") {
            m_inLine = false;
        } else if (name == u"Placemark") {
            m_inPlacemark = false;
            for (RVTrackFix fix : m_placemarkPoints) {
                if (!m_placemarkTime.isValid()) {
                    ++reading.untimedPoints;
                    continue;
                }
                fix.time = m_placemarkTime;
                reading.fixes.push_back(fix);
            }
            m_placemarkPoints.clear();
        }
    }

    QXmlStreamReader m_xml;
    bool m_inPlacemark = false;
    bool m_inTrack = false;
    bool m_inPoint = false;
    bool m_inLine = false;
    RVTimestamp m_placemarkTime; // the placemark's <TimeStamp>
    std::vector<RVTrackFix> m_placemarkPoints;
    std::vector<RVTimestamp> m_trackTimes;
    std::vector<std::optional<RVTrackFix>> m_trackFixes;
};

} // namespace

bool RVKmlTrackReader::recognises(const QByteArray& bytes) const
{
    return RVTrackFiles::xmlRootElement(bytes) == u"kml";
}

RVTrackFileReading RVKmlTrackReader::readTrack(const QByteArray& bytes) const
{
    RVTrackFileReading reading;
    reading.format = formatName();
    KmlScan scan(bytes);
    scan.run(reading);
    const QXmlStreamReader& xml = scan.xml();
    // As with GPX, what a cut-off document held before the break is kept.
    if (xml.hasError() && reading.fixes.empty() && reading.untimedPoints == 0) {
        reading.error = RVTrackFileError::Malformed;
        reading.detail = QStringLiteral("line %1, column %2: %3")
                             .arg(xml.lineNumber())
                             .arg(xml.columnNumber())
                             .arg(xml.errorString());
    }
    return reading;
}
