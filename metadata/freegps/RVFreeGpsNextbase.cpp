// Nextbase 512G: 32-byte binary records, big-endian, the first at 0x30 of the block:
//   +0 two bytes (seen "$S"), +2 u16 speed in m/s x 100, +4 s16 course in degrees x 100
//   (-180 to 180), +6 u16 year, +8 u8 month, +9 u8 day, +10 u8 hour, +11 u8 minute,
//   +12 u16 second x 10, +14 one byte, +15 s32 latitude and +19 s32 longitude in degrees
//   x 1e7, then zeros to the next record. The records run until one whose date is not one.

#include "metadata/freegps/RVFreeGpsNextbase.h"

#include "metadata/RVByteReader.h"
#include "metadata/freegps/RVFreeGpsParts.h"

#include <cstdlib>

using namespace RVFreeGpsParts;
using Block = RVFreeGps::Block;

namespace {

constexpr std::size_t kFirst = 0x30;
constexpr std::size_t kRecordBytes = 0x20;

struct Record
{
    RVTimestamp time;
    double latitude = 0;
    double longitude = 0;
    double kmh = 0;
    double course = 0;
};

std::optional<Record> record(std::string_view b, std::size_t o)
{
    const RVByteReader r(b);
    if (!r.bytes(o, 23))
        return std::nullopt;
    const auto u8 = [&b](std::size_t i) { return static_cast<unsigned char>(b[i]); };
    const std::optional<RVTimestamp> time =
        utcTime(*r.u16(o + 6), u8(o + 8), u8(o + 9), u8(o + 10), u8(o + 11), *r.u16(o + 12) / 10.0);
    const std::int32_t lat = *r.s32(o + 15), lon = *r.s32(o + 19);
    if (!time || std::abs(lat) > 900000000 || std::abs(lon) > 1800000000)
        return std::nullopt;
    Record rec;
    rec.time = *time;
    rec.latitude = lat / 1e7;
    rec.longitude = lon / 1e7;
    rec.kmh = *r.u16(o + 2) / 100.0 * kKmhPerMetrePerSecond;
    rec.course = std::int16_t(*r.u16(o + 4)) / 100.0;
    if (rec.course < 0)
        rec.course += 360;
    return rec;
}

} // namespace

namespace RVFreeGpsNextbase {

bool matchesBinary(std::string_view b)
{
    return record(b, kFirst).has_value();
}

Block decodeBinary(std::string_view b)
{
    Block block;
    for (std::size_t o = kFirst; o < b.size(); o += kRecordBytes) {
        const std::optional<Record> rec = record(b, o);
        if (!rec)
            break;
        addFix(block, fromDegrees(rec->latitude, rec->longitude, rec->kmh, rec->course, rec->time));
    }
    return block;
}

} // namespace RVFreeGpsNextbase
