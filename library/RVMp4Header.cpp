// Box layout (ISO base media file format; QuickTime uses the same):
//   size     u32 big-endian, the whole box including this header
//   type     4 ASCII bytes
//   [size64] u64 big-endian when size == 1; size == 0 means "to the end of the file"
// "moov" holds further boxes; its "mvhd" is a full box:
//   version u8, flags u24, then
//   version 0: creation u32, modification u32, timescale u32, duration u32
//   version 1: creation u64, modification u64, timescale u32, duration u64
// A duration of all ones means "unknown".
#include "library/RVMp4Header.h"

#include <QIODevice>

#include <cstdint>
#include <cstring>

namespace {

// Enough for any real file's top level (ftyp, free, mdat, moov, udta, a camera's own boxes)
// and moov's children (mvhd, one trak per stream, udta, meta), while a crafted file of
// millions of tiny boxes is given up quickly.
constexpr int kMaxBoxesPerLevel = 4096;

std::uint32_t bigEndian32(const unsigned char* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}

std::uint64_t bigEndian64(const unsigned char* p)
{
    return std::uint64_t(bigEndian32(p)) << 32 | bigEndian32(p + 4);
}

bool readExactly(QIODevice& device, qint64 at, unsigned char* out, qint64 length)
{
    return device.seek(at) && device.read(reinterpret_cast<char*>(out), length) == length;
}

struct Box
{
    char type[4];
    qint64 payload; // offset of the first byte after the header
    qint64 end;     // offset just past the box
};

// The box starting at `at` within a parent ending at `limit`, or nothing when its header is
// cut short or its size does not fit the parent.
std::optional<Box> boxAt(QIODevice& device, qint64 at, qint64 limit)
{
    unsigned char header[16];
    if (limit - at < 8 || !readExactly(device, at, header, 8))
        return std::nullopt;
    Box box{};
    std::memcpy(box.type, header + 4, 4);
    std::uint64_t size = bigEndian32(header);
    box.payload = at + 8;
    if (size == 1) {
        if (limit - at < 16 || !readExactly(device, at + 8, header + 8, 8))
            return std::nullopt;
        size = bigEndian64(header + 8);
        box.payload = at + 16;
    } else if (size == 0) {
        size = std::uint64_t(limit - at);
    }
    if (size < std::uint64_t(box.payload - at) || size > std::uint64_t(limit - at))
        return std::nullopt;
    box.end = at + qint64(size);
    return box;
}

// The first child of type `type` in [from, limit), or nothing.
std::optional<Box> findChild(QIODevice& device, qint64 from, qint64 limit, const char* type)
{
    qint64 at = from;
    for (int count = 0; count < kMaxBoxesPerLevel && at < limit; ++count) {
        const std::optional<Box> box = boxAt(device, at, limit);
        if (!box)
            return std::nullopt;
        if (std::memcmp(box->type, type, 4) == 0)
            return box;
        at = box->end;
    }
    return std::nullopt;
}

} // namespace

std::optional<double> RVMp4Header::movieDurationSeconds(QIODevice& device)
{
    if (!device.isOpen() || device.isSequential())
        return std::nullopt;
    const qint64 fileSize = device.size();
    const std::optional<Box> moov = findChild(device, 0, fileSize, "moov");
    if (!moov || findChild(device, moov->payload, moov->end, "mvex"))
        return std::nullopt;
    const std::optional<Box> mvhd = findChild(device, moov->payload, moov->end, "mvhd");
    if (!mvhd)
        return std::nullopt;

    unsigned char fields[32];
    const qint64 available = std::min<qint64>(mvhd->end - mvhd->payload, qint64(sizeof fields));
    if (available < 20 || !readExactly(device, mvhd->payload, fields, available))
        return std::nullopt;
    std::uint32_t timescale = 0;
    std::uint64_t duration = 0;
    if (fields[0] == 0) {
        timescale = bigEndian32(fields + 12);
        duration = bigEndian32(fields + 16);
        if (duration == 0xFFFFFFFFu)
            return std::nullopt;
    } else if (fields[0] == 1 && available >= 32) {
        timescale = bigEndian32(fields + 20);
        duration = bigEndian64(fields + 24);
        if (duration == ~std::uint64_t(0))
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    if (timescale == 0 || duration == 0)
        return std::nullopt;
    return double(duration) / double(timescale);
}
