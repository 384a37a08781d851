#include "player/video/RVMpvPlayer.h"

#include "core/RVNativePath.h"
#include "player/video/RVMpvNode.h"
#include "player/video/RVStillImage.h"

#include <mpv/client.h>

#include <QDebug>
#include <QMetaObject>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

constexpr int kTickIntervalMs = 100;

// Options that make mpv an embedded decoder and renderer and nothing else: no configuration
// files, no terminal, no key bindings, no on-screen display, no scripts. keep-open makes the
// end of a file observable and keeps its last frame on screen. video-timing-offset=0 lets mpv's
// video thread wait for a frame's display time itself, so rendering never blocks the GUI thread.
// autoload-files=no spares the listing of the recording's folder that mpv makes at every file
// start to look for cover art (about 12 ms per file in a folder of 6,000 entries, and a card's
// recording folder holds hundreds to thousands), which adds to the pause at each join of a trip.
// Without a usable sound device, audio-fallback-to-null keeps time with a silent output: a
// recording with sound only then still plays instead of failing to start.
const std::pair<const char*, const char*> kPlayerOptions[] = {
    {"config", "no"},
    {"terminal", "no"},
    {"msg-level", "all=warn"},
    {"vo", "libmpv"},
    {"hwdec", "auto-safe"},
    {"keep-open", "yes"},
    {"idle", "yes"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"osc", "no"},
    {"osd-level", "0"},
    {"load-scripts", "no"},
    {"ytdl", "no"},
    {"sub-auto", "no"},
    {"audio-file-auto", "no"},
    {"autoload-files", "no"},
    {"audio-display", "no"},
    {"video-timing-offset", "0"},
    {"hr-seek-framedrop", "yes"},
    {"audio-fallback-to-null", "yes"},
};

QByteArray secondsText(double seconds)
{
    return QByteArray::number(seconds, 'f', 6);
}

} // namespace

RVMpvPlayer::RVMpvPlayer(const Options& extraOptions, QObject* parent) : QObject(parent)
{
    m_clock.start();
    m_tickTimer.setInterval(kTickIntervalMs);
    m_tickTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_tickTimer, &QTimer::timeout, this, [this] { Q_EMIT tick(m_file.position); });
    m_reverseTimer.setSingleShot(true);
    m_reverseTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_reverseTimer, &QTimer::timeout, this, &RVMpvPlayer::reverseStep);

    Options options;
    for (const auto& [name, value] : kPlayerOptions)
        options.emplace_back(name, value);
    options.insert(options.end(), extraOptions.begin(), extraOptions.end());
    for (std::unique_ptr<RVMpvHandle>& handle : m_handles) {
        handle = RVMpvHandle::create(options, m_error);
        if (!handle) {
            qWarning("%s", qPrintable(m_error));
            for (std::unique_ptr<RVMpvHandle>& made : m_handles)
                made.reset();
            return;
        }
    }
    m_mpv = m_handles[0].get();
    m_spare = m_handles[1].get();
    m_preloader.setHandle(m_spare);
    for (const std::unique_ptr<RVMpvHandle>& owned : m_handles) {
        // Only the active handle's values count: the spare one's belong to the next file.
        RVMpvHandle* handle = owned.get();
        handle->observe("time-pos", MPV_FORMAT_DOUBLE, [this, handle](const Reply& value) {
            if (handle == m_mpv && value.format == MPV_FORMAT_DOUBLE)
                onPositionChanged(value.number());
        });
        handle->observe("duration", MPV_FORMAT_DOUBLE, [this, handle](const Reply& value) {
            if (handle == m_mpv && value.format == MPV_FORMAT_DOUBLE && m_file.ready)
                m_file.duration = value.number();
        });
        handle->observe("eof-reached", MPV_FORMAT_FLAG, [this, handle](const Reply& value) {
            if (handle == m_mpv && value.flag())
                handleEofReached();
        });
        handle->setWakeup(&RVMpvPlayer::onWakeup, this);
    }
}

