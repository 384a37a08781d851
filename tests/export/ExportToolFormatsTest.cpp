#include "ExportTestSupport.h"
#include "NmeaLog.h"
#include "support/WriteLimit.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace ExportTestSupport;

namespace {

struct ToolRun
{
    int exitCode;
    QString err;
};

// environment: "NAME=value" entries added to this process's.
ToolRun runTool(const QStringList& arguments, const QStringList& environment = {})
{
    QProcess tool;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : environment)
        variables.insert(entry.section('=', 0, 0), entry.section('=', 1));
    tool.setProcessEnvironment(variables);
    tool.start(QStringLiteral(KORVELA_BINARY_DIR "/tools/korvela-export"), arguments);
    const bool ended = tool.waitForFinished(120000) && tool.exitStatus() == QProcess::NormalExit;
    return {ended ? tool.exitCode() : -1, QString::fromUtf8(tool.readAllStandardError())};
}

} // namespace

TEST(ExportTool, EveryFormatWritesOneFileSetPerNodeAndReportsErrors)
{
    // Korvela recordings of 100 fixes with G-sensor lines: the first two 10 s apart make a
    // trip, the third comes a day later.
    QTemporaryDir dir;
    const QString card = dir.filePath("card"), out = dir.filePath("out");
    for (int k = 0; k < 3; ++k) {
        const QString stem = QStringLiteral("%1/FILE000%2").arg(card).arg(k + 1);
        NmeaLogShape shape;
        shape.startMsecsUtc += k < 2 ? k * 10000 : 86400000;
        shape.sensorLines = true;
        ASSERT_TRUE(QDir().mkpath(card) && writeNmeaLog(stem + ".txt", shape));
        ASSERT_TRUE(support::runFfmpeg(
            {"-f", "lavfi", "-i", "color=s=32x32:r=2:d=10", "-c:v", "mpeg4", stem + ".MOV"}));
    }
    const QString trip = out + "/FILE0001-2", clip = out + "/FILE0003.MOV";
    const auto files = [&] { return QDir(out).entryList(QDir::Files | QDir::Hidden); };

    // A missing PATH is reported; the others are still written.
    ToolRun run = runTool({"--format", "gpx", "--output", out, dir.filePath("missing"), card});
    EXPECT_TRUE(run.exitCode == 1 && run.err.contains("missing")) << run.err.toStdString();
    EXPECT_EQ(files().size(), 2);

    ASSERT_TRUE(support::writeFile(clip + ".kml", "junk")); // an existing file is replaced
    for (const QString format : {"kml", "gpx"}) {
        run = runTool({"--format", format, "--output", out, card});
        // stderr is a pipe here: progress comes as whole lines, never rewritten in place.
        EXPECT_TRUE(run.exitCode == 0 && run.err.contains("wrote") &&
                    run.err.contains("read 3 of 3 recordings\n") && !run.err.contains('\r'))
            << run.err.toStdString();
        // The trip holds both recordings' fixes.
        EXPECT_EQ(gpsBabelPoints(format, trip + "." + format), 200);
    }
    EXPECT_TRUE(readFile(clip + ".kml").startsWith("<?xml"));
    run = runTool({"--quiet", "--format", "csv", "--output", out, card});
    EXPECT_TRUE(run.exitCode == 0 && run.err.isEmpty()) << run.err.toStdString();
    EXPECT_EQ(readUtf16LeWithBom(trip + ".gps.csv").count('\n'), 200);
    EXPECT_EQ(readUtf16LeWithBom(trip + ".gsensor.csv").count('\n'), 200);
    EXPECT_EQ(readUtf16LeWithBom(clip + ".gsensor.csv").count('\n'), 100);
    // Per node and format its files, nothing else (no temporary files left).
    EXPECT_EQ(files().size(), 8);
    // Column titles in the user's language, English when the program has none of theirs.
    const QString settings = "XDG_CONFIG_HOME=" + dir.filePath("config");
    for (const auto& [language, titles] :
         {std::pair{"de", "Zeit;Breite;"}, {"fr", "Time;Latitude;"}}) {
        ASSERT_EQ(runTool({"-q", "--format", "csv", "--output", out, card},
                          {settings, QStringLiteral("LANGUAGE=") + language})
                      .exitCode,
                  0);
        EXPECT_TRUE(readUtf16LeWithBom(clip + ".gps.csv").startsWith(titles)) << language;
    }

    // An output folder that cannot be made, an output file that cannot be written, a folder
    // without recordings.
    EXPECT_EQ(
        runTool({"--format", "kml", "--output", dir.filePath("card/FILE0001.txt"), card}).exitCode,
        1);
    ASSERT_TRUE(QFile::remove(trip + ".kml") && QFile::remove(clip + ".kml"));
    ASSERT_TRUE(QDir().mkpath(clip + ".kml"));
    run = runTool({"--format", "kml", "--output", out, card});
    EXPECT_TRUE(run.exitCode == 1 && run.err.contains("Could not write")) << run.err.toStdString();
    EXPECT_TRUE(QFileInfo(trip + ".kml").isFile());
    EXPECT_EQ(runTool({"--format", "kml", "--output", out, out}).exitCode, 1);

    // Links planted at the tables' names are replaced, and the file they pointed to stays.
    const QString victim = dir.filePath("victim");
    ASSERT_TRUE(support::writeFile(victim, {}));
    for (const QString& name : files().filter(".csv"))
        ASSERT_TRUE(QFile::remove(out + "/" + name) && QFile::link(victim, out + "/" + name));
    ASSERT_EQ(runTool({"--format", "csv", "--output", out, card}).exitCode, 0);
    EXPECT_EQ(QFileInfo(victim).size(), 0);
    EXPECT_EQ(files().filter(".csv").size(), 4);
    for (const QString& name : files())
        EXPECT_FALSE(QFileInfo(out + "/" + name).isSymLink()) << name.toStdString();

    // A full disk fails every file and leaves nothing behind.
    QTemporaryDir disk;
    const QString full = disk.path();
    const support::WriteLimit limit(64);
    for (const char* format : {"kml", "gpx", "csv"}) {
        run = runTool({"--format", format, "--output", full, card});
        EXPECT_TRUE(run.exitCode == 1 && run.err.contains("Could not write " + full) &&
                    !run.err.contains("wrote"))
            << run.err.toStdString();
        EXPECT_EQ(QDir(full).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());
    }
}
