// Neoline Spectrum cameras (mirror and 4K front camera, SigmaStar firmware).
//
// The data lives in a track with handler "meta" and sample format "ssmd", one 40-byte record a
// sample, about one a second (media timescale 90000). The same movie holds other "ssmd" tracks
// (a JPEG thumbnail, 12-byte sensor samples), and other makers' firmware uses "ssmd" for
// other records, so the track read is the one whose samples are all 40 bytes. Little-endian:
//   +0   f64  latitude, decimal degrees, signed (no hemisphere field)
//   +8   f64  longitude, decimal degrees, signed
//   +16  s32  altitude-like; its unit is not known for certain, so altitude is left unknown
//   +20  u16  speed in km/h, 0xFFFF when none
//   +22  u8   year - 1900   +23 u8 month   +24 u8 day of the month
//   +25  u8   hour   +26 u8 minute   +27 u8 second
//   +28  u8   course over ground / 2 (0..179); 0 means "not updated": the last course holds
//   +29  u8[3]  01 01 00 on fixes; on rows without a fix bytes 28..31 are ff 00 ff ff
//   +32  u32  0 before the first fix since power-on, 1 from it on
//   +36  u32  0
// Rows without a fix write 4294967295.0 into both coordinates. The clock fields change meaning
// with the fix: a fix carries the receiver's clock in UTC (month 1-12), a row without one the
// camera's local clock as the C library keeps it (month 0-11), so only fixes are dated. (Read
// as one 16-bit word, year and month look like flags with a "fix bit", 0x0100, that is only
// the month's parity: real recordings of May and July show 0x057E and 0x077E on fixes, 0x047E
// and 0x067E on the rows without one.) A fix whose month is no month is dated by the
// recording's name (camera local) instead: the day within one of the name's date whose day of
// the month the record carries.
// Two faults of the receiver are known from real recordings:
// - After a cold start the first fixes may carry a clock that runs ahead or behind (by some 100
//   s) and steps once it locks; their positions are off too. A fix's clock step that disagrees
//   with the media time between the two samples marks the lock, and fixes before it are left
//   out.
// - Under weak signal the receiver makes up a smooth moving track for a parked car, fixes
//   flagged as good among many rows without a fix (see isPhantomTrack).
// These records are known from a published study of real recordings, not from the maker.
//
// The iBox RoadScan 2K (RVIBoxMetaDataReader) writes the first 32 bytes of the same record with
// the coordinates as NMEA magnitudes, ddmm.mmmm (5030.0 is 50.5 degrees). Its records are known
// from real recordings made public with their coordinates replaced, whose speeds agree with the
// distances between their fixes. The newer Rove R2-4K writes the same 32 bytes with the year
// less 2000 and the speed in knots, as ExifTool reads them.

#include "metadata/RVNeolineMetaDataReader.h"

#include "metadata/RVByteReader.h"
#include "metadata/RVDegreesPoint.h"
#include "metadata/RVMetaPath.h"
#include "metadata/RVRecordingName.h"
#include "metadata/RVSampleTable.h"

#include <QTimeZone>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

constexpr std::uint32_t kRecordBytes = 40;
constexpr std::uint32_t kShortRecordBytes = 32;
constexpr std::uint16_t kNoSpeed = 0xFFFF;
// Both coordinates of a row without a fix (bytes 00 00 e0 ff ff ff ef 41).
constexpr double kNoCoordinate = 4294967295.0;
constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
constexpr double kKmhPerKnot = 1.852;

// One record that fits the layout.
struct Row
{
    bool fix = false;
    double latitude = 0;
    double longitude = 0;
    double kmh = kUnknown;
    unsigned courseCode = 0; // course / 2; 0 when not updated
    int day = 0;
    QDate date; // the record's own, when it holds one
    int secondOfDay = 0;
    double mediaSeconds = 0; // the sample's time in the track
};

double f64le(const RVByteReader& r, std::size_t offset)
{
    const std::uint64_t low = *r.u32le(offset);
    const std::uint64_t high = *r.u32le(offset + 4);
    return std::bit_cast<double>(low | high << 32);
}

std::uint32_t recordBytes(RVSsmdLayout layout)
{
    return layout == RVSsmdLayout::Degrees40 ? kRecordBytes : kShortRecordBytes;
}