RVMpvPlayer::~RVMpvPlayer()
{
    if (!m_mpv)
        return;
    // After this returns mpv no longer calls back into this object.
    for (const std::unique_ptr<RVMpvHandle>& handle : m_handles)
        handle->setWakeup(nullptr, nullptr);
    // The render contexts must go before the handles they were made for.
    if (m_target)
        m_target->renderSourceClosing();
    for (std::unique_ptr<RVMpvHandle>& handle : m_handles)
        handle.reset();
}

mpv_handle* RVMpvPlayer::handle(int index) const
{
    return m_handles[index] ? m_handles[index]->get() : nullptr;
}

int RVMpvPlayer::activeHandleIndex() const
{
    return m_mpv == m_handles[1].get() ? 1 : 0;
}

void RVMpvPlayer::setRenderTarget(RVMpvRenderTarget* target)
{
    m_target = target;
}

void RVMpvPlayer::onWakeup(void* context)
{
    // Called on an mpv thread: post one drain to the GUI thread, never more than one queued.
    auto* self = static_cast<RVMpvPlayer*>(context);
    if (!self->m_wakeupPosted.exchange(true))
        QMetaObject::invokeMethod(self, &RVMpvPlayer::drainEvents, Qt::QueuedConnection);
}

void RVMpvPlayer::drainEvents()
{
    m_wakeupPosted.store(false);
    if (!m_mpv)
        return;
    // State follows every event at once; signals go out after the queue is empty, so a slot
    // that runs a nested event loop (a modal alert) never sees a half-handled event.
    // The handles may change places while the active one's events are handled; what is left
    // of the other's events then concerns a file that is no longer current.
    m_draining = true;
    while (m_mpv->handleNextEvent([this](const mpv_event& event) { handleEvent(event); })) {
    }
    while (m_spare->handleNextEvent(
        [this](const mpv_event& event) { m_preloader.handleEvent(event); })) {
    }
    m_draining = false;
    const Notes notes = std::exchange(m_notes, {});
    for (const auto& note : notes)
        note();
}

void RVMpvPlayer::later(std::function<void()> note)
{
    if (m_draining)
        m_notes.push_back(std::move(note));
    else
        note();
}

void RVMpvPlayer::handleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        m_playingEntryId = RVMpvNode::startedEntryId(event);
        break;
    case MPV_EVENT_FILE_LOADED:
        if (m_playingEntryId >= 0 && m_playingEntryId == m_file.mpvId)
            requestCurrentInfo();
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        if (m_playingEntryId >= 0 && m_playingEntryId == m_file.mpvId)
            handleRestart();
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        if (end)
            handleEndOfFile(end->playlist_entry_id, end->reason, end->error);
        break;
    }
    default:
        break;
    }
}

void RVMpvPlayer::onPositionChanged(double seconds)
{
    // While a seek is in flight the old position may still be reported; the seek's own answer
    // sets the position.
    if (m_file.restartPending || m_file.atEnd)
        return;
    m_file.position = seconds;
    if (m_file.forwardStepPending) {
        m_file.forwardStepPending = false;
        later([this, position = m_file.position] { Q_EMIT seekFinished(position); });
    }
    if (m_rate == 0.0)
        later([this] { Q_EMIT tick(m_file.position); });
}

void RVMpvPlayer::askAboutCurrent(const char* name, int format,
                                  std::function<void(const Reply&)> use)
{
    // The answer counts while the file it was asked about is current in the active handle.
    m_mpv->getProperty(
        name, format,
        [this, handle = m_mpv, id = m_file.mpvId, use = std::move(use)](const Reply& reply) {
            if (handle == m_mpv && id >= 0 && id == m_file.mpvId)
                use(reply);
        });
}

void RVMpvPlayer::askAboutLoad(const char* name, int format, std::function<void(const Reply&)> use)
{
    // The answer counts while nothing was loaded since it was asked for.
    m_mpv->getProperty(
        name, format,
        [this, handle = m_mpv, serial = m_loadSerial, use = std::move(use)](const Reply& reply) {
            if (handle == m_mpv && serial == m_loadSerial)
                use(reply);
        });
}

