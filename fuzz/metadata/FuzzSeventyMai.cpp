// A 70mai video in memory: the top-level "GPS " box and its 36-byte records.
#include "fuzz/FuzzInput.h"
#include "metadata/RVCameraClock.h"
#include "metadata/RVSeventyMaiMetaDataReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzFile file(data, size);
    const std::optional<RVMetaData> track = RVSeventyMaiMetaDataReader::readMetaData(
        file.buffer, file.bytes.size(), RVTimestamp::fromMSecsSinceEpoch(1618654152000),
        QStringLiteral("fuzz"));
    if (track &&
        (track->points.size() != track->velocityData.size() || track->points.size() > size / 36))
        __builtin_trap();
    // The name rule on the input's first bytes as text.
    (void)RVCameraClock::startFromName(QString::fromLatin1(file.bytes.left(40)));
    return 0;
}
