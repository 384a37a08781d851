#include "metadata/RVGpsProcessor.h"
#include "metadata/RVMetaPath.h"

#include "TestFiles.h"

#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <future>
#include <thread>

using namespace TestFiles;

namespace {

const QByteArray kRmc = "$GPRMC,134501.000,A,5545.1234,N,03736.5678,E,10.0,45.5,050215,,,A\n";
const QByteArray kBlackVue = "[1499552090960]" + kRmc;

const RVGpsProcessor& gps()
{
    return RVGpsProcessor::sharedInstance();
}

std::optional<RVMetaData> read(const QString& video)
{
    return gps().readMetaDataFromVideoFile(video);
}

// Point and sample summary of a reading; "none" when no reader claimed the video.
std::string summary(const std::optional<RVMetaData>& data)
{
    if (!data)
        return "none";
    std::string out = std::to_string(data->points.size()) + " points, ";
    out += std::to_string(data->gSensorData.size()) + " samples; ";
    for (const RVPoint& p : data->points)
        out += text(p) + ";";
    for (const RVSensorData& s : data->gSensorData)
        out += text(s) + ";";
    return out;
}

int mkfifo(const QString& path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600);
}

} // namespace

TEST(Dispatch, ReadersAreAskedInOrderAndTheFirstClaimWins)
{
    QTemporaryDir dir;
    const QString media = dir.path() + "/CARD/DCIM/100MEDIA/";
    const auto points = [&](const QString& video) {
        const auto data = read(media + video);
        return data ? QString("%1 ").arg(data->points.size()) +
                          data->relatedFiles.join(' ').remove(dir.path())
                    : QStringLiteral("none");
    };
    // A BlackVue track beats a Korvela INFO text, and claims the video even with no usable line.
    writeFile(media + "REC0001.gps", kBlackVue + kBlackVue);
    writeFile(dir.path() + "/CARD/DCIM/INFO/REC0001.txt", kRmc);
    EXPECT_EQ(points("REC0001.mp4"), "2 /CARD/DCIM/100MEDIA/REC0001.gps");
    writeFile(media + "REC0002.gps", "short\n");
    writeFile(media + "REC0002.txt", kRmc);
    EXPECT_EQ(points("REC0002.mp4"), "0 /CARD/DCIM/100MEDIA/REC0002.gps");
    // "AMBA" with its log is Mini, even with a Korvela text beside it; its altitude 0 stays.
    writeFile(dir.path() + "/CARD/gps/gps0003.log",
              "A,050215,134501.000,5545.1234,N,03736.5678,E,10.0,1,-10,3\n");
    writeFile(media + "AMBA0003.txt", kRmc + kRmc + kRmc);
    EXPECT_EQ(points("AMBA0003.MP4"), "1 /CARD/gps/gps0003.log");
    EXPECT_EQ(read(media + "AMBA0003.MP4")->points[0].altitude(), 0);
    // A plain name with a text beside it is Korvela; nothing anywhere is no metadata.
    writeFile(media + "FILE0004.txt", kRmc + kRmc);
    EXPECT_EQ(points("FILE0004.MOV"), "2 ");
    EXPECT_EQ(points("NONE.MOV"), "none");
    EXPECT_FALSE(read(QString()));
}

