// The table of freeGPS layouts. Signatures overlap (several layouts keep a record at the same
// place), so the order matters: a layout with fixed bytes of its own (a mark, a model name,
// text) comes before the wider one it would otherwise be mistaken for, as the public decoders
// that know these cameras order them.

#include "metadata/freegps/RVFreeGps.h"

#include "metadata/RVMetaData.h"

#include "metadata/freegps/RVFreeGpsLigo.h"
#include "metadata/freegps/RVFreeGpsLucky.h"
#include "metadata/freegps/RVFreeGpsNextbase.h"
#include "metadata/freegps/RVFreeGpsRecords.h"
#include "metadata/freegps/RVFreeGpsText.h"

#include <cmath>

namespace {

using namespace RVFreeGpsRecords;
using namespace RVFreeGpsText;

constexpr std::string_view kMagic = "freeGPS ";
constexpr double kMaxKmh = 1000;
constexpr double kMaxG = 64;

constexpr RVFreeGps::Layout kLayouts[] = {
    {"Azdome, EEEkit (text XORed with 0xAA)", &matchesXor, &decodeXor},
    {"Nextbase 512GW (RMC text)", &matchesNextbaseText, &decodeNextbaseText},
    {"Kenwood (record at 0x40)", &matchesKenwood, &decodeKenwood},
    {"E-ACE B44 (coordinate texts)", &RVFreeGpsLucky::matches, &RVFreeGpsLucky::decode},
    {"INNOVV (records from 0x10, no time)", &matchesInnovv, &decodeInnovv},
    {"Viofo A119 V3, A129, A229 (record at 0x10)", &matchesRecordAt10, &decodeRecordAt10},
    {"LIGOGPSINFO (Rexing, XGODY, iiway, ABASK)", &RVFreeGpsLigo::matches, &RVFreeGpsLigo::decode},
    {"Akaso, Anticlock (record at 0x30, letters as words)", &matchesAkaso, &decodeAkaso},
    {"EACHPAI (RMC text shifted by 16)", &matchesShiftedText, &decodeShiftedText},
    {"Redtiger F7N, F7NP (record at 0x30, coordinates at 0x28)", &matchesRedtiger, &decodeRedtiger},
    {"Akaso V1 (encrypted coordinates)", &matchesEncryptedDoubles, &decodeEncrypted},
    {"Vantrue S1 (record at 0x40)", &matchesVantrueS1, &decodeVantrueS1},
    {"Viofo A119S, Transcend, IQS (record at 0x30)", &matchesRecordAt30, &decodeRecordAt30},
    {"XGODY (labelled text)", &matchesXgody, &decodeXgody},
    {"Vantrue N4, N2X (doubles at 0x20)", &matchesVantrueN4, &decodeVantrueN4},
    {"70mai A810, M500 (no time)", &matchesSeventyMai, &decodeSeventyMai},
    {"Nextbase 512G (big-endian records)", &RVFreeGpsNextbase::matchesBinary,
     &RVFreeGpsNextbase::decodeBinary},
};

bool plausible(const RVFreeGps::Fix& fix)
{
    const RVPoint& p = fix.point;
    const double lat = p.latitudeValue(), lon = p.longitudeValue();
    const double course = p.azimut();
    return std::isfinite(lat) && std::isfinite(lon) && std::fabs(lat) <= 90 &&
           std::fabs(lon) <= 180 && !(lat == 0 && lon == 0) &&
           (!fix.speedKnown ||
            (std::isfinite(fix.speedKmh) && fix.speedKmh >= 0 && fix.speedKmh < kMaxKmh)) &&
           std::isfinite(course) && course >= -360 && course <= 360;
}

bool plausible(const RVSensorData& s)
{
    for (const double g : {s.x(), s.y(), s.z()}) {
        if (!std::isfinite(g) || std::fabs(g) > kMaxG)
            return false;
    }
    return true;
}

} // namespace

namespace RVFreeGps {

std::span<const Layout> layouts()
{
    return kLayouts;
}

bool isBlock(std::string_view block)
{
    return block.size() >= 12 && block.substr(4, 8) == kMagic;
}

bool isSound(Block& block)
{
    bool sound = true;
    for (Fix& fix : block.fixes) {
        sound = sound && plausible(fix);
        if (sound && fix.point.azimut() < 0)
            fix.point.setAzimut(fix.point.azimut() + 360);
    }
    for (const RVSensorData& s : block.samples)
        sound = sound && plausible(s);
    return sound && (block.status == Block::Status::Fix) == !block.fixes.empty();
}

Block read(std::string_view block, const FileHints& hints)
{
    if (!isBlock(block))
        return {};
    for (const Layout& layout : kLayouts) {
        const bool scaled = hints.rexingScaled && layout.decode == &decodeRecordAt30;
        if (!(scaled ? matchesRexingScaled(block) : layout.matches(block)))
            continue;
        Block b = scaled ? decodeRexingScaled(block) : layout.decode(block);
        b.layout = &layout;
        if (!isSound(b)) {
            Block refused;
            refused.layout = &layout;
            return refused;
        }
        return b;
    }
    return {};
}

void appendTo(const Block& block, RVMetaData& data)
{
    for (const Fix& fix : block.fixes) {
        data.points.push_back(fix.point);
        data.velocityData.push_back(fix.speedKmh);
    }
    data.gSensorData.insert(data.gSensorData.end(), block.samples.begin(), block.samples.end());
    data.localClock = data.localClock || (block.localClock && !block.fixes.empty());
}

} // namespace RVFreeGps
