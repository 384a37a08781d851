// The video list's life cycle, card handling, adding and removing files, and the background
// metadata scan that regroups the tree by GPS time.
#include "library/RVVideoList.h"

#include "core/platform/RVPlatformFile.h"
#include "library/RVFileSystemUtil.h"
#include "library/RVVolumeMonitor.h"
#include "metadata/RVCameraClock.h"

#include <QMetaMethod>
#include <QSet>

#include <algorithm>
#include <set>
#include <unordered_set>

RVVideoList::RVVideoList(std::unique_ptr<RVVolumeMonitor> monitor, RVMetaDataSource metaDataSource,
                         QObject* parent)
    : QObject(parent), m_monitor(std::move(monitor)), m_metaDataSource(std::move(metaDataSource)),
      m_videosData(std::make_shared<const RVVideoDataList>()),
      // Card scans wait on the disk and metadata reads mostly on the disk too; a few more
      // threads than cores keep a slow card from holding up the rest.
      m_pool(std::max(4, int(std::thread::hardware_concurrency())))
{
    if (m_monitor) {
        connect(m_monitor.get(), &RVVolumeMonitor::volumeMounted, this,
                &RVVideoList::deviceMounted);
        connect(m_monitor.get(), &RVVolumeMonitor::volumeUnmounted, this,
                &RVVideoList::deviceUnmounted);
    }
    // The first card check, exactly as a mount would start it.
    deviceMounted();
}

RVVideoList::~RVVideoList()
{
    m_shuttingDown = true;
    m_pool.waitForDone();
    if (m_monitor)
        m_monitor->disconnect(this);
}

void RVVideoList::start(std::function<void()> job)
{
    if (m_shuttingDown)
        return;
    m_pool.start(std::move(job));
}

void RVVideoList::startCommand(std::function<void()> job)
{
    std::uint64_t ticket = 0;
    {
        std::lock_guard lock(m_commandMutex);
        ticket = m_commandsGiven++;
    }
    // The pool takes jobs in the order queued, so the command whose turn it is has always
    // been taken by a thread already: waiting here cannot starve it.
    start([this, ticket, job = std::move(job)] {
        {
            std::unique_lock lock(m_commandMutex);
            m_commandTurn.wait(lock, [&] { return m_commandsDone == ticket; });
        }
        job();
        {
            std::lock_guard lock(m_commandMutex);
            ++m_commandsDone;
        }
        m_commandTurn.notify_all();
    });
}

void RVVideoList::deliver(std::function<void()> call)
{
    {
        std::lock_guard lock(m_deliveryMutex);
        m_deliveries.push_back(std::move(call));
    }
    static const QMetaMethod run =
        staticMetaObject.method(staticMetaObject.indexOfMethod("runDeliveries()"));
    run.invoke(this, Qt::QueuedConnection);
}

void RVVideoList::runDeliveries()
{
    std::vector<std::function<void()>> due;
    {
        std::lock_guard lock(m_deliveryMutex);
        due.swap(m_deliveries);
    }
    for (const std::function<void()>& call : due)
        call();
}

void RVVideoList::waitForIdle()
{
    m_pool.waitForDone();
}

std::shared_ptr<const RVVideoDataList> RVVideoList::videosData() const
{
    std::lock_guard lock(m_publishMutex);
    return m_videosData;
}

RVSeries RVVideoList::publishedSeries() const
{
    std::lock_guard lock(m_publishMutex);
    return m_publishedSeries;
}

RVVideoFileList RVVideoList::videoFiles() const
{
    std::lock_guard lock(m_lock);
    return m_videoFiles;
}

QStringList RVVideoList::mountedVolumes() const
{
    std::lock_guard lock(m_lock);
    return m_mountedVolumes;
}

void RVVideoList::deviceMounted()
{
    start([this] { addMountedFiles(); });
}

void RVVideoList::deviceUnmounted()
{
    start([this] { removeUnmountedFiles(); });
}