TEST(Dispatch, SamplesCentredOnTheirUpperMedianAndFirstAltitudesFilled)
{
    const auto centred = [](const std::vector<std::array<double, 3>>& xyz) {
        std::vector<RVSensorData> in;
        for (const auto& [x, y, z] : xyz)
            in.emplace_back(x, y, z, 0, RVSensorLabel::number(7));
        const double before = in.back().x();
        std::string out;
        for (const RVSensorData& s : gps().normalizeSensorData(in))
            out += text(s) + ";";
        EXPECT_EQ(in.back().x(), before) << "the input is left as it was";
        return out;
    };
    // Even counts take the upper middle value; each axis on its own; common from the centred
    // values; a NaN from outside does not break the ordering.
    EXPECT_EQ(centred({{4, 0, 0}, {1, 0, 0}, {3, 0, 0}, {2, 0, 0}}),
              "1 0 0 1 7;-2 0 0 2 7;0 0 0 0 7;-1 0 0 1 7;");
    EXPECT_EQ(centred({{1, 10, 100}, {2, 30, 300}, {3, 20, 200}}),
              "-1 -10 -100 100.503731274 7;0 10 100 100.498756211 7;1 0 0 1 7;");
    EXPECT_EQ(centred({{0.3, -0.2, 1.1}}), "0 0 0 0 7;");
    EXPECT_EQ(centred({{std::nan(""), 0, 0}, {1, 0, 0}, {2, 0, 0}}),
              "nan 0 0 nan 7;-1 0 0 1 7;0 0 0 0 7;");
    EXPECT_TRUE(gps().normalizeSensorData({}).empty());

    const auto filled = [](std::vector<double> altitudes) {
        std::vector<RVPoint> points;
        for (const double a : altitudes)
            points.emplace_back("1.000000", "2.000000", a, 0, 0, RVTimestamp());
        gps().fixFirstAltitudeRecords(points);
        std::string out;
        for (const RVPoint& p : points)
            out += num(p.altitude()) + " ";
        return out;
    };
    const double nan = std::nan("");
    EXPECT_EQ(filled({nan, nan, 150, nan, 160}), "150 150 150 nan 160 ");
    EXPECT_EQ(filled({nan, nan}), "nan nan ");
    EXPECT_EQ(filled({}), "");
}

TEST(Dispatch, FifosDevicesAndOversizedFilesAreNotRead)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/DCIM/100MEDIA/";
    writeFile(folder + "REC0001.mp4", "not a video");
    ASSERT_EQ(mkfifo(folder + "REC0001.gps"), 0);
    ASSERT_EQ(mkfifo(folder + "REC0002.txt"), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", folder + "REC0003.gps"));
    writeFile(folder + "REC0004.gps", kBlackVue);
    ASSERT_EQ(mkfifo(folder + "REC0004.3gf"), 0);
    // On a worker, so that a reader stuck in open() fails the test instead of hanging it.
    auto results = std::async(std::launch::async, [&] {
        std::vector<std::string> out;
        for (const char* video : {"REC0001.mp4", "REC0002.mp4", "REC0003.mp4", "REC0004.mp4"})
            out.push_back(summary(read(folder + video)).substr(0, 19));
        return out;
    });
    if (results.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        for (const char* fifo : {"REC0001.gps", "REC0002.txt", "REC0004.3gf"})
            ::close(::open(QFile::encodeName(folder + fifo).constData(), O_WRONLY | O_NONBLOCK));
        FAIL() << "a reader waited on a FIFO";
    }
    // A FIFO as the sensor file costs only the samples.
    EXPECT_EQ(results.get(),
              (std::vector<std::string>{"none", "none", "none", "1 points, 0 samples"}));

    // At its limit a file is read, a byte more and it is skipped; the streamed Korvela text
    // has its own limit.
    const auto sparse = [&](const QString& name, const QByteArray& head, qint64 size) {
        writeFile(folder + name, head);
        EXPECT_TRUE(QFile(folder + name).resize(size));
    };
    writeFile(folder + "A.mp4");
    sparse("A.gps", kBlackVue, RVMetaPath::Limits::kNmeaText + 1);
    EXPECT_FALSE(read(folder + "A.mp4"));
    sparse("A.gps", kBlackVue, RVMetaPath::Limits::kNmeaText);
    EXPECT_EQ(read(folder + "A.mp4")->points.size(), 1u);
    writeFile(folder + "B.mp4");
    writeFile(folder + "B.gps", kBlackVue);
    sparse("B.3gf", QByteArray(10, '\1'), RVMetaPath::Limits::kSensorRecords + 10);
    EXPECT_EQ(summary(read(folder + "B.mp4")).substr(0, 19), "1 points, 0 samples");
    writeFile(folder + "C.MOV");
    sparse("C.txt", kRmc, RVMetaPath::Limits::kStreamedText + 1);
    EXPECT_FALSE(read(folder + "C.MOV"));
}

