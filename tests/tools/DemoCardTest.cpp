#include "ToolTestSupport.h"

#include "metadata/RVGpsProcessor.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtEndian>

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

// Whether an NMEA sentence's "*hh" matches the XOR of the characters between "$" and "*".
bool checksumValid(QByteArray sentence)
{
    sentence = sentence.trimmed();
    const qsizetype star = sentence.lastIndexOf('*');
    if (!sentence.startsWith('$') || star < 0 || star + 3 != sentence.size())
        return false;
    unsigned char sum = 0;
    for (qsizetype i = 1; i < star; ++i)
        sum ^= static_cast<unsigned char>(sentence[i]);
    bool ok = false;
    return sentence.mid(star + 1).toUInt(&ok, 16) == sum && ok;
}

// Checks every NMEA sentence of a Korvela text and counts its RMC and $GS lines.
void checkKorvelaText(const QByteArray& text, qint64 points, qint64 samples, const QString& what)
{
    qint64 rmc = 0;
    qint64 gs = 0;
    for (const QByteArray& line : text.split('\n')) {
        if (line.isEmpty())
            continue;
        EXPECT_TRUE(line.endsWith('\r')) << what.toStdString();
        if (line.startsWith("$GS,")) {
            ++gs;
            continue;
        }
        EXPECT_TRUE(checksumValid(line)) << what.toStdString() << ": " << line.toStdString();
        rmc += line.startsWith("$GPRMC,");
    }
    EXPECT_EQ(rmc, points) << what.toStdString();
    EXPECT_EQ(gs, samples) << what.toStdString();
}

struct Box
{
    QByteArray type;
    qint64 offset;
    qint64 size;
};

// The top-level boxes of an ISO media file (32-bit sizes, which is all ffmpeg writes here).
std::vector<Box> topLevelBoxes(const QByteArray& file)
{
    std::vector<Box> boxes;
    qint64 offset = 0;
    while (offset + 8 <= file.size()) {
        const qint64 size = qFromBigEndian<quint32>(file.constData() + offset);
        boxes.push_back({file.mid(offset + 4, 4), offset, size});
        if (size < 8)
            break;
        offset += size;
    }
    return boxes;
}

class DemoCard : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
            GTEST_SKIP() << "ffmpeg is not installed";
        ASSERT_FALSE(demoCardPath().isEmpty()) << demoCardError().toStdString();
        m_recordings = demoCardRecordings();
        ASSERT_FALSE(m_recordings.isEmpty());
    }

    QJsonArray m_recordings;
};

} // namespace

