#include "metadata/RVGpsProcessor.h"

#include "RealData.h"
#include "TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using TestFiles::write;

namespace {

const QByteArray kRmc = "$GPRMC,134501.000,A,5545.1234,N,03736.5678,E,10.0,45.5,050215,,,A\n";
const QByteArray kMiniLine = "A,050215,134501.000,5545.1234,N,03736.5678,E,10.0,1,-10,3\n";

const RVGpsProcessor& gps()
{
    return RVGpsProcessor::sharedInstance();
}

RVSensorData sample(double x, double y, double z)
{
    return RVSensorData(x, y, z, 0, RVSensorLabel::number(7));
}

RVPoint pointAt(double altitude)
{
    return RVPoint("1.000000", "2.000000", altitude, 0, 0, RVTimestamp());
}

} // namespace

TEST(Dispatch, ReadersAreAskedInOrderAndTheFirstClaimWins)
{
    QTemporaryDir dir;
    const QString card = dir.path() + "/CARD";

    // BlackVue track and a Korvela INFO text: BlackVue only.
    const QString both = card + "/DCIM/100MEDIA/REC0001.mp4";
    write(card + "/DCIM/100MEDIA/REC0001.gps", "[1499552090960]" + kRmc + "[1499552090960]" + kRmc);
    write(card + "/DCIM/INFO/REC0001.txt", kRmc);
    auto data = gps().readMetaDataFromVideoFile(both);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->points.size(), 2u);
    EXPECT_EQ(data->relatedFiles, QStringList{card + "/DCIM/100MEDIA/REC0001.gps"});

    // A BlackVue track with no usable line still claims the recording.
    write(card + "/DCIM/100MEDIA/REC0002.gps", "short\n");
    write(card + "/DCIM/100MEDIA/REC0002.txt", kRmc);
    data = gps().readMetaDataFromVideoFile(card + "/DCIM/100MEDIA/REC0002.mp4");
    ASSERT_TRUE(data);
    EXPECT_TRUE(data->points.empty());

    // "AMBA" with its log: Mini, even with a Korvela text beside it.
    write(card + "/gps/gps0003.log", kMiniLine);
    write(card + "/DCIM/100MEDIA/AMBA0003.txt", kRmc + kRmc + kRmc);
    data = gps().readMetaDataFromVideoFile(card + "/DCIM/100MEDIA/AMBA0003.MP4");
    ASSERT_TRUE(data);
    ASSERT_EQ(data->points.size(), 1u);
    EXPECT_EQ(data->points[0].velocity(), -1);
    // The Mini points' altitude 0 is left alone.
    EXPECT_EQ(data->points[0].altitude(), 0);

    // A plain name with a text beside it: Korvela.
    write(card + "/DCIM/100MEDIA/FILE0004.txt", kRmc + kRmc);
    data = gps().readMetaDataFromVideoFile(card + "/DCIM/100MEDIA/FILE0004.MOV");
    ASSERT_TRUE(data);
    EXPECT_EQ(data->points.size(), 2u);
    EXPECT_TRUE(data->relatedFiles.isEmpty());

    // Nothing anywhere.
    EXPECT_FALSE(gps().readMetaDataFromVideoFile(card + "/DCIM/100MEDIA/NONE.MOV"));
    EXPECT_FALSE(gps().readMetaDataFromVideoFile(QString()));
}

TEST(Dispatch, SamplesAreCentredOnTheirUpperMedian)
{
    // Even counts take the upper middle value.
    auto result = gps().normalizeSensorData(
        {sample(4, 0, 0), sample(1, 0, 0), sample(3, 0, 0), sample(2, 0, 0)});
    EXPECT_EQ(result[0].x(), 1);
    EXPECT_EQ(result[1].x(), -2);
    EXPECT_EQ(result[2].x(), 0);
    EXPECT_EQ(result[3].x(), -1);

    // Each axis on its own median; common from the centred values.
    const std::vector<RVSensorData> input = {sample(1, 10, 100), sample(2, 30, 300),
                                             sample(3, 20, 200)};
    result = gps().normalizeSensorData(input);
    EXPECT_EQ(result[1].x(), 0);
    EXPECT_EQ(result[1].y(), 10);
    EXPECT_EQ(result[1].z(), 100);
    EXPECT_DOUBLE_EQ(result[1].common(), std::sqrt(0 + 100 + 10000));
    EXPECT_EQ(result[1].time().text(), "7");
    EXPECT_EQ(input[1].x(), 2); // the input is left as it was

    result = gps().normalizeSensorData({sample(0.3, -0.2, 1.1)});
    ASSERT_EQ(result.size(), 1u);
    EXPECT_EQ(result[0].y(), 0);
    EXPECT_EQ(result[0].common(), 0);
    EXPECT_TRUE(gps().normalizeSensorData({}).empty());

    // A NaN handed in from outside must not break the ordering.
    result =
        gps().normalizeSensorData({sample(std::nan(""), 0, 0), sample(1, 0, 0), sample(2, 0, 0)});
    EXPECT_EQ(result[1].x(), -1);
}

