#pragma once

#include "core/RVShortText.h"
#include "core/RVTimestamp.h"

#include <QString>

#include <string_view>

// One position fix of a track.
//   latitude, longitude: decimal degrees as six-decimal text ("55.752060", "-37.609463"),
//                        as the coordinate converter writes them; consumers parse the
//                        leading number of the text.
//   altitude:  metres above mean sea level; NaN when not known.
//   azimut:    direction of travel, degrees clockwise from north.
//   velocity:  km/h (-1 for cameras that keep their speeds only in the speed series).
//   time:      when the fix was taken; invalid when the date or time could not be read.
// A plain value type of 64 bytes: tracks of a day at 10 Hz hold close to a million of them.
class RVPoint final
{
public:
    RVPoint() = default;
    RVPoint(std::string_view latitude, std::string_view longitude, double altitude, double azimut,
            double velocity, RVTimestamp time);

    QString latitude() const { return m_latitude.toString(); }
    QString longitude() const { return m_longitude.toString(); }
    std::string_view latitudeText() const { return m_latitude.view(); }
    std::string_view longitudeText() const { return m_longitude.view(); }
    void setLatitude(std::string_view text) { m_latitude = RVShortText(text); }
    void setLongitude(std::string_view text) { m_longitude = RVShortText(text); }
    // The numeric values of the coordinate texts (0 when a text holds no number).
    double latitudeValue() const;
    double longitudeValue() const;

    double altitude() const { return m_altitude; }
    void setAltitude(double metres) { m_altitude = metres; }
    double azimut() const { return m_azimut; }
    void setAzimut(double degrees) { m_azimut = degrees; }
    double velocity() const { return m_velocity; }
    void setVelocity(double kmh) { m_velocity = kmh; }
    RVTimestamp time() const { return m_time; }
    void setTime(RVTimestamp time) { m_time = time; }

private:
    RVShortText m_latitude;
    RVShortText m_longitude;
    double m_altitude = 0;
    double m_azimut = 0;
    double m_velocity = 0;
    RVTimestamp m_time;
};
static_assert(sizeof(RVPoint) == 64);
