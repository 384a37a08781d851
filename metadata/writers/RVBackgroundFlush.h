#pragma once

#include <QString>

#include <condition_variable>
#include <mutex>
#include <thread>

// Makes a file's data durable on a thread of its own while the rest of the file is still
// being written. A disk flush takes time in proportion to the data not yet durable (about
// 0.6 ms a megabyte on a virtual disk), so a large export that flushes only once, at the end,
// waits for all of it; flushing what is already written while the rest is formatted leaves
// the last flush little to do.
//
// The last flush stays the writer's own (it has to come after the last write); this only
// shortens it. A failed flush is kept for finish(): the kernel reports a write-back error to
// one flush of an open file only, so the writer's own flush may no longer see it.
class RVBackgroundFlush final
{
public:
    // fd: an open file that stays open until finish() or the destructor returns.
    explicit RVBackgroundFlush(int fd);
    ~RVBackgroundFlush(); // finish()
    RVBackgroundFlush(const RVBackgroundFlush&) = delete;
    RVBackgroundFlush& operator=(const RVBackgroundFlush&) = delete;

    // Asks for a flush of everything written so far and returns at once. Requests made while
    // a flush runs are served by one more flush after it.
    void request();
    // Waits until everything asked for has been flushed and returns why the first failed
    // flush failed, or an empty text.
    QString finish();

private:
    void run();

    const int m_fd;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_requested = false;
    bool m_stopping = false;
    int m_error = 0;
    std::thread m_thread; // declared last: starts once the members above exist
};
