// korvela-export --format tree on card folders laid out as the cameras write them: Tesla's
// folders of four to six views, Novatek's transport streams, GoPro's chapter files, and trips
// that keep camera families and dating apart.
#include "RealData.h"
#include "support/Support.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QJsonArray exportJson(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(KORVELA_BINARY_DIR "/tools/korvela-export"),
                  QStringList{"--quiet"} + arguments);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(300000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(process.readAllStandardOutput()).array();
}

bool setModified(const QString& path, const char* isoTime)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(QDateTime::fromString(QString::fromLatin1(isoTime), Qt::ISODate),
                            QFileDevice::FileModificationTime);
}

QStringList keys(const QJsonValue& object)
{
    QStringList list = object.toObject().keys();
    list.sort();
    return list;
}

} // namespace

TEST(CameraCards, TeslaFoldersOfUpToSixViewsEventsEncryptedOnesAndGoProChapters)
{
    QTemporaryDir dir;
    // A one-minute clip made once, copied to each path.
    const QStringList clip =
        QString("-v error -f lavfi -t 60 -i testsrc=size=64x36:rate=1 -c:v libx264").split(' ');
    const QString made = dir.filePath("clip.mp4");
    ASSERT_TRUE(support::runFfmpeg(clip + QStringList{made}));
    const auto copy = [&](const QString& path) {
        return QDir().mkpath(QFileInfo(path).path()) && QFile::copy(made, path);
    };
    const QString cam = dir.path() + "/card/TeslaCam/";
    for (const char* minute : {"2024-05-01_12-00-00", "2024-05-01_12-01-00"}) {
        for (const char* camera : {"front", "back", "left_repeater", "right_repeater"})
            ASSERT_TRUE(copy(cam + "RecentClips/" + minute + "-" + camera + ".mp4"));
    }
    const QString saved = cam + "SavedClips/2024-05-01_12-10-05/";
    for (const char* camera :
         {"front", "back", "left_repeater", "right_repeater", "left_pillar", "right_pillar"})
        ASSERT_TRUE(copy(saved + "2024-05-01_12-09-00-" + camera + ".mp4"));
    ASSERT_TRUE(support::writeFile(saved + "event.json",
                                   R"({"timestamp":"2024-05-01T12:09:41","city":"Palo Alto",)"
                                   R"("est_lat":"37.4","est_lon":"-122.1","reason":"sentry_aware)"
                                   R"(_object_detection","camera":"5"})"));
    // Encrypted by ffmpeg's own CENC muxer: an "encv" entry with its protection scheme.
    const QString sentry = cam + "SentryClips/2024-05-01_13-00-00/2024-05-01_12-59-00-front.mp4";
    ASSERT_TRUE(QDir().mkpath(QFileInfo(sentry).path()));
    ASSERT_TRUE(support::runFfmpeg(
        clip + QStringList{"-encryption_scheme", "cenc-aes-ctr", "-encryption_key",
                           "00112233445566778899aabbccddeeff", "-encryption_kid",
                           "ffeeddccbbaa99887766554433221100", sentry}));

    const QJsonArray tree = exportJson({"--format", "tree", dir.path() + "/card"});
    ASSERT_EQ(tree.size(), 3) << QJsonDocument(tree).toJson().toStdString();
    // The recent minutes: one trip of two recordings of four views, dated by their names.
    const QJsonObject recent = tree[0].toObject();
    EXPECT_EQ(recent["created"].toString(), "2024-05-01T10:00:00.000Z");
    EXPECT_EQ(recent["mode"].toString(), "normal");
    ASSERT_EQ(recent["children"].toArray().size(), 2);
    EXPECT_EQ(keys(recent["children"][1]["channels"]),
              QStringList({"front", "left", "rear", "right"}));
    EXPECT_TRUE(recent["files"][1].toString().endsWith("12-01-00-front.mp4"));
    // The saved event: six views, the event of the minute it falls in.
    const QJsonObject event = tree[1].toObject();
    EXPECT_EQ(event["mode"].toString(), "event");
    EXPECT_EQ(keys(event["channels"]),
              QStringList({"front", "left", "left pillar", "rear", "right", "right pillar"}));
    // Described by the camera, it stands for the folder's mark; the clip starts 41 s before.
    ASSERT_EQ(event["events"].toArray().size(), 1);
    EXPECT_EQ(event["events"][0].toObject(),
              QJsonObject({{"time", "2024-05-01T10:09:41.000Z"},
                           {"seconds", 41.0},
                           {"kind", "saved"},
                           {"strength", QJsonValue::Null},
                           {"reason", "sentry_aware_object_detection"},
                           {"city", "Palo Alto"},
                           {"latitude", 37.4},
                           {"longitude", -122.1}}));
    // The encrypted recording is listed and dated all the same; its reader says why it gave
    // nothing.
    const QJsonObject locked = tree[2].toObject();
    EXPECT_EQ(locked["files"][0].toString(), sentry);
    EXPECT_EQ(locked["created"].toString(), "2024-05-01T10:59:00.000Z");
    EXPECT_EQ(locked["mode"].toString(), "event");
    EXPECT_EQ(exportJson({"--format", "json", sentry})[0].toObject()["format"], QJsonValue());

    // GoPro's chapters join one trip in chapter order, whatever their dates. Copied from the
    // card in no particular order: the files' dates are the copy's, a second apart, and say
    // nothing of the chapters' order. The older form names its first chapter GOPR and the
    // second GP01. GX010043 is the next take, two hours later.
    const QString folder = dir.path() + "/gopro/DCIM/100GOPRO/";
    const std::pair<const char*, const char*> files[] = {
        {"GP010007.MP4", "2024-06-01T09:00:00Z"}, {"GOPR0007.MP4", "2024-06-01T09:00:05Z"},
        {"GX030042.MP4", "2024-06-01T10:00:00Z"}, {"GX010042.MP4", "2024-06-01T10:00:01Z"},
        {"GX020042.MP4", "2024-06-01T10:00:02Z"}, {"GX010043.MP4", "2024-06-01T12:00:00Z"}};
    for (const auto& [name, modified] : files) {
        ASSERT_TRUE(copy(folder + name));
        ASSERT_TRUE(setModified(folder + name, modified));
    }
    const QJsonArray chapters = exportJson({"--format", "tree", dir.path() + "/gopro"});
    ASSERT_EQ(chapters.size(), 3) << QJsonDocument(chapters).toJson().toStdString();
    const auto fileNames = [](const QJsonValue& node) {
        QStringList names;
        for (const QJsonValue& file : node["files"].toArray())
            names.append(QFileInfo(file.toString()).fileName());
        return names.join(' ');
    };
    EXPECT_EQ(fileNames(chapters[0]), "GOPR0007.MP4 GP010007.MP4");
    EXPECT_EQ(fileNames(chapters[1]), "GX010042.MP4 GX020042.MP4 GX030042.MP4");
    EXPECT_EQ(fileNames(chapters[2]), "GX010043.MP4");
    // The trip's time runs on through its chapters: three one-minute files, three minutes.
    EXPECT_NEAR(chapters[1]["duration"].toDouble(), 180.0, 1.0);
    EXPECT_EQ(chapters[1]["children"].toArray().size(), 3);
}

