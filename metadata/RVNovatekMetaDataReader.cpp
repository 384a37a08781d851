// Novatek-based cameras (Viofo A119/A129/A229, Kenwood, Nextbase, Vantrue, Transcend and many
// others).
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
// What a block holds depends on the camera: the first 0x410 bytes of each (its head and the
// 0x3F0 bytes of data most cameras give it; INNOVV fills them with records) go to the table of
// layouts (metadata/freegps/RVFreeGps.h). Blocks no layout reads give nothing; a video whose
// blocks give nothing at all is declined with the reason (encrypted, no fix yet, unknown
// layout), never passed off as a Novatek recording without a track.

#include "metadata/RVNovatekMetaDataReader.h"

#include "metadata/RVBoxWalker.h"
#include "metadata/RVByteReader.h"
#include "metadata/RVMetaPath.h"
#include "metadata/freegps/RVFreeGps.h"

#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <map>

namespace {

constexpr qint64 kBoundary = 0x8000;
constexpr int kProbeBoundaries = 256;

// Reads up to kBlockHeadBytes of the block at offset; an empty array when no block is there.
QByteArray readBlockHead(QIODevice& device, qint64 offset, qint64 fileSize)
{
    if (offset < 0 || offset > fileSize - 12 || !device.seek(offset))
        return QByteArray();
    QByteArray head =
        device.read(std::min(RVNovatekMetaDataReader::kBlockHeadBytes, fileSize - offset));
    const std::string_view view(head.constData(), std::size_t(head.size()));
    if (!RVFreeGps::isBlock(view))
        return QByteArray();
    // Bytes past the block's own size belong to the video.
    const std::uint32_t size = *RVByteReader(view).u32(0);
    if (size >= 12 && size < std::uint32_t(head.size()))
        head.truncate(qsizetype(size));
    return head;
}

// A VIOFO A119 Mini 2 dates its blocks by a clock it keeps in UTC while its receiver has no
// fix, and from the first fix on by the local time the receiver's clock gives, written as if
// it were UTC: the blocks' time jumps by the zone's offset from the last block without a fix
// to the first with one (real blocks: 11:22:04 'V', then 14:22:05 'A' at UTC+3). A step of half
// an hour to 14 hours that lies within two minutes of a whole quarter hour is such a zone; the
// quarter hours are what the fixes from there on are ahead. Consecutive blocks are a second or
// so apart, so a receiver that merely took long for its fix does not look like a zone.
std::optional<std::int64_t> zoneStepMs(RVTimestamp lastWithoutFix, RVTimestamp firstFix)
{
    constexpr std::int64_t kQuarterMs = 15 * 60 * 1000;
    constexpr std::int64_t kSlackMs = 2 * 60 * 1000;
    if (!lastWithoutFix.isValid() || !firstFix.isValid())
        return std::nullopt;
    const std::int64_t step = firstFix.msecsSinceEpoch() - lastWithoutFix.msecsSinceEpoch();
    const std::int64_t quarters = (step + (step < 0 ? -kQuarterMs : kQuarterMs) / 2) / kQuarterMs;
    const std::int64_t zone = quarters * kQuarterMs;
    if (std::abs(zone) < 2 * kQuarterMs || std::abs(zone) > 14 * 4 * kQuarterMs ||
        std::abs(step - zone) > kSlackMs)
        return std::nullopt;
    return zone;
}

// Moves the fixes and samples of a block by ms.
void shiftBlock(RVFreeGps::Block& block, std::int64_t ms)
{
    const auto shifted = [ms](RVTimestamp time) {
        return RVTimestamp::fromMSecsSinceEpoch(time.msecsSinceEpoch() - ms);
    };
    for (RVFreeGps::Fix& fix : block.fixes) {
        if (fix.point.time().isValid())
            fix.point.setTime(shifted(fix.point.time()));
    }
    for (RVSensorData& sample : block.samples) {
        if (const std::optional<RVTimestamp> time = sample.time().instantValue())
            sample.setTime(RVSensorLabel::instant(shifted(*time)));
    }
}

// Whether a top-level "frea" box holds the "ver " of the Rexing V1-4k ("3.01.054"), whose
// records at 0x30 carry scaled coordinates.
bool isRexingScaled(QIODevice& device, const RVBox& frea)
{
    RVBoxWalker children(device, frea.payloadOffset(), frea.end);
    const std::optional<RVBox> version = children.find("ver ");
    if (!version)
        return false;
    const RVBoxPayload payload = RVBoxPayload::read(device, *version, 64);
    return payload.status == RVBoxPayload::Status::Read && payload.bytes.startsWith("3.01.054");
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
        if (RVFreeGps::isBlock(std::string_view(header, 12)))
            offsets.push_back(p);
    }
}

} // namespace

std::optional<RVMetaData>
RVNovatekMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVNovatekMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                         RVDecline& why) const
{
    // Unbuffered: the walk and the scan read a few bytes here and there, and a buffered file
    // would fetch 16 KiB for each.
    RVRegularFile video;
    if (!RVMetaPath::openRegularFile(video, videoPath, QIODevice::Unbuffered)) {
        why = RVDecline{};
        return std::nullopt;
    }
    return readMetaData(video, video.size(), videoPath, &why);
}

