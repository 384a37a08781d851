#include "ExportTestSupport.h"
#include "export/RVExportUtil.h"
#include "library/RVVideoData.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace ExportTestSupport;

TEST(ExportUtil, NodeDocumentsInMemoryAndOnDiskOnceTheSeriesAreRead)
{
    QTemporaryDir dir;
    const RVVideoDataPtr node = RVVideoData::create(
        "Drive & <night>.mp4", 60.0f, RVTimestamp::fromMSecsSinceEpoch(1499551200000),
        {std::make_shared<RVVideoFile>("/card/A.MOV", 60.0f, RVTimestamp(), false)}, {});
    EXPECT_FALSE(RVExportUtil::exportToKLM(*node) || RVExportUtil::exportToGPX(*node) ||
                 RVExportUtil::exportGpsToExcel(*node) || RVExportUtil::exportSensorToExcel(*node));
    EXPECT_FALSE(RVExportUtil::writeKml(*node, dir.filePath("a")) ||
                 RVExportUtil::writeGpsTable(*node, dir.filePath("a")));
    EXPECT_FALSE(QFile::exists(dir.filePath("a")));
    // The acceleration table depends on its own series only.
    node->setPoints(std::make_shared<const std::vector<RVPoint>>());
    EXPECT_TRUE(RVExportUtil::exportToKLM(*node)->contains("<coordinates>\n"));
    EXPECT_FALSE(RVExportUtil::exportSensorToExcel(*node));

    std::vector<RVPoint> points = drive(30);
    points[3] = point("0", "0"); // no fix: left out everywhere
    const std::vector<RVSensorData> samples(7, RVSensorData(1, 2, 3, 0, RVSensorLabel::number(1)));
    node->setSeries({std::make_shared<const std::vector<RVPoint>>(points),
                     std::make_shared<const std::vector<RVSensorData>>(samples),
                     std::make_shared<const std::vector<double>>(30, 36.0)});
    const QByteArray kml = *RVExportUtil::exportToKLM(*node);
    const QByteArray gpx = *RVExportUtil::exportToGPX(*node);
    EXPECT_TRUE(kml.contains("<name>Drive &amp; &lt;night&gt;.mp4</name>"));
    EXPECT_EQ(kml.count(",0 "), 28);
    // The node's start, length and speeds: the last point 58 s after 2017-07-08 22:00:00 UTC.
    EXPECT_TRUE(gpx.contains("<time>2017-07-08T22:00:00Z</time>\n    </metadata>"));
    EXPECT_TRUE(gpx.contains("<time>2017-07-08T22:00:58Z</time>"));
    EXPECT_EQ(gpx.count("<speed>9.999720</speed>"), 29);
    const QString gps = *RVExportUtil::exportGpsToExcel(*node);
    const QString sensor = *RVExportUtil::exportSensorToExcel(*node);
    EXPECT_TRUE(gps.startsWith("EXPORT_EXCEL_TIME_TITLE;") && gps.count('\n') == 29);
    EXPECT_EQ(sensor.count("\n\"1\";1;2;3"), 7);

    // The files hold the same texts, the tables in UTF-16.
    EXPECT_TRUE(RVExportUtil::writeKml(*node, dir.filePath("a.kml"))->ok);
    EXPECT_TRUE(RVExportUtil::writeGpx(*node, dir.filePath("a.gpx"))->ok);
    EXPECT_TRUE(RVExportUtil::writeGpsTable(*node, dir.filePath("a.csv"))->ok);
    EXPECT_TRUE(RVExportUtil::writeSensorTable(*node, dir.filePath("b.csv"))->ok);
    EXPECT_EQ(readFile(dir.filePath("a.kml")), kml);
    EXPECT_EQ(readFile(dir.filePath("a.gpx")), gpx);
    EXPECT_EQ(readUtf16LeWithBom(dir.filePath("a.csv")), gps);
    EXPECT_EQ(readUtf16LeWithBom(dir.filePath("b.csv")), sensor);
}
