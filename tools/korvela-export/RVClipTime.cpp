#include "tools/korvela-export/RVClipTime.h"

#include <QRegularExpression>
#include <QTimeZone>

#include <cmath>

std::optional<double> parseClipTime(const QString& text, const QDateTime& tripStart)
{
    if (text.startsWith(QLatin1Char('+'))) {
        // [[h:]m:]s with whole hours and minutes; minutes and seconds below 60 after a colon.
        const QStringList parts = text.mid(1).split(QLatin1Char(':'));
        if (parts.size() > 3)
            return std::nullopt;
        static const QRegularExpression whole(QStringLiteral("^[0-9]{1,6}$"));
        static const QRegularExpression seconds(QStringLiteral("^[0-9]{1,9}(\\.[0-9]{1,9})?$"));
        double total = 0;
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const bool last = i + 1 == parts.size();
            if (!(last ? seconds : whole).match(parts[i]).hasMatch())
                return std::nullopt;
            const double value = parts[i].toDouble();
            if (i > 0 && value >= 60)
                return std::nullopt;
            total = total * 60 + value;
        }
        return std::isfinite(total) ? std::optional<double>(total) : std::nullopt;
    }
    if (!tripStart.isValid())
        return std::nullopt;
    static const QRegularExpression iso(QStringLiteral(
        "^([0-9]{4}-[0-9]{2}-[0-9]{2})T([0-9]{2}:[0-9]{2}:[0-9]{2})(\\.[0-9]{1,9})?$"));
    const QRegularExpressionMatch match = iso.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date = QDate::fromString(match.captured(1), Qt::ISODate);
    const QTime time = QTime::fromString(match.captured(2), QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    // The camera's clock in its zone, as the trip's start is read: a reading on either side of a
    // daylight saving change is the instant the camera's names of that moment give.
    const QDateTime at(date, time, tripStart.timeZone());
    if (!at.isValid())
        return std::nullopt; // a reading the zone skips
    const double fraction = match.captured(3).isEmpty() ? 0 : match.captured(3).toDouble();
    return double(tripStart.msecsTo(at)) / 1000.0 + fraction;
}
