#include "ExportTestSupport.h"
#include "export/RVExportFileUtil.h"
#include "export/RVExportSink.h"
#include "export/RVKmlWriter.h"

#include <QTemporaryDir>
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
}

TEST(KmlWriter, EmptyTrackKeepsTheTemplate)
{
    EXPECT_EQ(kml(QStringLiteral("A"), {}), expectedDocument("A", ""));
    EXPECT_EQ(kml(QStringLiteral("A"), {point("0.000000", "0.000000"), point("0.000009", "0")}),
              expectedDocument("A", ""));
    // 0.00001 is not below the bound: a real point.
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

TEST(KmlWriter, GpsBabelReadsTheWrittenFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::vector<RVPoint> points = drive(500, 7);
    const QString path = dir.filePath(QStringLiteral("Trip & <more>.kml"));
    const RVWriteResult result =
        RVExportFileUtil::write(path, RVExportSink::Encoding::Utf8, [&](RVExportSink& sink) {
            RVKmlWriter::write(sink, QStringLiteral("Trip & <more>"), points);
        });
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    // UTF-8 without a byte-order mark, as the declaration says.
    EXPECT_TRUE(readFile(path).startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"));

    QString error;
    const std::vector<BabelPoint> read = readWithGpsBabel(QStringLiteral("kml"), path, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    std::vector<const RVPoint*> kept;
    for (const RVPoint& p : points) {
        if (p.latitudeValue() != 0)
            kept.push_back(&p);
    }
    ASSERT_EQ(read.size(), kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        EXPECT_NEAR(read[i].latitude, kept[i]->latitudeValue(), 1e-6) << i;
        EXPECT_NEAR(read[i].longitude, kept[i]->longitudeValue(), 1e-6) << i;
    }
}
