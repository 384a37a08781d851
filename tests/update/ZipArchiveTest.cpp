#include "update/ZipArchive.h"
#include "update/RVUpdater.h"

#include "TestSupport.h"

#include <QDateTime>
#include <QDirIterator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QStringList treeOf(const QString& root)
{
    QStringList found;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(QDir(root).relativeFilePath(it.next()));
    found.sort();
    return found;
}

// Opens the archive and unpacks all of it; false when either fails.
bool unpack(const QString& archive, const QString& destination,
            ZipArchive::Limits limits = ZipArchive::kUpdateLimits)
{
    ZipArchive zip;
    zip.setLimits(limits);
    return zip.UnzipOpenFile(archive) && zip.UnzipFileTo(destination) && zip.UnzipCloseFile();
}

} // namespace

TEST(ZipArchive, UnpacksFilesFoldersAndBackslashNamesReplacingExistingFilesButNotDamagedOnes)
{
    QTemporaryDir dir;
    const QString archive = dir.filePath("a.zip"), dest = dir.filePath("out");
    ASSERT_TRUE(writeFile(archive, zipBytes({{"dir\\file.bin", "backslash"},
                                             {"empty/", ""},
                                             {"win\\folder\\", ""},
                                             {"top.txt", "new top"},
                                             {"kept.txt", "corrupted", 0, true},
                                             {"fresh.bin", "corrupted too", 0, true},
                                             {"deep/er/x.txt", QByteArray(10000, 'x')},
                                             {"run.sh", "#!/bin/sh\n", 0100755},
                                             {"rw.txt", "others may write", 0100646},
                                             {"setuid", "s", 0104777},
                                             {"./dot//slashes.txt", "clean"}})));
    ASSERT_TRUE(writeFile(dest + "/top.txt", "old top that is longer than the new"));
    ASSERT_TRUE(writeFile(dest + "/kept.txt", "old"));
    LogCapture log;
    RVUpdater::archiveAt(archive, dest);
    // A damaged entry leaves no file, keeps the old one and no side files.
    EXPECT_TRUE(log.contains("11 entries in the zip file"));
    EXPECT_TRUE(log.contains("Damaged zip entry not unpacked: fresh.bin"));
    EXPECT_EQ(treeOf(dest), QStringList({"deep", "deep/er", "deep/er/x.txt", "dir", "dir/file.bin",
                                         "dot", "dot/slashes.txt", "empty", "kept.txt", "run.sh",
                                         "rw.txt", "setuid", "top.txt", "win", "win/folder"}));
    EXPECT_TRUE(QFileInfo(dest + "/win/folder").isDir());
    EXPECT_EQ(readFile(dest + "/dir/file.bin") + readFile(dest + "/top.txt") +
                  readFile(dest + "/kept.txt") + readFile(dest + "/deep/er/x.txt"),
              "backslashnew topold" + QByteArray(10000, 'x'));
    // The stored date (local time) becomes the modification time.
    EXPECT_EQ(QFileInfo(dest + "/top.txt").lastModified(),
              QDateTime(QDate(2021, 3, 4), QTime(5, 6, 8), Qt::LocalTime));
    // Programs stay runnable; nobody but the owner may write, and no set-user-id bit.
    EXPECT_TRUE(QFileInfo(dest + "/run.sh").isExecutable());
    EXPECT_FALSE(QFileInfo(dest + "/rw.txt").permissions() & QFile::ExeOwner);
    EXPECT_EQ(QFileInfo(dest + "/setuid").permissions() &
                  (QFile::ExeOther | QFile::WriteOther | QFile::WriteGroup),
              QFile::ExeOther);

    // Nothing to unpack: empty, missing, not an archive, cut short (no central directory).
    const QByteArray whole = zipBytes({{"a.txt", QByteArray(5000, 'a')}});
    ASSERT_TRUE(writeFile(dir.filePath("empty.zip"), zipBytes({})));
    ASSERT_TRUE(writeFile(dir.filePath("html.zip"), "<html>Not Found</html>"));
    ASSERT_TRUE(writeFile(dir.filePath("cut.zip"), whole.left(whole.size() / 2)));
    for (const char* name : {"empty.zip", "missing.zip", "html.zip", "cut.zip"})
        EXPECT_FALSE(unpack(dir.filePath(name), dir.filePath("none"))) << name;
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("none")));
    EXPECT_FALSE(ZipArchive().UnzipEntryTo("a.txt", dest)); // never opened
    EXPECT_TRUE(ZipArchive().UnzipCloseFile());
}

