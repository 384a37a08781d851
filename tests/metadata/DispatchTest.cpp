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

using namespace TestFiles;

namespace {

const QByteArray kRmc = "$GPRMC,134501.000,A,5545.1234,N,03736.5678,E,10.0,45.5,050215,,,A\n";
const QByteArray kBlackVue = "[1499552090960]" + kRmc;
const RVGpsProcessor& gps = RVGpsProcessor::sharedInstance();

// Which reader found how many points and samples in which files, or "none".
QString found(const QString& video, const QString& folder)
{
    QString format;
    const auto data = gps.readMetaDataFromVideoFile(video, &format);
    if (!data)
        return QStringLiteral("none");
    const QString counts =
        QString(" %1 %2 ").arg(data->points.size()).arg(data->gSensorData.size());
    return format + counts + data->relatedFiles.join(' ').remove(folder);
}

} // namespace

TEST(Dispatch, ReadersFindTheirFilesOnACard)
{
    QTemporaryDir dir;
    const QString card = dir.path(), media = card + "/DCIM/100MEDIA/";
    const QByteArray mini = "A,050215,134501.000,5545.1234,N,03736.5678,E,10.0,1,-10,3\n";
    // A BlackVue track beats a Korvela INFO text, and claims the video even with no usable line.
    writeFile(media + "REC0001.gps", kBlackVue + kBlackVue);
    writeFile(card + "/DCIM/INFO/REC0001.txt", kRmc);
    EXPECT_EQ(found(media + "REC0001.mp4", media), "BlackVue 2 0 REC0001.gps");
    writeFile(media + "REC0002.gps", "short\n");
    writeFile(media + "REC0002.txt", kRmc);
    EXPECT_EQ(found(media + "REC0002.mp4", media), "BlackVue 0 0 REC0002.gps");
    // BlackVue files are named after the mode and shared by its channels; an empty track of a
    // BlackVue name is a recording without fix (parking), an empty sensor file is listed;
    // files named after the whole video come first; another mode's files are another
    // recording's; a name no camera writes has none. An empty track beside a name of no
    // camera claims nothing unless a sensor file lies beside it.
    const QString record = card + "/BlackVue/Record/20170708_221449_";
    const auto blackVue = [&](const char* video) { return found(record + video + ".mp4", record); };
    writeFile(record + "N.gps", QByteArray());
    EXPECT_EQ(blackVue("NF"), "BlackVue 0 0 N.gps");
    writeFile(media + "REC0003.gps", QByteArray());
    EXPECT_EQ(found(media + "REC0003.mp4", media), "none");
    writeFile(media + "REC0003.3gf", QByteArray(10, '\2'));
    EXPECT_EQ(found(media + "REC0003.mp4", media), "BlackVue 0 1 REC0003.gps REC0003.3gf");
    writeFile(record + "N.gps", kBlackVue);
    writeFile(record + "N.3gf", QByteArray());
    EXPECT_EQ(blackVue("NF"), "BlackVue 1 0 N.gps N.3gf");
    writeFile(record + "N.3gf", QByteArray(25, '\2'));
    for (const char* video : {"NF", "NR", "NFL"})
        EXPECT_EQ(blackVue(video), "BlackVue 1 2 N.gps N.3gf") << video;
    writeFile(record + "NR.gps", kBlackVue);
    EXPECT_EQ(blackVue("NR"), "BlackVue 1 0 NR.gps");
    EXPECT_EQ(blackVue("EF") + blackVue("F"), "nonenone");

    // "AMBA" names are Mini's: the gps folder's log first, else the one beside the video, even
    // with a Korvela text there; the points' altitude 0 stays. Lower-case names are not Mini's;
    // an empty log is none.
    writeFile(media + "AMBA0003.txt", mini + mini);
    EXPECT_EQ(found(media + "AMBA0003.MP4", card), "Mini 2 2 /DCIM/100MEDIA/AMBA0003.txt");
    writeFile(card + "/gps/gps0003.log", mini);
    EXPECT_EQ(found(media + "AMBA0003.MP4", card), "Mini 1 1 /gps/gps0003.log");
    EXPECT_EQ(gps.readMetaDataFromVideoFile(media + "AMBA0003.MP4")->points[0].altitude(), 0);
    writeFile(media + "amba0005.txt", mini);
    EXPECT_EQ(found(media + "amba0005.mp4", card), "Korvela 0 0 /DCIM/100MEDIA/amba0005.txt");
    writeFile(card + "/gps/gps0006.log", QByteArray());
    EXPECT_EQ(found(media + "AMBA0006.MP4", card), "none");

    // Korvela: the "udat" box, hidden by a text beside the video, both hidden by one in INFO,
    // even an empty one; a name keeps all but its last extension. Nothing anywhere: none.
    const QString video = card + "/VIDEO/FILE0001.MOV";
    writeFile(video, standardBox("ftyp", "isom") + payloadSizedBox("udat", kRmc + kRmc + kRmc));
    EXPECT_EQ(found(video, card), "Korvela 3 0 ");
    writeFile(card + "/VIDEO/FILE0001.txt", kRmc + kRmc);
    EXPECT_EQ(found(video, card), "Korvela 2 0 /VIDEO/FILE0001.txt");
    writeFile(card + "/INFO/FILE0001.txt", kRmc);
    // Both texts are the recording's side files: the hidden one goes with it too.
    EXPECT_EQ(found(video, card), "Korvela 1 0 /INFO/FILE0001.txt /VIDEO/FILE0001.txt");
    writeFile(card + "/INFO/FILE0001.txt", QByteArray());
    EXPECT_EQ(found(video, card), "none");
    writeFile(card + "/VIDEO/TRIP.2015.txt", kRmc);
    EXPECT_EQ(found(card + "/VIDEO/TRIP.2015.MOV", card), "Korvela 1 0 /VIDEO/TRIP.2015.txt");
    EXPECT_EQ(found(card + "/VIDEO/NONE.MOV", card) + found(QString(), card), "nonenone");
}

