#include "metadata/RVGpmf.h"

#include <bit>
#include <cstring>

namespace {

std::uint64_t bigEndian(std::string_view data, std::size_t at, std::size_t bytes)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i)
        value = (value << 8) | static_cast<unsigned char>(data[at + i]);
    return value;
}

bool printableKey(const char* key)
{
    for (int i = 0; i < 4; ++i) {
        const char c = key[i];
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        (c >= '0' && c <= '9') || c == ' ' || c == '_' || c == '-';
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

std::optional<RVGpmfItem> RVGpmfWalker::next()
{
    if (m_offset + 8 > m_bytes.size() || m_visited >= kMaxItems)
        return std::nullopt;
    ++m_visited;
    const char* head = m_bytes.data() + m_offset;
    if (!printableKey(head)) {
        m_offset = m_bytes.size();
        return std::nullopt;
    }
    RVGpmfItem item;
    std::memcpy(item.key.data(), head, 4);
    item.type = head[4];
    item.structSize = static_cast<std::uint8_t>(head[5]);
    item.repeat = std::uint16_t(bigEndian(m_bytes, m_offset + 6, 2));
    const std::size_t length = std::size_t(item.structSize) * item.repeat; // at most 16 MiB
    if (length > m_bytes.size() - m_offset - 8) {
        m_offset = m_bytes.size();
        return std::nullopt;
    }
    item.data = m_bytes.substr(m_offset + 8, length);
    m_offset += 8 + (length + 3) / 4 * 4;
    return item;
}

namespace RVGpmf {

std::size_t valueSize(char type)
{
    switch (type) {
    case 'b':
    case 'B':
    case 'c':
        return 1;
    case 's':
    case 'S':
        return 2;
    case 'l':
    case 'L':
    case 'f':
    case 'q':
        return 4;
    case 'j':
    case 'J':
    case 'd':
    case 'Q':
        return 8;
    default:
        return 0;
    }
}

std::optional<double> number(std::string_view data, char type, std::size_t index)
{
    const std::size_t size = valueSize(type);
    if (size == 0 || type == 'c' || index >= data.size() / size)
        return std::nullopt;
    const std::uint64_t raw = bigEndian(data, index * size, size);
    switch (type) {
    case 'b':
        return double(std::int8_t(raw));
    case 's':
        return double(std::int16_t(raw));
    case 'l':
        return double(std::int32_t(raw));
    case 'j':
        return double(std::int64_t(raw));
    case 'f':
        return double(std::bit_cast<float>(std::uint32_t(raw)));
    case 'd':
        return std::bit_cast<double>(raw);
    case 'q': // Q15.16 fixed point
        return double(std::int32_t(raw)) / 65536.0;
    case 'Q': // Q31.32 fixed point
        return double(std::int64_t(raw)) / 4294967296.0;
    default: // the unsigned types
        return double(raw);
    }
}

std::vector<double> numbers(const RVGpmfItem& item)
{
    std::vector<double> values;
    const std::size_t size = valueSize(item.type);
    if (size == 0 || item.type == 'c')
        return values;
    const std::size_t n = item.data.size() / size;
    values.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        values.push_back(*number(item.data, item.type, i));
    return values;
}

} // namespace RVGpmf
