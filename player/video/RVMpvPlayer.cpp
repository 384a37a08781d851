#include "player/video/RVMpvPlayer.h"

#include "core/RVNativePath.h"
#include "player/video/RVMpvVideoWidget.h"
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

const mpv_node* mapValue(const mpv_node& node, const char* key)
{
    if (node.format != MPV_FORMAT_NODE_MAP || !node.u.list)
        return nullptr;
    for (int i = 0; i < node.u.list->num; ++i) {
        if (std::strcmp(node.u.list->keys[i], key) == 0)
            return &node.u.list->values[i];
    }
    return nullptr;
}

std::optional<std::int64_t> intValue(const mpv_node& node, const char* key)
{
    const mpv_node* value = mapValue(node, key);
    if (!value || value->format != MPV_FORMAT_INT64)
        return std::nullopt;
    return value->u.int64;
}

// screenshot-raw answers with a map: w, h (pixels), stride (bytes per row), format and data.
// "bgr0" holds the bytes blue, green, red, unused per pixel; they are copied pixel by pixel so
// that the host's byte order does not matter.
std::optional<QImage> imageFromScreenshot(const mpv_node& node, QString& error)
{
    const auto width = intValue(node, "w");
    const auto height = intValue(node, "h");
    const auto stride = intValue(node, "stride");
    const mpv_node* format = mapValue(node, "format");
    const mpv_node* data = mapValue(node, "data");
    if (!width || !height || !stride || !format || !data || format->format != MPV_FORMAT_STRING ||
        data->format != MPV_FORMAT_BYTE_ARRAY || !data->u.ba) {
        error = QStringLiteral("unexpected screenshot answer");
        return std::nullopt;
    }
    if (std::strcmp(format->u.string, "bgr0") != 0) {
        error = QStringLiteral("unexpected screenshot format %1").arg(format->u.string);
        return std::nullopt;
    }
    const std::int64_t w = *width;
    const std::int64_t h = *height;
    const std::int64_t rowBytes = *stride;
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384 || rowBytes < w * 4 ||
        static_cast<std::int64_t>(data->u.ba->size) < rowBytes * h) {
        error = QStringLiteral("screenshot of %1x%2 pixels does not fit its data").arg(w).arg(h);
        return std::nullopt;
    }
    QImage image(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
    if (image.isNull()) {
        error = QStringLiteral("out of memory for a %1x%2 screenshot").arg(w).arg(h);
        return std::nullopt;
    }
    const auto* bytes = static_cast<const unsigned char*>(data->u.ba->data);
    for (std::int64_t y = 0; y < h; ++y) {
        const unsigned char* source = bytes + y * rowBytes;
        auto* target = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
        for (std::int64_t x = 0; x < w; ++x)
            target[x] = qRgb(source[4 * x + 2], source[4 * x + 1], source[4 * x]);
    }
    return image;
}

// The frame rate of the played file's first video track in a track-list answer (a list of
// maps with type, external and demux-fps); 0 when there is none.
double playedVideoFps(const mpv_node& list)
{
    if (list.format != MPV_FORMAT_NODE_ARRAY || !list.u.list)
        return 0.0;
    for (int i = 0; i < list.u.list->num; ++i) {
        const mpv_node& track = list.u.list->values[i];
        const mpv_node* type = mapValue(track, "type");
        const mpv_node* external = mapValue(track, "external");
        const mpv_node* fps = mapValue(track, "demux-fps");
        if (!type || type->format != MPV_FORMAT_STRING || std::strcmp(type->u.string, "video") != 0)
            continue;
        if (external && external->format == MPV_FORMAT_FLAG && external->u.flag)
            continue;
        return fps && fps->format == MPV_FORMAT_DOUBLE ? fps->u.double_ : 0.0;
    }
    return 0.0;
}

