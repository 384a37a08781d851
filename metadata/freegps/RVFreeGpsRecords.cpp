// freeGPS layouts that hold one binary record, all little-endian, u32 fields unless said.
//
// Novatek record (Viofo and most others), at offset R of the block:
//   R+0 hour, R+4 minute, R+8 second, R+12 year (- 2000, or the full year), R+16 month,
//   R+20 day, R+24 status 'A' valid / 'V' void, R+25 'N'/'S', R+26 'E'/'W', R+27 zero,
//   R+28 f32 latitude, R+32 f32 longitude (NMEA ddmm.mmmm), R+36 f32 speed (knots),
//   R+40 f32 course (degrees), R+44 three s32 accelerations (X, Y, Z) in 1/256 g.
//   R = 0x10: Viofo A119 V3, A129, A229, A119 Mini 2. Acceleration words that are all zero,
//             or the counter 1, 2 ... 6 in 16-bit words, mean "no sensor", not 0 g.
//   R = 0x40: Kenwood DRV-A510W ("MN:<model>@<firmware>" at 0x10, "::start@" at 0x38). Its
//             blocks with the full year hold the camera clock's local time, the others UTC.
//   R = 0x30: Viofo A119S, early A119, Street Guardian; no accelerations.
//             Transcend Drive Body 70: the same place, but the size field is 0x4000 and the
//             coordinates are decimal degrees and the speed km/h.
//             Transcend DrivePro 230 repeats the coordinates as f64 ddmm.mmmm at 0x70 and
//             0x80 (blocks of 0xB0 bytes or more), more precise than the floats.
//             IQS ("IQS" at 0x10): s32 degrees x 1e7 at 0x4C and 0x50, s32 speed m/s x 100.
// Redtiger F7N and F7NP: the record's clock at 0x30 and letters at 0x48 as on the Akaso V1
//   below, and the fix in the clear before them: f32 latitude at 0x28 and f32 longitude at 0x2C
//   (ddmm.mmmm), f32 speed (knots) at 0x60 and f32 course at 0x64; then twenty characters that
//   end in "YSKJ" at 0x68 (the camera's serial number, or "1234567890123456YSKJ"), three s32
//   accelerations in no known scale at 0x7C (left unread) and the camera clock's local time at
//   0x88 (hour ... day, the full year). The F7NP writes "YOUQINGGPS" at 0x10. The one F7N block
//   ExifTool publishes reads 37.2255 N 122.4087 W this way, parked, at 19:01:06 UTC; ExifTool
//   itself takes the encrypted doubles at 0x50 for the coordinates.
// Akaso V1: the record at 0x30 with five zero bytes after the letters and the coordinates at
//   0x50 and 0x58 as f64 values in an unpublished encryption: named, not read.
// Akaso and "Anticlock 2": hour, minute, second at 0x30; status 'A' as a u32 at 0x3C; f32
//   latitude at 0x40 and 'N'/'S' as a u32 at 0x44; f32 longitude at 0x48 and 'E'/'W' at 0x4C;
//   f32 speed (km/h) at 0x50, f32 course at 0x54; year, month, day at 0x58; s32 accelerations
//   in 1/1000 g at 0x64 ("Anticlock 2" only). Akaso ("x.xx" at 0x10) writes the course turned
//   by 180 degrees.
// Vantrue S1: 'A', 'N'/'S', 'E'/'W', 0 at 0x40; year (- 2000), month, day, hour, minute,
//   second at 0x44; f32 longitude at 0x5C, f32 latitude at 0x60 (ddmm.mmmm), f32 speed (knots)
//   at 0x64, f32 course at 0x68; s32 accelerations in 1/1000 g at 0x70.
// Vantrue N4 and N2X: hour, minute, second at 0x10; status 'A' as a u32 at 0x1C; f64 latitude
//   at 0x20 and 'N'/'S' at 0x28; f64 longitude at 0x30 and 'E'/'W' at 0x38 (ddmm.mmmm); f64
//   speed (knots) at 0x40, f64 course at 0x48; year (- 2000), month, day at 0x50; s32
//   accelerations in 1/1000 g at 0x5C. The same fix follows as an RMC sentence at 0x68.
// Rexing V1-4k: the record at 0x30 with the coordinates scaled: latitude = (f32 at 0x4C -
//   187.982162849635) / 3 and longitude = (f32 at 0x50 - 2199.19873715495) / 2, in degrees, with
//   the letters for their signs; speed in knots and course as above. The block is the common
//   one; only the file tells the camera (RVFreeGps::FileHints). A real block from ExifTool's
//   notes gives 33.67 N 112.10 W (Phoenix) this way, and a point in the Atlantic read as NMEA.
// 70mai A810 and M500: 'A' at 0x1E; s32 latitude and longitude at 0x1F and 0x23 in degrees
//   x 1e7 (negative: south, west); s32 course in degrees at 0x27; an s32 at 0x2B that follows
//   the speed in no known unit (left unknown); "VV" at 0x33. No time in the block: the
//   recording's start dates it. ExifTool reads the coordinates as ddmm.mmmmm x 1e5, which puts
//   its one published block on land near Duesseldorf either way; thousands of real A810 and M500
//   blocks read by another public decoder make continuous tracks as degrees x 1e7.
// INNOVV (motorcycle cameras): from 0x10, a run of 32-byte records: 'A', 'N'/'S', 'E'/'W', 0
//   ("V00" and 0 without a fix), f32 latitude and f32 longitude (ddmm.mmmm), f32 speed (knots),
//   f32 course, three s32 accelerations in no known scale (left unread). No time: the block is
//   dated by its place in the recording, its records by their place in the track, as every
//   undated track is. ExifTool's one published block holds two fixes metres apart in Vienna.
// Acceleration scales marked 1/1000 g are the only published figure, unconfirmed.

