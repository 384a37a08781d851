#include "core/RVAtomicFile.h"
#include "support/Support.h"
#include "support/WriteLimit.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

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

// A run ended by a signal while it writes leaves no side file; one killed outright leaves its
// side file, which a later run removes once it is a day old (a younger one may still be
// written by another run).
TEST(AtomicFile, SignalsRemoveSideFilesAndLaterRunsSweepStaleOnes)
{
    const auto hidden = [](const QString& folder) {
        return QDir(folder)
            .entryList(QDir::Files | QDir::Hidden)
            .filter(QRegularExpression("^\\."));
    };
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        QTemporaryDir dir;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RVAtomicFile::removeSideFilesOnSignals();
            RVAtomicFile first(dir.filePath("a.kml")), second(dir.filePath("b.kml"));
            if (!first.open() || !second.open() || first.write("half") != 4)
                ::_exit(3);
            ::raise(signalNumber);
            ::_exit(4); // not reached: the signal ends the process
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << status;
        EXPECT_EQ(hidden(dir.path()), QStringList()) << signalNumber;
    }

    QTemporaryDir dir;
    const QStringList leftovers = {".a.kml.x1.korvela-part", ".b.kml.x2.korvela-part",
                                   ".c.kml.x3.other"};
    for (const QString& name : leftovers)
        ASSERT_TRUE(support::writeFile(dir.filePath(name), "half"));
    const QDateTime twoDaysAgo = QDateTime::currentDateTime().addDays(-2);
    for (const QString& name : {leftovers[0], leftovers[2]}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(twoDaysAgo, QFileDevice::FileModificationTime));
    }
    ASSERT_TRUE(RVAtomicFile::writeAll(dir.filePath("d.kml"), "whole"));
    EXPECT_EQ(hidden(dir.path()), QStringList({leftovers[1], leftovers[2]}));
}
