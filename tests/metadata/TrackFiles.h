#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <vector>

// ISO media files with timed tracks, built in memory for the track readers' tests and
// benchmarks: ftyp, an mdat holding every sample, then a moov whose tracks each have one
// sample description, one stts run, one stsc run and a stsz/stco (or co64) table.
namespace TrackFiles {

struct Track
{
    const char* handler = "text";
    const char* codec = "tx3g";
    std::uint32_t timescale = 1000;
    std::uint32_t delta = 1000; // each sample's duration in timescale units
    std::uint32_t perChunk = 1; // samples a chunk
    bool wideOffsets = false;   // co64 instead of stco
    std::vector<QByteArray> samples = {};
    // When set, these boxes stand in the sample table instead of the tables made from the
    // samples (stsd is still made): for tables that are wrong on purpose.
    std::optional<QByteArray> tables = {};
};

inline QByteArray be32(std::uint32_t v)
{
    const char b[] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(b, 4);
}
inline QByteArray be16(std::uint16_t v)
{
    const char b[] = {char(v >> 8), char(v)};
    return QByteArray(b, 2);
}
inline QByteArray box(const char* type, const QByteArray& payload)
{
    return be32(std::uint32_t(payload.size() + 8)) + QByteArray(type, 4) + payload;
}
// A version-0 full box: one zero byte of version, three of flags.
inline QByteArray fullBox(const char* type, const QByteArray& payload)
{
    return box(type, QByteArray(4, '\0') + payload);
}
// A subtitle sample as "tx3g" stores it: the text's length, then the text.
inline QByteArray subtitle(const QByteArray& text)
{
    return be16(std::uint16_t(text.size())) + text;
}

// creation: mvhd's creation time, seconds since 1904-01-01.
inline QByteArray movie(const std::vector<Track>& tracks, std::uint32_t creation = 0)
{
    QByteArray file = box("ftyp", QByteArray("isom\0\0\0\0isom", 12));
    QByteArray media;
    const qsizetype mediaStart = file.size() + 8;
    std::vector<std::vector<std::uint64_t>> chunkOffsets;
    for (const Track& track : tracks) {
        chunkOffsets.emplace_back();
        for (std::size_t i = 0; i < track.samples.size(); ++i) {
            if (i % track.perChunk == 0)
                chunkOffsets.back().push_back(std::uint64_t(mediaStart + media.size()));
            media += track.samples[i];
        }
    }
    file += box("mdat", media);

    QByteArray moov = fullBox("mvhd", be32(creation) + be32(creation) + be32(1000) + be32(0) +
                                          QByteArray(80, '\0'));
    for (std::size_t t = 0; t < tracks.size(); ++t) {
        const Track& track = tracks[t];
        const auto n = std::uint32_t(track.samples.size());
        QByteArray sizes;
        for (const QByteArray& sample : track.samples)
            sizes += be32(std::uint32_t(sample.size()));
        QByteArray offsets = be32(std::uint32_t(chunkOffsets[t].size()));
        for (const std::uint64_t offset : chunkOffsets[t])
            offsets += track.wideOffsets
                           ? be32(std::uint32_t(offset >> 32)) + be32(std::uint32_t(offset))
                           : be32(std::uint32_t(offset));
        const QByteArray entry = box(track.codec, QByteArray(6, '\0') + be16(1));
        const QByteArray stbl =
            fullBox("stsd", be32(1) + entry) +
            (track.tables
                 ? *track.tables
                 : fullBox("stts", be32(1) + be32(n) + be32(track.delta)) +
                       fullBox("stsc", be32(1) + be32(1) + be32(track.perChunk) + be32(1)) +
                       fullBox("stsz", be32(0) + be32(n) + sizes) +
                       fullBox(track.wideOffsets ? "co64" : "stco", offsets));
        const QByteArray mdia =
            fullBox("mdhd", be32(creation) + be32(creation) + be32(track.timescale) +
                                be32(n * track.delta) + QByteArray(4, '\0')) +
            fullBox("hdlr", be32(0) + QByteArray(track.handler, 4) + QByteArray(12, '\0') + "\0") +
            box("minf", box("stbl", stbl));
        moov += box("trak", fullBox("tkhd", QByteArray(80, '\0')) + box("mdia", mdia));
    }
    return file + box("moov", moov);
}

} // namespace TrackFiles