TEST_F(DemoCard, PlacesEveryFormatsMetadataWhereItsCameraKeepsIt)
{
    std::map<QString, int> sources;
    for (const QJsonValue& value : m_recordings) {
        const QJsonObject r = value.toObject();
        const QString video = r["video"].toString();
        const QFileInfo info(cardFile(video));
        const QString stem = info.completeBaseName();
        const QStringList files = r["metadataFiles"].toVariant().toStringList();
        const QString source = r["metadataSource"].toString();
        ++sources[source];
        SCOPED_TRACE(video.toStdString());

        ASSERT_TRUE(info.isFile());
        EXPECT_TRUE(video.startsWith("DCIM/"));
        EXPECT_EQ(info.lastModified().toMSecsSinceEpoch(), qint64(r["startMs"].toDouble()));
        const qint64 points = r["points"].toInteger();
        const qint64 samples = r["gSensorSamples"].toInteger();
        EXPECT_GT(points, 0);

        if (source == "info" || source == "side") {
            const QString expected = source == "info"
                                         ? info.dir().filePath("../INFO/" + stem + ".txt")
                                         : info.dir().filePath(stem + ".txt");
            ASSERT_EQ(files.size(), 1);
            EXPECT_EQ(QFileInfo(cardFile(files[0])).canonicalFilePath(),
                      QFileInfo(expected).canonicalFilePath());
            checkKorvelaText(readAll(cardFile(files[0])), points, samples, video);
            EXPECT_FALSE(topLevelBoxes(readAll(info.filePath())).back().type == "udat");
        } else if (source == "udat") {
            // The text is the last top-level box, its size counting the 8-byte header.
            EXPECT_TRUE(files.isEmpty());
            EXPECT_FALSE(QFile::exists(info.dir().filePath(stem + ".txt")));
            const QByteArray bytes = readAll(info.filePath());
            const std::vector<Box> boxes = topLevelBoxes(bytes);
            ASSERT_GE(boxes.size(), 3u);
            EXPECT_EQ(boxes.front().type, "ftyp");
            const Box& udat = boxes.back();
            EXPECT_EQ(udat.type, "udat");
            EXPECT_EQ(udat.offset + udat.size, bytes.size());
            checkKorvelaText(bytes.mid(udat.offset + 8), points, samples, video);
        } else if (source == "gps-log") {
            // AMBA<N> in <card>/DCIM/<folder>/, the log in <card>/gps/gps<N>.log; one line per
            // fix at 10 Hz, local time, void lines before the first fix.
            EXPECT_TRUE(stem.startsWith("AMBA"));
            ASSERT_EQ(files, QStringList("gps/gps" + stem.mid(4) + ".log"));
            const QList<QByteArray> lines = readAll(cardFile(files[0])).split('\n');
            static const QRegularExpression line(
                R"(^([AV]),(\d{6}),(\d{6}\.\d{3}),([^,]*),([NS]?),([^,]*),([EW]?),)"
                R"(\d+\.\d\d,[-+]\d\d\.\d\d,[-+]\d\d\.\d\d,[-+]\d\d\.\d\d;\r$)");
            qint64 withPosition = 0;
            qint64 used = 0;
            QDateTime previous;
            for (const QByteArray& text : lines) {
                const auto match = line.match(QString::fromLatin1(text));
                if (!match.hasMatch()) {
                    EXPECT_EQ(text, "\x1a"); // the camera's end-of-file byte
                    continue;
                }
                ++used;
                withPosition += !match.captured(4).isEmpty();
                const QDateTime at = QDateTime::fromString(match.captured(2) + match.captured(3),
                                                           QStringLiteral("ddMMyyHHmmss.zzz"));
                ASSERT_TRUE(at.isValid());
                if (previous.isValid()) {
                    EXPECT_EQ(previous.msecsTo(at), 100);
                }
                previous = at;
            }
            EXPECT_EQ(withPosition, points);
            EXPECT_EQ(used, samples);
        } else {
            ASSERT_EQ(source, "blackvue");
            const QString dir = QFileInfo(video).path() + "/";
            ASSERT_EQ(files, QStringList({dir + stem + ".gps", dir + stem + ".3gf"}));
            qint64 rmc = 0;
            for (const QByteArray& text : readAll(cardFile(files[0])).split('\n')) {
                if (text.isEmpty())
                    continue;
                static const QRegularExpression prefix(R"(^\[\d{13}\]\$)");
                EXPECT_TRUE(prefix.match(QString::fromLatin1(text)).hasMatch()) << text.data();
                EXPECT_TRUE(checksumValid(text.mid(15))) << text.data();
                rmc += text.mid(15).startsWith("$GPRMC,");
            }
            EXPECT_EQ(rmc, points);
            // 10-byte records, time counter in ms from the clip's start, 10 Hz.
            const QByteArray records = readAll(cardFile(files[1]));
            ASSERT_EQ(records.size(), samples * 10);
            for (qint64 i = 0; i < samples; ++i)
                EXPECT_EQ(qFromBigEndian<quint32>(records.constData() + i * 10), quint32(i * 100));
        }
    }
    EXPECT_GE(sources["info"], 2);
    EXPECT_GE(sources["side"], 2);
    EXPECT_GE(sources["udat"], 2);
    EXPECT_GE(sources["gps-log"], 2);
    EXPECT_GE(sources["blackvue"], 2);
}

