#include "player/map/RVCardBridge.h"

#include "player/map/RVMapScriptRunner.h"

RVCardBridge::RVCardBridge(RVMapScriptRunner* runner, QObject* parent)
    : QObject(parent), m_runner(runner)
{}

void RVCardBridge::clear()
{
    m_routes.clear();
    m_legendScript.clear();
    m_runner->runScript(QStringLiteral("clearRoutes();"));
}

void RVCardBridge::addRoute(int id, std::shared_ptr<const std::vector<RVPoint>> track,
                            RVCardRouteScript script)
{
    if (!track || script.text.empty())
        return; // no fix: nothing to draw or to click on
    Route route{id, std::move(track),
                QString::fromLatin1(script.text.data(), qsizetype(script.text.size()))};
    m_runner->runScript(route.script);
    m_routes.push_back(std::move(route));
    if (m_routes.size() == 1)
        fitRoutes(); // something to look at while the rest is read
}

void RVCardBridge::fitRoutes()
{
    if (!m_routes.empty())
        m_runner->runScript(QStringLiteral("fitRoutes();"));
}

void RVCardBridge::showLegend(const QString& title, std::vector<RVCardLegendRow> rows)
{
    m_legendScript = RVCardRoutes::legendScript(title, rows);
    m_runner->runScript(m_legendScript);
}

void RVCardBridge::redraw()
{
    m_runner->runScript(QStringLiteral("clearRoutes();"));
    for (const Route& route : m_routes)
        m_runner->runScript(route.script);
    if (!m_legendScript.isEmpty())
        m_runner->runScript(m_legendScript);
    fitRoutes();
}

void RVCardBridge::routeClicked(int id, double latitude, double longitude)
{
    for (const Route& route : m_routes) {
        if (route.id != id)
            continue;
        const auto nearest = RVCardRoutes::nearestPoint(*route.track, latitude, longitude);
        if (nearest)
            Q_EMIT momentChosen(id, double(*nearest) / double(route.track->size()));
        return;
    }
}
