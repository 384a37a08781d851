// Hostile or broken side files: FIFOs, devices, files over their size limit, and positions
// that cannot be.
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVMetaPath.h"

#include "TestFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

using TestFiles::write;

namespace {

const QByteArray kRmc = "$GPRMC,134501.000,A,5545.1234,N,03736.5678,E,10.0,45.5,050215,,,A\n";

std::optional<RVMetaData> read(const QString& video)
{
    return RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(video);
}

} // namespace

TEST(ReadLimits, FifosAndDevicesAreNeverOpened)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/DCIM/100MEDIA/";
    write(folder + "REC0001.mp4", "not a video");
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + "REC0001.gps").constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + "REC0002.txt").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", folder + "REC0003.gps"));
    write(folder + "REC0004.gps", "[1499552090960]" + kRmc);
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + "REC0004.3gf").constData(), 0600), 0);

    // On a worker, so that a reader stuck in open() fails the test instead of hanging it.
    auto results = std::async(std::launch::async, [&] {
        return std::vector<std::optional<RVMetaData>>{
            read(folder + "REC0001.mp4"), read(folder + "REC0002.mp4"),
            read(folder + "REC0003.mp4"), read(folder + "REC0004.mp4")};
    });
    if (results.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Give the stuck open a writer so that the worker can end.
        for (const char* fifo : {"REC0001.gps", "REC0002.txt", "REC0004.3gf"})
            ::close(::open(QFile::encodeName(folder + fifo).constData(), O_WRONLY | O_NONBLOCK));
        FAIL() << "a reader waited on a FIFO";
    }
    const auto data = results.get();
    EXPECT_FALSE(data[0]); // a FIFO as the track file: not read, no other source
    EXPECT_FALSE(data[1]);
    EXPECT_FALSE(data[2]); // a link to a device
    ASSERT_TRUE(data[3]);  // a FIFO as the sensor file: the track still stands
    EXPECT_EQ(data[3]->points.size(), 1u);
    EXPECT_TRUE(data[3]->gSensorData.empty());
}

TEST(ReadLimits, FilesOverTheirLimitAreSkipped)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/Record/";
    const auto sparse = [](const QString& path, const QByteArray& head, qint64 size) {
        write(path, head);
        QFile file(path);
        ASSERT_TRUE(file.resize(size));
    };
    write(folder + "A.mp4", "x");
    sparse(folder + "A.gps", "[1499552090960]" + kRmc, RVMetaPath::Limits::kNmeaText + 1);
    EXPECT_FALSE(read(folder + "A.mp4"));
    // At the limit it is read.
    sparse(folder + "A.gps", "[1499552090960]" + kRmc, RVMetaPath::Limits::kNmeaText);
    EXPECT_EQ(read(folder + "A.mp4")->points.size(), 1u);

    // An oversized sensor file costs only the samples.
    write(folder + "B.mp4", "x");
    write(folder + "B.gps", "[1499552090960]" + kRmc);
    sparse(folder + "B.3gf", QByteArray(10, '\1'), RVMetaPath::Limits::kSensorRecords + 10);
    const auto b = read(folder + "B.mp4");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->points.size(), 1u);
    EXPECT_TRUE(b->gSensorData.empty());

    // A Korvela text streamed block by block has its own, larger limit.
    write(folder + "C.MOV", "x");
    sparse(folder + "C.txt", kRmc, RVMetaPath::Limits::kStreamedText + 1);
    EXPECT_FALSE(read(folder + "C.MOV"));
}

TEST(ReadLimits, ImpossiblePositionsBecomeZeroPoints)
{
    QTemporaryDir dir;
    const QString video = dir.path() + "/VIDEO/FILE0001.MOV";
    const QByteArray lines =
        kRmc +
        // A cold start's 360 / 720 degrees, latitude 100, longitude 1000, 1e400.
        "$GPRMC,134502.000,A,36000.0000,N,72000.0000,E,10.0,45.5,050215,,,A\n"
        "$GPRMC,134503.000,A,10000.0000,N,03736.5678,E,10.0,45.5,050215,,,A\n"
        "$GPRMC,134504.000,A,5545.1234,N,100000.0000,W,10.0,45.5,050215,,,A\n"
        "$GPRMC,134505.000,A,1e400,N,03736.5678,E,1e400,1e400,050215,,,A\n"
        "$GPGGA,134506.000,5545.1234,N,03736.5678,E,1,08,0.9,1e400,M,14.0,M,,\n"
        // The bounds themselves are positions.
        "$GPRMC,134506.000,A,9000.0000,S,18000.0000,W,1e400,45.5,050215,,,A\n";
    write(dir.path() + "/VIDEO/FILE0001.txt", lines);
    const auto data = read(video);
    ASSERT_TRUE(data);
    ASSERT_EQ(data->points.size(), 6u);
    EXPECT_FALSE(RVGpsProcessor::isZeroPoint(data->points[0]));
    for (std::size_t i = 1; i <= 4; ++i) {
        EXPECT_TRUE(RVGpsProcessor::isZeroPoint(data->points[i])) << i;
        EXPECT_FALSE(data->points[i].time().isValid()) << i;
    }
    EXPECT_EQ(data->points[5].latitude(), "-90.000000");
    EXPECT_EQ(data->points[5].longitude(), "-180.000000");
    EXPECT_TRUE(data->points[5].time().isValid());
    // 1e400 metres, 1e400 knots: not known.
    EXPECT_TRUE(std::isnan(data->points[5].altitude()));
    EXPECT_TRUE(std::isnan(data->points[5].velocity()));
    EXPECT_TRUE(std::isnan(data->velocityData[5]));
    EXPECT_EQ(data->points[4].azimut(), 0);
}