#include "metadata/freegps/RVFreeGpsRecords.h"

#include "metadata/RVByteReader.h"
#include "metadata/freegps/RVFreeGpsParts.h"

#include <bit>
#include <cmath>
#include <limits>

using namespace RVFreeGpsParts;
using Block = RVFreeGps::Block;
using Status = Block::Status;

namespace {

bool isNs(char c)
{
    return c == 'N' || c == 'S';
}
bool isEw(char c)
{
    return c == 'E' || c == 'W';
}
// An IEEE 754 double stored little-endian; the caller has checked the bytes are there.
double f64le(const RVByteReader& r, std::size_t o)
{
    return std::bit_cast<double>(std::uint64_t(*r.u32le(o)) | std::uint64_t(*r.u32le(o + 4)) << 32);
}

// The six u32 of a Novatek record's date and time look like one.
bool plausibleClock(const RVByteReader& r, std::size_t o)
{
    const auto h = r.u32le(o), mi = r.u32le(o + 4), s = r.u32le(o + 8), y = r.u32le(o + 12),
               mo = r.u32le(o + 16), d = r.u32le(o + 20);
    if (!h || !mi || !s || !y || !mo || !d)
        return false;
    return *h < 24 && *mi < 60 && *s < 61 && (*y < 100 || (*y >= 2000 && *y < 2100)) && *mo >= 1 &&
           *mo <= 12 && *d >= 1 && *d <= 31;
}

bool novatekRecordAt(std::string_view b, std::size_t o)
{
    const RVByteReader r(b);
    if (!r.bytes(o, 44) || !plausibleClock(r, o))
        return false;
    const char status = b[o + 24];
    if (status == 'V')
        return true;
    return status == 'A' && isNs(b[o + 25]) && isEw(b[o + 26]) && b[o + 27] == '\0';
}

// A text of 8-20 Base64 characters, or a decimal number, padded with zeros: E-ACE B44 keeps
// its coordinates as such texts where the record's floats would be.
bool coordinateText(std::string_view field)
{
    const std::size_t end = field.find('\0');
    const std::string_view text = field.substr(0, end);
    if (text.size() < 3)
        return false;
    if (end != std::string_view::npos &&
        field.find_first_not_of('\0', end) != std::string_view::npos)
        return false;
    return text.find_first_not_of(
               "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=.") ==
           std::string_view::npos;
}

Block readNovatekRecord(std::string_view b, std::size_t o, bool withSensor)
{
    const RVByteReader r(b);
    Block block;
    const std::uint32_t year = *r.u32le(o + 12);
    const auto time = utcTime(fullYear(year), *r.u32le(o + 16), *r.u32le(o + 20), *r.u32le(o),
                              *r.u32le(o + 4), *r.u32le(o + 8));
    if (!time)
        return block;
    block.status = Status::NoFix;
    block.written = *time;
    if (withSensor && r.bytes(o + 44, 12)) {
        const std::string_view words = *r.bytes(o + 44, 12);
        const bool absent = words == std::string_view("\0\0\0\0\0\0\0\0\0\0\0\0", 12) ||
                            words == std::string_view("\1\0\2\0\3\0\4\0\5\0\6\0", 12);
        if (!absent)
            block.samples.push_back(sample(*r.s32le(o + 44) / 256.0, *r.s32le(o + 48) / 256.0,
                                           *r.s32le(o + 52) / 256.0, *time));
    }
    if (b[o + 24] == 'A')
        addFix(block, fromNmea(*r.f32le(o + 28), b[o + 25], *r.f32le(o + 32), b[o + 26],
                               double(*r.f32le(o + 36)) * kKmhPerKnot, *r.f32le(o + 40), *time));
    return block;
}

constexpr std::size_t kInnovvRecordBytes = 32;

// An INNOVV record's first four bytes.
bool innovvMark(std::string_view head)
{
    return head.size() == 4 && head[3] == '\0' &&
           ((head[0] == 'A' && isNs(head[1]) && isEw(head[2])) || head.substr(0, 3) == "V00");
}

bool eAceText(std::string_view b)
{
    return b.size() >= 0x78 &&
           (coordinateText(slice(b, 0x2c, 20)) || coordinateText(slice(b, 0x40, 20)));
}

} // namespace

