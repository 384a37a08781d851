// A tile request from the map page and a stored tile template: the first line is the
// template, the rest the request. Whatever they hold, an address is only ever a web address
// with a host, for a tile inside its zoom's grid.
#include "fuzz/FuzzInput.h"
#include "player/map/RVMapViewTileAddress.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(fuzzText(data, size));
    const qsizetype newline = text.indexOf(QLatin1Char('\n'));
    const QString stored = newline < 0 ? text : text.left(newline);
    const QString request = newline < 0 ? QString() : text.mid(newline + 1);

    const QString usable = RVMapViewTileAddressUtil::usableTemplate(stored);
    if (RVMapViewTileAddressUtil::usableTemplate(usable) != usable)
        std::abort(); // a usable template stays as it is

    const std::optional<QUrl> address =
        RVMapViewTileAddressUtil::serverAddress(usable, QUrl(request));
    if (!address)
        return 0;
    if ((address->scheme() != QLatin1String("https") &&
         address->scheme() != QLatin1String("http")) ||
        address->host().isEmpty())
        std::abort();
    // Only "korvela-tile:Z/X/Y" with Z <= 24 and X, Y below 2^Z names a tile.
    const QUrl asked(request);
    const QStringList parts = asked.path().split(QLatin1Char('/'));
    if (asked.scheme() != QLatin1String(RVMapViewTileAddressUtil::kScheme) || parts.size() != 3)
        std::abort();
    bool zOk = false, xOk = false, yOk = false;
    const qint64 z = parts[0].toLongLong(&zOk), x = parts[1].toLongLong(&xOk),
                 y = parts[2].toLongLong(&yOk);
    if (!zOk || !xOk || !yOk || z < 0 || z > RVMapViewTileAddressUtil::kMaxZoom || x < 0 || y < 0 ||
        x >= (qint64(1) << z) || y >= (qint64(1) << z))
        std::abort();
    return 0;
}
