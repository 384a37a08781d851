// "LIGOGPSINFO" blocks (Rexing V1GW-4K, XGODY, iiway S1, ABASK A8, Kingslim D4, Redtiger F9
// and others). The mark "LIGOGPSINFO\0" stands at 0x10, 0x30 or 0x50 of the block (M); the
// u32 at M+0x0C tells whether the coordinates are offset (see below): 1 or 0x14 in its last
// byte, they are not. From M+0x14 on, records of 0x84 bytes:
//   "####", u32 n (the bytes that follow, at most 0x84), then n scrambled bytes; or a record
//   in plain text (Redtiger F9), 4 bytes and then the text directly.
// Scrambling: each round starts with a steering byte whose top three bits tell how many data
// bytes follow (0xC0-0xFF: 4, 0x40-0xBF: 3, 0x00-0x1F: 1) and which of its low bits are put
// back into them; data bytes are XORed with 0x20, and a round of 3 data bytes stands for 4
// characters, one of them a space, its place given by the steering bits. This is a reversible
// packing, not encryption: no key is involved.
// Unscrambled, a record is a u32 counter and the text
//   "YYYY/MM/DD hh:mm:ss N:dd.dddddd W:ddd.dddddd <speed> km/h x:.. y:.. z:.. A:<course> ..."
// where the speed is in knots (the label notwithstanding), and the coordinates (but not for
// every camera, see M+0x0C) are offset: with lat10 and lon10 the values rounded down to
// tens, the true latitude is lat10 + (lon - lon10) x k and the true longitude
// lon10 + (lat - lat10) x k, with k = 1.524855137, or 1.15368 for the cameras whose block
// size field is 0x3F0 and whose bytes 0x20-0x23 are zero (ABASK A8). The speed of offset
// records is knots x 1.85407333. Coordinates written as dddmm.mmmm are NMEA, and their speed
// is in km/h.
// Some cameras use a substitution cipher over the digits instead of the scrambling ("####"
// records that do not unscramble): such blocks are named encrypted.
// The time is read as written, as UTC (recordings whose fixes follow the camera's clock are
// told by the dispatcher, by their name).
//
// SigmaStar cameras (CARCAM 4CH) carry the same records in the samples of an "ssmd" data
// track, one sample a second: a binary preamble (latitude and longitude as doubles, a time),
// a box "SKIP" whose payload starts with the mark, and after M+0x14 one "####" record of
// 8 + n bytes, which the sample may end before a whole 0x84-byte slot (a 184-byte sample
// leaves 0x7E bytes after M+0x14). Their M+0x0C word says "offset", yet
// the coordinates of a real sample are right as written: in samples they are never offset, and
// the speed is in knots. Their time is taken for the camera's clock: the plain-text records
// that other cameras of this firmware append to the file are known to be, and the one public
// recording's records stand within a minute of the clock time of its name.
//
// Some cameras (Beferich J18) append the records to the file instead, in trailers after the last
// box (RVLigoTrailerMetaDataReader finds them): a directory "LIGOGPSINFO\0" of "####" records
// as in a block, and one "LIGOGPSINFO" and five spaces, a u32 big-endian count and the records
// in plain text, each a u32 big-endian counter and the text ("... A:<course> H:<altitude>
// M:<variation>"), the speed in km/h as labelled and the coordinates as written. A real
// recording's plain records run from the second its name tells on, a second apart: the
// camera's clock.

#include "metadata/freegps/RVFreeGpsLigo.h"

#include "core/RVNumber.h"
#include "metadata/RVByteReader.h"
#include "metadata/freegps/RVFreeGpsParts.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

using namespace RVFreeGpsParts;
using Block = RVFreeGps::Block;
using Status = Block::Status;

