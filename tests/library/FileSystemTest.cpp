// Collecting recordings, media durations, card names, the lock flag and file operations on
// real files.
#include "TestSupport.h"

#include "library/RVAVUtil.h"
#include "library/RVFileSystemUtil.h"
#include "library/RVMp4Header.h"
#include "metadata/RVNativePath.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QtEndian>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>

using namespace testsupport;

TEST(FolderWalk, CollectsRecordingsOnceInsideTheFolderAndKeepsNameBytes)
{
    QTemporaryDir dir;
    const QString root = dir.path() + "/card";
    makeClip(root + "/CLIP.MOV", 2);
    makeClip(root + "/deep/er/still/clip.Mp4", 3);
    makeClip(root + "/._CLIP.MOV", 2);
    makeClip(root + "/.hidden/X.mp4", 2);
    makeClip(dir.path() + "/outside/OUT.MP4", 2);
    for (const char* name : {"clip.avi", "clip", "mov"})
        writeFile(root + "/" + name);
    writeFile(root + "/BROKEN.MOV", "not a video at all");
    // Links up the tree, to a file under its own name, out of the card and to "/": each
    // recording is reported once and nothing outside the card is.
    ASSERT_TRUE(QFile::link(root, root + "/deep/loop"));
    ASSERT_TRUE(QFile::link(root + "/deep", root + "/deep/er/up"));
    ASSERT_TRUE(QFile::link(root + "/CLIP.MOV", root + "/.hidden/CLIP.MOV"));
    ASSERT_TRUE(QFile::link(dir.path() + "/outside", root + "/out"));
    ASSERT_TRUE(QFile::link("/", root + "/slash"));
    // A pipe named like a video must not be opened (it would block the walk).
    ASSERT_EQ(::mkfifo(QFile::encodeName(root + "/PIPE.MOV").constData(), 0644), 0);
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

    RVVideoFileList files;
    support::LogCapture log;
    RVFileSystemUtil::scanVideoFilesFrom(root + "/", files);
    EXPECT_TRUE(log.contains("too long"));
    EXPECT_EQ(log.lines().filter("leads out").size(), 2) << log.lines().join("\n").toStdString();
    std::atomic<bool> cancel{true};
    RVVideoFileList cancelled;
    RVFileSystemUtil::scanVideoFilesFrom(root, cancelled, &cancel);
    EXPECT_TRUE(cancelled.empty());

    QStringList names;
    for (const RVVideoFilePtr& file : files) {
        const QString name = file->fileName();
        names.append(name);
        EXPECT_FALSE(file->filePath().contains("//")) << name.toStdString();
        EXPECT_TRUE(file->created().isValid());
        EXPECT_FALSE(file->locked());
        if (name == "BROKEN.MOV")
            EXPECT_TRUE(std::isnan(file->duration()));
        else // the Latin-1 name was opened by its bytes
            EXPECT_NEAR(file->duration(), name.startsWith("c") ? 3.0 : 2.0, 0.05)
                << name.toStdString();
    }
    names.sort();
    EXPECT_EQ(names, QStringList({"._CLIP.MOV", "BROKEN.MOV", "CLIP.MOV", "X.mp4",
                                  RVNativePath::decode("caf\xe9.MP4"), "clip.Mp4"}));
    const QString latin = root + "/" + RVNativePath::decode("caf\xe9.MP4");
    EXPECT_EQ(RVNativePath::encode(latin), latin1);
    EXPECT_TRUE(RVFileSystemUtil::removeFileAtPath(latin));
    EXPECT_FALSE(RVFileSystemUtil::fileExists(latin));

    // Scanning again appends again; a file can be given directly; other URLs add nothing.
    RVFileSystemUtil::scanVideoFilesFrom(QUrl::fromLocalFile(root + "/CLIP.MOV"), files);
    EXPECT_EQ(files.size(), 7u);
    RVFileSystemUtil::scanVideoFilesFrom(QUrl("http://127.0.0.1/CLIP.MOV"), files);
    RVFileSystemUtil::scanVideoFilesFrom(dir.path() + "/missing", files);
    RVFileSystemUtil::scanVideoFilesFrom(root + "/clip.avi", files);
    EXPECT_EQ(files.size(), 7u);

    // The temporary folder cannot remove what lies past PATH_MAX; undo it step by step.
    ::unlinkat(chain.back(), "DEEP.MP4", 0);
    for (std::size_t i = chain.size() - 1; i > 0; --i) {
        ::close(chain[i]);
        ::unlinkat(chain[i - 1], component.constData(), AT_REMOVEDIR);
    }
    ::close(chain.front());
}

