// LIGOGPSINFO trailers at the end of a video: the input as a file read from its end, and as one
// directory. Every fix that comes out is a place on earth at a valid time with its speed, and a
// reader that found trailers but gave nothing says why.
#include "fuzz/FuzzInput.h"
#include "metadata/RVLigoTrailerMetaDataReader.h"
#include "metadata/freegps/RVFreeGpsLigo.h"

#include <cmath>

namespace {

void checkPoint(const RVPoint& p, double kmh)
{
    const double lat = p.latitudeValue(), lon = p.longitudeValue();
    if (!std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > 90 || std::fabs(lon) > 180 ||
        !p.time().isValid() || !std::isfinite(kmh) || kmh < 0 || kmh >= 1000)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const RVFreeGps::Block block = RVFreeGpsLigo::decodeDirectory(fuzzText(data, size));
    if ((block.status == RVFreeGps::Block::Status::Fix) == block.fixes.empty())
        __builtin_trap();
    for (const RVFreeGps::Fix& fix : block.fixes)
        checkPoint(fix.point, fix.speedKmh);

    FuzzFile file(data, size);
    RVDecline why;
    const std::optional<RVMetaData> read =
        RVLigoTrailerMetaDataReader::readMetaData(file.buffer, file.bytes.size(), &why);
    if (read) {
        if (read->points.empty() || read->points.size() != read->velocityData.size() ||
            !read->localClock)
            __builtin_trap();
        for (std::size_t i = 0; i < read->points.size(); ++i)
            checkPoint(read->points[i], read->velocityData[i]);
    } else if (why.kind != RVDecline::Kind::NotMine && why.detail.isEmpty()) {
        __builtin_trap();
    }
    return 0;
}