TEST(CameraCards, TransportStreamTracksAndTripsThatKeepFamiliesAndDatingApart)
{
    QTemporaryDir dir;
    const QString card = dir.path() + "/card";
    const QString movie = card + "/DCIM/Movie/";
    ASSERT_TRUE(QDir().mkpath(movie));
    // A Viofo A119 V3 record as ExifTool's notes show it (08:07:24 on 2021-03-11, 5534.25 N,
    // 3815.95 E, 18.89 knots, course 198.1), one a second.
    const QByteArray record = QByteArray::fromHex(
        "08000000070000001800000015000000030000000b000000414e450001f2ac452d7f6e45b81e9741d7234643"
        "00000000");
    QByteArray records;
    for (int second = 0; second < 3; ++second)
        records += QByteArray(record).replace(8, 1, QByteArray(1, char(0x18 + second)));
    // The records follow the camera's clock, as its names do (the sample's own name said
    // 08:07:20): local time, read here in the tests' zone (Europe/Berlin, UTC+1 in March).
    const QString ts = movie + "2021_0311_080724_000001F.TS";
    ASSERT_TRUE(support::writeTransportStream(ts, records, int(record.size())));
    // A TypeScript source is no recording.
    ASSERT_TRUE(support::writeFile(movie + "player.ts", "export const x = 1;\n"));

    const QJsonArray read = exportJson({"--format", "json", ts});
    ASSERT_EQ(read.size(), 1);
    EXPECT_EQ(read[0]["format"].toString(), "MPEG-TS");
    EXPECT_EQ(read[0]["points"][0]["time"].toString(), "2021-03-11T07:07:24.000Z");
    // A camera set to Moscow time, as this one was: its clock rule moves the records with it.
    const auto moscow = exportJson({"--camera-zone", "Europe/Moscow", "--format", "json", ts});
    ASSERT_EQ(moscow.size(), 1);
    EXPECT_EQ(moscow[0]["points"][0]["time"].toString(), "2021-03-11T05:07:24.000Z");

    // Around it: a BlackVue recording a few seconds after its end; then a recording of no
    // known camera dated by its NMEA log, and one dated only by its modification time. None
    // joins the trip before it.
    ASSERT_TRUE(support::writeFile(card + "/BlackVue/Record/20210311_080730_NF.mp4", "x"));
    ASSERT_TRUE(support::writeFile(card + "/DCIM/FILE0001.MP4", "x"));
    ASSERT_TRUE(support::writeFile(
        card + "/DCIM/FILE0001.nmea",
        "$GPRMC,070800.000,A,5534.2500,N,03815.9500,E,10.0,45.5,110321,,,A\r\n"));
    const QString plain = card + "/DCIM/FILE0002.MP4";
    ASSERT_TRUE(support::writeFile(plain, "x") && setModified(plain, "2021-03-11T07:08:10Z"));
    const QJsonArray tree = exportJson({"--format", "tree", card});
    ASSERT_EQ(tree.size(), 4) << QJsonDocument(tree).toJson().toStdString();
    QStringList names;
    for (const QJsonValue& node : tree)
        names.append(node["name"].toString() + " " + node["created"].toString());
    EXPECT_EQ(names, QStringList({"2021_0311_080724_000001F.TS 2021-03-11T07:07:24.000Z",
                                  "20210311_080730_NF.mp4 2021-03-11T07:07:30.000Z",
                                  "FILE0001.MP4 2021-03-11T07:08:00.000Z",
                                  "FILE0002.MP4 2021-03-11T07:08:10.000Z"}));
}

