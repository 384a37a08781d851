// korvela-export run as a user runs it: on the demo card that tools/make-demo-card writes (once
// per test run), on hand-made files, and with bad arguments.
#include "metadata/RVGpsProcessor.h"
#include "support/Support.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <map>

namespace {

struct Ran
{
    int exitCode = -1; // -1 when it did not finish
    QByteArray out, err;
    QJsonArray json() const { return QJsonDocument::fromJson(out).array(); }
};

// Runs the tool (or another program); one that hangs is killed with its QProcess.
Ran exportTool(const QStringList& arguments,
               const QString& program = QStringLiteral(KORVELA_BINARY_DIR "/tools/korvela-export"))
{
    QProcess process;
    process.start(program, arguments);
    process.closeWriteChannel();
    const bool ended = process.waitForFinished(300000);
    return {ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

const auto number = [](double v) { return std::isfinite(v) ? QJsonValue(v) : QJsonValue(); };
const auto text = [](const QString& t) { return t.isEmpty() ? QJsonValue() : QJsonValue(t); };

} // namespace

// The card's manifest says what each recording holds and where its camera keeps it, and which
// trips the recordings form: the dispatcher must find exactly that, the tool must print what
// the dispatcher reads, and its tree must group the trips.
TEST(DemoCard, EveryRecordingAndTripReadsAsGenerated)
{
    QTemporaryDir dir;
    const QDir card(dir.filePath(QStringLiteral("card")));
    const Ran made = exportTool({card.path()}, KORVELA_SOURCE_DIR "/tools/make-demo-card");
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const QByteArray manifest = support::readFile(card.filePath("korvela-demo-card.json"));
    const QJsonArray recordings = QJsonDocument::fromJson(manifest)["recordings"].toArray();
    ASSERT_FALSE(recordings.isEmpty());
    QStringList videos;
    for (const QJsonValue& value : recordings)
        videos.append(card.filePath(value["video"].toString()));
    const Ran result = exportTool(QStringList{"--format", "json"} + videos);
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonArray printed = result.json();
    ASSERT_EQ(printed.size(), recordings.size());

    std::map<int, QJsonObject> trips; // files, duration and start of each trip
    for (qsizetype i = 0; i < recordings.size(); ++i) {
        const QJsonObject r = recordings[i].toObject();
        SCOPED_TRACE(r["video"].toString().toStdString());
        QJsonObject& trip = trips[r["trip"].toInt()];
        trip["files"] = trip["files"].toArray() + videos[i];
        trip["duration"] = trip["duration"].toDouble() + r["durationSeconds"].toDouble();
        if (!trip.contains("created"))
            trip["created"] = r["firstPointTime"];
        const std::optional<RVMetaData> data =
            RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(videos[i]);
        ASSERT_TRUE(data);
        ASSERT_EQ(qint64(data->points.size()), r["points"].toInteger());
        EXPECT_EQ(qint64(data->gSensorData.size()), r["gSensorSamples"].toInteger());
        EXPECT_EQ(data->points.front().time().toDateTime().toString(Qt::ISODateWithMs),
                  r["firstPointTime"].toString());
        // The tool prints what the dispatcher read (through a JSON round trip, so that both
        // sides' numbers have the same type).
        QJsonArray points, samples, speeds;
        for (const RVPoint& p : data->points)
            points.append(
                QJsonObject{{"latitude", p.latitude()},
                            {"longitude", p.longitude()},
                            {"altitude", number(p.altitude())},
                            {"azimut", number(p.azimut())},
                            {"velocity", number(p.velocity())},
                            {"time", text(p.time().toDateTime().toString(Qt::ISODateWithMs))}});
        for (const RVSensorData& s : data->gSensorData)
            samples.append(QJsonObject{{"x", number(s.x())},
                                       {"y", number(s.y())},
                                       {"z", number(s.z())},
                                       {"common", number(s.common())},
                                       {"time", text(s.time().text())}});
        for (double speed : data->velocityData)
            speeds.append(number(speed));
        const QJsonObject expected{
            {"file", videos[i]},
            {"format", r["format"]},
            {"timeSource", "gps"},
            {"points", points},
            {"gSensorData", samples},
            {"velocityData", speeds},
            {"relatedFiles", QJsonArray::fromStringList(data->relatedFiles)}};
        QJsonObject got = printed[i].toObject();
        // The events staged in the drive, at their times (a camera's own mark stands at 0).
        QJsonArray staged;
        for (const QJsonValue& event : got["events"].toArray()) {
            if (!event["kind"].toString().startsWith("camera-"))
                staged.append(event);
        }
        const QJsonArray expectedEvents = r["events"].toArray();
        ASSERT_EQ(staged.size(), expectedEvents.size()) << videos[i].toStdString();
        for (qsizetype e = 0; e < staged.size(); ++e) {
            const QJsonObject found = staged[e].toObject();
            const QJsonObject want = expectedEvents[e].toObject();
            EXPECT_EQ(found["kind"], want["kind"]);
            EXPECT_GE(found["seconds"].toDouble(), want["fromSeconds"].toDouble());
            EXPECT_LT(found["seconds"].toDouble(), want["toSeconds"].toDouble());
            EXPECT_TRUE(found["time"].isString() && found["latitude"].isDouble());
        }
        EXPECT_TRUE(got["stats"][QStringLiteral("start")].isObject()) << videos[i].toStdString();
        got.remove("events");
        got.remove("stats");
        EXPECT_EQ(got, QJsonDocument::fromJson(QJsonDocument(expected).toJson()).object());
    }
    // The tree: the manifest's trips in order of their start.
    const Ran tree = exportTool({"--format", "tree", card.path()});
    ASSERT_EQ(tree.exitCode, 0) << tree.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(tree.err).contains(
        QRegularExpression("read (\\d+) of \\1 recordings\n")));
    const QJsonArray nodes = tree.json();
    ASSERT_EQ(nodes.size(), qsizetype(trips.size()));
    int index = 0;
    for (const auto& [number, trip] : trips) {
        const QJsonObject node = nodes[index++].toObject();
        const qsizetype count = trip["files"].toArray().size();
        EXPECT_EQ(node["files"].toArray(), trip["files"].toArray()) << "trip " << number;
        EXPECT_NEAR(node["duration"].toDouble(), trip["duration"].toDouble(), 0.1) << number;
        EXPECT_EQ(node["created"], trip["created"]) << "trip " << number;
        EXPECT_EQ(node["locked"].toArray().size(), count);
        EXPECT_EQ(node["children"].toArray().size(), count > 1 ? count : 0);
        // A trip's figures add up its files', and its events are theirs in trip time.
        double metres = 0, offset = 0;
        QJsonArray childEvents;
        for (const QJsonValue& child : node["children"].toArray()) {
            metres += child["stats"]["distanceMetres"].toDouble();
            for (const QJsonValue& event : child["events"].toArray()) {
                QJsonObject shifted = event.toObject();
                shifted["seconds"] = shifted["seconds"].toDouble() + offset;
                childEvents.append(shifted);
            }
            offset += child["duration"].toDouble();
        }
        ASSERT_TRUE(node["events"].isArray()) << "trip " << number;
        if (count > 1) {
            EXPECT_NEAR(node["stats"]["distanceMetres"].toDouble(), metres, 1e-6);
            const QJsonArray events = node["events"].toArray();
            ASSERT_EQ(events.size(), childEvents.size()) << "trip " << number;
            for (qsizetype e = 0; e < events.size(); ++e) {
                const QJsonObject fromChild = childEvents[e].toObject();
                EXPECT_EQ(events[e]["kind"], fromChild["kind"]);
                EXPECT_NEAR(events[e]["seconds"].toDouble(), fromChild["seconds"].toDouble(), 0.01);
            }
        }
    }
    // A copied recording without write permission is locked; a missing path is reported.
    const QString locked = dir.filePath(QStringLiteral("LOCKED.MOV"));
    ASSERT_TRUE(QFile::copy(videos[0], locked));
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0444), 0);
    const Ran single = exportTool({"--format", "tree", dir.filePath("missing"), locked});
    EXPECT_EQ(single.exitCode, 1);
    EXPECT_TRUE(single.err.contains("missing: No such file or directory"))
        << single.err.toStdString();
    ASSERT_EQ(single.json().size(), 1);
    const QJsonObject node = single.json()[0].toObject();
    EXPECT_EQ(node["name"].toString(), "LOCKED.MOV");
    EXPECT_EQ(node["locked"].toArray(), QJsonArray{true});
    EXPECT_TRUE(exportTool({"--format", "tree", dir.filePath("missing")}).json().isEmpty());
}

