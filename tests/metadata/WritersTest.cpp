// The writers every export goes through: GPX documents against kept ones, and the sink that
// streams a document to its file in UTF-8 or UTF-16.
#include "metadata/writers/RVExportSink.h"
#include "metadata/writers/RVGpxWriter.h"
#include "support/Support.h"

#include <QBuffer>
#include <QDateTime>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
// 2015-03-01 09:05:00 UTC
const RVTimestamp kCreated = RVTimestamp::fromMSecsSinceEpoch(1425200700000);

RVPoint point(const char* latitude, const char* longitude, double velocity = 0, double azimut = 0,
              double altitude = 0)
{
    return RVPoint(latitude, longitude, altitude, azimut, velocity,
                   RVTimestamp::fromMSecsSinceEpoch(0));
}

// An expected document kept in tests/metadata/golden.
QByteArray golden(const char* name)
{
    return support::readFile(QStringLiteral(KORVELA_SOURCE_DIR "/tests/metadata/golden/") + name);
}

QByteArray gpx(const RVGpxTrack& track)
{
    RVExportSink sink;
    RVGpxWriter::write(sink, track);
    return sink.takeText();
}

QByteArrayList speeds(const QByteArray& document)
{
    QByteArrayList out;
    for (const QByteArray& part : document.split('<'))
        if (part.startsWith("speed>"))
            out << part.mid(6);
    return out;
}

} // namespace

TEST(GpxWriter, ExactDocumentsSpreadTimesEvenlyAndLeaveOutWhatIsUnknown)
{
    // 100 s, 4 points: 0, 25, 50 and 75 s after the start, whether or not a point is skipped.
    const std::vector<RVPoint> trip = {
        point("55.75", "37.61", 0, 45.5), point("0.000000", "0.000000"),
        point("55.76", "37.62", 0, 90), point("-55.752060", "-37.609463", 0, 359.9999996)};
    EXPECT_EQ(gpx({"Trip 1", RVTimestamp::fromMSecsSinceEpoch(1425200700999), 100.0f, trip,
                   std::vector<double>{36, 0, 10, 100}}),
              golden("trip.gpx"));

    // Only zero points, or none: the blocks stay, empty.
    EXPECT_EQ(gpx({"Trip 1", kCreated, 10.0f,
                   std::vector<RVPoint>{point("0", "0"), point("0.000000", "0.000000")},
                   std::vector<double>{1, 2}}),
              golden("empty.gpx"));
    EXPECT_EQ(gpx({"Trip 1", kCreated, 0.0f, {}, {}}), golden("empty.gpx"));
    // Without a start time there are no time elements at all (an empty one is no valid GPX).
    EXPECT_EQ(gpx({"A&B", RVTimestamp(), 10.0f, std::vector<RVPoint>{point("1.5", "2.5", 0, 10)},
                   std::vector<double>{3.6}}),
              golden("untimed.gpx"));

    // 10 Hz: four points in 0.4 s. The third has no altitude, a speed that overflowed and no
    // course; "1e400" is no usable latitude and its point is left out.
    const std::vector<RVPoint> points = {
        point("55.1", "37.1", 0, 1, 212.5), point("55.2", "37.2", 0, 2, -3.25),
        point("55.3", "37.3", 0, kNan, kNan), point("1e400", "37.4", 0, 4, 1)};
    const std::vector<double> fast = {3.6, 7.2, kInf, 3.6};
    EXPECT_EQ(gpx({"Trip 1", kCreated, 0.4f, points, fast}), golden("tenhertz.gpx"));
    // A length that could not be measured: no times, the points are still there.
    const QByteArray unmeasured = gpx({"T", kCreated, float(kNan), points, fast});
    EXPECT_EQ(unmeasured.count("<time>"), 1); // the document's own
    EXPECT_EQ(unmeasured.count("<trkpt "), 3);
}

TEST(GpxWriter, SpeedEntryFollowsThePositionInTheSeriesAndTimesTheCalendar)
{
    // Four points, two speeds: points 0 and 1 take entry 0, points 2 and 3 entry 1.
    const std::vector<RVPoint> four(4, point("55.1", "37.1"));
    EXPECT_EQ(speeds(gpx({"x", kCreated, 4.0f, four, std::vector<double>{36, 72}})),
              QByteArrayList({"9.999720", "9.999720", "19.999440", "19.999440"}));
    // No speed series at all: the element is left out rather than made up.
    const QByteArray without = gpx({"x", kCreated, 4.0f, four, {}});
    EXPECT_FALSE(without.contains("<speed>"));
    EXPECT_EQ(without.count("<trkpt "), 4);

    // One speed per point: 22 * (15 / 22) is just below 15 in double, so point 15 shows
    // entry 14; every other point shows its own entry.
    const std::vector<RVPoint> points(22, point("55.1", "37.1"));
    std::vector<double> own(22);
    for (int i = 0; i < 22; ++i)
        own[std::size_t(i)] = 3.6 * (i + 1);
    const QByteArrayList written = speeds(gpx({"x", kCreated, 22.0f, points, own}));
    ASSERT_EQ(written.size(), 22);
    for (int i = 0; i < 22; ++i)
        EXPECT_EQ(written[i], QByteArray::number(3.6 * ((i == 15 ? 14 : i) + 1) * 0.27777, 'f', 6));

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

TEST(ExportSink, BlocksInUtf16NeverSplitACharacterAndRefusedWritesAreReported)
{
    // Three of the sink's 256 KiB blocks of text with characters of one to four UTF-8 bytes,
    // appended seven bytes at a time, so that blocks end at every place inside a character.
    QString text;
    while (text.size() < 3 * (256 << 10) / 4)
        text += QStringLiteral("a\u00e9\u20ac\U0001F600");
    const QByteArray utf8 = text.toUtf8();
    const auto write = [&](RVExportSink::Encoding encoding) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        RVExportSink sink(&buffer, encoding);
        for (qsizetype at = 0; at < utf8.size(); at += 7)
            sink.append(std::string_view(utf8.constData() + at,
                                         std::size_t(std::min<qsizetype>(7, utf8.size() - at))));
        EXPECT_TRUE(sink.finish());
        return buffer.data();
    };
    EXPECT_EQ(write(RVExportSink::Encoding::Utf8), utf8);
    const QByteArray utf16 = write(RVExportSink::Encoding::Utf16LittleEndian);
    ASSERT_TRUE(utf16.startsWith("\xFF\xFE"));
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(utf16.constData() + 2),
                                 (utf16.size() - 2) / 2),
              text);

    // A one-byte document is written whole; a device that takes nothing fails the sink with
    // the device's reason.
    QBuffer small;
    small.open(QIODevice::WriteOnly);
    RVExportSink one(&small, RVExportSink::Encoding::Utf8);
    one.append('x');
    EXPECT_TRUE(one.finish());
    EXPECT_EQ(small.data(), "x");
    QBuffer closed;
    RVExportSink refused(&closed, RVExportSink::Encoding::Utf8);
    refused.append('x');
    EXPECT_FALSE(refused.finish());
    EXPECT_FALSE(refused.errorString().isEmpty());
}