TEST_F(DemoCard, RecordingsFormTripsByTheSixtySecondRule)
{
    // Recordings in start order; each trip's recordings follow each other within a minute of
    // the previous one's end, and trips are further apart.
    std::map<int, int> tripSizes;
    QJsonObject previous;
    for (const QJsonValue& value : m_recordings) {
        const QJsonObject r = value.toObject();
        ++tripSizes[r["trip"].toInt()];
        if (!previous.isEmpty()) {
            const double gap = (r["startMs"].toDouble() - previous["startMs"].toDouble()) / 1000 -
                               previous["durationSeconds"].toDouble();
            if (r["trip"].toInt() == previous["trip"].toInt()) {
                EXPECT_LT(std::abs(gap), 60.0) << r["video"].toString().toStdString();
            } else {
                EXPECT_GE(gap, 60.0) << r["video"].toString().toStdString();
            }
        }
        previous = r;
    }
    int alone = 0;
    int trips = 0;
    for (const auto& [trip, size] : tripSizes)
        (size == 1 ? alone : trips) += 1;
    EXPECT_GE(alone, 1);
    EXPECT_GE(trips, 4);
}

TEST_F(DemoCard, VideosAreShortH264ClipsOfTheirStatedLength)
{
    if (QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty())
        GTEST_SKIP() << "ffprobe is not installed";
    std::map<QString, bool> probedFormat;
    for (const QJsonValue& value : m_recordings) {
        const QJsonObject r = value.toObject();
        if (probedFormat[r["metadataSource"].toString()])
            continue; // one of each kind is enough
        probedFormat[r["metadataSource"].toString()] = true;
        const ProcessResult probe =
            runProcess(QStringLiteral("ffprobe"),
                       {"-v", "error", "-select_streams", "v", "-show_entries",
                        "stream=codec_name,width,height,avg_frame_rate:format=duration", "-of",
                        "json", cardFile(r["video"].toString())});
        ASSERT_EQ(probe.exitCode, 0) << probe.err.toStdString();
        const QJsonObject doc = QJsonDocument::fromJson(probe.out).object();
        const QJsonObject stream = doc["streams"].toArray()[0].toObject();
        EXPECT_EQ(stream["codec_name"].toString(), "h264");
        EXPECT_EQ(stream["width"].toInt(), 640);
        EXPECT_EQ(stream["height"].toInt(), 360);
        EXPECT_EQ(stream["avg_frame_rate"].toString(), "25/1");
        EXPECT_NEAR(doc["format"].toObject()["duration"].toString().toDouble(),
                    r["durationSeconds"].toDouble(), 0.05);
    }
}

TEST_F(DemoCard, DispatcherReadsEveryRecordingAsGenerated)
{
    const RVGpsProcessor& processor = RVGpsProcessor::sharedInstance();
    for (const QJsonValue& value : m_recordings) {
        const QJsonObject r = value.toObject();
        SCOPED_TRACE(r["video"].toString().toStdString());
        const std::optional<RVMetaData> data =
            processor.readMetaDataFromVideoFile(cardFile(r["video"].toString()));
        ASSERT_TRUE(data);
        ASSERT_EQ(qint64(data->points.size()), r["points"].toInteger());
        EXPECT_EQ(data->velocityData.size(), data->points.size());
        EXPECT_EQ(qint64(data->gSensorData.size()), r["gSensorSamples"].toInteger());
        QStringList related;
        for (const QString& file : r["metadataFiles"].toVariant().toStringList())
            related.append(cardFile(file));
        if (r["format"].toString() == "Korvela")
            related.clear(); // the Korvela reader lists no side files
        EXPECT_EQ(data->relatedFiles, related);
        const RVPoint& first = data->points.front();
        EXPECT_EQ(first.time().toDateTime().toString(Qt::ISODateWithMs),
                  r["firstPointTime"].toString());
        EXPECT_FALSE(RVGpsProcessor::isZeroPoint(first));
        // Altitudes are known from the first point on (the BlackVue files give the first
        // altitude after the first fix; the dispatcher fills it in).
        EXPECT_FALSE(std::isnan(first.altitude()));
    }
}

