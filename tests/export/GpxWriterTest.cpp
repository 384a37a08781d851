#include "ExportTestSupport.h"
#include "export/RVExportSink.h"
#include "export/RVGpxWriter.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTimeZone>

#include <limits>

#include <gtest/gtest.h>

using namespace ExportTestSupport;

namespace {

constexpr qint64 kCreated = 1425200700000; // 2015-03-01 09:05:00 UTC

QByteArray gpx(const RVGpxTrack& track)
{
    RVExportSink sink;
    RVGpxWriter::write(sink, track);
    return sink.takeText();
}

RVTimestamp at(qint64 msecs)
{
    return RVTimestamp::fromMSecsSinceEpoch(msecs);
}

// The golden document's frame (named "Trip 1", started at kCreated) around other points.
QByteArray framed(const QByteArray& points, const QByteArray& name = "Trip 1", bool timed = true)
{
    const QByteArray trip = golden("trip.gpx");
    QByteArray head = trip.left(trip.indexOf("            <trkpt")).replace("Trip 1", name);
    if (!timed)
        head.replace("        <time>2015-03-01T09:05:00Z</time>\n", "");
    return head + points + trip.mid(trip.indexOf("        </trkseg>"));
}

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

QStringList speeds(const QByteArray& document)
{
    QStringList out;
    static const QRegularExpression speed(QStringLiteral("<speed>([^<]*)</speed>"));
    for (const auto& match : speed.globalMatch(QString::fromUtf8(document)))
        out << match.captured(1);
    return out;
}

} // namespace

TEST(GpxWriter, ExactDocumentsSpreadTimesEvenlyAndLeaveOutWhatIsUnknown)
{
    ASSERT_FALSE(golden("trip.gpx").isEmpty());
    // 100 s, 4 points: 0, 25, 50 and 75 s after the start, whether or not a point is skipped.
    const std::vector<RVPoint> trip = {
        point("55.75", "37.61", 0, 45.5), point("0.000000", "0.000000"),
        point("55.76", "37.62", 0, 90), point("-55.752060", "-37.609463", 0, 359.9999996)};
    const std::vector<double> tripSpeeds = {36, 0, 10, 100};
    EXPECT_EQ(gpx({"Trip 1", at(kCreated + 999), 100.0f, trip, tripSpeeds}), golden("trip.gpx"));

    // Only zero points, or none: the blocks stay, empty.
    const std::vector<RVPoint> zeros = {point("0", "0"), point("0.000000", "0.000000")};
    const std::vector<double> two = {1, 2};
    EXPECT_EQ(gpx({"Trip 1", at(kCreated), 10.0f, zeros, two}), framed(""));
    EXPECT_EQ(gpx({"Trip 1", at(kCreated), 0.0f, {}, {}}), framed(""));
    // Without a start time there are no time elements at all (an empty one is no valid GPX).
    const std::vector<RVPoint> one = {point("1.5", "2.5", 0, 10)};
    const std::vector<double> oneSpeed = {3.6};
    EXPECT_EQ(gpx({"A&B", RVTimestamp(), 10.0f, one, oneSpeed}),
              framed(trkpt("1.5", "2.5", "", "0.999972", "10.000000"), "A&amp;B", false));

    // 10 Hz: four points in 0.4 s. The third has no altitude, a speed that overflowed and no
    // course; "1e400" is no usable latitude and its point is left out.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<RVPoint> points = {
        point("55.1", "37.1", 0, 1, 212.5), point("55.2", "37.2", 0, 2, -3.25),
        point("55.3", "37.3", 0, nan, nan), point("1e400", "37.4", 0, 4, 1)};
    const std::vector<double> fast = {3.6, 7.2, std::numeric_limits<double>::infinity(), 3.6};
    EXPECT_EQ(
        gpx({"Trip 1", at(kCreated), 0.4f, points, fast}),
        framed(
            trkpt("55.1", "37.1", "2015-03-01T09:05:00Z", "0.999972", "1.000000", "212.500000") +
            trkpt("55.2", "37.2", "2015-03-01T09:05:00.100Z", "1.999944", "2.000000", "-3.250000") +
            trkpt("55.3", "37.3", "2015-03-01T09:05:00.200Z", "", "", "")));
    // A length that could not be measured: no times, the points are still there.
    const QByteArray unmeasured = gpx({"T", at(kCreated), float(nan), points, fast});
    EXPECT_EQ(unmeasured.count("<time>"), 1); // the document's own
    EXPECT_EQ(unmeasured.count("<trkpt "), 3);
}

TEST(GpxWriter, SpeedEntryFollowsThePositionInTheSeries)
{
    // Four points, two speeds: points 0 and 1 take entry 0, points 2 and 3 entry 1.
    const std::vector<RVPoint> four = drive(4);
    const std::vector<double> two = {36, 72};
    EXPECT_EQ(speeds(gpx({"x", at(kCreated), 4.0f, four, two})),
              QStringList({"9.999720", "9.999720", "19.999440", "19.999440"}));
    // No speed series at all: the element is left out rather than made up.
    const QByteArray without = gpx({"x", at(kCreated), 4.0f, four, {}});
    EXPECT_FALSE(without.contains("<speed>"));
    EXPECT_EQ(without.count("<trkpt "), 4);

    // One speed per point: 22 * (15 / 22) is just below 15 in double, so point 15 shows
    // entry 14; every other point shows its own entry.
    const std::vector<RVPoint> points = drive(22);
    std::vector<double> own(22);
    for (int i = 0; i < 22; ++i)
        own[std::size_t(i)] = 3.6 * (i + 1);
    const QStringList written = speeds(gpx({"x", at(kCreated), 22.0f, points, own}));
    ASSERT_EQ(written.size(), 22);
    for (int i = 0; i < 22; ++i)
        EXPECT_EQ(written[i], QString::number(3.6 * ((i == 15 ? 14 : i) + 1) * 0.27777, 'f', 6));
}

TEST(GpxWriter, UtcTimeFormatMatchesTheCalendar)
{
    char text[40];
    const QDateTime base(QDate(1970, 1, 1), QTime(0, 0), QTimeZone::utc());
    // Every day boundary of a few centuries, and times before 1970.
    for (qint64 seconds = -2208988800LL; seconds < 4102444800LL; seconds += 86399 * 37) {
        const std::size_t length = RVGpxWriter::formatUtcSeconds(seconds, text);
        ASSERT_EQ(QString::fromLatin1(text, qsizetype(length)),
                  base.addSecs(seconds).toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'")))
            << seconds;
    }
}
