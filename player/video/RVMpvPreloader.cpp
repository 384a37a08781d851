#include "player/video/RVMpvPreloader.h"

#include "core/RVNativePath.h"
#include "player/video/RVMpvHandle.h"
#include "player/video/RVMpvNode.h"

#include <mpv/client.h>

#include <utility>

bool RVMpvPreloader::isQueued(const QString& path, const RVViewSources& views) const
{
    return path == m_next.path && views == m_next.views;
}

bool RVMpvPreloader::isSettled() const
{
    return !m_next.path.isEmpty() && (m_next.mpvId >= 0 || !m_next.failure.isEmpty());
}

void RVMpvPreloader::queue(const QString& path, const RVViewSources& views)
{
    forget();
    if (path.isEmpty())
        return;
    m_next.path = path;
    m_next.views = views;
    m_next.serial = ++m_serial;
}

void RVMpvPreloader::forget()
{
    if (m_next.path.isEmpty())
        return;
    if (m_next.started && m_handle)
        m_handle->command({"stop"});
    m_next = {};
}

void RVMpvPreloader::start(const QByteArray& options)
{
    if (m_next.path.isEmpty() || m_next.started || !m_handle)
        return;
    // Paused at its start, the first frame is decoded and then waits.
    m_next.started = true;
    m_handle->setFlag("pause", true);
    m_handle->command(
        {"loadfile", RVNativePath::encode(m_next.path), "replace", options},
        [this, handle = m_handle, serial = m_next.serial](const RVMpvHandle::Reply& reply) {
            // Only while the handle is still the spare one and the file still the queued one.
            if (handle != m_handle || serial != m_next.serial || m_next.path.isEmpty())
                return;
            if (reply.error < 0) {
                m_next.failure =
                    QStringLiteral("Cannot open %1: %2")
                        .arg(m_next.path, QString::fromUtf8(mpv_error_string(reply.error)));
            } else if (reply.node()) {
                if (const auto id = RVMpvNode::intValue(*reply.node(), "playlist_entry_id"))
                    m_next.mpvId = *id;
            }
        });
}

void RVMpvPreloader::handleEvent(const mpv_event& event)
{
    // Only the queued file's progress matters here: whether it opened, and whether its first
    // frame is decoded and waiting.
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        m_startedEntryId = RVMpvNode::startedEntryId(event);
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        if (m_next.mpvId >= 0 && m_startedEntryId == m_next.mpvId)
            m_next.firstFrameReady = true;
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        if (end && end->reason == MPV_END_FILE_REASON_ERROR && m_next.mpvId >= 0 &&
            end->playlist_entry_id == m_next.mpvId) {
            m_next.failure = QStringLiteral("Cannot play %1: %2")
                                 .arg(m_next.path, QString::fromUtf8(mpv_error_string(end->error)));
        }
        break;
    }
    default:
        break;
    }
}

RVMpvPreloader::Queued RVMpvPreloader::take(std::int64_t& startedEntryId)
{
    Queued queued = std::move(static_cast<Queued&>(m_next));
    m_next = {};
    startedEntryId = std::exchange(m_startedEntryId, -1);
    return queued;
}
