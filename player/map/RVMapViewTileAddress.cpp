#include "player/map/RVMapViewTileAddress.h"

#include "core/RVMapTiles.h"

#include <QStringList>

namespace {

// A tile coordinate as the page writes it: 1 to 8 decimal digits, no sign, no spaces.
std::optional<qint64> tileNumber(const QString& text)
{
    if (text.isEmpty() || text.size() > 8)
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

} // namespace

QString RVMapViewTileAddressUtil::pageTemplate()
{
    return QLatin1String(kScheme) + QStringLiteral(":{z}/{x}/{y}");
}

QString RVMapViewTileAddressUtil::usableTemplate(const QString& stored)
{
    return RVMapTiles::usableTemplate(stored);
}

std::optional<QUrl> RVMapViewTileAddressUtil::serverAddress(const QString& tileTemplate,
                                                            const QUrl& request)
{
    if (request.scheme() != QLatin1String(kScheme) || request.hasQuery() || request.hasFragment())
        return std::nullopt;
    const QStringList parts = request.path(QUrl::FullyEncoded).split(QLatin1Char('/'));
    if (parts.size() != 3)
        return std::nullopt;
    const std::optional<qint64> z = tileNumber(parts[0]);
    const std::optional<qint64> x = tileNumber(parts[1]);
    const std::optional<qint64> y = tileNumber(parts[2]);
    if (!z || !x || !y || *z > kMaxZoom)
        return std::nullopt;
    const qint64 side = qint64(1) << *z;
    if (*x >= side || *y >= side)
        return std::nullopt;
    return RVMapTiles::tileAddress(tileTemplate, *z, *x, *y);
}