void RVMpvPlayer::requestCurrentInfo()
{
    // The answers set duration, frame rate and size; the height's answer makes the file ready.
    askAboutCurrent("duration", MPV_FORMAT_DOUBLE,
                    [this](const Reply& reply) { m_file.duration = reply.number(); });
    // Views put together by a filter graph leave mpv without a current video track, so the
    // frame rate is the played file's video track's, from the track list.
    if (m_file.views.graph.isEmpty()) {
        askAboutCurrent("container-fps", MPV_FORMAT_DOUBLE,
                        [this](const Reply& reply) { m_file.fps = reply.number(); });
    } else {
        askAboutCurrent("track-list", MPV_FORMAT_NODE, [this](const Reply& reply) {
            m_file.fps = reply.node() ? RVMpvNode::playedVideoFps(*reply.node()) : 0.0;
        });
    }
    requestVideoSize();
}

void RVMpvPlayer::requestVideoSize()
{
    askAboutCurrent("width", MPV_FORMAT_INT64, [this](const Reply& reply) {
        m_file.videoSize.setWidth(static_cast<int>(reply.number()));
    });
    askAboutCurrent("height", MPV_FORMAT_INT64, [this](const Reply& reply) {
        m_file.videoSize.setHeight(static_cast<int>(reply.number()));
        if (m_file.ready)
            return; // the size of views put together, known once they were
        m_file.ready = true;
        later([this] {
            Q_EMIT itemReady();
            updateTickTimer();
        });
    });
}

void RVMpvPlayer::handleRestart()
{
    if (!m_file.restartPending && m_file.firstFrameShown)
        return; // a restart mpv made by itself (for example after a track change)
    m_file.restartPending = false;
    if (runQueuedOperation())
        return;
    if (!m_file.firstFrameShown && !m_hwdecChecked) {
        // Probing for hardware decoders costs 50-100 ms at every file start (the pause at
        // each file boundary of a trip). Once a recording decoded in software because none
        // was usable, later files skip the probe.
        m_mpv->getProperty(
            "hwdec-current", MPV_FORMAT_STRING, [this, handle = m_mpv](const Reply& reply) {
                if (handle != m_mpv || reply.error < 0 || reply.format != MPV_FORMAT_STRING ||
                    !reply.data)
                    return;
                const char* decoder = reply.string();
                m_hwdecChecked = true;
                m_softwareDecodingOnly = !decoder || !*decoder || std::strcmp(decoder, "no") == 0;
            });
    }
    askRestartPosition();
    // A seek to the very end may reach it while the seek is still in flight, when the change
    // of eof-reached is not taken as the end; ask again now that it has finished.
    askAboutLoad("eof-reached", MPV_FORMAT_FLAG, [this](const Reply& reply) {
        if (reply.flag())
            handleEofReached();
    });
}

void RVMpvPlayer::askRestartPosition()
{
    // The position mpv restarted at: the frame on screen after a load, a seek or a join.
    askAboutLoad("time-pos", MPV_FORMAT_DOUBLE, [this](const Reply& reply) {
        if (m_file.restartPending)
            return;
        if (reply.error >= 0 && reply.format == MPV_FORMAT_DOUBLE)
            m_file.position = reply.number();
        if (!m_file.firstFrameShown) {
            m_file.firstFrameShown = true;
            // The size of the picture a filter graph makes is known from its first frame.
            if (!m_file.views.graph.isEmpty() && m_file.mpvId >= 0)
                requestVideoSize();
            startNext();
            later([this] { Q_EMIT firstFrameShown(); });
        }
        if (m_file.reportNextRestart) {
            m_file.reportNextRestart = false;
            later([this, position = m_file.position] { Q_EMIT seekFinished(position); });
        }
        later([this] {
            Q_EMIT tick(m_file.position);
            if (m_rate < 0.0 && !m_file.restartPending) {
                if (!m_reverse) {
                    m_reverse = true;
                    m_pacer.setFrameDuration(m_file.fps > 0.0 ? 1.0 / m_file.fps : 0.0);
                    m_pacer.start(m_file.position, m_rate, wallSeconds());
                }
                reverseStep();
            }
        });
    });
}

