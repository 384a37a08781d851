#include "update/ZipArchive.h"
#include "update/RVUpdater.h"

#include "TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
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

} // namespace

TEST(ZipArchive, UnpacksFilesFoldersAndBackslashNamesReplacingExistingFiles)
{
    QTemporaryDir dir;
    const QString archive = dir.filePath("a.zip");
    const QString dest = dir.filePath("out");
    ASSERT_TRUE(writeZip(archive, {{"dir\\file.bin", "backslash"},
                                   {"empty/", ""},
                                   {"win\\folder\\", ""},
                                   {"top.txt", "new top"},
                                   {"deep/er/x.txt", QByteArray(10000, 'x')},
                                   {"run.sh", "#!/bin/sh\n", 0100755},
                                   {"setuid", "s", 0104777},
                                   {"./dot//slashes.txt", "clean"}}));
    ASSERT_TRUE(writeFile(dest + "/top.txt", "old top that is longer than the new"));

    ZipArchive zip;
    ASSERT_TRUE(zip.UnzipOpenFile(archive));
    EXPECT_TRUE(zip.UnzipFileTo(dest, true));
    EXPECT_TRUE(zip.UnzipCloseFile());
    EXPECT_TRUE(zip.UnzipCloseFile()); // nothing open: still true

    EXPECT_EQ(treeOf(dest), QStringList({"deep", "deep/er", "deep/er/x.txt", "dir", "dir/file.bin",
                                         "dot", "dot/slashes.txt", "empty", "run.sh", "setuid",
                                         "top.txt", "win", "win/folder"}));
    EXPECT_TRUE(QFileInfo(dest + "/empty").isDir());
    EXPECT_TRUE(QFileInfo(dest + "/win/folder").isDir());
    EXPECT_EQ(readFile(dest + "/dir/file.bin"), QByteArray("backslash"));
    EXPECT_EQ(readFile(dest + "/top.txt"), QByteArray("new top"));
    EXPECT_EQ(readFile(dest + "/deep/er/x.txt"), QByteArray(10000, 'x'));

    // The stored date (local time) becomes the modification time.
    EXPECT_EQ(QFileInfo(dest + "/top.txt").lastModified(),
              QDateTime(QDate(2021, 3, 4), QTime(5, 6, 8), Qt::LocalTime));
    // Programs stay runnable; nobody but the owner may write, and no set-user-id bit.
    EXPECT_TRUE(QFileInfo(dest + "/run.sh").isExecutable());
    EXPECT_FALSE(QFileInfo(dest + "/top.txt").permissions() & QFile::ExeOwner);
    const auto setuid = QFileInfo(dest + "/setuid").permissions();
    EXPECT_TRUE(setuid & QFile::ExeOther);
    EXPECT_FALSE(setuid & (QFile::WriteOther | QFile::WriteGroup));
    EXPECT_EQ(QFileInfo(dest + "/setuid").size(), 1);
}

TEST(ZipArchive, EmptyBrokenAndMissingArchives)
{
    QTemporaryDir dir;
    const QString dest = dir.filePath("out");
    QDir().mkpath(dest);
    ZipArchive zip;

    ASSERT_TRUE(writeZip(dir.filePath("empty.zip"), {}));
    // minizip 1.1 already refuses to open an archive without entries; either way the unpack
    // reports false and writes nothing.
    zip.UnzipOpenFile(dir.filePath("empty.zip"));
    EXPECT_FALSE(zip.UnzipFileTo(dest, true));
    EXPECT_TRUE(treeOf(dest).isEmpty());
    EXPECT_TRUE(zip.UnzipCloseFile());

    EXPECT_FALSE(zip.UnzipOpenFile(dir.filePath("missing.zip")));
    EXPECT_FALSE(zip.UnzipFileTo(dest, true)); // nothing open
    ASSERT_TRUE(writeFile(dir.filePath("html.zip"), "<html>Not Found</html>"));
    EXPECT_FALSE(zip.UnzipOpenFile(dir.filePath("html.zip")));

    // A truncated archive: the central directory is gone, so it does not open.
    const QByteArray whole = zipBytes({{"a.txt", QByteArray(5000, 'a')}});
    ASSERT_TRUE(writeFile(dir.filePath("cut.zip"), whole.left(whole.size() / 2)));
    EXPECT_FALSE(zip.UnzipOpenFile(dir.filePath("cut.zip")));
    EXPECT_TRUE(treeOf(dest).isEmpty());
}

