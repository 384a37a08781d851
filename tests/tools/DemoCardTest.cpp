#include "ToolTestSupport.h"

#include "metadata/RVGpsProcessor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace {

QString cardFile(const QString& relative)
{
    return QDir(demoCardPath()).filePath(relative);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Whether each NMEA sentence's "*hh" matches the XOR of the characters between "$" and "*"
// (BlackVue lines carry a "[ms]" prefix first; "$GS" sensor lines have no checksum).
void expectChecksums(const QByteArray& text, const std::string& what)
{
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        line = line.mid(line.indexOf('$'));
        if (line.isEmpty() || line.startsWith("$GS,"))
            continue;
        const qsizetype star = line.lastIndexOf('*');
        unsigned char sum = 0;
        for (qsizetype i = 1; i < star; ++i)
            sum ^= static_cast<unsigned char>(line[i]);
        bool ok = false;
        EXPECT_TRUE(star > 0 && star + 3 == line.size() &&
                    line.mid(star + 1).toUInt(&ok, 16) == sum && ok)
            << what << ": " << line.toStdString();
    }
}

// Every value the tool printed equals what the dispatcher returns for the same file, so the
// tool's choice of reader and its clean-up cannot drift from the dispatcher's.
void expectSameAsDispatcher(const QJsonObject& got, const RVMetaData& data)
{
    auto expectNumber = [](const QJsonValue& value, double expected, const char* what) {
        if (std::isfinite(expected)) {
            EXPECT_EQ(value.toDouble(), expected) << what;
        } else {
            EXPECT_TRUE(value.isNull()) << what;
        }
    };
    const QJsonArray points = got["points"].toArray();
    ASSERT_EQ(qsizetype(data.points.size()), points.size());
    for (qsizetype i = 0; i < points.size(); ++i) {
        const QJsonObject p = points[i].toObject();
        const RVPoint& point = data.points[std::size_t(i)];
        EXPECT_EQ(p["latitude"].toString(), point.latitude());
        EXPECT_EQ(p["longitude"].toString(), point.longitude());
        expectNumber(p["altitude"], point.altitude(), "altitude");
        expectNumber(p["azimut"], point.azimut(), "azimut");
        expectNumber(p["velocity"], point.velocity(), "velocity");
        EXPECT_EQ(p["time"].toString(), point.time().toDateTime().toString(Qt::ISODateWithMs));
    }
    const QJsonArray samples = got["gSensorData"].toArray();
    ASSERT_EQ(qsizetype(data.gSensorData.size()), samples.size());
    for (qsizetype i = 0; i < samples.size(); ++i) {
        const QJsonObject s = samples[i].toObject();
        const RVSensorData& sample = data.gSensorData[std::size_t(i)];
        expectNumber(s["x"], sample.x(), "x");
        expectNumber(s["y"], sample.y(), "y");
        expectNumber(s["z"], sample.z(), "z");
        expectNumber(s["common"], sample.common(), "common");
        EXPECT_EQ(s["time"].toString(), sample.time().text()); // null reads as ""
        EXPECT_EQ(s["time"].isNull(), sample.time().text().isNull());
    }
    const QJsonArray speeds = got["velocityData"].toArray();
    ASSERT_EQ(qsizetype(data.velocityData.size()), speeds.size());
    for (qsizetype i = 0; i < speeds.size(); ++i)
        expectNumber(speeds[i], data.velocityData[std::size_t(i)], "speed");
    EXPECT_EQ(got["relatedFiles"].toVariant().toStringList(), data.relatedFiles);
}

bool haveFfmpeg()
{
    return !QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty();
}

} // namespace

