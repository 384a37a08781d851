// The mount table parser, the Linux volume monitor, and cards coming and going in the list.
#include "TestSupport.h"

#include "library/RVVolumeMonitor.h"
#include "library/platform/RVLinuxVolumeMonitor.h"
#include "library/platform/RVMountInfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

using namespace testsupport;

namespace {

// Mount lines as the kernel writes them; the optional fields vary in number.
const char kTable[] =
    "22 1 252:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
    "23 22 0:21 / /proc rw,nosuid shared:12 - proc proc rw\n"
    "60 22 8:17 / /media/x/G1 rw,nosuid,nodev shared:40 master:3 - vfat /dev/sdb1 rw,uid=1000\n"
    "61 22 8:33 / /media/x/G12 rw,nosuid,nodev - exfat /dev/sdc1 rw\n"
    "62 22 179:1 / /mnt/sd\\040card rw - vfat /dev/mmcblk0p1 rw\n"
    "63 22 8:1 / /data rw - ext4 /dev/sda1 rw\n"
    "64 22 8:49 /sub /run/media/x/CAM\\134G3 rw - vfat /dev/sdd1 rw\n";

// A sysfs tree: sda on a PCI controller (not removable), sdb/sdc on USB, an MMC card reader.
void makeSysfs(const QString& root)
{
    const auto device = [&](const QString& link, const QString& target, const char* removable) {
        QDir().mkpath(root + "/devices/" + target);
        writeFile(root + "/devices/" + target + "/../removable", removable);
        QDir().mkpath(root + "/dev/block");
        QFile::link(root + "/devices/" + target, root + "/dev/block/" + link);
    };
    device("8:1", "pci0000:00/ata1/host0/block/sda/sda1", "0");
    device("8:17", "pci0000:00/usb1/1-1/host6/block/sdb/sdb1", "1");
    device("8:33", "pci0000:00/usb2/2-1/host7/block/sdc/sdc1", "1");
    device("179:1", "platform/mmc_host/mmc0/mmc0:0001/block/mmcblk0/mmcblk0p1", "0");
    device("252:0", "virtual/block/vda", "0");
}

} // namespace

TEST(MountTable, ParsesKernelLinesAndSkipsBrokenOnes)
{
    const std::vector<RVMountEntry> entries = RVMountInfo::parse(
        QByteArray(kTable) + "broken line\n"
                             "65 22 8:65 / /no/separator rw shared:9 vfat /dev/sde1 rw\n"
                             "x 22 8:65 / /bad/id rw - vfat /dev/sde1 rw\n"
                             "66 22 8 / /bad/device rw - vfat /dev/sde1 rw\n"
                             "67 22 8:81 / relative rw - vfat /dev/sdf1 rw\n\n"
                             "68 22 8:97 / /media/x/LAST rw - vfat /dev/sdg1");
    ASSERT_EQ(entries.size(), 8u);
    EXPECT_EQ(entries[0].mountPoint, "/");
    const RVMountEntry& g1 = entries[2];
    EXPECT_EQ(std::tuple(g1.mountId, g1.parentId, g1.major, g1.minor), std::tuple(60, 22, 8u, 17u));
    EXPECT_EQ(g1.fileSystemType, "vfat");
    EXPECT_EQ(g1.source, "/dev/sdb1");
    EXPECT_EQ(entries[4].mountPoint, "/mnt/sd card");
    EXPECT_EQ(entries[6].mountPoint, "/run/media/x/CAM\\G3");
    EXPECT_EQ(entries[6].root, "/sub");
    EXPECT_EQ(entries[7].mountPoint, "/media/x/LAST");
    EXPECT_EQ(RVMountInfo::unescape("a\\011b\\012c\\0"), "a\tb\nc\\0");
    EXPECT_TRUE(RVMountInfo::parse("").empty());
}

