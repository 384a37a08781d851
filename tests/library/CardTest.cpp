// Collecting recordings, media durations, cards and the mount table, the lock flag and file
// operations, on real files.
#include "TestSupport.h"

#include "core/RVNativePath.h"
#include "library/RVMp4Header.h"
#include "library/platform/RVLinuxVolumeMonitor.h"
#include "library/platform/RVMountInfo.h"
#include "metadata/TrackFiles.h"

#include <QBuffer>
#include <QFileInfo>
#include <QUrl>

#include <sys/stat.h>

#include <cmath>
#include <tuple>

using TrackFiles::be32;
using TrackFiles::box;

// Links, pipes and hard links are the fuzz target's part: it checks over generated trees that
// every recording is reported once, nothing outside the folder and nothing but regular files.
TEST(FolderWalk, CollectsRecordingsWithTheirLengthsAndNameBytes)
{
    QTemporaryDir dir;
    const QString root = dir.path() + "/card";
    for (const char* name : {"CLIP.MOV", "._CLIP.MOV", ".MOV", ".hidden/X.mp4", "plain.MP4"})
        makeClip(root + "/" + name, 2);
    for (const char* name : {"clip.avi", "clip", "mov"})
        writeFile(root + "/" + name);
    writeFile(root + "/BROKEN.MOV", "not a video at all");
    // A fragmented recording has no length in its movie header; FFmpeg measures it.
    ASSERT_TRUE(runFfmpeg({"-f", "lavfi", "-i", "testsrc=size=64x36:rate=10", "-t", "4", "-c:v",
                           "mpeg4", "-movflags", "frag_keyframe", root + "/clip.Mp4"}));
    // A name that is not UTF-8 (Latin-1 "café"), as a camera with another code page writes.
    const QByteArray latin1 = QFile::encodeName(root) + "/caf\xe9.MP4";
    ASSERT_EQ(::rename(QFile::encodeName(root + "/plain.MP4").constData(), latin1.constData()), 0);
    RVVideoFileList files;
    FS::scanVideoFilesFrom(root + "/", files);
    QStringList found;
    for (const RVVideoFilePtr& file : files) {
        const QString name = file->fileName();
        found.append(name);
        EXPECT_FALSE(file->filePath().contains("//") || file->locked() ||
                     !file->created().isValid());
        if (name == "BROKEN.MOV")
            EXPECT_TRUE(std::isnan(file->duration()));
        else // the Latin-1 name is opened by its bytes
            EXPECT_NEAR(file->duration(), name == "clip.Mp4" ? 4.0 : 2.0, 0.05)
                << name.toStdString();
    }
    found.sort();
    const QString cafe = RVNativePath::decode("caf\xe9.MP4");
    EXPECT_EQ(found, QStringList({".MOV", "._CLIP.MOV", "BROKEN.MOV", "CLIP.MOV", "X.mp4", cafe,
                                  "clip.Mp4"}));
    EXPECT_EQ(RVNativePath::encode(root + "/" + cafe), latin1);
    EXPECT_TRUE(FS::removeFileAtPath(root + "/" + cafe));
    EXPECT_FALSE(FS::fileExists(root + "/" + cafe));

    // Scanning again appends; a file can be given directly; other URLs or a cancelled walk add
    // nothing.
    FS::scanVideoFilesFrom(QUrl::fromLocalFile(root + "/CLIP.MOV"), files);
    FS::scanVideoFilesFrom(QUrl("http://127.0.0.1/CLIP.MOV"), files);
    FS::scanVideoFilesFrom(dir.path() + "/missing", files);
    FS::scanVideoFilesFrom(root + "/clip.avi", files);
    const std::atomic<bool> cancel{true};
    FS::scanVideoFilesFrom(root, files, &cancel);
    EXPECT_EQ(files.size(), 8u);
}

