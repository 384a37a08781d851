// korvela-export --format mp4: the times it reads, and a clip of a trip made end to end.
#include "tools/korvela-export/RVClipTime.h"

#include "support/Support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

TEST(ClipTool, ReadsOffsetsAndCameraTimesWritesTheClipAndItsManifestAndPrintsThePath)
{
    const QDateTime start(QDate(2026, 5, 16), QTime(10, 0, 0), QTimeZone(7200));
    // Offsets from the trip's start (minutes and seconds after a colon stay below 60; a bare
    // number is none), and camera times (one before the trip is negative: the caller clamps).
    using Cases = std::vector<std::pair<const char*, std::optional<double>>>;
    const Cases offsets{{"+7", 7.0},         {"+1:05.5", 65.5},       {"+1:02:03.25", 3723.25},
                        {"+0", 0.0},         {"+1:60", std::nullopt}, {"+1:2:3:4", std::nullopt},
                        {"+", std::nullopt}, {"+-3", std::nullopt},   {"+1e3", std::nullopt},
                        {"7", std::nullopt}};
    const Cases times{{"2026-05-16T10:00:07", 7.0},          {"2026-05-16T10:00:07.25", 7.25},
                      {"2026-05-16T09:59:59", -1.0},         {"2026-05-17T00:00:00", 50400.0},
                      {"2026-05-16 10:00:07", std::nullopt}, {"2026-02-30T10:00:00", std::nullopt}};
    for (const Cases& cases : {offsets, times})
        for (const auto& [text, seconds] : cases)
            EXPECT_EQ(parseClipTime(QString::fromUtf8(text), start), seconds) << text;
    EXPECT_EQ(parseClipTime("2026-05-16T10:00:07", QDateTime()), std::nullopt);

    // A camera kept in a zone with daylight saving: the clock jumps from 02:00 to 03:00, so one
    // minute of trip passes between these two readings.
    const QDateTime spring(QDate(2026, 3, 29), QTime(1, 59, 0), QTimeZone("Europe/Berlin"));
    EXPECT_EQ(parseClipTime("2026-03-29T03:00:00", spring), 60.0);

    QTemporaryDir dir;
    const QString cards = dir.filePath("card"), out = dir.filePath("out");
    QDir().mkpath(cards);
    QDir().mkpath(out);
    // Two 2-second recordings named as a BlackVue camera names them, front and rear.
    const QStringList clip = QString("-nostdin -loglevel error -y -f lavfi -i "
                                     "testsrc2=size=320x240:rate=25:duration=2 -c:v libx264 "
                                     "-preset ultrafast -g 25")
                                 .split(' ');
    for (const char* name : {"20260516_100000_NF.mp4", "20260516_100000_NR.mp4",
                             "20260516_100002_NF.mp4", "20260516_100002_NR.mp4"})
        ASSERT_TRUE(support::runFfmpeg(clip + QStringList{QDir(cards).filePath(name)}));
    // The first recording's receiver log beside it: eight fixes, spread over its 2 seconds
    // at trip seconds 0, 0.25, ... 1.75, of which 1.5 and 1.75 lie in the range.
    QByteArray log;
    for (int i = 0; i < 8; ++i) {
        const QByteArray body =
            QString::asprintf("GPRMC,0800%02d.%02d,A,52%d.0000,N,01324.0000,E,10.0,0.0,160526,,,A",
                              i / 4, i % 4 * 25, 10 + i)
                .toLatin1();
        char sum = 0;
        for (const char c : body)
            sum ^= c;
        log += '$' + body + '*' +
               QByteArray::number(uchar(sum), 16).rightJustified(2, '0').toUpper() + "\r\n";
    }
    ASSERT_TRUE(support::writeFile(QDir(cards).filePath("20260516_100000_NF.nmea"), log));
    // The tool's exit code, then what it printed on standard output and error.
    const auto run = [](const QStringList& arguments) {
        QProcess tool;
        tool.start(KORVELA_BINARY_DIR "/tools/korvela-export", arguments);
        EXPECT_TRUE(tool.waitForFinished(300000));
        return std::tuple(tool.exitCode(),
                          QString::fromUtf8(tool.readAllStandardOutput()).trimmed(),
                          tool.readAllStandardError().toStdString());
    };
    const auto [code, printed, error] =
        run({"--format", "mp4", "--from", "2026-05-16T10:00:01.5", "--to", "+3", "--layout", "pip",
             "--overlay", "time,speed", "--quality", "720p", "--gpx", "--output", out, cards});
    EXPECT_EQ(code, 0) << error;
    EXPECT_EQ(printed, QDir(out).filePath("20260516_100000_NF_clip_20260516-100001.mp4"));
    EXPECT_TRUE(QFile::exists(printed));
    const QString text = QString::fromUtf8(support::readFile(printed + ".manifest.txt"));
    EXPECT_TRUE(text.contains("layout: pip")) << text.toStdString();
    EXPECT_TRUE(text.contains("20260516_100002_NR.mp4")) << text.toStdString();
    // The track of the range: its two points, inside the range in UTC.
    const QString track = QString::fromUtf8(support::readFile(printed + ".gpx"));
    EXPECT_EQ(track.count("<trkpt "), 2) << track.toStdString();
    const QRegularExpression time("<time>([^<]*)</time>");
    QStringList gpxTimes;
    for (const QRegularExpressionMatch& match : time.globalMatch(track))
        gpxTimes.append(match.captured(1));
    const auto utc = [&text](const char* key) {
        const QRegularExpression line(QStringLiteral("%1 \\(UTC\\): (\\S+)").arg(key));
        return QDateTime::fromString(line.match(text).captured(1), Qt::ISODateWithMs);
    };
    ASSERT_EQ(gpxTimes.size(), 3) << track.toStdString(); // the document's and the points'
    for (const QString& at : gpxTimes.mid(1)) {
        const QDateTime when = QDateTime::fromString(at, Qt::ISODateWithMs);
        EXPECT_TRUE(when >= utc("from") && when <= utc("to")) << at.toStdString();
    }

    // Bad arguments are refused before anything is written.
    for (const QStringList& bad :
         {QStringList{"--format", "mp4", "--from", "+1", "--to", "+0.5", cards},
          QStringList{"--format", "mp4", "--from", "+1", "--to", "+2", "--layout", "tv", cards},
          QStringList{"--format", "json", "--from", "+1", cards}})
        EXPECT_NE(std::get<0>(run(bad)), 0) << bad.join(' ').toStdString();
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 3);

    // The card's clock rule from the command line: the camera showed Tokyo time an hour behind.
    // --from is read on the corrected clock, the clip is named by it and the manifest's UTC is
    // the instant.
    const auto [ruled, corrected, ruledError] =
        run({"--camera-zone", "Asia/Tokyo", "--clock-offset", "+1", "--format", "mp4", "--from",
             "2026-05-16T11:00:01", "--to", "+2", "--layout", "front", "--output", out, cards});
    EXPECT_EQ(ruled, 0) << ruledError;
    EXPECT_EQ(corrected, QDir(out).filePath("20260516_100000_NF_clip_20260516-110001.mp4"));
    const QString ruledText = QString::fromUtf8(support::readFile(corrected + ".manifest.txt"));
    EXPECT_TRUE(ruledText.contains("from (camera time): 2026-05-16T11:00:01.000+09:00") &&
                ruledText.contains("from (UTC): 2026-05-16T02:00:01.000Z"))
        << ruledText.toStdString();
}
