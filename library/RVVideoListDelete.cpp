// Deleting recordings together with their companion files.
#include "library/RVVideoList.h"

#include "library/RVFileSystemUtil.h"

#include <QSet>

#include <algorithm>

namespace {

// The recording nodes behind a node: itself when it is a single recording, else its children.
RVVideoDataList recordingNodes(const RVVideoDataPtr& node)
{
    if (node->children().empty())
        return {node};
    return node->children();
}

} // namespace

RVDeleteResult RVVideoList::removeVideoDataAndFiles(const RVVideoDataPtr& node)
{
    RVDeleteResult result;
    if (!node)
        return result;

    // Companion files are known once a recording's metadata has been read; read those not
    // read yet, so that deleting early does not leave them behind on the card.
    const RVVideoDataList recordings = recordingNodes(node);
    for (const RVVideoDataPtr& recording : recordings) {
        if (!recording->relatedFiles())
            readGpsInfo(recording, false);
    }

    std::lock_guard lock(m_lock);
    QSet<const RVVideoFile*> deleted;
    for (const RVVideoDataPtr& recording : recordings) {
        if (recording->files().empty())
            continue;
        const RVVideoFilePtr& file = recording->files().front();
        // The flag on disk decides: Linux lets a folder's owner delete a read-only file, so a
        // locked recording is never handed to the delete call at all.
        const bool locked = RVFileSystemUtil::isFileLocked(file->filePath());
        file->setLocked(locked);
        if (locked) {
            result.keptLocked.append(file->filePath());
            continue;
        }
        if (!RVFileSystemUtil::removeFileAtPath(file->filePath())) {
            result.failed.append(file->filePath());
            continue;
        }
        result.deleted.append(file->filePath());
        deleted.insert(file.get());
        // A companion is never one of the recordings that stay.
        for (const QString& companion : recording->relatedFiles().value_or(QStringList())) {
            const bool isKeptRecording =
                std::any_of(m_videoFiles.begin(), m_videoFiles.end(), [&](const auto& other) {
                    return other->filePath() == companion && !deleted.contains(other.get());
                });
            if (!isKeptRecording)
                RVFileSystemUtil::removeFileAtPath(companion);
        }
    }
    std::erase_if(m_videoFiles, [&](const RVVideoFilePtr& f) { return deleted.contains(f.get()); });

    const bool allGone = result.keptLocked.isEmpty() && result.failed.isEmpty();
    if (!node->parent() && allGone) {
        // A top-level node leaves the list directly; its neighbours stay as they are.
        std::lock_guard publish(m_publishMutex);
        RVVideoDataList nodes = *m_videosData;
        std::erase(nodes, node);
        m_videosData = std::make_shared<const RVVideoDataList>(std::move(nodes));
    } else if (!deleted.isEmpty() || node->parent()) {
        // What is left of a trip (or the files kept back) is regrouped.
        rebuildLocked(false);
    }
    return result;
}
