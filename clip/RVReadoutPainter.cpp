#include "clip/RVReadoutPainter.h"

#include "clip/RVClipTileCache.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMilesPerKilometre = 0.621371192;
constexpr double kTileSide = 256;

// A position in the world's pixels at zoom 0 (Web Mercator, as the tile servers cut their
// tiles): x from 0 at 180° W to 256 at 180° E, y from 0 at 85.05° N to 256 at 85.05° S.
QPointF worldPoint(const RVPoint& point)
{
    const double lat = std::clamp(point.latitudeValue(), -85.0511, 85.0511) * M_PI / 180;
    const double lon = point.longitudeValue();
    return {(lon + 180) / 360 * kTileSide, (1 - std::asinh(std::tan(lat)) / M_PI) / 2 * kTileSide};
}

bool hasFix(const RVPoint& point)
{
    const double lat = point.latitudeValue(), lon = point.longitudeValue();
    return std::isfinite(lat) && std::isfinite(lon) && (lat != 0 || lon != 0);
}

QString compassPoint(double degrees)
{
    static const char* const names[] = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
    const double d = std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0);
    return QString::fromLatin1(names[int(std::lround(d / 45.0)) % 8]);
}

QString zoneText(const QDateTime& at)
{
    // "+03:00" from the offset the camera keeps; the zone's abbreviation where one is known.
    const int offset = at.offsetFromUtc();
    const QString sign = offset < 0 ? QStringLiteral("-") : QStringLiteral("+");
    const int minutes = std::abs(offset) / 60;
    QString text = QStringLiteral("UTC%1%2:%3")
                       .arg(sign)
                       .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                       .arg(minutes % 60, 2, 10, QLatin1Char('0'));
    if (at.timeSpec() == Qt::TimeZone) {
        const QString abbreviation = at.timeZoneAbbreviation();
        if (!abbreviation.isEmpty() && !abbreviation.startsWith(QLatin1String("UTC")))
            text = abbreviation + QLatin1Char(' ') + text;
    }
    return text;
}

} // namespace

RVReadoutPainter::RVReadoutPainter(const RVClipSeries& series, unsigned readouts, int outputWidth,
                                   int outputHeight, double fromSeconds, double toSeconds,
                                   const RVClipMapTiles& tiles)
    : m_series(series), m_readouts(readouts)
{
    if (m_readouts == 0 || outputWidth <= 0 || outputHeight <= 0)
        return;
    // A strip a fifth of the picture high: three lines of text at 1/20 of the height each,
    // and the map as a square beside them.
    const int height = std::max(2, (outputHeight / 5) & ~1);
    m_size = QSize(outputWidth & ~1, height);
    if (hasReadout(m_readouts, RVReadout::Map)) {
        const double side = height * 0.9;
        m_mapRect = QRectF(m_size.width() - side - height * 0.05, height * 0.05, side, side);
        buildRoute(fromSeconds, toSeconds, tiles);
    }
    m_image = QImage(m_size, QImage::Format_RGBA8888);
}

const RVClipSample* RVReadoutPainter::sampleAt(double tripSeconds) const
{
    const auto& samples = m_series.samples;
    auto after =
        std::upper_bound(samples.begin(), samples.end(), tripSeconds,
                         [](double t, const RVClipSample& s) { return t < s.tripSeconds; });
    return after == samples.begin() ? nullptr : &*(after - 1);
}

