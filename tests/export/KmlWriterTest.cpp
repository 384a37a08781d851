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
    const QByteArray trip = golden("trip.kml");
    ASSERT_FALSE(trip.isEmpty());
    // Coordinates are copied as stored, longitude first, altitude always 0.
    EXPECT_EQ(kml("2015_0301_090500.MOV",
                  {point("55.75", "37.61", 0, 0, 145.3), point("0.000000", "-0.000005"),
                   point("55.76", "37.62", 0, 0, 146)}),
              trip);
    // Points within 0.00001 of zero count as no fix; a leading or trailing one leaves no stray
    // separator, and the template stays whole without any.
    const struct
    {
        std::vector<RVPoint> points;
        const char* coordinates;
    } cases[] = {
        {{point("0", "0"), point("-55.752060", "-37.609463"), point("", "letters")},
         "-37.609463,-55.752060,0"},
        {{}, ""},
        {{point("0.000000", "0.000000"), point("0.000009", "0")}, ""},
        {{point("0.000010", "0.000000")}, "0.000000,0.000010,0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kml("T", c.points), QByteArray(trip)
                                          .replace("2015_0301_090500.MOV", "T")
                                          .replace("37.61,55.75,0 37.62,55.76,0", c.coordinates))
            << c.coordinates;
    }
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
    const QByteArray broken = kml("x", {point("55\xff\xc3", "37.1")});
    EXPECT_TRUE(broken.contains("37.1,55\xEF\xBF\xBD\xEF\xBF\xBD,0"));
    EXPECT_TRUE(isWellFormed(broken));
}
