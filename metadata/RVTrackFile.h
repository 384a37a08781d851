#pragma once

#include "core/RVTimestamp.h"

#include <QByteArray>
#include <QString>

#include <limits>
#include <string_view>
#include <vector>

// Tracks recorded by another device (a phone, a logger, a sat-nav) and imported for recordings
// whose camera has no receiver or lost its fix. Each file format has one reader behind
// RVTrackFileReader, asked in one place (RVTrackFiles).

// One timed position of an imported track.
struct RVTrackFix final
{
    static constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();

    RVTimestamp time;           // UTC instant; always valid in a reading's fixes
    double latitude = 0;        // decimal degrees, north positive
    double longitude = 0;       // decimal degrees, east positive
    double altitude = kUnknown; // metres above sea level
    double speedKmh = kUnknown;
    double courseDegrees = kUnknown; // clockwise from true north
};

// Why a track file gave no fixes.
enum class RVTrackFileError
{
    None,
    Unreadable,    // not a regular file, cannot be read, or over the size limit
    UnknownFormat, // neither GPX, KML nor NMEA
    Malformed,     // the format's structure is broken before any point
    NoTimedPoint   // read, but no point carries both a position and a time
};

// What a reader found: the timed fixes in time order (stable for equal times), or the reason
// there are none. Points without a time (a KML line, a waypoint) cannot be matched to a
// recording and are only counted.
struct RVTrackFileReading final
{
    std::vector<RVTrackFix> fixes;
    RVTrackFileError error = RVTrackFileError::None;
    QString detail;        // where it broke ("line 12, column 4: ..."), the file's name
    int untimedPoints = 0; // positions left out for want of a time
    QString format;        // "GPX", "KML", "NMEA"; empty when none was recognised

    bool ok() const { return error == RVTrackFileError::None; }
    // One plain line for the log and the command line; the window words its own alert.
    QString message() const;
};

// A reader of one track file format.
class RVTrackFileReader
{
public:
    virtual ~RVTrackFileReader() = default;
    // "GPX", "KML", "NMEA".
    virtual QString formatName() const = 0;
    // Whether the bytes are this reader's format, judged by their start (an XML root element,
    // sentences). Never true for another reader's format.
    virtual bool recognises(const QByteArray& bytes) const = 0;
    // Every point of the file in document order, timed or not; only error and detail are set
    // when the format breaks before the first point.
    virtual RVTrackFileReading readTrack(const QByteArray& bytes) const = 0;
};

namespace RVTrackFiles {

// A day of a phone's GPX at one fix a second with extensions is about 30 MB.
constexpr qint64 kMaxFileBytes = 256LL << 20;

// The track in bytes by the first reader that recognises them, its fixes checked (positions
// in range) and ordered by time.
RVTrackFileReading readTrackText(const QByteArray& bytes);
// The same for a file (a regular file of at most kMaxFileBytes).
RVTrackFileReading readTrackFile(const QString& path);

// An ISO 8601 date and time as GPX and KML write it ("2024-05-01T10:15:30.250Z", with an
// offset "+02:00", or without a zone: GPX defines that as UTC, KML leaves it open, and UTC is
// what the loggers mean); invalid otherwise, and for a date alone.
RVTimestamp parseIsoTime(QStringView text);

// The local name of an XML document's root element ("gpx", "kml"); empty when the bytes do not
// start as XML.
QString xmlRootElement(const QByteArray& bytes);

} // namespace RVTrackFiles
