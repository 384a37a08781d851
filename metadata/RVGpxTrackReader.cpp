// GPX (GPS Exchange Format), versions 1.0 and 1.1: XML, root element <gpx>.
//   <trk><trkseg><trkpt lat="42.530485" lon="-88.121721">   decimal degrees, WGS 84
//       <ele>209.8</ele>                                    metres
//       <time>2004-08-07T03:29:08.379Z</time>               ISO 8601, UTC
//       <course>138.92</course> <speed>0.083</speed>        GPX 1.0: degrees, m/s
//       <extensions><gpxtpx:TrackPointExtension>
//           <gpxtpx:speed>..</gpxtpx:speed>                 Garmin's extension (1.1): m/s
//           <gpxtpx:course>..</gpxtpx:course>               degrees
// Routes (<rte><rtept>) and waypoints (<wpt>) carry the same children; a phone's waypoints
// may have times too, so every kind of point is read. Elements are matched by local name,
// whatever namespace prefix a writer chose.
#include "metadata/RVGpxTrackReader.h"

#include <QXmlStreamReader>

#include <cmath>

namespace {

constexpr double kKmhPerMs = 3.6;

bool isPointElement(QStringView name)
{
    return name == u"trkpt" || name == u"rtept" || name == u"wpt";
}

// A number of the document, NaN when it holds none.
double numberOf(QStringView text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value) ? value : RVTrackFix::kUnknown;
}

struct PendingPoint
{
    RVTrackFix fix;
    bool hasTime = false;
};

// Reads the children of a point element up to its end tag.
void readPointChildren(QXmlStreamReader& xml, PendingPoint& point)
{
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        if (name == u"ele" || name == u"time" || name == u"speed" || name == u"course") {
            const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            if (name == u"ele") {
                point.fix.altitude = numberOf(text);
            } else if (name == u"time") {
                point.fix.time = RVTrackFiles::parseIsoTime(text);
                point.hasTime = point.fix.time.isValid();
            } else if (name == u"speed") {
                const double ms = numberOf(text);
                if (ms >= 0)
                    point.fix.speedKmh = ms * kKmhPerMs;
            } else {
                point.fix.courseDegrees = numberOf(text);
            }
            continue; // readElementText consumed the end tag
        }
        ++depth;
    }
}

} // namespace

bool RVGpxTrackReader::recognises(const QByteArray& bytes) const
{
    return RVTrackFiles::xmlRootElement(bytes) == u"gpx";
}

RVTrackFileReading RVGpxTrackReader::readTrack(const QByteArray& bytes) const
{
    RVTrackFileReading reading;
    reading.format = formatName();
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || !isPointElement(xml.name()))
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        PendingPoint point;
        point.fix.latitude = numberOf(attributes.value(QLatin1String("lat")));
        point.fix.longitude = numberOf(attributes.value(QLatin1String("lon")));
        readPointChildren(xml, point);
        if (xml.hasError())
            break; // a point cut off by the error is not kept
        if (point.hasTime)
            reading.fixes.push_back(point.fix);
        else
            ++reading.untimedPoints;
    }
    // A logger that died mid-write leaves a document without its end: what it wrote up to
    // there is kept. Only a document broken before its first point is an error.
    if (xml.hasError() && reading.fixes.empty() && reading.untimedPoints == 0) {
        reading.error = RVTrackFileError::Malformed;
        reading.detail = QStringLiteral("line %1, column %2: %3")
                             .arg(xml.lineNumber())
                             .arg(xml.columnNumber())
                             .arg(xml.errorString());
    }
    return reading;
}