TEST(ZipArchive, RefusesHostileNamesAndLinksButUnpacksTheRestWithinBounds)
{
    QTemporaryDir dir;
    const QString outside = dir.filePath("outside"), dest = dir.filePath("box/out");
    ASSERT_TRUE(writeFile(outside + "/victim.txt", "untouched"));
    QDir().mkpath(dest);
    ASSERT_TRUE(QFile::link(outside, dest + "/link"));
    // Names that climb out or pass through a link are refused; links stay only when they point
    // inside: ".", an empty target, ".." after a name, an absolute path or a climb are refused.
    QList<ZipEntry> entries;
    for (const char* name :
         {"../x", "/abs", "a\\..\\..\\b", "ok/../../y", "..\\", "link/victim.txt", "nulXname"})
        entries.append(ZipEntry{name, "refused"});
    entries += {{"good/file.txt", "kept"}, {"also..fine", "x"}, {"K/lib/libfoo.so.1.2", "ELF"}};
    for (const char* link :
         {"K/lib/libfoo.so.1>libfoo.so.1.2", "K/bin/lib>../lib", "K/bin/self>.",
          "K/abs>/etc/passwd", "K/up>../../x", "K/bin/back>self/../..", "K/empty>"})
        entries.append(
            ZipEntry{QByteArray(link).split('>')[0], QByteArray(link).split('>')[1], 0120777});
    QByteArray evil = zipBytes(entries);
    // A NUL inside a stored name (zip.h takes C strings, so it is patched in afterwards).
    ASSERT_EQ(evil.count("nulXname"), 2);
    evil.replace("nulXname", QByteArray("nul\0name", 8));
    ASSERT_TRUE(writeFile(dir.filePath("evil.zip"), evil));
    LogCapture log;
    EXPECT_TRUE(unpack(dir.filePath("evil.zip"), dest));
    EXPECT_EQ(readFile(outside + "/victim.txt"), QByteArray("untouched"));
    EXPECT_EQ(
        treeOf(dir.path()),
        QStringList({"box", "box/out", "box/out/K", "box/out/K/bin", "box/out/K/bin/lib",
                     "box/out/K/lib", "box/out/K/lib/libfoo.so.1", "box/out/K/lib/libfoo.so.1.2",
                     "box/out/also..fine", "box/out/good", "box/out/good/file.txt", "box/out/link",
                     "evil.zip", "outside", "outside/victim.txt"}));
    EXPECT_EQ(QFileInfo(dest + "/K/lib/libfoo.so.1").symLinkTarget(),
              dest + "/K/lib/libfoo.so.1.2");
    EXPECT_EQ(readFile(dest + "/K/bin/lib/libfoo.so.1"), QByteArray("ELF"));
    EXPECT_TRUE(log.contains("Refusing zip link entry: K/abs -> /etc/passwd"));

    // Bounds: entries counted, and bytes counted as they are decompressed.
    ASSERT_TRUE(
        writeFile(dir.filePath("many.zip"), zipBytes({{"a", "1"}, {"b", "2"}, {"c", "3"}})));
    ASSERT_TRUE(writeFile(dir.filePath("big.zip"),
                          zipBytes({{"small", "x"}, {"zeros", QByteArray(5000, 0)}})));
    const std::tuple<const char*, ZipArchive::Limits, bool, QStringList> cases[] = {
        {"many.zip", {100, 3}, true, {"a", "b", "c"}},
        {"many.zip", {100, 2}, false, {}},
        {"big.zip", {5001, 10}, true, {"small", "zeros"}},
        {"big.zip", {5000, 10}, false, {"small"}}};
    for (const auto& [archive, limits, ok, tree] : cases) {
        QTemporaryDir out;
        EXPECT_EQ(unpack(dir.filePath(archive), out.path(), limits), ok) << archive;
        EXPECT_EQ(treeOf(out.path()), tree) << archive << " " << limits.maxEntries;
    }
}