void RVMpvPlayer::handleEndOfFile(std::int64_t entryId, int reason, int error)
{
    if (entryId < 0 || entryId != m_file.mpvId)
        return; // a file that was replaced on purpose
    if (reason == MPV_END_FILE_REASON_ERROR && !m_file.views.graph.isEmpty()) {
        // Another camera's file could not be opened or put together with this one (missing,
        // damaged, no video): this file's own picture is better than none.
        qWarning("Cannot show the other views with %s: %s; showing it alone",
                 qPrintable(m_file.path), mpv_error_string(error));
        later([this, serial = m_loadSerial] {
            if (serial == m_loadSerial)
                showCurrentFileAlone();
        });
        return;
    }
    if (reason == MPV_END_FILE_REASON_ERROR) {
        const QString message = QStringLiteral("Cannot play %1: %2")
                                    .arg(m_file.path, QString::fromUtf8(mpv_error_string(error)));
        qWarning("%s", qPrintable(message));
        m_file.ready = false;
        m_file.restartPending = false;
        m_file.queuedSeek.reset();
        m_file.queuedBackSteps = 0;
        m_reverse = false;
        m_reverseTimer.stop();
        m_preloader.forget();
        later([this, message] {
            Q_EMIT itemFailed(message);
            setReportedRate(0.0);
            updateTickTimer();
        });
        return;
    }
    if (reason == MPV_END_FILE_REASON_EOF)
        handleEofReached();
}

void RVMpvPlayer::handleEofReached()
{
    if (!m_file.ready || m_file.atEnd || m_file.restartPending)
        return;
    if (m_preloader.isSettled()) {
        moveOnToNext();
        return;
    }
    m_file.atEnd = true;
    if (m_file.duration > 0.0)
        m_file.position = m_file.duration;
    m_reverse = false;
    m_reverseTimer.stop();
    const std::uint64_t serial = m_loadSerial;
    later([this, serial] {
        Q_EMIT tick(m_file.position);
        Q_EMIT endReached();
        // mpv paused on the last frame; unless the slot put the next file in, say so.
        if (m_loadSerial == serial && m_file.atEnd)
            setReportedRate(0.0);
        updateTickTimer();
    });
}

void RVMpvPlayer::moveOnToNext()
{
    std::int64_t startedEntryId = -1;
    const RVMpvPreloader::Queued next = m_preloader.take(startedEntryId);
    m_advancedOnItsOwn = true;
    if (!next.failure.isEmpty() && !next.views.graph.isEmpty()) {
        // As when it is loaded with views that cannot be shown: the file alone.
        qWarning("%s; showing it alone", qPrintable(next.failure));
        beginFile({next.path, -1, next.views}, 0.0);
        later([this, serial = m_loadSerial] {
            Q_EMIT endReached();
            if (serial == m_loadSerial)
                showCurrentFileAlone();
        });
        return;
    }
    if (!next.failure.isEmpty()) {
        // As when it is loaded: the queued file becomes current and its failure is reported;
        // the last frame of the finished file stays on screen.
        qWarning("%s", qPrintable(next.failure));
        beginFile({next.path, -1, next.views}, 0.0);
        later([this, message = next.failure] {
            Q_EMIT endReached();
            Q_EMIT itemFailed(message);
            setReportedRate(0.0);
            updateTickTimer();
        });
        return;
    }
    beginFile({next.path, next.mpvId, next.views}, 0.0);
    std::swap(m_mpv, m_spare);
    m_preloader.setHandle(m_spare);
    m_playingEntryId = startedEntryId;
    // Its first frame is decoded and waiting: let it run at once. The rest follows.
    if (m_rate > 0.0) {
        m_mpv->setDouble("speed", m_rate);
        m_mpv->setFlag("pause", false);
    }
    if (m_target)
        m_target->activeHandleChanged();
    m_file.restartPending = !next.firstFrameReady;
    requestCurrentInfo();
    if (next.firstFrameReady)
        askRestartPosition();
    // The finished file's decoder and buffers are not needed any more.
    m_spare->command({"stop"});
    later([this] {
        Q_EMIT endReached();
        updateTickTimer();
    });
}