TEST(MediaDuration, MovieHeaderVersionsAndBoxSizeForms)
{
    // Box = u32 size, 4-byte type, payload; size 1 moves the size into a u64 after the type,
    // 0 means "to the end of the file".
    const auto box64 = [](const char* type, const QByteArray& payload) {
        return be32(1) + type + be32(0) + be32(16 + payload.size()) + payload;
    };
    const auto durationOf = [](QByteArray file) {
        QBuffer buffer(&file);
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
    const QByteArray mvhd0 = mvhd("0000000000000000000000000000025800001518");
    EXPECT_EQ(durationOf(ftyp + box64("mdat", QByteArray(1000, 'x')) +
                         box("moov", box("trak", "t") + mvhd0)),
              9.0);
    // Time scale 1000, duration 5,000,000,000 ms; moov running to the end of the file.
    const QByteArray mvhd1 =
        mvhd("0100000000000000000000000000000000000000000003e8000000012a05f200");
    EXPECT_EQ(durationOf(ftyp + be32(0) + "moov" + mvhd1), 5000000.0);

    // Unknown or zero lengths, a zero time scale, fragments, and broken box sizes give nothing.
    QByteArray tooLong = ftyp + box("moov", mvhd0);
    tooLong[ftyp.size() + 3] = char(0x7f); // moov claims more than the file holds
    for (const QByteArray& file :
         {ftyp + box("moov", mvhd("00000000000000000000000000000258ffffffff")),
          ftyp + box("moov", mvhd("0100000000000000000000000000000000000000000003e8"
                                  "ffffffffffffffff")),
          ftyp + box("moov", mvhd("0000000000000000000000000000000000001518")),
          ftyp + box("moov", mvhd0 + box("mvex", box("trex", ""))), tooLong,
          ftyp + box("moov", box("mvhd", QByteArray::fromHex("0000"))),
          QByteArray::fromHex("00000004") + "ftyp", QByteArray()})
        EXPECT_FALSE(durationOf(file)) << file.toHex().toStdString();
}

TEST(LockFlagAndFiles, LockRecordsWhatTheFileSaysCopyRefusesToOverwriteRemoveTakesLinks)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/LOCK.MOV";
    makeClip(path, 2);
    // Qt's write bits for owner, group and others (0x2000, 0x0020, 0x0002).
    const auto writable = [&] { return int(QFile::permissions(path) & 0x2022); };
    ::chmod(QFile::encodeName(path).constData(), 0664);
    EXPECT_TRUE(FS::changeMutabilityOfFile(path, true));
    EXPECT_EQ(writable(), 0);
    RVVideoFileList files; // the scan reads the flag back
    FS::scanVideoFilesFrom(path, files);
    EXPECT_TRUE(files.at(0)->locked());
    EXPECT_TRUE(FS::changeMutabilityOfFile(path, false));
    EXPECT_EQ(writable(), 0x2000); // the owner's write bit only
    EXPECT_FALSE(FS::isFileLocked(path));
    // A camera's protected folder locks what it holds, and that lock cannot be lifted here;
    // its sibling folders lock nothing.
    const std::pair<const char*, bool> folders[] = {
        {"/Movie/RO/", true},      {"/movie/ro/", true}, {"/MOVIE_B/RO/", true},
        {"/Movie/Normal/", false}, {"/RO/", false},      {"/MOVIES/RO/", false},
        {"/MOVIE_AB/RO/", false}};
    for (const auto& [folder, protectedFolder] : folders) {
        const QString held = dir.path() + folder + "F.MP4";
        ASSERT_TRUE(QDir().mkpath(QFileInfo(held).path()));
        ASSERT_TRUE(QFile::copy(path, held));
        RVVideoFileList scanned;
        FS::scanVideoFilesFrom(held, scanned);
        EXPECT_EQ(scanned.at(0)->locked(), protectedFolder) << folder;
        EXPECT_EQ(FS::changeMutabilityOfFile(held, false), !protectedFolder);
    }

    // Through the records: a flag change that fails is not recorded as done. The kernel refuses
    // to change a /proc file's mode even for root: it stays read-only.
    const auto record = [](const QString& at) {
        return std::make_shared<RVVideoFile>(at, 2.0f, RVTimestamp(), true);
    };
    const RVVideoFilePtr real = files[0], missing = record(path + "-"),
                         stubborn = record("/proc/self/status");
    EXPECT_FALSE(FS::changeMutabilityOfVideoFiles({real, missing}, true));
    EXPECT_FALSE(FS::changeMutabilityOfVideoFiles({stubborn}, false));
    EXPECT_TRUE(real->locked() && !missing->locked() && stubborn->locked());

    // Removing what is gone succeeds; a dangling link exists and goes.
    ASSERT_TRUE(QFile::copy(path, path + ".copy"));
    EXPECT_TRUE(FS::removeFileAtPath(path + ".copy") &&
                FS::removeFileAtPath(path + ".copy")); // gone is done
    ASSERT_TRUE(QFile::link(dir.path() + "/nowhere", path + ".link") &&
                FS::fileExists(path + ".link"));
    EXPECT_TRUE(FS::removeFileAtPath(path + ".link") && !FS::fileExists(path + ".link"));
}

