#pragma once

#include "RealData.h"
#include "metadata/RVMetaData.h"
#include "support/Support.h"

#include <QDateTime>
#include <QTimeZone>

#include <optional>
#include <string>

// Box files, real-data files and readable texts of what the readers give.
namespace TestFiles {

using support::writeFile;

inline QByteArray be32(std::uint32_t v)
{
    const char bytes[] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(bytes, 4);
}
// An ISO media box: 4-byte big-endian size (as given), 4-byte type, payload.
inline QByteArray box(std::uint32_t size, const char* type, const QByteArray& payload = {})
{
    return be32(size) + QByteArray(type, 4) + payload;
}
// The size counts the header (the standard), or only the payload (the cameras' "udat").
inline QByteArray standardBox(const char* type, const QByteArray& payload)
{
    return box(std::uint32_t(payload.size() + 8), type, payload);
}
inline QByteArray payloadSizedBox(const char* type, const QByteArray& payload)
{
    return box(std::uint32_t(payload.size()), type, payload);
}

inline QByteArray realData(const QString& relativePath)
{
    return support::readFile(RealData::path(relativePath));
}

inline std::string_view view(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), std::size_t(bytes.size()));
}

inline std::string num(double v)
{
    return QString::number(v, 'g', 12).toStdString();
}
// "latitude longitude UTC-time speed altitude course"; "-" for no time.
inline std::string text(const RVPoint& p)
{
    const auto ms = p.time().msecsSinceEpoch();
    const QString time = !p.time().isValid() ? QStringLiteral("-")
                                             : QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc())
                                                   .toString(u"yyyy-MM-dd HH:mm:ss.zzz");
    return (p.latitude() + ' ' + p.longitude() + ' ' + time).toStdString() + ' ' +
           num(p.velocity()) + ' ' + num(p.altitude()) + ' ' + num(p.azimut());
}
// "x y z common label"; "-" for no label.
inline std::string text(const RVSensorData& s)
{
    return num(s.x()) + ' ' + num(s.y()) + ' ' + num(s.z()) + ' ' + num(s.common()) + ' ' +
           (s.time().isNull() ? std::string("-") : s.time().text().toStdString());
}
// Points, then samples, one a line, then the speeds; "none" when nothing was read.
inline std::string text(const std::optional<RVMetaData>& data)
{
    if (!data)
        return "none";
    std::string out;
    for (const RVPoint& p : data->points)
        out += text(p) + "\n";
    for (const RVSensorData& s : data->gSensorData)
        out += text(s) + "\n";
    for (const double v : data->velocityData)
        out += num(v) + " ";
    return out;
}
} // namespace TestFiles
