// The one place where the track file readers are asked, in order: GPX, KML, NMEA. The XML
// formats are told apart by their root element, so a GPX holding NMEA text in a comment is
// still read as GPX.
#include "metadata/RVTrackFile.h"

#include "metadata/RVGpxTrackReader.h"
#include "metadata/RVKmlTrackReader.h"
#include "metadata/RVMetaPath.h"
#include "metadata/RVNmeaTrackFileReader.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTimeZone>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

bool validPosition(const RVTrackFix& fix)
{
    // (0, 0) is what receivers without a fix write, never a place a car drives.
    return std::isfinite(fix.latitude) && std::isfinite(fix.longitude) &&
           std::abs(fix.latitude) <= 90 && std::abs(fix.longitude) <= 180 &&
           !(std::abs(fix.latitude) < 1e-5 && std::abs(fix.longitude) < 1e-5);
}

} // namespace

QString RVTrackFileReading::message() const
{
    QString text;
    switch (error) {
    case RVTrackFileError::None:
        return {};
    case RVTrackFileError::Unreadable:
        text = QStringLiteral("The file could not be read");
        break;
    case RVTrackFileError::UnknownFormat:
        text = QStringLiteral("The file is not a GPX, KML or NMEA track");
        break;
    case RVTrackFileError::Malformed:
        text = QStringLiteral("The %1 file is damaged").arg(format);
        break;
    case RVTrackFileError::NoTimedPoint:
        text = untimedPoints > 0
                   ? QStringLiteral("The %1 file holds %2 positions but none with a time")
                         .arg(format)
                         .arg(untimedPoints)
                   : QStringLiteral("The %1 file holds no position with a time").arg(format);
        break;
    }
    return detail.isEmpty() ? text : text + QStringLiteral(" (") + detail + QLatin1Char(')');
}

QString RVTrackFiles::xmlRootElement(const QByteArray& bytes)
{
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement)
            return xml.name().toString();
        if (token == QXmlStreamReader::Invalid)
            break;
    }
    return {};
}

RVTimestamp RVTrackFiles::parseIsoTime(QStringView text)
{
    const QString trimmed = text.trimmed().toString();
    // A date alone is a day, not a moment a car was somewhere.
    if (!trimmed.contains(QLatin1Char('T')))
        return {};
    QDateTime time = QDateTime::fromString(trimmed, Qt::ISODateWithMs);
    if (!time.isValid())
        return {};
    if (time.timeSpec() == Qt::LocalTime)
        time = QDateTime(time.date(), time.time(), QTimeZone::utc());
    return RVTimestamp::fromDateTime(time);
}

RVTrackFileReading RVTrackFiles::readTrackText(const QByteArray& bytes)
{
    const std::unique_ptr<RVTrackFileReader> readers[] = {
        std::make_unique<RVGpxTrackReader>(), std::make_unique<RVKmlTrackReader>(),
        std::make_unique<RVNmeaTrackFileReader>()};
    for (const std::unique_ptr<RVTrackFileReader>& reader : readers) {
        if (!reader->recognises(bytes))
            continue;
        RVTrackFileReading reading = reader->readTrack(bytes);
        if (!reading.ok())
            return reading;
        const auto invalid =
            std::stable_partition(reading.fixes.begin(), reading.fixes.end(), validPosition);
        reading.untimedPoints += int(reading.fixes.end() - invalid);
        reading.fixes.erase(invalid, reading.fixes.end());
        std::stable_sort(reading.fixes.begin(), reading.fixes.end(),
                         [](const RVTrackFix& a, const RVTrackFix& b) { return a.time < b.time; });
        if (reading.fixes.empty())
            reading.error = RVTrackFileError::NoTimedPoint;
        return reading;
    }
    RVTrackFileReading unknown;
    unknown.error = RVTrackFileError::UnknownFormat;
    return unknown;
}

RVTrackFileReading RVTrackFiles::readTrackFile(const QString& path)
{
    const std::optional<QByteArray> bytes = RVMetaPath::readWholeFile(path, kMaxFileBytes);
    RVTrackFileReading reading;
    if (!bytes) {
        reading.error = RVTrackFileError::Unreadable;
    } else {
        reading = readTrackText(*bytes);
    }
    if (!reading.ok() && reading.detail.isEmpty())
        reading.detail = QFileInfo(path).fileName();
    return reading;
}