namespace RVFreeGpsRecords {

bool matchesRecordAt10(std::string_view b)
{
    return novatekRecordAt(b, 0x10) && !eAceText(b);
}
Block decodeRecordAt10(std::string_view b)
{
    return readNovatekRecord(b, 0x10, true);
}

bool matchesRexingScaled(std::string_view b)
{
    return novatekRecordAt(b, 0x30) && slice(b, 0x10, 3) != "IQS" && b.size() >= 0x5c;
}
Block decodeRexingScaled(std::string_view b)
{
    const RVByteReader r(b);
    Block block = readNovatekRecord(b, 0x30, false);
    if (block.status != Status::Fix)
        return block;
    const double lat = (double(*r.f32le(0x4c)) - 187.982162849635) / 3;
    const double lon = (double(*r.f32le(0x50)) - 2199.19873715495) / 2;
    const double kmh = double(*r.f32le(0x54)) * kKmhPerKnot;
    block.fixes.front().point =
        fromDegrees(lat * (b[0x49] == 'S' ? -1 : 1), lon * (b[0x4a] == 'W' ? -1 : 1), kmh,
                    *r.f32le(0x58), block.fixes.front().point.time());
    block.fixes.front().speedKmh = kmh;
    return block;
}

bool matchesKenwood(std::string_view b)
{
    return slice(b, 0x10, 3) == "MN:" && novatekRecordAt(b, 0x40);
}
Block decodeKenwood(std::string_view b)
{
    Block block = readNovatekRecord(b, 0x40, true);
    block.localClock = *RVByteReader(b).u32le(0x40 + 12) >= 2000;
    return block;
}

bool matchesRedtiger(std::string_view b)
{
    return novatekRecordAt(b, 0x30) && b.size() >= 0x7c &&
           (slice(b, 0x78, 4) == "YSKJ" || slice(b, 0x10, 10) == "YOUQINGGPS");
}
Block decodeRedtiger(std::string_view b)
{
    const RVByteReader r(b);
    Block block;
    const auto time = utcTime(fullYear(*r.u32le(0x3c)), *r.u32le(0x40), *r.u32le(0x44),
                              *r.u32le(0x30), *r.u32le(0x34), *r.u32le(0x38));
    if (!time)
        return block;
    block.status = Status::NoFix;
    block.written = *time;
    if (b[0x48] != 'A')
        return block;
    const float lat = *r.f32le(0x28), lon = *r.f32le(0x2c);
    if (lat == 0 && lon == 0) {
        // A firmware that keeps the fix only in the encrypted doubles.
        block.status = Status::Encrypted;
        return block;
    }
    addFix(block, fromNmea(lat, b[0x49], lon, b[0x4a], double(*r.f32le(0x60)) * kKmhPerKnot,
                           *r.f32le(0x64), *time));
    return block;
}

bool matchesEncryptedDoubles(std::string_view b)
{
    return novatekRecordAt(b, 0x30) && b.size() >= 0x60 && b[0x48] == 'A' &&
           slice(b, 0x4b, 5) == std::string_view("\0\0\0\0\0", 5);
}
Block decodeEncrypted(std::string_view)
{
    Block block;
    block.status = Status::Encrypted;
    return block;
}

bool matchesRecordAt30(std::string_view b)
{
    return novatekRecordAt(b, 0x30);
}
Block decodeRecordAt30(std::string_view b)
{
    const RVByteReader r(b);
    const bool iqs = slice(b, 0x10, 3) == "IQS";
    Block block = readNovatekRecord(b, 0x30, false);
    if (block.status != Status::Fix)
        return block;
    RVPoint& p = block.fixes.front().point;
    const char ns = b[0x49], ew = b[0x4a];
    const float lat = *r.f32le(0x4c), lon = *r.f32le(0x50);
    if (iqs) {
        const double kmh = *r.s32le(0x54) / 100.0 * kKmhPerMetrePerSecond;
        p = fromDegrees(std::fabs(*r.s32le(0x4c) / 1e7) * (ns == 'S' ? -1 : 1),
                        std::fabs(*r.s32le(0x50) / 1e7) * (ew == 'W' ? -1 : 1), kmh, 0, p.time());
    } else if (*r.u32le(0) == 0x400000 && std::fabs(lat) <= 90 && std::fabs(lon) <= 180) {
        // Transcend Drive Body 70: degrees and km/h.
        const double kmh = *r.f32le(0x54);
        p = fromDegrees(std::fabs(lat) * (ns == 'S' ? -1 : 1),
                        std::fabs(lon) * (ew == 'W' ? -1 : 1), kmh, p.azimut(), p.time());
    } else if (b.size() >= 0xb0) {
        // Transcend DrivePro 230: the same coordinates again in double precision.
        const double dLat = f64le(r, 0x70), dLon = f64le(r, 0x80);
        if (std::fabs(dLat - lat) < 0.001 && std::fabs(dLon - lon) < 0.001)
            p = fromNmeaPrecise(dLat, ns, dLon, ew, p.velocity(), p.azimut(), p.time());
    }
    block.fixes.front().speedKmh = p.velocity();
    return block;
}

bool matchesAkaso(std::string_view b)
{
    const RVByteReader r(b);
    return b.size() >= 0x70 && r.u32le(0x3c) == std::uint32_t('A') && isNs(b[0x44]) &&
           slice(b, 0x45, 3) == std::string_view("\0\0\0", 3) && isEw(b[0x4c]) &&
           slice(b, 0x4d, 3) == std::string_view("\0\0\0", 3);
}
Block decodeAkaso(std::string_view b)
{
    const RVByteReader r(b);
    Block block;
    const auto time = utcTime(fullYear(*r.u32le(0x58)), *r.u32le(0x5c), *r.u32le(0x60),
                              *r.u32le(0x30), *r.u32le(0x34), *r.u32le(0x38));
    if (!time)
        return block;
    const bool akaso = slice(b, 0x10, 4) == "x.xx";
    double course = *r.f32le(0x54);
    if (akaso)
        course = std::fmod(course + 180, 360);
    else
        block.samples.push_back(sample(*r.s32le(0x64) / 1000.0, *r.s32le(0x68) / 1000.0,
                                       *r.s32le(0x6c) / 1000.0, *time));
    addFix(block, fromNmea(*r.f32le(0x40), b[0x44], *r.f32le(0x48), b[0x4c], *r.f32le(0x50), course,
                           *time));
    return block;
}

bool matchesVantrueS1(std::string_view b)
{
    const RVByteReader r(b);
    return b.size() >= 0x7c && b[0x40] == 'A' && isNs(b[0x41]) && isEw(b[0x42]) &&
           b[0x43] == '\0' && *r.u32le(0x48) >= 1 && *r.u32le(0x48) <= 12;
}
Block decodeVantrueS1(std::string_view b)
{
    const RVByteReader r(b);
    Block block;
    const auto time = utcTime(fullYear(*r.u32le(0x44)), *r.u32le(0x48), *r.u32le(0x4c),
                              *r.u32le(0x50), *r.u32le(0x54), *r.u32le(0x58));
    if (!time)
        return block;
    block.samples.push_back(
        sample(*r.s32le(0x70) / 1000.0, *r.s32le(0x74) / 1000.0, *r.s32le(0x78) / 1000.0, *time));
    addFix(block, fromNmea(*r.f32le(0x60), b[0x41], *r.f32le(0x5c), b[0x42],
                           double(*r.f32le(0x64)) * kKmhPerKnot, *r.f32le(0x68), *time));
    return block;
}

bool matchesVantrueN4(std::string_view b)
{
    const RVByteReader r(b);
    return b.size() >= 0x68 && r.u32le(0x1c) == std::uint32_t('A') && isNs(b[0x28]) &&
           isEw(b[0x38]);
}
Block decodeVantrueN4(std::string_view b)
{
    const RVByteReader r(b);
    const auto f64 = [&r](std::size_t o) { return f64le(r, o); };
    Block block;
    const auto time = utcTime(fullYear(*r.u32le(0x50)), *r.u32le(0x54), *r.u32le(0x58),
                              *r.u32le(0x10), *r.u32le(0x14), *r.u32le(0x18));
    if (!time)
        return block;
    if (r.bytes(0x5c, 12))
        block.samples.push_back(sample(*r.s32le(0x5c) / 1000.0, *r.s32le(0x60) / 1000.0,
                                       *r.s32le(0x64) / 1000.0, *time));
    addFix(block, fromNmeaPrecise(f64(0x20), b[0x28], f64(0x30), b[0x38], f64(0x40) * kKmhPerKnot,
                                  f64(0x48), *time));
    return block;
}

bool matchesSeventyMai(std::string_view b)
{
    return b.size() >= 0x35 && b[0x1e] == 'A' && slice(b, 0x33, 2) == "VV";
}
Block decodeSeventyMai(std::string_view b)
{
    const RVByteReader r(b);
    const std::int32_t lat = *r.s32le(0x1f), lon = *r.s32le(0x23);
    Block block;
    block.status = Status::NoFix;
    if (lat == 0 && lon == 0)
        return block;
    const std::int32_t course = *r.s32le(0x27);
    const double unknown = std::numeric_limits<double>::quiet_NaN();
    block.fixes.push_back({fromDegrees(lat / 1e7, lon / 1e7, unknown,
                                       course >= 0 && course < 360 ? course : 0, RVTimestamp()),
                           unknown, false});
    block.status = Status::Fix;
    return block;
}

bool matchesInnovv(std::string_view b)
{
    return b.size() >= 0x10 + kInnovvRecordBytes && innovvMark(slice(b, 0x10, 4));
}

Block decodeInnovv(std::string_view b)
{
    const RVByteReader r(b);
    Block block;
    block.status = Status::NoFix;
    for (std::size_t o = 0x10; o + kInnovvRecordBytes <= b.size(); o += kInnovvRecordBytes) {
        if (!innovvMark(b.substr(o, 4)))
            break;
        if (b[o] == 'A')
            addFix(block, fromNmea(std::fabs(*r.f32le(o + 4)), b[o + 1], std::fabs(*r.f32le(o + 8)),
                                   b[o + 2], double(*r.f32le(o + 12)) * kKmhPerKnot,
                                   *r.f32le(o + 16), RVTimestamp()));
    }
    return block;
}

} // namespace RVFreeGpsRecords
