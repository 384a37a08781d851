#pragma once

#include "metadata/RVPoint.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

// What a clip export is asked to make. Times are trip seconds: the trip's time line starts at
// 0 with its first file, and each file plays from its own offset on it (normally the sum of
// the lengths of the files before it, as the player joins them).

// One recording of the trip: its views' video files (front first, then rear, interior,
// optional; a file that is missing or empty stands for a view the recording lacks) and where
// it starts on the trip's time line.
struct RVClipSource final
{
    QStringList viewPaths;
    double tripOffsetSeconds = 0;
};

enum class RVClipLayout
{
    Front,            // the first view alone
    Rear,             // the second view alone
    PictureInPicture, // the first view, the second small in its top right corner
    SideBySide,       // first and second view next to each other, each half as wide
    Grid              // up to four views in a 2 x 2 grid
};

enum class RVClipQuality
{
    Original, // the camera's size; copied without re-encoding where nothing is drawn or composed
    Full1080, // 1080 lines high
    Hd720     // 720 lines high
};

// The read-outs burned into the picture (a set of flags).
enum class RVReadout : unsigned
{
    None = 0,
    Time = 1,     // date and clock time in the camera's local time, with its zone
    Speed = 2,    // in the chosen units
    Position = 4, // latitude and longitude
    Heading = 8,  // degrees and compass point
    Map = 16,     // the route with the position, over cached map tiles where there are some
    Acceleration = 32
};
constexpr unsigned operator|(RVReadout a, RVReadout b)
{
    return unsigned(a) | unsigned(b);
}
constexpr unsigned operator|(unsigned a, RVReadout b)
{
    return a | unsigned(b);
}
constexpr bool hasReadout(unsigned set, RVReadout r)
{
    return (set & unsigned(r)) != 0;
}

enum class RVSpeedUnit
{
    KilometresPerHour,
    MilesPerHour
};

// One moment of the trip's series: what the window shows from tripSeconds until the next
// sample.
struct RVClipSample final
{
    double tripSeconds = 0;
    RVPoint point;        // position, heading; time not used (the clock comes from cameraStart)
    double speedKmh = -1; // negative: not known
    double accelerationG = std::numeric_limits<double>::quiet_NaN(); // total, in g
};

// The trip's clock and series for the read-outs.
struct RVClipSeries final
{
    // The camera's local time at trip second 0, with the offset from UTC the camera keeps (a
    // QDateTime with an offset or a zone; a local one when the zone is not known).
    QDateTime cameraStart;
    std::vector<RVClipSample> samples; // ordered by tripSeconds
    RVSpeedUnit speedUnit = RVSpeedUnit::KilometresPerHour;
};

// Where the map read-out finds its tiles: the map page's disk cache and the tile server's
// address template its tiles are filed under (see RVMapTiles). Empty, or a cache without the
// route's tiles: the route on a plain background.
struct RVClipMapTiles final
{
    QString cacheDirectory;
    QString tileTemplate;
};

struct RVClipRequest final
{
    std::vector<RVClipSource> sources; // in trip order
    double fromSeconds = 0;            // trip seconds of the first and last frame
    double toSeconds = 0;
    RVClipLayout layout = RVClipLayout::Front;
    unsigned readouts = 0; // RVReadout flags
    RVClipQuality quality = RVClipQuality::Original;
    bool sound = true;
    bool gpx = false;   // the range's track beside the clip ("<clip>.gpx"), in the manifest
    QString outputPath; // the .mp4 to make; replaced only when the clip is complete
    RVClipSeries series;
    RVClipMapTiles mapTiles;
    // Re-encoding tries VAAPI's H.264 encoder on this render device first (empty: FFmpeg's
    // choice), and falls back to the software encoder when it does not work.
    bool hardwareEncoder = true;
    QString hardwareDevice;
};

// Progress: fraction of the range done (0..1) and the estimated seconds left (negative while
// unknown). Called on the exporting thread.
using RVClipProgress = std::function<void(double fraction, double secondsLeft)>;

struct RVClipResult final
{
    bool ok = false;
    bool cancelled = false;
    QString error;             // why not, when !ok
    bool streamCopied = false; // the camera's video was copied, not re-encoded
    QStringList skipped;       // source files that could not be read and were left out
    QString gpxPath;           // the track written beside the clip, when asked for
    QString encoder;           // FFmpeg's name of the encoder that made the video, when re-encoded
    bool hardwareEncoded = false;
    std::int64_t videoFrames = 0;
};
