#include "ExportTestSupport.h"
#include "export/RVExportSink.h"
#include "export/RVGpxWriter.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>

#include <limits>

#include <gtest/gtest.h>

using namespace ExportTestSupport;

namespace {

// 2015-03-01 09:05:00 UTC
constexpr qint64 kCreated = 1425200700000;

QByteArray gpx(const RVGpxTrack& track)
{
    RVExportSink sink;
    RVGpxWriter::write(sink, track);
    return sink.takeText();
}

QByteArray head(const char* time, const char* name)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\n"
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
                      "        </link>\n") +
           (*time ? QByteArray("        <time>") + time + "</time>\n" : QByteArray()) +
           "    </metadata>\n"
           "    <trk>\n"
           "        <name>" +
           name +
           "</name>\n"
           "        <trkseg>\n";
}

constexpr const char* kTail = "        </trkseg>\n"
                              "    </trk>\n"
                              "</gpx>";

// An empty time, ele, speed or course leaves its element out.
QByteArray trkpt(const char* lat, const char* lon, const char* time, const char* speed,
                 const char* course, const char* ele = "0.000000")
{
    const auto element = [](const char* name, const char* value) {
        return *value ? QByteArray("                <") + name + ">" + value + "</" + name + ">\n"
                      : QByteArray();
    };
    return QByteArray("            <trkpt lat=\"") + lat + "\" lon=\"" + lon + "\">\n" +
           element("ele", ele) + element("time", time) + element("speed", speed) +
           element("course", course) + "            </trkpt>\n";
}

// The <speed> values of a document, in order.
QStringList speeds(const QByteArray& document)
{
    QStringList out;
    static const QRegularExpression speed(QStringLiteral("<speed>([^<]*)</speed>"));
    auto it = speed.globalMatch(QString::fromUtf8(document));
    while (it.hasNext())
        out << it.next().captured(1);
    return out;
}

} // namespace

TEST(GpxWriter, ExactDocumentSpreadsTimesEvenlyAndSkipsZeroPoints)
{
    // 100 s, 4 points: 0, 25, 50 and 75 s after the start, whether or not a point is skipped.
    const std::vector<RVPoint> points = {
        point("55.75", "37.61", 0, 45.5), point("0.000000", "0.000000"),
        point("55.76", "37.62", 0, 90), point("-55.752060", "-37.609463", 0, 359.9999996)};
    const std::vector<double> speedSeries = {36, 0, 10, 100};
    const QByteArray document =
        gpx({QStringLiteral("Trip 1"), RVTimestamp::fromMSecsSinceEpoch(kCreated + 999), 100.0f,
             points, speedSeries});
    EXPECT_EQ(document,
              head("2015-03-01T09:05:00Z", "Trip 1") +
                  trkpt("55.75", "37.61", "2015-03-01T09:05:00.999Z", "9.999720", "45.500000") +
                  trkpt("55.76", "37.62", "2015-03-01T09:05:50.999Z", "2.777700", "90.000000") +
                  trkpt("-55.752060", "-37.609463", "2015-03-01T09:06:15.999Z", "27.777000",
                        "360.000000") +
                  kTail);
}

TEST(GpxWriter, SpeedEntryFollowsThePositionInTheSeries)
{
    // Four points, two speeds: points 0 and 1 take entry 0, points 2 and 3 entry 1.
    const std::vector<RVPoint> four = drive(4);
    const std::vector<double> two = {36, 72};
    EXPECT_EQ(speeds(gpx({QStringLiteral("x"), RVTimestamp::fromMSecsSinceEpoch(kCreated), 4.0f,
                          four, two})),
              QStringList({"9.999720", "9.999720", "19.999440", "19.999440"}));

    // One speed per point: 22 * (15 / 22) is just below 15 in double, so point 15 shows
    // entry 14; every other point shows its own entry.
    const std::vector<RVPoint> points = drive(22);
    std::vector<double> own(22);
    for (int i = 0; i < 22; ++i)
        own[std::size_t(i)] = 3.6 * (i + 1);
    const QStringList written = speeds(
        gpx({QStringLiteral("x"), RVTimestamp::fromMSecsSinceEpoch(kCreated), 22.0f, points, own}));
    ASSERT_EQ(written.size(), 22);
    for (int i = 0; i < 22; ++i) {
        const int entry = i == 15 ? 14 : i;
        char expected[32];
        std::snprintf(expected, sizeof expected, "%f", 3.6 * (entry + 1) * 0.27777);
        EXPECT_EQ(written[i], QString::fromLatin1(expected)) << i;
    }

    // No speed series at all: the element is left out rather than made up.
    const QByteArray without =
        gpx({QStringLiteral("x"), RVTimestamp::fromMSecsSinceEpoch(kCreated), 4.0f, four, {}});
    EXPECT_FALSE(without.contains("<speed>"));
    EXPECT_EQ(without.count("<trkpt "), 4);
}

