#include "core/RVTextSplit.h"

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

namespace {

// Hands the position of each comma in line to stop(), in order, until it returns true; the
// position it stopped at, or npos when it never did.
template <typename Stop>
std::size_t findComma(std::string_view line, Stop stop)
{
    std::size_t i = 0;
#ifdef __SSE2__
    // Sixteen bytes at a time: a mask of the commas among them, taken lowest bit first. An
    // NMEA line is about 70 bytes, so this is a handful of steps instead of 70 comparisons.
    const __m128i commas = _mm_set1_epi8(',');
    for (; i + 16 <= line.size(); i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + i));
        auto mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, commas)));
        while (mask != 0) {
            const std::size_t at = i + std::size_t(std::countr_zero(mask));
            if (stop(at))
                return at;
            mask &= mask - 1;
        }
    }
#endif
    for (; i < line.size(); ++i) {
        if (line[i] == ',' && stop(i))
            return i;
    }
    return std::string_view::npos;
}

} // namespace

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
    if (findComma(line, comma) != std::string_view::npos) {
        // The comma that ended the last field wanted begins one more, left unread.
        if (m_count < kKept)
            m_fields[m_count] = {line.data() + start, 0};
        ++m_count;
        return;
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
    const std::size_t end = findComma(line, comma);
    if (end != std::string_view::npos)
        return line.substr(start, end - start);
    if (passed < index)
        return std::nullopt;
    return line.substr(start);
}