void RVMpvPlayer::beginFile(Entry entry, double position)
{
    // Nothing of the file that was current carries over, and its late answers are told apart
    // by the new serial.
    ++m_loadSerial;
    m_file = {};
    static_cast<Entry&>(m_file) = std::move(entry);
    m_file.position = position;
    m_reverse = false;
    m_reverseTimer.stop();
}

void RVMpvPlayer::load(const QString& path, double startSeconds, bool paused,
                       const RVViewSources& views)
{
    if (!m_mpv)
        return;
    startSeconds = std::max(0.0, startSeconds);
    if (m_advancedOnItsOwn && path == m_file.path && views == m_file.views) {
        // The controller names the file mpv already moved on to: keep it playing.
        m_advancedOnItsOwn = false;
        if (startSeconds > 0.0)
            seek(startSeconds);
        if (paused)
            setRate(0.0);
        return;
    }
    m_advancedOnItsOwn = false;
    beginFile({path, -1, views}, startSeconds);
    m_preloader.forget();
    m_playingEntryId = -1;
    m_file.restartPending = true;

    double rate = m_rate;
    if (paused)
        rate = 0.0;
    else if (rate == 0.0)
        rate = 1.0;
    m_mpv->command(
        {"loadfile", RVNativePath::encode(path), "replace", fileOptions(startSeconds, views)},
        [this, handle = m_mpv, serial = m_loadSerial](const Reply& reply) {
            if (handle != m_mpv || serial != m_loadSerial)
                return;
            if (reply.error < 0) {
                const QString message =
                    QStringLiteral("Cannot open %1: %2")
                        .arg(m_file.path, QString::fromUtf8(mpv_error_string(reply.error)));
                m_file.restartPending = false;
                later([this, message] { Q_EMIT itemFailed(message); });
            } else if (reply.node()) {
                if (const auto id = RVMpvNode::intValue(*reply.node(), "playlist_entry_id"))
                    m_file.mpvId = *id;
            }
        });
    // After the load: at the end of a file kept open mpv pauses by itself, which must not
    // undo a play request sent just before the load reached it.
    m_mpv->setFlag("pause", rate <= 0.0);
    if (rate > 0.0)
        m_mpv->setDouble("speed", rate);
    setReportedRate(rate);
    updateTickTimer();
}

QByteArray RVMpvPlayer::fileOptions(double startSeconds, const RVViewSources& views) const
{
    // mpv's per-file options: key=value pairs separated by commas. Values that may hold
    // commas (paths, filter graphs) are given as %<length in bytes>%<value>. Paths go as the
    // file system's bytes, which need not be UTF-8.
    auto quoted = [](const QByteArray& bytes) {
        return "%" + QByteArray::number(bytes.size()) + "%" + bytes;
    };
    QByteArrayList options;
    if (startSeconds > 0.0)
        options.push_back("start=" + secondsText(startSeconds));
    if (m_softwareDecodingOnly)
        options.push_back("hwdec=no");
    else if (!views.graph.isEmpty())
        options.push_back("hwdec=auto-copy-safe"); // the filters need the frames in memory
    if (!views.externalFile.isEmpty())
        options.push_back("external-files-append=" +
                          quoted(RVNativePath::encode(views.externalFile)));
    if (!views.graph.isEmpty())
        options.push_back("lavfi-complex=" + quoted(views.graph.toUtf8()));
    return options.join(',');
}

void RVMpvPlayer::setViews(const RVViewSources& current, const RVViewSources& next)
{
    if (!m_mpv || m_file.path.isEmpty())
        return;
    const QString nextPath = m_preloader.path();
    if (current != m_file.views) {
        const double rate = m_rate;
        load(m_file.path, m_file.position, rate == 0.0, current);
        if (rate != m_rate)
            setRate(rate);
    }
    setNextPath(QString());
    setNextPath(nextPath, next);
}

void RVMpvPlayer::showCurrentFileAlone()
{
    const QString nextPath = m_preloader.path();
    const RVViewSources nextViews = m_preloader.views();
    load(m_file.path, m_file.position, m_rate == 0.0, {});
    setNextPath(nextPath, nextViews);
}

