// Noticing that the files behind the list changed: another card put in at the same mount path,
// or an added folder replaced by another. Commands that act on recordings (lock, unlock,
// delete, play) check their node first; a changed card is read again and never acted on with
// the old list.
#include "library/RVVideoList.h"

#include "library/RVFileSystemUtil.h"

#include <QDebug>
#include <QMetaObject>
#include <QSet>

#include <algorithm>

namespace {

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

bool isBelow(const QString& path, const QString& root)
{
    const QString folder = withoutTrailingSlash(root);
    return path == folder ||
           path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

} // namespace

RVListedCheck RVVideoList::checkVideoData(const RVVideoDataPtr& node)
{
    if (!node)
        return {};
    for (const RVVideoFilePtr& file : node->files()) {
        const RVListedCheck check = checkListedRecording(*file);
        if (!check.changed())
            continue;
        qWarning().noquote() << QStringLiteral("Reading again what holds %1: %2")
                                    .arg(node->name(), check.description());
        rescanHolders(node);
        return check;
    }
    return {};
}

void RVVideoList::checkVideoDataInBackground(const RVVideoDataPtr& node,
                                             std::function<void(const RVListedCheck&)> done)
{
    start([this, node, done = std::move(done)] {
        const RVListedCheck check = checkVideoData(node);
        deliver([done, check] { done(check); });
    });
}

void RVVideoList::rescanHolders(const RVVideoDataPtr& node)
{
    // What holds each recording: the card it lies on, else the file or folder it was added
    // by, else (neither is known any more) its own views.
    QStringList cards;
    QStringList folders;
    QStringList loose;
    {
        std::lock_guard lock(m_lock);
        for (const RVVideoFilePtr& file : node->files()) {
            const auto holds = [&](const QString& root) { return isBelow(file->filePath(), root); };
            const auto card = std::find_if(m_mountedVolumes.begin(), m_mountedVolumes.end(), holds);
            if (card != m_mountedVolumes.end()) {
                if (!cards.contains(*card))
                    cards.append(*card);
                continue;
            }
            const auto added = std::find_if(m_addedPaths.begin(), m_addedPaths.end(), holds);
            if (added != m_addedPaths.end()) {
                if (!folders.contains(*added))
                    folders.append(*added);
                continue;
            }
            for (const RVVideoView& view : file->views())
                loose.append(view.filePath);
        }
    }

    // Read without the lock: the GUI thread takes it for its commands.
    RVVideoFileList found;
    for (const QString& card : std::as_const(cards))
        collectCard(card, found);
    for (const QString& path : folders + loose)
        RVFileSystemUtil::scanVideoFilesFrom(path, found, &m_shuttingDown);
    if (m_shuttingDown)
        return;

    {
        std::lock_guard lock(m_lock);
        QSet<const RVVideoFile*> own;
        for (const RVVideoFilePtr& file : node->files())
            own.insert(file.get());
        const QStringList roots = cards + folders;
        std::erase_if(m_videoFiles, [&](const RVVideoFilePtr& file) {
            return own.contains(file.get()) ||
                   std::any_of(roots.begin(), roots.end(), [&](const QString& root) {
                       return isBelow(file->filePath(), root);
                   });
        });
        // A card taken out while it was read has been dropped by now and stays so.
        std::erase_if(found, [&](const RVVideoFilePtr& file) {
            return std::any_of(cards.begin(), cards.end(), [&](const QString& card) {
                return !m_mountedVolumes.contains(card) && isBelow(file->filePath(), card);
            });
        });
        appendNewLocked(found);
        rebuildLocked(true);
    }
    Q_EMIT videoListUpdated();
}
