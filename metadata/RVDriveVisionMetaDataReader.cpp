// DriveVision cameras: the videos in "CARDV/MOVIE_A" (front; the camera's protected ones in
// "RO" inside it), named "20250629113949_000158A.MP4", and one log a recording, named as its
// video, in the folder "GPSdata" at the card's root ("GPSdata/20250629113949_000158A.TXT"; a
// "...B.TXT" for the rear camera holds the same lines). One line a second, each ended by a
// carriage return alone, the file padded with blanks to a fixed size:
//   2025/06/29 11:39:49 S:16.929853 E:145.431595 19.60 km/h 158.96 392.12 24 x:-0.367 y:-0.656
//   z:-0.152
// date and time, the position in decimal degrees after its hemisphere letter, the speed and
// its unit, the course in degrees, the altitude in metres, the satellites in use, and the
// accelerations in g (gravity not in them: all three stay near 0 while driving).
//
// The real card's logs (a public project's, Queensland, 2025) begin at the second of their
// video's name and end 58 s later: their times are the camera's clock, like the names. Their
// speeds agree with the distances between their positions, so "km/h" is what it says.

#include "metadata/RVDriveVisionMetaDataReader.h"

#include "core/RVNumber.h"
#include "metadata/RVDegreesPoint.h"
#include "metadata/RVMetaPath.h"
#include "metadata/freegps/RVFreeGpsParts.h"

#include <QFileInfo>

#include <cmath>

namespace {

constexpr double kKmhPerMph = 1.609344;

// Beside the videos' top folder, the card's root.
constexpr QLatin1String kVideoTop("/CARDV/");
constexpr QLatin1String kLogFolder("/GPSdata/");

// "YYYY/MM/DD hh:mm:ss" at the start of the line, read as written.
std::optional<RVTimestamp> lineTime(std::string_view line)
{
    using RVFreeGpsParts::digits;
    if (line.size() < 19 || line[4] != '/' || line[7] != '/' || line[10] != ' ' ||
        line[13] != ':' || line[16] != ':')
        return std::nullopt;
    const auto y = digits(line, 0, 4), mo = digits(line, 5, 2), d = digits(line, 8, 2);
    const auto h = digits(line, 11, 2), mi = digits(line, 14, 2), s = digits(line, 17, 2);
    if (!y || !mo || !d || !h || !mi || !s)
        return std::nullopt;
    return RVFreeGpsParts::utcTime(*y, *mo, *d, *h, *mi, double(*s));
}

void readLine(std::string_view line, RVMetaData& data)
{
    const std::optional<RVTimestamp> time = lineTime(line);
    if (!time)
        return;
    std::optional<double> latitude, longitude, x, y, z, speed;
    double course = 0, altitude = NAN;
    int plain = 0; // unlabelled numbers after the speed's unit: course, altitude, satellites
    bool unitSeen = false;
    std::string_view rest = line.substr(19);
    while (!rest.empty()) {
        const std::size_t start = rest.find_first_not_of(' ');
        if (start == std::string_view::npos)
            break;
        rest.remove_prefix(start);
        const std::size_t end = std::min(rest.find(' '), rest.size());
        const std::string_view word = rest.substr(0, end);
        rest.remove_prefix(end);
        const char label = word.size() > 2 && word[1] == ':' ? word[0] : 0;
        const std::optional<double> value = RVNumber::wholeValue(label ? word.substr(2) : word);
        if (label == 'N' || label == 'S') {
            latitude =
                value ? std::optional(std::fabs(*value) * (label == 'S' ? -1 : 1)) : std::nullopt;
        } else if (label == 'E' || label == 'W') {
            longitude =
                value ? std::optional(std::fabs(*value) * (label == 'W' ? -1 : 1)) : std::nullopt;
        } else if (label == 'x' || label == 'y' || label == 'z') {
            (label == 'x' ? x : label == 'y' ? y : z) = value;
        } else if (word == "km/h" || word == "mph") {
            unitSeen = speed.has_value();
            if (speed && word == "mph")
                *speed *= kKmhPerMph;
        } else if (value && !label && !unitSeen) {
            speed = value;
        } else if (value && !label && plain < 2) {
            (plain++ == 0 ? course : altitude) = *value;
        }
    }
    if (x && y && z)
        data.gSensorData.push_back(RVFreeGpsParts::sample(*x, *y, *z, *time));
    // A receiver without a fix writes zeros, or nothing that reads.
    if (!latitude || !longitude || !unitSeen || (*latitude == 0 && *longitude == 0) ||
        std::fabs(*latitude) > 90 || std::fabs(*longitude) > 180 || *speed < 0)
        return;
    if (!(course >= 0 && course <= 360))
        course = 0;
    RVDegreesPoint::append(
        data, RVDegreesPoint::make(*latitude, *longitude, altitude, course, *speed, *time));
}

} // namespace

std::optional<RVMetaData>
RVDriveVisionMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    // A path given relative to the working folder may begin with the videos' folder.
    const QString path = QFileInfo(videoPath).absoluteFilePath();
    const qsizetype top = path.lastIndexOf(kVideoTop, -1, Qt::CaseInsensitive);
    if (top < 0)
        return std::nullopt;
    const QString log = path.left(top) + kLogFolder + RVMetaPath::baseName(path);
    return RVMetaPath::readSideLog({log + QLatin1String(".TXT"), log + QLatin1String(".txt")},
                                   RVMetaPath::Limits::kMiniLog, &readLog);
}

RVMetaData RVDriveVisionMetaDataReader::readLog(std::string_view text)
{
    RVMetaData data;
    data.localClock = true;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
        readLine(text.substr(0, end), data);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return data;
}
