#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// What a still picture tells of its frame in its EXIF data.
struct RVStillTags
{
    // The frame's instant; DateTimeOriginal is its clock time in this date-time's own offset
    // from UTC (OffsetTimeOriginal), GPSDateStamp and GPSTimeStamp are it in UTC unless
    // gpsTime is given. Invalid: no time is written.
    QDateTime frameTime;
    // Decimal degrees (north and east positive); both or none.
    std::optional<double> latitude, longitude;
    std::optional<double> speedKmh;
    // The fix's own UTC time, when the track knows it.
    QDateTime gpsTime;
};

// Writes EXIF data into JPEG files: an APP1 segment ("Exif\0\0" and a little-endian TIFF
// structure) right after the start of image, or after a JFIF APP0 segment where the encoder
// wrote one, the order readers expect.
//
// The TIFF structure written (offsets from the "II" header, all little-endian):
//   0   "II", 42, offset of IFD0 (8)
//   8   IFD0: ExifIFDPointer (0x8769 LONG), GPSInfoIFDPointer (0x8825 LONG, with a position
//       or a time), then each IFD's values longer than four bytes follow it
//       Exif IFD: ExifVersion (0x9000 UNDEFINED 4, "0232"), DateTimeOriginal (0x9003 ASCII
//       20, "YYYY:MM:DD HH:MM:SS"), OffsetTimeOriginal (0x9011 ASCII 7, "+HH:MM")
//       GPS IFD: GPSVersionID (0x0 BYTE 4, 2.3.0.0), GPSLatitudeRef (0x1 ASCII 2, N/S),
//       GPSLatitude (0x2 RATIONAL 3: degrees/1, minutes/1, seconds/10000), GPSLongitudeRef
//       (0x3, E/W), GPSLongitude (0x4, as latitude), GPSTimeStamp (0x7 RATIONAL 3: hours/1,
//       minutes/1, seconds/1000, UTC), GPSSpeedRef (0xC ASCII 2, "K": km/h), GPSSpeed (0xD
//       RATIONAL 1, km/h /100), GPSDateStamp (0x1D ASCII 11, "YYYY:MM:DD", UTC)
// Each IFD: entry count (2 bytes), entries of 12 bytes in ascending tag order (tag 2, type 2,
// count 4, value or offset 4), next IFD offset 4 (0); values of up to four bytes sit in the
// entry, left-aligned.
class RVExifWriter final
{
public:
    RVExifWriter() = delete;

    // The APP1 segment, marker and length included; empty when there is nothing to write.
    static QByteArray app1Segment(const RVStillTags& tags);
    // The JPEG with the segment inserted; nothing (and why in error) for bytes that are not a
    // JPEG or a segment that does not fit.
    static std::optional<QByteArray> withExif(const QByteArray& jpeg, const RVStillTags& tags,
                                              QString* error = nullptr);
};
