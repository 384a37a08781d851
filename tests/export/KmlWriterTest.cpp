#include "ExportTestSupport.h"
#include "export/RVExportSink.h"
#include "export/RVKmlWriter.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace ExportTestSupport;

namespace {

QByteArray kml(const QString& name, const std::vector<RVPoint>& points)
{
    RVExportSink sink;
    RVKmlWriter::write(sink, name, points);
    return sink.takeText();
}

QByteArray expectedDocument(const char* name, const char* coordinates)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
                      "    <Document>\n"
                      "        <name>") +
           name +
           "</name>\n"
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
           "                <coordinates>" +
           coordinates +
           "\n"
           "                </coordinates>\n"
           "            </LineString>\n"
           "        </Placemark>\n"
           "    </Document>\n"
           "</kml>";
}

bool isWellFormed(const QByteArray& xml)
{
    QXmlStreamReader reader(xml);
    while (!reader.atEnd())
        reader.readNext();
    return !reader.hasError();
}

} // namespace

TEST(KmlWriter, ExactDocumentWithZeroPointsLeftOut)
{
    // Coordinates are copied as stored, longitude first, altitude always 0.
    const std::vector<RVPoint> points = {point("55.75", "37.61", 0, 0, 145.3),
                                         point("0.000000", "-0.000005"),
                                         point("55.76", "37.62", 0, 0, 146)};
    EXPECT_EQ(kml(QStringLiteral("2015_0301_090500.MOV"), points),
              expectedDocument("2015_0301_090500.MOV", "37.61,55.75,0 37.62,55.76,0"));

    // A leading or trailing zero point leaves no stray separator either.
    const std::vector<RVPoint> edges = {point("0", "0"), point("-55.752060", "-37.609463"),
                                        point("", "letters")};
    EXPECT_EQ(kml(QStringLiteral("T"), edges), expectedDocument("T", "-37.609463,-55.752060,0"));

    // Points within 0.00001 of zero count as no fix; the template stays whole without any.
    EXPECT_EQ(kml(QStringLiteral("A"), {}), expectedDocument("A", ""));
    EXPECT_EQ(kml(QStringLiteral("A"), {point("0.000000", "0.000000"), point("0.000009", "0")}),
              expectedDocument("A", ""));
    EXPECT_EQ(kml(QStringLiteral("A"), {point("0.000010", "0.000000")}),
              expectedDocument("A", "0.000000,0.000010,0"));
}

TEST(KmlWriter, NamesAndDamagedTextsCannotBreakTheDocument)
{
    const QByteArray document =
        kml(QStringLiteral("Trip <1> & \"Ост\"\u0001\n"), {point("55.1<", "37&2")});
    EXPECT_TRUE(document.contains(
        "<name>Trip &lt;1&gt; &amp; &quot;\xD0\x9E\xD1\x81\xD1\x82&quot;&#10;</name>"));
    EXPECT_TRUE(document.contains("<coordinates>37&amp;2,55.1&lt;,0\n"));
    EXPECT_TRUE(isWellFormed(document));

    // Bytes that are not UTF-8 in a coordinate text become U+FFFD.
    const QByteArray broken = kml(QStringLiteral("x"), {point("55\xff\xc3", "37.1")});
    EXPECT_TRUE(broken.contains("37.1,55\xEF\xBF\xBD\xEF\xBF\xBD,0"));
    EXPECT_TRUE(isWellFormed(broken));
}