void RVMpvPlayer::setNextPath(const QString& path, const RVViewSources& views)
{
    if (!m_mpv || m_preloader.isQueued(path, views))
        return;
    m_preloader.queue(path, views);
    // While the current file is still starting, the next one waits, so that its decoding
    // does not slow the first frame the user is waiting for.
    if (m_file.firstFrameShown)
        startNext();
}

void RVMpvPlayer::startNext()
{
    if (!m_preloader.isEmpty())
        m_preloader.start(fileOptions(0.0, m_preloader.views()));
}

void RVMpvPlayer::unload()
{
    if (!m_mpv)
        return;
    beginFile({}, 0.0);
    m_preloader.forget();
    m_advancedOnItsOwn = false;
    m_mpv->command({"stop"});
    m_mpv->setFlag("pause", true);
    setReportedRate(0.0);
    updateTickTimer();
}

void RVMpvPlayer::setRate(double rate)
{
    if (!m_mpv || !std::isfinite(rate))
        return;
    applyRate(rate);
}

void RVMpvPlayer::applyRate(double rate)
{
    m_reverseTimer.stop();
    if (rate > 0.0) {
        m_reverse = false;
        m_mpv->setDouble("speed", rate);
        m_mpv->setFlag("pause", false);
    } else {
        m_mpv->setFlag("pause", true);
        if (rate < 0.0 && m_file.ready && !m_file.restartPending) {
            m_reverse = true;
            m_pacer.setFrameDuration(m_file.fps > 0.0 ? 1.0 / m_file.fps : 0.0);
            m_pacer.start(m_file.position, rate, wallSeconds());
        } else if (rate == 0.0) {
            m_reverse = false;
        }
    }
    setReportedRate(rate);
    updateTickTimer();
    if (m_reverse)
        reverseStep();
}

void RVMpvPlayer::setReportedRate(double rate)
{
    if (rate == m_rate)
        return;
    m_rate = rate;
    Q_EMIT rateChanged(rate);
}

void RVMpvPlayer::seek(double seconds)
{
    if (!m_mpv || m_file.path.isEmpty() || !std::isfinite(seconds))
        return;
    seconds = std::max(0.0, seconds);
    if (m_file.duration > 0.0)
        seconds = std::min(seconds, m_file.duration);
    m_file.position = seconds;
    m_file.atEnd = false;
    m_file.reportNextRestart = true;
    if (m_reverse)
        m_pacer.start(seconds, m_rate, wallSeconds());
    if (m_file.restartPending) {
        m_file.queuedSeek = seconds;
        m_file.queuedBackSteps = 0;
        return;
    }
    issueSeek(seconds);
}

void RVMpvPlayer::issueSeek(double seconds)
{
    m_file.restartPending = true;
    restartingCommand({"seek", secondsText(seconds), "absolute+exact"});
}

void RVMpvPlayer::stepFrame(int direction)
{
    if (!m_mpv || m_file.path.isEmpty() || direction == 0)
        return;
    if (m_rate != 0.0)
        applyRate(0.0);
    const double frame = m_file.fps > 0.0 ? 1.0 / m_file.fps : 0.0;
    if (direction > 0) {
        m_file.position = m_file.duration > 0.0 ? std::min(m_file.position + frame, m_file.duration)
                                                : m_file.position + frame;
        if (m_file.restartPending) {
            m_file.queuedBackSteps = 0; // a forward step after queued back steps cancels one
            m_file.queuedSeek = m_file.position;
            return;
        }
        m_file.forwardStepPending = true;
        m_mpv->command({"frame-step"});
        return;
    }
    m_file.position = std::max(0.0, m_file.position - frame);
    m_file.atEnd = false;
    m_file.reportNextRestart = true;
    if (m_file.restartPending) {
        ++m_file.queuedBackSteps;
        return;
    }
    m_file.restartPending = true;
    restartingCommand({"frame-back-step"});
}

