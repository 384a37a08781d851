// Novatek-based cameras (Viofo A119/A129/A229, Street Guardian, Azdome and many others).
//
// The track lives inside the video, one block a second inside "mdat":
//   offset 0, u32 BE: the block's size; offset 4: the eight bytes "freeGPS "
// Blocks start on 0x8000 boundaries of the file in every known recording. The index of the
// blocks is a "gps " box inside "moov":
//   u32 BE version, u32 BE count, then count pairs of u32 BE (file offset, size)
// A recording cut short (power lost before "moov" was written) has no index, and some
// firmware lists only part of the blocks: then "mdat" is scanned at the 0x8000 boundaries,
// reading 12 bytes at each, never the whole file. A "moov" without an index is only scanned
// when one of the first 256 boundaries of "mdat" holds a block (a block a second lies well
// within the first 8 MiB of video), so that other cameras' videos cost a few reads.
//
// The fix record, all little-endian:
//   +0 u32 hour, +4 u32 minute, +8 u32 second, +12 u32 year - 2000, +16 u32 month, +20 u32 day
//   (UTC), +24 status 'A' valid / 'V' void, +25 'N'/'S', +26 'E'/'W', +27 pad,
//   +28 f32 latitude and +32 f32 longitude as NMEA ddmm.mmmm, +36 f32 speed in knots,
//   +40 f32 course in degrees
// Variant B (Viofo A119 V3, A129, A229 newer firmware): the record at block offset 0x10,
// followed at +44 by three s32 accelerations (X, Y, Z) in 1/256 g.
// Variant A (early A119, Street Guardian, A229 first firmware): the record at 0x30.
// Azdome: from block offset 18 on, ASCII text XORed with 0xAA; decoded it reads
//   +0 "\0\0XKZD\xfe\xfe", +8 YYYYMMDDhhmmss, +22 one byte, +23 a 15-byte label,
//   +38 'N'/'S', +39 latitude ddmmmmmm (ddmm.mmmm x 10^4), +47 'E'/'W',
//   +48 longitude dddmmmmmm, +57 speed in km/h, 8 digits
// A record whose status is not 'A' gives no point. Blocks in any other layout (encrypted ones
// among them) give nothing: no guessing at what their bytes might mean.

#include "metadata/RVNovatekMetaDataReader.h"

#include "core/RVCivilTime.h"
#include "metadata/RVBoxWalker.h"
#include "metadata/RVByteReader.h"
#include "metadata/RVCoordinate.h"
#include "metadata/RVMetaPath.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace {

constexpr std::string_view kMagic = "freeGPS ";
constexpr qint64 kBoundary = 0x8000;
constexpr int kProbeBoundaries = 256;
constexpr double kKmhPerKnot = 1.852;
constexpr double kSensorUnitsPerG = 256.0;
constexpr std::size_t kVariantB = 0x10;
constexpr std::size_t kVariantA = 0x30;
constexpr std::size_t kRecordBytes = 44;
constexpr std::size_t kAzdomeStart = 18;
constexpr std::size_t kAzdomeLength = 0x101;
constexpr std::string_view kAzdomeMark = "\xaa\xaa\xf2\xe1\xf0\xee\x54\x54";

bool hasMagic(std::string_view block)
{
    return block.size() >= 12 && block.substr(4, 8) == kMagic;
}

bool validDate(const RVCivilTime::Fields& f)
{
    return f.hour < 24 && f.minute < 60 && f.second < 61 && f.month >= 1 && f.month <= 12 &&
           f.day >= 1 && f.day <= RVCivilTime::daysInMonth(f.year, f.month);
}

RVPoint makePoint(float latitude, bool south, float longitude, bool west, double kmh, double course,
                  RVTimestamp time)
{
    char lat[RVCoordinate::kBufferSize];
    char lon[RVCoordinate::kBufferSize];
    return RVPoint(RVCoordinate::toDecimalDegrees(std::fabs(latitude), south, lat),
                   RVCoordinate::toDecimalDegrees(std::fabs(longitude), west, lon),
                   std::numeric_limits<double>::quiet_NaN(), course, kmh, time);
}