namespace {

constexpr std::string_view kMark("LIGOGPSINFO\0", 12);
constexpr std::string_view kPlainMark("LIGOGPSINFO     ", 16);
constexpr std::size_t kRecordBytes = 0x84;
constexpr double kOffsetScale = 1.524855137;
constexpr double kOffsetScaleAbask = 1.15368;
constexpr double kOffsetSpeedScale = 1.85407333;

std::optional<std::size_t> markAt(std::string_view b)
{
    for (const std::size_t m : {0x10, 0x30, 0x50}) {
        if (slice(b, m, kMark.size()) == kMark && b.size() >= m + kRecordBytes)
            return m;
    }
    return std::nullopt;
}

struct Parsed
{
    RVTimestamp time;
    double latitude = 0;
    double longitude = 0;
    double speed = 0;
    double course = 0;
    double altitude = std::numeric_limits<double>::quiet_NaN();
    std::optional<RVSensorData> sample;
};

// The text after the counter: "YYYY/MM/DD hh:mm:ss N:lat E:lon speed ...".
std::optional<Parsed> parse(std::string_view t, bool offset, bool kmh, double scale)
{
    const auto y = digits(t, 0, 4), mo = digits(t, 5, 2), d = digits(t, 8, 2);
    const auto h = digits(t, 11, 2), mi = digits(t, 14, 2), s = digits(t, 17, 2);
    if (!y || !mo || !d || !h || !mi || !s || t.size() < 20 || t[4] != '/' || t[7] != '/' ||
        t[10] != ' ' || t[13] != ':' || t[16] != ':')
        return std::nullopt;
    const auto time = utcTime(*y, *mo, *d, *h, *mi, double(*s));
    if (!time)
        return std::nullopt;
    // Whitespace-separated words after the time.
    std::vector<std::string_view> words;
    for (std::size_t i = 19; i < t.size();) {
        while (i < t.size() && (t[i] == ' ' || t[i] == '\t'))
            ++i;
        std::size_t end = i;
        while (end < t.size() && t[end] != ' ' && t[end] != '\t')
            ++end;
        if (end > i)
            words.push_back(t.substr(i, end - i));
        i = end;
    }
    const auto coordinate = [](std::string_view w, char a, char b, bool& negative,
                               std::string_view& digitsText) {
        if (w.size() < 3 || (w[0] != a && w[0] != b && w[0] != '?') || w[1] != ':')
            return false;
        std::string_view v = w.substr(2);
        negative = w[0] == b;
        if (!v.empty() && v[0] == '-') {
            negative = true;
            v.remove_prefix(1);
        }
        if (v.empty() || v.find_first_not_of("0123456789.") != std::string_view::npos)
            return false;
        digitsText = v;
        return true;
    };
    bool south = false, west = false;
    std::string_view latText, lonText;
    if (words.size() < 3 || !coordinate(words[0], 'N', 'S', south, latText) ||
        !coordinate(words[1], 'E', 'W', west, lonText) ||
        words[2].find_first_not_of("0123456789.") != std::string_view::npos)
        return std::nullopt;
    Parsed p;
    p.time = *time;
    double lat = RVNumber::leadingValue(latText), lon = RVNumber::leadingValue(lonText);
    double speedScale = offset ? kOffsetSpeedScale : (kmh ? 1 : kKmhPerKnot);
    if (latText.find('.') >= 3) {
        // dddmm.mmmm: NMEA, and the speed already in km/h.
        lat = std::trunc(lat / 100) + std::fmod(lat, 100) / 60;
        lon = std::trunc(lon / 100) + std::fmod(lon, 100) / 60;
        speedScale = 1;
    }
    if (offset) {
        const double lat10 = std::trunc(lat / 10) * 10, lon10 = std::trunc(lon / 10) * 10;
        const double trueLat = lat10 + (lon - lon10) * scale;
        lon = lon10 + (lat - lat10) * scale;
        lat = trueLat;
    }
    if (lat > 90 || lon > 180)
        return std::nullopt;
    p.latitude = south ? -lat : lat;
    p.longitude = west ? -lon : lon;
    p.speed = RVNumber::leadingValue(words[2]) * speedScale;
    std::optional<double> ax, ay, az;
    for (const std::string_view w : words) {
        if (w.size() > 2 && w[1] == ':') {
            const double v = RVNumber::leadingValue(w.substr(2));
            if (w[0] == 'A')
                p.course = v;
            else if (w[0] == 'H')
                p.altitude = v;
            else if (w[0] == 'x')
                ax = v;
            else if (w[0] == 'y')
                ay = v;
            else if (w[0] == 'z')
                az = v;
        }
    }
    if (ax && ay && az)
        p.sample = sample(*ax, *ay, *az, *time);
    return p;
}

struct Reading
{
    bool offset = false; // the coordinates are offset (see above)
    double scale = kOffsetScale;
    // The records lie in a track's sample rather than a block: a scrambled record takes the
    // bytes its length says rather than a whole slot, and records without a position (no fix
    // yet, "?" for the hemispheres) count as such rather than spoiling the sample.
    bool inSample = false;
};

// The records from M+0x14 on, one a 0x84-byte slot.
Block decodeRecords(std::string_view b, std::size_t m, const Reading& how)
{
    Block block;
    bool encrypted = false, noPosition = false;
    for (std::size_t o = m + 0x14; o < b.size();) {
        std::size_t length = kRecordBytes;
        if (how.inSample && slice(b, o, 4) == "####") {
            // A sample's scrambled record is as long as it says: the sample may end after it.
            const std::optional<std::uint32_t> n = RVByteReader(slice(b, o, 8)).u32le(4);
            length = 8 + (n ? std::min<std::size_t>(*n, kRecordBytes) : 0);
        }
        const std::string_view record = slice(b, o, length);
        if (record.size() < length)
            break;
        o += std::max(length, kRecordBytes);
        std::optional<Parsed> parsed;
        if (record.substr(0, 4) == "####") {
            const std::optional<std::string> text = RVFreeGpsLigo::unscramble(record);
            if (!text) {
                encrypted = true;
                continue;
            }
            const std::string_view body =
                std::string_view(*text).substr(std::min<std::size_t>(4, text->size()));
            parsed = parse(body.substr(0, body.find('\0')), how.offset, false, how.scale);
        } else if (digits(record, 4, 4)) {
            const std::string_view body = record.substr(4);
            parsed = parse(body.substr(0, body.find('\0')), false, true, how.scale);
        }
        if (!parsed)
            continue;
        if (parsed->sample)
            block.samples.push_back(*parsed->sample);
        if (how.inSample && parsed->latitude == 0 && parsed->longitude == 0) {
            noPosition = true;
            continue;
        }
        RVPoint point = fromDegrees(parsed->latitude, parsed->longitude, parsed->speed,
                                    parsed->course, parsed->time);
        point.setAltitude(parsed->altitude);
        addFix(block, point);
    }
    if (block.fixes.empty())
        block.status = encrypted ? Status::Encrypted
                                 : (noPosition || !how.inSample ? Status::NoFix : Status::Unknown);
    return block;
}

// Whether the records after the mark at m have offset coordinates (see above).
bool offsetAfter(std::string_view b, std::size_t m)
{
    const std::string_view flags = slice(b, m + 12, 4);
    return !(flags.size() == 4 && flags.substr(0, 3) == std::string_view("\0\0\0", 3) &&
             (flags[3] == '\x01' || flags[3] == '\x14'));
}

} // namespace

