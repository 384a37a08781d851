#pragma once

#include "library/RVEventDetector.h"
#include "library/RVListedCheck.h"
#include "library/RVTrackImport.h"
#include "library/RVVideoData.h"
#include "library/RVWorkerPool.h"
#include "metadata/RVMetaData.h"

#include <QObject>
#include <QSet>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class RVVolumeMonitor;

// A sort key of the library: the field compared and the direction.
struct RVSortKey final
{
    enum class Field
    {
        Name,
        Duration,
        Created
    };
    Field field = Field::Created;
    bool ascending = true;
};

// What a delete did with each recording file of the node.
struct RVDeleteResult final
{
    QStringList deleted;    // gone from disk and from the library
    QStringList keptLocked; // locked: left on disk and in the library
    QStringList failed;     // could not be deleted: left on disk and in the library
    // Set when the node's files were no longer the ones listed (another card at the same
    // path): nothing was deleted, and what holds them is being read again.
    RVListedCheck changed;
};

// What a lock or unlock did.
struct RVLockResult final
{
    bool allChanged = false; // every file now reads as asked
    // Set when the node's files were no longer the ones listed: nothing was changed, and what
    // holds them is being read again.
    RVListedCheck changed;
};

// One recording's metadata as read: nothing when no reader recognises it, or, with readError
// set, when its data could not be read (an I/O error, a file over its limit).
struct RVMetaDataReading final
{
    RVMetaDataReading(std::optional<RVMetaData> data = std::nullopt) : metaData(std::move(data)) {}
    std::optional<RVMetaData> metaData;
    QString readError;
    // Without metadata: the most telling reason a reader gave (encrypted, an unknown layout,
    // no fix yet), or "not mine" when no reader knew the recording.
    RVDecline decline;
};

// What importing a track did.
struct RVImportResult final
{
    RVTrackFileReading reading; // the file as read (its error says why it gave no fixes)
    QString storeError;         // set when the import could not be remembered
    int cards = 0;              // cards the track was imported for
    int matchedRecordings = 0;  // recordings of the import whose time the track covers

    bool ok() const { return reading.ok() && storeError.isEmpty(); }
};

// Reads one recording's metadata.
using RVMetaDataSource = std::function<RVMetaDataReading(const QString& videoPath)>;

// The library model behind the file list. It keeps every known recording in a flat list,
// follows camera cards as they come and go, builds the two-level tree of single recordings and
// trips (consecutive recordings less than 60 s apart), reads every recording's metadata in the
// background and regroups by GPS time when that is done. What plays is the player's business
// (RVTripPlayback): the list only hands out the nodes.
//
// Threads: create and use it on the GUI thread. Card handling, adding files, metadata scans
// and background reads run on a pool the list owns and joins when it is destroyed. The flat
// list and the mounted cards are guarded by the list lock (recursive); the tree and the
// published series are replaced in one step, so a reader sees the old or the new, never a
// half-built one. Only the scan of the newest tree may replace the tree: a scan overtaken by a
// later change stops early and publishes nothing.
class RVVideoList final : public QObject
{
    Q_OBJECT

public:
    // Watches the platform's removable media and reads metadata through RVGpsProcessor.
    explicit RVVideoList(QObject* parent = nullptr);
    RVVideoList(std::unique_ptr<RVVolumeMonitor> monitor, RVMetaDataSource metaDataSource,
                QObject* parent = nullptr);
    ~RVVideoList() override;

    // The metadata layer's dispatcher (RVGpsProcessor), as the default list reads metadata.
    static RVMetaDataSource defaultMetaDataSource();

    // The top-level nodes, oldest first after every regrouping. Never null.
    std::shared_ptr<const RVVideoDataList> videosData() const;
    // The series of the node published last (null before the first publication).
    RVSeries publishedSeries() const;
    RVPointSeries points() const { return publishedSeries().points; }
    RVSensorSeries gSensorData() const { return publishedSeries().gSensorData; }
    RVVelocitySeries velocityData() const { return publishedSeries().velocityData; }
    RVVideoFileList videoFiles() const;
    QStringList mountedVolumes() const;

