#include "player/map/RVMapViewTileAddress.h"

#include "core/RVSettings.h"

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

// The template with the placeholders filled in; subdomains are spread as Leaflet spreads
// them ("a", "b", "c").
QString filled(const QString& tileTemplate, qint64 z, qint64 x, qint64 y)
{
    QString address = tileTemplate;
    return address.replace(QLatin1String("{z}"), QString::number(z))
        .replace(QLatin1String("{x}"), QString::number(x))
        .replace(QLatin1String("{y}"), QString::number(y))
        .replace(QLatin1String("{s}"), QString(QChar(u'a' + int((x + y) % 3))))
        .replace(QLatin1String("{r}"), QString());
}

// A web address with a host once filled in.
std::optional<QUrl> webAddress(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http")))
        return std::nullopt;
    return url;
}

bool isUsable(const QString& tileTemplate)
{
    return tileTemplate.contains(QLatin1String("{z}")) &&
           tileTemplate.contains(QLatin1String("{x}")) &&
           tileTemplate.contains(QLatin1String("{y}")) &&
           webAddress(filled(tileTemplate, 0, 0, 0)).has_value();
}

} // namespace

QString RVMapViewTileAddressUtil::pageTemplate()
{
    return QLatin1String(kScheme) + QStringLiteral(":{z}/{x}/{y}");
}

QString RVMapViewTileAddressUtil::usableTemplate(const QString& stored)
{
    return isUsable(stored) ? stored : QString::fromLatin1(RVSettings::kDefaultMapTileUrl);
}

std::optional<QUrl> RVMapViewTileAddressUtil::serverAddress(const QString& tileTemplate,
                                                            const QUrl& request)
{
    if (!isUsable(tileTemplate) || request.scheme() != QLatin1String(kScheme) ||
        request.hasQuery() || request.hasFragment())
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
    return webAddress(filled(tileTemplate, *z, *x, *y));
}
