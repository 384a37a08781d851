#include "metadata/writers/RVBackgroundFlush.h"

#include "core/platform/RVPlatformFile.h"

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
        const int error = RVPlatformFile::syncData(m_fd);
        lock.lock();
        if (error != 0 && m_error == 0)
            m_error = error;
    }
}
