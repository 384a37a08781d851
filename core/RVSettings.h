#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>

#include <optional>

// Every value the program keeps between runs, declared once here with its key, type and
// default. The store is the platform's per-user settings (QSettings: on Linux
// ~/.config/Korvela/Korvela Player.conf); the keys are kept as they are so stored settings
// carry over between versions.
class RVSettings final
{
public:
    RVSettings() = delete;

    // bool, false: the first launch has been handled.
    static constexpr const char* kApplicationInitialized = "APPLICATION_INITIALIZED";
    // bool, false each: which graphs the time slider shows (RVGraphs describes them).
    static constexpr const char* kGraphsVelocityEnabled = "GRAPHS_VELOCITY_ENABLED";
    static constexpr const char* kGraphsGSensorCommonEnabled = "GRAPHS_G_SENSOR_COMMON_ENABLED";
    static constexpr const char* kGraphsGSensorXEnabled = "GRAPHS_G_SENSOR_X_ENABLED";
    static constexpr const char* kGraphsGSensorYEnabled = "GRAPHS_G_SENSOR_Y_ENABLED";
    static constexpr const char* kGraphsGSensorZEnabled = "GRAPHS_G_SENSOR_Z_ENABLED";
    static constexpr const char* kGraphsAltitudeEnabled = "GRAPHS_ALTITUDE_ENABLED";
    // text, absent: "Metric" or "British"; anything else (or nothing) counts as metric.
    static constexpr const char* kMeasurementSystem = "MEASUREMENT_SYSTEM";
    static constexpr const char* kMetric = "Metric";
    static constexpr const char* kBritish = "British";
    // text, absent: the map page's provider name. Absent, or a provider this build does not
    // offer, means the first provider the build offers (RVMapView::availableProviders: "Google"
    // only with a key built in, otherwise "OpenStreetMap"); see mapsProvider.
    static constexpr const char* kMapsProvider = "MapsProvider";
    // double degrees, 0 each: the last map position that had a fix.
    static constexpr const char* kMapCenterLatitude = "mapCenterLatitude";
    static constexpr const char* kMapCenterLongitude = "mapCenterLongitude";
    // text, kDefaultMapTileUrl: the tile server of the OpenStreetMap map, with the
    // placeholders {z}, {x} and {y} (and optionally {s}) as Leaflet takes them. Only an http(s)
    // address with the three placeholders is used (see mapTileUrl).
    static constexpr const char* kMapTileUrl = "MapTileUrl";
    // text, absent: where the latest camera firmware is described; "%model%" is replaced.
    static constexpr const char* kFirmwareUrl = "FIRMWARE_URL";
    // bytes, absent: the main window's geometry (QWidget::saveGeometry) and its splitters and
    // list columns (RVMainViewController::layoutState) when it was last closed; absent, the
    // window opens at its default size, centred.
    static constexpr const char* kWindowGeometry = "WindowGeometry";
    static constexpr const char* kWindowLayout = "WindowLayout";
    // text, "all": which recordings the file list shows by their mode: "all", "normal",
    // "event", "parking", "manual" or "other"; anything else counts as "all".
    static constexpr const char* kFileListModeFilter = "FILE_LIST_MODE_FILTER";
    // text, absent: the folder the save panel of stills, and that of exports, was last
    // confirmed in; absent (or gone), stills start in the Pictures folder and exports in the
    // Documents folder.
    static constexpr const char* kLastStillFolder = "LastStillFolder";
    static constexpr const char* kLastExportFolder = "LastExportFolder";
    // The clip export dialog's choices. text, absent: the read-outs burned in, comma separated
    // ("time,speed,position,heading,map,acceleration"; absent: time and speed). text,
    // "original": the quality, "original", "1080p" or "720p". bool, true: with sound. text,
    // absent: the folder clips go to (absent or gone: the Videos folder).
    static constexpr const char* kClipReadouts = "CLIP_READOUTS";
    static constexpr const char* kClipQuality = "CLIP_QUALITY";
    static constexpr const char* kClipSound = "CLIP_SOUND";
    static constexpr const char* kClipGpx = "CLIP_GPX";
    static constexpr const char* kClipFolder = "CLIP_FOLDER";
    // double g each: how hard a felt acceleration must be to count as an event (the events
    // list, the slider's marks). The defaults follow published fleet-telematics practice:
    // 4.4 m/s² (0.45 g) for harsh braking and acceleration and 5.5 m/s² (0.56 g) for harsh
    // cornering are Digital Matter's tracker defaults; crash detection is set between 1 and
    // 2.5 g across the trade (Positrace's notes), and 2 g keeps potholes out.
    static constexpr const char* kEventHardBrakingG = "EVENT_HARD_BRAKING_G";
    static constexpr const char* kEventHardAccelerationG = "EVENT_HARD_ACCELERATION_G";
    static constexpr const char* kEventSharpTurnG = "EVENT_SHARP_TURN_G";
    static constexpr const char* kEventImpactG = "EVENT_IMPACT_G";
    static constexpr double kDefaultHardBrakingG = 0.45;
    static constexpr double kDefaultHardAccelerationG = 0.45;
    static constexpr double kDefaultSharpTurnG = 0.56;
    static constexpr double kDefaultImpactG = 2.0;
    // double km/h, 0: faster than this is an event; 0 (or less) means off.
    static constexpr const char* kEventSpeedLimitKmh = "EVENT_SPEED_LIMIT_KMH";
    // bool, false: whether the window shows the events of the playing trip under the file list.
    static constexpr const char* kShowEventsPanel = "SHOW_EVENTS_PANEL";
    // list of text, empty: the corrections of camera clocks, one a line,
    // "folder<TAB>family<TAB>zone<TAB>offset seconds" (RVCameraClock::rulesToText); folder is a
    // card's root, family a reader's format name or empty for all, zone an IANA id or empty for
    // the system's.
    static constexpr const char* kCameraClocks = "CAMERA_CLOCKS";
    // list of text, empty: the trips split or joined by hand, one boundary a line,
    // "card<TAB>path below the card<TAB>split|join" (RVTripShapes::toText).
    static constexpr const char* kTripShapes = "TRIP_SHAPES";
    // list of language codes, most preferred first; absent: the system's preferred languages.
    static constexpr const char* kAppleLanguages = "AppleLanguages";