TEST(Dispatch, CleanUpOfSamplesAltitudesAndPositions)
{
    const auto centred = [](const std::vector<std::array<double, 3>>& xyz) {
        std::vector<RVSensorData> in;
        for (const auto& [x, y, z] : xyz)
            in.emplace_back(x, y, z, 0, RVSensorLabel::number(7));
        RVMetaData out;
        out.gSensorData = gps.normalizeSensorData(in);
        EXPECT_EQ(in.back().x(), xyz.back()[0]) << "the input is left as it was";
        return text(out);
    };
    // Even counts take the upper middle value; each axis on its own; common from the centred
    // values; a NaN from outside does not break the ordering.
    EXPECT_EQ(centred({{4, 0, 0}, {1, 0, 0}, {3, 0, 0}, {2, 0, 0}}),
              "1 0 0 1 7\n-2 0 0 2 7\n0 0 0 0 7\n-1 0 0 1 7\n");
    EXPECT_EQ(centred({{1, 10, 100}, {2, 30, 300}, {3, 20, 200}}),
              "-1 -10 -100 100.503731274 7\n0 10 100 100.498756211 7\n1 0 0 1 7\n");
    EXPECT_EQ(centred({{0.3, -0.2, 1.1}}), "0 0 0 0 7\n");
    EXPECT_EQ(centred({{std::nan(""), 0, 0}, {1, 0, 0}, {2, 0, 0}}),
              "nan 0 0 nan 7\n-1 0 0 1 7\n0 0 0 0 7\n");
    EXPECT_TRUE(gps.normalizeSensorData({}).empty());

    // Leading unknown altitudes take the first known one.
    const double nan = std::nan("");
    std::vector<RVPoint> points;
    for (const double a : {nan, nan, 150.0, nan, 160.0})
        points.emplace_back("1", "2", a, 0, 0, RVTimestamp());
    gps.fixFirstAltitudeRecords(points);
    EXPECT_EQ(text(points[0]) + text(points[2]) + text(points[3]) + text(points[4]),
              "1 2 - 0 150 01 2 - 0 150 01 2 - 0 nan 01 2 - 0 160 0");
    points.resize(2);
    points[0] = points[1] = RVPoint("1", "2", nan, 0, 0, RVTimestamp());
    gps.fixFirstAltitudeRecords(points);
    EXPECT_TRUE(std::isnan(points[0].altitude()));
    points.clear();
    gps.fixFirstAltitudeRecords(points);

    // Impossible positions become zero points.
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
    const std::string zero = "0.000000 0.000000 - 18.5199999809 nan 45.5\n";
    EXPECT_EQ(text(gps.readMetaDataFromVideoFile(dir.path() + "/VIDEO/FILE0001.MOV")),
              "55.752060 37.609463 2015-02-05 13:45:01.000 18.5199999809 nan 45.5\n" + zero + zero +
                  zero + "0.000000 0.000000 - nan nan 0\n" +
                  "-90.000000 -180.000000 2015-02-05 13:45:06.000 nan nan 45.5\n" +
                  "18.5199999809 18.5199999809 18.5199999809 18.5199999809 nan nan ");
}

