#include "NmeaLog.h"

#include <QDateTime>
#include <QFile>
#include <QTimeZone>

#include <cstdio>

namespace {

// "$BODY*CS\r\n", CS the XOR of the body's bytes in two hex digits.
void appendSentence(QByteArray& out, const QByteArray& body)
{
    unsigned char checksum = 0;
    for (const char byte : body)
        checksum ^= static_cast<unsigned char>(byte);
    out += '$' + body + '*' + QByteArray::number(checksum, 16).toUpper().rightJustified(2, '0') +
           "\r\n";
}

} // namespace

bool writeNmeaLog(const QString& path, const NmeaLogShape& shape)
{
    QByteArray out;
    char body[160];
    for (int i = 0; i < shape.fixes; ++i) {
        const QDateTime time = QDateTime::fromMSecsSinceEpoch(
            shape.startMsecsUtc + std::int64_t(i) * shape.intervalMs, QTimeZone::utc());
        const QByteArray clock = time.toString("hhmmss.zzz").toLatin1();
        // 15 m/s to the north-east: about 0.0000135 degrees of latitude per 100 ms.
        const double latMinutes = 54.0 + 0.00081 * i * shape.intervalMs / 100.0;
        const double lonMinutes = 30.0 + 0.00137 * i * shape.intervalMs / 100.0;
        const int latDegrees = 53 + int(latMinutes / 60), lonDegrees = 27 + int(lonMinutes / 60);
        const double latRest = latMinutes - 60 * int(latMinutes / 60);
        const double lonRest = lonMinutes - 60 * int(lonMinutes / 60);
        int n = std::snprintf(
            body, sizeof body, "GPGGA,%s,%02d%07.4f,N,%03d%07.4f,E,1,09,0.9,%.1f,M,14.0,M,,",
            clock.constData(), latDegrees, latRest, lonDegrees, lonRest, 210.0 + (i % 600) * 0.1);
        appendSentence(out, QByteArray(body, n));
        n = std::snprintf(
            body, sizeof body, "GPRMC,%s,A,%02d%07.4f,N,%03d%07.4f,E,%.2f,%.1f,%s,,,A",
            clock.constData(), latDegrees, latRest, lonDegrees, lonRest, 29.16 + (i % 50) * 0.01,
            45.0 + (i % 20), time.toString("ddMMyy").toLatin1().constData());
        appendSentence(out, QByteArray(body, n));
        if (shape.sensorLines)
            out.append(body,
                       std::snprintf(body, sizeof body, "$GS,%d,%d,%d\r\n", (i * 37) % 200 - 100,
                                     (i * 11) % 80 - 40, 1000 + (i * 13) % 60 - 30));
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}
