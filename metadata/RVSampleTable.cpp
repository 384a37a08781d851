#include "metadata/RVSampleTable.h"

#include "metadata/RVBoxWalker.h"
#include "metadata/RVByteReader.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace {

// Seconds from 1904-01-01 (the ISO media epoch) to 1970-01-01.
constexpr std::int64_t kEpoch1904 = 2082844800;

constexpr std::string_view kTimedHandlers[] = {"text", "sbtl", "subt", "meta",
                                               "gpmd", "camm", "tvxt"};

std::string_view view(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), std::size_t(bytes.size()));
}

// A box's payload, read whole when it is no larger than the table limit.
std::optional<QByteArray> readPayload(QIODevice& device, const RVBox& box)
{
    if (box.payloadSize() > RVSampleTable::kMaxTableBytes || !device.seek(box.payloadOffset()))
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

// The entries a table claims, cut to what its payload holds from `first` on in `width` bytes.
std::size_t heldEntries(const RVByteReader& r, std::size_t countAt, std::size_t first,
                        std::size_t width)
{
    const std::optional<std::uint32_t> count = r.u32(countAt);
    if (!count || r.size() < first)
        return 0;
    return std::min<std::size_t>(*count, (r.size() - first) / width);
}

struct Tables
{
    QByteArray stts, stsc, sizes, offsets;
    bool sizesCompact = false; // stz2 rather than stsz
    bool offsets64 = false;    // co64 rather than stco
};

std::vector<std::uint32_t> sampleSizes(const Tables& t, qint64 fileSize)
{
    const RVByteReader r(view(t.sizes));
    std::vector<std::uint32_t> sizes;
    const std::optional<std::uint32_t> count = r.u32(8);
    if (!count)
        return sizes;
    const std::size_t claimed = std::min<std::size_t>(*count, RVSampleTable::kMaxSamples);
    if (!t.sizesCompact) {
        const std::uint32_t common = *r.u32(4);
        if (common != 0) {
            // Samples lie back to back in the file: no more of them fit.
            sizes.assign(std::min<std::size_t>(claimed, std::size_t(fileSize / common) + 1),
                         common);
            return sizes;
        }
        const std::size_t n = std::min(claimed, (r.size() - 12) / 4);
        sizes.reserve(n);
        for (std::size_t i = 0; i < n; ++i)
            sizes.push_back(*r.u32(12 + 4 * i));
        return sizes;
    }
    const unsigned bits = static_cast<unsigned char>(t.sizes[7]);
    if (bits != 4 && bits != 8 && bits != 16)
        return sizes;
    const std::size_t n = std::min(claimed, (r.size() - 12) * 8 / bits);
    sizes.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t bit = i * bits;
        const auto byte = [&](std::size_t at) {
            return std::uint32_t(static_cast<unsigned char>(t.sizes[qsizetype(12 + at)]));
        };
        if (bits == 16)
            sizes.push_back((byte(bit / 8) << 8) | byte(bit / 8 + 1));
        else if (bits == 8)
            sizes.push_back(byte(bit / 8));
        else // two 4-bit sizes a byte, the first in the high half
            sizes.push_back((i % 2 == 0) ? byte(bit / 8) >> 4 : byte(bit / 8) & 0xF);
    }
    return sizes;
}

std::vector<qint64> chunkOffsets(const Tables& t)
{
    const RVByteReader r(view(t.offsets));
    const std::size_t width = t.offsets64 ? 8 : 4;
    const std::size_t n = std::min(heldEntries(r, 4, 8, width), RVSampleTable::kMaxSamples);
    std::vector<qint64> offsets;
    offsets.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t at = 8 + width * i;
        if (t.offsets64) {
            const std::uint64_t wide = (std::uint64_t(*r.u32(at)) << 32) | *r.u32(at + 4);
            offsets.push_back(wide > std::uint64_t(INT64_MAX) ? -1 : qint64(wide));
        } else {
            offsets.push_back(qint64(*r.u32(at)));
        }
    }
    return offsets;
}

