#pragma once

#include <QIODevice>
#include <QString>

// Writes one file so that readers find either the file as it was or the complete new one.
//
// The data goes to a new side file (".name.XXXXXX.korvela-part") in the target's folder,
// created with O_EXCL so nothing planted under that name is written through. Side files of
// that naming left for over a day (a run that was killed) are removed from a folder the first
// time this process writes there. Every write is checked;
// commit() syncs the data to the disk, closes (where NFS and some FUSE file systems report
// late write errors) and renames the side file over the target. rename() replaces whatever
// directory entry is at the target: a symbolic link planted at the target's name is replaced,
// never followed. Any failure removes the side file, so a full disk or a pulled card leaves the
// old file (or none) and never a truncated one.
//
// Unbuffered: each write() goes straight to the kernel, so a failure is seen by the call that
// caused it and never later, when nobody checks.
class RVAtomicFile final : public QIODevice
{
public:
    explicit RVAtomicFile(const QString& path);
    ~RVAtomicFile() override; // an uncommitted side file is removed

    // Creates the side file. False, with errorString() set, when it cannot be made.
    bool open(OpenMode mode = WriteOnly) override;
    // Syncs, closes and renames over the target. False (and the side file gone) on any failure;
    // errorString() then names the target and the reason.
    bool commit();
    // Drops what was written; the target stays as it was. close() does the same: only
    // commit() replaces the target.
    void cancelWriting();
    void close() override { cancelWriting(); }

    // The side file's descriptor while open (for sync_file_range), otherwise -1.
    int handle() const { return m_fd; }
    // Bytes written so far.
    qint64 writtenBytes() const { return m_written; }
    QString fileName() const { return m_path; }
    bool isSequential() const override { return true; }

    // Convenience: the whole of data to path, atomically. On failure *error (when given) names
    // the file and the reason.
    static bool writeAll(const QString& path, const QByteArray& data, QString* error = nullptr);

    // Makes SIGINT, SIGTERM and SIGHUP remove the side files open in this process before the
    // process ends by the signal as it would have. For programs whose only answer to those
    // signals is to end (the command-line tools).
    static void removeSideFilesOnSignals();

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    void fail(int error);
    void discard();

    QString m_path;
    QByteArray m_sidePath; // encoded for the file system
    int m_fd = -1;
    int m_slot = -1; // the signal handler's record of the side file
    bool m_failed = false;
    qint64 m_written = 0;
};
