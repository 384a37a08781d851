// E-ACE B44 and other cameras with a "luckychip" GPS module: the Novatek record at 0x10
// (date and time, 'A', 'N'/'S', 'E'/'W' at 0x28), but the coordinates are texts of 20 bytes
// at 0x2C (latitude) and 0x40 (longitude), NUL-padded, then f32 speed in knots at 0x54 and
// f32 course at 0x58, and three s32 raw accelerations at 0x5C (the scale differs per axis,
// about 250-300 units a g, so they are not shown).
// A coordinate text is either the NMEA number itself ("4807.0381") or its RC4 encryption in
// Base64. The RC4 key is "luckychip gps", or "customer XX gps" with XX one of
// "aa" to "ss";
// the right key is the one that turns both texts into NMEA numbers. A block whose texts no
// key opens is named encrypted.

#include "metadata/freegps/RVFreeGpsLucky.h"

#include "core/RVNumber.h"
#include "metadata/RVByteReader.h"
#include "metadata/freegps/RVFreeGpsParts.h"

#include <array>
#include <string>

using namespace RVFreeGpsParts;
using Block = RVFreeGps::Block;
using Status = Block::Status;

namespace {

constexpr std::size_t kLatitude = 0x2c;
constexpr std::size_t kLongitude = 0x40;
constexpr std::size_t kTextBytes = 20;

std::string_view unpadded(std::string_view field)
{
    return field.substr(0, field.find('\0'));
}

// "dddd.ddd" with 1 to maxWhole digits before the point and some after.
bool nmeaNumber(std::string_view t, std::size_t maxWhole)
{
    const std::size_t point = t.find('.');
    if (point == std::string_view::npos || point == 0 || point > maxWhole || point + 1 >= t.size())
        return false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (i != point && !(t[i] >= '0' && t[i] <= '9'))
            return false;
    }
    return true;
}

std::optional<std::string> base64(std::string_view text)
{
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (const char c : text) {
        int v;
        if (c >= 'A' && c <= 'Z')
            v = c - 'A';
        else if (c >= 'a' && c <= 'z')
            v = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            v = c - '0' + 52;
        else if (c == '+')
            v = 62;
        else if (c == '/')
            v = 63;
        else if (c == '=')
            break;
        else
            return std::nullopt;
        bits = (bits << 6) | unsigned(v);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(char((bits >> count) & 0xff));
        }
    }
    return out;
}

std::string rc4(std::string_view data, std::string_view key)
{
    std::array<unsigned char, 256> s;
    for (unsigned i = 0; i < 256; ++i)
        s[i] = static_cast<unsigned char>(i);
    unsigned j = 0;
    for (unsigned i = 0; i < 256; ++i) {
        j = (j + s[i] + static_cast<unsigned char>(key[i % key.size()])) & 0xff;
        std::swap(s[i], s[j]);
    }
    std::string out(data);
    unsigned a = 0;
    j = 0;
    for (char& c : out) {
        a = (a + 1) & 0xff;
        j = (j + s[a]) & 0xff;
        std::swap(s[a], s[j]);
        c = char(static_cast<unsigned char>(c) ^ s[(s[a] + s[j]) & 0xff]);
    }
    return out;
}

// The NMEA texts of both coordinates, decrypted when they need it.
std::optional<std::pair<std::string, std::string>> coordinates(std::string_view b)
{
    const std::string_view lat = unpadded(slice(b, kLatitude, kTextBytes));
    const std::string_view lon = unpadded(slice(b, kLongitude, kTextBytes));
    if (nmeaNumber(lat, 5) && nmeaNumber(lon, 5))
        return std::pair{std::string(lat), std::string(lon)};
    const auto latBytes = base64(lat), lonBytes = base64(lon);
    if (!latBytes || !lonBytes || latBytes->empty() || lonBytes->empty())
        return std::nullopt;
    const auto open =
        [&](const std::string& key) -> std::optional<std::pair<std::string, std::string>> {
        std::string openLat = rc4(*latBytes, key), openLon = rc4(*lonBytes, key);
        if (nmeaNumber(openLat, 4) && nmeaNumber(openLon, 5))
            return std::pair{std::move(openLat), std::move(openLon)};
        return std::nullopt;
    };
    if (auto opened = open("luckychip gps"))
        return opened;
    for (char letter = 'a'; letter <= 's'; ++letter) {
        if (auto opened = open(std::string("customer ") + letter + letter + " gps"))
            return opened;
    }
    return std::nullopt;
}

} // namespace

namespace RVFreeGpsLucky {

bool matches(std::string_view b)
{
    if (b.size() < 0x78 || b[0x28] != 'A' || (b[0x29] != 'N' && b[0x29] != 'S') ||
        (b[0x2a] != 'E' && b[0x2a] != 'W'))
        return false;
    // Texts where the plain record keeps floats: printable, then only NUL padding.
    for (const std::size_t at : {kLatitude, kLongitude}) {
        const std::string_view field = slice(b, at, kTextBytes);
        const std::string_view text = unpadded(field);
        if (text.size() < 3 || field.find_first_not_of('\0', text.size()) != std::string_view::npos)
            return false;
        for (const char c : text) {
            if (c <= ' ' || c > '~')
                return false;
        }
    }
    return true;
}

Block decode(std::string_view b)
{
    const RVByteReader r(b);
    Block block;
    const auto time = utcTime(fullYear(*r.u32le(0x1c)), *r.u32le(0x20), *r.u32le(0x24),
                              *r.u32le(0x10), *r.u32le(0x14), *r.u32le(0x18));
    if (!time)
        return block;
    const auto texts = coordinates(b);
    if (!texts) {
        block.status = Status::Encrypted;
        return block;
    }
    addFix(block, fromNmeaPrecise(RVNumber::leadingValue(texts->first), b[0x29],
                                  RVNumber::leadingValue(texts->second), b[0x2a],
                                  double(*r.f32le(0x54)) * kKmhPerKnot, *r.f32le(0x58), *time));
    return block;
}

} // namespace RVFreeGpsLucky
