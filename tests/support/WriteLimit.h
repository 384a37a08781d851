#pragma once

#include <sys/resource.h>

#include <csignal>

namespace support {

// A disk that fills up after `bytes`, for the writers' error paths, without root: the
// process's file-size limit (RLIMIT_FSIZE) makes every write that would take a file past
// `bytes` fail with EFBIG, as a full disk fails it with ENOSPC. SIGXFSZ, which the kernel sends
// with that failure, is ignored so the write returns its error instead of ending the process.
// Programs the test starts inherit both. Restored when the object goes.
class WriteLimit final
{
public:
    explicit WriteLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        // Only the soft limit: it can be raised again without privileges.
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~WriteLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
    }
    WriteLimit(const WriteLimit&) = delete;
    WriteLimit& operator=(const WriteLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int) = SIG_DFL;
};

} // namespace support
