#include "core/RVAtomicFile.h"

#include "core/RVNativePath.h"
#include "core/platform/RVPlatformFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <QSet>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string_view>
#include <utility>

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
    char path[RVPlatformFile::kMaxPathBytes];
};
constexpr int kSlots = 64;
SideSlot s_slots[kSlots];

int claimSlot(const QByteArray& path)
{
    if (std::size_t(path.size()) >= RVPlatformFile::kMaxPathBytes)
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
            RVPlatformFile::removeNow(slot.path);
    }
    RVPlatformFile::endBySignal(signalNumber);
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
    RVPlatformFile::removeStaleFiles(
        RVNativePath::encode(folder),
        [](const char* entry) {
            const std::string_view name(entry);
            return name.starts_with('.') && name.ends_with(kSideSuffix);
        },
        kStaleSeconds);
}

} // namespace

void RVAtomicFile::removeSideFilesOnSignals()
{
    RVPlatformFile::onEndingSignals(removeSideFilesAndEnd);
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
    const std::optional<unsigned> keptMode =
        RVPlatformFile::regularFileMode(RVNativePath::encode(target.absoluteFilePath()));
    sweepStaleSideFiles(folder);
    int error = 0;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QString side = QStringLiteral("%1/.%2.%3%4")
                                 .arg(folder, target.fileName(),
                                      QString::number(QRandomGenerator::global()->generate(), 36),
                                      QLatin1String(kSideSuffix));
        m_sidePath = RVNativePath::encode(side);
        m_fd = RVPlatformFile::createNew(m_sidePath, error);
        if (m_fd >= 0)
            break;
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
    if (keptMode)
        RVPlatformFile::setMode(m_fd, *keptMode);
    return QIODevice::open(mode | Unbuffered);
}

qint64 RVAtomicFile::writeData(const char* data, qint64 size)
{
    if (m_failed || m_fd < 0)
        return -1;
    if (const int error = RVPlatformFile::writeAll(m_fd, data, size)) {
        fail(error);
        return -1;
    }
    m_written += size;
    return size;
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
    if (!m_failed) {
        if (const int error = RVPlatformFile::syncFile(m_fd))
            fail(error);
    }
    const int closeError = RVPlatformFile::closeChecked(std::exchange(m_fd, -1));
    if (closeError && !m_failed)
        fail(closeError);
    QIODevice::close();
    if (!m_failed) {
        if (const int error = RVPlatformFile::rename(
                m_sidePath, RVNativePath::encode(QFileInfo(m_path).absoluteFilePath())))
            fail(error);
    }
    if (m_failed) {
        RVPlatformFile::removeNow(m_sidePath.constData());
        m_sidePath.clear();
        releaseSlot(m_slot);
        return false;
    }
    m_sidePath.clear();
    releaseSlot(m_slot);
    // The rename itself becomes durable with the folder; a failure here loses nothing that
    // was there before, so it is not reported.
    RVPlatformFile::syncFolder(RVNativePath::encode(QFileInfo(m_path).absolutePath()));
    return true;
}

void RVAtomicFile::cancelWriting()
{
    discard();
}

void RVAtomicFile::discard()
{
    if (m_fd >= 0) {
        RVPlatformFile::closeFile(m_fd);
        m_fd = -1;
    }
    if (!m_sidePath.isEmpty()) {
        RVPlatformFile::removeNow(m_sidePath.constData());
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
