#pragma once

#include "library/RVEvent.h"
#include "metadata/RVPoint.h"
#include "metadata/RVSensorData.h"

#include <QString>

#include <optional>
#include <vector>

// How strong a moment must be to count, in g (km/h for the speed limit).
struct RVEventThresholds final
{
    double hardBrakingG = 0;
    double hardAccelerationG = 0;
    double sharpTurnG = 0;
    double impactG = 0;
    double speedLimitKmh = 0; // 0 or less: off

    // The built-in defaults (RVSettings describes where they come from).
    static RVEventThresholds defaults();
    // The defaults, overridden by what the user stored.
    static RVEventThresholds fromSettings();
};

// What the detector needs of one recording: its series as the library published them (sensor
// samples centred on their medians) and where it sits in time.
struct RVRecordingSeries final
{
    const std::vector<RVPoint>* points = nullptr;
    const std::vector<RVSensorData>* samples = nullptr;
    const std::vector<double>* speeds = nullptr; // km/h, one per point
    double durationSeconds = 0;
    RVTimestamp start; // wall clock of the recording's first frame; invalid when unknown
    QString videoPath; // its file name tells whether the camera marked it
};

// Finds the events of one recording. Camera marks come from the file name (or the camera's
// protected folder); everything else from the series:
//  - impact: a single sample whose magnitude reaches the impact threshold;
//  - hard braking, hard acceleration, sharp turn: the felt acceleration averaged over half a
//    second (which removes bumps and rattle) reaching its threshold. The axes of a camera are
//    not known in general (each camera mounts its sensor its own way, and centring on the
//    medians removes gravity, which would tell "down"), so the direction comes from the
//    speed series: when the speed's change over ±1 s explains at least half of what was felt,
//    it is braking or acceleration by its sign, otherwise the force was sideways: a turn.
//    Without a speed series it is "harsh driving";
//  - over-speed: the speed above the user's limit (ended 3 km/h below it).
// Each episode gives one event at its peak; episodes less than a second apart are one, and a
// motion event within 1.5 s of an impact is the impact itself and is dropped.
class RVEventDetector final
{
public:
    explicit RVEventDetector(RVEventThresholds thresholds) : m_thresholds(thresholds) {}

    std::vector<RVEvent> detect(const RVRecordingSeries& recording) const;

    // What the camera's own naming says about a recording; nothing for an ordinary one.
    static std::optional<RVEventKind> cameraMark(const QString& videoPath);

private:
    RVEventThresholds m_thresholds;
};

// A trip's events: each file's events moved by the file's start offset in trip time (the sum
// of the lengths before it) and labelled with the file's index. Null entries count as none.
std::vector<RVEvent> joinTripEvents(const std::vector<RVEventSeries>& perFile,
                                    const std::vector<double>& fileStartSeconds);
