#pragma once

#include <QObject>
#include <QStringList>

#include <memory>
#include <mutex>

// Reports the mount paths of removable media and an event after every mount and unmount of
// one. The video list takes one by injection: the platform's own (RVLinuxVolumeMonitor on
// Linux) in the program, a RVStaticVolumeMonitor in tools and tests.
//
// Signals come from the thread the monitor lives in; removableMountPaths() may be called from
// any thread.
class RVVolumeMonitor : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual QStringList removableMountPaths() const = 0;

    // The platform's monitor, watching from the calling thread's event loop.
    static std::unique_ptr<RVVolumeMonitor> createPlatformMonitor(QObject* parent = nullptr);
    // The removable mount paths as the platform reports them now, without a monitor.
    static QStringList currentRemovableMountPaths();

Q_SIGNALS:
    void volumeMounted(const QString& mountPath);
    void volumeUnmounted(const QString& mountPath);
};

// A monitor whose mount table is set by its owner: no volumes for a command-line tool, a
// scripted card insertion and removal for tests. Setting a table emits volumeMounted for every
// new path and volumeUnmounted for every path gone, after the table has changed.
class RVStaticVolumeMonitor final : public RVVolumeMonitor
{
    Q_OBJECT

public:
    explicit RVStaticVolumeMonitor(QStringList mountPaths = {}, QObject* parent = nullptr);

    QStringList removableMountPaths() const override;
    void setRemovableMountPaths(const QStringList& mountPaths);

private:
    mutable std::mutex m_mutex;
    QStringList m_mountPaths;
};