void RVReadoutPainter::buildRoute(double fromSeconds, double toSeconds, const RVClipMapTiles& tiles)
{
    // The route of the clip's range, fitted into the map square with a margin.
    std::vector<QPointF> fixes;
    QRectF bounds;
    for (const RVClipSample& sample : m_series.samples) {
        if (sample.tripSeconds < fromSeconds - 1 || sample.tripSeconds > toSeconds + 1 ||
            !hasFix(sample.point))
            continue;
        fixes.push_back(worldPoint(sample.point));
        bounds = fixes.size() == 1 ? QRectF(fixes.back(), QSizeF(0, 0))
                                   : bounds.united(QRectF(fixes.back(), QSizeF(0, 0)));
    }
    if (fixes.empty())
        return;
    m_centre = bounds.center();
    // At least about a metre, so that a car standing still gets the closest zoom.
    const double extent = std::max({bounds.width(), bounds.height(), kTileSide / 4e7});
    if (!drawTiles(tiles, extent))
        m_scale = m_mapRect.width() * 0.8 / extent;
    for (const QPointF& fix : fixes)
        m_route.append(m_mapRect.center() + (fix - m_centre) * m_scale);
}

bool RVReadoutPainter::drawTiles(const RVClipMapTiles& tiles, double routeExtent)
{
    // The closest whole zoom at which the route fits the square as the plain map fits it; the
    // tiles are drawn at their own size, so the map looks as the map page shows it.
    const double side = m_mapRect.width();
    const int fitting =
        std::clamp(int(std::floor(std::log2(side * 0.8 / routeExtent))), 0, kMaxMapZoom);
    const RVClipTileCache cache(tiles);
    for (int zoom = fitting; zoom >= std::max(0, fitting - kTileZoomsOut); --zoom) {
        const double scale = std::ldexp(1.0, zoom);
        const qint64 count = qint64(1) << zoom;
        // The square's top left corner in the world's pixels at this zoom.
        const QPointF corner = m_centre * scale - QPointF(side / 2, side / 2);
        QImage square(int(std::ceil(side)), int(std::ceil(side)),
                      QImage::Format_RGBA8888_Premultiplied);
        square.fill(QColor(30, 30, 30));
        QPainter painter(&square);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        bool any = false;
        const auto first = [](double v) { return qint64(std::floor(v / kTileSide)); };
        for (qint64 y = std::max<qint64>(0, first(corner.y()));
             y <= std::min(count - 1, first(corner.y() + side)); ++y)
            for (qint64 x = first(corner.x()); x <= first(corner.x() + side); ++x) {
                // Columns wrap around the date line.
                const QImage tile = cache.tile(zoom, ((x % count) + count) % count, y);
                if (tile.isNull())
                    continue;
                painter.drawImage(QRectF(x * kTileSide - corner.x(), y * kTileSide - corner.y(),
                                         kTileSide, kTileSide),
                                  tile);
                any = true;
            }
        painter.end();
        if (any) {
            m_tiles = std::move(square);
            m_scale = scale;
            return true;
        }
    }
    return false;
}

QPointF RVReadoutPainter::mapPosition(const RVClipSample& sample) const
{
    return m_mapRect.center() + (worldPoint(sample.point) - m_centre) * m_scale;
}