// The card's manifest says what each recording holds and where its camera keeps it; the
// dispatcher must find exactly that, and the export tool must print what the dispatcher reads.
TEST(DemoCard, DispatcherAndExportToolReadEveryRecordingAsGenerated)
{
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is not installed";
    ASSERT_FALSE(demoCardPath().isEmpty()) << demoCardError().toStdString();
    const QJsonArray recordings = demoCardRecordings();
    ASSERT_FALSE(recordings.isEmpty());

    QStringList videos;
    for (const QJsonValue& value : recordings)
        videos.append(cardFile(value.toObject()["video"].toString()));
    const ProcessResult run = runExportTool(QStringList{"--format", "json"} + videos);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray printed = QJsonDocument::fromJson(run.out).array();
    ASSERT_EQ(printed.size(), recordings.size());

    std::map<QString, int> sources;
    for (qsizetype i = 0; i < recordings.size(); ++i) {
        const QJsonObject r = recordings[i].toObject();
        const QFileInfo video(videos[i]);
        const QString source = r["metadataSource"].toString();
        const QStringList files = r["metadataFiles"].toVariant().toStringList();
        SCOPED_TRACE(r["video"].toString().toStdString());
        ++sources[source];
        EXPECT_EQ(video.lastModified().toMSecsSinceEpoch(), qint64(r["startMs"].toDouble()));

        // Side texts where their cameras keep them, with valid NMEA checksums.
        if (source == "info" || source == "side") {
            const QString expected = video.dir().filePath((source == "info" ? "../INFO/" : "") +
                                                          video.completeBaseName() + ".txt");
            ASSERT_EQ(files.size(), 1);
            EXPECT_EQ(QFileInfo(cardFile(files[0])).canonicalFilePath(),
                      QFileInfo(expected).canonicalFilePath());
        }
        if (source != "gps-log" && source != "udat")
            expectChecksums(readAll(cardFile(files[0])), files[0].toStdString());
        if (source == "udat") { // the last top-level box
            const QByteArray bytes = readAll(videos[i]);
            expectChecksums(bytes.mid(bytes.lastIndexOf("udat") + 4), "udat");
        }

        const std::optional<RVMetaData> data =
            RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(videos[i]);
        ASSERT_TRUE(data);
        ASSERT_EQ(qint64(data->points.size()), r["points"].toInteger());
        EXPECT_EQ(qint64(data->gSensorData.size()), r["gSensorSamples"].toInteger());
        QStringList related;
        if (r["format"].toString() != "Korvela") // the Korvela reader lists no side files
            for (const QString& file : files)
                related.append(cardFile(file));
        EXPECT_EQ(data->relatedFiles, related);
        const RVPoint& first = data->points.front();
        EXPECT_EQ(first.time().toDateTime().toString(Qt::ISODateWithMs),
                  r["firstPointTime"].toString());
        EXPECT_FALSE(RVGpsProcessor::isZeroPoint(first));
        // BlackVue files give the first altitude after the first fix; the dispatcher fills it.
        EXPECT_FALSE(std::isnan(first.altitude()));

        const QJsonObject got = printed[i].toObject();
        EXPECT_EQ(got["file"].toString(), videos[i]);
        EXPECT_EQ(got["format"].toString(), r["format"].toString());
        expectSameAsDispatcher(got, *data);
    }
    for (const char* source : {"info", "side", "udat", "gps-log", "blackvue"})
        EXPECT_GE(sources[source], 2) << source;
}

TEST(DemoCard, ManyWritesCopiesWithTheirOwnTextsAndTimesInTripsOfTen)
{
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir dir;
    const QString script = QStringLiteral(KORVELA_SOURCE_DIR "/tools/make-demo-card");
    const ProcessResult run = runProcess(script, {"--many", "11", dir.filePath("many")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    // Ten 4-second clips back to back per trip, trips five minutes apart.
    const QDir folder(dir.filePath("many/DCIM/100KVLA"));
    const QFileInfoList videos = folder.entryInfoList({"*.MOV"}, QDir::Files, QDir::Name);
    ASSERT_EQ(videos.size(), 11);
    EXPECT_EQ(videos.back().fileName(), "FILE0011.MOV");
    for (qsizetype i = 1; i < videos.size(); ++i)
        EXPECT_EQ(videos[i].lastModified().toMSecsSinceEpoch() -
                      videos[i - 1].lastModified().toMSecsSinceEpoch(),
                  i % 10 == 0 ? 4000 + 300000 : 4000)
            << i;
    const std::optional<RVMetaData> data =
        RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(videos.back().filePath());
    ASSERT_TRUE(data);
    EXPECT_EQ(data->points.size(), 40u);
    EXPECT_EQ(data->points.front().time().msecsSinceEpoch(),
              videos.back().lastModified().toMSecsSinceEpoch());
    EXPECT_NE(runProcess(script, {"--many", "0", dir.filePath("none")}).exitCode, 0);
}