namespace {

// Every value the tool printed equals what the dispatcher returns for the same file, so the
// tool's choice of reader and its clean-up cannot drift from the dispatcher's.
void expectSameAsDispatcher(const QJsonObject& got, const QString& video)
{
    const std::optional<RVMetaData> data =
        RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(video);
    ASSERT_TRUE(data);
    auto expectNumber = [](const QJsonValue& value, double expected, const char* what) {
        if (std::isfinite(expected))
            EXPECT_EQ(value.toDouble(), expected) << what;
        else
            EXPECT_TRUE(value.isNull()) << what;
    };
    const QJsonArray points = got["points"].toArray();
    ASSERT_EQ(qsizetype(data->points.size()), points.size());
    for (qsizetype i = 0; i < points.size(); ++i) {
        const QJsonObject p = points[i].toObject();
        const RVPoint& point = data->points[std::size_t(i)];
        EXPECT_EQ(p["latitude"].toString(), point.latitude());
        EXPECT_EQ(p["longitude"].toString(), point.longitude());
        expectNumber(p["altitude"], point.altitude(), "altitude");
        expectNumber(p["azimut"], point.azimut(), "azimut");
        expectNumber(p["velocity"], point.velocity(), "velocity");
        EXPECT_EQ(p["time"].toString(), point.time().toDateTime().toString(Qt::ISODateWithMs));
    }
    const QJsonArray samples = got["gSensorData"].toArray();
    ASSERT_EQ(qsizetype(data->gSensorData.size()), samples.size());
    for (qsizetype i = 0; i < samples.size(); ++i) {
        const QJsonObject s = samples[i].toObject();
        const RVSensorData& sample = data->gSensorData[std::size_t(i)];
        expectNumber(s["x"], sample.x(), "x");
        expectNumber(s["y"], sample.y(), "y");
        expectNumber(s["z"], sample.z(), "z");
        expectNumber(s["common"], sample.common(), "common");
        const QString label = sample.time().text();
        if (label.isNull())
            EXPECT_TRUE(s["time"].isNull());
        else
            EXPECT_EQ(s["time"].toString(), label);
    }
    const QJsonArray speeds = got["velocityData"].toArray();
    ASSERT_EQ(qsizetype(data->velocityData.size()), speeds.size());
    for (qsizetype i = 0; i < speeds.size(); ++i)
        expectNumber(speeds[i], data->velocityData[std::size_t(i)], "speed");
    EXPECT_EQ(got["relatedFiles"].toVariant().toStringList(), data->relatedFiles);
}

} // namespace

TEST_F(DemoCard, ExportToolPrintsTheWholeCardLikeRunDoes)
{
    QStringList videos;
    for (const QJsonValue& value : m_recordings)
        videos.append(cardFile(value.toObject()["video"].toString()));
    const ProcessResult run = runExportTool(QStringList{"--format", "json"} + videos);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QJsonParseError error;
    const QJsonArray array = QJsonDocument::fromJson(run.out, &error).array();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    ASSERT_EQ(array.size(), m_recordings.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QJsonObject expected = m_recordings[i].toObject();
        const QJsonObject got = array[i].toObject();
        SCOPED_TRACE(expected["video"].toString().toStdString());
        EXPECT_EQ(got["file"].toString(), videos[i]);
        EXPECT_EQ(got["format"].toString(), expected["format"].toString());
        EXPECT_EQ(got["points"].toArray().size(), expected["points"].toInteger());
        EXPECT_EQ(got["gSensorData"].toArray().size(), expected["gSensorSamples"].toInteger());
        EXPECT_EQ(got["points"].toArray()[0].toObject()["time"].toString(),
                  expected["firstPointTime"].toString());
        expectSameAsDispatcher(got, videos[i]);
    }
}
