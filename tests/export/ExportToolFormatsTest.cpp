#include "ExportTestSupport.h"
#include "NmeaLog.h"
#include "metadata/RVGpsProcessor.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace ExportTestSupport;

namespace {

const QString kTool = QStringLiteral(KORVELA_BINARY_DIR "/tools/korvela-export");
const QString kBlackVueClip = QStringLiteral("20170708_221449_N");

struct ToolRun
{
    int exitCode = -1;
    QString err;
};

ToolRun runTool(const QStringList& arguments)
{
    QProcess tool;
    tool.start(kTool, arguments);
    ToolRun run;
    if (tool.waitForFinished(120000) && tool.exitStatus() == QProcess::NormalExit)
        run.exitCode = tool.exitCode();
    run.err = QString::fromUtf8(tool.readAllStandardError());
    return run;
}

bool makeVideo(const QString& path, int seconds)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                  QStringLiteral("lavfi"), QStringLiteral("-i"),
                  QStringLiteral("color=s=32x32:r=2:d=%1").arg(seconds), QStringLiteral("-c:v"),
                  QStringLiteral("mpeg4"), QStringLiteral("-y"), path});
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0;
}

// A card folder: a trip of two Korvela recordings 10 s apart (100 fixes each, with G-sensor
// lines) and a real BlackVue clip far away in time.
class ExportToolFormats : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_card = m_dir.filePath(QStringLiteral("card"));
        ASSERT_TRUE(QDir().mkpath(m_card));
        for (int k = 0; k < 2; ++k) {
            const QString stem = QStringLiteral("%1/FILE000%2").arg(m_card).arg(k + 1);
            ASSERT_TRUE(makeVideo(stem + QStringLiteral(".MOV"), 10));
            NmeaLogShape shape;
            shape.startMsecsUtc += k * 10000;
            shape.fixes = 100;
            shape.sensorLines = true;
            ASSERT_TRUE(writeNmeaLog(stem + QStringLiteral(".txt"), shape));
        }
        const QString clip = m_card + QLatin1Char('/') + kBlackVueClip;
        for (const char* extension : {".gps", ".3gf"}) {
            ASSERT_TRUE(QFile::copy(QStringLiteral(KORVELA_REALDATA_DIR "/blackvue-dr650s/") +
                                        kBlackVueClip + QLatin1String(extension),
                                    clip + QLatin1String(extension)));
        }
        ASSERT_TRUE(makeVideo(clip + QStringLiteral(".mp4"), 10));
        const auto meta = RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(
            clip + QStringLiteral(".mp4"));
        ASSERT_TRUE(meta);
        for (const RVPoint& p : meta->points)
            m_clipPoints += RVGpsProcessor::isZeroPoint(p) ? 0 : 1;
        m_clipSamples = meta->gSensorData.size();
        m_out = m_dir.filePath(QStringLiteral("out"));
    }

    // The files in the output folder, sorted.
    QStringList outputFiles() const
    {
        return QDir(m_out).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QString tripFile(const QString& suffix) const
    {
        for (const QString& name : outputFiles()) {
            if (name.startsWith(QStringLiteral("FILE0001")) && name.endsWith(suffix))
                return QDir(m_out).filePath(name);
        }
        return {};
    }

    QTemporaryDir m_dir;
    QString m_card;
    QString m_out;
    std::size_t m_clipPoints = 0;
    std::size_t m_clipSamples = 0;
};

} // namespace

TEST_F(ExportToolFormats, KmlAndGpxPerNodeReadByGpsBabel)
{
    // An existing file is replaced.
    ASSERT_TRUE(QDir().mkpath(m_out));
    const QString clipKml = m_out + QLatin1Char('/') + kBlackVueClip + QStringLiteral(".mp4.kml");
    {
        QFile junk(clipKml);
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write("junk");
    }
    for (const char* format : {"kml", "gpx"}) {
        const ToolRun run = runTool({QStringLiteral("--format"), QLatin1String(format),
                                     QStringLiteral("--output"), m_out, m_card});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("wrote"))) << run.err.toStdString();
        const QString suffix = QLatin1Char('.') + QLatin1String(format);
        const QString trip = tripFile(suffix);
        ASSERT_FALSE(trip.isEmpty()) << outputFiles().join(' ').toStdString();
        const QString clip =
            m_out + QLatin1Char('/') + kBlackVueClip + QStringLiteral(".mp4") + suffix;
        QString error;
        EXPECT_EQ(readWithGpsBabel(QLatin1String(format), trip, &error).size(), 200u);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        EXPECT_EQ(readWithGpsBabel(QLatin1String(format), clip, &error).size(), m_clipPoints);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    }
    EXPECT_TRUE(readFile(clipKml).startsWith("<?xml"));
    // One file per top-level node and format, nothing else (no temporary files left).
    EXPECT_EQ(outputFiles().size(), 4);
}

TEST_F(ExportToolFormats, CsvWritesBothTablesAsUtf16)
{
    const ToolRun run = runTool({QStringLiteral("--format"), QStringLiteral("csv"),
                                 QStringLiteral("--output"), m_out, m_card});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(outputFiles().size(), 4);
    const QString tripGps = tripFile(QStringLiteral(".gps.csv"));
    const QString tripSensor = tripFile(QStringLiteral(".gsensor.csv"));
    ASSERT_FALSE(tripGps.isEmpty());
    ASSERT_FALSE(tripSensor.isEmpty());
    EXPECT_EQ(splitTable(readUtf16LeWithBom(tripGps)).size(), 201u);
    EXPECT_EQ(splitTable(readUtf16LeWithBom(tripSensor)).size(), 201u);
    const QString clipSensor =
        m_out + QLatin1Char('/') + kBlackVueClip + QStringLiteral(".mp4.gsensor.csv");
    EXPECT_EQ(splitTable(readUtf16LeWithBom(clipSensor)).size(), m_clipSamples + 1);
}

TEST_F(ExportToolFormats, ArgumentAndWriteErrors)
{
    EXPECT_EQ(runTool({QStringLiteral("--format"), QStringLiteral("kml"), m_card}).exitCode, 2);
    EXPECT_EQ(runTool({QStringLiteral("--format"), QStringLiteral("kmz"),
                       QStringLiteral("--output"), m_out, m_card})
                  .exitCode,
              2);

    // A missing PATH is reported; the others are still written.
    ToolRun run =
        runTool({QStringLiteral("--format"), QStringLiteral("gpx"), QStringLiteral("--output"),
                 m_out, m_dir.filePath(QStringLiteral("missing")), m_card});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("missing"))) << run.err.toStdString();
    EXPECT_EQ(outputFiles().size(), 2);

    // An output folder that cannot be made, and an output file that cannot be written.
    const QString plainFile = m_dir.filePath(QStringLiteral("plain"));
    {
        QFile file(plainFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    run = runTool({QStringLiteral("--format"), QStringLiteral("kml"), QStringLiteral("--output"),
                   plainFile, m_card});
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_TRUE(
        QDir().mkpath(m_out + QLatin1Char('/') + kBlackVueClip + QStringLiteral(".mp4.kml")));
    run = runTool({QStringLiteral("--format"), QStringLiteral("kml"), QStringLiteral("--output"),
                   m_out, m_card});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Could not write"))) << run.err.toStdString();
    EXPECT_FALSE(tripFile(QStringLiteral(".kml")).isEmpty());

    // A folder without recordings.
    run = runTool({QStringLiteral("--format"), QStringLiteral("kml"), QStringLiteral("--output"),
                   m_out, m_out});
    EXPECT_EQ(run.exitCode, 1);
}