// The playlist entry a START_FILE event names; -1 when it names none.
std::int64_t startedEntryId(const mpv_event& event)
{
    const auto* start = static_cast<const mpv_event_start_file*>(event.data);
    return start ? start->playlist_entry_id : -1;
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
    if (m_widget)
        m_widget->releaseRenderContext();
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

void RVMpvPlayer::attachVideoWidget(RVMpvVideoWidget* widget)
{
    m_widget = widget;
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
    while (m_spare->handleNextEvent([this](const mpv_event& event) { handleSpareEvent(event); })) {
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

void RVMpvPlayer::handleSpareEvent(const mpv_event& event)
{
    // Only the queued next file's progress matters here: whether it opened, and whether its
    // first frame is decoded and waiting.
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        m_spareEntryId = startedEntryId(event);
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        if (m_next.mpvId >= 0 && m_spareEntryId == m_next.mpvId)
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

void RVMpvPlayer::handleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        m_playingEntryId = startedEntryId(event);
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
            m_file.fps = reply.node() ? playedVideoFps(*reply.node()) : 0.0;
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
        forgetNext();
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
    if (!m_next.path.isEmpty() && (m_next.mpvId >= 0 || !m_next.failure.isEmpty())) {
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
    NextEntry next = std::move(m_next);
    m_next = {};
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
    m_playingEntryId = m_spareEntryId;
    m_spareEntryId = -1;
    // Its first frame is decoded and waiting: let it run at once. The rest follows.
    if (m_rate > 0.0) {
        m_mpv->setDouble("speed", m_rate);
        m_mpv->setFlag("pause", false);
    }
    if (m_widget)
        m_widget->activeHandleChanged();
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

void RVMpvPlayer::forgetNext()
{
    if (m_next.path.isEmpty())
        return;
    if (m_next.started)
        m_spare->command({"stop"});
    m_next = {};
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
    forgetNext();
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
                if (const auto id = intValue(*reply.node(), "playlist_entry_id"))
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
    const QString nextPath = m_next.path;
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
    const QString nextPath = m_next.path;
    const RVViewSources nextViews = m_next.views;
    load(m_file.path, m_file.position, m_rate == 0.0, {});
    setNextPath(nextPath, nextViews);
}

void RVMpvPlayer::setNextPath(const QString& path, const RVViewSources& views)
{
    if (!m_mpv || (path == m_next.path && views == m_next.views))
        return;
    if (path.isEmpty()) {
        forgetNext();
        return;
    }
    forgetNext();
    m_next.path = path;
    m_next.views = views;
    m_next.serial = ++m_nextSerial;
    // While the current file is still starting, the next one waits, so that its decoding
    // does not slow the first frame the user is waiting for.
    if (m_file.firstFrameShown)
        startNext();
}

void RVMpvPlayer::startNext()
{
    if (m_next.path.isEmpty() || m_next.started)
        return;
    // The spare handle opens the file paused at its start; its first frame then waits.
    m_next.started = true;
    m_spare->setFlag("pause", true);
    m_spare->command(
        {"loadfile", RVNativePath::encode(m_next.path), "replace", fileOptions(0.0, m_next.views)},
        [this, handle = m_spare, serial = m_next.serial](const Reply& reply) {
            // Only while the handle is still the spare one and the file still the queued one.
            if (handle != m_spare || serial != m_next.serial || m_next.path.isEmpty())
                return;
            if (reply.error < 0) {
                m_next.failure =
                    QStringLiteral("Cannot open %1: %2")
                        .arg(m_next.path, QString::fromUtf8(mpv_error_string(reply.error)));
            } else if (reply.node()) {
                if (const auto id = intValue(*reply.node(), "playlist_entry_id"))
                    m_next.mpvId = *id;
            }
        });
}

void RVMpvPlayer::unload()
{
    if (!m_mpv)
        return;
    beginFile({}, 0.0);
    forgetNext();
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
            image = imageFromScreenshot(*reply.node(), message);
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
            if (handle == m_mpv && serial == m_zoomSerial && m_widget)
                m_widget->redrawFrame();
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
