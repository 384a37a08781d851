#include "ExportTestSupport.h"
#include "export/RVExportFileUtil.h"
#include "export/RVExportSink.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace ExportTestSupport;

TEST(ExportFileUtil, WritesUtf8AndUtf16AndReplacesExistingFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString kml = dir.filePath(QStringLiteral("a.kml"));
    ASSERT_TRUE(RVExportFileUtil::writeUtf8(kml, QByteArray("old, longer text")).ok);
    ASSERT_TRUE(RVExportFileUtil::writeUtf8(kml, QByteArray("<x>Ä</x>")).ok);
    EXPECT_EQ(readFile(kml), QByteArray("<x>\xC3\x84</x>"));

    const QString csv = dir.filePath(QStringLiteral("a.gps.csv"));
    ASSERT_TRUE(
        RVExportFileUtil::writeUtf16(csv, QStringLiteral("Zeit;X\n\"1\";2,5 ✓\U0001F697")).ok);
    EXPECT_EQ(readUtf16LeWithBom(csv), QStringLiteral("Zeit;X\n\"1\";2,5 ✓\U0001F697"));

    // An empty text is still a file with its byte-order mark.
    ASSERT_TRUE(RVExportFileUtil::writeUtf16(csv, QString()).ok);
    EXPECT_EQ(readFile(csv), QByteArray("\xFF\xFE"));
    ASSERT_TRUE(
        RVExportFileUtil::write(csv, RVExportSink::Encoding::Utf16LittleEndian, [](RVExportSink&) {
        }).ok);
    EXPECT_EQ(readFile(csv), QByteArray("\xFF\xFE"));
    // No temporary files are left beside the targets.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(ExportFileUtil, StreamedUtf16KeepsCharactersSplitAcrossBlocks)
{
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
        const QByteArray bytes = buffer.data();
        ASSERT_EQ(bytes.left(2), QByteArray("\xFF\xFE"));
        EXPECT_EQ(
            QString(reinterpret_cast<const QChar*>(bytes.constData() + 2), (bytes.size() - 2) / 2),
            expected)
            << shift;
    }
}

TEST(ExportFileUtil, FailuresAreReportedAndLeaveEarlierFilesAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const RVWriteResult missing =
        RVExportFileUtil::writeUtf8(dir.filePath(QStringLiteral("no/such/dir/a.kml")), "x");
    EXPECT_FALSE(missing.ok);
    EXPECT_TRUE(missing.error.contains(QStringLiteral("no/such/dir/a.kml")))
        << missing.error.toStdString();

    // A folder where the file should go is not replaced.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken.gpx")));
    const RVWriteResult folder = RVExportFileUtil::writeUtf16(
        dir.filePath(QStringLiteral("taken.gpx")), QStringLiteral("x"));
    EXPECT_FALSE(folder.ok);
    EXPECT_FALSE(folder.error.isEmpty());
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("taken.gpx"))).isDir());

    // A device that stops taking bytes part way: the sink reports it.
    QFile readOnly(dir.filePath(QStringLiteral("ro")));
    ASSERT_TRUE(readOnly.open(QIODevice::WriteOnly));
    readOnly.close();
    ASSERT_TRUE(readOnly.open(QIODevice::ReadOnly));
    RVExportSink sink(&readOnly, RVExportSink::Encoding::Utf8);
    sink.append(std::string(3 << 20, 'x'));
    EXPECT_FALSE(sink.finish());
    EXPECT_TRUE(sink.failed());
    EXPECT_FALSE(sink.errorString().isEmpty());
}

TEST(ExportFileUtil, SensorTableGoesBesideTheTrackTable)
{
    EXPECT_EQ(RVExportFileUtil::sensorTablePath(QStringLiteral("/tmp/trip.csv")),
              QStringLiteral("/tmp/trip.gsensor.csv"));
    EXPECT_EQ(RVExportFileUtil::sensorTablePath(QStringLiteral("/m/2015_0301_090500.MOV.gps.csv")),
              QStringLiteral("/m/2015_0301_090500.MOV.gsensor.csv"));
    // A name that starts with its only dot has no extension to lose; dots in folder names
    // are not extensions.
    EXPECT_EQ(RVExportFileUtil::sensorTablePath(QStringLiteral("/m/.csv")),
              QStringLiteral("/m/.csv.gsensor.csv"));
    EXPECT_EQ(RVExportFileUtil::sensorTablePath(QStringLiteral("/a.b/c.d/trip")),
              QStringLiteral("/a.b/c.d/trip.gsensor.csv"));
    // Never the track table itself, which would be lost.
    EXPECT_EQ(RVExportFileUtil::sensorTablePath(QStringLiteral("/m/x.gsensor.csv")),
              QStringLiteral("/m/x.gsensor.gsensor.csv"));
}
