#include "RealData.h"
#include "ToolTestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include "support/Support.h"

namespace {

const QString kBlackVue = RealData::path(QStringLiteral("blackvue-dr650s"));

using support::writeFile;

// An empty video file beside copies of a real BlackVue clip's side files (the reader does not
// look into the video).
QString blackVueClip(const QTemporaryDir& dir, const QString& name)
{
    const QString stem = dir.filePath(name);
    for (const char* ext : {".gps", ".3gf"})
        QFile::copy(kBlackVue + "/" + name + ext, stem + ext);
    writeFile(stem + ".mp4", QByteArray());
    return stem + ".mp4";
}

QJsonArray parseArray(const ProcessResult& run)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(run.out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n"
                                                     << run.out.left(2000).toStdString();
    EXPECT_TRUE(doc.isArray());
    return doc.array();
}

} // namespace

// The values themselves are pinned by the metadata tests and, for the whole demo card, by
// comparing the tool with the dispatcher; here: the JSON shape, order, times and nulls.
TEST(ExportTool, ReadsRealBlackVueClipsInArgumentOrder)
{
    KORVELA_SKIP_WITHOUT_REALDATA("blackvue-dr650s");
    QTemporaryDir dir;
    const QString drive = blackVueClip(dir, "20170708_221449_N");
    const QString noFix = blackVueClip(dir, "20170709_080018_N");
    const QString emptyTrack = blackVueClip(dir, "20170709_080522_P");

    const ProcessResult run = runExportTool({"--format", "json", noFix, drive, emptyTrack});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    const QJsonArray array = parseArray(run);
    ASSERT_EQ(array.size(), 3);

    const QJsonObject d = array[1].toObject();
    EXPECT_EQ(d["file"].toString(), drive);
    EXPECT_EQ(d["format"].toString(), "BlackVue");
    const QJsonArray points = d["points"].toArray();
    ASSERT_EQ(points.size(), 46);
    EXPECT_EQ(points[0].toObject()["time"].toString(), "2017-07-08T19:14:50.000Z");
    EXPECT_EQ(d["velocityData"].toArray().size(), points.size());
    EXPECT_EQ(d["gSensorData"].toArray().size(), 406);
    EXPECT_EQ(d["gSensorData"].toArray()[0].toObject()["time"].toString(), "0");
    const QString stem = drive.chopped(4);
    EXPECT_EQ(d["relatedFiles"].toArray(), QJsonArray({stem + ".gps", stem + ".3gf"}));

    // No fix for the whole clip: points without time.
    const QJsonArray voidPoints = array[0].toObject()["points"].toArray();
    ASSERT_EQ(voidPoints.size(), 190);
    EXPECT_EQ(voidPoints[0].toObject()["latitude"].toString(), "0.000000");
    EXPECT_TRUE(voidPoints[0].toObject()["time"].isNull());

    // An empty track file is no BlackVue recording, and nothing else claims it.
    const QJsonObject e = array[2].toObject();
    EXPECT_EQ(e["file"].toString(), emptyTrack);
    for (const char* key : {"format", "points", "gSensorData", "velocityData", "relatedFiles"}) {
        ASSERT_TRUE(e.contains(key)) << key;
        EXPECT_TRUE(e[key].isNull()) << key;
    }
}

