#include "metadata/RVTextSplit.h"

#include <cstring>

bool RVLineSplitter::next(std::string_view& line)
{
    if (m_done)
        return false;
    const void* found = m_rest.empty() ? nullptr : std::memchr(m_rest.data(), '\n', m_rest.size());
    if (!found) {
        line = m_rest;
        m_rest = {};
        m_done = true;
        return true;
    }
    const std::size_t length = std::size_t(static_cast<const char*>(found) - m_rest.data());
    line = m_rest.substr(0, length);
    m_rest.remove_prefix(length + 1);
    return true;
}

RVFieldSplitter::RVFieldSplitter(std::string_view line)
{
    std::size_t start = 0;
    for (;;) {
        const void* found = start < line.size()
                                ? std::memchr(line.data() + start, ',', line.size() - start)
                                : nullptr;
        const std::size_t end =
            found ? std::size_t(static_cast<const char*>(found) - line.data()) : line.size();
        if (m_count < kKept)
            m_fields[m_count] = line.substr(start, end - start);
        ++m_count;
        if (!found)
            return;
        start = end + 1;
    }
}
