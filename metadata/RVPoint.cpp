#include "metadata/RVPoint.h"

#include "core/RVNumber.h"

RVPoint::RVPoint(std::string_view latitude, std::string_view longitude, double altitude,
                 double azimut, double velocity, RVTimestamp time)
    : m_latitude(latitude), m_longitude(longitude), m_altitude(altitude), m_azimut(azimut),
      m_velocity(velocity), m_time(time)
{}

double RVPoint::latitudeValue() const
{
    return RVNumber::leadingValue(m_latitude.view());
}

double RVPoint::longitudeValue() const
{
    return RVNumber::leadingValue(m_longitude.view());
}
