// What the fuzz targets of the readers that decode freeGPS-style blocks check, whichever camera
// they aim at: every fix that comes out is a place on earth at a valid time with a sane speed and
// course, a block's status agrees with its fixes, and a reader that gave nothing for a file it
// took for its own says why.
#pragma once

#include "metadata/RVMetaDataReader.h"
#include "metadata/freegps/RVFreeGps.h"

#include <cmath>
#include <optional>

inline void checkFix(const RVPoint& p, double kmh)
{
    const double lat = p.latitudeValue(), lon = p.longitudeValue();
    if (!std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > 90 || std::fabs(lon) > 180 ||
        !p.time().isValid() || !std::isfinite(kmh) || kmh < 0 || kmh >= 1000 || p.azimut() < 0 ||
        p.azimut() > 360)
        __builtin_trap();
}

// A block as the readers keep it (after the freeGPS checks).
inline void checkBlock(const RVFreeGps::Block& block)
{
    if ((block.status == RVFreeGps::Block::Status::Fix) == block.fixes.empty())
        __builtin_trap();
    for (const RVFreeGps::Fix& fix : block.fixes)
        checkFix(fix.point, fix.speedKmh);
}

// A reader's answer for a whole file.
inline void checkRead(const std::optional<RVMetaData>& read, const RVDecline& why)
{
    if (read) {
        if (read->points.size() != read->velocityData.size())
            __builtin_trap();
        for (std::size_t i = 0; i < read->points.size(); ++i)
            checkFix(read->points[i], read->velocityData[i]);
    } else if (why.kind != RVDecline::Kind::NotMine && why.detail.isEmpty()) {
        __builtin_trap();
    }
}
