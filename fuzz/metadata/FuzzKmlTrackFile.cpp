// Imported track files: KML documents, read by their reader and by the dispatcher.
#include "metadata/RVKmlTrackReader.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const RVKmlTrackReader reader;
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