TEST(CameraCards, SigmaStarCardsOfACarcamAndANeoline)
{
    // Real files (coordinates replaced at their source) laid out as the cameras write them: a
    // CARCAM 4CH keeps one folder a channel below its mode folder, the channels' files of one
    // moment differ in their sequence numbers; a Neoline keeps its front and rear files side by
    // side. The CARCAM's other channels hold no track of their own (copies of a plain file).
    QTemporaryDir dir;
    const QString card = dir.path() + "/card";
    const QString front = card + "/Normal/A/REC20250607-180617-527-A.mp4";
    ASSERT_TRUE(QDir().mkpath(card + "/Normal/A") && QDir().mkpath(card + "/DCIM"));
    ASSERT_TRUE(QFile::copy(RealData::path("dashcamigo/carcam-4ch-front.mp4"), front));
    ASSERT_TRUE(support::writeFile(card + "/Normal/B/REC20250607-180617-528-B.mp4", "x"));
    ASSERT_TRUE(support::writeFile(card + "/Normal/D/REC20250607-180618-530-D.mp4", "x"));
    ASSERT_TRUE(support::writeFile(card + "/Event/A/REC20250607-181500-531-A.mp4", "x"));
    ASSERT_TRUE(QFile::copy(RealData::path("dashcamigo/neoline-spectrum-4k-front.mp4"),
                            card + "/DCIM/INF20260725-120324-105-F.mp4"));
    ASSERT_TRUE(support::writeFile(card + "/DCIM/INF20260725-120324-106-R.mp4", "x"));

    const QJsonArray tree = exportJson({"--format", "tree", card});
    ASSERT_EQ(tree.size(), 3) << QJsonDocument(tree).toJson().toStdString();
    // Berlin summer time: the CARCAM's track and names on its clock, 18:06 local.
    EXPECT_EQ(tree[0]["created"].toString(), "2025-06-07T16:06:00.000Z");
    EXPECT_EQ(tree[0]["mode"].toString(), "normal");
    EXPECT_EQ(keys(tree[0]["channels"]), QStringList({"front", "optional", "rear"}));
    EXPECT_EQ(tree[1]["created"].toString(), "2025-06-07T16:15:00.000Z");
    EXPECT_EQ(tree[1]["mode"].toString(), "event");
    // The Neoline: dated by its first fix (UTC), its rear file joined to it.
    EXPECT_EQ(tree[2]["created"].toString(), "2026-07-25T09:04:25.000Z");
    EXPECT_EQ(keys(tree[2]["channels"]), QStringList({"front", "rear"}));
    // What a maintainer is sent of a recording: its name and reader, never its folder.
    const QJsonArray probe = exportJson({"--format", "probe", front});
    ASSERT_EQ(probe.size(), 1);
    EXPECT_EQ(probe[0]["file"].toString(), "REC20250607-180617-527-A.mp4");
    EXPECT_EQ(probe[0]["format"].toString(), "CARCAM");
}

TEST(CameraCards, MioFrontAndRearFoldersMakeOneRecording)
{
    // A Mio MiVue keeps one folder a mode and a channel; the front video's NMEA log (a real
    // Navman log) is the track, the rear file has none. The files of one moment are one
    // recording, and those in "Event" are events.
    QTemporaryDir dir;
    const QString card = dir.path() + "/card";
    for (const char* folder : {"/Normal/F", "/Normal/R", "/Event/F"})
        ASSERT_TRUE(QDir().mkpath(card + folder));
    ASSERT_TRUE(QFile::copy(RealData::path("dashcamigo/navman-mivue150.NMEA"),
                            card + "/Normal/F/FILE260625-144859F.NMEA"));
    for (const char* file : {"/Normal/F/FILE260625-144859F.mp4", "/Normal/R/FILE260625-144859R.mp4",
                             "/Event/F/FILE260625-145500F.mp4"})
        ASSERT_TRUE(support::writeFile(card + file, "x"));

    const QJsonArray tree = exportJson({"--format", "tree", card});
    ASSERT_EQ(tree.size(), 2) << QJsonDocument(tree).toJson().toStdString();
    EXPECT_EQ(tree[0]["created"].toString(), "2026-06-25T04:48:58.000Z");
    EXPECT_EQ(keys(tree[0]["channels"]), QStringList({"front", "rear"}));
    EXPECT_EQ(tree[0]["mode"].toString(), "normal");
    EXPECT_EQ(tree[1]["mode"].toString(), "event");
}