TEST(Dispatch, ImpossiblePositionsBecomeZeroPoints)
{
    QTemporaryDir dir;
    // A cold start's 360 / 720 degrees, latitude 100, longitude 1000, 1e400; the bounds
    // themselves are positions; 1e400 metres or knots are not known.
    writeFile(dir.path() + "/VIDEO/FILE0001.txt",
              kRmc + "$GPRMC,134502.000,A,36000.0000,N,72000.0000,E,10.0,45.5,050215,,,A\n"
                     "$GPRMC,134503.000,A,10000.0000,N,03736.5678,E,10.0,45.5,050215,,,A\n"
                     "$GPRMC,134504.000,A,5545.1234,N,100000.0000,W,10.0,45.5,050215,,,A\n"
                     "$GPRMC,134505.000,A,1e400,N,03736.5678,E,1e400,1e400,050215,,,A\n"
                     "$GPGGA,134506.000,5545.1234,N,03736.5678,E,1,08,0.9,1e400,M,14.0,M,,\n"
                     "$GPRMC,134506.000,A,9000.0000,S,18000.0000,W,1e400,45.5,050215,,,A\n");
    const auto data = read(dir.path() + "/VIDEO/FILE0001.MOV");
    EXPECT_EQ(summary(data), "6 points, 0 samples; "
                             "55.752060 37.609463 2015-02-05 13:45:01.000 18.5199999809 nan 45.5;"
                             "0.000000 0.000000 - 18.5199999809 nan 45.5;"
                             "0.000000 0.000000 - 18.5199999809 nan 45.5;"
                             "0.000000 0.000000 - 18.5199999809 nan 45.5;"
                             "0.000000 0.000000 - nan nan 0;"
                             "-90.000000 -180.000000 2015-02-05 13:45:06.000 nan nan 45.5;");
    EXPECT_TRUE(std::isnan(data->velocityData[5]));
}

TEST(Dispatch, ConcurrentReadsGiveTheSameResults)
{
    KORVELA_SKIP_WITHOUT_REALDATA("blackvue-dr650s");
    KORVELA_SKIP_WITHOUT_REALDATA("mini0803");
    QTemporaryDir dir;
    // Real BlackVue clips (one without a track), and Mini and Korvela recordings of real logs.
    QStringList videos;
    for (const char* name : {"20170708_221449_N", "20170709_080018_N", "20170709_084737_E",
                             "20170709_085648_N", "20170709_080522_P"})
        videos << RealData::folder() + "/blackvue-dr650s/" + name + ".mp4";
    writeFile(dir.path() + "/CARD/gps/gps0001.log", realData("mini0803/2015-02-25.txt"));
    videos << dir.path() + "/CARD/DCIM/100MEDIA/AMBA0001.MP4";
    writeFile(dir.path() + "/CARD/VIDEO/FILE0001.MOV",
              standardBox("ftyp", "isom") +
                  payloadSizedBox("udat", realData("gpsd/sirfstarv-nmea.log")));
    videos << dir.path() + "/CARD/VIDEO/FILE0001.MOV";
    std::vector<std::string> expected;
    for (const QString& video : videos)
        expected.push_back(summary(read(video)));
    EXPECT_EQ(expected[4], "none");
    EXPECT_NE(expected[5].find("25-02-15 15:58:06.000"), std::string::npos);

    std::vector<std::string> differing[6];
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t)
        threads.emplace_back([&, t] {
            for (qsizetype i = 0; i < 4 * videos.size(); ++i) {
                const qsizetype v = (i + t) % videos.size();
                if (summary(read(videos[v])) != expected[std::size_t(v)])
                    differing[t].push_back(videos[v].toStdString());
            }
        });
    for (int t = 0; t < 6; ++t) {
        threads[std::size_t(t)].join();
        EXPECT_EQ(differing[t], std::vector<std::string>()) << "thread " << t;
    }
}
