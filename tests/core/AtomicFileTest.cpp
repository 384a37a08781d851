#include "core/RVAtomicFile.h"
#include "support/Support.h"
#include "support/WriteLimit.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(AtomicFile, ReplacesTargetsWholeOrNotAtAll)
{
    const auto entries = [](const QString& folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    // A link at the target is replaced, not written through.
    QTemporaryDir dir;
    const QString victim = dir.filePath(QStringLiteral("victim"));
    ASSERT_TRUE(RVAtomicFile::writeAll(victim, "precious"));
    const QString target = dir.filePath(QStringLiteral("out.gpx"));
    ASSERT_TRUE(QFile::link(victim, target));
    QFile::setPermissions(victim, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    ASSERT_TRUE(RVAtomicFile::writeAll(target, "new"));
    EXPECT_FALSE(QFileInfo(target).isSymLink());
    EXPECT_EQ(support::readFile(target), "new");
    EXPECT_EQ(support::readFile(victim), "precious");

    // Replacing a regular file keeps its permissions; nothing is left beside the files.
    ASSERT_TRUE(RVAtomicFile::writeAll(victim, "changed"));
    EXPECT_EQ(QFileInfo(victim).permissions() & QFile::ExeOwner, QFile::ExeOwner);
    EXPECT_EQ(entries(dir.path()), QStringList({"out.gpx", "victim"}));

    // A target that cannot be replaced (a folder) fails and says which.
    QString error;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    EXPECT_FALSE(RVAtomicFile::writeAll(dir.filePath(QStringLiteral("folder")), "x", &error));
    EXPECT_TRUE(error.contains(QStringLiteral("folder"))) << error.toStdString();
    EXPECT_EQ(entries(dir.path()).size(), 3);

    // A full disk keeps the old file and the error names the target.
    QTemporaryDir disk;
    const QString kml = disk.filePath(QStringLiteral("track.kml"));
    ASSERT_TRUE(RVAtomicFile::writeAll(kml, "old"));
    const support::WriteLimit full(8192);
    // Too big for what is left, written at once or piece by piece.
    for (const qint64 piece : {qint64(300'000), qint64(1000)}) {
        RVAtomicFile file(kml);
        ASSERT_TRUE(file.open());
        bool written = true;
        for (qint64 done = 0; written && done < 300'000; done += piece)
            written = file.write(QByteArray(int(piece), 'x')) == piece;
        EXPECT_FALSE(written && file.commit()) << piece;
        EXPECT_TRUE(file.errorString().contains(QStringLiteral("track.kml")))
            << file.errorString().toStdString();
        file.cancelWriting();
        EXPECT_EQ(support::readFile(kml), "old");
    }
    EXPECT_EQ(entries(disk.path()), QStringList({"track.kml"}));
}