TEST(ExportTool, NullsLocalLabelsUnreadableFilesAndDataAndBadArguments)
{
    QTemporaryDir dir;
    const QString good = dir.filePath("FILE0002.MOV");
    ASSERT_TRUE(support::writeFile(good, QByteArray()));
    // No GGA at all: the altitude stays unknown. A speed and an axis beyond double's range.
    ASSERT_TRUE(
        support::writeFile(dir.filePath("FILE0002.txt"),
                           "$GS,1,0,1000\n"
                           "$GPRMC,134501.000,A,5545.1234,S,03736.5678,W,1e999,45.5,050215,,,A\n"
                           "$GS,1e999,0,1000\n"
                           "$GS,1,0,1000\n"
                           "$GPRMC,134501.100,A,5545.1234,N,03736.5678,E,1.5,46,050215,,,A\n"));
    const QString noMetadata = dir.filePath("CLIP.MP4");
    ASSERT_TRUE(support::writeFile(noMetadata, QByteArray(64, 'x')));
    const QString missing = dir.filePath("MISSING.MP4");
    const QString folder = dir.filePath("FOLDER.MP4");
    ASSERT_TRUE(QDir().mkdir(folder));

    const Ran result = exportTool({"--format", "json", missing, good, folder, noMetadata});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains((missing + ": No such file or directory").toUtf8()));
    EXPECT_TRUE(result.err.contains((folder + ": Is a directory").toUtf8()));
    const QJsonArray array = result.json();
    ASSERT_EQ(array.size(), 2);
    EXPECT_EQ(array[1]["file"].toString(), noMetadata);
    EXPECT_TRUE(array[1]["format"].isNull());
    const QJsonObject k = array[0].toObject();
    EXPECT_EQ(k["format"].toString(), "Korvela");
    EXPECT_EQ(k["relatedFiles"].toArray(), QJsonArray{dir.filePath("FILE0002.txt")});
    EXPECT_FALSE(k.contains("cameraModel"));
    const QJsonArray points = k["points"].toArray();
    ASSERT_EQ(points.size(), 2);
    EXPECT_EQ(points[0], QJsonObject({{"latitude", "-55.752060"},
                                      {"longitude", "-37.609463"},
                                      {"altitude", QJsonValue()},
                                      {"azimut", 45.5},
                                      {"velocity", QJsonValue()},
                                      {"time", "2015-02-05T13:45:01.000Z"}}));
    EXPECT_EQ(points[1]["time"].toString(), "2015-02-05T13:45:01.100Z");
    EXPECT_EQ(k["velocityData"].toArray(), QJsonArray({QJsonValue(), 0.0}));
    const QJsonArray samples = k["gSensorData"].toArray();
    ASSERT_EQ(samples.size(), 3);
    EXPECT_EQ(samples[0]["time"].toString(), "0"); // before the first point
    EXPECT_EQ(QJsonArray({samples[1]["x"], samples[1]["y"], samples[1]["common"]}),
              QJsonArray({QJsonValue(), 0.0, QJsonValue()}));
    EXPECT_EQ(samples[2]["time"].toString(), "05-02-15 14:45:01.000"); // Berlin, UTC+1

    // A recording that names its camera reports the model: ftyp, then a free box holding a 3gf
    // box of 20 bytes and the cprt box that names the camera.
    const QString named = dir.filePath("20230101_120000_NF.mp4");
    ASSERT_TRUE(support::writeFile(
        named, QByteArray("\0\0\0\014ftypmp42\0\0\0\107free\0\0\0\0343gf ", 28) +
                   QByteArray(10, 1) + QByteArray(10, -1) + QByteArray("\0\0\0\043cprt", 8) +
                   "Pittasoft;DR900S-2CH;1.010;"));
    const QJsonArray models = exportTool({"--format", "json", named}).json();
    ASSERT_EQ(models.size(), 1);
    EXPECT_EQ(models[0]["format"].toString(), "BlackVue");
    EXPECT_EQ(models[0]["cameraModel"].toString(), "DR900S-2CH");
    // Without a fix the camera's name dates it, in the cameras' zone (Berlin's here) or the
    // one given, plus the offset given.
    const std::pair<QStringList, const char*> clocks[] = {
        {{}, "2023-01-01T11:00:00.000Z"},
        {{"--clock-offset", "-1"}, "2023-01-01T10:00:00.000Z"},
        {{"--camera-zone=Asia/Tokyo", "--clock-offset=+0:30"}, "2023-01-01T03:30:00.000Z"}};
    for (const auto& [options, created] : clocks) {
        const auto tree = exportTool(options + QStringList{"--format=tree", "-q", named}).json();
        ASSERT_EQ(tree.size(), 1);
        EXPECT_EQ(tree[0]["created"].toString() + ' ' + tree[0]["timeSource"].toString(),
                  QString(created) + " name");
    }
    EXPECT_EQ(models[0]["timeSource"].toString(), "name");
    // Only unreadable files: an empty array, still valid JSON.
    const Ran none = exportTool({"--format", "json", missing});
    EXPECT_EQ(std::pair(none.exitCode, QJsonDocument::fromJson(none.out)),
              std::pair(1, QJsonDocument(QJsonArray())));

    // Bad arguments give the usage; library messages stay off standard error.
    const std::pair<QStringList, const char*> bad[] = {
        {{"--format", "xml", "a.mp4"}, "unknown format \"xml\""},
        {{"--format", "kml", "a.mp4"}, "needs --output"},
        {{"--format", "json", "--output", "/tmp", "a.mp4"}, "writes to standard output;"},
    };
    for (const auto& [arguments, message] : bad) {
        const Ran result = exportTool(arguments);
        EXPECT_EQ(std::pair(result.exitCode, result.out), std::pair(2, QByteArray())) << message;
        EXPECT_TRUE(result.err.contains("usage: korvela-export [--quiet]") &&
                    result.err.contains(message))
            << result.err.toStdString();
    }
    const Ran help = exportTool({"--help"});
    EXPECT_TRUE(help.exitCode == 0 && help.out.contains("usage: korvela-export") &&
                help.out.contains("json"));

    // FFmpeg complains about a video without a movie header; the tool's stderr carries only
    // its own lines.
    ASSERT_TRUE(
        support::writeFile(dir.filePath("DCIM/FILE0001.MP4"),
                           QByteArray("\0\0\0\030ftypmp42\0\0\0\0mp42isom\0\0\0\010free", 32)));
    for (const QByteArray& line : exportTool({"--format", "tree", dir.path()}).err.split('\n'))
        EXPECT_TRUE(line.isEmpty() || line.startsWith("korvela-export: ")) << line.constData();

    // A recording whose data cannot be read is a failure, not a recording without a track: it
    // is named, its document is not written, and the others are.
    const QString track = "$GPRMC,134501.000,A,5545.1234,N,03736.5678,E,10,45.5,050215,,,A\n";
    for (const char* name : {"card/VIDEO/FILE0001.MOV", "card/VIDEO/FILE0009.MOV"})
        ASSERT_TRUE(support::writeFile(dir.filePath(name), QByteArray()));
    ASSERT_TRUE(support::writeFile(dir.filePath("card/INFO/FILE0001.txt"), track.toLatin1()));
    // A side text that cannot be read stands for a card that fails under the reader.
    const QString broken = dir.filePath("card/INFO/FILE0009.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(broken).constData(), 0600), 0);
    const QString out = dir.filePath("card/out");
    for (const char* format : {"kml", "gpx", "csv"}) {
        const Ran ran = exportTool(
            {"--quiet", "--format", format, "--output", out, dir.filePath("card/VIDEO")});
        EXPECT_EQ(ran.exitCode, 1) << format;
        EXPECT_TRUE(ran.err.contains(
            (dir.filePath("card/VIDEO/FILE0009.MOV") + ": could not read").toUtf8()))
            << ran.err.toStdString();
        EXPECT_FALSE(QDir(out).entryList({"FILE0001*"}, QDir::Files).isEmpty()) << format;
        EXPECT_TRUE(QDir(out).entryList({"FILE0009*"}, QDir::Files).isEmpty()) << format;
    }
    const Ran failed = exportTool({"--format", "json", dir.filePath("card/VIDEO/FILE0009.MOV"),
                                   dir.filePath("card/VIDEO/FILE0001.MOV")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.err.contains("FILE0009.MOV: could not read its data"));
    ASSERT_EQ(failed.json().size(), 1);
    EXPECT_EQ(failed.json()[0].toObject()["points"].toArray().size(), 1);
}

// A name that is not UTF-8 (a card written with a Latin-1 code page) is taken by its bytes and
// printed by them: on stderr as they are, in JSON as \udcXX escapes.
TEST(ExportTool, NamesThatAreNotUtf8AreTakenAndPrintedByTheirBytes)
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    // Made by their bytes: QFile would take the names as UTF-8.
    ASSERT_TRUE(std::ofstream((folder + "/caf\xe9_0001.MOV").toStdString()));
    ASSERT_TRUE(std::ofstream((folder + "/caf\xe9_0001.txt").toStdString())
                << "$GPRMC,134501.000,A,5545.1234,N,03736.5678,E,10,45.5,050215,,,A\n");
    // The shell turns the octal escapes into the bytes; QProcess would pass UTF-8.
    const auto run = [&](const char* format, const char* name) {
        return exportTool({"-c", "exec \"$0\" --format \"$1\" \"$(printf \"$2\")\"",
                           KORVELA_BINARY_DIR "/tools/korvela-export", format,
                           dir.path() + "/" + name},
                          "/bin/sh");
    };
    const Ran json = run("json", "caf\\351_0001.MOV");
    EXPECT_EQ(json.exitCode, 0) << json.err.toStdString();
    EXPECT_TRUE(json.out.contains("caf\\udce9_0001.MOV\"")) << json.out.toStdString();
    EXPECT_TRUE(json.out.contains("caf\\udce9_0001.txt\""));
    EXPECT_TRUE(json.out.contains("\"latitude\":\"55.752060\""));
    const Ran tree = run("tree", "");
    EXPECT_EQ(tree.exitCode, 0) << tree.err.toStdString();
    EXPECT_TRUE(tree.out.contains("\"name\":\"caf\\udce9_0001.MOV\"")) << tree.out.toStdString();
    const Ran missing = run("json", "caf\\351_0002.MOV");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(folder + "/caf\xe9_0002.MOV: No such file or directory"))
        << missing.err.toStdString();
}
