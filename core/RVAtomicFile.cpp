#include "core/RVAtomicFile.h"

#include "core/RVNativePath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <QSet>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string_view>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A few names in a row can be taken only by someone racing us; give up after that many.
constexpr int kNameAttempts = 16;
// Every side file's name ends so, which tells ours from anyone else's hidden files.
constexpr char kSideSuffix[] = ".korvela-part";
// A side file this old belongs to a run that was killed; no write takes a day.
constexpr qint64 kStaleSeconds = 24 * 60 * 60;

QString errnoText(int error)
{
    return qt_error_string(error);
}

// The side files open in this process, for the signal handler, which may use nothing but
// lock-free atomics and system calls: a fixed table of paths, each slot free, being filled, or
// naming a side file. A file that finds no free slot is still written; it just is not cleaned
// up on a signal (the next run's sweep takes it).
enum SlotState : int
{
    kFree,
    kFilling,
    kActive
};
struct SideSlot
{
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};
constexpr int kSlots = 64;
SideSlot s_slots[kSlots];

int claimSlot(const QByteArray& path)
{
    if (path.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!s_slots[i].state.compare_exchange_strong(expected, kFilling))
            continue;
        std::memcpy(s_slots[i].path, path.constData(), std::size_t(path.size()) + 1);
        s_slots[i].state.store(kActive);
        return i;
    }
    return -1;
}

void releaseSlot(int& slot)
{
    if (slot >= 0)
        s_slots[slot].state.store(kFree);
    slot = -1;
}

extern "C" void removeSideFilesAndEnd(int signalNumber)
{
    for (SideSlot& slot : s_slots) {
        if (slot.state.load() == kActive)
            ::unlink(slot.path);
    }
    // Ended by the signal as if it had not been caught, so the parent sees the same status.
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

// Removes the side files of killed runs in the folder, once per folder and process: hidden,
// named like ours, regular, and untouched for a day (a run still writing is never touched).
void sweepStaleSideFiles(const QString& folder)
{
    static std::mutex mutex;
    static QSet<QString> swept;
    {
        std::lock_guard lock(mutex);
        if (swept.contains(folder))
            return;
        swept.insert(folder);
    }
    const QByteArray encodedFolder = RVNativePath::encode(folder);
    DIR* dir = ::opendir(encodedFolder.constData());
    if (!dir)
        return;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (!name.starts_with('.') || !name.ends_with(kSideSuffix))
            continue;
        struct stat st;
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && now - st.st_mtime > kStaleSeconds)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

} // namespace

void RVAtomicFile::removeSideFilesOnSignals()
{
    struct sigaction action
    {};
    action.sa_handler = removeSideFilesAndEnd;
    ::sigemptyset(&action.sa_mask);
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signalNumber, &action, nullptr);
}

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
    const QByteArray encodedTarget = RVNativePath::encode(target.absoluteFilePath());
    const bool keepMode =
        ::lstat(encodedTarget.constData(), &existing) == 0 && S_ISREG(existing.st_mode);
    sweepStaleSideFiles(folder);
    int error = 0;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QString side = QStringLiteral("%1/.%2.%3%4")
                                 .arg(folder, target.fileName(),
                                      QString::number(QRandomGenerator::global()->generate(), 36),
                                      QLatin1String(kSideSuffix));
        m_sidePath = RVNativePath::encode(side);
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
    m_slot = claimSlot(m_sidePath);
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
                 RVNativePath::encode(QFileInfo(m_path).absoluteFilePath()).constData()) != 0)
        fail(errno);
    if (m_failed) {
        ::unlink(m_sidePath.constData());
        m_sidePath.clear();
        releaseSlot(m_slot);
        return false;
    }
    m_sidePath.clear();
    releaseSlot(m_slot);
    // The rename itself becomes durable with the folder; a failure here loses nothing that
    // was there before, so it is not reported.
    const int folder = ::open(RVNativePath::encode(QFileInfo(m_path).absolutePath()).constData(),
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
    releaseSlot(m_slot);
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
