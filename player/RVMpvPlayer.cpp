#include "player/RVMpvPlayer.h"

#include "metadata/RVNativePath.h"
#include "player/RVMpvVideoWidget.h"
#include "player/RVStillImage.h"

#include <mpv/client.h>

#include <QDebug>
#include <QMetaObject>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Every asynchronous request carries a tag: its kind in the top byte, a serial or mpv
// playlist entry id below, so that late answers for a file that was replaced are recognised.
enum class Kind : std::uint64_t
{
    Ignore = 1,
    Load,
    Preroll,
    Seek,
    BackStep,
    InfoDuration,
    InfoFps,
    InfoWidth,
    InfoHeight,
    RestartTime,
    RestartEof,
    HwdecCurrent,
    Still,
    VideoZoom,
    ObserveTime,
    ObserveDuration,
    ObserveEof,
};

constexpr int kKindShift = 56;
constexpr std::uint64_t kValueMask = (std::uint64_t{1} << kKindShift) - 1;

std::uint64_t tagOf(Kind kind, std::uint64_t value = 0)
{
    return (static_cast<std::uint64_t>(kind) << kKindShift) | (value & kValueMask);
}
Kind kindOf(std::uint64_t tag)
{
    return static_cast<Kind>(tag >> kKindShift);
}
std::uint64_t valueOf(std::uint64_t tag)
{
    return tag & kValueMask;
}

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

void warnLogMessage(const mpv_event& event)
{
    const auto* message = static_cast<const mpv_event_log_message*>(event.data);
    qWarning("mpv %s: %s", message->prefix, QByteArray(message->text).trimmed().constData());
}

mpv_handle* createHandle(const RVMpvPlayer::Options& extraOptions, QString& error)
{
    mpv_handle* mpv = mpv_create();
    if (!mpv) {
        error = QStringLiteral("mpv could not be created");
        return nullptr;
    }
    for (const auto& [name, value] : kPlayerOptions)
        mpv_set_option_string(mpv, name, value);
    for (const auto& [name, value] : extraOptions) {
        const int result = mpv_set_option_string(mpv, name.constData(), value.constData());
        if (result < 0) {
            qWarning("mpv option %s=%s rejected: %s", name.constData(), value.constData(),
                     mpv_error_string(result));
        }
    }
    const int result = mpv_initialize(mpv);
    if (result < 0) {
        error = QStringLiteral("mpv could not be initialised: %1")
                    .arg(QString::fromUtf8(mpv_error_string(result)));
        mpv_terminate_destroy(mpv);
        return nullptr;
    }
    return mpv;
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

    for (mpv_handle*& handle : m_handles) {
        handle = createHandle(extraOptions, m_error);
        if (!handle) {
            qWarning("%s", qPrintable(m_error));
            for (mpv_handle* made : m_handles) {
                if (made)
                    mpv_terminate_destroy(made);
            }
            m_handles[0] = m_handles[1] = nullptr;
            return;
        }
    }
    m_mpv = m_handles[0];
    m_spare = m_handles[1];
    for (mpv_handle* handle : m_handles) {
        mpv_request_log_messages(handle, "error");
        mpv_observe_property(handle, tagOf(Kind::ObserveTime), "time-pos", MPV_FORMAT_DOUBLE);
        mpv_observe_property(handle, tagOf(Kind::ObserveDuration), "duration", MPV_FORMAT_DOUBLE);
        mpv_observe_property(handle, tagOf(Kind::ObserveEof), "eof-reached", MPV_FORMAT_FLAG);
        mpv_set_wakeup_callback(handle, &RVMpvPlayer::onWakeup, this);
    }
}

RVMpvPlayer::~RVMpvPlayer()
{
    if (!m_mpv)
        return;
    // After this returns mpv no longer calls back into this object.
    for (mpv_handle* handle : m_handles)
        mpv_set_wakeup_callback(handle, nullptr, nullptr);
    // The render contexts must go before the handles they were made for.
    if (m_widget)
        m_widget->releaseRenderContext();
    for (mpv_handle* handle : m_handles)
        mpv_terminate_destroy(handle);
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
    Notes notes;
    for (;;) {
        const mpv_event* event = mpv_wait_event(m_mpv, 0);
        if (!event || event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event, notes);
    }
    for (;;) {
        const mpv_event* event = mpv_wait_event(m_spare, 0);
        if (!event || event->event_id == MPV_EVENT_NONE)
            break;
        handleSpareEvent(*event);
    }
    for (const auto& note : notes)
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
    case MPV_EVENT_COMMAND_REPLY: {
        if (kindOf(event.reply_userdata) != Kind::Preroll ||
            valueOf(event.reply_userdata) != (m_next.serial & kValueMask) || m_next.path.isEmpty())
            break;
        const auto* reply = static_cast<const mpv_event_command*>(event.data);
        if (event.error < 0) {
            m_next.failure =
                QStringLiteral("Cannot open %1: %2")
                    .arg(m_next.path, QString::fromUtf8(mpv_error_string(event.error)));
        } else if (reply) {
            if (const auto id = intValue(reply->result, "playlist_entry_id"))
                m_next.mpvId = *id;
        }
        break;
    }
    case MPV_EVENT_LOG_MESSAGE:
        warnLogMessage(event);
        break;
    default:
        break;
    }
}

