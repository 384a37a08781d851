// The TS mode's track: record packets alone, in transport streams ffmpeg writes around them,
// and the packets of a real Viofo A119 V3 recording.
#include "RealData.h"
#include "library/RVTsMetaDataReader.h"
#include "metadata/TestFiles.h"
#include "support/Support.h"

#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using TestFiles::view;

namespace {

// A Viofo A119 V3 record as ExifTool's notes show it: 08:07:24 on 2021-03-11, 5534.25 N,
// 3815.95 E, 18.89 knots, course 198.1.
const QByteArray kRecord = QByteArray::fromHex(
    "08000000070000001800000015000000030000000b000000414e450001f2ac452d7f6e45b81e9741d7234643");

QString isoTime(const RVPoint& point)
{
    return point.time().toDateTime().toString(Qt::ISODateWithMs);
}

} // namespace

TEST(TransportStream, RecordsAtEitherPlaceWithAndWithoutTheirAccelerations)
{
    const RVTsMetaDataReader::Record plain = RVTsMetaDataReader::readRecord(view(kRecord));
    ASSERT_TRUE(plain.recognised);
    ASSERT_TRUE(plain.point);
    EXPECT_EQ(isoTime(*plain.point), "2021-03-11T08:07:24.000Z");
    EXPECT_NEAR(plain.point->latitudeValue(), 55.570843, 1e-6);
    EXPECT_NEAR(plain.point->longitudeValue(), 38.265808, 1e-6);
    EXPECT_NEAR(plain.speedKmh, 18.89 * 1.852, 0.01);
    // Padding stands in for the missing accelerations; it is no reading.
    EXPECT_FALSE(plain.sample);

    // Blueskysea's 164 bytes of its own before the record, and three accelerations after it.
    const QByteArray withSensor =
        QByteArray(164, '\x5a') + kRecord + QByteArray::fromHex("000100000001000080ffffff");
    const RVTsMetaDataReader::Record prefixed = RVTsMetaDataReader::readRecord(view(withSensor));
    ASSERT_TRUE(prefixed.point);
    EXPECT_EQ(isoTime(*prefixed.point), "2021-03-11T08:07:24.000Z");
    ASSERT_TRUE(prefixed.sample);
    EXPECT_DOUBLE_EQ(prefixed.sample->x(), 1.0);
    EXPECT_DOUBLE_EQ(prefixed.sample->z(), -0.5);

    // A void record is a record without a fix; other bytes are no record.
    QByteArray voidRecord = kRecord;
    voidRecord[24] = 'V';
    const RVTsMetaDataReader::Record none = RVTsMetaDataReader::readRecord(view(voidRecord));
    EXPECT_TRUE(none.recognised);
    EXPECT_FALSE(none.point);
    EXPECT_FALSE(RVTsMetaDataReader::readRecord(view(QByteArray(48, '\x11'))).recognised);
    EXPECT_FALSE(RVTsMetaDataReader::readRecord({}).recognised);
}

TEST(TransportStream, StreamsGiveTheirRecordsOrSayWhyNot)
{
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir dir;
    const RVTsMetaDataReader reader;
    RVDecline why;

    QByteArray records;
    for (int second = 0; second < 3; ++second)
        records += QByteArray(kRecord).replace(8, 1, QByteArray(1, char(0x18 + second)));
    const QString ts = dir.path() + "/2021_0311_080724_000001F.TS";
    ASSERT_TRUE(support::writeTransportStream(ts, records, int(kRecord.size())));
    const std::optional<RVMetaData> read = reader.readMetaDataOrDecline(ts, why);
    ASSERT_TRUE(read) << why.detail.toStdString();
    ASSERT_EQ(read->points.size(), 3u);
    EXPECT_EQ(isoTime(read->points[2]), "2021-03-11T08:07:26.000Z");
    EXPECT_EQ(read->velocityData.size(), 3u);
    EXPECT_TRUE(read->localClock);

    // A packet over 4 KiB is no record, however it begins; one of 4 KiB still is.
    for (const int bytes : {4096, 4097}) {
        const QString padded = dir.path() + QStringLiteral("/padded%1.ts").arg(bytes);
        ASSERT_TRUE(support::writeTransportStream(padded, kRecord.leftJustified(bytes, 0), bytes));
        EXPECT_EQ(bool(reader.readMetaDataOrDecline(padded, why)), bytes == 4096) << bytes;
    }

    // Private data that is no record; a stream of video alone; a name that is no stream's.
    const QString unknown = dir.path() + "/unknown.ts";
    ASSERT_TRUE(support::writeTransportStream(unknown, QByteArray(3 * 48, '\x11'), 48));
    EXPECT_FALSE(reader.readMetaDataOrDecline(unknown, why));
    EXPECT_EQ(why.kind, RVDecline::Kind::UnknownLayout);
    const QString video = dir.path() + "/video.ts";
    ASSERT_TRUE(support::runFfmpeg({"-f", "lavfi", "-i", "testsrc=size=64x36:rate=10:duration=1",
                                    "-c:v", "mpeg4", "-f", "mpegts", video}));
    EXPECT_FALSE(reader.readMetaDataOrDecline(video, why));
    EXPECT_EQ(why.kind, RVDecline::Kind::NotMine);
    EXPECT_TRUE(why.detail.endsWith("no private data stream"));
    EXPECT_FALSE(reader.readMetaDataOrDecline(dir.path() + "/2021_0311_080724_000001F.MP4", why));
    EXPECT_EQ(why.kind, RVDecline::Kind::NotMine);

    // A real A119 V3 writes its records on a PID no program map lists: the demuxer finds the
    // stream only when its packets come.
    const std::optional<RVMetaData> viofo =
        reader.readMetaDataOrDecline(RealData::path("dashcamigo/viofo-a119v3-ts-packets.TS"), why);
    ASSERT_TRUE(viofo) << why.detail.toStdString();
    ASSERT_EQ(viofo->points.size(), 10u);
    EXPECT_EQ(isoTime(viofo->points[0]), "2021-03-18T15:39:34.000Z");
    EXPECT_EQ(isoTime(viofo->points[9]), "2021-03-18T15:39:43.000Z");
    EXPECT_EQ(viofo->points[9].latitude(), "50.000904"); // 5000.0542 in single precision
}
