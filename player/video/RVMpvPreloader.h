#pragma once

#include "player/video/RVViewLayout.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

class RVMpvHandle;
struct mpv_event;

// The trip's next file, opened ahead of time in the player's spare mpv handle: paused at its
// start with its first frame decoded, so that at the end of the current file the player can
// let it run at once (see RVMpvPlayer). It follows the spare handle's events to know whether
// the file opened, whether its first frame waits, or why it cannot be played.
class RVMpvPreloader final
{
public:
    // The queued file as the player takes it over.
    struct Queued
    {
        QString path;
        RVViewSources views;
        std::int64_t mpvId = -1; // the spare handle's playlist entry; -1 until loadfile answered
        bool firstFrameReady = false;
        QString failure; // why it cannot be played; empty while it may still play
    };

    // The handle to open files in; the player hands over the other one when the two change
    // places.
    void setHandle(RVMpvHandle* spare) { m_handle = spare; }

    bool isEmpty() const { return m_next.path.isEmpty(); }
    bool isQueued(const QString& path, const RVViewSources& views) const;
    const QString& path() const { return m_next.path; }
    const RVViewSources& views() const { return m_next.views; }
    // The player can move on into it: it opened, or it is known that it cannot play.
    bool isSettled() const;

    // Queues `path` in place of what was queued before (which is forgotten); an empty path
    // only forgets.
    void queue(const QString& path, const RVViewSources& views);
    // Stops opening the queued file, if it was started, and forgets it.
    void forget();
    // Has the spare handle open the queued file paused at its start, with mpv's per-file
    // `options`; once per queued file.
    void start(const QByteArray& options);
    // One of the spare handle's events.
    void handleEvent(const mpv_event& event);
    // Hands the queued file over and forgets it, leaving the spare handle as it is.
    // `startedEntryId` is the playlist entry the spare handle started last.
    Queued take(std::int64_t& startedEntryId);

private:
    struct Next : Queued
    {
        std::uint64_t serial = 0; // tells its answers from those of an earlier queued file
        bool started = false;     // the spare handle was asked to open it
    };

    RVMpvHandle* m_handle = nullptr;
    Next m_next;
    std::uint64_t m_serial = 0;
    std::int64_t m_startedEntryId = -1; // the entry the spare handle started last
};
