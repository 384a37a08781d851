#include "ExportTestSupport.h"
#include "RealData.h"
#include "export/RVExportUtil.h"
#include "library/RVVideoData.h"
#include "metadata/RVGpsProcessor.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

using namespace ExportTestSupport;

namespace {

RVVideoDataPtr node(const QString& name, const QString& path)
{
    return RVVideoData::create(name, 60.0f, RVTimestamp::fromMSecsSinceEpoch(1499551200000),
                               {std::make_shared<RVVideoFile>(path, 60.0f, RVTimestamp(), false)},
                               {});
}

} // namespace

TEST(ExportUtil, NothingIsExportedFromSeriesNotReadYet)
{
    QTemporaryDir dir;
    const RVVideoDataPtr unread = node("A.MOV", "/card/A.MOV");
    EXPECT_FALSE(RVExportUtil::exportToKLM(*unread) || RVExportUtil::exportToGPX(*unread) ||
                 RVExportUtil::exportGpsToExcel(*unread) ||
                 RVExportUtil::exportSensorToExcel(*unread));
    const QString path = dir.filePath("A.kml");
    EXPECT_FALSE(RVExportUtil::writeKml(*unread, path) ||
                 RVExportUtil::writeGpsTable(*unread, path));
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

TEST(ExportUtil, RealRecordingFilesMatchTheTextsWithARowPerPoint)
{
    KORVELA_SKIP_WITHOUT_REALDATA("blackvue-dr650s");
    QTemporaryDir dir;
    // The recording's two side files linked beside an (empty) video file.
    const QString base = RealData::path("blackvue-dr650s/20170708_221449_N");
    for (const char* extension : {".gps", ".3gf"})
        ASSERT_TRUE(QFile::link(base + extension, dir.filePath(QString("a") + extension)));
    const QString video = dir.filePath("a.mp4");
    ASSERT_TRUE(support::writeFile(video, {}));
    std::optional<RVMetaData> meta =
        RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(video);
    ASSERT_TRUE(meta);
    const qsizetype kept =
        std::count_if(meta->points.begin(), meta->points.end(),
                      [](const RVPoint& p) { return !RVGpsProcessor::isZeroPoint(p); });
    const qsizetype samples = qsizetype(meta->gSensorData.size());
    ASSERT_GT(kept, 10);
    ASSERT_GT(samples, 10);
    const RVVideoDataPtr recording = node("Drive & <night>.mp4", video);
    recording->setSeries(
        {std::make_shared<const std::vector<RVPoint>>(std::move(meta->points)),
         std::make_shared<const std::vector<RVSensorData>>(std::move(meta->gSensorData)),
         std::make_shared<const std::vector<double>>(std::move(meta->velocityData))});

    const auto kml = RVExportUtil::exportToKLM(*recording);
    const auto gpx = RVExportUtil::exportToGPX(*recording);
    ASSERT_TRUE(kml && gpx);
    EXPECT_EQ(kml->count(",0 ") + 1, kept);
    EXPECT_EQ(gpx->count("<trkpt "), kept);
    for (const auto& [text, file, write] : {std::tuple(*kml, "a.kml", &RVExportUtil::writeKml),
                                            std::tuple(*gpx, "a.gpx", &RVExportUtil::writeGpx)}) {
        EXPECT_TRUE(text.contains("Drive &amp; &lt;night&gt;.mp4"));
        const std::optional<RVWriteResult> written = write(*recording, dir.filePath(file));
        ASSERT_TRUE(written && written->ok);
        EXPECT_EQ(readFile(dir.filePath(file)), text);
    }

    // The tables: the streamed files hold the same text as the in-memory export, in UTF-16.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString gpsPath = dir.filePath("a.gps.csv");
    const QString sensorPath = RVExportFileUtil::sensorTablePath(gpsPath);
    ASSERT_TRUE(RVExportUtil::writeGpsTable(*recording, gpsPath)->ok);
    ASSERT_TRUE(RVExportUtil::writeSensorTable(*recording, sensorPath)->ok);
    const QString gpsText = readUtf16LeWithBom(gpsPath);
    const QString sensorText = readUtf16LeWithBom(sensorPath);
    EXPECT_EQ(gpsText, *RVExportUtil::exportGpsToExcel(*recording));
    EXPECT_EQ(sensorText, *RVExportUtil::exportSensorToExcel(*recording));
    EXPECT_EQ(gpsText.count('\n'), kept);
    EXPECT_EQ(sensorText.count('\n'), samples);
    QLocale::setDefault(QLocale::c());
}
