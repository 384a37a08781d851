#include "library/RVWorkerPool.h"

#include <algorithm>

RVWorkerPool::RVWorkerPool(int maxThreads)
    : m_maxThreads(std::max(1, maxThreads)), m_state(std::make_unique<State>())
{}

RVWorkerPool::~RVWorkerPool()
{
    waitForDone();
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
    }
    m_state->wake.notify_all();
    for (std::thread& thread : m_state->threads)
        thread.join();
}

void RVWorkerPool::start(std::function<void()> job)
{
    if (!job)
        return;
    State& s = *m_state;
    std::lock_guard lock(s.mutex);
    if (s.stopping)
        return;
    s.queue.push_back(std::move(job));
    if (s.waiting > 0)
        s.wake.notify_one();
    else if (int(s.threads.size()) < m_maxThreads)
        s.threads.emplace_back([this] { work(); });
}

void RVWorkerPool::waitForDone()
{
    State& s = *m_state;
    std::unique_lock lock(s.mutex);
    s.idle.wait(lock, [&s] { return s.queue.empty() && s.running == 0; });
}

void RVWorkerPool::work()
{
    State& s = *m_state;
    std::unique_lock lock(s.mutex);
    for (;;) {
        ++s.waiting;
        s.wake.wait(lock, [&s] { return s.stopping || !s.queue.empty(); });
        --s.waiting;
        if (s.queue.empty())
            return; // stopping
        std::function<void()> job = std::move(s.queue.front());
        s.queue.pop_front();
        ++s.running;
        lock.unlock();
        job();
        job = nullptr; // the job's captures go before the pool counts it as done
        lock.lock();
        --s.running;
        if (s.running == 0 && s.queue.empty())
            s.idle.notify_all();
    }
}
