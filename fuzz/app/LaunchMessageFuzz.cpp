// What another process sends on the player's local socket: whatever the bytes, a message is
// taken only whole, its paths are never empty, and encoding them again gives the same bytes.
#include "app/RVLaunchMessage.h"
#include "fuzz/FuzzInput.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = fuzzBytes(data, size);
    const std::optional<QStringList> paths = RVLaunchMessage::decode(bytes);
    if (!paths)
        return 0;
    if (std::ranges::any_of(*paths, &QString::isEmpty))
        std::abort();
    // Invalid UTF-8 comes back as replacement characters, so compare only valid texts.
    if (QString::fromUtf8(bytes).toUtf8() == bytes && RVLaunchMessage::encode(*paths) != bytes)
        std::abort();
    return 0;
}
