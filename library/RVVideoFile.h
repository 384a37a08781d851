#pragma once

#include "core/RVTimestamp.h"
#include "metadata/RVMetaData.h"
#include "metadata/RVRecordingName.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// One camera's video file of a recording.
struct RVVideoView
{
    RVChannel channel;
    QString filePath;
};

// Where a file lives on its file system: the same file reached by two paths (a link, a
// second mount) has one identity.
struct RVFileId
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const RVFileId&, const RVFileId&) = default;
    friend auto operator<=>(const RVFileId&, const RVFileId&) = default;
};

// One recording found on a camera card or added by hand: one moment from one device, seen by
// one or more cameras (views), each its own video file. Records are shared between the
// video list's flat file list and every library node built from it, so a flag changed through
// a node (locked, created) is seen by the list and by every later regrouping.
//
// Each field is read and written as a whole and atomically: the metadata scan replaces
// `created` on a pool thread while the GUI thread draws the list. The path never changes.
class RVVideoFile final
{
public:
    // durationSeconds: playable length of the media, NaN when it could not be measured.
    // created: the file system's creation date until the recording's first track time is known.
    // locked: the file's lock flag as read from the file system; for several views, whether
    // any view is locked (the delete command then keeps the whole recording, and the list
    // shows it locked until it is unlocked as a whole).
    RVVideoFile(QString filePath, float durationSeconds, RVTimestamp created, bool locked);
    // A recording of several views, front first (see RVRecordingViews). filePath() is the
    // first view's path; ids are the views' file identities, sizes their lengths in bytes and
    // mountIds the mounts they were found on, in view order (any may be empty). Together they
    // tell whether a path still names the file that was listed (RVListedCheck).
    RVVideoFile(std::vector<RVVideoView> views, float durationSeconds, RVTimestamp created,
                bool locked, std::vector<RVFileId> ids = {}, std::vector<std::uint64_t> sizes = {},
                std::vector<std::uint64_t> mountIds = {});

    // The front view's path, or the first view's when the recording has no front view.
    const QString& filePath() const { return m_filePath; }
    // Front first, then rear, interior, optional; exactly one entry for a single view.
    const std::vector<RVVideoView>& views() const { return m_views; }
    const std::vector<RVFileId>& fileIds() const { return m_ids; }
    const std::vector<std::uint64_t>& fileSizes() const { return m_sizes; }
    const std::vector<std::uint64_t>& mountIds() const { return m_mountIds; }
    // What makes a view the same recording as a copy of it elsewhere (a card and its backup):
    // "name|bytes" for views whose name a camera family claims (the camera's own name to the
    // second) and whose size is known, in view order; none for other files, whose names
    // repeat on every card.
    QStringList copyKeys() const;
    // The recording mode its name tells (Unknown for names no camera family claims).
    RVRecordingMode mode() const { return m_mode; }
    // The mode as the camera wrote it ("N", "E", "P", "NO", ...), empty when unknown.
    const QString& modeCode() const { return m_modeCode; }
    // The last path component ("FILE0001.MOV").
    QString fileName() const;

    float duration() const { return m_duration.load(std::memory_order_relaxed); }
    // The length a trip's time line gives the file: its duration, or 0 when that is unknown
    // (NaN, infinite or negative: the video could not be read, and playback skips it).
    float knownDuration() const;
    void setDuration(float seconds) { m_duration.store(seconds, std::memory_order_relaxed); }
    RVTimestamp created() const { return m_created.load(std::memory_order_relaxed); }
    void setCreated(RVTimestamp created) { m_created.store(created, std::memory_order_relaxed); }
    // What `created` comes from: the file system until the metadata read dates the recording
    // by a fix or its name.
    RVTimeSource timeSource() const { return m_timeSource.load(std::memory_order_relaxed); }
    void setTimeSource(RVTimeSource source)
    {
        m_timeSource.store(source, std::memory_order_relaxed);
    }
    // The camera family whose name rule the file's name follows; none for other names.
    std::optional<RVCameraFamily> family() const { return m_family; }
    // A recording the camera cut into chapter files (GoPro): what its chapters' names share
    // (empty for other names), and this file's chapter from 1.
    const QString& chapterSeries() const { return m_chapterSeries; }
    int chapter() const { return m_chapter; }
    bool locked() const { return m_locked.load(std::memory_order_relaxed); }
    void setLocked(bool locked) { m_locked.store(locked, std::memory_order_relaxed); }

    // Log text: "FILE0001.MOV, 60.000000, 2015-01-01T12:00:00.000Z".
    QString description() const;

private:
    const std::vector<RVVideoView> m_views;
    const std::vector<RVFileId> m_ids;
    const std::vector<std::uint64_t> m_sizes;
    const std::vector<std::uint64_t> m_mountIds;
    const QString m_filePath;
    RVRecordingMode m_mode = RVRecordingMode::Unknown;
    QString m_modeCode;
    std::optional<RVCameraFamily> m_family;
    QString m_chapterSeries;
    int m_chapter = 0;
    std::atomic<float> m_duration;
    std::atomic<RVTimestamp> m_created;
    std::atomic<bool> m_locked;
    std::atomic<RVTimeSource> m_timeSource{RVTimeSource::File};
};

using RVVideoFilePtr = std::shared_ptr<RVVideoFile>;
using RVVideoFileList = std::vector<RVVideoFilePtr>;
