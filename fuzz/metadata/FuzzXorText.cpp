// Records of XORed text: the input as one record (Rove Stealth 4K, BlueSkySea, Lamax S9), and
// as an in-memory video whose data or text track the reader walks. Every fix that comes out is
// a place on earth at a valid time with its speed, and a reader that gave nothing for a file it
// took for its own says why.
#include "fuzz/FuzzInput.h"
#include "metadata/RVXorTextMetaDataReader.h"
#include "metadata/freegps/RVFreeGpsText.h"

#include <cmath>

namespace {

void checkPoint(const RVPoint& p, double kmh)
{
    const double lat = p.latitudeValue(), lon = p.longitudeValue();
    if (!std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > 90 || std::fabs(lon) > 180 ||
        !p.time().isValid() || !std::isfinite(kmh) || kmh < 0 || kmh >= 1000 ||
        std::fabs(p.altitude()) > 9999)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzzText(data, size);
    if (RVFreeGpsText::isXorRecord(bytes)) {
        // The readers keep only what passes the freeGPS checks: out-of-range values may come
        // out of the decoder, never out of the checks.
        RVFreeGps::Block block = RVFreeGpsText::decodeXorRecord(bytes);
        if ((block.status == RVFreeGps::Block::Status::Fix) == block.fixes.empty())
            __builtin_trap();
        if (RVFreeGps::isSound(block)) {
            for (const RVFreeGps::Fix& fix : block.fixes)
                checkPoint(fix.point, fix.speedKmh);
        }
    }

    FuzzFile file(data, size);
    RVDecline why;
    const std::optional<RVMetaData> read =
        RVXorTextMetaDataReader::readMetaData(file.buffer, file.bytes.size(), &why);
    if (read) {
        if (read->points.size() != read->velocityData.size() || !read->localClock)
            __builtin_trap();
        for (std::size_t i = 0; i < read->points.size(); ++i)
            checkPoint(read->points[i], read->velocityData[i]);
    } else if (why.kind != RVDecline::Kind::NotMine && why.detail.isEmpty()) {
        __builtin_trap();
    }
    return 0;
}