void RVVideoList::addMountedFiles()
{
    if (!m_monitor)
        return;
    // Claim the new cards under the lock, read them without it (a card holds hundreds of
    // recordings and the GUI thread takes the lock for its commands), then merge what was
    // found for the cards that are still mounted.
    QStringList claimed;
    {
        std::lock_guard lock(m_lock);
        for (const QString& card : RVFileSystemUtil::getDashcamFlashDrives(*m_monitor)) {
            if (!m_mountedVolumes.contains(card)) {
                m_mountedVolumes.append(card);
                claimed.append(card);
            }
        }
    }
    std::vector<RVVideoFileList> found(std::size_t(claimed.size()));
    for (qsizetype i = 0; i < claimed.size() && !m_shuttingDown; ++i)
        collectCard(claimed[i], found[std::size_t(i)]);
    if (m_shuttingDown)
        return;
    {
        std::lock_guard lock(m_lock);
        for (qsizetype i = 0; i < claimed.size(); ++i) {
            // A card unmounted while it was read has been dropped already.
            if (m_mountedVolumes.contains(claimed[i]))
                appendNewLocked(found[std::size_t(i)]);
        }
        rebuildLocked(true);
    }
    Q_EMIT videoListUpdated();
}

void RVVideoList::collectCard(const QString& mountPath, RVVideoFileList& found)
{
    for (const QString& folder : RVFileSystemUtil::cardRecordingFolders(mountPath))
        RVFileSystemUtil::scanVideoFilesFrom(folder, found, &m_shuttingDown);
}

void RVVideoList::appendNewLocked(const RVVideoFileList& found)
{
    // A file already listed, reached again through another path (a folder added twice or
    // with its parent, a link, the same card below two folders), or a copy of a recording
    // listed from elsewhere (a card and its backup), would play the same minutes twice.
    std::set<RVFileId> ids;
    QSet<QString> paths;
    QSet<QString> copies;
    // Paths are compared resolved ("a/../b", links) only where no file identity is at hand:
    // resolving asks the file system, and the list lock is held.
    const auto canonical = [](const RVVideoFile& file, const QString& path) {
        return file.fileIds().empty() ? RVPlatformFile::canonicalPath(path).value_or(path) : path;
    };
    const auto remember = [&](const RVVideoFile& file) {
        ids.insert(file.fileIds().begin(), file.fileIds().end());
        for (const RVVideoView& view : file.views())
            paths.insert(canonical(file, view.filePath));
        for (const QString& key : file.copyKeys())
            copies.insert(key);
    };
    const auto known = [&](const RVVideoFile& file) {
        const QStringList keys = file.copyKeys();
        return std::any_of(file.fileIds().begin(), file.fileIds().end(),
                           [&](const RVFileId& id) { return ids.contains(id); }) ||
               std::any_of(file.views().begin(), file.views().end(),
                           [&](const RVVideoView& view) {
                               return paths.contains(canonical(file, view.filePath));
                           }) ||
               std::any_of(keys.begin(), keys.end(),
                           [&](const QString& key) { return copies.contains(key); });
    };
    for (const RVVideoFilePtr& file : m_videoFiles)
        remember(*file);
    for (const RVVideoFilePtr& file : found) {
        if (!file || known(*file))
            continue;
        remember(*file);
        m_videoFiles.push_back(file);
    }
}

void RVVideoList::removeUnmountedFiles()
{
    if (!m_monitor)
        return;
    {
        std::lock_guard lock(m_lock);
        const QStringList present = m_monitor->removableMountPaths();
        QStringList gone;
        for (const QString& volume : std::as_const(m_mountedVolumes)) {
            if (!present.contains(volume))
                gone.append(volume);
        }
        for (const QString& volume : gone) {
            m_mountedVolumes.removeAll(volume);
            const QString prefix = volume.endsWith(QLatin1Char('/')) ? volume : volume + '/';
            std::erase_if(m_videoFiles, [&](const RVVideoFilePtr& file) {
                return file->filePath().startsWith(prefix);
            });
        }
        if (!gone.isEmpty())
            rebuildLocked(false);
    }
    Q_EMIT videoListUpdated();
}

void RVVideoList::addVideoFilesFrom(const QString& path)
{
    addVideoFilesFrom(QStringList{path});
}

void RVVideoList::addVideoFilesFrom(const QStringList& paths)
{
    start([this, paths] { collectAndAdd(paths); });
}

