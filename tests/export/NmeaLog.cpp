#include "NmeaLog.h"

#include <QFile>

#include <chrono>
#include <cstdio>

namespace {

// "$BODY*CS\r\n", CS the XOR of the body's bytes in two hex digits.
void appendSentence(QByteArray& out, const char* body, int length)
{
    unsigned char checksum = 0;
    for (int i = 0; i < length; ++i)
        checksum ^= static_cast<unsigned char>(body[i]);
    char tail[8];
    const int tailLength = std::snprintf(tail, sizeof tail, "*%02X\r\n", checksum);
    out.append('$');
    out.append(body, length);
    out.append(tail, tailLength);
}

} // namespace

bool writeNmeaLog(const QString& path, const NmeaLogShape& shape)
{
    QByteArray out;
    out.reserve(qsizetype(shape.fixes) * (shape.sensorLines ? 170 : 145));
    char body[160];
    for (int i = 0; i < shape.fixes; ++i) {
        const std::int64_t ms = shape.startMsecsUtc + std::int64_t(i) * shape.intervalMs;
        const std::int64_t dayMs = ms % 86400000;
        const int hours = int(dayMs / 3600000);
        const int minutes = int(dayMs / 60000 % 60);
        const int seconds = int(dayMs / 1000 % 60);
        const int millis = int(dayMs % 1000);
        const std::chrono::year_month_day date{std::chrono::floor<std::chrono::days>(
            std::chrono::sys_time<std::chrono::milliseconds>(std::chrono::milliseconds(ms)))};
        const auto day = unsigned(date.day());
        const auto month = unsigned(date.month());
        const int year = int(date.year());

        // 15 m/s to the north-east: about 0.0000135 degrees of latitude per 100 ms.
        const double latMinutes = 54.0 + 0.00081 * i * shape.intervalMs / 100.0;
        const double lonMinutes = 30.0 + 0.00137 * i * shape.intervalMs / 100.0;
        const int latDegrees = 53 + int(latMinutes / 60);
        const int lonDegrees = 27 + int(lonMinutes / 60);
        const double latRest = latMinutes - 60 * int(latMinutes / 60);
        const double lonRest = lonMinutes - 60 * int(lonMinutes / 60);
        const double altitude = 210.0 + (i % 600) * 0.1;
        int n = std::snprintf(body, sizeof body,
                              "GPGGA,%02d%02d%02d.%03d,%02d%07.4f,N,%03d%07.4f,E,1,09,0.9,%.1f,M,"
                              "14.0,M,,",
                              hours, minutes, seconds, millis, latDegrees, latRest, lonDegrees,
                              lonRest, altitude);
        appendSentence(out, body, n);
        n = std::snprintf(body, sizeof body,
                          "GPRMC,%02d%02d%02d.%03d,A,%02d%07.4f,N,%03d%07.4f,E,%.2f,%.1f,"
                          "%02u%02u%02d,,,A",
                          hours, minutes, seconds, millis, latDegrees, latRest, lonDegrees, lonRest,
                          29.16 + (i % 50) * 0.01, 45.0 + (i % 20), day, month, year % 100);
        appendSentence(out, body, n);
        if (shape.sensorLines) {
            n = std::snprintf(body, sizeof body, "$GS,%d,%d,%d\r\n", (i * 37) % 200 - 100,
                              (i * 11) % 80 - 40, 1000 + (i * 13) % 60 - 30);
            out.append(body, n);
        }
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}