TEST(ZipArchive, DamagedEntriesLeaveNoFileAndKeepTheOldOne)
{
    QTemporaryDir dir;
    const QString dest = dir.filePath("out");
    ASSERT_TRUE(writeFile(dest + "/sotava.bin", "good old image"));
    ASSERT_TRUE(writeZip(dir.filePath("bad.zip"), {{"sotava.bin", "corrupted image", 0, true},
                                                   {"fresh.bin", "corrupted too", 0, true},
                                                   {"ok.txt", "fine"}}));
    LogCapture log;
    RVUpdater::archiveAt(dir.filePath("bad.zip"), dest);
    EXPECT_EQ(readFile(dest + "/sotava.bin"), QByteArray("good old image"));
    EXPECT_FALSE(QFileInfo::exists(dest + "/fresh.bin"));
    EXPECT_EQ(readFile(dest + "/ok.txt"), QByteArray("fine"));
    EXPECT_EQ(treeOf(dest), QStringList({"ok.txt", "sotava.bin"})); // no side files left
    EXPECT_TRUE(log.contains("3 entries in the zip file"));
    EXPECT_TRUE(log.contains("Damaged zip entry not unpacked: fresh.bin"));
}

TEST(ZipArchive, RefusesHostileNamesAndSymbolicLinksButUnpacksTheRest)
{
    QTemporaryDir dir;
    const QString outside = dir.filePath("outside");
    const QString dest = dir.filePath("box/out");
    QDir().mkpath(outside);
    QDir().mkpath(dest);
    ASSERT_TRUE(writeFile(outside + "/victim.txt", "untouched"));
    ASSERT_TRUE(QFile::link(outside, dest + "/link"));
    ASSERT_TRUE(QFile::link(outside + "/victim.txt", dest + "/file-link"));
    ASSERT_TRUE(QFile::link(outside + "/dangling", dest + "/dangling-link"));

    QByteArray evil = zipBytes({{"../x", "up"},
                                {"/abs", "absolute"},
                                {"a\\..\\..\\b", "backslash climb"},
                                {"ok/../../y", "inner climb"},
                                {"..\\", ""},
                                {"link/victim.txt", "through a linked folder"},
                                {"file-link", "through a linked file"},
                                {"dangling-link", "through a dangling link"},
                                {"nulXname", "nul"},
                                {"good/file.txt", "kept"},
                                {"also..fine", "dots inside a name are harmless"}});
    // A NUL inside a stored name (zip.h takes C strings, so it is patched in afterwards).
    ASSERT_EQ(evil.count("nulXname"), 2);
    evil.replace("nulXname", QByteArray("nul\0name", 8));
    ASSERT_TRUE(writeFile(dir.filePath("evil.zip"), evil));
    LogCapture log;
    ZipArchive zip;
    ASSERT_TRUE(zip.UnzipOpenFile(dir.filePath("evil.zip")));
    EXPECT_TRUE(zip.UnzipFileTo(dest, true));
    zip.UnzipCloseFile();

    EXPECT_EQ(readFile(outside + "/victim.txt"), QByteArray("untouched"));
    EXPECT_EQ(treeOf(outside), QStringList({"victim.txt"}));
    EXPECT_EQ(treeOf(dir.path()),
              QStringList({"box", "box/out", "box/out/also..fine", "box/out/dangling-link",
                           "box/out/file-link", "box/out/good", "box/out/good/file.txt",
                           "box/out/link", "evil.zip", "outside", "outside/victim.txt"}));
    EXPECT_EQ(readFile(dest + "/good/file.txt"), QByteArray("kept"));
    EXPECT_TRUE(QFileInfo(dest + "/file-link").isSymLink());
    EXPECT_FALSE(QFileInfo::exists("/abs"));
    EXPECT_TRUE(log.contains("Refusing unsafe zip entry: ../x"));
    EXPECT_TRUE(log.contains("Refusing unsafe zip entry: link/victim.txt"));
}