TEST(Dispatch, LeadingUnknownAltitudesTakeTheFirstKnownOne)
{
    const double nan = std::nan("");
    std::vector<RVPoint> points = {pointAt(nan), pointAt(nan), pointAt(150), pointAt(nan),
                                   pointAt(160)};
    gps().fixFirstAltitudeRecords(points);
    EXPECT_EQ(points[0].altitude(), 150);
    EXPECT_EQ(points[1].altitude(), 150);
    EXPECT_EQ(points[2].altitude(), 150);
    EXPECT_TRUE(std::isnan(points[3].altitude()));
    EXPECT_EQ(points[4].altitude(), 160);

    std::vector<RVPoint> unknown = {pointAt(nan), pointAt(nan)};
    gps().fixFirstAltitudeRecords(unknown);
    EXPECT_TRUE(std::isnan(unknown[0].altitude()));
    std::vector<RVPoint> none;
    gps().fixFirstAltitudeRecords(none); // must not look at a first point
}

TEST(Dispatch, ConcurrentReadsGiveTheSameResults)
{
    KORVELA_SKIP_WITHOUT_REALDATA("blackvue-dr650s");
    KORVELA_SKIP_WITHOUT_REALDATA("mini0803");
    const QString realData = RealData::folder();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Real BlackVue clips plus a Mini and a Korvela recording built from real logs.
    QStringList videos;
    for (const char* name : {"20170708_221449_N", "20170709_080018_N", "20170709_084737_E",
                             "20170709_085648_N", "20170709_080522_P"})
        videos << realData + "/blackvue-dr650s/" + name + ".mp4";
    write(dir.path() + "/CARD/gps/gps0001.log", TestFiles::realData("mini0803/2015-02-25.txt"));
    videos << dir.path() + "/CARD/DCIM/100MEDIA/AMBA0001.MP4";
    write(dir.path() + "/CARD/VIDEO/FILE0001.MOV",
          TestFiles::standardBox("ftyp", "isom") +
              TestFiles::payloadSizedBox("udat", TestFiles::realData("gpsd/sirfstarv-nmea.log")));
    videos << dir.path() + "/CARD/VIDEO/FILE0001.MOV";

    // Labels are rendered too, since that is where the shared formatter is used.
    const auto summary = [](const std::optional<RVMetaData>& data) {
        std::string text;
        if (!data)
            return std::string("none");
        for (const RVPoint& p : data->points)
            text += p.latitude().toStdString() + p.longitude().toStdString() +
                    std::to_string(p.time().isValid() ? p.time().msecsSinceEpoch() : -1) +
                    std::to_string(p.altitude()) + ";";
        for (const RVSensorData& s : data->gSensorData)
            text += std::to_string(s.common()) + s.time().text().toStdString() + ";";
        return text;
    };
    std::vector<std::string> expected;
    for (const QString& video : videos)
        expected.push_back(summary(gps().readMetaDataFromVideoFile(video)));
    EXPECT_EQ(expected[4], "none");
    EXPECT_NE(expected[5].find("25-02-15 15:58:06.000"), std::string::npos);

    constexpr int kThreads = 6;
    std::vector<std::vector<std::string>> results(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 4; ++round)
                for (qsizetype i = 0; i < videos.size(); ++i) {
                    const qsizetype v = (i + t) % videos.size();
                    if (summary(gps().readMetaDataFromVideoFile(videos[v])) !=
                        expected[std::size_t(v)])
                        results[std::size_t(t)].push_back(videos[v].toStdString());
                }
        });
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_TRUE(results[std::size_t(t)].empty())
            << "thread " << t << " differs on " << results[std::size_t(t)].front();
}
