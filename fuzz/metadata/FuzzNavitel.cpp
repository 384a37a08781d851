// A Navitel video in memory: the top-level "gps0" box and its 32-byte records. Whatever the
// bytes, the track keeps its speeds in step, every fix lies on the globe and the fixes follow
// each other in time.
#include "fuzz/FuzzInput.h"
#include "metadata/RVNavitelMetaDataReader.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzFile file(data, size);
    RVDecline why;
    const std::optional<RVMetaData> track =
        RVNavitelMetaDataReader::readMetaData(file.buffer, file.bytes.size(), &why);
    if (!track) {
        if (why.kind != RVDecline::Kind::NotMine && why.detail.isEmpty())
            __builtin_trap();
        return 0;
    }
    if (track->points.empty() || track->points.size() != track->velocityData.size() ||
        track->points.size() > size / 32)
        __builtin_trap();
    for (std::size_t i = 0; i < track->points.size(); ++i) {
        const RVPoint& p = track->points[i];
        if (!(std::fabs(p.latitudeValue()) <= 90) || !(std::fabs(p.longitudeValue()) <= 180) ||
            !(p.azimut() >= 0 && p.azimut() < 360) ||
            (i > 0 && !(track->points[i - 1].time() < p.time())))
            __builtin_trap();
    }
    return 0;
}
