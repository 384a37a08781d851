#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// Bounds-checked reads of big-endian integers from a byte string (box headers, sensor
// records), and of the little-endian integers and floats some cameras' records hold. A read that
// would run past the end gives nothing instead of touching memory beyond the bytes.
class RVByteReader final
{
public:
    explicit RVByteReader(std::string_view bytes) : m_bytes(bytes) {}

    std::size_t size() const { return m_bytes.size(); }
    std::optional<std::uint32_t> u32(std::size_t offset) const;
    std::optional<std::int32_t> s32(std::size_t offset) const;
    std::optional<std::uint16_t> u16(std::size_t offset) const;
    std::optional<std::uint32_t> u32le(std::size_t offset) const;
    std::optional<std::int32_t> s32le(std::size_t offset) const;
    // An IEEE 754 single-precision value stored little-endian.
    std::optional<float> f32le(std::size_t offset) const;
    // The bytes [offset, offset + length), or nothing when they are not all there.
    std::optional<std::string_view> bytes(std::size_t offset, std::size_t length) const;

private:
    std::string_view m_bytes;
};
