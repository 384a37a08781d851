#include "metadata/RVTextSplit.h"

#include <bit>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

RVFieldSplitter::RVFieldSplitter(std::string_view line, std::size_t fields)
{
    std::size_t start = 0;
    // Takes the field that ends at the comma at `at`; true once `fields` fields are taken.
    const auto comma = [&](std::size_t at) {
        if (m_count < kKept)
            m_fields[m_count] = {line.data() + start, at - start};
        start = at + 1;
        return ++m_count == fields;
    };
    // The comma that ended the last field wanted begins one more, left unread.
    const auto oneMore = [&] {
        if (m_count < kKept)
            m_fields[m_count] = {line.data() + start, 0};
        ++m_count;
    };
    std::size_t i = 0;
#ifdef __SSE2__
    // Sixteen bytes at a time: a mask of the commas among them, taken lowest bit first. An
    // NMEA line is about 70 bytes, so this is a handful of steps instead of 70 comparisons.
    const __m128i commas = _mm_set1_epi8(',');
    for (; i + 16 <= line.size(); i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + i));
        auto mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, commas)));
        while (mask != 0) {
            if (comma(i + std::size_t(std::countr_zero(mask)))) {
                oneMore();
                return;
            }
            mask &= mask - 1;
        }
    }
#endif
    for (; i < line.size(); ++i) {
        if (line[i] == ',' && comma(i)) {
            oneMore();
            return;
        }
    }
    if (m_count < kKept)
        m_fields[m_count] = {line.data() + start, line.size() - start};
    ++m_count;
}

std::optional<std::string_view> RVFieldSplitter::field(std::string_view line, std::size_t index)
{
    // The field starts after comma number `index` and ends at the next comma or the line's end.
    std::size_t passed = 0;
    std::size_t start = 0;
    // True when the comma at `at` ends the field.
    const auto comma = [&](std::size_t at) {
        if (passed == index)
            return true;
        if (++passed == index)
            start = at + 1;
        return false;
    };
    std::size_t i = 0;
#ifdef __SSE2__
    const __m128i commas = _mm_set1_epi8(',');
    for (; i + 16 <= line.size(); i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + i));
        auto mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, commas)));
        while (mask != 0) {
            const std::size_t at = i + std::size_t(std::countr_zero(mask));
            if (comma(at))
                return line.substr(start, at - start);
            mask &= mask - 1;
        }
    }
#endif
    for (; i < line.size(); ++i) {
        if (line[i] == ',' && comma(i))
            return line.substr(start, i - start);
    }
    if (passed < index)
        return std::nullopt;
    return line.substr(start);
}