TEST(Dispatch, FifosDevicesAndOversizedFilesAreNotRead)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    const auto fifo = [&](const char* name) {
        return ::mkfifo(QFile::encodeName(folder + name).constData(), 0600) == 0;
    };
    writeFile(folder + "REC0001.mp4", "not a video");
    writeFile(folder + "REC0004.gps", kBlackVue);
    ASSERT_TRUE(fifo("REC0001.gps") && fifo("REC0002.txt") && fifo("REC0004.3gf"));
    ASSERT_TRUE(QFile::link("/dev/zero", folder + "REC0003.gps"));
    // On a worker, so that a reader stuck in open() fails the test instead of hanging it.
    auto results = std::async(std::launch::async, [&] {
        QStringList out;
        for (const char* video : {"REC0001.mp4", "REC0002.mp4", "REC0003.mp4", "REC0004.mp4"})
            out << found(folder + video, folder);
        return out;
    });
    if (results.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        for (const char* name : {"REC0001.gps", "REC0002.txt", "REC0004.3gf"})
            ::close(::open(QFile::encodeName(folder + name).constData(), O_WRONLY | O_NONBLOCK));
        FAIL() << "a reader waited on a FIFO";
    }
    // A FIFO as the sensor file costs only the samples.
    EXPECT_EQ(results.get(),
              QStringList({"none", "none", "none", "BlackVue 1 0 REC0004.gps REC0004.3gf"}));

    // At its limit a file is read, a byte more and it is skipped; an oversized sensor file
    // costs only the samples; the streamed Korvela text has its own limit.
    const auto sparse = [&](const QString& name, const QByteArray& head, qint64 size) {
        writeFile(folder + name, head);
        EXPECT_TRUE(QFile(folder + name).resize(size));
    };
    sparse("A.gps", kBlackVue, RVMetaPath::Limits::kNmeaText + 1);
    EXPECT_EQ(found(folder + "A.mp4", folder), "none");
    sparse("A.gps", kBlackVue, RVMetaPath::Limits::kNmeaText);
    EXPECT_EQ(found(folder + "A.mp4", folder), "BlackVue 1 0 A.gps");
    writeFile(folder + "B.gps", kBlackVue);
    sparse("B.3gf", QByteArray(10, '\1'), RVMetaPath::Limits::kSensorRecords + 10);
    EXPECT_EQ(found(folder + "B.mp4", folder), "BlackVue 1 0 B.gps B.3gf");
    writeFile(folder + "C.MOV");
    sparse("C.txt", kRmc, RVMetaPath::Limits::kStreamedText + 1);
    EXPECT_EQ(found(folder + "C.MOV", folder), "none");
}
