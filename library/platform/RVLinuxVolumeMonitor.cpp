#include "library/platform/RVLinuxVolumeMonitor.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

const QString kMountInfoPath = QStringLiteral("/proc/self/mountinfo");
const QString kSysfsRoot = QStringLiteral("/sys");

// /proc files report no size; read until the end.
QByteArray readWholeFile(const QString& path)
{
    QByteArray bytes;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return bytes;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            bytes.append(buffer, n);
        else if (n == 0 || errno != EINTR)
            break;
    }
    ::close(fd);
    return bytes;
}

bool readsOne(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(1) == "1";
}

} // namespace

RVLinuxVolumeMonitor::RVLinuxVolumeMonitor(QObject* parent)
    : RVLinuxVolumeMonitor(kMountInfoPath, kSysfsRoot, parent)
{}

RVLinuxVolumeMonitor::RVLinuxVolumeMonitor(QString mountInfoPath, QString sysfsRoot,
                                           QObject* parent)
    : RVVolumeMonitor(parent), m_mountInfoPath(std::move(mountInfoPath)),
      m_sysfsRoot(std::move(sysfsRoot))
{
    m_known = removableMountPaths();
    m_fd = ::open(QFile::encodeName(m_mountInfoPath).constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd >= 0) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Exception, this);
        connect(m_notifier, &QSocketNotifier::activated, this,
                &RVLinuxVolumeMonitor::checkMountTable);
    }
}

RVLinuxVolumeMonitor::~RVLinuxVolumeMonitor()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

QStringList RVLinuxVolumeMonitor::removableMountPaths() const
{
    return removableMountPaths(RVMountInfo::parse(readWholeFile(m_mountInfoPath)), m_sysfsRoot);
}

QStringList RVLinuxVolumeMonitor::removableMountPaths(const std::vector<RVMountEntry>& entries,
                                                      const QString& sysfsRoot)
{
    QStringList paths;
    for (const RVMountEntry& entry : entries) {
        if (isRemovable(entry, sysfsRoot) && !paths.contains(entry.mountPoint))
            paths.append(entry.mountPoint);
    }
    return paths;
}

bool RVLinuxVolumeMonitor::isRemovable(const RVMountEntry& entry, const QString& sysfsRoot)
{
    if (entry.mountPoint.startsWith(QLatin1String("/media/")) ||
        entry.mountPoint.startsWith(QLatin1String("/run/media/")))
        return true;
    // Major 0 is the kernel's anonymous devices: proc, tmpfs, overlay and the like.
    if (entry.major == 0)
        return false;
    const QString link =
        QStringLiteral("%1/dev/block/%2:%3").arg(sysfsRoot).arg(entry.major).arg(entry.minor);
    const QString device = QFileInfo(link).canonicalFilePath();
    if (device.isEmpty())
        return false;
    if (device.contains(QLatin1String("/usb")) || device.contains(QLatin1String("/mmc")))
        return true;
    // A partition has no removable flag of its own; its disk (the parent folder) has.
    return readsOne(device + QLatin1String("/removable")) ||
           readsOne(QFileInfo(device).path() + QLatin1String("/removable"));
}

void RVLinuxVolumeMonitor::checkMountTable()
{
    // Reading the watched file to its end re-arms the kernel's change flag.
    if (m_fd >= 0) {
        char buffer[4096];
        ::lseek(m_fd, 0, SEEK_SET);
        while (::read(m_fd, buffer, sizeof buffer) > 0) {
        }
    }
    const QStringList now = removableMountPaths();
    const QStringList before = std::exchange(m_known, now);
    for (const QString& path : before) {
        if (!now.contains(path))
            Q_EMIT volumeUnmounted(path);
    }
    for (const QString& path : now) {
        if (!before.contains(path))
            Q_EMIT volumeMounted(path);
    }
}

std::unique_ptr<RVVolumeMonitor> RVVolumeMonitor::createPlatformMonitor(QObject* parent)
{
    return std::make_unique<RVLinuxVolumeMonitor>(parent);
}

QStringList RVVolumeMonitor::currentRemovableMountPaths()
{
    return RVLinuxVolumeMonitor::removableMountPaths(
        RVMountInfo::parse(readWholeFile(kMountInfoPath)), kSysfsRoot);
}
