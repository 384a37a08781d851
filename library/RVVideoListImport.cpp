// Tracks of other devices imported for the library's recordings.
#include "library/RVVideoList.h"

#include "library/RVTrackImports.h"

#include <QFileInfo>

#include <map>

namespace {

// The recording files of the nodes (a trip's every recording), in order.
RVVideoFileList filesOf(const RVVideoDataList& nodes)
{
    RVVideoFileList files;
    for (const RVVideoDataPtr& node : nodes) {
        if (node)
            files.insert(files.end(), node->files().begin(), node->files().end());
    }
    return files;
}

// The files grouped by their card folder, each with its path below the folder.
std::map<QString, std::vector<std::pair<RVVideoFilePtr, QString>>>
byCard(const RVVideoFileList& files)
{
    std::map<QString, std::vector<std::pair<RVVideoFilePtr, QString>>> cards;
    for (const RVVideoFilePtr& file : files) {
        const QString folder = RVTrackImports::cardFolderOf(*file);
        cards[folder].emplace_back(file, file->filePath().mid(folder.size() + 1));
    }
    return cards;
}

// Whether any fix lies within the recording's time.
bool covers(const std::vector<RVTrackFix>& fixes, const RVVideoFile& file)
{
    return !matchTrackToRecording(fixes, file.created(), file.knownDuration()).points.empty();
}

} // namespace

RVImportResult RVVideoList::importTrack(const QString& trackPath, const RVVideoDataList& nodes,
                                        bool wholeCards, RVImportPreference preference)
{
    RVImportResult result;
    result.reading = RVTrackFiles::readTrackFile(trackPath);
    if (!result.reading.ok())
        return result;
    const auto cards = byCard(filesOf(nodes));
    const RVVideoFileList listed = videoFiles();
    for (const auto& [folder, files] : cards) {
        RVTrackImport import;
        import.source = QFileInfo(trackPath).fileName();
        import.preference = preference;
        import.fixes = result.reading.fixes;
        if (!wholeCards) {
            for (const auto& [file, relative] : files) {
                import.recordings.append(relative);
                result.matchedRecordings += covers(import.fixes, *file) ? 1 : 0;
            }
        } else {
            for (const RVVideoFilePtr& file : listed) {
                if (RVTrackImports::cardFolderOf(*file) == folder)
                    result.matchedRecordings += covers(import.fixes, *file) ? 1 : 0;
            }
        }
        QString error;
        if (!RVTrackImports::add(folder, std::move(import), &error)) {
            result.storeError = error;
            break;
        }
        ++result.cards;
    }
    if (result.cards > 0)
        rebuildForImports();
    return result;
}

std::optional<int> RVVideoList::removeImportedTracks(const RVVideoDataList& nodes, bool wholeCards,
                                                     QString* error)
{
    int removed = 0;
    for (const auto& [folder, files] : byCard(filesOf(nodes))) {
        QStringList paths;
        if (!wholeCards) {
            for (const auto& entry : files)
                paths.append(entry.second);
        }
        const std::optional<int> count = RVTrackImports::remove(folder, paths, error);
        if (!count) {
            if (removed > 0)
                rebuildForImports();
            return std::nullopt;
        }
        removed += *count;
    }
    if (removed > 0)
        rebuildForImports();
    return removed;
}

void RVVideoList::importTrackInBackground(const QString& trackPath, const RVVideoDataList& nodes,
                                          bool wholeCards, RVImportPreference preference,
                                          std::function<void(const RVImportResult&)> done)
{
    startCommand([this, trackPath, nodes, wholeCards, preference, done = std::move(done)] {
        const RVImportResult result = importTrack(trackPath, nodes, wholeCards, preference);
        deliver([done, result] { done(result); });
    });
}

void RVVideoList::removeImportedTracksInBackground(
    const RVVideoDataList& nodes, bool wholeCards,
    std::function<void(std::optional<int> removed, const QString& error)> done)
{
    startCommand([this, nodes, wholeCards, done = std::move(done)] {
        QString error;
        const std::optional<int> removed = removeImportedTracks(nodes, wholeCards, &error);
        deliver([done, removed, error] { done(removed, error); });
    });
}

void RVVideoList::rebuildForImports()
{
    {
        std::lock_guard lock(m_lock);
        rebuildLocked(false);
    }
    Q_EMIT videoListUpdated();
}
