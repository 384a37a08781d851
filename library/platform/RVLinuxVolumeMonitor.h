#pragma once

#include "library/RVVolumeMonitor.h"
#include "library/platform/RVMountInfo.h"

#include <QString>

#include <vector>

class QSocketNotifier;

// Removable media on Linux. The kernel flags /proc/self/mountinfo with an exceptional
// condition (POLLPRI) on every mount or unmount, so a socket notifier on the open file wakes
// the monitor; it then reads the table again and reports the removable mounts that came or
// went. A mount counts as removable when its mount point lies under /media or /run/media
// (where desktop automounters put cards), or when sysfs says its block device is removable or
// sits on a USB or MMC/SD bus.
class RVLinuxVolumeMonitor final : public RVVolumeMonitor
{
    Q_OBJECT

public:
    explicit RVLinuxVolumeMonitor(QObject* parent = nullptr);
    // Another mount table and sysfs tree, for tests.
    RVLinuxVolumeMonitor(QString mountInfoPath, QString sysfsRoot, QObject* parent = nullptr);
    ~RVLinuxVolumeMonitor() override;

    // Reads the table anew on every call; safe on any thread.
    QStringList removableMountPaths() const override;

    static QStringList removableMountPaths(const std::vector<RVMountEntry>& entries,
                                           const QString& sysfsRoot);
    static bool isRemovable(const RVMountEntry& entry, const QString& sysfsRoot);

public Q_SLOTS:
    // Compares the table with the one seen last and reports the differences.
    void checkMountTable();

private:
    QString m_mountInfoPath;
    QString m_sysfsRoot;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QStringList m_known; // removable mount paths at the last check; GUI thread only
};