// Expands the tables into samples: chunk by chunk (stsc runs), sample by sample (sizes), with
// times from the stts runs. Samples outside [0, fileSize) are left out.
std::vector<RVTrackSample> expand(const Tables& t, std::uint32_t timescale, qint64 fileSize)
{
    const std::vector<std::uint32_t> sizes = sampleSizes(t, fileSize);
    const std::vector<qint64> chunks = chunkOffsets(t);
    const RVByteReader stsc(view(t.stsc));
    const std::size_t runs = heldEntries(stsc, 4, 8, 12);
    const RVByteReader stts(view(t.stts));
    const std::size_t timeRuns = heldEntries(stts, 4, 8, 8);

    std::vector<RVTrackSample> samples;
    samples.reserve(std::min(sizes.size(), chunks.size() * 64));
    std::size_t sample = 0;
    std::size_t run = 0;
    std::size_t timeRun = 0;
    std::uint32_t leftInTimeRun = timeRuns ? *stts.u32(8) : 0;
    std::uint64_t mediaTime = 0;
    qint64 trackBytes = 0;
    const double perUnit = timescale ? 1.0 / timescale : 0.0;
    for (std::size_t chunk = 0; chunk < chunks.size() && sample < sizes.size(); ++chunk) {
        // The run that covers this chunk (stsc numbers chunks from 1).
        while (run + 1 < runs && *stsc.u32(8 + 12 * (run + 1)) <= chunk + 1)
            ++run;
        if (runs == 0 || *stsc.u32(8 + 12 * run) > chunk + 1)
            continue; // a chunk before the first run holds no samples
        const std::uint32_t perChunk = *stsc.u32(12 + 12 * run);
        qint64 offset = chunks[chunk];
        for (std::uint32_t i = 0; i < perChunk && sample < sizes.size(); ++i, ++sample) {
            while (leftInTimeRun == 0 && timeRun + 1 < timeRuns)
                leftInTimeRun = *stts.u32(8 + 8 * ++timeRun);
            const std::uint32_t delta =
                (timeRun < timeRuns && leftInTimeRun > 0) ? *stts.u32(12 + 8 * timeRun) : 0;
            if (leftInTimeRun > 0)
                --leftInTimeRun;
            const std::uint32_t size = sizes[sample];
            if (offset >= 0 && size > 0 && offset <= fileSize && size <= fileSize - offset) {
                if (size > RVSampleTable::kMaxTrackBytes - trackBytes)
                    return samples;
                trackBytes += size;
                samples.push_back(RVTrackSample{offset, size, double(mediaTime) * perUnit,
                                                double(delta) * perUnit});
            }
            mediaTime += delta;
            if (offset >= 0)
                offset = offset > INT64_MAX - size ? -1 : offset + size;
        }
    }
    return samples;
}

std::optional<RVTimedTrack> readTrack(QIODevice& device, const RVBox& trak, qint64 fileSize)
{
    const std::optional<RVBox> mdia = child(device, trak, "mdia");
    if (!mdia)
        return std::nullopt;
    const std::optional<RVBox> hdlr = child(device, *mdia, "hdlr");
    if (!hdlr || hdlr->payloadSize() < 12 || !device.seek(hdlr->payloadOffset() + 8))
        return std::nullopt;
    RVTimedTrack track;
    if (device.read(track.handler.data(), 4) != 4)
        return std::nullopt;
    const std::string_view handler(track.handler.data(), 4);
    if (std::find(std::begin(kTimedHandlers), std::end(kTimedHandlers), handler) ==
        std::end(kTimedHandlers))
        return std::nullopt;

    if (const std::optional<RVBox> mdhd = child(device, *mdia, "mdhd")) {
        char head[24];
        if (device.seek(mdhd->payloadOffset()) && mdhd->payloadSize() >= 24 &&
            device.read(head, 24) == 24) {
            const RVByteReader r(std::string_view(head, 24));
            track.timescale = *r.u32(head[0] == 1 ? 20 : 12);
        }
    }
    const std::optional<RVBox> minf = child(device, *mdia, "minf");
    const std::optional<RVBox> stbl = minf ? child(device, *minf, "stbl") : std::nullopt;
    if (!stbl)
        return track;

    Tables tables;
    RVBoxWalker walker(device, stbl->payloadOffset(), stbl->end);
    while (const std::optional<RVBox> box = walker.next()) {
        std::optional<QByteArray> payload;
        if (box->is("stsd")) {
            payload = readPayload(device, *box);
            if (payload && payload->size() >= 16)
                std::memcpy(track.codec.data(), payload->constData() + 12, 4);
            continue;
        }
        QByteArray* table = box->is("stts")                      ? &tables.stts
                            : box->is("stsc")                    ? &tables.stsc
                            : box->is("stsz") || box->is("stz2") ? &tables.sizes
                            : box->is("stco") || box->is("co64") ? &tables.offsets
                                                                 : nullptr;
        if (!table)
            continue;
        payload = readPayload(device, *box);
        if (!payload)
            continue;
        *table = *payload;
        if (table == &tables.sizes)
            tables.sizesCompact = box->is("stz2");
        if (table == &tables.offsets)
            tables.offsets64 = box->is("co64");
    }
    track.samples = expand(tables, track.timescale, fileSize);
    return track;
}

} // namespace

