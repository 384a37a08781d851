// Escort M2 cameras (a radar detector with a dash camera).
//
// Videos "YYYYMMDD_HHMM_CAM.MP4" (the camera's clock, to the minute) in Normal/, Event/ and
// Favorites/, each with a log of the same name and the extension ".map" beside it, one line a
// second:
//   A,DDMMYY,HHMMSS,ddmm.mmmm,N,dddmm.mmmm,W,<speed>,<x>,<y>,<z>;
// the status (A a fix, V none), the date and time, the position as NMEA writes it, the speed in
// km/h and the accelerations in g with gravity in them (1.5 g on Z at rest in a real log). The
// course is not written: it is taken from the positions. The real log (a public project's,
// its coordinates replaced) begins five seconds before its video's name: its times are the
// camera's clock, like the name.

#include "metadata/RVEscortMetaDataReader.h"

#include "core/RVCivilTime.h"
#include "core/RVNumber.h"
#include "core/RVTextSplit.h"
#include "metadata/RVDegreesPoint.h"
#include "metadata/RVMetaPath.h"

#include <cmath>

namespace {

constexpr std::size_t kFields = 11;

RVTimestamp clockTime(std::string_view date, std::string_view time)
{
    RVCivilTime::Fields fields;
    if (date.size() != 6 || time.size() < 6 || !RVCivilTime::parseDayMonthYear(date, fields) ||
        !RVCivilTime::parseTimeOfDay(time, fields))
        return RVTimestamp();
    return RVCivilTime::utcInstant(fields);
}

} // namespace

std::optional<RVMetaData>
RVEscortMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    const QString stem = RVMetaPath::withoutExtension(videoPath);
    if (stem.isEmpty() || stem == videoPath)
        return std::nullopt;
    return RVMetaPath::readSideLog({stem + QLatin1String(".map"), stem + QLatin1String(".MAP")},
                                   RVMetaPath::Limits::kMiniLog, &readLog);
}

RVMetaData RVEscortMetaDataReader::readLog(std::string_view text)
{
    using RVNumber::wholeValue;
    RVMetaData data;
    data.localClock = true;
    RVLineSplitter lines(text);
    std::string_view line;
    while (lines.next(line)) {
        while (!line.empty() && (line.back() == ';' || line.back() == '\r'))
            line.remove_suffix(1);
        const RVFieldSplitter f(line, kFields);
        if (f.count() != kFields || (f[0] != "A" && f[0] != "V"))
            continue;
        const RVTimestamp time = clockTime(f[1], f[2]);
        const auto x = wholeValue(f[8]), y = wholeValue(f[9]), z = wholeValue(f[10]);
        if (!time.isValid() || !x || !y || !z)
            continue;
        data.gSensorData.emplace_back(*x, *y, *z, std::sqrt(*x * *x + *y * *y + *z * *z),
                                      RVSensorLabel::instant(time));
        const auto lat = wholeValue(f[3]), lon = wholeValue(f[5]), kmh = wholeValue(f[7]);
        if (f[0] != "A" || !lat || !lon || !kmh || *kmh < 0 || (f[4] != "N" && f[4] != "S") ||
            (f[6] != "E" && f[6] != "W"))
            continue;
        const double latitude =
            RVDegreesPoint::fromDegreesMinutes(*lat, 90) * (f[4] == "S" ? -1 : 1);
        const double longitude =
            RVDegreesPoint::fromDegreesMinutes(*lon, 180) * (f[6] == "W" ? -1 : 1);
        if (std::isnan(latitude) || std::isnan(longitude) || (latitude == 0 && longitude == 0))
            continue;
        double course = 0;
        if (!data.points.empty()) {
            const RVPoint& last = data.points.back();
            course = RVDegreesPoint::courseBetween(last.latitudeValue(), last.longitudeValue(),
                                                   latitude, longitude)
                         .value_or(last.azimut());
        }
        RVDegreesPoint::append(data,
                               RVDegreesPoint::make(latitude, longitude, NAN, course, *kmh, time));
    }
    return data;
}
