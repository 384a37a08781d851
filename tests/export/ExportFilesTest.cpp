#include "ExportTestSupport.h"
#include "export/RVExportFileUtil.h"
#include "export/RVExportUtil.h"
#include "library/RVVideoData.h"
#include "metadata/writers/RVBackgroundFlush.h"
#include "metadata/writers/RVExportSink.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace ExportTestSupport;

namespace {

// The whole text through the streaming writer, in one piece.
RVWriteResult writeText(const QString& path, RVExportSink::Encoding encoding, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return RVExportFileUtil::write(path, encoding, [&](RVExportSink& sink) {
        sink.append(std::string_view(utf8.constData(), std::size_t(utf8.size())));
    });
}

constexpr auto kUtf8 = RVExportSink::Encoding::Utf8;
constexpr auto kUtf16 = RVExportSink::Encoding::Utf16LittleEndian;

} // namespace

TEST(ExportFileUtil, WritesUtf8AndUtf16ReplacingFilesOrReportsFailures)
{
    QTemporaryDir dir;
    const QString kml = dir.filePath("a.kml");
    ASSERT_TRUE(writeText(kml, kUtf8, "old, longer text").ok);
    ASSERT_TRUE(writeText(kml, kUtf8, "<x>Ä</x>").ok);
    EXPECT_EQ(readFile(kml), QByteArray("<x>\xC3\x84</x>"));

    const QString csv = dir.filePath("a.gps.csv");
    const QString text = QStringLiteral("Zeit;X\n\"1\";2,5 ✓\U0001F697");
    ASSERT_TRUE(writeText(csv, kUtf16, text).ok);
    EXPECT_EQ(readUtf16LeWithBom(csv), text);
    // An empty text is still a file with its byte-order mark.
    ASSERT_TRUE(writeText(csv, kUtf16, QString()).ok);
    EXPECT_EQ(readFile(csv), QByteArray("\xFF\xFE"));

    // Big enough for several background flushes while blocks are still being written, in
    // pieces that do not line up with the blocks.
    const QString gpx = dir.filePath("long.gpx");
    const QByteArray expected = QByteArray("0123456789abcdef,\n").repeated(520000);
    const std::string_view all(expected.constData(), std::size_t(expected.size()));
    const RVWriteResult result = RVExportFileUtil::write(gpx, kUtf8, [&](RVExportSink& sink) {
        for (std::size_t at = 0; at < all.size(); at += 1000)
            sink.append(all.substr(at, 1000));
    });
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_TRUE(readFile(gpx) == expected);
    // No temporary files are left beside the targets.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);

    // Characters of one to four bytes, appended a byte at a time after up to a run's length of
    // others: the first streaming block ends at every byte of every kind of character.
    const QString run = QStringLiteral("✓\U0001F697aé"); // ten bytes
    for (int shift = 0; shift < 10; ++shift) {
        QBuffer buffer;
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
        RVExportSink sink(&buffer, RVExportSink::Encoding::Utf16LittleEndian);
        const QString expected = QString(shift, QLatin1Char('a')) + run.repeated(30000);
        for (const char byte : expected.toUtf8())
            sink.append(byte);
        ASSERT_TRUE(sink.finish());
        EXPECT_TRUE(buffer.data() ==
                    "\xFF\xFE" + QByteArray(reinterpret_cast<const char*>(expected.utf16()),
                                            expected.size() * 2))
            << shift;
    }

    // Failures are reported and leave earlier files alone.
    const RVWriteResult missing = writeText(dir.filePath("no/such/a.kml"), kUtf8, "x");
    EXPECT_FALSE(missing.ok);
    EXPECT_TRUE(missing.error.contains("no/such/a.kml")) << missing.error.toStdString();
    // A folder where the file should go is not replaced.
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.gpx"));
    const RVWriteResult folder = writeText(dir.filePath("taken.gpx"), kUtf16, "x");
    EXPECT_FALSE(folder.ok || folder.error.isEmpty());
    EXPECT_TRUE(QFileInfo(dir.filePath("taken.gpx")).isDir());

    // A device that stops taking bytes part way: the sink reports it.
    QBuffer readOnly;
    ASSERT_TRUE(readOnly.open(QIODevice::ReadOnly));
    RVExportSink sink(&readOnly, RVExportSink::Encoding::Utf8);
    sink.append(std::string(3 << 20, 'x'));
    EXPECT_FALSE(sink.finish());
    EXPECT_TRUE(sink.failed() && !sink.errorString().isEmpty());

    // A pipe cannot be flushed to a disk: fdatasync fails with EINVAL, kept for finish.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    EXPECT_EQ(RVBackgroundFlush(fds[1]).finish(), QString()) << "no flush was asked for";
    RVBackgroundFlush flush(fds[1]);
    for (int i = 0; i < 50; ++i)
        flush.request();
    EXPECT_EQ(flush.finish(), qt_error_string(EINVAL));
    ::close(fds[0]);
    ::close(fds[1]);

    // The sensor table goes beside the track table. A leading dot or dots in folder names are no
    // extension; never the track table itself.
    const std::pair<const char*, const char*> cases[] = {
        {"/tmp/trip.csv", "/tmp/trip.gsensor.csv"},
        {"/m/2015_0301_090500.MOV.gps.csv", "/m/2015_0301_090500.MOV.gsensor.csv"},
        {"/m/.csv", "/m/.csv.gsensor.csv"},
        {"/a.b/c.d/trip", "/a.b/c.d/trip.gsensor.csv"},
        {"/m/x.gsensor.csv", "/m/x.gsensor.gsensor.csv"}};
    for (const auto& [track, sensor] : cases)
        EXPECT_EQ(RVExportFileUtil::sensorTablePath(track), QString(sensor));
}

