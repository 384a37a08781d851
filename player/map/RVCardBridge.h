#pragma once

#include "metadata/RVPoint.h"
#include "player/map/RVCardRoutes.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class RVMapScriptRunner;

// Drives the map page in the whole card's mode: every trip's route at once, each in its own
// colour (RVCardRoutes prepares the calls, off the GUI thread), the legend with the days'
// summaries, and a click on a route turned into the trip and the moment clicked. It keeps
// what it drew, so that a page loaded again (another provider) shows it again (redraw).
class RVCardBridge final : public QObject
{
    Q_OBJECT

public:
    explicit RVCardBridge(RVMapScriptRunner* runner, QObject* parent = nullptr);

    // Forgets every route and the legend, and clears the map.
    void clear();
    // Draws a trip's prepared route (made by RVCardRoutes::routeScript with this id) and keeps
    // its whole track for clicks. The first route drawn is fitted into the view.
    void addRoute(int id, std::shared_ptr<const std::vector<RVPoint>> track,
                  RVCardRouteScript script);
    // Shows every route drawn.
    void fitRoutes();
    void showLegend(const QString& title, std::vector<RVCardLegendRow> rows);
    // Everything again, on a page loaded anew, fitted.
    void redraw();
    int routeCount() const { return int(m_routes.size()); }

    // A click on trip `id`'s route at this position (degrees), from the page.
    void routeClicked(int id, double latitude, double longitude);

Q_SIGNALS:
    // The trip `id` at the fraction of its track (nearest point / points) clicked on.
    void momentChosen(int id, double fraction);

private:
    struct Route final
    {
        int id = 0;
        std::shared_ptr<const std::vector<RVPoint>> track;
        QString script;
    };

    RVMapScriptRunner* m_runner;
    std::vector<Route> m_routes;
    QString m_legendScript;
};