    static constexpr const char* kDefaultMapTileUrl =
        "https://tile.openstreetmap.org/{z}/{x}/{y}.png";

    // The store itself; tests point it elsewhere with QSettings::setPath or
    // QStandardPaths::setTestMode before the first use.
    static QSettings store();

    // The settings file is a few kilobytes; a larger one is damaged or planted, and reading it
    // would hold up the start for as long as it takes.
    static constexpr qint64 kMaxStoreBytes = 1 << 20;
    // Run once at start, before anything reads a setting: a settings file that is not a
    // regular file (a pipe would block the start for good) or is over kMaxStoreBytes is
    // renamed aside ("NAME.refused-YYYYMMDD-HHMMSS") and the program starts with the defaults.
    // The message for the user then says what happened and where the file went (when even
    // the rename fails, the store moves to a fresh folder for this run); nothing when the
    // file is fine or absent.
    static std::optional<QString> setAsideUnusableStore();

    // Older versions stored flags as numbers: any non-zero number is true.
    static bool boolValue(const char* key);
    static void setBool(const char* key, bool value);
    static double doubleValue(const char* key);
    // The stored number, or fallback when the key is absent or holds no number.
    static double doubleValue(const char* key, double fallback);
    static void setDouble(const char* key, double value);
    // A null string when the key is absent.
    static QString textValue(const char* key);
    static void setText(const char* key, const QString& value);
    static bool contains(const char* key);

    // The stored provider when `offered` holds it, otherwise the first offered.
    static QString mapsProvider(const QStringList& offered);
    // The stored tile address when usable, otherwise the default: anything else would show no
    // tiles at all or reach other files.
    static QString mapTileUrl();
    static QString measurementSystem();
    static bool isBritish(const QString& measurementSystem)
    {
        return measurementSystem == QLatin1String(kBritish);
    }
    // The stored language list, or an empty list when none is stored.
    static QStringList appleLanguages();
    static void setAppleLanguages(const QStringList& codes);
};