TEST(CameraCards, RecognisedByVolumeNameOrTheFoldersCamerasWrite)
{
    for (const char* card : {"G1", "CARDG2", "XG0Y", "G12"})
        EXPECT_TRUE(RVFileSystemUtil::isDashcamVolumeName(card)) << card;
    for (const char* other : {"g1", "G", "GX1", "", "DATA", "1G"})
        EXPECT_FALSE(RVFileSystemUtil::isDashcamVolumeName(other)) << other;

    // By the last path component or by the folders, in the given order.
    QTemporaryDir dir;
    const QString base = dir.path();
    for (const char* folder : {"BV/BlackVue/Record", "NT/DCIM/Movie/RO", "SM/70mai/Normal",
                               "BOTH/BlackVue/Record", "BOTH/DCIM", "USB/Music"})
        ASSERT_TRUE(QDir().mkpath(base + "/" + folder));
    EXPECT_EQ(RVFileSystemUtil::getDashcamFlashDrives(
                  {base + "/BV", "/media/u/G12", "/media/G1/DATA", base + "/NT", "/media/u/CARDG2/",
                   base + "/SM", base + "/USB"}),
              QStringList(
                  {base + "/BV", "/media/u/G12", base + "/NT", "/media/u/CARDG2/", base + "/SM"}));
    EXPECT_EQ(RVFileSystemUtil::cardRecordingFolders(base + "/NT"), QStringList{base + "/NT/DCIM"});
    EXPECT_EQ(RVFileSystemUtil::cardRecordingFolders(base + "/BOTH/"),
              QStringList({base + "/BOTH/BlackVue/Record", base + "/BOTH/DCIM"}));
    EXPECT_TRUE(RVFileSystemUtil::cardRecordingFolders(base + "/USB").isEmpty());
}

TEST(MediaDuration, ReadsTheHeaderOrMeasuresAndGivesNaNForAnythingElse)
{
    QTemporaryDir dir;
    writeFile(dir.path() + "/empty.mov", "");
    EXPECT_TRUE(std::isnan(RVAVUtil::getDurationOfFile(dir.path() + "/empty.mov")));
    EXPECT_TRUE(std::isnan(RVAVUtil::getDurationOfFile(dir.path() + "/missing.mov")));
    // A fragmented recording has no length in its movie header; FFmpeg measures it.
    const QString fragmented = dir.path() + "/frag.mp4";
    ASSERT_TRUE(runFfmpeg({"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=64x36:rate=10",
                           "-t", "4", "-c:v", "mpeg4", "-movflags", "frag_keyframe", fragmented}));
    QFile file(fragmented);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(RVMp4Header::movieDurationSeconds(file));
    EXPECT_NEAR(RVAVUtil::getDurationOfFile(fragmented), 4.0f, 0.05f);
    // Cut short, it never hangs or crashes.
    writeFile(dir.path() + "/cut.mp4", support::readFile(fragmented).left(int(file.size() / 2)));
    RVAVUtil::getDurationOfFile(dir.path() + "/cut.mp4");
}