TEST(ExportTool, WritesNullsAndLocalLabelsAndReportsUnreadableFiles)
{
    QTemporaryDir dir;
    const QString good = dir.filePath("FILE0002.MOV");
    ASSERT_TRUE(writeFile(good, QByteArray()));
    // No GGA at all: the altitude stays unknown. A speed and an axis beyond double's range.
    ASSERT_TRUE(writeFile(dir.filePath("FILE0002.txt"),
                          "$GS,1,0,1000\n"
                          "$GPRMC,134501.000,A,5545.1234,S,03736.5678,W,1e999,45.5,050215,,,A\n"
                          "$GS,1e999,0,1000\n"
                          "$GS,1,0,1000\n"
                          "$GPRMC,134501.100,A,5545.1234,N,03736.5678,E,1.5,46,050215,,,A\n"));
    const QString noMetadata = dir.filePath("CLIP.MP4");
    ASSERT_TRUE(writeFile(noMetadata, QByteArray(64, 'x')));
    const QString missing = dir.filePath("MISSING.MP4");
    const QString folder = dir.filePath("FOLDER.MP4");
    ASSERT_TRUE(QDir().mkdir(folder));

    const ProcessResult run =
        runExportTool({"--format", "json", missing, good, folder, noMetadata});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    const QString err = QString::fromUtf8(run.err);
    EXPECT_TRUE(err.contains(missing + ": No such file or directory")) << err.toStdString();
    EXPECT_TRUE(err.contains(folder + ": Is a directory")) << err.toStdString();
    const QJsonArray array = parseArray(run);
    ASSERT_EQ(array.size(), 2);
    EXPECT_EQ(array[1].toObject()["file"].toString(), noMetadata);
    EXPECT_TRUE(array[1].toObject()["format"].isNull());

    const QJsonObject k = array[0].toObject();
    EXPECT_EQ(k["file"].toString(), good);
    EXPECT_EQ(k["format"].toString(), "Korvela");
    EXPECT_EQ(k["relatedFiles"].toArray(), QJsonArray());
    const QJsonArray points = k["points"].toArray();
    ASSERT_EQ(points.size(), 2);
    const QJsonObject p = points[0].toObject();
    EXPECT_EQ(p["latitude"].toString(), "-55.752060");
    EXPECT_EQ(p["longitude"].toString(), "-37.609463");
    EXPECT_TRUE(p["altitude"].isNull());
    EXPECT_TRUE(p["velocity"].isNull());
    EXPECT_EQ(p["azimut"].toDouble(), 45.5);
    EXPECT_EQ(points[1].toObject()["time"].toString(), "2015-02-05T13:45:01.100Z");
    EXPECT_EQ(k["velocityData"].toArray(), QJsonArray({QJsonValue(), 0.0}));
    const QJsonArray samples = k["gSensorData"].toArray();
    ASSERT_EQ(samples.size(), 3);
    EXPECT_EQ(samples[0].toObject()["time"].toString(), "0"); // before the first point
    EXPECT_TRUE(samples[1].toObject()["x"].isNull());
    EXPECT_TRUE(samples[1].toObject()["common"].isNull());
    EXPECT_EQ(samples[1].toObject()["y"].toDouble(), 0.0);
    // The first point's time in Berlin (UTC+1).
    EXPECT_EQ(samples[2].toObject()["time"].toString(), "05-02-15 14:45:01.000");

    // A recording that names its camera reports the model; the others have no such key.
    EXPECT_FALSE(k.contains("cameraModel"));
    auto box = [](const char* type, const QByteArray& payload) {
        QByteArray size(4, '\0');
        qToBigEndian<quint32>(quint32(8 + payload.size()), size.data());
        return size + type + payload;
    };
    const QString named = dir.filePath("20230101_120000_NF.mp4");
    ASSERT_TRUE(
        writeFile(named, box("ftyp", "mp42") +
                             box("free", box("3gf ", QByteArray(10, 1) + QByteArray(10, -1)) +
                                             box("cprt", "Pittasoft;DR900S-2CH;1.010;"))));
    const QJsonArray models = parseArray(runExportTool({"--format", "json", named}));
    ASSERT_EQ(models.size(), 1);
    EXPECT_EQ(models[0].toObject()["format"].toString(), "BlackVue");
    EXPECT_EQ(models[0].toObject()["cameraModel"].toString(), "DR900S-2CH");

    // Only unreadable files: an empty array, still valid JSON.
    const ProcessResult none = runExportTool({"--format", "json", missing});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(parseArray(none).size(), 0);
}

// Checks of the format against --output are the program's own; the other messages are the
// argument parser's (its own test).
TEST(ExportTool, BadArgumentsGiveUsageAndStatusTwo)
{
    const std::pair<QStringList, const char*> bad[] = {
        {{"--format", "xml", "a.mp4"}, "unknown format \"xml\""},
        {{"--format", "kml", "a.mp4"}, "needs --output"},
        {{"--format", "json", "--output", "/tmp", "a.mp4"}, "writes to standard output;"},
    };
    for (const auto& [arguments, message] : bad) {
        const ProcessResult run = runExportTool(arguments);
        EXPECT_EQ(run.exitCode, 2) << message;
        EXPECT_TRUE(run.out.isEmpty()) << message;
        EXPECT_TRUE(run.err.contains("usage: korvela-export [--quiet] --format FORMAT"));
        EXPECT_TRUE(run.err.contains(message)) << run.err.toStdString();
    }
    const ProcessResult help = runExportTool({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("usage: korvela-export"));
    EXPECT_TRUE(help.out.contains("json"));
}

TEST(ExportTool, LibraryMessagesStayOffStandardError)
{
    // FFmpeg complains about a video without a movie header; the tool's stderr carries only
    // its own lines.
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath("DCIM")));
    ASSERT_TRUE(
        writeFile(dir.filePath("DCIM/FILE0001.MP4"), QByteArray("\0\0\0\x18"
                                                                "ftypmp42\0\0\0\0mp42isom\0\0\0\x08"
                                                                "free",
                                                                32)));
    const ProcessResult run = runExportTool({"--format", "tree", dir.path()});
    ASSERT_TRUE(run.finished);
    for (const QByteArray& line : run.err.split('\n'))
        EXPECT_TRUE(line.isEmpty() || line.startsWith("korvela-export: ")) << line.constData();
}