TEST(ExportUtil, NodeDocumentsOnceTheSeriesAreRead)
{
    QTemporaryDir dir;
    const RVVideoDataPtr node = RVVideoData::create(
        "Drive & <night>.mp4", 60.0f, RVTimestamp::fromMSecsSinceEpoch(1499551200000),
        {std::make_shared<RVVideoFile>("/card/A.MOV", 60.0f, RVTimestamp(), false)}, {});
    const QString kmlPath = dir.filePath("a.kml"), gpxPath = dir.filePath("a.gpx");
    const QString gpsPath = dir.filePath("a.gps.csv"), sensorPath = dir.filePath("a.gsensor.csv");
    EXPECT_FALSE(RVExportUtil::writeKml(*node, kmlPath) || RVExportUtil::writeGpx(*node, gpxPath) ||
                 RVExportUtil::writeGpsTable(*node, gpsPath) ||
                 RVExportUtil::writeSensorTable(*node, sensorPath));
    EXPECT_TRUE(QDir(dir.path()).isEmpty()) << "no file is touched";
    // The acceleration table depends on its own series only.
    node->setPoints(std::make_shared<const std::vector<RVPoint>>());
    ASSERT_TRUE(RVExportUtil::writeKml(*node, kmlPath).value_or(RVWriteResult{}).ok);
    EXPECT_TRUE(readFile(kmlPath).contains("<coordinates>\n"));
    EXPECT_FALSE(RVExportUtil::writeSensorTable(*node, sensorPath));

    std::vector<RVPoint> points(30, point("55.1", "37.1"));
    points[3] = point("0", "0"); // no fix: left out everywhere
    node->setSeries({std::make_shared<const std::vector<RVPoint>>(points),
                     std::make_shared<const std::vector<RVSensorData>>(
                         7, RVSensorData(1, 2, 3, 0, RVSensorLabel::number(1))),
                     std::make_shared<const std::vector<double>>(30, 36.0)});
    using Write = std::optional<RVWriteResult> (*)(const RVVideoData&, const QString&);
    const std::pair<Write, QString> writes[] = {{&RVExportUtil::writeKml, kmlPath},
                                                {&RVExportUtil::writeGpx, gpxPath},
                                                {&RVExportUtil::writeGpsTable, gpsPath},
                                                {&RVExportUtil::writeSensorTable, sensorPath}};
    for (const auto& [write, path] : writes)
        ASSERT_TRUE(write(*node, path).value_or(RVWriteResult{}).ok) << path.toStdString();
    const QByteArray kml = readFile(kmlPath);
    const QByteArray gpx = readFile(gpxPath);
    EXPECT_TRUE(kml.contains("<name>Drive &amp; &lt;night&gt;.mp4</name>"));
    EXPECT_EQ(kml.count(",0 "), 28);
    // The node's start, length and speeds: the last point 58 s after 2017-07-08 22:00:00 UTC.
    EXPECT_TRUE(gpx.contains("<time>2017-07-08T22:00:00Z</time>\n    </metadata>"));
    EXPECT_TRUE(gpx.contains("<time>2017-07-08T22:00:58Z</time>"));
    EXPECT_EQ(gpx.count("<speed>9.999720</speed>"), 29);
    const QString gps = readUtf16LeWithBom(gpsPath);
    const QString sensor = readUtf16LeWithBom(sensorPath);
    EXPECT_TRUE(gps.startsWith("EXPORT_EXCEL_TIME_TITLE;") && gps.count('\n') == 29);
    EXPECT_EQ(sensor.count("\n\"1\";1;2;3"), 7);
}
