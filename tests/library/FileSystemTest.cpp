// Collecting recordings, media durations, card names, the lock flag and file operations on
// real files.
#include "TestSupport.h"

#include "library/RVAVUtil.h"
#include "library/RVFileSystemUtil.h"
#include "library/RVMp4Header.h"

#include <QBuffer>
#include <QtEndian>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include "metadata/RVNativePath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include <cmath>

using namespace testsupport;

namespace {

QStringList collectedNames(const RVVideoFileList& files)
{
    QStringList result;
    for (const RVVideoFilePtr& file : files)
        result.append(file->fileName());
    result.sort();
    return result;
}

mode_t modeOf(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 0777 : 0;
}

} // namespace

TEST(FolderWalk, CollectsMovAndMp4AtAnyDepthAndEndsOnLinkCycles)
{
    QTemporaryDir dir;
    const QString root = dir.path() + "/DCIM";
    makeClip(root + "/CLIP.MOV", 2);
    makeClip(root + "/deep/er/still/clip.Mp4", 3);
    makeClip(root + "/._CLIP.MOV", 2);
    makeClip(root + "/.hidden/X.mp4", 2);
    writeFile(root + "/clip.avi");
    writeFile(root + "/clip");
    writeFile(root + "/mov");
    writeFile(root + "/BROKEN.MOV", "not a video at all");
    // A link back up the tree and a second link to the same folder: neither is walked twice.
    ASSERT_TRUE(QFile::link(root, root + "/deep/loop"));
    ASSERT_TRUE(QFile::link(root + "/deep", root + "/deep/er/up"));
    // A pipe named like a video must not be opened (it would block the walk).
    ASSERT_EQ(::mkfifo(QFile::encodeName(root + "/PIPE.MOV").constData(), 0644), 0);

    RVVideoFileList files;
    RVFileSystemUtil::scanVideoFilesFrom(root + "/", files);
    EXPECT_EQ(collectedNames(files),
              QStringList({"._CLIP.MOV", "BROKEN.MOV", "CLIP.MOV", "X.mp4", "clip.Mp4"}));

    for (const RVVideoFilePtr& file : files) {
        EXPECT_FALSE(file->filePath().contains("//")) << file->filePath().toStdString();
        EXPECT_TRUE(file->created().isValid());
        EXPECT_FALSE(file->locked());
        if (file->fileName() == "clip.Mp4")
            EXPECT_NEAR(file->duration(), 3.0, 0.05);
        else if (file->fileName() == "BROKEN.MOV")
            EXPECT_TRUE(std::isnan(file->duration()));
        else
            EXPECT_NEAR(file->duration(), 2.0, 0.05);
    }

    // Scanning again appends again; a file can be given directly; other URLs add nothing.
    RVFileSystemUtil::scanVideoFilesFrom(QUrl::fromLocalFile(root + "/CLIP.MOV"), files);
    EXPECT_EQ(files.size(), 6u);
    RVFileSystemUtil::scanVideoFilesFrom(QUrl("http://127.0.0.1/CLIP.MOV"), files);
    RVFileSystemUtil::scanVideoFilesFrom(dir.path() + "/missing", files);
    RVFileSystemUtil::scanVideoFilesFrom(root + "/clip.avi", files);
    EXPECT_EQ(files.size(), 6u);

    // A card without a DCIM folder has no recordings.
    QTemporaryDir card;
    makeClip(card.path() + "/ROOT.MOV", 2);
    RVVideoFileList cardFiles;
    RVFileSystemUtil::scanVideoFilesFrom(card.path() + "/DCIM", cardFiles);
    EXPECT_TRUE(cardFiles.empty());
}

QStringList g_warnings;

void keepWarning(QtMsgType, const QMessageLogContext&, const QString& message)
{
    g_warnings.append(message);
}

