#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

class QIODevice;

// One ISO media box as the walker found it. Offsets are absolute file positions in bytes.
struct RVBox final
{
    std::array<char, 4> type{};
    qint64 offset = 0;       // first byte of the header
    qint64 headerSize = 8;   // 8, or 16 with a 64-bit size
    qint64 declaredSize = 0; // the size the header claims, header included
    qint64 end = 0;          // one past the last byte, never past the walked range's end

    bool is(std::string_view fourCharacters) const
    {
        return std::string_view(type.data(), type.size()) == fourCharacters;
    }
    qint64 payloadOffset() const { return offset + headerSize; }
    qint64 payloadSize() const { return end - payloadOffset(); }
};

// Walks the sibling boxes of a byte range of a seekable device (a whole file, or the payload
// of a box), reading only the headers through seeks, never the payloads.
//
// Box header, big-endian:
//   offset 0, u32: size of the box in bytes, header included
//                  0 = the box runs to the end of the range, 1 = a u64 size follows the type
//   offset 4, 4 bytes: type, four ASCII characters
//   offset 8, u64: the size, when the 32-bit field is 1
// A size smaller than its header ends the walk (it could not move forward). A box that claims
// more than the range holds is cut at the range's end and is the last one. At most kMaxBoxes
// boxes are visited: real files hold a few dozen top-level boxes, fragmented ones one pair a
// fragment (7,200 for an hour of one-second fragments); millions of 8-byte boxes are garbage
// that would cost seconds per file.
class RVBoxWalker final
{
public:
    enum class Sizes
    {
        Standard,
        // The maker's own cameras: every size is a signed 32-bit count, 0 and 1 have no
        // meaning of their own (and end the walk like any size below 8).
        Signed32,
    };
    static constexpr int kMaxBoxes = 100000;

    RVBoxWalker(QIODevice& device, qint64 begin, qint64 end, Sizes sizes = Sizes::Standard);

    // The next box, or nothing at the end of the range or at a header the walk cannot follow.
    std::optional<RVBox> next();
    // The first box of the given type at this level, searching on from the current position.
    std::optional<RVBox> find(std::string_view type);

private:
    QIODevice& m_device;
    qint64 m_offset;
    qint64 m_end;
    Sizes m_sizes;
    int m_visited = 0;
    bool m_done = false;
};

// Reading a box's payload whole, bounded: never more than maxBytes (a larger box is refused
// without reading, since a size field can claim gigabytes), never past the box's end (which
// the walker already cut at its range's end).
struct RVBoxPayload final
{
    enum class Status
    {
        Read,
        TooLarge,  // the payload is over maxBytes: nothing was read
        Unreadable // the device would not seek there or gave fewer bytes than the box holds
    };
    Status status = Status::Unreadable;
    QByteArray bytes;

    static RVBoxPayload read(QIODevice& device, const RVBox& box, qint64 maxBytes);
};
