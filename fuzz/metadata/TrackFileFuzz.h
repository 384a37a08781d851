// What every imported track file's fuzz target checks, whichever reader it aims at: the reader
// never reports a failure with fixes, and the dispatcher's answer is either an error or fixes
// that are all valid, inside the globe and in time order.
#pragma once

#include "fuzz/FuzzInput.h"
#include "metadata/RVTrackFile.h"

#include <cmath>

template <typename Reader>
int fuzzTrackFile(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = fuzzBytes(data, size);
    const Reader reader;
    if (reader.recognises(bytes)) {
        const RVTrackFileReading own = reader.readTrack(bytes);
        if (!own.ok() && !own.fixes.empty())
            __builtin_trap();
    }
    const RVTrackFileReading reading = RVTrackFiles::readTrackText(bytes);
    if (reading.ok() == reading.fixes.empty())
        __builtin_trap();
    for (std::size_t i = 0; i < reading.fixes.size(); ++i) {
        const RVTrackFix& fix = reading.fixes[i];
        if (!fix.time.isValid() || !(std::abs(fix.latitude) <= 90) ||
            !(std::abs(fix.longitude) <= 180) || (i > 0 && fix.time < reading.fixes[i - 1].time))
            __builtin_trap();
    }
    return 0;
}
