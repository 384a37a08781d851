// Tesla cars (firmware 2025.44.25 and later, HW3 and later, while driving) put one telemetry
// message into the H.264 stream with every frame, as an SEI NAL unit:
//
//   +0  0x06                 NAL header: SEI (type 6 in the low five bits)
//   +1  0x05                 payload type: user data unregistered
//   +2  payload size         a run of 0xFF bytes adding 255 each, then the last byte
//   then the identifier, a run of 0x42 ("B") closed by 0x69 ("i"), 16 bytes in all, then the
//   message, then the RBSP trailing byte 0x80. Emulation prevention bytes (0x03 after two
//   zero bytes) are removed before anything is read.
//
// The message is protobuf (the car maker publishes the schema "SeiMetadata"):
//   1 version (varint)        2 gear (varint enum)        3 frame sequence number (varint)
//   4 speed, m/s (float)      5 accelerator pedal (float) 6 steering wheel angle (float)
//   7 left blinker (bool)     8 right blinker (bool)      9 brake applied (bool)
//   10 driver assistance (varint enum)  11 latitude  12 longitude  13 heading, degrees
//   14, 15, 16 linear acceleration x, y, z, m/s²       (11-16 doubles)
// Wire types: 0 varint, 1 64-bit little-endian, 2 length-delimited, 5 32-bit little-endian.
// Unknown fields are skipped by their wire type, so newer firmware's additions are ignored.

#include "metadata/RVTeslaTelemetry.h"

#include <bit>
#include <cstring>
#include <string>

namespace {

constexpr unsigned char kSei = 6;
constexpr unsigned char kUserDataUnregistered = 5;

std::string withoutEmulationPrevention(std::string_view nal)
{
    std::string out;
    out.reserve(nal.size());
    int zeros = 0;
    for (const char c : nal) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (zeros >= 2 && byte == 3) {
            zeros = 0;
            continue;
        }
        out.push_back(c);
        zeros = byte == 0 ? zeros + 1 : 0;
    }
    return out;
}

class ProtoReader final
{
public:
    explicit ProtoReader(std::string_view bytes) : m_bytes(bytes) {}
    bool atEnd() const { return m_at >= m_bytes.size(); }

    std::optional<std::uint64_t> varint()
    {
        std::uint64_t value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (atEnd())
                return std::nullopt;
            const unsigned char byte = static_cast<unsigned char>(m_bytes[m_at++]);
            value |= std::uint64_t(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                return value;
        }
        return std::nullopt; // more than ten bytes
    }
    std::optional<std::uint64_t> fixed(std::size_t bytes)
    {
        if (m_bytes.size() - m_at < bytes)
            return std::nullopt;
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < bytes; ++i)
            value |= std::uint64_t(static_cast<unsigned char>(m_bytes[m_at + i])) << (8 * i);
        m_at += bytes;
        return value;
    }
    bool skip(std::uint64_t bytes)
    {
        if (m_bytes.size() - m_at < bytes)
            return false;
        m_at += std::size_t(bytes);
        return true;
    }

private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
};

double asFloat(std::uint64_t bits)
{
    return double(std::bit_cast<float>(std::uint32_t(bits)));
}

double asDouble(std::uint64_t bits)
{
    return std::bit_cast<double>(bits);
}

} // namespace

std::optional<RVTeslaFrame> RVTeslaTelemetry::readMessage(std::string_view message)
{
    RVTeslaFrame frame;
    ProtoReader r(message);
    while (!r.atEnd()) {
        const std::optional<std::uint64_t> key = r.varint();
        if (!key)
            return std::nullopt;
        const std::uint64_t field = *key >> 3;
        std::optional<std::uint64_t> value;
        switch (*key & 7) {
        case 0:
            value = r.varint();
            break;
        case 1:
            value = r.fixed(8);
            break;
        case 5:
            value = r.fixed(4);
            break;
        case 2: {
            const std::optional<std::uint64_t> length = r.varint();
            if (!length || !r.skip(*length))
                return std::nullopt;
            continue;
        }
        default: // groups (3, 4) and reserved types: not in this message
            return std::nullopt;
        }
        if (!value)
            return std::nullopt;
        const std::uint64_t v = *value;
        switch (field) {
        case 1:
            frame.version = std::uint32_t(v);
            break;
        case 2:
            frame.gear = std::uint32_t(v);
            break;
        case 3:
            frame.frameNumber = v;
            break;
        case 4:
            frame.speedMetresPerSecond = asFloat(v);
            break;
        case 5:
            frame.acceleratorPedal = asFloat(v);
            break;
        case 6:
            frame.steeringAngleDegrees = asFloat(v);
            break;
        case 7:
            frame.blinkerLeft = v != 0;
            break;
        case 8:
            frame.blinkerRight = v != 0;
            break;
        case 9:
            frame.brakeApplied = v != 0;
            break;
        case 10:
            frame.autopilotState = std::uint32_t(v);
            break;
        case 11:
            frame.latitude = asDouble(v);
            break;
        case 12:
            frame.longitude = asDouble(v);
            break;
        case 13:
            frame.headingDegrees = asDouble(v);
            break;
        case 14:
            frame.accelerationX = asDouble(v);
            break;
        case 15:
            frame.accelerationY = asDouble(v);
            break;
        case 16:
            frame.accelerationZ = asDouble(v);
            break;
        default:
            break;
        }
    }
    return frame;
}

std::optional<RVTeslaFrame> RVTeslaTelemetry::readNalUnit(std::string_view nal)
{
    if (nal.size() < 3 || (static_cast<unsigned char>(nal[0]) & 0x1F) != kSei ||
        static_cast<unsigned char>(nal[1]) != kUserDataUnregistered)
        return std::nullopt;
    const std::string rbsp = withoutEmulationPrevention(nal.substr(2));
    std::size_t at = 0;
    std::size_t size = 0;
    while (at < rbsp.size() && static_cast<unsigned char>(rbsp[at]) == 0xFF) {
        size += 255;
        ++at;
    }
    if (at >= rbsp.size())
        return std::nullopt;
    size += static_cast<unsigned char>(rbsp[at++]);
    // The identifier: a run of 'B' closed by 'i'.
    const std::size_t begin = at;
    while (at < rbsp.size() && rbsp[at] == 'B')
        ++at;
    if (at == begin || at >= rbsp.size() || rbsp[at] != 'i')
        return std::nullopt;
    ++at;
    // The size counts the identifier and the message; a unit whose size does not fit is read
    // to its end, less the trailing byte, as the maker's own reader does.
    const std::size_t identifier = at - begin;
    const std::string_view body(rbsp);
    if (size >= identifier && begin + size <= rbsp.size())
        return readMessage(body.substr(at, size - identifier));
    if (rbsp.size() <= at)
        return std::nullopt;
    return readMessage(body.substr(at, rbsp.size() - at - 1));
}