// The record, or nothing when it does not fit the layout: a fix with coordinates or clock
// fields out of range, a row without a fix that lacks the marker in its coordinates, or the
// two words after the clock other than 0 or 1 and 0.
std::optional<Row> readRow(std::string_view record, double mediaSeconds, RVSsmdLayout layout)
{
    if (record.size() != recordBytes(layout))
        return std::nullopt;
    const RVByteReader r(record);
    if (layout == RVSsmdLayout::Degrees40 && (*r.u32le(32) > 1 || *r.u32le(36) != 0))
        return std::nullopt;
    Row row;
    row.mediaSeconds = mediaSeconds;
    row.latitude = f64le(r, 0);
    row.longitude = f64le(r, 8);
    row.fix = row.latitude != kNoCoordinate || row.longitude != kNoCoordinate;
    if (!row.fix)
        return row;
    const auto byte = [&record](std::size_t offset) {
        return unsigned(static_cast<unsigned char>(record[offset]));
    };
    const unsigned year = byte(22) >= 100 ? 1900 + byte(22) : 2000 + byte(22);
    row.date = QDate(int(year), int(byte(23)), int(byte(24)));
    const unsigned day = byte(24), hour = byte(25), minute = byte(26), second = byte(27);
    if (layout == RVSsmdLayout::DegreesMinutes32) {
        row.latitude = RVDegreesPoint::fromDegreesMinutes(row.latitude, 90);
        row.longitude = RVDegreesPoint::fromDegreesMinutes(row.longitude, 180);
    }
    if (!(std::fabs(row.latitude) <= 90) || !(std::fabs(row.longitude) <= 180) ||
        (row.latitude == 0 && row.longitude == 0) || day < 1 || day > 31 || hour > 23 ||
        minute > 59 || second > 59)
        return std::nullopt;
    row.day = int(day);
    row.secondOfDay = int(hour * 3600 + minute * 60 + second);
    const std::uint16_t speed = std::uint16_t(*r.u32le(20) & 0xFFFF);
    // The Rove's records (a two-digit year) hold knots.
    const bool knots = layout == RVSsmdLayout::DegreesMinutes32 && byte(22) < 100;
    row.kmh = speed == kNoSpeed ? kUnknown : double(speed) * (knots ? kKmhPerKnot : 1.0);
    row.courseCode = byte(28) < 180 ? byte(28) : 0;
    return row;
}

// The clock step between two fixes in seconds, from their times of day: a recording lasts
// minutes, so a step is never near half a day, and one across midnight comes out right.
int clockStep(const Row& from, const Row& to)
{
    int step = to.secondOfDay - from.secondOfDay;
    if (step > 43200)
        step -= 86400;
    else if (step <= -43200)
        step += 86400;
    return step;
}

// The index of the first fix after the receiver's clock locked. The clock counts whole seconds
// and a sample's media time jitters by some 0.15 s, so a locked clock's step differs from the
// media step by up to 1.2 s (measured on three real recordings); the lock steps by a minute
// or more. Two seconds tells them apart.
std::size_t firstLockedFix(const std::vector<Row>& fixes)
{
    constexpr double kToleranceSeconds = 2;
    std::size_t first = 0;
    for (std::size_t i = 1; i < fixes.size(); ++i) {
        const double mediaStep = fixes[i].mediaSeconds - fixes[i - 1].mediaSeconds;
        if (std::fabs(clockStep(fixes[i - 1], fixes[i]) - mediaStep) > kToleranceSeconds)
            first = i;
    }
    return first;
}

double distanceMetres(const Row& a, const Row& b)
{
    return RVDegreesPoint::metresBetween(a.latitude, a.longitude, b.latitude, b.longitude);
}

// Whether the fixes are the made-up track of a receiver without signal. Such fixes are flagged
// as good, each one alone looks right, and the made-up track is smooth, so only the file as a
// whole tells. Two signs together condemn it:
// - At least a third of the rows from the first fix on hold no fix. The three real recordings
//   known have 0 (4K drive: its 64 rows without a fix all lead in before the first fix), 1 %
//   (good-signal drive) and 63 % (the made-up track of a parked car); a third sits well clear
//   of both sides.
// - Of the pairs of successive fixes at most 8 s apart, at least a tenth (and two) have a
//   distance over media time that differs from the recorded speed by more than 40 km/h. A good
//   fix is within some 5 m, so two of them 1 s apart disagree with the speed by under 40 km/h;
//   the published study measured the good-signal drive at 4.4 km/h mean error, while the made-up
//   track, smooth as it is, jumps between some fixes. (The published copies of these
//   recordings have their positions replaced by one point, so on them every moving pair
//   disagrees.) This sign keeps a genuine drive under a poor sky whose sparse fixes move as
//   their speeds say.
bool isPhantomTrack(const std::vector<Row>& fixes, std::size_t rowsFromFirstFix)
{
    if (fixes.empty() || 3 * (rowsFromFirstFix - fixes.size()) < rowsFromFirstFix)
        return false;
    constexpr double kMaxPairSeconds = 8;
    constexpr double kMismatchKmh = 40;
    std::size_t pairs = 0;
    std::size_t mismatches = 0;
    for (std::size_t i = 1; i < fixes.size(); ++i) {
        const Row& a = fixes[i - 1];
        const Row& b = fixes[i];
        const double seconds = b.mediaSeconds - a.mediaSeconds;
        const double recorded = std::fmax(a.kmh, b.kmh); // NaN only when both are unknown
        if (!(seconds > 0 && seconds <= kMaxPairSeconds) || std::isnan(recorded))
            continue;
        ++pairs;
        if (std::fabs(distanceMetres(a, b) / seconds * 3.6 - recorded) > kMismatchKmh)
            ++mismatches;
    }
    return pairs >= 5 && mismatches >= 2 && 10 * mismatches >= pairs;
}

