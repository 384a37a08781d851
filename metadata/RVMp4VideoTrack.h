#pragma once

#include <QtGlobal>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class QIODevice;

// The first video track of an MP4 file as its sample table describes it: how the samples are
// coded and where each lies, read from the "moov" box alone (see the .cpp for the boxes).
struct RVMp4VideoTrack final
{
    struct Sample
    {
        qint64 offset = 0;      // in the file
        std::uint32_t size = 0; // bytes
        double seconds = 0;     // decoding time from the track's start
    };
    std::array<char, 4> sampleEntry{}; // "avc1", "hvc1", "encv", ...
    // The samples are encrypted: an "encv" sample entry or a protection scheme ("sinf").
    bool encrypted = false;
    int nalLengthSize = 4; // bytes of the length before each NAL unit (avcC), 1, 2 or 4
    std::vector<Sample> samples;

    // Nothing when the file has no video track that can be read.
    static std::optional<RVMp4VideoTrack> read(QIODevice& device, qint64 fileSize);

    // Samples listed at most: a day at 60 frames a second.
    static constexpr std::size_t kMaxSamples = 6'000'000;
};
