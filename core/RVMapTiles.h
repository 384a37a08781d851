#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// Where the map's tiles come from and where they are kept, shared by the map page (which
// fetches and caches them) and the clips' burned-in map (which only reads the cache):
//  - The tile server's address is a template with Leaflet's placeholders {z}, {x}, {y} and
//    optionally {s} (a subdomain, spread "a", "b", "c" by column and row) and {r} (a
//    resolution suffix, always empty here). A cached tile is filed under the address it was
//    fetched from, so both sides must fill the template the same way.
//  - The cache is a QNetworkDiskCache folder in the user's cache ("tiles" in the program's own
//    cache folder), found the same from the window and from the command-line tool.
namespace RVMapTiles {
// The stored template when it is a web address with the three tile placeholders; otherwise
// (anything that would show no tiles or reach other files) the default tile server.
QString usableTemplate(const QString& stored);
// The tile's address on the server, or none when the template is not usable.
std::optional<QUrl> tileAddress(const QString& tileTemplate, qint64 z, qint64 x, qint64 y);
// The folder of the tile cache.
QString cacheDirectory();
} // namespace RVMapTiles