// The fix's UTC time: on its own date, or on the day of the month it carries within a day of
// the name's date, else none.
RVTimestamp fixTime(const Row& fix, QDate nameDate)
{
    if (fix.date.isValid())
        return RVTimestamp::fromDateTime(QDateTime(
            fix.date, QTime::fromMSecsSinceStartOfDay(fix.secondOfDay * 1000), QTimeZone::utc()));
    if (!nameDate.isValid())
        return RVTimestamp();
    for (const int days : {0, -1, 1}) {
        const QDate date = nameDate.addDays(days);
        if (date.day() == fix.day)
            return RVTimestamp::fromDateTime(QDateTime(
                date, QTime::fromMSecsSinceStartOfDay(fix.secondOfDay * 1000), QTimeZone::utc()));
    }
    return RVTimestamp();
}

// The track of the layout's records: the first "ssmd" track whose samples are all that long.
const RVTimedTrack* recordTrack(const RVSampleTable::Movie& movie, RVSsmdLayout layout)
{
    for (const RVTimedTrack& track : movie.tracks) {
        if (!track.codecIs("ssmd") || track.samples.empty())
            continue;
        bool all = true;
        for (const RVTrackSample& sample : track.samples)
            all = all && sample.size == recordBytes(layout);
        if (all)
            return &track;
    }
    return nullptr;
}

} // namespace

std::optional<RVMetaData>
RVNeolineMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVNeolineMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                         RVDecline& why) const
{
    return readVideo(videoPath, RVCameraFamily::Neoline, RVSsmdLayout::Degrees40, why);
}

std::optional<RVMetaData> RVNeolineMetaDataReader::readVideo(const QString& videoPath,
                                                             RVCameraFamily family,
                                                             RVSsmdLayout layout, RVDecline& why)
{
    why = {RVDecline::Kind::NotMine, {}};
    RVRegularFile video;
    if (!RVMetaPath::openRegularFile(video, videoPath, QIODevice::Unbuffered))
        return std::nullopt;
    // Any name of the camera's family dates the records; a renamed copy keeps its positions.
    const std::optional<RVRecordingName> name = parseRecordingName(videoPath);
    const QDate nameDate =
        name && name->family == family && name->start.isValid() ? name->start.date() : QDate();
    return readMetaData(video, video.size(), nameDate, &why, layout);
}

std::optional<RVMetaData> RVNeolineMetaDataReader::readMetaData(QIODevice& device, qint64 fileSize,
                                                                QDate nameDate, RVDecline* why,
                                                                RVSsmdLayout layout)
{
    RVDecline ignored;
    RVDecline& decline = why ? *why : ignored;
    decline = {RVDecline::Kind::NotMine, {}};
    const std::optional<RVSampleTable::Movie> movie = RVSampleTable::readMovie(device, fileSize);
    const RVTimedTrack* track = movie ? recordTrack(*movie, layout) : nullptr;
    if (!track)
        return std::nullopt;

    std::vector<Row> fixes;
    std::size_t fitting = 0;
    std::size_t rowsFromFirstFix = 0;
    for (const RVTrackSample& sample : track->samples) {
        const QByteArray bytes = RVSampleTable::readSample(device, sample);
        const std::optional<Row> row =
            readRow(std::string_view(bytes.constData(), std::size_t(bytes.size())),
                    sample.startSeconds, layout);
        if (!row)
            continue;
        ++fitting;
        if (row->fix || !fixes.empty())
            ++rowsFromFirstFix;
        if (row->fix)
            fixes.push_back(*row);
    }
    // A few damaged records are skipped; a track most of whose records do not fit is another
    // firmware's.
    if (2 * fitting < track->samples.size()) {
        decline = {RVDecline::Kind::UnknownLayout,
                   RVSampleTable::sampleAt("ssmd", track->samples.front()) +
                       QStringLiteral(": %1 of %2 records of an unknown layout")
                           .arg(track->samples.size() - fitting)
                           .arg(track->samples.size())};
        return std::nullopt;
    }
    if (fixes.empty()) {
        decline = {RVDecline::Kind::NoFixYet,
                   QStringLiteral("%1 ssmd records: no fix").arg(track->samples.size())};
        return std::nullopt;
    }
    if (isPhantomTrack(fixes, rowsFromFirstFix)) {
        decline = {RVDecline::Kind::NoFixYet,
                   QStringLiteral("%1 ssmd records: %2 fixes among %3 rows without one, moving "
                                  "unlike their speeds: the receiver's made-up track, left out")
                       .arg(track->samples.size())
                       .arg(fixes.size())
                       .arg(rowsFromFirstFix - fixes.size())};
        return std::nullopt;
    }

    RVMetaData data;
    double course = 0;
    for (std::size_t i = firstLockedFix(fixes); i < fixes.size(); ++i) {
        const Row& fix = fixes[i];
        if (fix.courseCode != 0)
            course = 2.0 * fix.courseCode;
        RVDegreesPoint::append(data, RVDegreesPoint::make(fix.latitude, fix.longitude, kUnknown,
                                                          course, fix.kmh, fixTime(fix, nameDate)));
    }
    return data;
}
