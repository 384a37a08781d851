#pragma once

#include "core/RVTimestamp.h"
#include "metadata/RVMetaData.h"
#include "metadata/RVRecordingName.h"

#include <QByteArray>
#include <QString>

#include <optional>

// How to read a camera's clock. Cameras name their recordings after their own clock, in local
// time, and some date their records by it; the clock is often set to the wrong zone or never
// set at all (70mai's firmware starts at UTC+8). A rule says which zone the clock's local time
// is in (the system's when none is given) and what to add to it.
struct RVClockRule final
{
    QByteArray zone;       // IANA zone id ("Europe/Minsk"); empty: the system's zone
    int offsetSeconds = 0; // added to every time read from the camera's clock

    bool isDefault() const { return zone.isEmpty() && offsetSeconds == 0; }
    friend bool operator==(const RVClockRule&, const RVClockRule&) = default;
};

// Times from the camera's clock, and the per-card rules that correct them. The rules are
// process-wide (the window loads them from the settings, korvela-export from its command
// line); every function may run on any thread.
namespace RVCameraClock {

// The instant of a local time of the camera's clock read by the rule. Nothing for an invalid
// time or an unknown zone.
RVTimestamp instantOf(const QDateTime& cameraTime, const RVClockRule& rule);
// The start of the recording its name tells, read by the rule for the recording's card and
// family; invalid when the name tells none.
RVTimestamp startOfName(const RVRecordingName& name, const QString& path);
RVTimestamp startFromName(const QString& path);

// When a recording started and what tells it: its first point with a time (data may be null),
// else the start its name tells; no time and RVTimeSource::File when neither does (the caller
// then has only the file's date).
struct RVRecordingStart final
{
    RVTimestamp time;
    RVTimeSource source = RVTimeSource::File;
};
RVRecordingStart recordingStart(const RVMetaData* data, const QString& path);

// "+3", "-1:30", "0:45", "+02:00": hours and optional minutes, at most 24 hours.
std::optional<int> parseOffset(const QString& text);
// "+3:00", "-1:30".
QString offsetText(int seconds);
// Whether the zone id names a zone this system knows.
bool isKnownZone(const QByteArray& zone);

// The rule of the recording at path: the one set for the deepest folder that holds it, for
// its family or for every family, a family's rule winning over the general one of the same
// folder. The default rule when none is set.
RVClockRule ruleFor(const QString& path, std::optional<RVCameraFamily> family);
// Sets (a default rule removes) the rule for the files below folder ("" for every file),
// for one family or all.
void setRule(const QString& folder, std::optional<RVCameraFamily> family, const RVClockRule& rule);
void clearRules();

// The rules as one settings value and back: one entry a line, "folder\tfamily\tzone\toffset"
// with an empty family for all. Lines that do not read are skipped.
QStringList rulesToText();
void setRulesFromText(const QStringList& lines);
// The rules kept in the settings (RVSettings::kCameraClocks), loaded and stored.
void loadRules();
void storeRules();

// When a recording's first fix and the start its name tells differ by a whole number of hours
// (within a few minutes: the receiver needs a while for its first fix), the hours to add to
// the camera's clock; nothing otherwise.
std::optional<int> proposedOffset(RVTimestamp firstFix, RVTimestamp nameStart);

// The card a recording lies on: the folder holding its family's card folder (one of them)
// ("/media/G1/BlackVue/Record/x.mp4" -> "/media/G1"), else the recording's own folder.
QString cardFolderOf(const QString& path, RVCameraFamily family);

// A correction to offer: the rule for the family's recordings of one card.
struct RVClockProposal final
{
    QString folder;
    RVCameraFamily family = RVCameraFamily::BlackVue;
    RVClockRule rule; // the card's present rule with the hours added
    int addedSeconds = 0;
};
// The correction that makes the recording's name agree with its first fix (a time the
// receiver gave), when they are whole hours apart.
std::optional<RVClockProposal> proposeCorrection(const QString& path, RVTimestamp firstFix);
// Sets the proposed rule and keeps it in the settings.
void applyProposal(const RVClockProposal& proposal);

// Whether a recording's fixes carry the camera clock's local time written as if it were UTC,
// as a VIOFO A119 Mini 2 writes them after a cold start: the first fix agrees with the name's
// wall clock read as UTC (within the minutes a first fix takes) while the card's rule puts the
// name's instant at least half an hour away from that reading. The records cannot tell this
// themselves, and a camera whose clock runs on UTC in another zone looks the same, so only a
// rule that names the clock's zone decides it.
bool fixesFollowCameraClock(const QString& path, RVTimestamp firstFix);
// The rule that makes such fixes read as the camera's clock when the card names no zone yet:
// the card's rule with this computer's zone (addedSeconds 0). Nothing when the first fix does
// not agree with the name's wall clock, or the zone is UTC.
std::optional<RVClockProposal> proposeCameraClockFixes(const QString& path, RVTimestamp firstFix);

} // namespace RVCameraClock