namespace RVFreeGpsLigo {

std::optional<std::string> unscramble(std::string_view record)
{
    const RVByteReader r(record);
    const std::optional<std::uint32_t> n = r.u32le(4);
    if (record.substr(0, 4) != "####" || !n || *n < 4)
        return std::nullopt;
    std::string_view in = record.substr(8, std::min<std::uint32_t>(*n, kRecordBytes));
    std::string out;
    const auto take = [&in]() {
        const auto c = static_cast<unsigned char>(in.front());
        in.remove_prefix(1);
        return unsigned(c);
    };
    const auto put = [&out](unsigned c) { out.push_back(char(c & 0xff)); };
    while (!in.empty()) {
        const unsigned s = take();
        const unsigned steering = s & 0xe0;
        if (steering >= 0xc0) {
            if (in.size() < 4)
                return std::nullopt;
            put((take() | (s & 0x01)) ^ 0x20);
            put((take() | (s & 0x02)) ^ 0x20);
            put((take() | (s & 0x0c)) ^ 0x20);
            put((take() ^ 0x20) | (s & 0x30));
        } else if (steering >= 0x40) {
            if (in.size() < 3)
                return std::nullopt;
            const unsigned a = take(), b = take(), c = take();
            if (steering == 0x40) {
                put(0x20), put((a | (s & 0x01)) ^ 0x20), put((b | (s & 0x06)) ^ 0x20),
                    put((c | (s & 0x18)) ^ 0x20);
            } else if (steering == 0x60) {
                put((a | (s & 0x03)) ^ 0x20), put(0x20), put((b | (s & 0x04)) ^ 0x20),
                    put((c | (s & 0x18)) ^ 0x20);
            } else if (steering == 0x80) {
                put((a | (s & 0x03)) ^ 0x20), put((b | (s & 0x0c)) ^ 0x20), put(0x20),
                    put((c | (s & 0x10)) ^ 0x20);
            } else {
                put((a | (s & 0x01)) ^ 0x20), put((b | (s & 0x06)) ^ 0x20),
                    put((c | (s & 0x18)) ^ 0x20), put(0x20);
            }
        } else if (steering == 0x00) {
            if (in.empty())
                return std::nullopt;
            put(take() | (s & 0x13));
        } else {
            return std::nullopt;
        }
    }
    return out;
}

bool matches(std::string_view b)
{
    return markAt(b).has_value();
}

Block decode(std::string_view b)
{
    const std::size_t m = *markAt(b);
    const RVByteReader r(b);
    const bool abask =
        m == 0x10 && slice(b, 12, 4) == std::string_view("\xf0\x03\0\0", 4) && r.u32le(0x20) == 0u;
    return decodeRecords(b, m,
                         {offsetAfter(b, m), abask ? kOffsetScaleAbask : kOffsetScale, false});
}

std::optional<std::size_t> findMark(std::string_view bytes)
{
    const std::size_t at = bytes.find(kMark);
    return at == std::string_view::npos ? std::nullopt : std::optional(at);
}

Block decodeSample(std::string_view bytes, std::size_t mark)
{
    Block block = decodeRecords(bytes, mark, {false, kOffsetScale, true});
    block.localClock = true;
    if (!RVFreeGps::isSound(block))
        return Block();
    return block;
}

Block decodeDirectory(std::string_view directory)
{
    const bool plain = directory.starts_with(kPlainMark);
    if (!plain && !directory.starts_with(kMark))
        return Block();
    Block block =
        decodeRecords(directory, 0, {!plain && offsetAfter(directory, 0), kOffsetScale, false});
    block.localClock = true;
    if (!RVFreeGps::isSound(block))
        return Block();
    return block;
}

} // namespace RVFreeGpsLigo