void RVVideoList::collectAndAdd(const QStringList& paths)
{
    RVVideoFileList found;
    QStringList empty;
    for (const QString& path : paths) {
        if (m_shuttingDown)
            return;
        const std::size_t before = found.size();
        RVFileSystemUtil::scanVideoFilesFrom(path, found, &m_shuttingDown);
        if (found.size() == before)
            empty.append(path);
    }
    if (m_shuttingDown)
        return;
    if (!empty.isEmpty())
        Q_EMIT noRecordingsFoundIn(empty);
    {
        std::lock_guard lock(m_lock);
        const QSet<QString> holdsNone(empty.begin(), empty.end());
        for (const QString& path : paths) {
            if (!holdsNone.contains(path))
                m_addedPaths.insert(path);
        }
        appendNewLocked(found);
        rebuildLocked(true);
    }
    Q_EMIT videoListUpdated();
}

void RVVideoList::removeVideoData(const RVVideoDataPtr& node)
{
    if (!node)
        return;
    std::lock_guard lock(m_lock);
    for (const RVVideoFilePtr& file : node->files()) {
        // Only this node's records: the same path added twice is two records.
        const auto found = std::find(m_videoFiles.begin(), m_videoFiles.end(), file);
        if (found != m_videoFiles.end())
            m_videoFiles.erase(found);
    }
    rebuildLocked(false);
}

void RVVideoList::cameraClockChanged()
{
    start([this] {
        {
            std::lock_guard lock(m_lock);
            for (const RVVideoFilePtr& file : m_videoFiles) {
                if (file->timeSource() != RVTimeSource::Name)
                    continue;
                // A name read by the new rule; dates from a fix follow with the metadata read
                // below, which reads camera-clock records by the new rule too.
                const RVTimestamp start = RVCameraClock::startFromName(file->filePath());
                if (start.isValid())
                    file->setCreated(start);
            }
            rebuildLocked(true);
        }
        Q_EMIT videoListUpdated();
    });
}

void RVVideoList::tripShapesChanged()
{
    start([this] {
        {
            // Under the list lock, as a scan regroups the same recordings when it ends.
            std::lock_guard lock(m_lock);
            std::lock_guard publish(m_publishMutex);
            RVVideoDataList recordings;
            for (const RVVideoDataPtr& node : *m_videosData) {
                if (node->isTrip())
                    recordings.insert(recordings.end(), node->children().begin(),
                                      node->children().end());
                else
                    recordings.push_back(node);
            }
            stableSortNodes(recordings, m_sortDescriptors);
            m_videosData = std::make_shared<const RVVideoDataList>(groupVideoDatas(recordings));
        }
        Q_EMIT videoListUpdated();
    });
}

void RVVideoList::sortVideoList(const std::vector<RVSortKey>& sortKeys)
{
    std::lock_guard lock(m_publishMutex);
    RVVideoDataList nodes = *m_videosData;
    stableSortNodes(nodes, sortKeys);
    m_videosData = std::make_shared<const RVVideoDataList>(std::move(nodes));
}

void RVVideoList::rebuildLocked(bool sort)
{
    if (sort)
        stableSortFiles(m_videoFiles);
    RVVideoDataList singles = wrapFilesWithVideoData(m_videoFiles);
    RVVideoDataList tree = groupVideoDatas(singles);
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(m_publishMutex);
        m_videosData = std::make_shared<const RVVideoDataList>(std::move(tree));
        generation = ++m_generation;
    }
    start([this, singles = std::move(singles), generation]() mutable {
        scanMetaInfo(std::move(singles), generation);
    });
}

void RVVideoList::scanMetaInfo(RVVideoDataList nodes, std::uint64_t generation)
{
    const auto overtaken = [&] {
        std::lock_guard lock(m_publishMutex);
        return m_generation != generation;
    };
    const int total = int(nodes.size());
    for (int i = 0; i < total; ++i) {
        if (m_shuttingDown || overtaken())
            return;
        readGpsInfo(nodes[std::size_t(i)], false);
        Q_EMIT metaScanProgress(i + 1, total);
    }
    stableSortNodes(nodes, m_sortDescriptors);
    {
        std::lock_guard lock(m_lock);
        // Recordings deleted while the scan ran must not come back with its tree.
        std::unordered_set<const RVVideoFile*> present;
        for (const RVVideoFilePtr& file : m_videoFiles)
            present.insert(file.get());
        std::erase_if(nodes, [&](const RVVideoDataPtr& node) {
            return node->files().empty() || !present.contains(node->files().front().get());
        });
        std::lock_guard publish(m_publishMutex);
        if (m_generation != generation)
            return;
        m_videosData = std::make_shared<const RVVideoDataList>(groupVideoDatas(nodes));
    }
    Q_EMIT videoListUpdated();
}