// The binary record at offset o, when its date and letters are plausible.
std::optional<RVNovatekMetaDataReader::Block> readRecord(std::string_view block, std::size_t o,
                                                         bool withSensor)
{
    const RVByteReader r(block);
    if (!r.bytes(o, kRecordBytes + (withSensor ? 12 : 0)))
        return std::nullopt;
    RVCivilTime::Fields f;
    const std::uint32_t values[] = {*r.u32le(o),      *r.u32le(o + 4),  *r.u32le(o + 8),
                                    *r.u32le(o + 12), *r.u32le(o + 16), *r.u32le(o + 20)};
    if (values[3] > 200 ||
        std::any_of(std::begin(values), std::end(values), [](std::uint32_t v) { return v > 60; }))
        return std::nullopt;
    f.hour = int(values[0]);
    f.minute = int(values[1]);
    f.second = int(values[2]);
    f.year = 2000 + int(values[3]);
    f.month = int(values[4]);
    f.day = int(values[5]);
    const char status = block[o + 24];
    const char ns = block[o + 25];
    const char ew = block[o + 26];
    if (!validDate(f) || (status != 'A' && status != 'V'))
        return std::nullopt;
    const RVTimestamp time = RVCivilTime::utcInstant(f);

    RVNovatekMetaDataReader::Block result;
    if (withSensor) {
        const double x = *r.s32le(o + 44) / kSensorUnitsPerG;
        const double y = *r.s32le(o + 48) / kSensorUnitsPerG;
        const double z = *r.s32le(o + 52) / kSensorUnitsPerG;
        result.sample =
            RVSensorData(x, y, z, std::sqrt(x * x + y * y + z * z), RVSensorLabel::instant(time));
    }
    if (status == 'A' && (ns == 'N' || ns == 'S') && (ew == 'E' || ew == 'W')) {
        result.speedKmh = double(*r.f32le(o + 36)) * kKmhPerKnot;
        result.point = makePoint(*r.f32le(o + 28), ns == 'S', *r.f32le(o + 32), ew == 'W',
                                 result.speedKmh, double(*r.f32le(o + 40)), time);
    }
    return result;
}

// A run of ASCII digits as a number; nothing when any character is not a digit.
std::optional<std::int64_t> digits(std::string_view text, std::size_t at, std::size_t count)
{
    if (at + count > text.size())
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text.substr(at, count)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<RVNovatekMetaDataReader::Block> readAzdome(std::string_view block)
{
    std::string text(block.substr(kAzdomeStart, kAzdomeLength));
    for (char& c : text)
        c = char(static_cast<unsigned char>(c) ^ 0xAA);
    const auto year = digits(text, 8, 4), month = digits(text, 12, 2), day = digits(text, 14, 2);
    const auto hour = digits(text, 16, 2), minute = digits(text, 18, 2);
    const auto second = digits(text, 20, 2);
    const auto latitude = digits(text, 39, 8), longitude = digits(text, 48, 9);
    if (!year || !month || !day || !hour || !minute || !second || !latitude || !longitude)
        return std::nullopt;
    const char ns = text[38];
    const char ew = text[47];
    if ((ns != 'N' && ns != 'S') || (ew != 'E' && ew != 'W'))
        return std::nullopt;
    RVCivilTime::Fields f;
    f.year = int(*year);
    f.month = int(*month);
    f.day = int(*day);
    f.hour = int(*hour);
    f.minute = int(*minute);
    f.second = int(*second);
    if (!validDate(f))
        return std::nullopt;
    RVNovatekMetaDataReader::Block result;
    result.speedKmh = double(digits(text, 57, 8).value_or(0));
    result.point =
        makePoint(float(double(*latitude) / 1e4), ns == 'S', float(double(*longitude) / 1e4),
                  ew == 'W', result.speedKmh, 0, RVCivilTime::utcInstant(f));
    return result;
}

// Reads up to kBlockHeadBytes of the block at offset; an empty array when no block is there.
QByteArray readBlockHead(QIODevice& device, qint64 offset, qint64 fileSize)
{
    if (offset < 0 || offset > fileSize - 12 || !device.seek(offset))
        return QByteArray();
    QByteArray head =
        device.read(std::min(RVNovatekMetaDataReader::kBlockHeadBytes, fileSize - offset));
    const std::string_view view(head.constData(), std::size_t(head.size()));
    if (!hasMagic(view))
        return QByteArray();
    // Bytes past the block's own size belong to the video.
    const std::uint32_t size = *RVByteReader(view).u32(0);
    if (size >= 12 && size < std::uint32_t(head.size()))
        head.truncate(qsizetype(size));
    return head;
}

// Block offsets at the 0x8000 boundaries of [begin, end), at most maxProbes of them looked at
// (negative: all).
void scanRange(QIODevice& device, qint64 begin, qint64 end, int maxProbes,
               std::vector<qint64>& offsets)
{
    char header[12];
    int probes = 0;
    for (qint64 p = (begin + kBoundary - 1) / kBoundary * kBoundary; p + 12 <= end;
         p += kBoundary) {
        if (maxProbes >= 0 && probes++ >= maxProbes)
            return;
        if (!device.seek(p) || device.read(header, 12) != 12)
            return;
        if (hasMagic(std::string_view(header, 12)))
            offsets.push_back(p);
    }
}

} // namespace

