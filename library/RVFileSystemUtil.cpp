#include "library/RVFileSystemUtil.h"

#include "library/RVAVUtil.h"
#include "library/RVVolumeMonitor.h"
#include "library/platform/RVPlatformFile.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <limits>
#include <set>
#include <thread>
#include <utility>

namespace {

using DirectoryId = std::pair<std::uint64_t, std::uint64_t>; // device, inode

constexpr float kNotMeasured = std::numeric_limits<float>::quiet_NaN();
constexpr std::ptrdiff_t kFilesPerThread = 16;
const std::ptrdiff_t kMaxThreads = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));

void walk(const QString& path, RVVideoFileList& files, std::set<DirectoryId>& visited)
{
    const RVPlatformFile::Info info = RVPlatformFile::stat(path);
    switch (info.kind) {
    case RVPlatformFile::Kind::Missing:
    case RVPlatformFile::Kind::Other: // devices and pipes: opening them could block forever
        return;
    case RVPlatformFile::Kind::Directory: {
        if (!visited.insert({info.device, info.inode}).second)
            return;
        const std::optional<QStringList> names = RVPlatformFile::listDirectory(path);
        if (!names)
            return;
        const QString prefix = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
        for (const QString& name : *names)
            walk(prefix + name, files, visited);
        return;
    }
    case RVPlatformFile::Kind::Regular:
        break;
    }
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (!RVFileSystemUtil::isVideoFileName(path.mid(slash + 1)))
        return;
    files.push_back(std::make_shared<RVVideoFile>(path, kNotMeasured, info.created, info.locked));
}

// Reading a header costs a few hundred microseconds of CPU once the card is in the page
// cache, so a card of a thousand recordings is measured on several threads.
void measureDurations(RVVideoFileList::iterator begin, RVVideoFileList::iterator end)
{
    const std::ptrdiff_t count = end - begin;
    const auto measure = [&](std::atomic<std::ptrdiff_t>& next) {
        for (std::ptrdiff_t i = next++; i < count; i = next++)
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

void RVFileSystemUtil::scanVideoFilesFrom(const QString& path, RVVideoFileList& files)
{
    if (path.isEmpty())
        return;
    QString start = path;
    while (start.size() > 1 && start.endsWith(QLatin1Char('/')))
        start.chop(1);
    std::set<DirectoryId> visited;
    const std::size_t first = files.size();
    walk(start, files, visited);
    measureDurations(files.begin() + std::ptrdiff_t(first), files.end());
}

void RVFileSystemUtil::scanVideoFilesFrom(const QUrl& url, RVVideoFileList& files)
{
    if (url.isLocalFile())
        scanVideoFilesFrom(url.toLocalFile(), files);
}

bool RVFileSystemUtil::isVideoFileName(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QStringView extension = QStringView(fileName).mid(dot + 1);
    return extension.compare(QLatin1String("mov"), Qt::CaseInsensitive) == 0 ||
           extension.compare(QLatin1String("mp4"), Qt::CaseInsensitive) == 0;
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
        if (isDashcamVolumeName(lastPathComponent(mountPath)))
            cards.append(mountPath);
    }
    return cards;
}

bool RVFileSystemUtil::isDashcamVolumeName(const QString& volumeName)
{
    static const QRegularExpression pattern(QStringLiteral("G\\d"));
    return pattern.match(volumeName).hasMatch();
}

bool RVFileSystemUtil::changeMutabilityOfFile(const QString& path, bool immutable)
{
    RVPlatformFile::setLocked(path, immutable);
    return RVPlatformFile::isLocked(path) == std::optional<bool>(immutable);
}

bool RVFileSystemUtil::isFileLocked(const QString& path)
{
    return RVPlatformFile::isLocked(path).value_or(false);
}

bool RVFileSystemUtil::changeMutabilityOfVideoFiles(const RVVideoFileList& files, bool immutable)
{
    bool allDone = true;
    for (const RVVideoFilePtr& file : files) {
        if (!file)
            continue;
        const bool done = changeMutabilityOfFile(file->filePath(), immutable);
        file->setLocked(isFileLocked(file->filePath()));
        if (!done) {
            qWarning().noquote() << QStringLiteral("Could not %1 %2")
                                        .arg(immutable ? QStringLiteral("lock")
                                                       : QStringLiteral("unlock"),
                                             file->filePath());
            allDone = false;
        }
    }
    return allDone;
}

bool RVFileSystemUtil::copyFileAtPath(const QString& sourcePath, const QString& destinationPath)
{
    QFile source(sourcePath);
    if (source.copy(destinationPath))
        return true;
    qWarning().noquote() << QStringLiteral("Copying %1 to %2 failed: %3")
                                .arg(sourcePath, destinationPath, source.errorString());
    return false;
}

bool RVFileSystemUtil::removeFileAtPath(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        QDir().rmdir(path);
    else
        QFile::remove(path);
    return !fileExists(path);
}

bool RVFileSystemUtil::fileExists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}
