// Navitel R-series cameras (R600 and kin), the iBOX iCON, DuDuBell M1 and VSYS M6L: Ambarella
// firmware.
//
// The track is a top-level box of type "gps0" after the movie, a run of 32-byte records, one a
// second, little-endian:
//   +0   f64  latitude, NMEA ddmm.mmmm (negative: south)
//   +8   f64  longitude, dddmm.mmmm (negative: west)
//   +16  s32  altitude in metres
//   +20  u16  speed in km/h
//   +22  u8   year - 2000   +23 month   +24 day   +25 hour   +26 minute   +27 second, UTC
//   +28  u8   course / 2; 180 and above: none, the last course holds
//   +29  01 01 00
// Both coordinates 0: no fix. The firmware mixes leftovers of its ring buffer into the run (a
// third of the rows of one real recording): rows dated before the row kept last, and rows
// dated right but placed back on the road already driven. The first are left out by their
// time; the second when reaching one from the row before would take over 360 km/h while the
// row after it follows on from that row, so a genuine jump after a lost fix (a tunnel) stays.
// The records are known from ExifTool's notes and from two real recordings studied by another
// public decoder; the signs for south and west are that decoder's guess.
// The Lamax S9 fills the box with 311-byte records of XORed text instead (f2 e1 f0 ee 54 54 at
// +2, "XKZD" and the first digit of the year once decoded): the record Ambarella firmware also
// writes into freeGPS blocks and data tracks, dated by the camera's clock
// (RVFreeGpsText::decodeXorRecord). The run ends at the first record without the mark.
// The "gsen" box beside carries G-sensor samples without times; it is not read.

#include "metadata/RVNavitelMetaDataReader.h"

#include "metadata/RVBoxWalker.h"
#include "metadata/RVByteReader.h"
#include "metadata/RVDegreesPoint.h"
#include "metadata/RVInVideoReading.h"
#include "metadata/RVMetaPath.h"
#include "metadata/freegps/RVFreeGpsText.h"

#include <QDateTime>
#include <QTimeZone>

#include <bit>
#include <cmath>
#include <vector>

namespace {

constexpr std::size_t kRecordBytes = 32;
constexpr std::size_t kTextRecordBytes = 311;
constexpr double kMaxMetresPerSecond = 100;

struct Row
{
    double latitude = 0;
    double longitude = 0;
    double altitude = 0;
    double kmh = 0;
    unsigned courseCode = 0;
    QDateTime time;
};

double f64le(const RVByteReader& r, std::size_t offset)
{
    const std::uint64_t low = *r.u32le(offset);
    const std::uint64_t high = *r.u32le(offset + 4);
    return std::bit_cast<double>(low | high << 32);
}

std::optional<Row> readRow(std::string_view record)
{
    const RVByteReader r(record);
    const double latitude = f64le(r, 0), longitude = f64le(r, 8);
    if (latitude == 0 && longitude == 0)
        return std::nullopt;
    const auto byte = [&record](std::size_t at) {
        return int(static_cast<unsigned char>(record[at]));
    };
    Row row;
    row.latitude = RVDegreesPoint::fromDegreesMinutes(latitude, 90);
    row.longitude = RVDegreesPoint::fromDegreesMinutes(longitude, 180);
    row.time = QDateTime(QDate(2000 + byte(22), byte(23), byte(24)),
                         QTime(byte(25), byte(26), byte(27)), QTimeZone::utc());
    if (std::isnan(row.latitude) || std::isnan(row.longitude) || !row.time.isValid())
        return std::nullopt;
    row.altitude = *r.s32le(16);
    row.kmh = double(std::uint16_t(*r.u32le(20) & 0xFFFF));
    row.courseCode = unsigned(byte(28));
    return row;
}

double metresBetween(const Row& a, const Row& b)
{
    return RVDegreesPoint::metresBetween(a.latitude, a.longitude, b.latitude, b.longitude);
}

// Whether b lies further from a than a car gets in the time between them.
bool outOfReach(const Row& a, const Row& b)
{
    const double seconds = double(a.time.secsTo(b.time));
    return metresBetween(a, b) > kMaxMetresPerSecond * std::max(seconds, 1.0);
}

} // namespace

std::optional<RVMetaData>
RVNavitelMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVNavitelMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                         RVDecline& why) const
{
    return RVInVideoReading::read(videoPath, why, &readMetaData);
}

std::optional<RVMetaData> RVNavitelMetaDataReader::readMetaData(QIODevice& device, qint64 fileSize,
                                                                RVDecline* why)
{
    RVDecline ignored;
    RVDecline& decline = why ? *why : ignored;
    decline = RVDecline{};
    RVBoxWalker top(device, 0, fileSize);
    const std::optional<RVBox> box = top.find("gps0");
    if (!box)
        return std::nullopt;
    const QString where = QStringLiteral("\"gps0\" box at offset 0x%1").arg(box->offset, 0, 16);
    const RVBoxPayload records = RVBoxPayload::read(device, *box, RVMetaPath::Limits::kGpsRecords);
    if (records.status != RVBoxPayload::Status::Read) {
        decline = {RVDecline::Kind::Unreadable,
                   where + QStringLiteral(": %1 bytes could not be read").arg(box->payloadSize())};
        return std::nullopt;
    }
    const std::string_view bytes(records.bytes.constData(), std::size_t(records.bytes.size()));
    RVMetaData data =
        RVFreeGpsText::isXorRecord(bytes) ? readTextRecords(bytes) : readRecords(bytes);
    if (data.points.empty()) {
        decline = {RVDecline::Kind::NoFixYet, where + QStringLiteral(": no record holds a fix")};
        return std::nullopt;
    }
    return data;
}

RVMetaData RVNavitelMetaDataReader::readRecords(std::string_view records)
{
    std::vector<Row> rows;
    for (std::size_t o = 0; o + kRecordBytes <= records.size(); o += kRecordBytes) {
        const std::optional<Row> row = readRow(records.substr(o, kRecordBytes));
        // A leftover dated before the row kept last.
        if (row && (rows.empty() || rows.back().time < row->time))
            rows.push_back(*row);
    }
    // A leftover placed back on the road: out of reach of the row before it, while the row
    // after it is within reach of that row.
    std::vector<Row> kept;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!kept.empty() && i + 1 < rows.size() && outOfReach(kept.back(), rows[i]) &&
            !outOfReach(kept.back(), rows[i + 1]))
            continue;
        kept.push_back(rows[i]);
    }
    RVMetaData data;
    double course = 0;
    for (const Row& row : kept) {
        if (row.courseCode < 180)
            course = 2.0 * row.courseCode;
        RVDegreesPoint::append(data, RVDegreesPoint::make(row.latitude, row.longitude, row.altitude,
                                                          course, row.kmh,
                                                          RVTimestamp::fromDateTime(row.time)));
    }
    return data;
}

RVMetaData RVNavitelMetaDataReader::readTextRecords(std::string_view records)
{
    RVMetaData data;
    for (std::size_t o = 0; o + kTextRecordBytes <= records.size(); o += kTextRecordBytes) {
        const std::string_view record = records.substr(o, kTextRecordBytes);
        if (!RVFreeGpsText::isXorRecord(record))
            break;
        RVFreeGps::Block block = RVFreeGpsText::decodeXorRecord(record);
        block.localClock = true;
        // As in the binary rows, a record dated before the fix kept last is a leftover.
        const bool inOrder = block.fixes.empty() || data.points.empty() ||
                             data.points.back().time() < block.fixes.front().point.time();
        if (inOrder && RVFreeGps::isSound(block))
            RVFreeGps::appendTo(block, data);
    }
    return data;
}