// One recording reached twice (a folder with its parent, a link) or found again as a copy
// (a card and its backup) is listed once; files of no camera's naming, whose names repeat on
// every card, are told apart by their identity only.
TEST(FolderWalk, TheSameRecordingFoundTwiceIsListedOnce)
{
    QTemporaryDir dir;
    for (const char* card : {"/card", "/backup"}) {
        makeClip(dir.path() + card + "/BlackVue/Record/20170708_221449_NF.mp4", 1);
        makeClip(dir.path() + card + "/DCIM/FILE0001.MOV", 1);
    }
    ASSERT_TRUE(QFile::link(dir.path() + "/card/DCIM", dir.path() + "/DCIM-link"));
    auto list = idleList({});
    list->addVideoFilesFrom(
        QStringList{dir.path() + "/card", dir.path() + "/card/BlackVue", dir.path() + "/backup"});
    list->waitForIdle();
    list->addVideoFilesFrom(dir.path() + "/DCIM-link/FILE0001.MOV");
    list->addVideoFilesFrom(dir.path() + "/card/../card/DCIM");
    list->waitForIdle();
    QStringList files;
    for (const RVVideoFilePtr& file : list->videoFiles())
        files.append(file->filePath().mid(dir.path().size()));
    files.sort();
    EXPECT_EQ(files, QStringList({"/backup/DCIM/FILE0001.MOV",
                                  "/card/BlackVue/Record/20170708_221449_NF.mp4",
                                  "/card/DCIM/FILE0001.MOV"}));
}

TEST(CameraCards, RecognisedByVolumeNameOrTheFoldersCamerasWrite)
{
    for (const char* card : {"G1", "CARDG2", "XG0Y", "G12"})
        EXPECT_TRUE(FS::isDashcamVolumeName(card)) << card;
    for (const char* other : {"g1", "G", "GX1", "", "DATA", "1G"})
        EXPECT_FALSE(FS::isDashcamVolumeName(other)) << other;
    // By the last path component or by the folders, in the given order.
    QTemporaryDir dir;
    const QString b = dir.path();
    for (const char* folder :
         {"BV/BlackVue/Record", "NT/DCIM/Movie/RO", "SM/70mai/Normal", "BOTH/BlackVue/Record",
          "BOTH/DCIM", "USB/Music", "DV/CARDV/MOVIE_A"})
        ASSERT_TRUE(QDir().mkpath(b + "/" + folder));
    EXPECT_EQ(FS::getDashcamFlashDrives({b + "/BV", "/m/G12", "/m/G1/DATA", b + "/NT", "/m/CARDG2/",
                                         b + "/SM", b + "/USB"}),
              QStringList({b + "/BV", "/m/G12", b + "/NT", "/m/CARDG2/", b + "/SM"}));
    EXPECT_EQ(FS::cardRecordingFolders(b + "/NT"), QStringList{b + "/NT/DCIM"});
    EXPECT_EQ(FS::cardRecordingFolders(b + "/BOTH/"),
              QStringList({b + "/BOTH/BlackVue/Record", b + "/BOTH/DCIM"}));
    EXPECT_TRUE(FS::cardRecordingFolders(b + "/USB").isEmpty());
    EXPECT_EQ(FS::cardRecordingFolders(b + "/DV"), QStringList{b + "/DV/CARDV"});
}