TEST(MediaDuration, MovieHeaderVersionsAndBoxSizeForms)
{
    // Box = u32 size, 4-byte type, payload; size 1 moves the size into a u64 after the type,
    // 0 means "to the end of the file".
    const auto box = [](const char* type, const QByteArray& payload, int sizeForm = 32) {
        char size[8];
        if (sizeForm == 64) {
            qToBigEndian<quint64>(quint64(16 + payload.size()), size);
            return QByteArray::fromHex("00000001") + type + QByteArray(size, 8) + payload;
        }
        qToBigEndian<quint32>(sizeForm == 0 ? 0 : quint32(8 + payload.size()), size);
        return QByteArray(size, 4) + type + payload;
    };
    const auto durationOf = [](const QByteArray& file) {
        QBuffer buffer;
        buffer.setData(file);
        buffer.open(QIODevice::ReadOnly);
        return RVMp4Header::movieDurationSeconds(buffer);
    };
    // Version and flags, creation and modification times, time scale, duration (times and
    // duration 32 bits in version 0, 64 in version 1).
    const auto mvhd = [&](const char* hex) {
        return box("mvhd", QByteArray::fromHex(hex) + QByteArray(80, 0));
    };
    const QByteArray ftyp = box("ftyp", "isomisom");
    // Time scale 600, duration 5400: 9 s, after a large media box.
    const QByteArray mvhd0 = mvhd("00000000"
                                  "0000000000000000"
                                  "0000025800001518");
    EXPECT_EQ(durationOf(ftyp + box("mdat", QByteArray(1000, 'x'), 64) +
                         box("moov", box("trak", "t") + mvhd0)),
              9.0);
    // Time scale 1000, duration 5,000,000,000 ms; moov running to the end of the file.
    EXPECT_EQ(durationOf(ftyp + box("moov",
                                    mvhd("01000000"
                                         "00000000000000000000000000000000"
                                         "000003e8000000012a05f200"),
                                    0)),
              5000000.0);

    // Unknown or zero lengths, a zero time scale, fragments, and broken box sizes give nothing.
    QByteArray tooLong = ftyp + box("moov", mvhd0);
    tooLong[ftyp.size() + 3] = char(0x7f); // moov claims more than the file holds
    for (const QByteArray& file :
         {ftyp + box("moov", mvhd("000000000000000000000000"
                                  "00000258ffffffff")),
          ftyp + box("moov", mvhd("000000000000000000000000"
                                  "0000000000001518")),
          ftyp + box("moov", mvhd0 + box("mvex", box("trex", ""))), tooLong,
          ftyp + box("moov", box("mvhd", QByteArray::fromHex("0000"))),
          QByteArray::fromHex("00000004") + "ftyp", QByteArray()})
        EXPECT_FALSE(durationOf(file)) << file.toHex().toStdString();
}

TEST(LockFlag, LocksUnlocksAndRecordsWhatTheFileSays)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/LOCK.MOV";
    makeClip(path, 2);
    const auto mode = [&] {
        struct stat st;
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 0777 : 0;
    };
    ::chmod(QFile::encodeName(path).constData(), 0664);
    EXPECT_TRUE(RVFileSystemUtil::changeMutabilityOfFile(path, true));
    EXPECT_EQ(mode(), 0444u);
    EXPECT_TRUE(RVFileSystemUtil::isFileLocked(path));
    RVVideoFileList files; // the scan reads the flag back
    RVFileSystemUtil::scanVideoFilesFrom(path, files);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(files[0]->locked());
    EXPECT_TRUE(RVFileSystemUtil::changeMutabilityOfFile(path, false));
    EXPECT_EQ(mode(), 0644u); // the owner's write bit only
    EXPECT_FALSE(RVFileSystemUtil::isFileLocked(path));

    // Through the records: a flag change that fails is not recorded as done.
    const auto record = [](const QString& at) {
        return std::make_shared<RVVideoFile>(at, 2.0f, RVTimestamp(), false);
    };
    const RVVideoFilePtr real = record(path);
    const RVVideoFilePtr missing = record(dir.path() + "/GONE.MOV");
    EXPECT_FALSE(RVFileSystemUtil::changeMutabilityOfVideoFiles({real, missing}, true));
    EXPECT_TRUE(real->locked());
    EXPECT_FALSE(missing->locked());
    // The kernel refuses to change a /proc file's mode even for root: it stays read-only.
    const RVVideoFilePtr stubborn = record("/proc/self/status");
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
    EXPECT_EQ(support::readFile(b), "payload");
    EXPECT_FALSE(RVFileSystemUtil::copyFileAtPath(a, b)); // the destination exists
    EXPECT_FALSE(RVFileSystemUtil::copyFileAtPath(dir.path() + "/none", dir.path() + "/c"));
    EXPECT_TRUE(RVFileSystemUtil::removeFileAtPath(b));
    EXPECT_TRUE(RVFileSystemUtil::removeFileAtPath(b)); // nothing left is success
    ASSERT_TRUE(QFile::link(dir.path() + "/nowhere", dir.path() + "/dangling"));
    EXPECT_TRUE(RVFileSystemUtil::fileExists(dir.path() + "/dangling"));
    EXPECT_TRUE(RVFileSystemUtil::removeFileAtPath(dir.path() + "/dangling"));
    EXPECT_FALSE(RVFileSystemUtil::fileExists(dir.path() + "/dangling"));
}
