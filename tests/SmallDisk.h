#pragma once

// A tiny file system for tests of what happens when a disk fills up: a tmpfs of a given size
// mounted on a fresh temporary folder, unmounted again with the object. Mounting needs root
// (or a user namespace); without it the disk is not valid and the test skips.

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/mount.h>

class SmallDisk final
{
public:
    explicit SmallDisk(const char* size = "size=256k")
    {
        if (m_dir.isValid())
            m_mounted = ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                                size) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }

    bool isValid() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    // Fills the disk until at most `leave` bytes stay free (tmpfs counts whole pages). The
    // object is not copyable (its folder is not), so the disk is unmounted once.
    void fill(qint64 leave = 0) const
    {
        QFile filler(filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray page(4096, 'f');
        while (filler.write(page) == page.size()) {
        }
        // Give back whole pages until `leave` bytes are free.
        filler.resize(qMax<qint64>(0, filler.size() - leave));
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

#define SKIP_WITHOUT_SMALL_DISK(disk)                                                              \
    if (!(disk).isValid())                                                                         \
    GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)"
