#include "ExportTestSupport.h"
#include "NmeaLog.h"
#include "RealData.h"
#include "metadata/RVGpsProcessor.h"
#include "tests/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace ExportTestSupport;

namespace {

const QString kTool = QStringLiteral(KORVELA_BINARY_DIR "/tools/korvela-export");
const QString kBlackVueClip = "20170708_221449_N";

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
    ffmpeg.start("ffmpeg", {"-v", "error", "-f", "lavfi", "-i",
                            QStringLiteral("color=s=32x32:r=2:d=%1").arg(seconds), "-c:v", "mpeg4",
                            "-y", path});
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0;
}

// A card folder: a trip of two Korvela recordings 10 s apart (100 fixes each, with G-sensor
// lines) and a real BlackVue clip far away in time.
class ExportToolFormats : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KORVELA_SKIP_WITHOUT_REALDATA("blackvue-dr650s");
        ASSERT_TRUE(m_dir.isValid());
        m_card = m_dir.filePath("card");
        ASSERT_TRUE(QDir().mkpath(m_card));
        for (int k = 0; k < 2; ++k) {
            const QString stem = QStringLiteral("%1/FILE000%2").arg(m_card).arg(k + 1);
            ASSERT_TRUE(makeVideo(stem + ".MOV", 10));
            NmeaLogShape shape;
            shape.startMsecsUtc += k * 10000;
            shape.fixes = 100;
            shape.sensorLines = true;
            ASSERT_TRUE(writeNmeaLog(stem + ".txt", shape));
        }
        const QString clip = m_card + QLatin1Char('/') + kBlackVueClip;
        for (const char* extension : {".gps", ".3gf"}) {
            ASSERT_TRUE(QFile::copy(RealData::path(QStringLiteral("blackvue-dr650s/")) +
                                        kBlackVueClip + QLatin1String(extension),
                                    clip + QLatin1String(extension)));
        }
        ASSERT_TRUE(makeVideo(clip + ".mp4", 10));
        const auto meta = RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(clip + ".mp4");
        ASSERT_TRUE(meta);
        m_clipSamples = meta->gSensorData.size();
        m_out = m_dir.filePath("out");
    }

    // The files in the output folder, sorted.
    QStringList outputFiles() const
    {
        return QDir(m_out).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QString tripFile(const QString& suffix) const
    {
        for (const QString& name : outputFiles()) {
            if (name.startsWith("FILE0001") && name.endsWith(suffix))
                return QDir(m_out).filePath(name);
        }
        return {};
    }

    QTemporaryDir m_dir;
    QString m_card;
    QString m_out;
    std::size_t m_clipSamples = 0;
};

} // namespace

TEST_F(ExportToolFormats, EveryFormatWritesOneFileSetPerNode)
{
    // An existing file is replaced.
    ASSERT_TRUE(QDir().mkpath(m_out));
    const QString clip = m_out + QLatin1Char('/') + kBlackVueClip + ".mp4";
    {
        QFile junk(clip + ".kml");
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write("junk");
    }
    for (const char* format : {"kml", "gpx"}) {
        const ToolRun run = runTool({"--format", QLatin1String(format), "--output", m_out, m_card});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("wrote")) << run.err.toStdString();
        // stderr is a pipe here: progress comes as whole lines, never rewritten in place.
        EXPECT_TRUE(run.err.contains("read 3 of 3 recordings\n")) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains(QLatin1Char('\r')));
        const QString suffix = QLatin1Char('.') + QLatin1String(format);
        const QString trip = tripFile(suffix);
        ASSERT_FALSE(trip.isEmpty()) << outputFiles().join(' ').toStdString();
        // The trip holds both recordings' fixes.
        QString error;
        EXPECT_EQ(readWithGpsBabel(QLatin1String(format), trip, &error).size(), 200u);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    }
    EXPECT_TRUE(readFile(clip + ".kml").startsWith("<?xml"));

    const ToolRun run = runTool({"--quiet", "--format", "csv", "--output", m_out, m_card});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_EQ(splitTable(readUtf16LeWithBom(tripFile(".gps.csv"))).size(), 201u);
    EXPECT_EQ(splitTable(readUtf16LeWithBom(tripFile(".gsensor.csv"))).size(), 201u);
    EXPECT_EQ(splitTable(readUtf16LeWithBom(clip + ".gsensor.csv")).size(), m_clipSamples + 1);
    // Per node and format its files, nothing else (no temporary files left).
    EXPECT_EQ(outputFiles().size(), 8);
}

TEST_F(ExportToolFormats, ArgumentAndWriteErrors)
{
    // A missing PATH is reported; the others are still written.
    ToolRun run =
        runTool({"--format", "gpx", "--output", m_out, m_dir.filePath("missing"), m_card});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("missing")) << run.err.toStdString();
    EXPECT_EQ(outputFiles().size(), 2);

    // An output folder that cannot be made, and an output file that cannot be written.
    const QString plainFile = m_dir.filePath("plain");
    {
        QFile file(plainFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    run = runTool({"--format", "kml", "--output", plainFile, m_card});
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_TRUE(QDir().mkpath(m_out + QLatin1Char('/') + kBlackVueClip + ".mp4.kml"));
    run = runTool({"--format", "kml", "--output", m_out, m_card});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("Could not write")) << run.err.toStdString();
    EXPECT_FALSE(tripFile(".kml").isEmpty());

    // A folder without recordings.
    run = runTool({"--format", "kml", "--output", m_out, m_out});
    EXPECT_EQ(run.exitCode, 1);
}

TEST(ExportToolWrites, FullDiskFailsEveryFileAndLinksAreReplacedNotFollowed)
{
    SmallDisk disk;
    SKIP_WITHOUT_SMALL_DISK(disk);
    QTemporaryDir dir;
    const QString card = dir.filePath("card");
    ASSERT_TRUE(QDir().mkpath(card));
    ASSERT_TRUE(makeVideo(card + "/FILE0001.MOV", 2));
    NmeaLogShape shape;
    shape.sensorLines = true;
    ASSERT_TRUE(writeNmeaLog(card + "/FILE0001.txt", shape));

    const QString out = disk.filePath("out");
    ASSERT_TRUE(QDir().mkpath(out));
    disk.fill();
    for (const char* format : {"kml", "gpx", "csv"}) {
        const ToolRun run = runTool({"--format", format, "--output", out, card});
        EXPECT_EQ(run.exitCode, 1) << format;
        EXPECT_TRUE(run.err.contains("Could not write " + out)) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains("wrote")) << run.err.toStdString();
        EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());
    }

    // Links planted at every output name: each is replaced by the export, and the file they
    // pointed to stays as it was.
    const QString folder = dir.filePath("out");
    ASSERT_EQ(runTool({"--format", "csv", "--output", folder, card}).exitCode, 0);
    const QString victim = dir.filePath("victim");
    ASSERT_TRUE(QFile(victim).open(QIODevice::WriteOnly));
    const QStringList names = QDir(folder).entryList(QDir::Files);
    ASSERT_EQ(names.size(), 2);
    for (const QString& name : names) {
        ASSERT_TRUE(QFile::remove(QDir(folder).filePath(name)));
        ASSERT_TRUE(QFile::link(victim, QDir(folder).filePath(name)));
    }
    ASSERT_EQ(runTool({"--format", "csv", "--output", folder, card}).exitCode, 0);
    EXPECT_EQ(QFileInfo(victim).size(), 0);
    for (const QString& name : names)
        EXPECT_FALSE(QFileInfo(QDir(folder).filePath(name)).isSymLink()) << name.toStdString();
}
