#pragma once

#include "RealData.h"
#include "TrackFiles.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVMetaData.h"
#include "support/Support.h"

#include <QBuffer>
#include <QDateTime>
#include <QTimeZone>

#include <optional>
#include <string>
#include <type_traits>

// Box files, real-data files and readable texts of what the readers give.
namespace TestFiles {

using support::writeFile;
using TrackFiles::be32;

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

// read(device, size, args...) on the bytes as an in-memory file; a reader that can say why it
// read nothing is told nullptr for that when args leave it out.
template <typename Read, typename... Args>
auto readBytes(QByteArray bytes, Read read, Args... args)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    if constexpr (std::is_invocable_v<Read, QIODevice&, qint64, Args...>)
        return read(buffer, bytes.size(), args...);
    else
        return read(buffer, bytes.size(), args..., nullptr);
}

inline QByteArray realData(const QString& relativePath)
{
    return support::readFile(RealData::path(relativePath));
}

// Writes the video (its folders made as needed) and reads it as the program does.
inline std::optional<RVMetaData> readVideo(const QString& path, const QByteArray& bytes,
                                           QString* format = nullptr)
{
    writeFile(path, bytes);
    return RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(path, format);
}

// The name of the reader that reads the file as the program does; empty when none does.
inline QString readerOf(const QString& path)
{
    QString format;
    return RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(path, &format) ? format
                                                                                     : QString();
}

inline std::string_view view(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), std::size_t(bytes.size()));
}

// The record of XORed text an Ambarella A12 camera wrote near Moscow, its first 0x50 bytes as
// ExifTool's notes dump them, the rest of its 311 bytes NULs once decoded: 2019-11-16
// 10:09:01 on the camera's clock, N 55 45.1167 E 037 43.0041, 157 m, 0 km/h.
inline QByteArray ambarellaTextRecord()
{
    QByteArray record = QByteArray::fromHex(
        "0000f2e1f0ee5454989a9b939b9b9b9c9b9a9a939a9ba69a9b9b939b9a9b9c9a9d9a929f93a9e49f9f9e9f9b"
        "9b9c9def9a999d9e999a9a9e9b819a9b9f9d9a9a9a879a9a9a879a9899879a9a99879a9a");
    return record + QByteArray(311 - record.size(), char(0xaa));
}

// The instant an ISO 8601 text such as "2015-02-05T13:45:00Z" names.
inline RVTimestamp utc(const char* iso)
{
    return RVTimestamp::fromDateTime(
        QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs));
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
