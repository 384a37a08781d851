#pragma once

#include "metadata/RVTimestamp.h"

#include <QString>

#include <atomic>
#include <memory>
#include <vector>

// The cameras of one device that record the same moment, each into a file of its own.
enum class RVChannel
{
    Front,
    Rear,
    Interior,
    Optional
};

// One camera's file of a recording.
struct RVVideoView
{
    RVChannel channel;
    QString filePath;
};

// "front", "rear", "interior", "optional".
QString channelName(RVChannel channel);

// One recording file found on a camera card or added by hand. Records are shared between the
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
    // locked: the file's lock flag as read from the file system.
    // views: every camera's file of the recording, front first; empty means one front view of
    // filePath.
    RVVideoFile(QString filePath, float durationSeconds, RVTimestamp created, bool locked,
                std::vector<RVVideoView> views = {});

    // The front view's file (or the first view's when there is no front camera).
    const QString& filePath() const { return m_filePath; }
    // Front first; exactly one entry for a recording with a single view.
    const std::vector<RVVideoView>& views() const { return m_views; }
    // The last path component ("FILE0001.MOV").
    QString fileName() const;

    float duration() const { return m_duration.load(std::memory_order_relaxed); }
    // The length a trip's time line gives the file: its duration, or 0 when that is unknown
    // (NaN, infinite or negative: the video could not be read, and playback skips it).
    float knownDuration() const;
    void setDuration(float seconds) { m_duration.store(seconds, std::memory_order_relaxed); }
    RVTimestamp created() const { return m_created.load(std::memory_order_relaxed); }
    void setCreated(RVTimestamp created) { m_created.store(created, std::memory_order_relaxed); }
    bool locked() const { return m_locked.load(std::memory_order_relaxed); }
    void setLocked(bool locked) { m_locked.store(locked, std::memory_order_relaxed); }

    // Log text: "FILE0001.MOV, 60.000000, 2015-01-01T12:00:00.000Z".
    QString description() const;

private:
    const QString m_filePath;
    const std::vector<RVVideoView> m_views;
    std::atomic<float> m_duration;
    std::atomic<RVTimestamp> m_created;
    std::atomic<bool> m_locked;
};

using RVVideoFilePtr = std::shared_ptr<RVVideoFile>;
using RVVideoFileList = std::vector<RVVideoFilePtr>;
