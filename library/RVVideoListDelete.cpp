// Locking, unlocking and deleting recordings together with all their views and companion
// files. A companion file (a side file the readers used) may be shared: by the channels of
// one BlackVue recording, or by two Mini recordings whose numbers restarted in another
// folder. It is deleted only when no remaining recording uses it, and stays locked while a
// locked recording uses it.
#include "library/RVVideoList.h"

#include "library/RVFileSystemUtil.h"

#include <QMetaObject>
#include <QSet>

#include <algorithm>
#include <unordered_map>

namespace {

// The recording nodes behind a node: itself when it is a single recording, else its children.
RVVideoDataList recordingNodes(const RVVideoDataPtr& node)
{
    if (node->children().empty())
        return {node};
    return node->children();
}

QString parentFolder(const QString& path)
{
    return path.left(std::max<qsizetype>(0, path.lastIndexOf(QLatin1Char('/'))));
}

// The deepest folder holding both paths ("/CARD" for "/CARD/DCIM/100MEDIA/AMBA0001.MP4" and
// "/CARD/gps/gps0001.log").
QString commonFolder(const QString& a, const QString& b)
{
    QString folder = parentFolder(a);
    while (!folder.isEmpty() && !b.startsWith(folder + QLatin1Char('/')))
        folder = parentFolder(folder);
    return folder;
}

bool anyViewLockedOnDisk(const RVVideoFile& file)
{
    return std::any_of(file.views().begin(), file.views().end(), [](const RVVideoView& view) {
        return RVFileSystemUtil::isFileLocked(view.filePath);
    });
}

} // namespace

QSet<QString> RVVideoList::companionsOfOthers(const RVVideoDataList& recordings,
                                              const QSet<const RVVideoFile*>& excluded,
                                              bool lockedOnly)
{
    // Readers find companions by path arithmetic from the video, so a recording that shares
    // one lies below the folder the video and the companion have in common.
    QStringList scopes;
    for (const RVVideoDataPtr& recording : recordings) {
        if (recording->files().empty())
            continue;
        for (const QString& companion : recording->relatedFiles().value_or(QStringList())) {
            const QString scope = commonFolder(recording->files().front()->filePath(), companion);
            scopes.append(scope.isEmpty() ? QStringLiteral("/") : scope + QLatin1Char('/'));
        }
    }
    QSet<QString> used;
    if (scopes.isEmpty())
        return used;

    // The recordings of the list and the nodes that hold their metadata.
    std::vector<std::pair<RVVideoFilePtr, RVVideoDataPtr>> others;
    {
        std::lock_guard lock(m_lock);
        std::unordered_map<const RVVideoFile*, RVVideoDataPtr> leaves;
        for (const RVVideoDataPtr& top : *videosData()) {
            for (const RVVideoDataPtr& leaf : recordingNodes(top)) {
                if (!leaf->files().empty())
                    leaves[leaf->files().front().get()] = leaf;
            }
        }
        for (const RVVideoFilePtr& file : m_videoFiles) {
            if (excluded.contains(file.get()) || (lockedOnly && !file->locked()))
                continue;
            const bool inScope = std::any_of(scopes.begin(), scopes.end(), [&](const QString& s) {
                return file->filePath().startsWith(s);
            });
            if (!inScope)
                continue;
            const auto leaf = leaves.find(file.get());
            others.emplace_back(file, leaf == leaves.end() ? nullptr : leaf->second);
        }
    }
    for (auto& [file, node] : others) {
        if (!node) // not in the tree yet: a node of its own reads its metadata
            node = RVVideoData::create(file->fileName(), file->duration(), file->created(), {file},
                                       {});
        if (!node->relatedFiles())
            readSeries(node);
        for (const QString& companion : node->relatedFiles().value_or(QStringList()))
            used.insert(companion);
        for (const RVVideoView& view : file->views())
            used.insert(view.filePath);
    }
    return used;
}

bool RVVideoList::changeMutabilityOfVideoData(const RVVideoDataPtr& node, bool immutable)
{
    return lockOrUnlock(node, immutable).allChanged;
}

void RVVideoList::changeMutabilityOfVideoDataInBackground(
    const RVVideoDataPtr& node, bool immutable, std::function<void(const RVLockResult&)> done)
{
    startCommand([this, node, immutable, done = std::move(done)] {
        const RVLockResult result = lockOrUnlock(node, immutable);
        deliver([done, result] { done(result); });
    });
}

