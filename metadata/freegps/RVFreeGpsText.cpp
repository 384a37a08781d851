// freeGPS layouts that hold text.
//
// Azdome GS63H and EEEkit: from offset 18 on, a record of ASCII XORed with 0xAA (at most
//   0x101 bytes). Ambarella firmware writes the same record on its own elsewhere (see
//   decodeXorRecord). Decoded: +0 "\0\0XKZD\xfe\xfe" (BlueSkySea: "\0\0", two bytes,
//   "\0\0\xfe\xfe"), +8 YYYYMMDDhhmmss, +22 one byte, +23 a 15-byte label, +38 'N'/'S',
//   +39 latitude ddmmmmmm (ddmm.mmmm x 1e4), +47 'E'/'W', +48 longitude dddmmmmmm, then
//   either (Azdome) 8 digits of speed in km/h, or a signed 4-digit altitude in metres
//   (EEEkit, Ambarella A12; NULs on BlueSkySea) and 3 digits of speed in km/h at +57, followed
//   at +65 by signed 3-digit accelerations in 1/100 g (+014+002+026). Azdome and BlueSkySea
//   write the accelerations at +173. The time is read as UTC in freeGPS blocks; on its own
//   the record is dated by the camera's clock (see decodeXorRecord).
// Nextbase 512GW: the camera's clock as YYYYMMDDhhmmss at 0x34 (local time), s32
//   accelerations in 1/256 g at 0x44, and an RMC sentence further on (UTC) with the fix.
// EACHPAI and others ("ZXSBNXYS" at 0x10): an RMC sentence at 0x3C with 16 added to every
//   character ("4W`b]S<" is "$GPRMC,").
// XGODY: "normal:YYYY/MM/DD hh:mm:ss N:dd.dddddd W:ddd.dddddd <speed> km/h x:.. y:.. z:..
//   A:<course> ..." at 0x10, coordinates in decimal degrees; the speed, though labelled km/h,
//   is in knots. Accelerations in g.

#include "metadata/freegps/RVFreeGpsText.h"

#include "core/RVNumber.h"
#include "metadata/RVByteReader.h"
#include "metadata/freegps/RVFreeGpsParts.h"

#include <algorithm>
#include <cmath>
#include <string>

using namespace RVFreeGpsParts;
using Block = RVFreeGps::Block;
using Status = Block::Status;

namespace {

constexpr std::size_t kXorStart = 18;
constexpr std::size_t kXorLength = 0x101;
constexpr std::string_view kXorMark = "\xaa\xaa\xf2\xe1\xf0\xee\x54\x54";
// The record up to its speed; the accelerations follow.
constexpr std::size_t kXorRecordHead = 0x41;
constexpr std::size_t kShiftedStart = 0x3c;

bool digitAt(std::string_view t, std::size_t i)
{
    return i < t.size() && t[i] >= '0' && t[i] <= '9';
}

// A decimal number at the start of text (sign, digits, point); its length in used.
std::optional<double> number(std::string_view text, std::size_t& used)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    const std::size_t first = i;
    while (i < text.size() && ((text[i] >= '0' && text[i] <= '9') || text[i] == '.'))
        ++i;
    if (i == first)
        return std::nullopt;
    used = i;
    return RVNumber::leadingValue(text.substr(0, i));
}

} // namespace

