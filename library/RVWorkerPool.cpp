#include "library/RVWorkerPool.h"

#include <algorithm>

RVWorkerPool::RVWorkerPool(int maxThreads) : m_maxThreads(std::max(1, maxThreads)) {}

RVWorkerPool::~RVWorkerPool()
{
    waitForDone();
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

void RVWorkerPool::start(std::function<void()> job)
{
    if (!job)
        return;
    std::lock_guard lock(m_mutex);
    if (m_stopping)
        return;
    m_queue.push_back(std::move(job));
    if (m_waiting > 0)
        m_wake.notify_one();
    else if (int(m_threads.size()) < m_maxThreads)
        m_threads.emplace_back([this] { work(); });
}

void RVWorkerPool::waitForDone()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_queue.empty() && m_running == 0; });
}

void RVWorkerPool::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        ++m_waiting;
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        --m_waiting;
        if (m_queue.empty())
            return; // stopping
        std::function<void()> job = std::move(m_queue.front());
        m_queue.pop_front();
        ++m_running;
        lock.unlock();
        job();
        job = nullptr; // the job's captures go before the pool counts it as done
        lock.lock();
        --m_running;
        if (m_running == 0 && m_queue.empty())
            m_idle.notify_all();
    }
}