RVLockResult RVVideoList::lockOrUnlock(const RVVideoDataPtr& node, bool immutable)
{
    RVLockResult result;
    if (!node) {
        result.allChanged = true;
        return result;
    }
    // Never by a list of another card: its companions would be read from the new card too.
    result.changed = checkVideoData(node);
    if (result.changed.changed())
        return result;
    const RVVideoDataList recordings = recordingNodes(node);
    for (const RVVideoDataPtr& recording : recordings) {
        if (!recording->relatedFiles())
            readSeries(recording);
    }
    bool allDone = RVFileSystemUtil::changeMutabilityOfVideoFiles(node->files(), immutable);

    QSet<const RVVideoFile*> own;
    for (const RVVideoFilePtr& file : node->files())
        own.insert(file.get());
    const QSet<QString> keepLocked =
        immutable ? QSet<QString>() : companionsOfOthers(recordings, own, true);
    for (const RVVideoDataPtr& recording : recordings) {
        for (const QString& companion : recording->relatedFiles().value_or(QStringList())) {
            if (keepLocked.contains(companion) || !RVFileSystemUtil::fileExists(companion))
                continue;
            allDone = RVFileSystemUtil::changeMutabilityOfFile(companion, immutable) && allDone;
        }
    }
    result.allChanged = allDone;
    return result;
}

void RVVideoList::removeVideoDataAndFilesInBackground(
    const RVVideoDataPtr& node, std::function<void(const RVDeleteResult&)> done)
{
    startCommand([this, node, done = std::move(done)] {
        const RVDeleteResult result = removeVideoDataAndFiles(node);
        deliver([done, result] { done(result); });
    });
}

RVDeleteResult RVVideoList::removeVideoDataAndFiles(const RVVideoDataPtr& node)
{
    RVDeleteResult result;
    if (!node)
        return result;
    // Names prove nothing after a card swap: the same names on another card are other
    // recordings, and deleting by the old list would delete those.
    result.changed = checkVideoData(node);
    if (result.changed.changed())
        return result;

    // Companion files are known once a recording's metadata has been read; read those not
    // read yet, so that deleting early does not leave them behind on the card.
    const RVVideoDataList recordings = recordingNodes(node);
    for (const RVVideoDataPtr& recording : recordings) {
        if (!recording->relatedFiles())
            readSeries(recording);
    }

    // What a recording decided to stay (locked on disk) keeps its companions through the
    // scan below; only the recordings that will be deleted are excluded from it.
    QSet<const RVVideoFile*> leaving;
    for (const RVVideoDataPtr& recording : recordings) {
        if (recording->files().empty())
            continue;
        const RVVideoFilePtr& file = recording->files().front();
        // The flag on disk decides: Linux lets a folder's owner delete a read-only file, so a
        // locked recording is never handed to the delete call at all.
        const bool locked = anyViewLockedOnDisk(*file);
        file->setLocked(locked);
        if (locked)
            result.keptLocked.append(file->filePath());
        else
            leaving.insert(file.get());
    }
    const QSet<QString> stillUsed = companionsOfOthers(recordings, leaving, false);

    std::lock_guard lock(m_lock);
    QSet<const RVVideoFile*> deleted;
    QSet<QString> keep = stillUsed;
    for (const RVVideoDataPtr& recording : recordings) {
        if (recording->files().empty() || !leaving.contains(recording->files().front().get()))
            continue;
        const RVVideoFilePtr& file = recording->files().front();
        bool allViewsGone = true;
        for (const RVVideoView& view : file->views())
            allViewsGone = RVFileSystemUtil::removeFileAtPath(view.filePath) && allViewsGone;
        if (allViewsGone) {
            result.deleted.append(file->filePath());
            deleted.insert(file.get());
            continue;
        }
        // A recording that stays keeps what it uses.
        result.failed.append(file->filePath());
        for (const QString& companion : recording->relatedFiles().value_or(QStringList()))
            keep.insert(companion);
    }
    for (const RVVideoDataPtr& recording : recordings) {
        if (recording->files().empty() || !deleted.contains(recording->files().front().get()))
            continue;
        for (const QString& companion : recording->relatedFiles().value_or(QStringList())) {
            if (!keep.contains(companion))
                RVFileSystemUtil::removeFileAtPath(companion);
        }
    }
    std::erase_if(m_videoFiles, [&](const RVVideoFilePtr& f) { return deleted.contains(f.get()); });

    const bool allGone = result.keptLocked.isEmpty() && result.failed.isEmpty();
    if (!node->parent() && allGone) {
        // A top-level node leaves the list directly; its neighbours stay as they are. The
        // list may have been rebuilt since the node was handed out (a card check, a scan),
        // so what goes is every node of the deleted files, not only this very node.
        std::lock_guard publish(m_publishMutex);
        RVVideoDataList nodes = *m_videosData;
        std::erase_if(nodes, [&](const RVVideoDataPtr& shown) {
            return shown == node || (!shown->files().empty() &&
                                     std::all_of(shown->files().begin(), shown->files().end(),
                                                 [&](const RVVideoFilePtr& f) {
                                                     return deleted.contains(f.get());
                                                 }));
        });
        m_videosData = std::make_shared<const RVVideoDataList>(std::move(nodes));
    } else if (!deleted.isEmpty() || node->parent()) {
        // What is left of a trip (or the files kept back) is regrouped.
        rebuildLocked(false);
    }
    return result;
}
