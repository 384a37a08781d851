// Mini recordings: videos named "AMBA" + recording number N (exact case), e.g.
// /CARD/DCIM/100MEDIA/AMBA0001.MP4.
//
// Where the data lives (first that exists):
//   1. /CARD/gps/gps0001.log   (two folders above the video's folder, gps/gps<N>.log)
//   2. /CARD/DCIM/100MEDIA/AMBA0001.txt   (beside the video)
//
// One line per fix, "\n"-separated (a "\r" and a ";" may trail the last field), read when it
// begins with "A" (fix) or "V" (no fix) and has at least 11 comma-separated fields:
//   0 status A/V      1 date ddmmyy      2 time hhmmss.sss   (local time, not UTC)
//   3 latitude ddmm.mmmm (may carry a "+" sign; empty or a bare "+" without a fix)
//   4 N/S             5 longitude dddmm.mmmm                  6 E/W
//   7 speed, knots    8 X, tenths of g   9 Y, tenths of g, gravity included (10 added back)
//   10 Z, tenths of g
// There is no altitude and no course: the course is computed from consecutive positions.
// Every usable line gives one G-sensor sample; lines with a position also give a point and a
// speed (km/h, no lower threshold; the point's own velocity is -1).

#include "metadata/RVMiniMetaDataReader.h"

#include "core/RVCivilTime.h"
#include "core/RVNumber.h"
#include "core/RVTextSplit.h"
#include "metadata/RVCoordinate.h"
#include "metadata/RVMetaPath.h"

#include <cmath>
#include <string>

namespace {

constexpr double kKmhPerKnot = double(1.852f);
// Tenths of g per g.
constexpr double kDeciG = 10.0;
constexpr double kPi = 3.141592653589793;

// Cameras write a bare "+" into the position fields of lines without a fix; a field without
// a digit is no position.
bool hasDigit(std::string_view field)
{
    for (const char c : field)
        if (c >= '0' && c <= '9')
            return true;
    return false;
}

// Field 1 followed directly by field 2, read as ddMMyyHHmmss.SSS in the system's local time
// zone. The joined text is what is matched, so a date cut short in field 1 and continued in
// field 2 still reads as the camera's software reads it.
RVTimestamp localTime(std::string_view date, std::string_view time)
{
    std::string joined;
    joined.reserve(date.size() + time.size());
    joined.append(date).append(time);
    const std::string_view text(joined);
    RVCivilTime::Fields fields;
    if (text.size() < 6 || !RVCivilTime::parseDayMonthYear(text.substr(0, 6), fields) ||
        !RVCivilTime::parseTimeOfDay(text.substr(6), fields))
        return RVTimestamp();
    return RVCivilTime::localInstant(fields);
}

} // namespace

std::optional<RVMetaData>
RVMiniMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    const QString name = RVMetaPath::baseName(videoPath);
    if (!name.startsWith(QLatin1String("AMBA")))
        return std::nullopt;
    const QString number = name.mid(4);
    QString logPath = QStringLiteral("%1/gps/gps%2.log")
                          .arg(RVMetaPath::withoutLastComponents(videoPath, 3), number);
    if (!RVMetaPath::exists(logPath))
        logPath = RVMetaPath::withoutExtension(videoPath) + QStringLiteral(".txt");
    const std::optional<QByteArray> text =
        RVMetaPath::readWholeFile(logPath, RVMetaPath::Limits::kMiniLog);
    if (!text || text->isEmpty())
        return std::nullopt;
    return readMetaDataFromFile(logPath,
                                std::string_view(text->constData(), std::size_t(text->size())));
}

RVMetaData RVMiniMetaDataReader::readMetaDataFromFile(const QString& logPath, std::string_view text)
{
    RVMetaData data;
    RVSensorLabel label = RVSensorLabel::number(0);
    RVLineSplitter lines(text);
    std::string_view line;
    while (lines.next(line)) {
        if (line.empty() || (line[0] != 'A' && line[0] != 'V'))
            continue;
        const RVFieldSplitter fields(line);
        if (fields.count() < 11)
            continue;
        if (hasDigit(fields[3])) {
            char latitude[RVCoordinate::kBufferSize];
            char longitude[RVCoordinate::kBufferSize];
            const RVTimestamp time = localTime(fields[1], fields[2]);
            label = RVSensorLabel::instant(time);
            data.velocityData.push_back(RVNumber::leadingValue(fields[7]) * kKmhPerKnot);
            data.points.emplace_back(
                RVCoordinate::toDecimalDegrees(fields[3], fields[4] == "S", latitude),
                RVCoordinate::toDecimalDegrees(fields[5], fields[6] == "W", longitude), 0.0, 0.0,
                -1.0, time);
        }
        const double x = RVNumber::leadingValue(fields[8]) / kDeciG;
        const double y = RVNumber::leadingValue(fields[9]) / kDeciG + 1.0; // gravity back in
        const double z = RVNumber::leadingValue(fields[10]) / kDeciG;
        data.gSensorData.emplace_back(x, y, z, std::sqrt(x * x + y * y + z * z), label);
    }

    // Course from the previous position, in plain degree differences: 0 north, 90 east,
    // 180 south, -90 west; an unchanged position gives 90.
    for (std::size_t i = 1; i < data.points.size(); ++i) {
        const double dLat = data.points[i].latitudeValue() - data.points[i - 1].latitudeValue();
        const double dLon = data.points[i].longitudeValue() - data.points[i - 1].longitudeValue();
        data.points[i].setAzimut(std::atan2(dLat, dLon) / -kPi * 180.0 + 90.0);
    }
    data.points.shrink_to_fit();
    data.velocityData.shrink_to_fit();
    data.gSensorData.shrink_to_fit();
    data.relatedFiles = QStringList{logPath};
    return data;
}
