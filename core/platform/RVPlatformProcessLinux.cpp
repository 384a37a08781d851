#include "core/platform/RVPlatformFile.h"

#include <csignal>
#include <cstdint>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

namespace RVPlatformFile {

void onEndingSignals(void (*handler)(int))
{
    struct sigaction action
    {};
    action.sa_handler = handler;
    ::sigemptyset(&action.sa_mask);
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signalNumber, &action, nullptr);
}

void endBySignal(int signalNumber)
{
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

unsigned userId()
{
    return unsigned(::getuid());
}

int lockExclusively(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool isTerminal(std::FILE* stream)
{
    return stream && ::isatty(::fileno(stream));
}

void prefaultForWriting(void* data, std::size_t bytes)
{
#ifdef MADV_POPULATE_WRITE
    // madvise takes whole pages: the partial pages at the buffer's ends fault in as usual.
    const auto page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) & ~(page - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(page - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}

} // namespace RVPlatformFile
