#include "metadata/RVBlackVueMetaDataReader.h"
#include "metadata/RVNmea.h"

#include "TestFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

using TestFiles::write;

namespace {

const std::string kRmc = "$GPRMC,134501.000,A,5545.1234,N,03736.5678,E,10.0,45.5,050215,,,A";
const std::string kPrefix = "[1499552090960]";

std::vector<RVSensorData> decode(const std::string& bytes)
{
    return RVBlackVueMetaDataReader::readGSensorFromText(bytes);
}

} // namespace

TEST(BlackVueReader, TrackLinesLoseTheirPrefix)
{
    const std::string gga =
        "$GPGGA,191450.00,5357.14375,N,02740.86226,E,1,11,0.81,222.3,M,24.8,M,,*5B";
    const std::string text = kPrefix + kRmc + "\n\n" + kPrefix + gga + "\r\n" + kPrefix + kRmc +
                             "\n" + kPrefix + "\n" + kPrefix + "$\n" + kRmc.substr(0, 15) + "\n";
    const RVMetaData data = RVBlackVueMetaDataReader::readMetaDataFromText(text);
    ASSERT_EQ(data.points.size(), 2u);
    ASSERT_EQ(data.velocityData.size(), 2u);
    // Exactly what the sentence alone gives.
    const RVPoint alone = *RVNmea::readPointFromNmea(kRmc);
    EXPECT_EQ(data.points[0].latitude(), alone.latitude());
    EXPECT_EQ(data.points[0].longitude(), alone.longitude());
    EXPECT_EQ(data.points[0].time(), alone.time());
    EXPECT_EQ(data.points[0].velocity(), alone.velocity());
    EXPECT_TRUE(std::isnan(data.points[0].altitude()));
    EXPECT_EQ(data.points[1].altitude(), 222.3);
    EXPECT_TRUE(data.gSensorData.empty());
    EXPECT_TRUE(data.relatedFiles.isEmpty());
}

TEST(BlackVueReader, StrayBytesBeforeTheSentenceAreSkipped)
{
    // Raw receiver bytes, or a second prefix, between the prefix and the sentence.
    const std::string binary = "\x1d\x15\xff\xaa garbage";
    const std::string text = kPrefix + binary + "\n" +                     // no "$": skipped
                             kPrefix + binary + kPrefix + kRmc + "\n" +    // second prefix
                             kPrefix + "xx$GPGSA,A,3$GPXX" + kRmc + "\n" + // last "$" only
                             kPrefix + "x" + kRmc + "\n";
    const RVMetaData data = RVBlackVueMetaDataReader::readMetaDataFromText(text);
    ASSERT_EQ(data.points.size(), 3u);
    for (const RVPoint& point : data.points)
        EXPECT_EQ(point.latitude(), "55.752060");
    // A 16-character line hands one character on, which is no sentence.
    EXPECT_TRUE(RVBlackVueMetaDataReader::readMetaDataFromText(kPrefix + "$").points.empty());
}

TEST(BlackVueReader, SensorRecordsAreBigEndianZxy)
{
    const std::string record("\x00\x00\x00\x2a\x00\x62\x00\x05\xff\xf6", 10);
    auto samples = decode(record);
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples[0].time().text(), "42");
    EXPECT_DOUBLE_EQ(samples[0].z(), 98 / 100.0 - 1.0);
    EXPECT_DOUBLE_EQ(samples[0].x(), 0.05);
    EXPECT_DOUBLE_EQ(samples[0].y(), -0.1);
    EXPECT_DOUBLE_EQ(samples[0].common(),
                     std::sqrt(0.05 * 0.05 + 0.1 * 0.1 + (0.98 - 1) * (0.98 - 1)));

    samples = decode(std::string("\x80\x00\x00\x00\x80\x00\x7f\xff\x00\x00", 10));
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples[0].time().text(), "-2147483648");
    EXPECT_DOUBLE_EQ(samples[0].z(), -327.68 - 1.0);
    EXPECT_DOUBLE_EQ(samples[0].x(), 327.67);

    for (const auto& [length, count] : std::vector<std::pair<std::size_t, std::size_t>>{
             {0, 0}, {9, 0}, {10, 1}, {20, 2}, {25, 2}})
        EXPECT_EQ(decode(std::string(length, '\x01')).size(), count) << length;
}

TEST(BlackVueReader, SideFilesOfARecording)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString record = dir.path() + "/CARD/Record";
    const QString video = record + "/REC0001.mp4";
    RVBlackVueMetaDataReader reader;
    EXPECT_FALSE(reader.readMetaDataFromVideoFile(video));

    // An empty track file is no track file.
    write(record + "/REC0001.gps", QByteArray());
    EXPECT_FALSE(reader.readMetaDataFromVideoFile(video));

    write(record + "/REC0001.gps", QByteArray::fromStdString(kPrefix + kRmc + "\n"));
    auto data = reader.readMetaDataFromVideoFile(video);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->points.size(), 1u);
    EXPECT_EQ(data->relatedFiles, QStringList{record + "/REC0001.gps"});

    // An empty sensor file is listed but gives no samples.
    write(record + "/REC0001.3gf", QByteArray());
    data = reader.readMetaDataFromVideoFile(video);
    ASSERT_TRUE(data);
    EXPECT_TRUE(data->gSensorData.empty());
    EXPECT_EQ(data->relatedFiles, (QStringList{record + "/REC0001.gps", record + "/REC0001.3gf"}));

    write(record + "/REC0001.3gf", QByteArray(25, '\x02'));
    data = reader.readMetaDataFromVideoFile(video);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->gSensorData.size(), 2u);
    EXPECT_EQ(data->relatedFiles.size(), 2);
}

TEST(BlackVueReader, ChannelsShareTheSideFilesNamedWithoutTheirLetters)
{
    QTemporaryDir dir;
    const QString record = dir.path() + "/BlackVue/Record";
    write(record + "/20170708_221449_N.gps", QByteArray::fromStdString(kPrefix + kRmc + "\n"));
    write(record + "/20170708_221449_N.3gf", QByteArray(10, '\x01'));
    RVBlackVueMetaDataReader reader;
    for (const char* video :
         {"20170708_221449_NF.mp4", "20170708_221449_NR.mp4", "20170708_221449_NFL.mp4"}) {
        const auto data = reader.readMetaDataFromVideoFile(record + "/" + video);
        ASSERT_TRUE(data) << video;
        EXPECT_EQ(data->points.size(), 1u);
        EXPECT_EQ(data->gSensorData.size(), 1u);
        EXPECT_EQ(data->relatedFiles, (QStringList{record + "/20170708_221449_N.gps",
                                                   record + "/20170708_221449_N.3gf"}));
    }
    // Another mode's side files are another recording's; a name no camera writes has none.
    // A pipe where the track should be is not waited on.
    EXPECT_FALSE(reader.readMetaDataFromVideoFile(record + "/20170708_221449_EF.mp4"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(record + "/20170708_221449_E.gps").constData(), 0644), 0);
    EXPECT_FALSE(reader.readMetaDataFromVideoFile(record + "/20170708_221449_EF.mp4"));
    EXPECT_FALSE(reader.readMetaDataFromVideoFile(record + "/20170708_221449_F.mp4"));
    // Side files named after the whole video come first.
    write(record + "/20170708_221449_NR.gps", QByteArray::fromStdString(kPrefix + kRmc + "\n"));
    EXPECT_EQ(reader.readMetaDataFromVideoFile(record + "/20170708_221449_NR.mp4")->relatedFiles,
              QStringList{record + "/20170708_221449_NR.gps"});
}
