// Kenwood cameras whose firmware writes its track as text (the DRV-A301W, and later models
// with a trailer), the camera's clock in local time, in one of two places:
//
// A trailer after the last box: a run of "C"s (14 in the one published file, where a box header
// would be), then records of 121 characters:
//   "GPSDATA--" YYYYMMDDhhmmss, then seven fields of 14 characters: latitude and longitude in
//   decimal degrees after their hemisphere letter ("N50.6123860677", "E8.70271809895"), the
//   speed (km/h), a field not known, and the X, Y and Z accelerations in g.
// A top-level "udta" box opening "VIDEOUUUU...", its records each after the bytes FE FE:
//   YYYYMMDDhhmmss, one byte, a second time (not read), one byte, then the hemisphere letter and
//   the latitude's digits (ddmm.mmmm x 10^4), the letter and the longitude's digits, a signed
//   four-digit altitude in metres and the speed in km/h ("+0058" "000"), then accelerations as
//   signed thousandths of g, three to a sample ("+006+009+004").
// Both are known from ExifTool's reader and its notes' hexdumps of real files; the units of
// speed, altitude and accelerations are its readings, not the maker's. A record without a
// hemisphere letter or a date holds no fix.

#include "metadata/RVKenwoodMetaDataReader.h"

#include "core/RVNumber.h"
#include "metadata/RVBoxWalker.h"
#include "metadata/RVDegreesPoint.h"
#include "metadata/RVInVideoReading.h"
#include "metadata/RVMetaPath.h"

#include <QDateTime>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace {

// The trailer's run of "C"s past the eight a box header takes.
constexpr std::string_view kTrailerRun = "CCCCCC";
constexpr std::string_view kRecordMark = "GPSDATA--";
constexpr std::size_t kTrailerRecordBytes = 121;
constexpr std::size_t kFieldBytes = 14;
constexpr std::string_view kUserDataMark = "VIDEOUUUUUUUUUUUUUUUUUUUUUU";
constexpr std::string_view kUserDataRecord("\xfe\xfe", 2);

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The camera's clock from YYYYMMDDhhmmss, kept as written (its local time counted like UTC).
RVTimestamp clockTime(std::string_view digits)
{
    if (digits.size() < 14 || !std::all_of(digits.begin(), digits.begin() + 14, isDigit))
        return RVTimestamp();
    const auto number = [&digits](std::size_t at, std::size_t count) {
        return int(RVNumber::leadingValue(digits.substr(at, count)));
    };
    const QDateTime time(QDate(number(0, 4), number(4, 2), number(6, 2)),
                         QTime(number(8, 2), number(10, 2), number(12, 2)), QTimeZone::utc());
    return RVTimestamp::fromDateTime(time);
}

// A run of digits at text[at]; its length is left in `length`.
double digitsAt(std::string_view text, std::size_t at, std::size_t& length)
{
    length = 0;
    while (at + length < text.size() && isDigit(text[at + length]))
        ++length;
    return length ? RVNumber::leadingValue(text.substr(at, length)) : NAN;
}

} // namespace

std::optional<RVMetaData>
RVKenwoodMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVKenwoodMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                         RVDecline& why) const
{
    return RVInVideoReading::read(videoPath, why, &readMetaData);
}

std::optional<RVMetaData> RVKenwoodMetaDataReader::readMetaData(QIODevice& device, qint64 fileSize,
                                                                RVDecline* why)
{
    RVDecline ignored;
    RVDecline& decline = why ? *why : ignored;
    decline = RVDecline{};
    // The trailer's run of "C"s reads as the header of a box of type "CCCC" that claims more
    // than the file holds; the walk cuts it at the end.
    RVBoxWalker top(device, 0, fileSize);
    std::optional<RVMetaData> data;
    QString where;
    for (std::optional<RVBox> box = top.next(); box && !data; box = top.next()) {
        const bool trailer = box->is("CCCC") && box->declaredSize == 0x43434343;
        if (!trailer && !box->is("udta"))
            continue;
        const RVBoxPayload payload =
            RVBoxPayload::read(device, *box, RVMetaPath::Limits::kGpsRecords);
        if (payload.status != RVBoxPayload::Status::Read)
            continue;
        const std::string_view bytes(payload.bytes.constData(), std::size_t(payload.bytes.size()));
        if (trailer && bytes.starts_with(kTrailerRun)) {
            data = readTrailer(bytes);
            where = QStringLiteral("the trailer at offset 0x%1").arg(box->offset, 0, 16);
        } else if (!trailer && bytes.starts_with(kUserDataMark)) {
            data = readUserData(bytes);
            where = QStringLiteral("\"udta\" box at offset 0x%1").arg(box->offset, 0, 16);
        }
    }
    if (!data)
        return std::nullopt;
    if (data->points.empty()) {
        decline = {RVDecline::Kind::NoFixYet, where + QStringLiteral(": no record holds a fix")};
        return std::nullopt;
    }
    data->localClock = true;
    return data;
}

