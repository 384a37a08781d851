// An MP4 in memory: the video track's sample table (wild counts, offsets past the end, zero
// sizes) and, for a Tesla name, the telemetry read from the samples it lists.
#include "fuzz/FuzzInput.h"
#include "metadata/RVMp4VideoTrack.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzFile file(data, size);
    const std::optional<RVMp4VideoTrack> track =
        RVMp4VideoTrack::read(file.buffer, file.bytes.size());
    if (track && (track->samples.size() > RVMp4VideoTrack::kMaxSamples ||
                  track->nalLengthSize < 1 || track->nalLengthSize > 4))
        __builtin_trap();
    return 0;
}