    // Collects the recordings below the file or folder in the background, then sorts, rebuilds
    // the tree, emits videoListUpdated and scans the new nodes' metadata.
    void addVideoFilesFrom(const QString& path);
    // The same for several files and folders at once, with one rebuild for all.
    void addVideoFilesFrom(const QStringList& paths);
    // Takes the node's files out of the library (the files stay on disk) and rebuilds.
    void removeVideoData(const RVVideoDataPtr& node);
    // Deletes the node's recordings and their companion files from disk and the library.
    // Locked recordings, and any that could not be deleted, stay on disk and in the library,
    // and so do their companion files. A top-level node whose files are all gone leaves the
    // list directly; otherwise the tree is rebuilt from the remaining files.
    RVDeleteResult removeVideoDataAndFiles(const RVVideoDataPtr& node);
    // The same on the list's pool, so the caller never waits on the card (finding the side
    // files a recording shares may read every other recording's metadata); done is then
    // called with the result on the list's own thread, unless the list is destroyed first.
    void removeVideoDataAndFilesInBackground(const RVVideoDataPtr& node,
                                             std::function<void(const RVDeleteResult&)> done);
    // Orders the top-level nodes by the keys until the next regrouping.
    void sortVideoList(const std::vector<RVSortKey>& sortKeys);

    // The camera clock rules changed (RVCameraClock, a correction the user applied): the
    // recordings dated by their names take the new rule at once, and the tree is rebuilt and
    // its metadata read again (record times may follow the camera's clock), so the list, the
    // trips and the tracks show the corrected times without a restart. Returns at once; the
    // work runs on the list's pool and ends with videoListUpdated like any rebuild.
    void cameraClockChanged();

    // Trips were split or joined (RVTripShapes): the tree is regrouped from the recordings
    // already read, without reading them again. Returns at once; ends with videoListUpdated.
    void tripShapesChanged();
    // Imports the track file of another device (GPX, KML, NMEA) for the nodes' recordings,
    // or with wholeCards for every recording of the cards they lie on, and remembers it per
    // card (RVTrackImports). Recordings the track covers show it where the preference lets
    // them; the tree is rebuilt and read again as after a clock change. Blocks: reads the file.
    RVImportResult importTrack(const QString& trackPath, const RVVideoDataList& nodes,
                               bool wholeCards, RVImportPreference preference);
    // Forgets the import each of the nodes' recordings shows (wholeCards: every import of
    // their cards), so they show their cameras' own data again. The number of imports removed, or
    // nothing with *error set.
    std::optional<int> removeImportedTracks(const RVVideoDataList& nodes, bool wholeCards,
                                            QString* error = nullptr);
    // The two on the list's pool; done is called with the result on the list's own thread.
    void importTrackInBackground(const QString& trackPath, const RVVideoDataList& nodes,
                                 bool wholeCards, RVImportPreference preference,
                                 std::function<void(const RVImportResult&)> done);
    void removeImportedTracksInBackground(
        const RVVideoDataList& nodes, bool wholeCards,
        std::function<void(std::optional<int> removed, const QString& error)> done);

    // Card handling, normally driven by the volume monitor.
    void addMountedFiles();
    void removeUnmountedFiles();

    // Tree building. One single-recording node per file, in the given order.
    static RVVideoDataList wrapFilesWithVideoData(const RVVideoFileList& files);
    // Groups single-recording nodes, in the order given, into trips by the 60-second rule.
    static RVVideoDataList groupVideoDatas(const RVVideoDataList& nodes);
    // "FILE0001-5" for FILE0001.MOV ... FILE0005.MOV; a lone node's file name.
    static QString getVideoDataTripNameByFiles(const RVVideoDataList& nodes);

    // Locks or unlocks every view of the node's recordings and the companion files they
    // share; unlocking leaves a companion locked while another locked recording uses it.
    // Each record takes the state read back from its files. True when all changed; false,
    // changing nothing, when the files are no longer the ones listed (see checkVideoData).
    bool changeMutabilityOfVideoData(const RVVideoDataPtr& node, bool immutable);
    // The same with the reason, on the list's pool; done is called on the list's own thread.
    void changeMutabilityOfVideoDataInBackground(const RVVideoDataPtr& node, bool immutable,
                                                 std::function<void(const RVLockResult&)> done);

    // Whether the node's files are still the ones listed (RVListedCheck). When one is not, the
    // card or added folder that holds it is read again (the stale records are replaced, the
    // tree rebuilt and videoListUpdated emitted) before this returns. Asks the card: call it
    // off the GUI thread. Lock, unlock and delete check this themselves.
    RVListedCheck checkVideoData(const RVVideoDataPtr& node);
    // The same on the list's pool; done is called with the result on the list's own thread
    // (the window checks a node so before it plays it).
    void checkVideoDataInBackground(const RVVideoDataPtr& node,
                                    std::function<void(const RVListedCheck&)> done);

