#include "metadata/RVBoxWalker.h"

#include "metadata/RVByteReader.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

RVBoxWalker::RVBoxWalker(QIODevice& device, qint64 begin, qint64 end, Sizes sizes)
    : m_device(device), m_offset(std::max<qint64>(0, begin)), m_end(end), m_sizes(sizes)
{}

std::optional<RVBox> RVBoxWalker::next()
{
    if (m_done || m_end - m_offset < 8 || m_visited >= kMaxBoxes) {
        m_done = true;
        return std::nullopt;
    }
    ++m_visited;
    char header[16];
    m_done = true; // until the header proves good
    if (!m_device.seek(m_offset) || m_device.read(header, 8) != 8)
        return std::nullopt;
    const RVByteReader reader(std::string_view(header, 8));
    RVBox box;
    std::memcpy(box.type.data(), header + 4, 4);
    box.offset = m_offset;
    const std::uint32_t size32 = *reader.u32(0);
    if (m_sizes == Sizes::Signed32) {
        box.declaredSize = std::int32_t(size32);
    } else if (size32 == 0) {
        box.declaredSize = m_end - m_offset;
    } else if (size32 == 1) {
        if (m_end - m_offset < 16 || m_device.read(header + 8, 8) != 8)
            return std::nullopt;
        const RVByteReader wide(std::string_view(header + 8, 8));
        const std::uint64_t size64 = (std::uint64_t(*wide.u32(0)) << 32) | *wide.u32(4);
        box.headerSize = 16;
        // Anything beyond the signed range is cut at the range's end below anyway.
        box.declaredSize = size64 > std::uint64_t(INT64_MAX) ? INT64_MAX : qint64(size64);
    } else {
        box.declaredSize = size32;
    }
    if (box.declaredSize < box.headerSize)
        return std::nullopt;
    box.end = box.declaredSize > m_end - m_offset ? m_end : m_offset + box.declaredSize;
    m_offset = box.end;
    m_done = false;
    return box;
}

std::optional<RVBox> RVBoxWalker::find(std::string_view type)
{
    while (std::optional<RVBox> box = next()) {
        if (box->is(type))
            return box;
    }
    return std::nullopt;
}

RVBoxPayload RVBoxPayload::read(QIODevice& device, const RVBox& box, qint64 maxBytes)
{
    RVBoxPayload payload;
    const qint64 size = box.payloadSize();
    if (size > maxBytes) {
        payload.status = Status::TooLarge;
        return payload;
    }
    if (size < 0 || !device.seek(box.payloadOffset()))
        return payload;
    payload.bytes = device.read(size);
    if (payload.bytes.size() != size) {
        payload.bytes.clear();
        return payload;
    }
    payload.status = Status::Read;
    return payload;
}