RVMetaData RVKenwoodMetaDataReader::readTrailer(std::string_view text)
{
    RVMetaData data;
    for (std::size_t at = text.find(kRecordMark);
         at != std::string_view::npos && at + kTrailerRecordBytes <= text.size();
         at = text.find(kRecordMark, at + kTrailerRecordBytes)) {
        const std::string_view record = text.substr(at, kTrailerRecordBytes);
        const RVTimestamp time = clockTime(record.substr(kRecordMark.size(), 14));
        const auto field = [&record](int i) {
            return record.substr(kRecordMark.size() + 14 + std::size_t(i) * kFieldBytes,
                                 kFieldBytes);
        };
        const std::string_view lat = field(0), lon = field(1);
        if (!time.isValid() || (lat[0] != 'N' && lat[0] != 'S') ||
            (lon[0] != 'E' && lon[0] != 'W') || !isDigit(lat[1]) || !isDigit(lon[1]))
            continue;
        const double latitude = RVNumber::leadingValue(lat.substr(1)) * (lat[0] == 'S' ? -1 : 1);
        const double longitude = RVNumber::leadingValue(lon.substr(1)) * (lon[0] == 'W' ? -1 : 1);
        if (!(std::fabs(latitude) <= 90) || !(std::fabs(longitude) <= 180))
            continue;
        const double kmh = RVNumber::leadingValue(field(2));
        RVDegreesPoint::append(
            data, RVDegreesPoint::make(latitude, longitude, NAN, 0, kmh >= 0 ? kmh : 0.0, time));
        const double x = RVNumber::leadingValue(field(4)), y = RVNumber::leadingValue(field(5)),
                     z = RVNumber::leadingValue(field(6));
        data.gSensorData.emplace_back(x, y, z, std::sqrt(x * x + y * y + z * z),
                                      RVSensorLabel::instant(time));
    }
    return data;
}

RVMetaData RVKenwoodMetaDataReader::readUserData(std::string_view payload)
{
    RVMetaData data;
    for (std::size_t at = payload.find(kUserDataRecord); at != std::string_view::npos;
         at = payload.find(kUserDataRecord, at + 2)) {
        const std::string_view record = payload.substr(at + 2);
        const RVTimestamp time = clockTime(record);
        // The time, a byte, the second time, a byte: the position starts at 30.
        std::size_t p = 30;
        if (!time.isValid() || record.size() <= p || (record[p] != 'N' && record[p] != 'S'))
            continue;
        std::size_t length = 0;
        const double latitude = RVDegreesPoint::fromDegreesMinutes(
            digitsAt(record, p + 1, length) / 1e4 * (record[p] == 'S' ? -1 : 1), 90);
        p += 1 + length;
        if (!length || p >= record.size() || (record[p] != 'E' && record[p] != 'W'))
            continue;
        const double longitude = RVDegreesPoint::fromDegreesMinutes(
            digitsAt(record, p + 1, length) / 1e4 * (record[p] == 'W' ? -1 : 1), 180);
        p += 1 + length;
        if (!length || std::isnan(latitude) || std::isnan(longitude))
            continue;
        // "+0058" altitude, then the speed's digits.
        double altitude = NAN, kmh = 0;
        if (p + 5 < record.size() && (record[p] == '+' || record[p] == '-') &&
            std::all_of(record.begin() + std::ptrdiff_t(p) + 1,
                        record.begin() + std::ptrdiff_t(p) + 5, isDigit)) {
            altitude = RVNumber::leadingValue(record.substr(p, 5));
            p += 5;
            kmh = digitsAt(record, p, length);
            p += length;
            if (!length)
                kmh = 0;
        }
        RVDegreesPoint::append(data,
                               RVDegreesPoint::make(latitude, longitude, altitude, 0, kmh, time));
        // Signed thousandths of g, three to a sample.
        for (;;) {
            double g[3];
            std::size_t q = p;
            bool whole = true;
            for (double& value : g) {
                if (q >= record.size() || (record[q] != '+' && record[q] != '-')) {
                    whole = false;
                    break;
                }
                value = digitsAt(record, q + 1, length) / 1000 * (record[q] == '-' ? -1 : 1);
                if (!length) {
                    whole = false;
                    break;
                }
                q += 1 + length;
            }
            if (!whole)
                break;
            p = q;
            data.gSensorData.emplace_back(g[0], g[1], g[2],
                                          std::sqrt(g[0] * g[0] + g[1] * g[1] + g[2] * g[2]),
                                          RVSensorLabel::instant(time));
        }
    }
    return data;
}
