#include "player/files/RVTripFiguresText.h"

#include <QDateTime>
#include <QLocale>

#include <cmath>

namespace {

constexpr double kMetresPerMile = 1609.344;

// A localised "Label: %1"; without a translation the key shows, then the value.
QString withValue(const QString& format, const QString& value)
{
    return format.contains(QLatin1String("%1")) ? format.arg(value)
                                                : format + QLatin1Char(' ') + value;
}

// A localised unit; without a translation (the id comes back) the English one.
QString unitOr(const QString& translated, const char* id, const char* english)
{
    return translated == QLatin1String(id) ? QString::fromLatin1(english) : translated;
}

// "2026-05-16 20:45:02, 38.712345, -9.140012": local time, then degrees.
QString placeText(const RVTripPlace& place)
{
    QString text;
    if (place.time.isValid())
        text = QDateTime::fromMSecsSinceEpoch(place.time.msecsSinceEpoch())
                   .toLocalTime()
                   .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
               QStringLiteral(", ");
    return text + QString::number(place.latitude, 'f', 6) + QStringLiteral(", ") +
           QString::number(place.longitude, 'f', 6);
}

} // namespace

QString RVTripFiguresText::distance(const RVTripStats& stats, RVMeasurementSystem system)
{
    if (!stats.start || !std::isfinite(stats.distanceMetres))
        return {};
    const bool british = system == RVMeasurementSystem::British;
    const double value = stats.distanceMetres / (british ? kMetresPerMile : 1000.0);
    //% "mi"
    const QString miles = unitOr(qtTrId("UNIT_MILES"), "UNIT_MILES", "mi");
    //% "km"
    const QString kilometres = unitOr(qtTrId("UNIT_KILOMETRES"), "UNIT_KILOMETRES", "km");
    return QLocale().toString(value, 'f', 1) + QLatin1Char(' ') + (british ? miles : kilometres);
}

QStringList RVTripFiguresText::dayLines(int trips, double metres, double drivingSeconds,
                                        RVMeasurementSystem system)
{
    RVTripStats day;
    day.distanceMetres = metres;
    day.start = RVTripPlace{}; // a distance to show
    //% "Trips this day: %1"
    return {withValue(qtTrId("TOOLTIP_DAY_TRIPS"), QString::number(trips)),
            //% "Distance this day: %1"
            withValue(qtTrId("TOOLTIP_DAY_DISTANCE"), distance(day, system)),
            //% "Driving this day: %1"
            withValue(qtTrId("TOOLTIP_DAY_DRIVING"), span(drivingSeconds))};
}

QString RVTripFiguresText::span(double seconds)
{
    const long long whole = std::isfinite(seconds) && seconds > 0 ? std::llround(seconds) : 0;
    const long long hours = whole / 3600, minutes = whole / 60 % 60, rest = whole % 60;
    if (hours > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(hours)
            .arg(minutes, 2, 10, QLatin1Char('0'))
            .arg(rest, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(minutes).arg(rest, 2, 10, QLatin1Char('0'));
}

QString RVTripFiguresText::speed(double kmh, RVMeasurementSystem system)
{
    if (!std::isfinite(kmh))
        return {};
    const bool british = system == RVMeasurementSystem::British;
    return QString::number(std::lround(kmh * RVUnits::speedFactor(system))) +
           (british ? QStringLiteral(" mph") : QStringLiteral(" km/h"));
}

QStringList RVTripFiguresText::toolTipLines(const RVTripStats& stats, RVMeasurementSystem system)
{
    QStringList lines;
    if (!stats.start)
        return lines;
    //% "Distance: %1"
    lines << withValue(qtTrId("TOOLTIP_TRIP_DISTANCE"), distance(stats, system));
    //% "Driving: %1"
    lines << withValue(qtTrId("TOOLTIP_TRIP_DRIVING"), span(stats.drivingSeconds));
    //% "Stopped: %1"
    lines << withValue(qtTrId("TOOLTIP_TRIP_STOPPED"), span(stats.stoppedSeconds));
    if (const QString top = speed(stats.topSpeedKmh, system); !top.isEmpty()) {
        //% "Top speed: %1"
        lines << withValue(qtTrId("TOOLTIP_TRIP_TOP_SPEED"), top);
    }
    if (const QString average = speed(stats.averageMovingSpeedKmh, system); !average.isEmpty()) {
        //% "Average moving speed: %1"
        lines << withValue(qtTrId("TOOLTIP_TRIP_AVERAGE_SPEED"), average);
    }
    //% "Start: %1"
    lines << withValue(qtTrId("TOOLTIP_TRIP_START"), placeText(*stats.start));
    if (stats.end) {
        //% "End: %1"
        lines << withValue(qtTrId("TOOLTIP_TRIP_END"), placeText(*stats.end));
    }
    return lines;
}
