#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// Where the map page's tiles come from. The page asks for tiles under the program's own
// scheme ("korvela-tile:Z/X/Y"); the program fetches them from the tile server's address,
// a template with Leaflet's placeholders {z}, {x}, {y} and optionally {s} (a subdomain) and
// {r} (a resolution suffix, always empty here). Plain QtCore, so it is fuzzed without the
// window's libraries.
class RVMapViewTileAddressUtil final
{
public:
    static constexpr const char* kScheme = "korvela-tile";
    // The highest zoom a tile may be asked for; tile servers stop at about 20.
    static constexpr int kMaxZoom = 24;

    // The tile template the page is given when the scheme is served by the program.
    static QString pageTemplate();

    // The stored template when it is a web address with the three tile placeholders;
    // otherwise (anything that would show no tiles or reach other files) the default.
    static QString usableTemplate(const QString& stored);

    // The server address of the tile a page's request names, or none when the request is
    // not a tile of this scheme (wrong scheme, not three plain decimal numbers, a zoom above
    // kMaxZoom, a column or row outside the zoom's 2^zoom by 2^zoom grid) or the template is
    // not usable.
    static std::optional<QUrl> serverAddress(const QString& tileTemplate, const QUrl& request);
};
