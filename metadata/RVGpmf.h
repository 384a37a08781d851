#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// GoPro's metadata format (GPMF): a run of key-length-value items, all big-endian, each
// padded to a multiple of four bytes.
//   offset 0, 4 bytes: key, four characters ("DEVC", "STRM", "GPS5")
//   offset 4, 1 byte:  type: 0 for a nest of further items, else a value type ('l' s32,
//                      'L' u32, 's' s16, 'S' u16, 'b'/'B' 8-bit, 'f' float, 'd' double,
//                      'j'/'J' 64-bit, 'c' characters, 'U' a 16-character UTC time,
//                      '?' a structure described by the stream's TYPE item)
//   offset 5, 1 byte:  structure size: bytes of one sample
//   offset 6, u16:     repeat: number of samples
//   offset 8:          structure size x repeat bytes, then zero padding to four bytes
// Items that change the meaning of data (SCAL divisors, TYPE) stand before the data they
// apply to, within the same nest.
struct RVGpmfItem final
{
    std::array<char, 4> key{};
    char type = 0;
    std::uint8_t structSize = 0;
    std::uint16_t repeat = 0;
    std::string_view data; // structSize x repeat bytes

    bool is(std::string_view fourCharacters) const
    {
        return std::string_view(key.data(), key.size()) == fourCharacters;
    }
    bool isNest() const { return type == 0; }
};

// Walks the items of one level. A key that is not four printable characters, or an item whose
// data runs past the end, ends the walk; at most kMaxItems items are visited.
class RVGpmfWalker final
{
public:
    static constexpr int kMaxItems = 1 << 16;

    explicit RVGpmfWalker(std::string_view bytes) : m_bytes(bytes) {}
    std::optional<RVGpmfItem> next();

private:
    std::string_view m_bytes;
    std::size_t m_offset = 0;
    int m_visited = 0;
};

namespace RVGpmf {

// Bytes of one value of a type (0 for types without a fixed size: nests, '?').
std::size_t valueSize(char type);
// The index-th value of the given type in data as a number; nothing past the end or for a
// type that is not a number.
std::optional<double> number(std::string_view data, char type, std::size_t index);
// All values of a numeric item, in order (for SCAL: one divisor, or one per element).
std::vector<double> numbers(const RVGpmfItem& item);

} // namespace RVGpmf
