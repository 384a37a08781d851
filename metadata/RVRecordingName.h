#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <span>

// The cameras of one recording: a dash camera records the same moment with up to four, a
// car (Tesla) with up to six: front, back, the side repeaters and the door pillars.
enum class RVChannel
{
    Front,
    Rear,
    Interior,
    Optional,
    Left,
    Right,
    LeftPillar,
    RightPillar
};
inline constexpr int kChannelCount = 8;

// "front", "rear", "interior", "optional", "left", "right", "left pillar", "right pillar".
QString channelName(RVChannel channel);
// The mark the list shows for an extra view: F, R, I, O, and arrows for a car's side cameras.
QChar channelMark(RVChannel channel);

enum class RVCameraFamily
{
    BlackVue,
    Novatek, // Viofo and the many other cameras built on Novatek chips
    SeventyMai,
    GoPro,
    Tesla,
    Neoline,     // Neoline Spectrum and other SigmaStar cameras with a 40-byte "ssmd" GPS track
    Carcam,      // CARCAM 4CH: SigmaStar, "LIGOGPSINFO" records in an "ssmd" track
    Thinkware,   // NMEA in a subtitle track of the front camera's file
    Vueroid,     // records in a "tvxt" track, dated by the camera's clock
    Mio,         // Mio MiVue and Navman: an NMEA log beside the front camera's video
    IBox,        // iBox RoadScan: SigmaStar, 32-byte records in an "ssmd" track
    LigoTrailer, // Beferich J18 and kin: LIGOGPSINFO records in trailers after the movie
    Escort,      // Escort M2: a ".map" log beside each video
    Nextbase,    // Nextbase 322GW and later: NMEA in a subtitle track, copies of lower quality
    Garmin,      // Garmin Dash Cam: numbered names, the mode in the folder
    Wolfbox      // Wolfbox G900 and kin: fix records in a "gpmd" track
};

// Which clock a family's track records are written in.
enum class RVRecordClock
{
    Utc,        // the receiver's time (NMEA and binary fixes)
    FromName,   // the records carry no date: each is the recording's start (its name) plus an
                // offset, so they follow the camera's clock
    CameraLocal // the camera's own clock, like its names
};

// Why the camera recorded: the list shows it and event recordings stand out.
enum class RVRecordingMode
{
    Unknown, // a name no camera family claims
    Normal,
    Event, // impact, overspeed, harsh driving, geofence, driver monitoring
    Parking,
    Manual
};

// What the program knows of one camera family, one entry each in RVRecordingName.cpp.
struct RVCameraFamilyInfo final
{
    RVCameraFamily family;
    // The name its reader is reported under (RVMetaDataReader::Entry::format).
    const char* format;
    // Below the card's root, where the camera keeps its recordings; "|" between several.
    const char* cardFolder;
    // Names are always the camera's local clock; this is the clock of the track records.
    RVRecordClock recordClock;
    // Files of two channels are one recording when their start times differ by at most this.
    int pairingToleranceSeconds;
};

// What a camera's file name says about its recording.
struct RVRecordingName final
{
    RVCameraFamily family = RVCameraFamily::BlackVue;
    // The camera's clock, local time (see RVCameraClock for the instant); invalid for names
    // without a time.
    QDateTime start;
    QString modeCode; // as written: "N", "E" (BlackVue), "P" or "" (Novatek), "NO" (70mai)
    RVRecordingMode mode = RVRecordingMode::Unknown;
    // A name without a channel letter is the front camera's.
    RVChannel channel = RVChannel::Front;
    // The name less extension, channel and flag letters: the side files of all channels of
    // the recording are named after it ("20170708_221449_N" for "20170708_221449_NFL.mp4").
    QString sideFileStem;
    // Files of two channels are one recording when their start times differ by at most this.
    int pairingToleranceSeconds = 0;
    // A recording the camera cut into chapter files (GoPro): what the chapters' names share,
    // and this file's chapter, from 1. Empty and 0 for names of no chaptered recording.
    QString chapterSeries;
    int chapter = 0;
    // A lower-quality copy the camera writes beside each file (Nextbase "..._FL.MP4"): the
    // name of the file it copies ("..._FH.MP4"). Empty for every other name.
    QString originalName;
};

// Reads the file name (the last component of the path) by its family's rule; nothing when no
// family claims it. Recordings in a family's protected-event folder ("RO" for Novatek), or in
// a folder of one ("SavedClips/2024-05-01_12-00-00/" for Tesla), are events whatever their
// name says. Garmin's names take their mode from their numbered folder ("100EVENT").
std::optional<RVRecordingName> parseRecordingName(const QString& path);

// Every family the program knows, in the order their name rules are tried.
std::span<const RVCameraFamilyInfo> cameraFamilies();
const RVCameraFamilyInfo& cameraFamily(RVCameraFamily family);
// The family whose reader reports this format name; nothing for readers of no family
// ("Mini", "Korvela").
std::optional<RVCameraFamily> cameraFamilyOfFormat(const QString& format);

// Folders, relative to a card's root, below which cameras keep their recordings
// ("BlackVue/Record", "DCIM/Movie", "70mai", "TeslaCam", "DCIM"), outermost last.
QStringList cardRecordingFolders();
