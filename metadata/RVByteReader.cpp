#include "metadata/RVByteReader.h"

#include <bit>

std::optional<std::string_view> RVByteReader::bytes(std::size_t offset, std::size_t length) const
{
    if (offset > m_bytes.size() || length > m_bytes.size() - offset)
        return std::nullopt;
    return m_bytes.substr(offset, length);
}

std::optional<std::uint32_t> RVByteReader::u32(std::size_t offset) const
{
    const auto b = bytes(offset, 4);
    if (!b)
        return std::nullopt;
    const auto* p = reinterpret_cast<const unsigned char*>(b->data());
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

std::optional<std::int32_t> RVByteReader::s32(std::size_t offset) const
{
    const auto value = u32(offset);
    if (!value)
        return std::nullopt;
    return std::int32_t(*value); // two's complement reinterpretation (C++20)
}

std::optional<std::uint16_t> RVByteReader::u16(std::size_t offset) const
{
    const auto b = bytes(offset, 2);
    if (!b)
        return std::nullopt;
    const auto* p = reinterpret_cast<const unsigned char*>(b->data());
    return std::uint16_t((unsigned(p[0]) << 8) | unsigned(p[1]));
}

std::optional<std::uint32_t> RVByteReader::u32le(std::size_t offset) const
{
    const auto b = bytes(offset, 4);
    if (!b)
        return std::nullopt;
    const auto* p = reinterpret_cast<const unsigned char*>(b->data());
    return (std::uint32_t(p[3]) << 24) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) |
           std::uint32_t(p[0]);
}

std::optional<std::int32_t> RVByteReader::s32le(std::size_t offset) const
{
    const auto value = u32le(offset);
    if (!value)
        return std::nullopt;
    return std::int32_t(*value);
}

std::optional<float> RVByteReader::f32le(std::size_t offset) const
{
    const auto value = u32le(offset);
    if (!value)
        return std::nullopt;
    return std::bit_cast<float>(*value);
}