void RVMpvPlayer::handleEvent(const mpv_event& event, Notes& notes)
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
            handleRestart(notes);
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        if (end)
            handleEndOfFile(end->playlist_entry_id, end->reason, end->error, notes);
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        const Kind kind = kindOf(event.reply_userdata);
        if (kind == Kind::ObserveTime && property->format == MPV_FORMAT_DOUBLE) {
            // While a seek is in flight the old position may still be reported; the seek's
            // own answer sets the position.
            if (!m_file.restartPending && !m_file.atEnd) {
                m_file.position = *static_cast<const double*>(property->data);
                if (m_file.forwardStepPending) {
                    m_file.forwardStepPending = false;
                    notes.push_back(
                        [this, position = m_file.position] { Q_EMIT seekFinished(position); });
                }
                if (m_rate == 0.0)
                    notes.push_back([this] { Q_EMIT tick(m_file.position); });
            }
        } else if (kind == Kind::ObserveDuration && property->format == MPV_FORMAT_DOUBLE) {
            if (m_file.ready)
                m_file.duration = *static_cast<const double*>(property->data);
        } else if (kind == Kind::ObserveEof && property->format == MPV_FORMAT_FLAG) {
            if (*static_cast<const int*>(property->data))
                handleEofReached(notes);
        }
        break;
    }
    case MPV_EVENT_COMMAND_REPLY: {
        const auto* reply = static_cast<const mpv_event_command*>(event.data);
        handleReply(event.reply_userdata, event.error, reply ? &reply->result : nullptr,
                    MPV_FORMAT_NODE, notes);
        break;
    }
    case MPV_EVENT_SET_PROPERTY_REPLY:
        // mpv asks for a redraw of the paused frame at the new zoom, and the widget skips
        // redraws of an unchanged frame: tell it this one differs. Only the latest zoom counts.
        if (kindOf(event.reply_userdata) == Kind::VideoZoom &&
            valueOf(event.reply_userdata) == (m_zoomSerial & kValueMask) && m_widget)
            m_widget->redrawFrame();
        break;
    case MPV_EVENT_GET_PROPERTY_REPLY: {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        handleReply(event.reply_userdata, event.error, property ? property->data : nullptr,
                    property ? property->format : MPV_FORMAT_NONE, notes);
        break;
    }
    case MPV_EVENT_LOG_MESSAGE:
        warnLogMessage(event);
        break;
    default:
        break;
    }
}

void RVMpvPlayer::requestCurrentInfo()
{
    // The answers set duration, frame rate and size; the height's answer makes the file ready.
    const auto id = static_cast<std::uint64_t>(m_file.mpvId);
    getProperty(tagOf(Kind::InfoDuration, id), "duration", MPV_FORMAT_DOUBLE);
    // Views put together by a filter graph leave mpv without a current video track, so the
    // frame rate is the played file's video track's, from the track list.
    if (m_file.views.graph.isEmpty())
        getProperty(tagOf(Kind::InfoFps, id), "container-fps", MPV_FORMAT_DOUBLE);
    else
        getProperty(tagOf(Kind::InfoFps, id), "track-list", MPV_FORMAT_NODE);
    getProperty(tagOf(Kind::InfoWidth, id), "width", MPV_FORMAT_INT64);
    getProperty(tagOf(Kind::InfoHeight, id), "height", MPV_FORMAT_INT64);
}

