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
    // Fields are a few bytes long: a plain scan beats a library search call per field.
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != ',')
            continue;
        if (m_count < kKept)
            m_fields[m_count] = line.substr(start, i - start);
        ++m_count;
        start = i + 1;
    }
    if (m_count < kKept)
        m_fields[m_count] = line.substr(start);
    ++m_count;
}
