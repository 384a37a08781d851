// The file-system calls behind the platform interface, on real files, folders, links and a
// FIFO in a temporary folder.
#include "core/platform/RVPlatformFile.h"
#include "support/Support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace RVPlatformFile;

using support::readFile;
using support::writeFile;

TEST(PlatformFile, KindsLinksOpeningAndChecks)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("a.mp4"), folder = dir.filePath("f"),
                  fifo = dir.filePath("p"), link = dir.filePath("l"), dangling = dir.filePath("d"),
                  missing = dir.filePath("none");
    ASSERT_TRUE(writeFile(file, "12345") && QDir().mkpath(folder));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_EQ(makeLink(QFile::encodeName(file), QFile::encodeName(link)), 0);
    EXPECT_EQ(makeLink(QFile::encodeName(file), QFile::encodeName(link)), EEXIST);
    ASSERT_EQ(makeLink(QFile::encodeName(missing), QFile::encodeName(dangling)), 0);

    const Info regular = stat(file), through = stat(link), broken = stat(dangling);
    EXPECT_TRUE(regular.kind == Kind::Regular && regular.size == 5 && !regular.symbolicLink);
    EXPECT_TRUE(through.kind == Kind::Regular && through.symbolicLink &&
                through.inode == regular.inode);
    EXPECT_TRUE(broken.kind == Kind::Missing && broken.symbolicLink);
    EXPECT_EQ(stat(folder).kind, Kind::Directory);
    EXPECT_EQ(stat(fifo).kind, Kind::Other);
    EXPECT_EQ(stat(missing).kind, Kind::Missing);
    // A dangling link is there (it can be removed), nothing is not.
    EXPECT_TRUE(exists(dangling) && exists(file) && !exists(missing));

    // Only regular files are opened; a FIFO, a folder or nothing give -1.
    const int fd = openRegularForReading(link);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(fileSize(fd), 5);
    EXPECT_EQ(seek(fd, 2, SeekFrom::Start), 2);
    EXPECT_EQ(seek(fd, -1, SeekFrom::End), 4);
    char byte = 0;
    EXPECT_EQ(::read(fd, &byte, 1), 1);
    EXPECT_EQ(byte, '5');
    closeFile(fd);
    for (const QString& other : {fifo, folder, missing})
        EXPECT_EQ(openRegularForReading(other), -1) << other.toStdString();
    EXPECT_EQ(checkReadable(file), 0);
    EXPECT_EQ(checkReadable(folder), EISDIR);
    EXPECT_EQ(checkReadable(missing), ENOENT);
    EXPECT_EQ(syncPath(QFile::encodeName(file)), 0);
    EXPECT_EQ(syncPath(QFile::encodeName(missing)), ENOENT);
}

TEST(PlatformFile, LocksExchangeAndRemoval)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a"), b = dir.filePath("b"), folder = dir.filePath("f");
    ASSERT_TRUE(writeFile(a, "A") && writeFile(b, "B") && QDir().mkpath(folder + "/inner"));
    // Locked: no write bit for anyone; unlocked: the owner may write again.
    EXPECT_EQ(isLocked(a), std::optional(false));
    ASSERT_TRUE(setLocked(a, true));
    EXPECT_EQ(isLocked(a), std::optional(true));
    EXPECT_TRUE(stat(a).locked);
    ASSERT_TRUE(setLocked(a, false));
    EXPECT_EQ(isLocked(a), std::optional(false));
    EXPECT_FALSE(setLocked(dir.filePath("none"), true));
    EXPECT_FALSE(isLocked(dir.filePath("none")));

    ASSERT_EQ(exchange(QFile::encodeName(a), QFile::encodeName(b)), 0);
    EXPECT_EQ(readFile(a) + readFile(b), "BA");

    // Removal: a file, an empty folder and nothing are gone; a folder with something in it
    // stays, and says why.
    QString error;
    EXPECT_TRUE(remove(a, &error) && !QFile::exists(a));
    EXPECT_TRUE(remove(dir.filePath("none"), &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_FALSE(remove(folder, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(remove(folder + "/inner") && !QDir(folder + "/inner").exists());
}
