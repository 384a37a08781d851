// The video track of an MP4 file, from its boxes (all sizes and counts big-endian):
//
//   moov/trak/mdia/hdlr   +8 handler type: "vide" for video
//   moov/trak/mdia/mdhd   version 0: +12 u32 timescale; version 1: +20 u32 timescale
//   .../minf/stbl/stsd    +4 u32 entry count, then sample entries as boxes: "avc1" (78 bytes
//                         of visual fields, then boxes such as "avcC"), or "encv" for encrypted
//                         samples, whose boxes include "sinf" (the protection scheme)
//   avcC                  +4 low two bits + 1: bytes of each NAL unit's length prefix
//   stts                  +4 count, then (sample count, sample duration) pairs in timescale units
//   stsz                  +4 u32 size for all samples (0: listed), +8 count, then u32 sizes
//   stsc                  +4 count, then (first chunk from 1, samples per chunk, entry) triples
//   stco / co64           +4 count, then u32 / u64 chunk offsets
// Counts are checked against the bytes that hold them, so a wild count costs nothing.

#include "metadata/RVMp4VideoTrack.h"

#include "metadata/RVBoxWalker.h"
#include "metadata/RVByteReader.h"

#include <QIODevice>

#include <algorithm>

namespace {

// Sample-table boxes read whole: 4 bytes a sample for six million samples.
constexpr qint64 kMaxTableBytes = 32 << 20;

std::optional<QByteArray> payload(QIODevice& device, const RVBox& box)
{
    if (box.payloadSize() > kMaxTableBytes || !device.seek(box.payloadOffset()))
        return std::nullopt;
    QByteArray bytes = device.read(box.payloadSize());
    if (bytes.size() != box.payloadSize())
        return std::nullopt;
    return bytes;
}

std::optional<RVBox> child(QIODevice& device, const RVBox& parent, std::string_view type)
{
    RVBoxWalker walker(device, parent.payloadOffset(), parent.end);
    return walker.find(type);
}

std::optional<RVBox> path(QIODevice& device, RVBox box, std::initializer_list<const char*> types)
{
    for (const char* type : types) {
        const std::optional<RVBox> next = child(device, box, type);
        if (!next)
            return std::nullopt;
        box = *next;
    }
    return box;
}

std::uint64_t u64(const RVByteReader& r, std::size_t offset)
{
    return (std::uint64_t(r.u32(offset).value_or(0)) << 32) | r.u32(offset + 4).value_or(0);
}

// The table's entry count, cut to the entries its bytes hold.
std::size_t entries(const RVByteReader& r, std::size_t size, std::size_t header,
                    std::size_t entryBytes)
{
    const std::size_t count = r.u32(header - 4).value_or(0);
    return size < header ? 0 : std::min(count, (size - header) / entryBytes);
}

// The sample entry's boxes: what is coded, whether encrypted, the NAL length size.
void readSampleEntry(QIODevice& device, const RVBox& stsd, RVMp4VideoTrack& track)
{
    // 8 bytes of version, flags and count before the first entry.
    RVBoxWalker entries(device, stsd.payloadOffset() + 8, stsd.end);
    const std::optional<RVBox> entry = entries.next();
    if (!entry)
        return;
    track.sampleEntry = entry->type;
    track.encrypted = entry->is("encv");
    // 78 bytes of visual sample fields before the entry's own boxes.
    RVBoxWalker inner(device, entry->payloadOffset() + 78, entry->end);
    while (const std::optional<RVBox> box = inner.next()) {
        if (box->is("sinf"))
            track.encrypted = true;
        if (box->is("avcC") && device.seek(box->payloadOffset() + 4)) {
            const QByteArray byte = device.read(1);
            if (byte.size() == 1)
                track.nalLengthSize = (static_cast<unsigned char>(byte[0]) & 3) + 1;
        }
    }
}

bool readSamples(QIODevice& device, const RVBox& stbl, std::uint32_t timescale,
                 RVMp4VideoTrack& track)
{
    std::optional<QByteArray> sizes, chunks, perChunk, durations;
    bool wideOffsets = false;
    RVBoxWalker walker(device, stbl.payloadOffset(), stbl.end);
    while (const std::optional<RVBox> box = walker.next()) {
        if (box->is("stsz"))
            sizes = payload(device, *box);
        else if (box->is("stco") || box->is("co64")) {
            chunks = payload(device, *box);
            wideOffsets = box->is("co64");
        } else if (box->is("stsc"))
            perChunk = payload(device, *box);
        else if (box->is("stts"))
            durations = payload(device, *box);
    }
    if (!sizes || !chunks || !perChunk)
        return false;
    const RVByteReader sz(std::string_view(sizes->constData(), std::size_t(sizes->size())));
    const RVByteReader co(std::string_view(chunks->constData(), std::size_t(chunks->size())));
    const RVByteReader sc(std::string_view(perChunk->constData(), std::size_t(perChunk->size())));
    const std::uint32_t commonSize = sz.u32(4).value_or(0);
    std::size_t sampleCount = sz.u32(8).value_or(0);
    if (commonSize == 0)
        sampleCount = entries(sz, std::size_t(sizes->size()), 12, 4);
    sampleCount = std::min(sampleCount, RVMp4VideoTrack::kMaxSamples);
    const std::size_t chunkCount = entries(co, std::size_t(chunks->size()), 8, wideOffsets ? 8 : 4);
    const std::size_t runCount = entries(sc, std::size_t(perChunk->size()), 8, 12);

    track.samples.reserve(sampleCount);
    std::size_t sample = 0;
    for (std::size_t run = 0; run < runCount && sample < sampleCount; ++run) {
        const std::size_t first = sc.u32(8 + run * 12).value_or(1);
        const std::size_t perRun = sc.u32(12 + run * 12).value_or(0);
        const std::size_t nextFirst =
            run + 1 < runCount ? sc.u32(8 + (run + 1) * 12).value_or(0) : chunkCount + 1;
        if (first < 1 || perRun == 0)
            continue;
        for (std::size_t chunk = first; chunk < nextFirst && chunk <= chunkCount; ++chunk) {
            qint64 offset = wideOffsets ? qint64(u64(co, 8 + (chunk - 1) * 8))
                                        : qint64(co.u32(8 + (chunk - 1) * 4).value_or(0));
            for (std::size_t k = 0; k < perRun && sample < sampleCount; ++k, ++sample) {
                const std::uint32_t size =
                    commonSize ? commonSize : sz.u32(12 + sample * 4).value_or(0);
                track.samples.push_back({offset, size, 0});
                offset += size;
            }
        }
    }
    if (durations && timescale > 0) {
        const RVByteReader ts(
            std::string_view(durations->constData(), std::size_t(durations->size())));
        const std::size_t runs = entries(ts, std::size_t(durations->size()), 8, 8);
        std::uint64_t ticks = 0;
        std::size_t index = 0;
        for (std::size_t run = 0; run < runs && index < track.samples.size(); ++run) {
            const std::uint32_t count = ts.u32(8 + run * 8).value_or(0);
            const std::uint32_t delta = ts.u32(12 + run * 8).value_or(0);
            for (std::uint32_t k = 0; k < count && index < track.samples.size(); ++k) {
                track.samples[index++].seconds = double(ticks) / timescale;
                ticks += delta;
            }
        }
    }
    return true;
}

} // namespace

