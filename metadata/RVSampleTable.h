#pragma once

#include "core/RVTimestamp.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

class QIODevice;

// One sample of a track: where its bytes lie in the file and when it plays.
struct RVTrackSample final
{
    qint64 offset = 0;       // absolute file position of the first byte
    std::uint32_t size = 0;  // bytes
    double startSeconds = 0; // from the start of the track's media time line
    double durationSeconds = 0;
};

// A timed track of a movie (text, subtitles, timed metadata) with its sample table expanded.
struct RVTimedTrack final
{
    std::array<char, 4> handler{}; // "text", "sbtl", "meta"...
    std::array<char, 4> codec{};   // the first sample description's format: "tx3g", "gpmd"...
    std::uint32_t timescale = 0;   // media time units a second
    std::vector<RVTrackSample> samples;

    bool handlerIs(std::string_view fourCharacters) const;
    bool codecIs(std::string_view fourCharacters) const;
};

// The timed tracks of an ISO media file (MP4, MOV) and the reading of their samples, one
// seek and read per sample, never the whole file.
//
// Where the table lives (all boxes big-endian, walked with RVBoxWalker):
//   moov/mvhd                  creation time: u32 seconds since 1904-01-01 at payload +4
//                              (version 0) or u64 at +4 (version 1)
//   moov/trak/mdia/mdhd        timescale: u32 at +12 (version 0) or +20 (version 1)
//   moov/trak/mdia/hdlr        handler type: four characters at +8
//   .../minf/stbl/stsd         entry count u32 at +4, first entry: u32 size, format at +12
//   .../stbl/stts              count u32 at +4, then (sample count u32, delta u32) runs
//   .../stbl/stsc              count u32 at +4, then (first chunk u32 from 1, samples per
//                              chunk u32, description index u32)
//   .../stbl/stsz              sample size u32 at +4 (non-zero: all samples have it), count
//                              u32 at +8, then one u32 size each
//   .../stbl/stz2              field size u8 at +7 (4, 8 or 16 bits), count u32 at +8, sizes
//   .../stbl/stco, co64        count u32 at +4, then u32 (stco) or u64 (co64) chunk offsets
// A chunk's samples lie back to back from its offset. Counts are taken as claims, never as
// truth: a table yields at most as many samples as its boxes hold entries, at most kMaxSamples
// of them and kMaxTrackBytes of their bytes, and a sample that does not lie wholly within the
// file is dropped.
class RVSampleTable final
{
public:
    // An hour of a 10 Hz subtitle track holds 36,000 samples; a million covers a day at 10 Hz.
    static constexpr std::size_t kMaxSamples = 1 << 20;
    // Timed tracks per movie looked at: cameras write one to three.
    static constexpr int kMaxTracks = 64;
    // Largest table box read (stsz of kMaxSamples samples is 4 MiB, co64 of as many chunks 8).
    static constexpr qint64 kMaxTableBytes = 8 << 20;
    // Largest sample read: a GoPro metadata sample is 5-10 KB, a subtitle line under 1 KB.
    static constexpr std::uint32_t kMaxSampleBytes = 1 << 20;
    // Most bytes of one track's samples: an hour of GoPro metadata is 22 MB, of 10 Hz subtitle
    // cues under 10 MB. Samples beyond it are left out, so that a broken or hostile table
    // cannot make a reader take gigabytes.
    static constexpr qint64 kMaxTrackBytes = 256 << 20;

    struct Movie
    {
        RVTimestamp created; // mvhd's creation time as written (cameras use UTC or local)
        std::vector<RVTimedTrack> tracks;
    };

    // The movie's text, subtitle and timed-metadata tracks ("text", "sbtl", "subt", "meta",
    // "gpmd", "camm" handlers, and Vueroid's "tvxt"); nothing when the file holds no "moov".
    static std::optional<Movie> readMovie(QIODevice& device, qint64 fileSize);
    // The first timed track whose handler or codec is the given four characters.
    static const RVTimedTrack* find(const Movie& movie, std::string_view handlerOrCodec);

    // The sample's bytes; an empty array when they cannot be read whole or are too large.
    static QByteArray readSample(QIODevice& device, const RVTrackSample& sample);
    // Whether one of the track's first `count` samples passes `test`: how a reader tells its
    // camera's track from others of the same kind, whose first samples may be empty records.
    static bool anyOfFirstSamples(QIODevice& device, const RVTimedTrack& track, std::size_t count,
                                  bool (*test)(std::string_view sample));

    // A "tx3g" or QuickTime text sample is a u16 big-endian length and that many bytes of
    // text (styles may follow): the text. Bytes that do not start with a fitting length are
    // returned as they are (some cameras write bare text).
    static std::string_view subtitleText(std::string_view sample);
    // Where a sample lies, for people: "gpmd sample at offset 0x1a2b00".
    static QString sampleAt(std::string_view track, const RVTrackSample& sample);
};
