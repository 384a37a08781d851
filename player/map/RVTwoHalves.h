#pragma once

#include <cstddef>
#include <system_error>
#include <thread>

// Runs work(from, to) over [0, count): from `parallelFrom` items on, the second half on a
// thread of its own while this thread does the first; below that, or when no thread can be
// had, all of it on this thread. The two halves must not write the same data.
template <typename Work>
void runInTwoHalves(std::size_t count, std::size_t parallelFrom, const Work& work)
{
    if (count >= parallelFrom) {
        try {
            std::thread second(work, count / 2, count);
            work(std::size_t{0}, count / 2);
            second.join();
            return;
        } catch (const std::system_error&) {
            // No thread to be had: all of it below, on this one.
        }
    }
    work(std::size_t{0}, count);
}