void RVMpvPlayer::handleReply(std::uint64_t tag, int error, const void* data, int format,
                              Notes& notes)
{
    const Kind kind = kindOf(tag);
    const std::uint64_t value = valueOf(tag);
    const auto* node = (format == MPV_FORMAT_NODE) ? static_cast<const mpv_node*>(data) : nullptr;
    const bool isCurrent = m_file.mpvId >= 0 && value == static_cast<std::uint64_t>(m_file.mpvId);
    auto doubleValue = [&]() -> double {
        if (error < 0 || !data)
            return 0.0;
        if (format == MPV_FORMAT_DOUBLE)
            return *static_cast<const double*>(data);
        if (format == MPV_FORMAT_INT64)
            return static_cast<double>(*static_cast<const std::int64_t*>(data));
        return 0.0;
    };

    switch (kind) {
    case Kind::Load:
        if (value == m_loadSerial && error >= 0 && node) {
            if (const auto id = intValue(*node, "playlist_entry_id"))
                m_file.mpvId = *id;
        }
        if (value == m_loadSerial && error < 0) {
            const QString message =
                QStringLiteral("Cannot open %1: %2")
                    .arg(m_file.path, QString::fromUtf8(mpv_error_string(error)));
            m_file.restartPending = false;
            notes.push_back([this, message] { Q_EMIT itemFailed(message); });
        }
        break;
    case Kind::Seek:
    case Kind::BackStep:
        // A refused seek gives no playback restart; let the next operation go.
        if (error < 0 && value == m_loadSerial) {
            m_file.restartPending = false;
            notes.push_back([this] { runQueuedOperation(); });
        }
        break;
    case Kind::InfoDuration:
        if (isCurrent)
            m_file.duration = doubleValue();
        break;
    case Kind::InfoFps:
        if (isCurrent)
            m_file.fps = node ? playedVideoFps(*node) : doubleValue();
        break;
    case Kind::InfoWidth:
        if (isCurrent)
            m_file.videoSize.setWidth(static_cast<int>(doubleValue()));
        break;
    case Kind::InfoHeight:
        if (isCurrent) {
            m_file.videoSize.setHeight(static_cast<int>(doubleValue()));
            if (m_file.ready)
                break; // the size of views put together, known once they were
            m_file.ready = true;
            notes.push_back([this] {
                Q_EMIT itemReady();
                updateTickTimer();
            });
        }
        break;
    case Kind::RestartTime:
        if (value != m_loadSerial || m_file.restartPending)
            break;
        if (error >= 0 && format == MPV_FORMAT_DOUBLE)
            m_file.position = doubleValue();
        if (!m_file.firstFrameShown) {
            m_file.firstFrameShown = true;
            if (!m_file.views.graph.isEmpty() && m_file.mpvId >= 0) {
                // The size of the picture the filter graph makes is known from its first frame.
                const auto id = static_cast<std::uint64_t>(m_file.mpvId);
                getProperty(tagOf(Kind::InfoWidth, id), "width", MPV_FORMAT_INT64);
                getProperty(tagOf(Kind::InfoHeight, id), "height", MPV_FORMAT_INT64);
            }
            startNext();
            notes.push_back([this] { Q_EMIT firstFrameShown(); });
        }
        if (m_file.reportNextRestart) {
            m_file.reportNextRestart = false;
            notes.push_back([this, position = m_file.position] { Q_EMIT seekFinished(position); });
        }
        notes.push_back([this] {
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
        break;
    case Kind::HwdecCurrent:
        // Probing for hardware decoders costs 50-100 ms at every file start (the pause at
        // each file boundary of a trip). Once a recording decoded in software because none
        // was usable, later files skip the probe.
        if (error >= 0 && format == MPV_FORMAT_STRING && data) {
            const char* decoder = *static_cast<char* const*>(data);
            m_hwdecChecked = true;
            m_softwareDecodingOnly = !decoder || !*decoder || std::strcmp(decoder, "no") == 0;
        }
        break;
    case Kind::RestartEof:
        if (value == m_loadSerial && error >= 0 && format == MPV_FORMAT_FLAG && data &&
            *static_cast<const int*>(data))
            handleEofReached(notes);
        break;
    case Kind::Still: {
        QString message;
        std::optional<QImage> image;
        if (error < 0)
            message = QString::fromUtf8(mpv_error_string(error));
        else if (!node)
            message = QStringLiteral("no screenshot answer");
        else
            image = imageFromScreenshot(*node, message);
        if (image) {
            QImage scaled = RVStillImage::scaledToFit(*image, m_stillMaximumSize);
            notes.push_back([this, scaled] { Q_EMIT stillReady(scaled); });
        } else {
            qWarning("Error making screenshot: %s", qPrintable(message));
            notes.push_back([this, message] { Q_EMIT stillFailed(message); });
        }
        break;
    }
    default:
        break;
    }
}

void RVMpvPlayer::handleRestart(Notes& notes)
{
    if (!m_file.restartPending && m_file.firstFrameShown)
        return; // a restart mpv made by itself (for example after a track change)
    m_file.restartPending = false;
    if (runQueuedOperation())
        return;
    if (!m_file.firstFrameShown && !m_hwdecChecked)
        getProperty(tagOf(Kind::HwdecCurrent, m_loadSerial), "hwdec-current", MPV_FORMAT_STRING);
    getProperty(tagOf(Kind::RestartTime, m_loadSerial), "time-pos", MPV_FORMAT_DOUBLE);
    // A seek to the very end may reach it while the seek is still in flight, when the change
    // of eof-reached is not taken as the end; ask again now that it has finished.
    getProperty(tagOf(Kind::RestartEof, m_loadSerial), "eof-reached", MPV_FORMAT_FLAG);
    (void)notes;
}

void RVMpvPlayer::handleEndOfFile(std::int64_t entryId, int reason, int error, Notes& notes)
{
    if (entryId < 0 || entryId != m_file.mpvId)
        return; // a file that was replaced on purpose
    if (reason == MPV_END_FILE_REASON_ERROR && !m_file.views.graph.isEmpty()) {
        // Another camera's file could not be opened or put together with this one (missing,
        // damaged, no video): this file's own picture is better than none.
        qWarning("Cannot show the other views with %s: %s; showing it alone",
                 qPrintable(m_file.path), mpv_error_string(error));
        notes.push_back([this, serial = m_loadSerial] {
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
        notes.push_back([this, message] {
            Q_EMIT itemFailed(message);
            setReportedRate(0.0, nullptr);
            updateTickTimer();
        });
        return;
    }
    if (reason == MPV_END_FILE_REASON_EOF)
        handleEofReached(notes);
}

void RVMpvPlayer::handleEofReached(Notes& notes)
{
    if (!m_file.ready || m_file.atEnd || m_file.restartPending)
        return;
    if (!m_next.path.isEmpty() && (m_next.mpvId >= 0 || !m_next.failure.isEmpty())) {
        moveOnToNext(notes);
        return;
    }
    m_file.atEnd = true;
    if (m_file.duration > 0.0)
        m_file.position = m_file.duration;
    m_reverse = false;
    m_reverseTimer.stop();
    const std::uint64_t serial = m_loadSerial;
    notes.push_back([this, serial] {
        Q_EMIT tick(m_file.position);
        Q_EMIT endReached();
        // mpv paused on the last frame; unless the slot put the next file in, say so.
        if (m_loadSerial == serial && m_file.atEnd)
            setReportedRate(0.0, nullptr);
        updateTickTimer();
    });
}

void RVMpvPlayer::moveOnToNext(Notes& notes)
{
    NextEntry next = std::move(m_next);
    m_next = {};
    m_advancedOnItsOwn = true;
    if (!next.failure.isEmpty() && !next.views.graph.isEmpty()) {
        // As when it is loaded with views that cannot be shown: the file alone.
        qWarning("%s; showing it alone", qPrintable(next.failure));
        beginFile({next.path, -1, next.views}, 0.0);
        notes.push_back([this, serial = m_loadSerial] {
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
        notes.push_back([this, message = next.failure] {
            Q_EMIT endReached();
            Q_EMIT itemFailed(message);
            setReportedRate(0.0, nullptr);
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
        setDouble("speed", m_rate);
        setFlag("pause", false);
    }
    if (m_widget)
        m_widget->activeHandleChanged();
    m_file.restartPending = !next.firstFrameReady;
    requestCurrentInfo();
    if (next.firstFrameReady)
        getProperty(tagOf(Kind::RestartTime, m_loadSerial), "time-pos", MPV_FORMAT_DOUBLE);
    // The finished file's decoder and buffers are not needed any more.
    commandOn(m_spare, tagOf(Kind::Ignore), {"stop"});
    notes.push_back([this] {
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
        commandOn(m_spare, tagOf(Kind::Ignore), {"stop"});
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
    command(tagOf(Kind::Load, m_loadSerial),
            {"loadfile", RVNativePath::encode(path), "replace", fileOptions(startSeconds, views)});
    // After the load: at the end of a file kept open mpv pauses by itself, which must not
    // undo a play request sent just before the load reached it.
    setFlag("pause", rate <= 0.0);
    if (rate > 0.0)
        setDouble("speed", rate);
    setReportedRate(rate, nullptr);
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
    setFlagOn(m_spare, "pause", true);
    commandOn(
        m_spare, tagOf(Kind::Preroll, m_next.serial),
        {"loadfile", RVNativePath::encode(m_next.path), "replace", fileOptions(0.0, m_next.views)});
}

void RVMpvPlayer::unload()
{
    if (!m_mpv)
        return;
    beginFile({}, 0.0);
    forgetNext();
    m_advancedOnItsOwn = false;
    command(tagOf(Kind::Ignore), {"stop"});
    setFlag("pause", true);
    setReportedRate(0.0, nullptr);
    updateTickTimer();
}

void RVMpvPlayer::setRate(double rate)
{
    if (!m_mpv || !std::isfinite(rate))
        return;
    applyRate(rate, nullptr);
}

void RVMpvPlayer::applyRate(double rate, Notes* notes)
{
    m_reverseTimer.stop();
    if (rate > 0.0) {
        m_reverse = false;
        setDouble("speed", rate);
        setFlag("pause", false);
    } else {
        setFlag("pause", true);
        if (rate < 0.0 && m_file.ready && !m_file.restartPending) {
            m_reverse = true;
            m_pacer.setFrameDuration(m_file.fps > 0.0 ? 1.0 / m_file.fps : 0.0);
            m_pacer.start(m_file.position, rate, wallSeconds());
        } else if (rate == 0.0) {
            m_reverse = false;
        }
    }
    setReportedRate(rate, notes);
    updateTickTimer();
    if (m_reverse)
        reverseStep();
}

void RVMpvPlayer::setReportedRate(double rate, Notes* notes)
{
    if (rate == m_rate)
        return;
    m_rate = rate;
    if (notes)
        notes->push_back([this, rate] { Q_EMIT rateChanged(rate); });
    else
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
    command(tagOf(Kind::Seek, m_loadSerial), {"seek", secondsText(seconds), "absolute+exact"});
}

void RVMpvPlayer::stepFrame(int direction)
{
    if (!m_mpv || m_file.path.isEmpty() || direction == 0)
        return;
    if (m_rate != 0.0)
        applyRate(0.0, nullptr);
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
        command(tagOf(Kind::Ignore), {"frame-step"});
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
    command(tagOf(Kind::BackStep, m_loadSerial), {"frame-back-step"});
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
        command(tagOf(Kind::BackStep, m_loadSerial), {"frame-back-step"});
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
        setReportedRate(0.0, nullptr);
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
    m_stillMaximumSize = maximumSize;
    command(tagOf(Kind::Still), {"screenshot-raw", "video"});
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

void RVMpvPlayer::commandOn(mpv_handle* mpv, std::uint64_t tag,
                            std::initializer_list<QByteArray> args)
{
    std::vector<const char*> argv;
    argv.reserve(args.size() + 1);
    for (const QByteArray& arg : args) {
        if (!arg.isEmpty())
            argv.push_back(arg.constData());
    }
    argv.push_back(nullptr);
    const int result = mpv_command_async(mpv, tag, argv.data());
    if (result < 0)
        qWarning("mpv command %s failed: %s", argv.front(), mpv_error_string(result));
}

void RVMpvPlayer::setFlagOn(mpv_handle* mpv, const char* name, bool value)
{
    int flag = value ? 1 : 0;
    mpv_set_property_async(mpv, tagOf(Kind::Ignore), name, MPV_FORMAT_FLAG, &flag);
}

void RVMpvPlayer::setVideoZoom(double zoomLog2, double panX, double panY)
{
    // On both handles, so that the next file of the trip shows the same part. The last
    // property's answer says the new zoom is in effect (see MPV_EVENT_SET_PROPERTY_REPLY).
    ++m_zoomSerial;
    for (mpv_handle* handle : m_handles) {
        if (!handle)
            return;
        setDoubleOn(handle, "video-zoom", zoomLog2);
        setDoubleOn(handle, "video-pan-x", panX);
        double y = panY;
        mpv_set_property_async(handle, tagOf(Kind::VideoZoom, m_zoomSerial), "video-pan-y",
                               MPV_FORMAT_DOUBLE, &y);
    }
}

void RVMpvPlayer::setDoubleOn(mpv_handle* mpv, const char* name, double value)
{
    mpv_set_property_async(mpv, tagOf(Kind::Ignore), name, MPV_FORMAT_DOUBLE, &value);
}

void RVMpvPlayer::getProperty(std::uint64_t tag, const char* name, int format)
{
    mpv_get_property_async(m_mpv, tag, name, static_cast<mpv_format>(format));
}
