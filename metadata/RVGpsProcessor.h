#pragma once

#include "metadata/RVDateFormatter.h"
#include "metadata/RVMetaData.h"
#include "metadata/RVMetaDataReader.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

// The process-wide entry point of the metadata layer: the dispatcher that asks the camera
// formats' readers (RVMetaDataReader::all) and the clean-up of what the winner read. Nothing
// below it (readers, NMEA decoding, records) refers back to it.
// Created once on first use; everything it holds is immutable, so every operation may run on
// several threads at once.
class RVGpsProcessor final
{
public:
    static RVGpsProcessor& sharedInstance();

    const RVDateFormatter& nmeaDateFormatter() const { return m_nmeaDateFormatter; }
    const RVDateFormatter& exportDateFormatter() const { return m_exportDateFormatter; }

    // A point zero in both coordinates (|value| < 0.00001f): a fix without a position.
    static bool isZeroPoint(const RVPoint& point);

    // The one entry for a recording's metadata: asks the readers in their list's order, then clears
    // values that cannot be (discardImpossibleValues) and fixes older than the recording
    // (discardFixesBeforeStart), centres the sensor samples on their medians
    // and fills the leading unknown altitudes. Nothing when no reader recognises the recording.
    // format, when given, receives the winning reader's format name
    // (RVMetaDataReader::Entry::format). declines, when given, receives each reader that was
    // asked and declined, with its format name and why, in the order asked.
    std::optional<RVMetaData>
    readMetaDataFromVideoFile(const QString& videoPath, QString* format = nullptr,
                              std::vector<std::pair<QString, RVDecline>>* declines = nullptr) const;
    // Positions that cannot be (a latitude outside -90..90, a longitude outside -180..180, a
    // coordinate that is no finite number: a receiver's cold start writes 360 and 720) become
    // zero points without a time, so they are neither drawn, exported nor taken as the
    // recording's time. Infinite speeds and altitudes (an overflowing "1e400") become unknown
    // (NaN), an infinite course 0.
    static void discardImpossibleValues(RVMetaData& data);
    // A receiver repeats its last fix when it starts, so a track may begin with fixes taken
    // before the recording (BlackVue's event recordings begin with one a minute and more
    // old). Leading fixes dated before the recording's start (by its name, less two seconds)
    // and followed by a pause of more than ten seconds neither date nor place the recording:
    // they go, with their speeds. Fixes a second apart stay even before the start (cameras keep
    // some seconds from before an event), and so does everything when the points' times come
    // from the name.
    static void discardFixesBeforeStart(RVMetaData& data, RVTimestamp start);
    // Records the camera dated by its own clock and wrote as if UTC (data.localClock) are read
    // by the clock rule of the recording's card and family, as its name is: the points' times
    // and the samples' time labels become the instants the rule gives. So are fixes the card's
    // rule shows to follow the camera's clock (RVCameraClock::fixesFollowCameraClock).
    static void readTimesByCameraClock(RVMetaData& data, const QString& videoPath);
    std::vector<RVSensorData> normalizeSensorData(const std::vector<RVSensorData>& samples) const;
    void fixFirstAltitudeRecords(std::vector<RVPoint>& points) const;

private:
    RVGpsProcessor();

    const RVDateFormatter m_nmeaDateFormatter{RVDateFormatter::Pattern::Nmea};
    const RVDateFormatter m_exportDateFormatter{RVDateFormatter::Pattern::Export};
};