RVNovatekMetaDataReader::Places
RVNovatekMetaDataReader::findBlocks(QIODevice& device, qint64 fileSize, const QString& name)
{
    Places places;
    std::optional<RVBox> moov;
    std::vector<RVBox> mdats;
    RVBoxWalker top(device, 0, fileSize);
    while (const std::optional<RVBox> box = top.next()) {
        if (box->is("moov") && !moov)
            moov = box;
        else if (box->is("mdat"))
            mdats.push_back(*box);
        else if (box->is("frea"))
            places.hints.rexingScaled = isRexingScaled(device, *box);
    }

    std::vector<qint64> listed;
    bool complete = false;
    if (moov) {
        RVBoxWalker children(device, moov->payloadOffset(), moov->end);
        if (const std::optional<RVBox> index = children.find("gps ")) {
            places.indexOffset = index->offset;
            const RVBoxPayload payload =
                RVBoxPayload::read(device, *index, RVMetaPath::Limits::kBlockIndex);
            if (payload.status == RVBoxPayload::Status::TooLarge)
                RVMetaPath::reportOversize(name, index->payloadSize(),
                                           RVMetaPath::Limits::kBlockIndex);
            if (payload.status == RVBoxPayload::Status::Read) {
                listed = readIndex(
                    std::string_view(payload.bytes.constData(), std::size_t(payload.bytes.size())),
                    complete);
                places.haveIndex = payload.bytes.size() >= 8;
            }
        }
    }

    // Blocks by file offset: file order is the order they were recorded in, and a block
    // listed twice, or both listed and found by the scan, is read once. An entry that leads
    // to no block makes the index partial.
    std::vector<qint64>& offsets = places.offsets;
    char header[12];
    for (const qint64 offset : listed) {
        if (offset >= 0 && offset <= fileSize - 12 && device.seek(offset) &&
            device.read(header, 12) == 12 && RVFreeGps::isBlock(std::string_view(header, 12)))
            offsets.push_back(offset);
        else
            complete = false;
    }

    if (!places.haveIndex || !complete) {
        if (mdats.empty())
            mdats.push_back(RVBox{{}, 0, 0, fileSize, fileSize});
        std::vector<qint64> found;
        // With a "moov" but no index this may well be another camera's video: look at the
        // start of the media first.
        const bool probeFirst = moov && !places.haveIndex;
        if (probeFirst) {
            for (const RVBox& mdat : mdats)
                scanRange(device, mdat.payloadOffset(), mdat.end, kProbeBoundaries, found);
        }
        if (!probeFirst || !found.empty()) {
            found.clear();
            for (const RVBox& mdat : mdats)
                scanRange(device, mdat.payloadOffset(), mdat.end, -1, found);
        }
        offsets.insert(offsets.end(), found.begin(), found.end());
    }
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    return places;
}

std::optional<RVMetaData> RVNovatekMetaDataReader::readMetaData(QIODevice& device, qint64 fileSize,
                                                                const QString& name, RVDecline* why)
{
    RVDecline ignored;
    RVDecline& decline = why ? *why : ignored;
    decline = RVDecline{};
    const Places places = findBlocks(device, fileSize, name);
    if (!places.haveIndex && places.offsets.empty())
        return std::nullopt;

    RVMetaData data;
    // The first block of each kind that gave nothing, for the reason given.
    std::optional<qint64> firstEncrypted, firstVoid, firstUnknown;
    const RVFreeGps::Layout* encryptedLayout = nullptr;
    // The clock of the blocks before the first fix, and how far the fixes are ahead of it.
    RVTimestamp lastWithoutFix;
    bool fixSeen = false;
    std::int64_t aheadMs = 0;
    for (const qint64 offset : places.offsets) {
        const QByteArray head = readBlockHead(device, offset, fileSize);
        if (head.isEmpty())
            continue;
        RVFreeGps::Block block = RVFreeGps::read(
            std::string_view(head.constData(), std::size_t(head.size())), places.hints);
        if (!block.fixes.empty() && !fixSeen) {
            fixSeen = true;
            aheadMs = zoneStepMs(lastWithoutFix, block.written).value_or(0);
        } else if (block.fixes.empty() && !fixSeen && block.written.isValid()) {
            lastWithoutFix = block.written;
        }
        if (aheadMs != 0 && !block.fixes.empty())
            shiftBlock(block, aheadMs);
        RVFreeGps::appendTo(block, data);
        using Status = RVFreeGps::Block::Status;
        if (block.status == Status::Encrypted && !firstEncrypted) {
            firstEncrypted = offset;
            encryptedLayout = block.layout;
        } else if (block.status == Status::NoFix && !firstVoid) {
            firstVoid = offset;
        } else if (block.status == Status::Unknown && !firstUnknown) {
            firstUnknown = offset;
        }
    }
    if (!data.points.empty() || !data.gSensorData.empty())
        return data;

    const auto hex = [](qint64 offset) { return QStringLiteral("0x%1").arg(offset, 0, 16); };
    const QString count = places.offsets.size() == 1
                              ? QStringLiteral("1 freeGPS block")
                              : QStringLiteral("%1 freeGPS blocks").arg(places.offsets.size());
    if (firstEncrypted) {
        decline = {RVDecline::Kind::Encrypted,
                   QStringLiteral("%1, the first at offset %2: %3")
                       .arg(count, hex(*firstEncrypted),
                            QString::fromLatin1(encryptedLayout ? encryptedLayout->name : ""))};
    } else if (firstUnknown) {
        decline = {
            RVDecline::Kind::UnknownLayout,
            QStringLiteral("%1: unknown layout at offset %2").arg(count, hex(*firstUnknown))};
    } else if (firstVoid) {
        decline = {
            RVDecline::Kind::NoFixYet,
            QStringLiteral("%1, the first at offset %2: no fix").arg(count, hex(*firstVoid))};
    } else {
        decline = {RVDecline::Kind::NoFixYet,
                   QStringLiteral("\"gps \" index at offset %1 lists no block")
                       .arg(hex(places.indexOffset))};
    }
    return std::nullopt;
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