TEST(GpxWriter, EmptyBlocksAndMissingStartTime)
{
    const std::vector<RVPoint> zeros = {point("0", "0"), point("0.000000", "0.000000")};
    EXPECT_EQ(gpx({QStringLiteral("A"), RVTimestamp::fromMSecsSinceEpoch(kCreated), 10.0f, zeros,
                   std::vector<double>{1, 2}}),
              head("2015-03-01T09:05:00Z", "A") + kTail);
    EXPECT_EQ(gpx({QStringLiteral("A"), RVTimestamp::fromMSecsSinceEpoch(kCreated), 0.0f, {}, {}}),
              head("2015-03-01T09:05:00Z", "A") + kTail);

    // Without a start time there are no time elements at all (an empty one is no valid GPX).
    const std::vector<RVPoint> one = {point("1.5", "2.5", 0, 10)};
    EXPECT_EQ(gpx({QStringLiteral("A&B"), RVTimestamp(), 10.0f, one, std::vector<double>{3.6}}),
              head("", "A&amp;B") + trkpt("1.5", "2.5", "", "0.999972", "10.000000") + kTail);
}

TEST(GpxWriter, MillisecondsElevationAndUnknownValues)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // 10 Hz: four points in 0.4 s. The third has no altitude, a speed that overflowed and no
    // course; "1e400" is no usable latitude and its point is left out.
    const std::vector<RVPoint> points = {
        point("55.1", "37.1", 0, 1, 212.5), point("55.2", "37.2", 0, 2, -3.25),
        point("55.3", "37.3", 0, nan, nan), point("1e400", "37.4", 0, 4, 1)};
    const std::vector<double> speeds = {3.6, 7.2, inf, 3.6};
    const QByteArray document = gpx(
        {QStringLiteral("T"), RVTimestamp::fromMSecsSinceEpoch(kCreated), 0.4f, points, speeds});
    EXPECT_EQ(
        document,
        head("2015-03-01T09:05:00Z", "T") +
            trkpt("55.1", "37.1", "2015-03-01T09:05:00Z", "0.999972", "1.000000", "212.500000") +
            trkpt("55.2", "37.2", "2015-03-01T09:05:00.100Z", "1.999944", "2.000000", "-3.250000") +
            trkpt("55.3", "37.3", "2015-03-01T09:05:00.200Z", "", "", "") + kTail);
    EXPECT_FALSE(document.contains("nan") || document.contains("inf"));

    // A length that could not be measured: no times, the points are still there.
    const QByteArray unmeasured =
        gpx({QStringLiteral("T"), RVTimestamp::fromMSecsSinceEpoch(kCreated), float(nan), points,
             speeds});
    EXPECT_EQ(unmeasured.count("<time>"), 1); // the document's own
    EXPECT_EQ(unmeasured.count("<trkpt "), 3);

    // GPSBabel reads the milliseconds and the elevation back.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("t.gpx"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(document) == document.size());
    file.close();
    QProcess babel;
    babel.start(QStringLiteral("gpsbabel"),
                {"-t", "-i", "gpx", "-f", path, "-o", "unicsv,utc=0", "-F", "-"});
    ASSERT_TRUE(babel.waitForFinished(60000));
    const QByteArray read = babel.readAllStandardOutput();
    EXPECT_TRUE(read.contains("55.200000,37.200000,-3.3") && read.contains("09:05:00.100"))
        << read.constData() << babel.readAllStandardError().constData();
}

TEST(GpxWriter, UtcTimeFormatMatchesTheCalendar)
{
    char text[40];
    const QDateTime base(QDate(1970, 1, 1), QTime(0, 0), QTimeZone::utc());
    // Every day boundary of a few centuries, and times before 1970.
    for (qint64 seconds = -2208988800LL; seconds < 4102444800LL; seconds += 86399 * 37) {
        const std::size_t length = RVGpxWriter::formatUtcSeconds(seconds, text);
        const QString expected =
            base.addSecs(seconds).toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
        ASSERT_EQ(QString::fromLatin1(text, qsizetype(length)), expected) << seconds;
    }
}