    // Reads the node's series once (a trip joins its children's, reading those not read yet)
    // and, with publish, makes them the published series and queues metaInfoUpdated. Blocks:
    // call it off the GUI thread. A read of a node already being read waits for that read.
    void readGpsInfo(const RVVideoDataPtr& node, bool publish = true);
    // The same on the list's pool; returns at once.
    void readGpsInfoInBackground(const RVVideoDataPtr& node, bool publish = true);

    // How strong a moment must be to count as an event (the stored settings when the list was
    // made).
    RVEventThresholds eventThresholds() const { return m_eventThresholds; }

    // Waits until no background work is left (command-line tools and tests).
    void waitForIdle();

Q_SIGNALS:
    // The top-level list has been replaced. Emitted from a pool thread: connect with the
    // default connection so that receivers on the GUI thread get it queued.
    void videoListUpdated();
    // The published series have changed. Emitted on the list's own thread, queued.
    void metaInfoUpdated();
    // Progress of a metadata scan: `done` of `total` recordings read. From a pool thread.
    void metaScanProgress(int done, int total);
    // Files and folders given to addVideoFilesFrom that hold no recording. From a pool thread.
    void noRecordingsFoundIn(const QStringList& paths);

private:
    void deviceMounted();
    void deviceUnmounted();
    void start(std::function<void()> job);
    // Lock, unlock and delete given in the background run one at a time in the order given,
    // so a delete right after a lock sees the lock.
    void startCommand(std::function<void()> job);
    // Runs `call` on the list's thread. Pool threads hand results over this way: the call is
    // queued under a lock ThreadSanitizer sees, and built, run and freed without a slot object
    // that Qt might free on the pool thread after the list's thread has read it.
    void deliver(std::function<void()> call);
    Q_INVOKABLE void runDeliveries();
    void collectAndAdd(const QStringList& paths);
    void collectCard(const QString& mountPath, RVVideoFileList& found);
    // Reads again the cards and added folders that hold the node's recordings, replacing what
    // was listed from them, and rebuilds.
    void rescanHolders(const RVVideoDataPtr& node);
    // Rebuilds the tree and reads its metadata again, as the imported tracks changed.
    void rebuildForImports();
    RVLockResult lockOrUnlock(const RVVideoDataPtr& node, bool immutable);
    // Appends the records whose files are not listed yet. Caller holds m_lock.
    void appendNewLocked(const RVVideoFileList& found);
    // The companion files of the recordings other than `excluded` that might share one with
    // `recordings` (those below the folder a recording shares with its companion), reading
    // the metadata of those not read yet. Locked-only when asked.
    QSet<QString> companionsOfOthers(const RVVideoDataList& recordings,
                                     const QSet<const RVVideoFile*>& excluded, bool lockedOnly);
    // Rebuilds the tree from m_videoFiles (sorted first when asked), publishes it and starts
    // the metadata scan of the new nodes. Caller holds m_lock.
    void rebuildLocked(bool sort);
    void scanMetaInfo(RVVideoDataList nodes, std::uint64_t generation);
    void readSeries(const RVVideoDataPtr& node);
    RVMetaDataReading readMetaData(const QString& videoPath) const;
    void stableSortFiles(RVVideoFileList& files) const;
    void stableSortNodes(RVVideoDataList& nodes, const std::vector<RVSortKey>& keys) const;

    const std::vector<RVSortKey> m_sortDescriptors{{RVSortKey::Field::Created, true}};
    std::unique_ptr<RVVolumeMonitor> m_monitor;
    RVMetaDataSource m_metaDataSource;

    mutable std::recursive_mutex m_lock; // the list lock: guards m_videoFiles, m_mountedVolumes
    RVVideoFileList m_videoFiles;
    QStringList m_mountedVolumes;
    QSet<QString> m_addedPaths; // what addVideoFilesFrom was given, to read it again

    std::mutex m_commandMutex; // guards the two counts below
    std::condition_variable m_commandTurn;
    std::uint64_t m_commandsGiven = 0;
    std::uint64_t m_commandsDone = 0;

    std::mutex m_deliveryMutex; // guards m_deliveries
    std::vector<std::function<void()>> m_deliveries;

    mutable std::mutex m_publishMutex; // guards the three fields below
    std::shared_ptr<const RVVideoDataList> m_videosData;
    std::uint64_t m_generation = 0; // counts rebuilds; a scan publishes only its own
    RVSeries m_publishedSeries;

    const RVEventThresholds m_eventThresholds = RVEventThresholds::fromSettings();

    std::atomic<bool> m_shuttingDown{false};
    RVWorkerPool m_pool; // declared last: joined first
};
