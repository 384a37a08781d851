#include "library/RVFileSystemUtil.h"

#include "core/platform/RVPlatformFile.h"
#include "library/RVAVUtil.h"
#include "library/RVRecordingViews.h"
#include "library/RVVolumeMonitor.h"
#include "metadata/RVMetaPath.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>
#include <utility>

namespace {

using DirectoryId = std::pair<std::uint64_t, std::uint64_t>; // device, inode

constexpr std::ptrdiff_t kFilesPerThread = 16;
const std::ptrdiff_t kMaxThreads = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));

// Whether a ".ts" file is an MPEG transport stream (a sync byte 0x47 opening each of its first
// two 188-byte packets) rather than, say, a TypeScript source in a folder the user added.
bool looksLikeTransportStream(const QString& path)
{
    constexpr qint64 kPacket = 188;
    RVRegularFile file;
    if (!RVMetaPath::openRegularFile(file, path))
        return false;
    const QByteArray head = file.read(kPacket + 1);
    return !head.isEmpty() && head[0] == '\x47' &&
           (head.size() <= kPacket || head[int(kPacket)] == '\x47');
}

// One walk below a root: links are followed only while their target stays inside the root,
// every directory is entered once (link cycles end), and every file is taken once however
// many paths lead to it.
struct Walk
{
    QString root; // canonical
    const std::atomic<bool>* cancel = nullptr;
    std::set<DirectoryId> visitedDirectories;
    std::set<RVFileId> seenFiles;
    std::vector<RVFoundVideo> found;

    bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }

    bool insideRoot(const QString& path) const
    {
        const std::optional<QString> target = RVPlatformFile::canonicalPath(path);
        if (!target)
            return false;
        return *target == root ||
               (target->startsWith(root) &&
                (root.endsWith(QLatin1Char('/')) || target->at(root.size()) == QLatin1Char('/')));
    }

    void visit(const QString& path)
    {
        if (cancelled())
            return;
        const RVPlatformFile::Info info = RVPlatformFile::stat(path);
        if (info.nameTooLong) {
            qWarning().noquote()
                << QStringLiteral("Skipping %1: the path is too long to open").arg(path);
            return;
        }
        if (info.symbolicLink && info.kind != RVPlatformFile::Kind::Missing && !insideRoot(path)) {
            qWarning().noquote()
                << QStringLiteral("Not following %1: the link leads out of %2").arg(path, root);
            return;
        }
        switch (info.kind) {
        case RVPlatformFile::Kind::Missing:
        case RVPlatformFile::Kind::Other: // devices and pipes: opening them could block forever
            return;
        case RVPlatformFile::Kind::Directory: {
            if (!visitedDirectories.insert({info.device, info.inode}).second)
                return;
            const std::optional<QStringList> names = RVPlatformFile::listDirectory(path);
            if (!names)
                return;
            const QString prefix = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
            for (const QString& name : *names)
                visit(prefix + name);
            return;
        }
        case RVPlatformFile::Kind::Regular:
            break;
        }
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        if (!RVFileSystemUtil::isVideoFileName(path.mid(slash + 1)) ||
            (path.endsWith(QLatin1String(".ts"), Qt::CaseInsensitive) &&
             !looksLikeTransportStream(path)))
            return;
        const RVFileId id{info.device, info.inode};
        if (!seenFiles.insert(id).second)
            return;
        found.push_back({path, info.created,
                         info.locked || RVFileSystemUtil::isInProtectedFolder(path), id, info.size,
                         info.mountId});
    }
};

// Reading a header costs a few hundred microseconds of CPU once the card is in the page
// cache, so a card of a thousand recordings is measured on several threads.
void measureDurations(RVVideoFileList::iterator begin, RVVideoFileList::iterator end,
                      const std::atomic<bool>* cancel)
{
    const std::ptrdiff_t count = end - begin;
    const auto measure = [&](std::atomic<std::ptrdiff_t>& next) {
        for (std::ptrdiff_t i = next++; i < count && !(cancel && *cancel); i = next++)
            begin[i]->setDuration(RVAVUtil::getDurationOfFile(begin[i]->filePath()));
    };
    std::atomic<std::ptrdiff_t> next{0};
    const std::ptrdiff_t threads = std::min<std::ptrdiff_t>(count / kFilesPerThread, kMaxThreads);
    std::vector<std::thread> helpers;
    for (std::ptrdiff_t t = 1; t < threads; ++t)
        helpers.emplace_back(measure, std::ref(next));
    measure(next);
    for (std::thread& helper : helpers)
        helper.join();
}