TEST(ZipArchive, RestoresLinksThatStayInsideAndBoundsWhatIsUnpacked)
{
    QTemporaryDir dir;
    const QString dest = dir.filePath("out");
    QDir().mkpath(dest);
    constexpr unsigned kLink = 0120777;
    ASSERT_TRUE(writeZip(dir.filePath("bundle.zip"),
                         {{"K/lib/libfoo.so.1.2", "ELF"},
                          {"K/lib/libfoo.so.1", "libfoo.so.1.2", kLink},
                          {"K/bin/lib", "../lib", kLink},
                          {"K/bin/self", ".", kLink}, // names nothing
                          {"K/abs", "/etc/passwd", kLink},
                          {"K/up", "../../x", kLink},
                          {"K/bin/back", "self/../..", kLink}, // ".." after a name
                          {"K/empty", "", kLink}}));
    LogCapture log;
    ZipArchive zip;
    ASSERT_TRUE(zip.UnzipOpenFile(dir.filePath("bundle.zip")));
    EXPECT_TRUE(zip.UnzipFileTo(dest, true));
    zip.UnzipCloseFile();
    EXPECT_EQ(treeOf(dest), QStringList({"K", "K/bin", "K/bin/lib", "K/lib", "K/lib/libfoo.so.1",
                                         "K/lib/libfoo.so.1.2"}));
    EXPECT_EQ(QFileInfo(dest + "/K/lib/libfoo.so.1").symLinkTarget(),
              dest + "/K/lib/libfoo.so.1.2");
    EXPECT_EQ(readFile(dest + "/K/bin/lib/libfoo.so.1"), QByteArray("ELF"));
    EXPECT_TRUE(log.contains("Refusing zip link entry: K/abs -> /etc/passwd"));

    // Bounds: entries counted, and bytes counted as they are decompressed.
    ASSERT_TRUE(writeZip(dir.filePath("many.zip"), {{"a", "1"}, {"b", "2"}, {"c", "3"}}));
    ASSERT_TRUE(
        writeZip(dir.filePath("big.zip"), {{"small", "x"}, {"zeros", QByteArray(5000, 0)}}));
    const struct
    {
        const char* archive;
        ZipArchive::Limits limits;
        bool ok;
        QStringList tree;
    } cases[] = {{"many.zip", {100, 3}, true, {"a", "b", "c"}},
                 {"many.zip", {100, 2}, false, {}},
                 {"big.zip", {5001, 10}, true, {"small", "zeros"}},
                 {"big.zip", {5000, 10}, false, {"small"}}};
    for (const auto& c : cases) {
        QTemporaryDir out;
        ZipArchive bounded;
        bounded.setLimits(c.limits);
        ASSERT_TRUE(bounded.UnzipOpenFile(dir.filePath(c.archive)));
        EXPECT_EQ(bounded.UnzipFileTo(out.path(), true), c.ok) << c.archive;
        EXPECT_EQ(treeOf(out.path()), c.tree) << c.archive << " " << c.limits.maxEntries;
    }

    // One entry alone: the firmware image, and nothing else of the archive.
    ASSERT_TRUE(writeZip(dir.filePath("fw.zip"), {{"readme.txt", "r"}, {"sotava.bin", "IMG"}}));
    QTemporaryDir single;
    ZipArchive firmware;
    ASSERT_TRUE(firmware.UnzipOpenFile(dir.filePath("fw.zip")));
    EXPECT_FALSE(firmware.UnzipEntryTo("missing.bin", single.path()));
    EXPECT_TRUE(firmware.UnzipEntryTo("sotava.bin", single.path()));
    EXPECT_EQ(treeOf(single.path()), QStringList({"sotava.bin"}));
}
