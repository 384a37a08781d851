#include "ToolTestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kBlackVue = QStringLiteral(KORVELA_REALDATA_DIR "/blackvue-dr650s");

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A video file beside copies of a real BlackVue clip's side files (the video's content does
// not matter to the reader).
QString blackVueClip(const QTemporaryDir& dir, const QString& name)
{
    const QString stem = dir.filePath(name);
    for (const char* ext : {".gps", ".3gf"}) {
        const QString source = kBlackVue + "/" + name + ext;
        if (QFile::exists(source))
            QFile::copy(source, stem + ext);
    }
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

// The median of one axis after the tool's output: the dispatcher centres every axis on it.
double upperMedian(const QJsonArray& samples, const QString& axis)
{
    std::vector<double> values;
    for (const QJsonValue& sample : samples)
        values.push_back(sample.toObject().value(axis).toDouble());
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

TEST(ExportTool, ReadsRealBlackVueClipsInArgumentOrder)
{
    if (!QDir(kBlackVue).exists())
        GTEST_SKIP() << "no real data";
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

    // A plain drive near Minsk: RMC comes before GGA in every cycle, so the first point has no
    // altitude of its own and gets the first GGA's 222.3 m.
    const QJsonObject d = array[1].toObject();
    EXPECT_EQ(d["file"].toString(), drive);
    EXPECT_EQ(d["format"].toString(), "BlackVue");
    const QJsonArray points = d["points"].toArray();
    ASSERT_EQ(points.size(), 46); // one per RMC line
    const QJsonObject first = points[0].toObject();
    // 5357.14375 in single precision is 5357.1435546875, hence ...393 rather than ...396.
    EXPECT_EQ(first["latitude"].toString(), "53.952393");
    EXPECT_EQ(first["longitude"].toString(), "27.681038");
    EXPECT_EQ(first["altitude"].toDouble(), 222.3);
    EXPECT_EQ(first["azimut"].toDouble(), 62.67);
    EXPECT_NEAR(first["velocity"].toDouble(), 7.525 * 1.852, 1e-5);
    EXPECT_EQ(first["time"].toString(), "2017-07-08T19:14:50.000Z");
    const QJsonArray speeds = d["velocityData"].toArray();
    ASSERT_EQ(speeds.size(), points.size());
    EXPECT_EQ(speeds[0].toDouble(), first["velocity"].toDouble());
    // 4060 bytes of 10-byte records; labels are the records' time counters.
    const QJsonArray samples = d["gSensorData"].toArray();
    ASSERT_EQ(samples.size(), 406);
    EXPECT_EQ(samples[0].toObject()["time"].toString(), "0");
    for (const char* axis : {"x", "y", "z"})
        EXPECT_EQ(upperMedian(samples, axis), 0.0) << axis;
    const QJsonObject s = samples[5].toObject();
    EXPECT_NEAR(s["common"].toDouble(),
                std::hypot(s["x"].toDouble(), s["y"].toDouble(), s["z"].toDouble()), 1e-12);
    const QString stem = drive.chopped(4);
    EXPECT_EQ(d["relatedFiles"].toArray(), QJsonArray({stem + ".gps", stem + ".3gf"}));

    // No fix for the whole clip: every point is a zero point without time, and the empty GGA
    // altitude field reads as 0.
    const QJsonObject n = array[0].toObject();
    EXPECT_EQ(n["format"].toString(), "BlackVue");
    const QJsonArray voidPoints = n["points"].toArray();
    ASSERT_EQ(voidPoints.size(), 190);
    EXPECT_EQ(voidPoints[0].toObject()["latitude"].toString(), "0.000000");
    EXPECT_TRUE(voidPoints[0].toObject()["time"].isNull());
    EXPECT_EQ(voidPoints[189].toObject()["altitude"].toDouble(), 0.0);

    // An empty track file is no BlackVue recording, and nothing else claims it.
    const QJsonObject e = array[2].toObject();
    EXPECT_EQ(e["file"].toString(), emptyTrack);
    for (const char* key : {"format", "points", "gSensorData", "velocityData", "relatedFiles"}) {
        ASSERT_TRUE(e.contains(key)) << key;
        EXPECT_TRUE(e[key].isNull()) << key;
    }
}

TEST(ExportTool, ReadsAKorvelaSideTextWithLabelsInLocalTime)
{
    QTemporaryDir dir;
    const QString video = dir.filePath("FILE0001.MOV");
    ASSERT_TRUE(writeFile(video, "not really a video"));
    ASSERT_TRUE(writeFile(dir.filePath("FILE0001.txt"),
                          "$GPGGA,134501.000,5545.1234,N,03736.5678,E,1,08,0.9,150,M,14.0,M,,\n"
                          "$GPRMC,134501.000,A,5545.1234,S,03736.5678,W,10.0,45.5,050215,,,A\n"
                          "$GS,12,-40,1020\n"
                          "$GS,8,-36,995\n"
                          "$GPRMC,134501.100,A,5545.1234,N,03736.5678,E,1.5,46,050215,,,A\n"));
    const ProcessResult run = runExportTool({"--format", "json", video});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray array = parseArray(run);
    ASSERT_EQ(array.size(), 1);
    const QJsonObject k = array[0].toObject();
    EXPECT_EQ(k["format"].toString(), "Korvela");
    const QJsonArray points = k["points"].toArray();
    ASSERT_EQ(points.size(), 2);
    const QJsonObject p = points[0].toObject();
    EXPECT_EQ(p["latitude"].toString(), "-55.752060");
    EXPECT_EQ(p["longitude"].toString(), "-37.609463");
    EXPECT_EQ(p["altitude"].toDouble(), 150.0);
    EXPECT_EQ(p["velocity"].toDouble(), 18.519999980926514);
    EXPECT_EQ(p["azimut"].toDouble(), 45.5);
    EXPECT_EQ(p["time"].toString(), "2015-02-05T13:45:01.000Z");
    EXPECT_EQ(points[1].toObject()["velocity"].toDouble(), 0.0); // under 3 km/h
    EXPECT_EQ(points[1].toObject()["time"].toString(), "2015-02-05T13:45:01.100Z");
    EXPECT_EQ(k["velocityData"].toArray(), QJsonArray({18.519999980926514, 0.0}));
    EXPECT_EQ(k["relatedFiles"].toArray(), QJsonArray());

    // Raw (0.012, -0.04, 0.02) and (0.008, -0.036, -0.005), centred on the upper medians
    // (0.012, -0.036, 0.02); both labelled with the first point's time in Berlin (UTC+1).
    const QJsonArray samples = k["gSensorData"].toArray();
    ASSERT_EQ(samples.size(), 2);
    const QJsonObject a = samples[0].toObject();
    const QJsonObject b = samples[1].toObject();
    EXPECT_EQ(a["x"].toDouble(), 0.0);
    EXPECT_NEAR(a["y"].toDouble(), -0.004, 1e-12);
    EXPECT_EQ(a["z"].toDouble(), 0.0);
    EXPECT_NEAR(b["x"].toDouble(), -0.004, 1e-12);
    EXPECT_EQ(b["y"].toDouble(), 0.0);
    EXPECT_NEAR(b["z"].toDouble(), -0.025, 1e-12);
    EXPECT_NEAR(b["common"].toDouble(), std::hypot(0.004, 0.025), 1e-12);
    EXPECT_EQ(a["time"].toString(), "05-02-15 14:45:01.000");
    EXPECT_EQ(b["time"].toString(), "05-02-15 14:45:01.000");
}

TEST(ExportTool, WritesNullForNumbersThatAreNotFinite)
{
    QTemporaryDir dir;
    const QString video = dir.filePath("FILE0002.MOV");
    ASSERT_TRUE(writeFile(video, QByteArray()));
    // No GGA at all: the altitude stays unknown. A speed and an axis beyond double's range.
    ASSERT_TRUE(writeFile(dir.filePath("FILE0002.txt"),
                          "$GS,1,0,1000\n"
                          "$GPRMC,134501.000,A,5545.1234,N,03736.5678,E,1e999,45.5,050215,,,A\n"
                          "$GS,1e999,0,1000\n"
                          "$GS,1,0,1000\n"));
    const ProcessResult run = runExportTool({"--format", "json", video});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray array = parseArray(run);
    ASSERT_EQ(array.size(), 1);
    const QJsonObject k = array[0].toObject();
    const QJsonObject p = k["points"].toArray()[0].toObject();
    EXPECT_TRUE(p["altitude"].isNull());
    EXPECT_TRUE(p["velocity"].isNull());
    EXPECT_EQ(p["azimut"].toDouble(), 45.5);
    EXPECT_TRUE(k["velocityData"].toArray()[0].isNull());
    const QJsonArray samples = k["gSensorData"].toArray();
    ASSERT_EQ(samples.size(), 3);
    EXPECT_EQ(samples[0].toObject()["time"].toString(), "0"); // before the first point
    EXPECT_TRUE(samples[1].toObject()["x"].isNull());
    EXPECT_TRUE(samples[1].toObject()["common"].isNull());
    EXPECT_EQ(samples[1].toObject()["y"].toDouble(), 0.0);
    EXPECT_EQ(samples[2].toObject()["x"].toDouble(), 0.0);
}

TEST(ExportTool, ReportsUnreadableFilesAndPrintsTheOthers)
{
    QTemporaryDir dir;
    const QString good = dir.filePath("FILE0003.MOV");
    ASSERT_TRUE(writeFile(good, QByteArray()));
    ASSERT_TRUE(writeFile(dir.filePath("FILE0003.txt"), "$GS,0,0,1000\n"));
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
    EXPECT_EQ(array[0].toObject()["file"].toString(), good);
    EXPECT_EQ(array[0].toObject()["format"].toString(), "Korvela");
    EXPECT_EQ(array[0].toObject()["points"].toArray().size(), 0);
    EXPECT_EQ(array[0].toObject()["gSensorData"].toArray().size(), 1);
    EXPECT_EQ(array[1].toObject()["file"].toString(), noMetadata);
    EXPECT_TRUE(array[1].toObject()["format"].isNull());

    // Only unreadable files: an empty array, still valid JSON.
    const ProcessResult none = runExportTool({"--format", "json", missing});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(parseArray(none).size(), 0);
}

TEST(ExportTool, BadArgumentsGiveUsageAndStatusTwo)
{
    const QList<QStringList> bad = {
        {},
        {"a.mp4"},
        {"--format", "json"},
        {"--format", "xml", "a.mp4"},
        {"--format", "json", "--output", "/tmp", "a.mp4"},
        {"--format", "json", "--verbose", "a.mp4"},
    };
    for (const QStringList& arguments : bad) {
        const ProcessResult run = runExportTool(arguments);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("usage: korvela-export --format FORMAT"))
            << run.err.toStdString();
    }
    EXPECT_TRUE(runExportTool({"--format", "xml", "a.mp4"}).err.contains("unknown format \"xml\""));

    const ProcessResult help = runExportTool({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("usage: korvela-export"));
    EXPECT_TRUE(help.out.contains("json"));
}
