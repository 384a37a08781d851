#include "core/RVAtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A few names in a row can be taken only by someone racing us; give up after that many.
constexpr int kNameAttempts = 16;

QString errnoText(int error)
{
    return qt_error_string(error);
}

} // namespace

RVAtomicFile::RVAtomicFile(const QString& path) : m_path(path) {}

RVAtomicFile::~RVAtomicFile()
{
    discard();
}

bool RVAtomicFile::open(OpenMode mode)
{
    if (isOpen() || !(mode & WriteOnly) || (mode & ReadOnly)) {
        setErrorString(QStringLiteral("Could not write %1: bad open mode")
                           .arg(QDir::toNativeSeparators(m_path)));
        return false;
    }
    m_failed = false;
    m_written = 0;
    const QFileInfo target(m_path);
    const QString folder = target.absolutePath();
    // A regular file being replaced keeps its permissions; a new one gets 0666 less the umask.
    struct stat existing
    {};
    const QByteArray encodedTarget = QFile::encodeName(target.absoluteFilePath());
    const bool keepMode =
        ::lstat(encodedTarget.constData(), &existing) == 0 && S_ISREG(existing.st_mode);
    int error = 0;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QString side = QStringLiteral("%1/.%2.%3")
                                 .arg(folder, target.fileName(),
                                      QString::number(QRandomGenerator::global()->generate(), 36));
        m_sidePath = QFile::encodeName(side);
        m_fd = ::open(m_sidePath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                      0666);
        if (m_fd >= 0)
            break;
        error = errno;
        if (error != EEXIST)
            break;
    }
    if (m_fd < 0) {
        m_sidePath.clear();
        setErrorString(QStringLiteral("Could not write %1: %2")
                           .arg(QDir::toNativeSeparators(m_path), errnoText(error)));
        return false;
    }
    if (keepMode)
        (void)::fchmod(m_fd, existing.st_mode & 0777); // no set-id bits carried over
    return QIODevice::open(mode | Unbuffered);
}

qint64 RVAtomicFile::writeData(const char* data, qint64 size)
{
    if (m_failed || m_fd < 0)
        return -1;
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_fd, data + done, size_t(size - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
            return -1;
        }
        if (n == 0) { // no progress and no reason: treat as a full device
            fail(ENOSPC);
            return -1;
        }
        done += n;
    }
    m_written += done;
    return done;
}

void RVAtomicFile::fail(int error)
{
    if (m_failed)
        return;
    m_failed = true;
    setErrorString(QStringLiteral("Could not write %1: %2")
                       .arg(QDir::toNativeSeparators(m_path), errnoText(error)));
}

bool RVAtomicFile::commit()
{
    if (m_fd < 0) {
        if (!m_failed)
            fail(EBADF);
        return false;
    }
    if (!m_failed && ::fsync(m_fd) != 0)
        fail(errno);
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0 && !m_failed)
        fail(errno);
    QIODevice::close();
    if (!m_failed &&
        ::rename(m_sidePath.constData(),
                 QFile::encodeName(QFileInfo(m_path).absoluteFilePath()).constData()) != 0)
        fail(errno);
    if (m_failed) {
        ::unlink(m_sidePath.constData());
        m_sidePath.clear();
        return false;
    }
    m_sidePath.clear();
    // The rename itself becomes durable with the folder; a failure here loses nothing that
    // was there before, so it is not reported.
    const int folder = ::open(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)::fsync(folder);
        ::close(folder);
    }
    return true;
}

void RVAtomicFile::cancelWriting()
{
    discard();
}

void RVAtomicFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_sidePath.isEmpty()) {
        ::unlink(m_sidePath.constData());
        m_sidePath.clear();
    }
    if (isOpen())
        QIODevice::close();
}

bool RVAtomicFile::writeAll(const QString& path, const QByteArray& data, QString* error)
{
    RVAtomicFile file(path);
    const bool ok = file.open() && file.write(data) == data.size() && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}