TEST(FolderWalk, LinksStayInsideTheFolderAndNamesKeepTheirBytes)
{
    QTemporaryDir dir;
    const QString root = dir.path() + "/card";
    makeClip(root + "/sub/IN.MP4", 2);
    makeClip(dir.path() + "/outside/OUT.MP4", 2);
    ASSERT_TRUE(QFile::link(dir.path() + "/outside", root + "/out"));
    ASSERT_TRUE(QFile::link("/", root + "/slash"));
    ASSERT_TRUE(QFile::link(root + "/sub", root + "/inside"));
    ASSERT_TRUE(QFile::link(root + "/sub/IN.MP4", root + "/alias.MP4"));
    // A name that is not UTF-8 (Latin-1 "café"), as a camera with another code page writes.
    const QByteArray latin1 = QFile::encodeName(root) + "/caf\xe9.MP4";
    makeClip(root + "/plain.MP4", 3);
    ASSERT_EQ(::rename(QFile::encodeName(root + "/plain.MP4").constData(), latin1.constData()), 0);
    // A recording deeper than the system lets a path be named.
    const QByteArray component(250, 'd');
    std::vector<int> chain{::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY)};
    for (int depth = 0; depth < 17; ++depth) {
        ::mkdirat(chain.back(), component.constData(), 0755);
        chain.push_back(::openat(chain.back(), component.constData(), O_RDONLY | O_DIRECTORY));
    }
    ASSERT_GE(chain.back(), 0);
    ::close(::openat(chain.back(), "DEEP.MP4", O_CREAT | O_WRONLY, 0644));

    g_warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepWarning);
    RVVideoFileList files;
    RVFileSystemUtil::scanVideoFilesFrom(root, files);
    std::atomic<bool> cancel{true};
    RVVideoFileList cancelled;
    RVFileSystemUtil::scanVideoFilesFrom(root, cancelled, &cancel);
    qInstallMessageHandler(previous);

    EXPECT_TRUE(cancelled.empty());
    QStringList paths;
    for (const RVVideoFilePtr& file : files)
        paths.append(file->filePath().mid(root.size() + 1));
    paths.sort();
    ASSERT_EQ(paths.size(), 2) << paths.join(", ").toStdString();
    EXPECT_TRUE(paths.contains("sub/IN.MP4") || paths.contains("inside/IN.MP4") ||
                paths.contains("alias.MP4"));
    const auto latin = std::find_if(files.begin(), files.end(), [](const RVVideoFilePtr& f) {
        return f->fileName().startsWith("caf");
    });
    ASSERT_NE(latin, files.end());
    EXPECT_EQ(RVNativePath::encode((*latin)->filePath()), latin1);
    EXPECT_NEAR((*latin)->duration(), 3.0, 0.05); // the file was opened by its bytes
    EXPECT_TRUE(g_warnings.filter("too long").size() >= 1) << g_warnings.join("\n").toStdString();
    EXPECT_EQ(g_warnings.filter("leads out").size(), 2) << g_warnings.join("\n").toStdString();
    EXPECT_TRUE(RVFileSystemUtil::removeFileAtPath((*latin)->filePath()));
    EXPECT_FALSE(RVFileSystemUtil::fileExists((*latin)->filePath()));

    // The temporary folder cannot remove what lies past PATH_MAX; undo it step by step.
    ::unlinkat(chain.back(), "DEEP.MP4", 0);
    for (std::size_t i = chain.size() - 1; i > 0; --i) {
        ::close(chain[i]);
        ::unlinkat(chain[i - 1], component.constData(), AT_REMOVEDIR);
    }
    ::close(chain.front());
}

TEST(CameraCards, RecognisedByTheFoldersCamerasWrite)
{
    QTemporaryDir dir;
    const QString base = dir.path();
    for (const char* folder : {"BV/BlackVue/Record", "NT/DCIM/Movie/RO", "SM/70mai/Normal",
                               "BOTH/BlackVue/Record", "BOTH/DCIM", "USB/Music"})
        ASSERT_TRUE(QDir().mkpath(base + "/" + folder));
    EXPECT_EQ(RVFileSystemUtil::getDashcamFlashDrives(
                  QStringList{base + "/BV", base + "/NT", base + "/SM", base + "/USB"}),
              QStringList({base + "/BV", base + "/NT", base + "/SM"}));
    EXPECT_EQ(RVFileSystemUtil::cardRecordingFolders(base + "/NT"), QStringList{base + "/NT/DCIM"});
    EXPECT_EQ(RVFileSystemUtil::cardRecordingFolders(base + "/BOTH/"),
              QStringList({base + "/BOTH/BlackVue/Record", base + "/BOTH/DCIM"}));
    EXPECT_TRUE(RVFileSystemUtil::cardRecordingFolders(base + "/USB").isEmpty());
}