std::optional<RVMetaData>
RVNovatekMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    // Unbuffered: the walk and the scan read a few bytes here and there, and a buffered file
    // would fetch 16 KiB for each.
    QFile video;
    if (!RVMetaPath::openRegularFile(video, videoPath, QIODevice::Unbuffered))
        return std::nullopt;
    return readMetaData(video, video.size(), videoPath);
}

std::optional<RVMetaData> RVNovatekMetaDataReader::readMetaData(QIODevice& device, qint64 fileSize,
                                                                const QString& name)
{
    std::optional<RVBox> moov;
    std::vector<RVBox> mdats;
    RVBoxWalker top(device, 0, fileSize);
    while (const std::optional<RVBox> box = top.next()) {
        if (box->is("moov") && !moov)
            moov = box;
        else if (box->is("mdat"))
            mdats.push_back(*box);
    }

    std::vector<qint64> offsets;
    bool haveIndex = false;
    bool complete = false;
    if (moov) {
        RVBoxWalker children(device, moov->payloadOffset(), moov->end);
        if (const std::optional<RVBox> index = children.find("gps ")) {
            if (index->payloadSize() > RVMetaPath::Limits::kBlockIndex) {
                RVMetaPath::reportOversize(name, index->payloadSize(),
                                           RVMetaPath::Limits::kBlockIndex);
            } else if (device.seek(index->payloadOffset())) {
                const QByteArray payload = device.read(index->payloadSize());
                offsets = readIndex(
                    std::string_view(payload.constData(), std::size_t(payload.size())), complete);
                haveIndex = payload.size() >= 8;
            }
        }
    }

    // Blocks by file offset: file order is the order they were recorded in, and a block
    // listed twice, or both listed and found by the scan, is read once.
    std::map<qint64, Block> blocks;
    const auto decode = [&](qint64 offset) {
        if (blocks.count(offset))
            return true;
        const QByteArray head = readBlockHead(device, offset, fileSize);
        if (head.isEmpty())
            return false;
        blocks.emplace(offset,
                       readBlock(std::string_view(head.constData(), std::size_t(head.size()))));
        return true;
    };
    for (const qint64 offset : offsets) {
        if (!decode(offset))
            complete = false; // an entry that leads to no block makes the index partial
    }

    if (!haveIndex || !complete) {
        if (mdats.empty())
            mdats.push_back(RVBox{{}, 0, 0, fileSize, fileSize});
        std::vector<qint64> found;
        // With a "moov" but no index this may well be another camera's video: look at the
        // start of the media first.
        const bool probeFirst = moov && !haveIndex;
        if (probeFirst) {
            for (const RVBox& mdat : mdats)
                scanRange(device, mdat.payloadOffset(), mdat.end, kProbeBoundaries, found);
        }
        if (!probeFirst || !found.empty()) {
            found.clear();
            for (const RVBox& mdat : mdats)
                scanRange(device, mdat.payloadOffset(), mdat.end, -1, found);
        }
        for (const qint64 offset : found)
            decode(offset);
    }
    if (!haveIndex && blocks.empty())
        return std::nullopt;

    RVMetaData data;
    for (const auto& [offset, block] : blocks) {
        if (block.point) {
            data.points.push_back(*block.point);
            data.velocityData.push_back(block.speedKmh);
        }
        if (block.sample)
            data.gSensorData.push_back(*block.sample);
    }
    return data;
}

RVNovatekMetaDataReader::Block RVNovatekMetaDataReader::readBlock(std::string_view block)
{
    if (!hasMagic(block))
        return {};
    if (block.size() > kAzdomeStart + kAzdomeMark.size() &&
        block.substr(kAzdomeStart, kAzdomeMark.size()) == kAzdomeMark)
        return readAzdome(block).value_or(Block{});
    if (std::optional<Block> b = readRecord(block, kVariantB, true))
        return *b;
    return readRecord(block, kVariantA, false).value_or(Block{});
}

std::vector<qint64> RVNovatekMetaDataReader::readIndex(std::string_view payload, bool& complete)
{
    const RVByteReader r(payload);
    std::vector<qint64> offsets;
    const std::optional<std::uint32_t> count = r.u32(4);
    if (!count) {
        complete = false;
        return offsets;
    }
    const std::size_t held = (payload.size() - 8) / 8;
    complete = *count <= held;
    const std::size_t n = std::min<std::size_t>(*count, held);
    offsets.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t offset = *r.u32(8 + 8 * i);
        const std::uint32_t size = *r.u32(12 + 8 * i);
        if (offset == 0 && size == 0)
            continue; // unused slots of a preallocated index
        offsets.push_back(qint64(offset));
    }
    return offsets;
}