namespace RVFreeGpsText {

bool matchesXor(std::string_view b)
{
    return b.size() > kXorStart + kXorMark.size() &&
           slice(b, kXorStart, kXorMark.size()) == kXorMark;
}

Block decodeXor(std::string_view b)
{
    return decodeXorRecord(slice(b, kXorStart, kXorLength));
}

bool isXorRecord(std::string_view r)
{
    const bool xkzd = slice(r, 2, 4) == "\xf2\xe1\xf0\xee";
    const bool blueSkySea =
        slice(r, 0, 2) == std::string_view("\0\0", 2) && slice(r, 4, 2) == "\xaa\xaa";
    return r.size() >= kXorRecordHead && (xkzd || blueSkySea) && slice(r, 6, 2) == "\x54\x54";
}

Block decodeXorRecord(std::string_view record)
{
    std::string t(record.substr(0, kXorLength));
    for (char& c : t)
        c = char(static_cast<unsigned char>(c) ^ 0xAA);
    Block block;
    const auto y = digits(t, 8, 4), mo = digits(t, 12, 2), d = digits(t, 14, 2);
    const auto h = digits(t, 16, 2), mi = digits(t, 18, 2), s = digits(t, 20, 2);
    if (!y || !mo || !d || !h || !mi || !s)
        return block;
    const auto time = utcTime(*y, *mo, *d, *h, *mi, double(*s));
    if (!time)
        return block;
    block.status = Status::NoFix;
    const auto sign = [&t](std::size_t at) {
        return at < t.size() && (t[at] == '+' || t[at] == '-');
    };
    const auto axis = [&](std::size_t at) -> std::optional<double> {
        const auto v = digits(t, at + 1, 3);
        if (!v || !sign(at))
            return std::nullopt;
        return (t[at] == '-' ? -1 : 1) * double(*v) / 100;
    };
    // EEEkit and Ambarella: accelerations after the altitude and speed.
    if (t.size() > 65 + 12 && sign(65)) {
        if (const auto x = axis(65), yy = axis(69), z = axis(73); x && yy && z)
            block.samples.push_back(sample(*x, *yy, *z, *time));
    } else if (t.size() >= 173 + 12) {
        // Azdome and BlueSkySea: the same three values further on, written even without a fix.
        if (const auto x = axis(173), yy = axis(177), z = axis(181); x && yy && z)
            block.samples.push_back(sample(*x, *yy, *z, *time));
    }
    const auto lat = digits(t, 39, 8), lon = digits(t, 48, 9);
    const char ns = t.size() > 47 ? t[38] : '\0', ew = t.size() > 47 ? t[47] : '\0';
    if (!lat || !lon || (ns != 'N' && ns != 'S') || (ew != 'E' && ew != 'W'))
        return block;
    double kmh = 0;
    if (const auto azdome = digits(t, 57, 8))
        kmh = double(*azdome);
    else if (const auto after = digits(t, 62, 3))
        kmh = double(*after);
    RVPoint point = fromNmeaPrecise(double(*lat) / 1e4, ns, double(*lon) / 1e4, ew, kmh, 0, *time);
    if (const auto metres = digits(t, 58, 4); metres && sign(57))
        point.setAltitude((t[57] == '-' ? -1 : 1) * double(*metres));
    addFix(block, point);
    return block;
}

bool matchesNextbaseText(std::string_view b)
{
    for (std::size_t i = 0x34; i < 0x34 + 14; ++i) {
        if (!digitAt(b, i))
            return false;
    }
    return true;
}

Block decodeNextbaseText(std::string_view b)
{
    Block block;
    RVPoint point;
    block.status = readRmc(b, point);
    if (block.status != Status::Fix)
        return block;
    addFix(block, point);
    // Accelerations in 1/256 g, written only with a fix.
    const RVByteReader r(b);
    if (r.bytes(0x44, 12))
        block.samples.push_back(sample(*r.s32le(0x44) / 256.0, *r.s32le(0x48) / 256.0,
                                       *r.s32le(0x4c) / 256.0, point.time()));
    return block;
}

bool matchesShiftedText(std::string_view b)
{
    return slice(b, kShiftedStart, 7) == "4W`b]S<" && b.size() >= kShiftedStart + 80;
}

Block decodeShiftedText(std::string_view b)
{
    std::string t(slice(b, kShiftedStart, 0x80));
    for (char& c : t) {
        const auto u = static_cast<unsigned char>(c);
        c = char(u >= 16 ? u - 16 : 0);
    }
    Block block;
    RVPoint point;
    block.status = readRmc(t, point);
    if (block.status == Status::Fix)
        addFix(block, point);
    return block;
}

bool matchesXgody(std::string_view b)
{
    // "YYYY/MM/DD hh:mm:ss N" or "S" at 0x17.
    const std::string_view pattern = "dddd/dd/dd dd:dd:dd ";
    if (b.size() < 0x17 + pattern.size() + 1)
        return false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = b[0x17 + i];
        if (pattern[i] == 'd' ? !(c >= '0' && c <= '9') : c != pattern[i])
            return false;
    }
    const char hemisphere = b[0x17 + pattern.size()];
    return hemisphere == 'N' || hemisphere == 'S';
}

Block decodeXgody(std::string_view b)
{
    std::string_view t = slice(b, 0x17);
    t = t.substr(0, t.find('\0'));
    Block block;
    const auto time = utcTime(*digits(t, 0, 4), *digits(t, 5, 2), *digits(t, 8, 2),
                              *digits(t, 11, 2), *digits(t, 14, 2), double(*digits(t, 17, 2)));
    if (!time)
        return block;
    block.status = Status::NoFix;
    std::optional<double> lat, lon, knots, course, ax, ay, az;
    char ns = 0, ew = 0;
    std::size_t i = 20;
    while (i < t.size()) {
        const std::size_t end = std::min(t.find(' ', i), t.size());
        const std::string_view word = t.substr(i, end - i);
        i = end + 1;
        std::size_t used = 0;
        if (word.size() > 2 && word[1] == ':') {
            const std::optional<double> v = number(word.substr(2), used);
            if (!v || used != word.size() - 2)
                continue;
            switch (word[0]) {
            case 'N':
            case 'S':
                lat = *v, ns = word[0];
                break;
            case 'E':
            case 'W':
                lon = *v, ew = word[0];
                break;
            case 'x':
                ax = v;
                break;
            case 'y':
                ay = v;
                break;
            case 'z':
                az = v;
                break;
            case 'A':
                course = v;
                break;
            default:
                break;
            }
        } else if (lon && !knots) {
            const std::optional<double> v = number(word, used);
            if (v && used == word.size())
                knots = v;
        }
    }
    if (ax && ay && az)
        block.samples.push_back(sample(*ax, *ay, *az, *time));
    if (lat && lon) {
        const double latitude = std::fabs(*lat) * (ns == 'S' || *lat < 0 ? -1 : 1);
        const double longitude = std::fabs(*lon) * (ew == 'W' || *lon < 0 ? -1 : 1);
        addFix(block, fromDegrees(latitude, longitude, knots.value_or(0) * kKmhPerKnot,
                                  course.value_or(0), *time));
    }
    return block;
}

} // namespace RVFreeGpsText
