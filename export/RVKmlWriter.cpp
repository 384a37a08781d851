#include "export/RVKmlWriter.h"

#include "metadata/RVGpsProcessor.h"
#include "metadata/writers/RVExportPosition.h"
#include "metadata/writers/RVExportSink.h"
#include "metadata/writers/RVXmlText.h"

namespace {

constexpr std::string_view kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                   "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
                                   "    <Document>\n"
                                   "        <name>";
constexpr std::string_view kAfterName = "</name>\n"
                                        "        <description></description>\n"
                                        "        <Style id=\"yellowLineGreenPoly\">\n"
                                        "            <LineStyle>\n"
                                        "                <color>7f00ffff</color>\n"
                                        "                <width>4</width>\n"
                                        "            </LineStyle>\n"
                                        "            <PolyStyle>\n"
                                        "                <color>7f00ff00</color>\n"
                                        "            </PolyStyle>\n"
                                        "        </Style>\n"
                                        "        <Placemark>\n"
                                        "            <name>Track</name>\n"
                                        "            <description></description>\n"
                                        "            <styleUrl>#yellowLineGreenPoly</styleUrl>\n"
                                        "            <LineString>\n"
                                        "                <coordinates>";
constexpr std::string_view kTail = "\n"
                                   "                </coordinates>\n"
                                   "            </LineString>\n"
                                   "        </Placemark>\n"
                                   "    </Document>\n"
                                   "</kml>";

// Coordinate texts come from the coordinate converter ("-37.609463"); anything else still
// goes through the XML escaping so that a damaged text cannot break the document.
bool isNumberText(std::string_view text)
{
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+'))
            return false;
    }
    return true;
}

void appendCoordinate(RVExportSink& sink, std::string_view text, bool plain)
{
    if (plain || isNumberText(text))
        sink.append(text);
    else
        RVXmlText::append(sink, text);
}

} // namespace

void RVKmlWriter::write(RVExportSink& sink, const QString& name, std::span<const RVPoint> points)
{
    // About 25 bytes per tuple.
    sink.reserve(
        qsizetype(kHead.size() + kAfterName.size() + kTail.size() + 64 + points.size() * 26));
    sink.append(kHead);
    const QByteArray utf8Name = name.toUtf8();
    RVXmlText::append(sink, std::string_view(utf8Name.constData(), std::size_t(utf8Name.size())));
    sink.append(kAfterName);
    bool first = true;
    for (const RVPoint& point : points) {
        if (RVGpsProcessor::isZeroPoint(point))
            continue;
        const bool plain = RVExportPosition::hasPlainCoordinates(point);
        if (!plain && !RVExportPosition::hasFiniteCoordinates(point))
            continue;
        if (!first)
            sink.append(' ');
        first = false;
        appendCoordinate(sink, point.longitudeText(), plain);
        sink.append(',');
        appendCoordinate(sink, point.latitudeText(), plain);
        sink.append(",0");
    }
    sink.append(kTail);
}
