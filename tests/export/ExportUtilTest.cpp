#include "ExportTestSupport.h"
#include "RealData.h"
#include "export/RVExportUtil.h"
#include "library/RVVideoData.h"
#include "metadata/RVGpsProcessor.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace ExportTestSupport;

namespace {

RVVideoDataPtr node(const QString& name, const QString& path = QStringLiteral("/card/A.MOV"))
{
    return RVVideoData::create(name, 60.0f, RVTimestamp::fromMSecsSinceEpoch(1499551200000),
                               {std::make_shared<RVVideoFile>(path, 60.0f, RVTimestamp(), false)},
                               {});
}

// A real BlackVue recording: its two side files linked beside an (empty) video file.
QString linkBlackVueRecording(const QTemporaryDir& dir, const QString& base)
{
    const QString source = RealData::path(QStringLiteral("blackvue-dr650s/")) + base;
    for (const char* extension : {".gps", ".3gf"})
        QFile::link(source + QLatin1String(extension),
                    dir.filePath(base + QLatin1String(extension)));
    const QString video = dir.filePath(base + QStringLiteral(".mp4"));
    QFile file(video);
    file.open(QIODevice::WriteOnly);
    return video;
}

} // namespace

TEST(ExportUtil, NothingIsExportedFromSeriesNotReadYet)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const RVVideoDataPtr unread = node(QStringLiteral("A.MOV"));
    EXPECT_FALSE(RVExportUtil::exportToKLM(*unread));
    EXPECT_FALSE(RVExportUtil::exportToGPX(*unread));
    EXPECT_FALSE(RVExportUtil::exportGpsToExcel(*unread));
    EXPECT_FALSE(RVExportUtil::exportSensorToExcel(*unread));
    const QString path = dir.filePath(QStringLiteral("A.kml"));
    EXPECT_FALSE(RVExportUtil::writeKml(*unread, path));
    EXPECT_FALSE(RVExportUtil::writeGpsTable(*unread, path));
    EXPECT_FALSE(QFile::exists(path));

    // Read but empty: documents without entries. The acceleration table depends on its own
    // series only.
    unread->setPoints(std::make_shared<const std::vector<RVPoint>>());
    EXPECT_TRUE(RVExportUtil::exportToKLM(*unread)->contains("<coordinates>\n"));
    EXPECT_TRUE(RVExportUtil::exportToGPX(*unread)->contains("<trkseg>\n        </trkseg>"));
    EXPECT_EQ(RVExportUtil::exportGpsToExcel(*unread)->count(QLatin1Char('\n')), 0);
    EXPECT_FALSE(RVExportUtil::exportSensorToExcel(*unread));
    unread->setGSensorData(std::make_shared<const std::vector<RVSensorData>>());
    EXPECT_EQ(*RVExportUtil::exportSensorToExcel(*unread),
              QStringLiteral("EXPORT_EXCEL_TIME_TITLE;X;Y;Z;"));
}

TEST(ExportUtil, RealRecordingExportsReadBackAndFilesMatchTheTexts)
{
    KORVELA_SKIP_WITHOUT_REALDATA("blackvue-dr650s");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString video = linkBlackVueRecording(dir, QStringLiteral("20170708_221449_N"));
    std::optional<RVMetaData> meta =
        RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(video);
    ASSERT_TRUE(meta);
    ASSERT_GT(meta->points.size(), 10u);
    ASSERT_GT(meta->gSensorData.size(), 10u);
    const RVVideoDataPtr recording = node(QStringLiteral("Drive & <night>.mp4"), video);
    const std::vector<RVPoint> points = meta->points;
    const std::vector<RVSensorData> samples = meta->gSensorData;
    recording->setSeries(
        {std::make_shared<const std::vector<RVPoint>>(std::move(meta->points)),
         std::make_shared<const std::vector<RVSensorData>>(std::move(meta->gSensorData)),
         std::make_shared<const std::vector<double>>(std::move(meta->velocityData))});
    std::vector<const RVPoint*> kept;
    for (const RVPoint& p : points) {
        if (!RVGpsProcessor::isZeroPoint(p))
            kept.push_back(&p);
    }

    const QString out = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    const struct
    {
        const char* file;
        const char* babelFormat;
        std::optional<QByteArray> text;
        std::optional<RVWriteResult> (*write)(const RVVideoData&, const QString&);
    } documents[] = {
        {"a.kml", "kml", RVExportUtil::exportToKLM(*recording), &RVExportUtil::writeKml},
        {"a.gpx", "gpx", RVExportUtil::exportToGPX(*recording), &RVExportUtil::writeGpx}};
    for (const auto& document : documents) {
        ASSERT_TRUE(document.text);
        EXPECT_TRUE(document.text->contains("Drive &amp; &lt;night&gt;.mp4"));
        const QString path = QDir(out).filePath(QLatin1String(document.file));
        const std::optional<RVWriteResult> written = document.write(*recording, path);
        ASSERT_TRUE(written && written->ok);
        EXPECT_EQ(readFile(path), *document.text);
        QString error;
        const std::vector<BabelPoint> read =
            readWithGpsBabel(QLatin1String(document.babelFormat), path, &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        ASSERT_EQ(read.size(), kept.size()) << document.file;
        for (std::size_t i = 0; i < kept.size(); ++i) {
            EXPECT_NEAR(read[i].latitude, kept[i]->latitudeValue(), 1e-6);
            EXPECT_NEAR(read[i].longitude, kept[i]->longitudeValue(), 1e-6);
        }
    }

    // The tables: the streamed files hold the same text as the in-memory export, in UTF-16.
    const QString gpsPath = QDir(out).filePath(QStringLiteral("a.gps.csv"));
    const QString sensorPath = RVExportFileUtil::sensorTablePath(gpsPath);
    ASSERT_TRUE(RVExportUtil::writeGpsTable(*recording, gpsPath)->ok);
    ASSERT_TRUE(RVExportUtil::writeSensorTable(*recording, sensorPath)->ok);
    const QString gpsText = readUtf16LeWithBom(gpsPath);
    const QString sensorText = readUtf16LeWithBom(sensorPath);
    EXPECT_EQ(gpsText, *RVExportUtil::exportGpsToExcel(*recording));
    EXPECT_EQ(sensorText, *RVExportUtil::exportSensorToExcel(*recording));

    // A row per kept point and per sample (the rows' texts are pinned by the writers' tests).
    EXPECT_EQ(splitTable(gpsText).size(), kept.size() + 1);
    EXPECT_EQ(splitTable(sensorText).size(), samples.size() + 1);
    QLocale::setDefault(QLocale::c());
}
