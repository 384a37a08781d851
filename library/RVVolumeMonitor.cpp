#include "library/RVVolumeMonitor.h"

RVStaticVolumeMonitor::RVStaticVolumeMonitor(QStringList mountPaths, QObject* parent)
    : RVVolumeMonitor(parent), m_mountPaths(std::move(mountPaths))
{}

QStringList RVStaticVolumeMonitor::removableMountPaths() const
{
    std::lock_guard lock(m_mutex);
    return m_mountPaths;
}

void RVStaticVolumeMonitor::setRemovableMountPaths(const QStringList& mountPaths)
{
    QStringList before;
    {
        std::lock_guard lock(m_mutex);
        before = std::exchange(m_mountPaths, mountPaths);
    }
    for (const QString& path : before) {
        if (!mountPaths.contains(path))
            Q_EMIT volumeUnmounted(path);
    }
    for (const QString& path : mountPaths) {
        if (!before.contains(path))
            Q_EMIT volumeMounted(path);
    }
}
