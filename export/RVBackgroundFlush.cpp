#include "export/RVBackgroundFlush.h"

#include <cerrno>

#include <unistd.h>

RVBackgroundFlush::RVBackgroundFlush(int fd) : m_fd(fd), m_thread([this] { run(); }) {}

RVBackgroundFlush::~RVBackgroundFlush()
{
    finish();
}

void RVBackgroundFlush::request()
{
    {
        const std::lock_guard lock(m_mutex);
        m_requested = true;
    }
    m_wake.notify_one();
}

QString RVBackgroundFlush::finish()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
    return m_error == 0 ? QString() : qt_error_string(m_error);
}

void RVBackgroundFlush::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_requested || m_stopping; });
        if (!m_requested)
            return;
        m_requested = false;
        lock.unlock();
#ifdef Q_OS_LINUX
        const int result = ::fdatasync(m_fd); // the data, and the size that makes it readable
#else
        const int result = ::fsync(m_fd);
#endif
        const int error = result == 0 ? 0 : errno;
        lock.lock();
        if (error != 0 && m_error == 0)
            m_error = error;
    }
}
