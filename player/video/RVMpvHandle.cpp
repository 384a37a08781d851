#include "player/video/RVMpvHandle.h"

#include <mpv/client.h>

#include <QtDebug>

namespace {
constexpr std::uint64_t kObserverBit = std::uint64_t{1} << 63;
} // namespace

double RVMpvHandle::Reply::number() const
{
    if (error < 0 || !data)
        return 0.0;
    if (format == MPV_FORMAT_DOUBLE)
        return *static_cast<const double*>(data);
    if (format == MPV_FORMAT_INT64)
        return static_cast<double>(*static_cast<const std::int64_t*>(data));
    return 0.0;
}

bool RVMpvHandle::Reply::flag() const
{
    return error >= 0 && data && format == MPV_FORMAT_FLAG && *static_cast<const int*>(data);
}

const char* RVMpvHandle::Reply::string() const
{
    return error >= 0 && data && format == MPV_FORMAT_STRING ? *static_cast<char* const*>(data)
                                                             : nullptr;
}

const mpv_node* RVMpvHandle::Reply::node() const
{
    return error >= 0 && data && format == MPV_FORMAT_NODE ? static_cast<const mpv_node*>(data)
                                                           : nullptr;
}

std::unique_ptr<RVMpvHandle> RVMpvHandle::create(const Options& options, QString& error)
{
    mpv_handle* mpv = mpv_create();
    if (!mpv) {
        error = QStringLiteral("mpv could not be created");
        return nullptr;
    }
    for (const auto& [name, value] : options) {
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
    mpv_request_log_messages(mpv, "error");
    return std::unique_ptr<RVMpvHandle>(new RVMpvHandle(mpv));
}

RVMpvHandle::~RVMpvHandle()
{
    mpv_terminate_destroy(m_mpv);
}

void RVMpvHandle::setWakeup(void (*wakeup)(void*), void* context)
{
    mpv_set_wakeup_callback(m_mpv, wakeup, context);
}

std::uint64_t RVMpvHandle::expect(Callback callback)
{
    if (!callback)
        return 0;
    const std::uint64_t id = ++m_lastId;
    m_pending.emplace(id, std::move(callback));
    return id;
}

void RVMpvHandle::refused(std::uint64_t id, int result, const char* what)
{
    qWarning("mpv %s failed: %s", what, mpv_error_string(result));
    m_pending.erase(id);
}

void RVMpvHandle::command(std::initializer_list<QByteArray> args, Callback answer)
{
    std::vector<const char*> argv;
    argv.reserve(args.size() + 1);
    for (const QByteArray& arg : args) {
        if (!arg.isEmpty())
            argv.push_back(arg.constData());
    }
    argv.push_back(nullptr);
    const std::uint64_t id = expect(std::move(answer));
    const int result = mpv_command_async(m_mpv, id, argv.data());
    if (result < 0)
        refused(id, result, argv.front() ? argv.front() : "command");
}

void RVMpvHandle::getProperty(const char* name, int format, Callback answer)
{
    const std::uint64_t id = expect(std::move(answer));
    const int result = mpv_get_property_async(m_mpv, id, name, static_cast<mpv_format>(format));
    if (result < 0)
        refused(id, result, name);
}

void RVMpvHandle::setFlag(const char* name, bool value, Callback done)
{
    int flag = value ? 1 : 0;
    const std::uint64_t id = expect(std::move(done));
    const int result = mpv_set_property_async(m_mpv, id, name, MPV_FORMAT_FLAG, &flag);
    if (result < 0)
        refused(id, result, name);
}

void RVMpvHandle::setDouble(const char* name, double value, Callback done)
{
    const std::uint64_t id = expect(std::move(done));
    const int result = mpv_set_property_async(m_mpv, id, name, MPV_FORMAT_DOUBLE, &value);
    if (result < 0)
        refused(id, result, name);
}

void RVMpvHandle::observe(const char* name, int format, Callback changed)
{
    const std::uint64_t id = kObserverBit | (m_observers.size() + 1);
    const int result = mpv_observe_property(m_mpv, id, name, static_cast<mpv_format>(format));
    if (result < 0) {
        qWarning("mpv cannot observe %s: %s", name, mpv_error_string(result));
        return;
    }
    m_observers.emplace(id, std::move(changed));
}

bool RVMpvHandle::handleNextEvent(const EventHandler& other)
{
    const mpv_event* event = mpv_wait_event(m_mpv, 0);
    if (!event || event->event_id == MPV_EVENT_NONE)
        return false;
    Reply reply{event->error, MPV_FORMAT_NONE, nullptr};
    switch (event->event_id) {
    case MPV_EVENT_COMMAND_REPLY:
        if (const auto* command = static_cast<const mpv_event_command*>(event->data))
            reply = {event->error, MPV_FORMAT_NODE, &command->result};
        break;
    case MPV_EVENT_GET_PROPERTY_REPLY:
    case MPV_EVENT_PROPERTY_CHANGE:
        if (const auto* property = static_cast<const mpv_event_property*>(event->data))
            reply = {event->error, property->format, property->data};
        break;
    case MPV_EVENT_SET_PROPERTY_REPLY:
        break;
    case MPV_EVENT_LOG_MESSAGE: {
        const auto* message = static_cast<const mpv_event_log_message*>(event->data);
        qWarning("mpv %s: %s", message->prefix, QByteArray(message->text).trimmed().constData());
        return true;
    }
    default:
        if (other)
            other(*event);
        return true;
    }
    if (event->event_id == MPV_EVENT_PROPERTY_CHANGE) {
        const auto observer = m_observers.find(event->reply_userdata);
        if (observer != m_observers.end())
            observer->second(reply);
        return true;
    }
    // Taken out first: the callback may make requests of its own.
    const auto pending = m_pending.find(event->reply_userdata);
    if (pending == m_pending.end())
        return true;
    const Callback callback = std::move(pending->second);
    m_pending.erase(pending);
    callback(reply);
    return true;
}
