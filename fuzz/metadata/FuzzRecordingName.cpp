// File names as a card's directory hands them over: any bytes. They must survive the trip into
// a QString and back unchanged, and the camera families' name rules must give a sensible
// answer or none.
#include "core/RVNativePath.h"
#include "fuzz/FuzzInput.h"
#include "metadata/RVRecordingName.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = fuzzBytes(data, size);
    const QString path = RVNativePath::decode(bytes);
    if (RVNativePath::encode(path) != bytes)
        __builtin_trap();
    if (const std::optional<RVRecordingName> name = parseRecordingName(path)) {
        // Only GoPro's and Garmin's names carry no time.
        const bool undated =
            name->family == RVCameraFamily::GoPro || name->family == RVCameraFamily::Garmin;
        if (name->start.isValid() == undated || name->sideFileStem.isEmpty() ||
            !path.contains(name->sideFileStem) || name->mode == RVRecordingMode::Unknown)
            __builtin_trap();
        (void)channelName(name->channel);
        // A copy's original is a name of the same family that is no copy.
        if (!name->originalName.isEmpty()) {
            const std::optional<RVRecordingName> original = parseRecordingName(name->originalName);
            if (!original || original->family != name->family || !original->originalName.isEmpty())
                __builtin_trap();
        }
    }
    return 0;
}