TEST(MountTable, ParsedFromKernelLinesAndWatchedForRemovableMedia)
{
    // Mount lines as the kernel writes them; the optional fields vary in number. A blank line
    // leads, as a file being rewritten may show.
    const QByteArray table =
        "\n22 1 252:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
        "23 22 0:21 / /proc rw,nosuid shared:12 - proc proc rw\n"
        "60 22 8:17 / /media/x/G1 rw,nosuid,nodev shared:40 master:3 - vfat /dev/sdb1 rw,uid=1000\n"
        "61 22 8:33 / /media/x/G12 rw,nosuid,nodev - exfat /dev/sdc1 rw\n"
        "62 22 179:1 / /mnt/sd\\040card rw - vfat /dev/mmcblk0p1 rw\n"
        "63 22 8:1 / /data rw - ext4 /dev/sda1 rw\n"
        "64 22 8:49 /sub /run/media/x/CAM\\134G3 rw - vfat /dev/sdd1 rw\n"
        "69 22 259:2 / /srv rw - ext4 /dev/nvme0n1p2 rw\n"; // no device in the sysfs tree
    const std::vector<RVMountEntry> entries =
        RVMountInfo::parse(table + "broken line\n"
                                   "65 22 8:65 / /no/separator rw shared:9 vfat /dev/sde1 rw\n"
                                   "x 22 8:65 / /bad/id rw - vfat /dev/sde1 rw\n"
                                   "66 22 8 / /bad/device rw - vfat /dev/sde1 rw\n"
                                   "66 22 8:4294967296 / /big rw - vfat /dev/sde1 rw\n"
                                   "67 22 8:81 / relative rw - vfat /dev/sdf1 rw\n\n"
                                   "68 22 8:97 / /media/x/LAST rw - vfat /dev/sdg1");
    QStringList points;
    for (const RVMountEntry& entry : entries)
        points.append(entry.mountPoint);
    ASSERT_EQ(points, QStringList({"/", "/proc", "/media/x/G1", "/media/x/G12", "/mnt/sd card",
                                   "/data", "/run/media/x/CAM\\G3", "/srv", "/media/x/LAST"}));
    const RVMountEntry& g1 = entries[2];
    EXPECT_EQ(std::tuple(g1.mountId, g1.parentId, g1.major, g1.minor, g1.fileSystemType, g1.source,
                         entries[6].root),
              std::tuple(60, 22, 8u, 17u, QString("vfat"), QString("/dev/sdb1"), QString("/sub")));
    EXPECT_EQ(RVMountInfo::unescape("a\\011b\\012c\\0"), "a\tb\nc\\0");

    // A sysfs tree: sda on a PCI controller (not removable), sdb/sdc on USB, an MMC card reader.
    QTemporaryDir dir;
    const QString sysfs = dir.path() + "/sys";
    for (const auto& [device, target, removable] :
         {std::tuple{"8:1", "pci0000:00/ata1/host0/block/sda/sda1", "0"},
          {"8:17", "pci0000:00/usb1/1-1/host6/block/sdb/sdb1", "1"},
          {"8:33", "pci0000:00/usb2/2-1/host7/block/sdc/sdc1", "1"},
          {"179:1", "platform/mmc_host/mmc0/mmc0:0001/block/mmcblk0/mmcblk0p1", "0"},
          {"252:0", "virtual/block/vda", "0"}}) {
        QDir().mkpath(sysfs + "/devices/" + target);
        writeFile(sysfs + "/devices/" + target + "/../removable", removable);
        QDir().mkpath(sysfs + "/dev/block");
        QFile::link(sysfs + "/devices/" + target, sysfs + "/dev/block/" + device);
    }
    writeFile(dir.path() + "/mountinfo", table);
    RVLinuxVolumeMonitor monitor(dir.path() + "/mountinfo", sysfs);
    EXPECT_EQ(monitor.removableMountPaths(),
              QStringList({"/media/x/G1", "/media/x/G12", "/mnt/sd card", "/run/media/x/CAM\\G3"}));
    // The card at G1 goes while G12 stays; a new card comes; no change, no event.
    QStringList events;
    QObject::connect(&monitor, &RVVolumeMonitor::volumeMounted,
                     [&](const QString& path) { events.append("+" + path); });
    QObject::connect(&monitor, &RVVolumeMonitor::volumeUnmounted,
                     [&](const QString& path) { events.append("-" + path); });
    writeFile(dir.path() + "/mountinfo",
              QByteArray(table).replace(" 8:17 / /media/x/G1 ", " 8:17 / /media/x/NEWG5 "));
    monitor.checkMountTable();
    monitor.checkMountTable();
    EXPECT_EQ(events, QStringList({"-/media/x/G1", "+/media/x/NEWG5"}));
}

TEST(CardsInTheList, MountAndUnmountKeepTheOtherCard)
{
    QTemporaryDir dir;
    const QString g1 = dir.path() + "/media/x/G1";
    const QString g12 = dir.path() + "/media/x/G12";
    const QString data = dir.path() + "/media/x/DATA"; // no camera's folder: no card
    for (const QString& path :
         {g1 + "/DCIM/100/A1.MP4", g1 + "/DCIM/100/A2.MP4", g12 + "/DCIM/100/B1.MP4",
          g12 + "/B0.MP4", data + "/Videos/D1.MP4"}) // B0 lies outside DCIM
        makeClip(path, 2);
    auto owned = std::make_unique<RVStaticVolumeMonitor>();
    RVStaticVolumeMonitor* monitor = owned.get();
    // The monitor names each card that came or went, and no other.
    QStringList came, went;
    QObject::connect(monitor, &RVVolumeMonitor::volumeMounted,
                     [&](const QString& p) { came << p; });
    QObject::connect(monitor, &RVVolumeMonitor::volumeUnmounted,
                     [&](const QString& p) { went << p; });
    RVVideoList list(std::move(owned), FakeMetaData().source());
    list.waitForIdle();
    const auto mount = [&](const QStringList& paths, std::size_t files) {
        monitor->setRemovableMountPaths(paths);
        ASSERT_TRUE(waitFor([&] { return list.videoFiles().size() == files; }));
        list.waitForIdle();
    };

    mount({g1, data, g12}, 3);
    EXPECT_TRUE(list.mountedVolumes().size() == 2 && list.mountedVolumes().contains(g1) &&
                list.mountedVolumes().contains(g12)); // each card is handled on a thread of its own

    mount({data, g12}, 1);
    EXPECT_EQ(came, QStringList({g1, data, g12}));
    EXPECT_EQ(went, QStringList{g1});
    EXPECT_EQ(list.mountedVolumes(), QStringList{g12});
    EXPECT_EQ(names(*list.videosData()), QStringList{"B1.MP4"});
    mount({g1, data, g12}, 3); // a card mounted again is read again
}
