#include "export/RVExifWriter.h"

#include <QTimeZone>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

enum class Type : std::uint16_t
{
    Byte = 1,
    Ascii = 2,
    Long = 4,
    Rational = 5,
    Undefined = 7,
};

struct Entry
{
    std::uint16_t tag;
    Type type;
    std::uint32_t count;
    QByteArray value; // little-endian, exactly the value's bytes
};

void put16(QByteArray& out, std::uint16_t v)
{
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

void put32(QByteArray& out, std::uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((v >> shift) & 0xFF));
}

Entry ascii(std::uint16_t tag, const QString& text)
{
    QByteArray value = text.toLatin1();
    value.append('\0'); // the count includes the terminating NUL
    return {tag, Type::Ascii, std::uint32_t(value.size()), value};
}

// Unsigned rationals; each value as numerator / denominator with the denominator given.
Entry rationals(std::uint16_t tag, const std::vector<std::pair<double, std::uint32_t>>& values)
{
    QByteArray value;
    for (const auto& [number, denominator] : values) {
        put32(value, std::uint32_t(std::llround(number * denominator)));
        put32(value, denominator);
    }
    return {tag, Type::Rational, std::uint32_t(values.size()), value};
}

// Degrees as degrees, minutes and seconds (to a ten-thousandth), carried over so that
// rounding never writes 60 seconds.
Entry degrees(std::uint16_t tag, double decimal)
{
    const auto tenThousandths = std::llround(std::fabs(decimal) * 3600.0 * 10000.0);
    const auto wholeSeconds = tenThousandths / 10000;
    const double seconds = double(wholeSeconds % 60) + double(tenThousandths % 10000) / 10000.0;
    return rationals(
        tag,
        {{double(wholeSeconds / 3600), 1}, {double(wholeSeconds / 60 % 60), 1}, {seconds, 10000}});
}

// One IFD at `offset` (from the TIFF header) with its long values right after it.
QByteArray ifd(const std::vector<Entry>& entries, std::uint32_t offset)
{
    QByteArray table, data;
    const std::uint32_t dataStart = offset + 2 + 12 * std::uint32_t(entries.size()) + 4;
    put16(table, std::uint16_t(entries.size()));
    for (const Entry& entry : entries) {
        put16(table, entry.tag);
        put16(table, std::uint16_t(entry.type));
        put32(table, entry.count);
        if (entry.value.size() <= 4) {
            table.append(entry.value);
            table.append(4 - entry.value.size(), '\0');
        } else {
            put32(table, dataStart + std::uint32_t(data.size()));
            data.append(entry.value);
            if (data.size() % 2) // values start on a word boundary
                data.append('\0');
        }
    }
    put32(table, 0); // no next IFD
    return table + data;
}

std::uint32_t ifdSize(const std::vector<Entry>& entries)
{
    return std::uint32_t(ifd(entries, 0).size());
}

constexpr std::uint16_t kExifPointer = 0x8769, kGpsPointer = 0x8825;

} // namespace

