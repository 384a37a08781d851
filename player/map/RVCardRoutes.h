#pragma once

#include "metadata/RVPoint.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One line of the whole card's legend: a day's summary and the colours of its trips.
struct RVCardLegendRow final
{
    QString text;
    QStringList colours; // "#rrggbb"
};

// A trip's route as a page call, with the number of points it hands to the page.
struct RVCardRouteScript final
{
    std::string text;
    std::size_t points = 0;
};

// The page calls that show every trip of a card at once, each in a colour of its own (see
// resources/maps/korvela-map.js, drawCardRoute and showCardLegend). A day's 10 Hz track is
// close to a million points and a card holds many days: each trip's route is thinned here,
// once, on whichever thread reads its track, and the page ranks what is left per zoom level.
class RVCardRoutes final
{
public:
    RVCardRoutes() = delete;

    // Five metres: on a card's overview a pixel is tens of metres, and a road is drawn within
    // its width down to the street zoom levels. It halves what a curvy day hands the page
    // (the points a tolerance keeps on a curve go with its square root) and with it the
    // time to the first drawing; clicks still find the moment among every point.
    static constexpr double kToleranceMetres = 5.0;

    // The colour of the index-th trip: a fixed palette of dark, saturated colours that stand
    // out from the map tiles and from each other, taken in turn.
    static QString colour(std::size_t index);
    static std::size_t paletteSize();

    // The call that draws one trip: its runs of fixes (a run ends where the track has no
    // position, latitude 0), each thinned so that no dropped point lies farther than the
    // tolerance from the line. Empty text for a track without a fix. The texts are ASCII.
    static RVCardRouteScript routeScript(int id, std::string_view colour,
                                         const std::vector<RVPoint>& track,
                                         double toleranceMetres = kToleranceMetres);

    // The call that shows the legend: a title line (empty: none) and a row per day.
    static QString legendScript(const QString& title, const std::vector<RVCardLegendRow>& rows);

    // The point of the track with a fix nearest to the position (degrees), the first of
    // equally near ones; nothing for a track without a fix.
    static std::optional<std::size_t> nearestPoint(const std::vector<RVPoint>& track,
                                                   double latitude, double longitude);
};