std::optional<RVMp4VideoTrack> RVMp4VideoTrack::read(QIODevice& device, qint64 fileSize)
{
    RVBoxWalker top(device, 0, fileSize);
    const std::optional<RVBox> moov = top.find("moov");
    if (!moov)
        return std::nullopt;
    RVBoxWalker traks(device, moov->payloadOffset(), moov->end);
    while (const std::optional<RVBox> trak = traks.find("trak")) {
        const std::optional<RVBox> mdia = child(device, *trak, "mdia");
        if (!mdia)
            continue;
        const std::optional<RVBox> hdlr = child(device, *mdia, "hdlr");
        if (!hdlr || !device.seek(hdlr->payloadOffset() + 8) || device.read(4) != "vide")
            continue;
        std::uint32_t timescale = 0;
        if (const std::optional<RVBox> mdhd = child(device, *mdia, "mdhd")) {
            if (const std::optional<QByteArray> bytes = payload(device, *mdhd)) {
                const RVByteReader r(
                    std::string_view(bytes->constData(), std::size_t(bytes->size())));
                timescale = r.u32(bytes->isEmpty() || bytes->at(0) == 0 ? 12 : 20).value_or(0);
            }
        }
        const std::optional<RVBox> stbl = path(device, *mdia, {"minf", "stbl"});
        if (!stbl)
            continue;
        RVMp4VideoTrack track;
        if (const std::optional<RVBox> stsd = child(device, *stbl, "stsd"))
            readSampleEntry(device, *stsd, track);
        readSamples(device, *stbl, timescale, track);
        return track;
    }
    return std::nullopt;
}