bool RVTimedTrack::handlerIs(std::string_view fourCharacters) const
{
    return std::string_view(handler.data(), handler.size()) == fourCharacters;
}

bool RVTimedTrack::codecIs(std::string_view fourCharacters) const
{
    return std::string_view(codec.data(), codec.size()) == fourCharacters;
}

std::optional<RVSampleTable::Movie> RVSampleTable::readMovie(QIODevice& device, qint64 fileSize)
{
    RVBoxWalker top(device, 0, fileSize);
    const std::optional<RVBox> moov = top.find("moov");
    if (!moov)
        return std::nullopt;
    Movie movie;
    int looked = 0;
    RVBoxWalker children(device, moov->payloadOffset(), moov->end);
    while (const std::optional<RVBox> box = children.next()) {
        if (box->is("mvhd")) {
            char head[12];
            if (device.seek(box->payloadOffset()) && box->payloadSize() >= 12 &&
                device.read(head, 12) == 12) {
                const RVByteReader r(std::string_view(head, 12));
                const std::uint64_t seconds =
                    head[0] == 1 ? (std::uint64_t(*r.u32(4)) << 32) | *r.u32(8) : *r.u32(4);
                // Zero is "not set"; anything past the year 10000 is garbage.
                if (seconds > std::uint64_t(kEpoch1904) && seconds < 255000000000ULL)
                    movie.created = RVTimestamp::fromMSecsSinceEpoch(
                        (std::int64_t(seconds) - kEpoch1904) * 1000);
            }
        } else if (box->is("trak") && looked++ < kMaxTracks) {
            if (std::optional<RVTimedTrack> track = readTrack(device, *box, fileSize))
                movie.tracks.push_back(std::move(*track));
        }
    }
    return movie;
}

const RVTimedTrack* RVSampleTable::find(const Movie& movie, std::string_view handlerOrCodec)
{
    for (const RVTimedTrack& track : movie.tracks) {
        if (track.handlerIs(handlerOrCodec) || track.codecIs(handlerOrCodec))
            return &track;
    }
    return nullptr;
}

QByteArray RVSampleTable::readSample(QIODevice& device, const RVTrackSample& sample)
{
    if (sample.size > kMaxSampleBytes || !device.seek(sample.offset))
        return QByteArray();
    QByteArray bytes = device.read(qint64(sample.size));
    return bytes.size() == qsizetype(sample.size) ? bytes : QByteArray();
}

bool RVSampleTable::anyOfFirstSamples(QIODevice& device, const RVTimedTrack& track,
                                      std::size_t count, bool (*test)(std::string_view sample))
{
    for (std::size_t i = 0; i < track.samples.size() && i < count; ++i) {
        const QByteArray bytes = readSample(device, track.samples[i]);
        if (test(std::string_view(bytes.constData(), std::size_t(bytes.size()))))
            return true;
    }
    return false;
}

QString RVSampleTable::sampleAt(std::string_view track, const RVTrackSample& sample)
{
    return QStringLiteral("%1 sample at offset 0x%2")
        .arg(QString::fromLatin1(track.data(), qsizetype(track.size())))
        .arg(sample.offset, 0, 16);
}

std::string_view RVSampleTable::subtitleText(std::string_view sample)
{
    if (sample.size() < 2)
        return sample;
    const std::size_t length = (std::size_t(static_cast<unsigned char>(sample[0])) << 8) |
                               static_cast<unsigned char>(sample[1]);
    if (length > sample.size() - 2)
        return sample;
    return sample.substr(2, length);
}