TEST(MediaDuration, ReadsTheHeaderAndGivesNaNForAnythingElse)
{
    QTemporaryDir dir;
    makeClip(dir.path() + "/a.mp4", 3);
    EXPECT_NEAR(RVAVUtil::getDurationOfFile(dir.path() + "/a.mp4"), 3.0f, 0.05f);
    writeFile(dir.path() + "/empty.mov", "");
    EXPECT_TRUE(std::isnan(RVAVUtil::getDurationOfFile(dir.path() + "/empty.mov")));
    EXPECT_TRUE(std::isnan(RVAVUtil::getDurationOfFile(dir.path() + "/missing.mov")));
    // A clip cut short keeps its header's claim or is unreadable; it never hangs or crashes.
    QFile clip(dir.path() + "/a.mp4");
    ASSERT_TRUE(clip.open(QIODevice::ReadOnly));
    writeFile(dir.path() + "/cut.mp4", clip.read(clip.size() / 2));
    RVAVUtil::getDurationOfFile(dir.path() + "/cut.mp4");

    // A fragmented recording has no length in its movie header; FFmpeg measures it.
    ASSERT_TRUE(
        runFfmpeg({"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=64x36:rate=10", "-t",
                   "4", "-c:v", "mpeg4", "-movflags", "frag_keyframe", dir.path() + "/frag.mp4"}));
    QFile fragmented(dir.path() + "/frag.mp4");
    ASSERT_TRUE(fragmented.open(QIODevice::ReadOnly));
    EXPECT_FALSE(RVMp4Header::movieDurationSeconds(fragmented));
    EXPECT_NEAR(RVAVUtil::getDurationOfFile(dir.path() + "/frag.mp4"), 4.0f, 0.05f);
}

namespace {

// Box = u32 size, 4-byte type, payload; size 1 moves the size into a u64 after the type, 0
// means "to the end of the file".
QByteArray box(const char* type, const QByteArray& payload, int sizeForm = 32)
{
    char size[8];
    if (sizeForm == 64) {
        qToBigEndian<quint64>(quint64(16 + payload.size()), size);
        return QByteArray::fromHex("00000001") + type + QByteArray(size, 8) + payload;
    }
    qToBigEndian<quint32>(sizeForm == 0 ? 0 : quint32(8 + payload.size()), size);
    return QByteArray(size, 4) + type + payload;
}

std::optional<double> durationOf(const QByteArray& file)
{
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    return RVMp4Header::movieDurationSeconds(buffer);
}

} // namespace

TEST(MediaDuration, MovieHeaderVersionsAndBoxSizeForms)
{
    const QByteArray ftyp = box("ftyp", "isomisom");
    const QByteArray mdat = box("mdat", QByteArray(1000, 'x'), 64);
    // Version and flags, creation and modification times, time scale, duration (times and
    // duration 32 bits in version 0, 64 in version 1).
    const auto mvhd = [](const char* hex) {
        return box("mvhd", QByteArray::fromHex(hex) + QByteArray(80, 0));
    };
    // Time scale 600, duration 5400: 9 s.
    const QByteArray mvhd0 = mvhd("00000000"
                                  "0000000000000000"
                                  "0000025800001518");
    EXPECT_EQ(durationOf(ftyp + mdat + box("moov", box("trak", "t") + mvhd0)), 9.0);
    // Time scale 1000, duration 5,000,000,000 ms; moov running to the end of the file.
    const QByteArray mvhd1 = mvhd("01000000"
                                  "00000000000000000000000000000000"
                                  "000003e8000000012a05f200");
    EXPECT_EQ(durationOf(ftyp + box("moov", mvhd1, 0)), 5000000.0);

    // Unknown or zero lengths, a zero time scale, fragments, and broken box sizes give nothing.
    EXPECT_FALSE(durationOf(ftyp + box("moov", mvhd("000000000000000000000000"
                                                    "00000258ffffffff"))));
    EXPECT_FALSE(durationOf(ftyp + box("moov", mvhd("000000000000000000000000"
                                                    "0000000000001518"))));
    EXPECT_FALSE(durationOf(ftyp + box("moov", mvhd0 + box("mvex", box("trex", "")))));
    QByteArray tooLong = ftyp + box("moov", mvhd0);
    tooLong[ftyp.size() + 3] = char(0x7f); // moov claims more than the file holds
    EXPECT_FALSE(durationOf(tooLong));
    EXPECT_FALSE(durationOf(ftyp + box("moov", box("mvhd", QByteArray::fromHex("0000")))));
    EXPECT_FALSE(durationOf(QByteArray::fromHex("00000004") + "ftyp"));
    EXPECT_FALSE(durationOf(QByteArray()));
}

