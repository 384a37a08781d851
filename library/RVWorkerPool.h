#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// A small pool of worker threads owned by one object, which joins them when it is destroyed.
// Jobs run in the order given, up to maxThreads at a time; threads are started as jobs need
// them and wait for more work until the pool goes.
//
// Built on the standard library's threads and locks rather than QThreadPool so that
// ThreadSanitizer sees every hand-over between threads (Qt's own locks are not instrumented).
class RVWorkerPool final
{
public:
    explicit RVWorkerPool(int maxThreads);
    ~RVWorkerPool();
    RVWorkerPool(const RVWorkerPool&) = delete;
    RVWorkerPool& operator=(const RVWorkerPool&) = delete;

    // Queues the job; ignored once the pool is being destroyed.
    void start(std::function<void()> job);
    // Waits until no job is queued or running, including jobs queued by running jobs. Must
    // not be called from one of the pool's own jobs.
    void waitForDone();

private:
    void work();

    // What the pool's threads share; all of it is guarded by mutex.
    struct State
    {
        std::mutex mutex;
        std::condition_variable wake; // a job was queued, or the pool is stopping
        std::condition_variable idle; // the last job finished
        std::deque<std::function<void()>> queue;
        std::vector<std::thread> threads;
        int waiting = 0; // threads waiting for a job
        int running = 0; // jobs running
        bool stopping = false;
    };

    const int m_maxThreads;
    const std::unique_ptr<State> m_state;
};