QStringList RVReadoutPainter::texts(double tripSeconds) const
{
    QStringList lines;
    const RVClipSample* sample = sampleAt(tripSeconds);
    const bool fix = sample && hasFix(sample->point);
    if (hasReadout(m_readouts, RVReadout::Time) && m_series.cameraStart.isValid()) {
        const QDateTime at =
            m_series.cameraStart.addMSecs(std::llround(std::floor(tripSeconds * 1000)));
        lines.append(at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss ")) + zoneText(at));
    }
    QStringList motion;
    if (hasReadout(m_readouts, RVReadout::Speed)) {
        const double kmh = sample ? sample->speedKmh : -1;
        const bool miles = m_series.speedUnit == RVSpeedUnit::MilesPerHour;
        motion.append(kmh < 0 || !std::isfinite(kmh)
                          ? (miles ? QStringLiteral("-- mph") : QStringLiteral("-- km/h"))
                      : miles ? QStringLiteral("%1 mph").arg(std::lround(kmh * kMilesPerKilometre))
                              : QStringLiteral("%1 km/h").arg(std::lround(kmh)));
    }
    if (hasReadout(m_readouts, RVReadout::Heading) && fix && std::isfinite(sample->point.azimut()))
        motion.append(QStringLiteral("%1° %2")
                          .arg(std::lround(sample->point.azimut()) % 360)
                          .arg(compassPoint(sample->point.azimut())));
    if (hasReadout(m_readouts, RVReadout::Acceleration) && sample &&
        std::isfinite(sample->accelerationG))
        motion.append(QStringLiteral("%1 g").arg(sample->accelerationG, 0, 'f', 2));
    if (!motion.isEmpty())
        lines.append(motion.join(QStringLiteral("   ")));
    if (hasReadout(m_readouts, RVReadout::Position)) {
        if (fix) {
            const double lat = sample->point.latitudeValue(), lon = sample->point.longitudeValue();
            lines.append(QStringLiteral("%1° %2  %3° %4")
                             .arg(std::abs(lat), 0, 'f', 5)
                             .arg(lat < 0 ? QLatin1Char('S') : QLatin1Char('N'))
                             .arg(std::abs(lon), 0, 'f', 5)
                             .arg(lon < 0 ? QLatin1Char('W') : QLatin1Char('E')));
        } else {
            lines.append(QStringLiteral("no GPS fix"));
        }
    }
    return lines;
}

const QImage& RVReadoutPainter::paint(double tripSeconds, bool* changed)
{
    if (changed)
        *changed = false;
    if (m_image.isNull())
        return m_image;
    const QStringList lines = texts(tripSeconds);
    const RVClipSample* sample = sampleAt(tripSeconds);
    QPointF marker(-1, -1);
    if (!m_route.isEmpty() && sample && hasFix(sample->point))
        marker = mapPosition(*sample);
    const QString key =
        lines.join(QLatin1Char('\n')) +
        QStringLiteral("|%1,%2").arg(std::lround(marker.x())).arg(std::lround(marker.y()));
    if (key == m_key)
        return m_image;
    m_key = key;
    if (changed)
        *changed = true;

    QImage canvas(m_size, QImage::Format_RGBA8888_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    const double lineHeight = m_size.height() / 4.0;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(6, int(lineHeight * 0.72)));
    font.setBold(true);
    // White text with a dark outline: the outline carries it over snow, the fill over night.
    const double outline = std::max(1.5, font.pixelSize() / 7.0);
    double y = m_size.height() - lineHeight * (lines.size() - 0.75) - lineHeight * 0.3;
    for (const QString& line : lines) {
        QPainterPath path;
        path.addText(QPointF(lineHeight * 0.4, y), font, line);
        painter.strokePath(path, QPen(QColor(0, 0, 0, 220), outline * 2, Qt::SolidLine,
                                      Qt::RoundCap, Qt::RoundJoin));
        painter.fillPath(path, Qt::white);
        y += lineHeight;
    }
    if (!m_route.isEmpty()) {
        const double corner = m_mapRect.width() / 20;
        if (!m_tiles.isNull()) {
            QPainterPath square;
            square.addRoundedRect(m_mapRect, corner, corner);
            painter.save();
            painter.setClipPath(square);
            painter.drawImage(m_mapRect.topLeft(), m_tiles);
            painter.restore();
        }
        painter.setPen(QPen(QColor(255, 255, 255, 200), std::max(1.0, m_size.height() / 100.0)));
        painter.setBrush(m_tiles.isNull() ? QBrush(QColor(30, 30, 30, 170)) : QBrush());
        painter.drawRoundedRect(m_mapRect, corner, corner);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(80, 170, 255), std::max(1.5, m_size.height() / 60.0),
                            Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(m_route);
        if (marker.x() >= 0) {
            const double r = std::max(2.0, m_size.height() / 30.0);
            painter.setPen(QPen(Qt::white, r / 2));
            painter.setBrush(QColor(230, 40, 40));
            painter.drawEllipse(marker, r, r);
        }
    }
    painter.end();
    m_image = canvas.convertToFormat(QImage::Format_RGBA8888);
    return m_image;
}