QByteArray RVExifWriter::app1Segment(const RVStillTags& tags)
{
    const bool hasPosition = tags.latitude && tags.longitude && std::isfinite(*tags.latitude) &&
                             std::isfinite(*tags.longitude) && std::fabs(*tags.latitude) <= 90 &&
                             std::fabs(*tags.longitude) <= 180;
    const QDateTime frame = tags.frameTime;
    const QDateTime gpsUtc = (tags.gpsTime.isValid() ? tags.gpsTime : frame).toUTC();

    std::vector<Entry> exif;
    if (frame.isValid()) {
        exif.push_back({0x9000, Type::Undefined, 4, QByteArrayLiteral("0232")});
        exif.push_back(ascii(0x9003, frame.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"))));
        const int offset = frame.offsetFromUtc();
        exif.push_back(
            ascii(0x9011, QStringLiteral("%1%2:%3")
                              .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                              .arg(std::abs(offset) / 3600, 2, 10, QLatin1Char('0'))
                              .arg(std::abs(offset) / 60 % 60, 2, 10, QLatin1Char('0'))));
    }
    std::vector<Entry> gps;
    if (hasPosition || gpsUtc.isValid()) {
        gps.push_back({0x0000, Type::Byte, 4, QByteArray("\x02\x03\x00\x00", 4)});
        if (hasPosition) {
            gps.push_back(
                ascii(0x0001, *tags.latitude < 0 ? QStringLiteral("S") : QStringLiteral("N")));
            gps.push_back(degrees(0x0002, *tags.latitude));
            gps.push_back(
                ascii(0x0003, *tags.longitude < 0 ? QStringLiteral("W") : QStringLiteral("E")));
            gps.push_back(degrees(0x0004, *tags.longitude));
        }
        if (gpsUtc.isValid()) {
            const QTime t = gpsUtc.time();
            gps.push_back(rationals(0x0007, {{double(t.hour()), 1},
                                             {double(t.minute()), 1},
                                             {t.second() + t.msec() / 1000.0, 1000}}));
        }
        if (tags.speedKmh && std::isfinite(*tags.speedKmh) && *tags.speedKmh >= 0 &&
            *tags.speedKmh < 1e6) {
            gps.push_back(ascii(0x000C, QStringLiteral("K")));
            gps.push_back(rationals(0x000D, {{*tags.speedKmh, 100}}));
        }
        if (gpsUtc.isValid())
            gps.push_back(ascii(0x001D, gpsUtc.toString(QStringLiteral("yyyy:MM:dd"))));
    }
    if (exif.empty() && gps.empty())
        return {};

    // IFD0 at 8 holds the pointers; the Exif IFD follows it, then the GPS IFD.
    std::vector<Entry> ifd0;
    const std::uint32_t ifd0Size = 2 + 12 * std::uint32_t(!exif.empty() + !gps.empty()) + 4;
    const std::uint32_t exifOffset = 8 + ifd0Size;
    const std::uint32_t gpsOffset = exifOffset + (exif.empty() ? 0 : ifdSize(exif));
    QByteArray pointer;
    if (!exif.empty()) {
        put32(pointer, exifOffset);
        ifd0.push_back({kExifPointer, Type::Long, 1, pointer});
    }
    if (!gps.empty()) {
        pointer.clear();
        put32(pointer, gpsOffset);
        ifd0.push_back({kGpsPointer, Type::Long, 1, pointer});
    }
    QByteArray tiff("II\x2A\x00", 4);
    put32(tiff, 8);
    tiff += ifd(ifd0, 8);
    if (!exif.empty())
        tiff += ifd(exif, exifOffset);
    if (!gps.empty())
        tiff += ifd(gps, gpsOffset);

    // FF E1, the length (2 bytes, big-endian, itself included), "Exif\0\0", the TIFF data.
    const QByteArray body = QByteArray("Exif\0\0", 6) + tiff;
    const qsizetype length = body.size() + 2;
    if (length > 0xFFFF)
        return {};
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char(length >> 8));
    segment.append(char(length & 0xFF));
    return segment + body;
}

std::optional<QByteArray> RVExifWriter::withExif(const QByteArray& jpeg, const RVStillTags& tags,
                                                 QString* error)
{
    const auto fail = [error](const char* why) -> std::optional<QByteArray> {
        if (error)
            *error = QString::fromLatin1(why);
        return std::nullopt;
    };
    // FF D8: start of image.
    if (jpeg.size() < 4 || quint8(jpeg[0]) != 0xFF || quint8(jpeg[1]) != 0xD8)
        return fail("not a JPEG picture");
    const QByteArray segment = app1Segment(tags);
    if (segment.isEmpty())
        return jpeg; // nothing known of the frame
    qsizetype at = 2;
    // A JFIF APP0 (FF E0, its length big-endian with itself) stays first.
    if (quint8(jpeg[2]) == 0xFF && quint8(jpeg[3]) == 0xE0) {
        if (jpeg.size() < 6)
            return fail("the JPEG picture ends in its first segment");
        const qsizetype length = (qsizetype(quint8(jpeg[4])) << 8) | quint8(jpeg[5]);
        if (length < 2 || 4 + length > jpeg.size())
            return fail("the JPEG picture's first segment runs past its end");
        at = 4 + length;
    }
    QByteArray out = jpeg;
    out.insert(at, segment);
    return out;
}