QString lastPathComponent(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

void RVFileSystemUtil::scanVideoFilesFrom(const QString& path, RVVideoFileList& files,
                                          const std::atomic<bool>* cancel)
{
    if (path.isEmpty())
        return;
    QString start = path;
    while (start.size() > 1 && start.endsWith(QLatin1Char('/')))
        start.chop(1);
    Walk walk;
    walk.root = RVPlatformFile::canonicalPath(start).value_or(start);
    walk.cancel = cancel;
    walk.visit(start);
    if (walk.cancelled())
        return;
    RVVideoFileList recordings = combineViews(walk.found);
    measureDurations(recordings.begin(), recordings.end(), cancel);
    files.insert(files.end(), recordings.begin(), recordings.end());
}

void RVFileSystemUtil::scanVideoFilesFrom(const QUrl& url, RVVideoFileList& files,
                                          const std::atomic<bool>* cancel)
{
    if (url.isLocalFile())
        scanVideoFilesFrom(url.toLocalFile(), files, cancel);
}

bool RVFileSystemUtil::isVideoFileName(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QStringView extension = QStringView(fileName).mid(dot + 1);
    return extension.compare(QLatin1String("mov"), Qt::CaseInsensitive) == 0 ||
           extension.compare(QLatin1String("mp4"), Qt::CaseInsensitive) == 0 ||
           extension.compare(QLatin1String("ts"), Qt::CaseInsensitive) == 0;
}

QStringList RVFileSystemUtil::getDashcamFlashDrives()
{
    return getDashcamFlashDrives(RVVolumeMonitor::currentRemovableMountPaths());
}

QStringList RVFileSystemUtil::getDashcamFlashDrives(const RVVolumeMonitor& monitor)
{
    return getDashcamFlashDrives(monitor.removableMountPaths());
}

QStringList RVFileSystemUtil::getDashcamFlashDrives(const QStringList& removableMountPaths)
{
    QStringList cards;
    for (const QString& mountPath : removableMountPaths) {
        if (isDashcamVolumeName(lastPathComponent(mountPath)) ||
            !cardRecordingFolders(mountPath).isEmpty())
            cards.append(mountPath);
    }
    return cards;
}

QStringList RVFileSystemUtil::cardRecordingFolders(const QString& mountPath)
{
    QString root = mountPath;
    while (root.size() > 1 && root.endsWith(QLatin1Char('/')))
        root.chop(1);
    QStringList existing;
    for (const QString& folder : ::cardRecordingFolders()) {
        const QString path = root + QLatin1Char('/') + folder;
        if (RVPlatformFile::stat(path).kind == RVPlatformFile::Kind::Directory)
            existing.append(path);
    }
    // A folder inside another one found is walked with it.
    QStringList outermost;
    for (const QString& folder : existing) {
        const bool inside = std::any_of(existing.begin(), existing.end(), [&](const QString& o) {
            return folder.startsWith(o + QLatin1Char('/'));
        });
        if (!inside)
            outermost.append(folder);
    }
    return outermost;
}

bool RVFileSystemUtil::isDashcamVolumeName(const QString& volumeName)
{
    static const QRegularExpression pattern(QStringLiteral("G\\d"));
    return pattern.match(volumeName).hasMatch();
}

bool RVFileSystemUtil::changeMutabilityOfFile(const QString& path, bool immutable)
{
    RVPlatformFile::setLocked(path, immutable);
    // A recording in a protected folder stays locked whatever its flag says.
    const std::optional<bool> locked = RVPlatformFile::isLocked(path);
    return locked && (*locked || isInProtectedFolder(path)) == immutable;
}

bool RVFileSystemUtil::isFileLocked(const QString& path)
{
    return RVPlatformFile::isLocked(path).value_or(false) || isInProtectedFolder(path);
}

bool RVFileSystemUtil::isInProtectedFolder(const QString& path)
{
    const QStringList parts = path.split(QLatin1Char('/'));
    const qsizetype n = parts.size();
    if (n < 3 || parts[n - 2].compare(QLatin1String("RO"), Qt::CaseInsensitive) != 0)
        return false;
    // "Movie", or one folder a camera ("MOVIE_A" front, "MOVIE_B" rear).
    const QString& movies = parts[n - 3];
    return movies.startsWith(QLatin1String("Movie"), Qt::CaseInsensitive) &&
           (movies.size() == 5 || (movies.size() == 7 && movies[5] == QLatin1Char('_')));
}

bool RVFileSystemUtil::changeMutabilityOfVideoFiles(const RVVideoFileList& files, bool immutable)
{
    bool allDone = true;
    for (const RVVideoFilePtr& file : files) {
        if (!file)
            continue;
        bool anyLocked = false;
        for (const RVVideoView& view : file->views()) {
            const bool done = changeMutabilityOfFile(view.filePath, immutable);
            anyLocked = isFileLocked(view.filePath) || anyLocked;
            if (!done) {
                qWarning().noquote()
                    << QStringLiteral("Could not %1 %2")
                           .arg(immutable ? QStringLiteral("lock") : QStringLiteral("unlock"),
                                view.filePath);
                allDone = false;
            }
        }
        file->setLocked(anyLocked);
    }
    return allDone;
}

bool RVFileSystemUtil::removeFileAtPath(const QString& path)
{
    QString error;
    if (RVPlatformFile::remove(path, &error))
        return true;
    qWarning().noquote() << QStringLiteral("Could not delete %1: %2").arg(path, error);
    return false;
}

bool RVFileSystemUtil::fileExists(const QString& path)
{
    return RVPlatformFile::exists(path);
}