TEST(LinuxVolumeMonitor, RemovableMediaAndChangeEvents)
{
    QTemporaryDir dir;
    const QString sysfs = dir.path() + "/sys";
    makeSysfs(sysfs);
    const QString tablePath = dir.path() + "/mountinfo";
    writeFile(tablePath, kTable);

    RVLinuxVolumeMonitor monitor(tablePath, sysfs);
    EXPECT_EQ(monitor.removableMountPaths(),
              QStringList({"/media/x/G1", "/media/x/G12", "/mnt/sd card", "/run/media/x/CAM\\G3"}));

    // The card at G1 goes while G12 stays; a new card comes; no change, no event.
    QStringList events;
    QObject::connect(&monitor, &RVVolumeMonitor::volumeMounted,
                     [&](const QString& path) { events.append("+" + path); });
    QObject::connect(&monitor, &RVVolumeMonitor::volumeUnmounted,
                     [&](const QString& path) { events.append("-" + path); });
    writeFile(tablePath, QByteArray(kTable).replace("60 22 8:17 / /media/x/G1 ",
                                                    "70 22 8:17 / /media/x/NEWG5 "));
    monitor.checkMountTable();
    monitor.checkMountTable();
    EXPECT_EQ(events, QStringList({"-/media/x/G1", "+/media/x/NEWG5"}));

    // The real one reads the kernel's table and watches it.
    RVLinuxVolumeMonitor real;
    EXPECT_TRUE(real.isWatching());
    EXPECT_FALSE(real.removableMountPaths().contains("/"));
    EXPECT_FALSE(real.removableMountPaths().contains("/proc"));
}

TEST(CardsInTheList, MountAndUnmountKeepTheOtherCard)
{
    QTemporaryDir dir;
    const QString g1 = dir.path() + "/media/x/G1";
    const QString g12 = dir.path() + "/media/x/G12";
    const QString data = dir.path() + "/media/x/DATA";
    makeClip(g1 + "/DCIM/100/A1.MP4", 2);
    makeClip(g1 + "/DCIM/100/A2.MP4", 2);
    makeClip(g12 + "/DCIM/100/B1.MP4", 2);
    makeClip(g12 + "/B0.MP4", 2);         // outside DCIM: not collected
    makeClip(data + "/Videos/D1.MP4", 2); // no camera's folder: no card

    auto owned = std::make_unique<RVStaticVolumeMonitor>();
    RVStaticVolumeMonitor* monitor = owned.get();
    RVVideoList list(std::move(owned), FakeMetaData().source());
    int updates = 0;
    QObject::connect(&list, &RVVideoList::videoListUpdated, &list, [&] { ++updates; });
    list.waitForIdle();
    const auto mount = [&](const QStringList& paths, std::size_t files) {
        monitor->setRemovableMountPaths(paths);
        ASSERT_TRUE(waitFor([&] { return list.videoFiles().size() == files; }));
        list.waitForIdle();
    };

    mount({g1, data, g12}, 3);
    QStringList mounted = list.mountedVolumes(); // each card is handled on a thread of its own
    mounted.sort();
    EXPECT_EQ(mounted, QStringList({g1, g12}));
    // A recording already listed is not added again, neither by hand nor through a link.
    list.addVideoFilesFrom(g1 + "/DCIM/100/A1.MP4");
    ASSERT_TRUE(QFile::link(g1, dir.path() + "/again"));
    list.addVideoFilesFrom(dir.path() + "/again/DCIM");
    list.waitForIdle();
    EXPECT_EQ(list.videoFiles().size(), 3u);

    mount({data, g12}, 1);
    EXPECT_EQ(list.mountedVolumes(), QStringList{g12});
    EXPECT_EQ(names(*list.videosData()), QStringList{"B1.MP4"});
    EXPECT_TRUE(waitFor([&] { return updates >= 4; }));
    // A card mounted again is read again.
    mount({g1, data, g12}, 3);
    EXPECT_EQ(list.mountedVolumes().size(), 2);
}