TEST(CameraCards, RecognisedByVolumeName)
{
    for (const char* card : {"G1", "CARDG2", "XG0Y", "G12"})
        EXPECT_TRUE(RVFileSystemUtil::isDashcamVolumeName(card)) << card;
    for (const char* other : {"g1", "G", "GX1", "", "DATA", "1G"})
        EXPECT_FALSE(RVFileSystemUtil::isDashcamVolumeName(other)) << other;

    // Only the last path component counts, and the given order is kept.
    EXPECT_EQ(RVFileSystemUtil::getDashcamFlashDrives(QStringList{
                  "/media/u/G12", "/media/G1/DATA", "/media/u/CARDG2/", "/run/media/u/G1"}),
              QStringList({"/media/u/G12", "/media/u/CARDG2/", "/run/media/u/G1"}));
}

TEST(LockFlag, LocksUnlocksAndRecordsWhatTheFileSays)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/LOCK.MOV";
    makeClip(path, 2);
    ::chmod(QFile::encodeName(path).constData(), 0664);

    EXPECT_TRUE(RVFileSystemUtil::changeMutabilityOfFile(path, true));
    EXPECT_EQ(modeOf(path), 0444u);
    EXPECT_TRUE(RVFileSystemUtil::isFileLocked(path));
    // The scan reads the flag back.
    RVVideoFileList files;
    RVFileSystemUtil::scanVideoFilesFrom(path, files);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(files[0]->locked());

    EXPECT_TRUE(RVFileSystemUtil::changeMutabilityOfFile(path, false));
    EXPECT_EQ(modeOf(path), 0644u); // the owner's write bit only
    EXPECT_FALSE(RVFileSystemUtil::isFileLocked(path));

    // Through the records: a flag change that fails is not recorded as done.
    const RVVideoFilePtr real = fileRecord(path, 2, "2015-01-01T10:00:00");
    const RVVideoFilePtr missing = fileRecord(dir.path() + "/GONE.MOV", 2, "2015-01-01T10:00:00");
    EXPECT_FALSE(RVFileSystemUtil::changeMutabilityOfVideoFiles({real, missing}, true));
    EXPECT_TRUE(real->locked());
    EXPECT_FALSE(missing->locked());
    // The kernel refuses to change a /proc file's mode even for root: it stays read-only.
    const RVVideoFilePtr stubborn = fileRecord("/proc/self/status", 0, "2015-01-01T10:00:00");
    EXPECT_FALSE(RVFileSystemUtil::changeMutabilityOfVideoFiles({stubborn}, false));
    EXPECT_TRUE(stubborn->locked());
    EXPECT_TRUE(RVFileSystemUtil::changeMutabilityOfVideoFiles({real}, false));
    EXPECT_FALSE(real->locked());
}

TEST(FileOperations, CopyRefusesToOverwriteAndRemoveTakesDanglingLinks)
{
    QTemporaryDir dir;
    const QString a = dir.path() + "/a.bin";
    const QString b = dir.path() + "/b.bin";
    writeFile(a, "payload");
    EXPECT_TRUE(RVFileSystemUtil::copyFileAtPath(a, b));
    EXPECT_FALSE(RVFileSystemUtil::copyFileAtPath(a, b)); // the destination exists
    EXPECT_FALSE(RVFileSystemUtil::copyFileAtPath(dir.path() + "/none", dir.path() + "/c"));
    QFile copy(b);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), "payload");
    EXPECT_TRUE(RVFileSystemUtil::removeFileAtPath(b));
    EXPECT_TRUE(RVFileSystemUtil::removeFileAtPath(b)); // nothing left is success

    ASSERT_TRUE(QFile::link(dir.path() + "/nowhere", dir.path() + "/dangling"));
    EXPECT_TRUE(RVFileSystemUtil::fileExists(dir.path() + "/dangling"));
    EXPECT_TRUE(RVFileSystemUtil::removeFileAtPath(dir.path() + "/dangling"));
    EXPECT_FALSE(RVFileSystemUtil::fileExists(dir.path() + "/dangling"));
}