bool RVMpvPlayer::runQueuedOperation()
{
    if (m_file.restartPending)
        return true;
    if (m_file.queuedSeek) {
        const double target = *m_file.queuedSeek;
        m_file.queuedSeek.reset();
        issueSeek(target);
        return true;
    }
    if (m_file.queuedBackSteps > 0) {
        --m_file.queuedBackSteps;
        m_file.restartPending = true;
        restartingCommand({"frame-back-step"});
        return true;
    }
    return false;
}

void RVMpvPlayer::reverseStep()
{
    if (!m_reverse || m_file.restartPending || !m_file.ready)
        return;
    const double now = wallSeconds();
    if (m_pacer.reachedStart(m_file.position, now)) {
        m_reverse = false;
        setReportedRate(0.0);
        updateTickTimer();
        Q_EMIT startReached();
        return;
    }
    if (const auto target = m_pacer.stepTarget(m_file.position, now)) {
        m_file.position = *target;
        issueSeek(*target);
        return;
    }
    const double wait = m_pacer.nextStepDue(m_file.position) - now;
    m_reverseTimer.start(std::clamp(static_cast<int>(std::ceil(wait * 1000.0)), 1, 1000));
}

void RVMpvPlayer::grabStill(QSize maximumSize)
{
    if (!m_mpv || m_file.path.isEmpty()) {
        // Answered later, like every other still request.
        const QString message = m_mpv ? QStringLiteral("no video in the player") : m_error;
        QMetaObject::invokeMethod(
            this, [this, message] { Q_EMIT stillFailed(message); }, Qt::QueuedConnection);
        return;
    }
    // Answered from either handle: the two may change places before the answer comes.
    m_mpv->command({"screenshot-raw", "video"}, [this, maximumSize](const Reply& reply) {
        QString message;
        std::optional<QImage> image;
        if (reply.error < 0)
            message = QString::fromUtf8(mpv_error_string(reply.error));
        else if (!reply.node())
            message = QStringLiteral("no screenshot answer");
        else
            image = RVMpvNode::imageFromScreenshot(*reply.node(), message);
        if (image) {
            QImage scaled = RVStillImage::scaledToFit(*image, maximumSize);
            later([this, scaled] { Q_EMIT stillReady(scaled); });
        } else {
            qWarning("Error making screenshot: %s", qPrintable(message));
            later([this, message] { Q_EMIT stillFailed(message); });
        }
    });
}

double RVMpvPlayer::wallSeconds() const
{
    return static_cast<double>(m_clock.nsecsElapsed()) / 1e9;
}

void RVMpvPlayer::updateTickTimer()
{
    const bool advancing = m_rate != 0.0 && m_file.ready && !m_file.atEnd;
    if (advancing && !m_tickTimer.isActive())
        m_tickTimer.start();
    else if (!advancing)
        m_tickTimer.stop();
}

void RVMpvPlayer::setVideoZoom(double zoomLog2, double panX, double panY)
{
    // On both handles, so that the next file of the trip shows the same part. The last
    // property's answer says the new zoom is in effect: mpv asks for a redraw of the paused
    // frame at the new zoom, and the widget skips redraws of an unchanged frame, so it is told
    // that this one differs. Only the latest zoom counts.
    const std::uint64_t serial = ++m_zoomSerial;
    for (const std::unique_ptr<RVMpvHandle>& owned : m_handles) {
        RVMpvHandle* handle = owned.get();
        if (!handle)
            return;
        handle->setDouble("video-zoom", zoomLog2);
        handle->setDouble("video-pan-x", panX);
        handle->setDouble("video-pan-y", panY, [this, handle, serial](const Reply&) {
            if (handle == m_mpv && serial == m_zoomSerial && m_target)
                m_target->redrawFrame();
        });
    }
}

void RVMpvPlayer::restartingCommand(std::initializer_list<QByteArray> args)
{
    // A refused seek or step gives no playback restart; the next operation may go.
    m_mpv->command(args, [this, handle = m_mpv, serial = m_loadSerial](const Reply& reply) {
        if (handle != m_mpv || serial != m_loadSerial || reply.error >= 0)
            return;
        m_file.restartPending = false;
        later([this] { runQueuedOperation(); });
    });
}
