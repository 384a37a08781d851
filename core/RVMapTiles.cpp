#include "core/RVMapTiles.h"

#include "core/RVSettings.h"

#include <QStandardPaths>

namespace {

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

QString RVMapTiles::usableTemplate(const QString& stored)
{
    return isUsable(stored) ? stored : QString::fromLatin1(RVSettings::kDefaultMapTileUrl);
}

std::optional<QUrl> RVMapTiles::tileAddress(const QString& tileTemplate, qint64 z, qint64 x,
                                            qint64 y)
{
    if (!isUsable(tileTemplate))
        return std::nullopt;
    return webAddress(filled(tileTemplate, z, x, y));
}

QString RVMapTiles::cacheDirectory()
{
    // The window's cache folder ("<cache>/Korvela/Korvela Player" on Linux, its
    // QStandardPaths::CacheLocation), spelled out so that korvela-export, which has no
    // application name of its own, finds the same tiles.
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Korvela/Korvela Player/tiles");
}
