#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

struct mpv_handle;
struct mpv_event;
struct mpv_node;

// One mpv client handle, used asynchronously only: every command, property read or write and
// observed property takes its own callback, which receives mpv's answer. The owner drains the
// handle's events on its own thread (handleNextEvent) when mpv wakes it; answers then go to
// their callbacks, mpv's error messages to the log and every other event to the owner.
class RVMpvHandle final
{
public:
    using Options = std::vector<std::pair<QByteArray, QByteArray>>;

    // An answer: mpv's error code (negative on failure) and the value in one of mpv's formats
    // (an mpv_format; 0 when there is none). The value is mpv's event memory: it is valid only
    // while the callback runs, so a callback takes what it needs and never keeps the reply.
    struct Reply
    {
        int error = 0;
        int format = 0;
        const void* data = nullptr;

        // A DOUBLE or INT64 value as a number; 0 for a failure or any other format.
        double number() const;
        // A FLAG value; false for a failure or any other format.
        bool flag() const;
        // A STRING value; null for a failure or any other format.
        const char* string() const;
        // A NODE value (commands answer with one); null for a failure or any other format.
        const mpv_node* node() const;
    };
    using Callback = std::function<void(const Reply&)>;
    using EventHandler = std::function<void(const mpv_event&)>;

    // Creates and initialises a handle with these options (rejected ones are logged); null,
    // with `error` saying why, when mpv cannot be created or initialised.
    static std::unique_ptr<RVMpvHandle> create(const Options& options, QString& error);
    ~RVMpvHandle();
    RVMpvHandle(const RVMpvHandle&) = delete;
    RVMpvHandle& operator=(const RVMpvHandle&) = delete;

    mpv_handle* get() const { return m_mpv; }
    // `wakeup` is called on an mpv thread whenever events are waiting; null stops the calls
    // (once this returns, none is running).
    void setWakeup(void (*wakeup)(void*), void* context);

    // Empty arguments are left out. Without a callback the answer is dropped.
    void command(std::initializer_list<QByteArray> args, Callback answer = {});
    void getProperty(const char* name, int format, Callback answer);
    void setFlag(const char* name, bool value, Callback done = {});
    void setDouble(const char* name, double value, Callback done = {});
    // `changed` gets every new value of the property, for the handle's lifetime.
    void observe(const char* name, int format, Callback changed);

    // Takes one waiting event and hands it on; false when none was waiting. Callbacks and
    // `other` run before this returns and may make new requests.
    bool handleNextEvent(const EventHandler& other);

private:
    explicit RVMpvHandle(mpv_handle* mpv) : m_mpv(mpv) {}
    // The id the answer will carry; 0 (dropped) without a callback.
    std::uint64_t expect(Callback callback);
    // A request mpv refused at once gets no answer.
    void refused(std::uint64_t id, int result, const char* what);

    mpv_handle* m_mpv;
    std::uint64_t m_lastId = 0;
    // Callbacks waiting for their answer, and the observers (their ids have the top bit set).
    std::unordered_map<std::uint64_t, Callback> m_pending;
    std::unordered_map<std::uint64_t, Callback> m_observers;
};
